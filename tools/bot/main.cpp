// castle-bot: plays the built-in castle and reports how it went.
//   castle-bot play SEED [SCRIPT_OUT]   one game; its script (and SCRIPT_OUT.out, the runner's output)
//   castle-bot table FIRST COUNT        one game per seed, a line each, then the summary table
//   castle-bot careless FIRST COUNT     the same for a player who takes only what the way needs
// Each game runs in a new temporary folder holding the built castle as niveau.niv.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include <unistd.h>

#include "bot.h"

namespace {

void printLine(unsigned seed, const bot::Report& r) {
    std::printf("seed %u: %s deaths=%d fights=%d time=%llds lowest life=%d potions=%d elixirs=%d escape left=%ds "
                "gold=%d at (%d, %d) %s\n",
                seed, r.won ? "won" : "lost", r.deaths, r.fights, r.gameMs / 1000, r.lowestLife, r.potionsUsed,
                r.elixirsUsed, r.escapeSecondsLeft, r.gold, r.row, r.col, r.stoppedBy.c_str());
    for (const auto& c : r.deathCauses) std::printf("  died: %s\n", c.c_str());
    std::fflush(stdout);
}

struct Range {
    long long lo = 1LL << 60, hi = -(1LL << 60), sum = 0;
    int n = 0;
    void add(long long v) {
        lo = std::min(lo, v);
        hi = std::max(hi, v);
        sum += v;
        ++n;
    }
    std::string text(const char* unit = "") const {
        if (n == 0) return "-";
        char b[96];
        std::snprintf(b, sizeof b, "%lld%s / %lld%s / %lld%s", lo, unit, sum / n, unit, hi, unit);
        return b;
    }
};

int table(unsigned first, unsigned count, const std::string& level, bool careless) {
    int wins = 0, clean = 0, deaths = 0;
    std::map<std::string, int> causes;
    Range time, left, lowest, potions, elixirs, gold;
    for (unsigned seed = first; seed < first + count; ++seed) {
        const bot::Report r = bot::playInFreshFolder(seed, QUELMAR_STAGE_DIR, level, careless);
        printLine(seed, r);
        deaths += r.deaths;
        for (const auto& c : r.deathCauses) ++causes[c];
        if (!r.won) {
            ++causes["not won: " + r.stoppedBy.substr(0, r.stoppedBy.find(" at ("))];
            continue;
        }
        ++wins;
        clean += r.deaths == 0;
        time.add(r.gameMs / 1000);
        left.add(r.escapeSecondsLeft);
        lowest.add(r.lowestLife);
        potions.add(r.potionsUsed);
        elixirs.add(r.elixirsUsed);
        gold.add(r.gold);
    }
    std::printf("\n| Seeds | Won | Won without a death | Deaths |\n|---|---|---|---|\n| %u..%u | %d | %d | %d |\n\n",
                first, first + count - 1, wins, clean, deaths);
    std::printf("| Of the games won | lowest / mean / highest |\n|---|---|\n");
    std::printf("| Whole game (virtual time) | %s |\n", time.text(" s").c_str());
    std::printf("| Escape: time left on the clock | %s |\n", left.text(" s").c_str());
    std::printf("| Lowest life reached | %s |\n", lowest.text().c_str());
    std::printf("| Potions used | %s |\n| Elixirs used | %s |\n| Gold at the end | %s |\n\n",
                potions.text().c_str(), elixirs.text().c_str(), gold.text().c_str());
    if (!causes.empty()) {
        std::printf("| Deaths and losses by cause | Count |\n|---|---|\n");
        for (const auto& [cause, n] : causes) std::printf("| %s | %d |\n", cause.c_str(), n);
    }
    return wins == static_cast<int>(count) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "play" && argc > 2) {
        const unsigned seed = static_cast<unsigned>(std::stoul(argv[2]));
        const bot::Report r = bot::playInFreshFolder(seed, QUELMAR_STAGE_DIR, CASTLE_LEVEL);
        printLine(seed, r);
        if (argc > 3) {
            std::ofstream s(argv[3]);
            for (const auto& l : r.script) s << l << '\n';
            std::ofstream o(std::string(argv[3]) + ".out");
            o << r.output;
        }
        return r.won ? 0 : 1;
    }
    if ((mode == "table" || mode == "careless") && argc > 3) {
        // The castle as built now, kept aside: a rebuild during a long table changes nothing.
        const std::string level = std::filesystem::temp_directory_path() / ("castle-bot-level-" + std::to_string(::getpid()));
        std::filesystem::copy_file(CASTLE_LEVEL, level, std::filesystem::copy_options::overwrite_existing);
        const int status = table(static_cast<unsigned>(std::stoul(argv[2])), static_cast<unsigned>(std::stoul(argv[3])), level,
                                 mode == "careless");
        std::filesystem::remove(level);
        return status;
    }
    std::fprintf(stderr, "usage: castle-bot play SEED [SCRIPT_OUT] | castle-bot table|careless FIRST COUNT\n");
    return 2;
}
