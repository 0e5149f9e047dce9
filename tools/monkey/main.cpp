// quelmar-monkey: random but valid input to the headless game, with the
// game's invariants checked after every event.
//   quelmar-monkey [--events N] [--seed S] [--level castle|random|both] [--script-out FILE]
//                  [--run-events N] [--gamedir DIR] [--workdir DIR] [--quiet]
//   quelmar-monkey --replay FILE
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "monkey.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* USAGE =
    "usage: quelmar-monkey [--events N] [--seed S] [--level castle|random|both] [--script-out FILE]\n"
    "                      [--run-events N] [--gamedir DIR] [--workdir DIR] [--quiet]\n"
    "       quelmar-monkey [--gamedir DIR] [--workdir DIR] --replay FILE\n";

int usage() {
    std::fputs(USAGE, stderr);
    return 2;
}

bool number(const char* text, long& out) {
    char* end = nullptr;
    out = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && out >= 0;
}

}  // namespace

int main(int argc, char** argv) {
    monkey::Options opt;
    opt.gameDir = QUELMAR_STAGE_DIR;
    std::string replay;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        long n = 0;
        if (a == "--quiet") opt.quiet = true;
        else if (!hasValue) return usage();
        else if (a == "--events" && number(argv[i + 1], n)) opt.events = n, ++i;
        else if (a == "--run-events" && number(argv[i + 1], n) && n > 0) opt.runEvents = n, ++i;
        else if (a == "--seed" && number(argv[i + 1], n)) opt.seed = static_cast<unsigned>(n), ++i;
        else if (a == "--script-out") opt.scriptOut = argv[++i];
        else if (a == "--gamedir") opt.gameDir = argv[++i];
        else if (a == "--workdir") opt.workDir = argv[++i];
        else if (a == "--replay") replay = argv[++i];
        else if (a == "--level") {
            const std::string l = argv[++i];
            if (l == "castle") opt.level = monkey::Level::Castle;
            else if (l == "random") opt.level = monkey::Level::Random;
            else if (l == "both") opt.level = monkey::Level::Both;
            else return usage();
        } else return usage();
    }
    opt.gameDir = fs::absolute(opt.gameDir).string();  // the runs play in another folder
    opt.castleLevel = opt.gameDir + "/niveau.niv";
    if (!fs::exists(opt.castleLevel)) {
        std::fprintf(stderr, "quelmar-monkey: no %s (build the game first, or give --gamedir)\n",
                     opt.castleLevel.c_str());
        return 2;
    }
    if (!replay.empty()) replay = fs::absolute(replay).string();
    if (!opt.scriptOut.empty()) opt.scriptOut = fs::absolute(opt.scriptOut).string();
    else opt.scriptOut = (fs::current_path() / ("monkey-" + std::to_string(opt.seed) + ".script")).string();
    const bool ownFolder = opt.workDir.empty();
    if (ownFolder) {
        // In memory when the system has it: the game syncs every file it writes.
        const fs::path tmp = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        std::string tmpl = (tmp / "quelmar-monkey-XXXXXX").string();
        if (!mkdtemp(tmpl.data())) {
            std::perror("quelmar-monkey: mkdtemp");
            return 2;
        }
        opt.workDir = tmpl;
    }
    opt.workDir = fs::absolute(opt.workDir).string();
    const auto start = std::chrono::steady_clock::now();
    monkey::Report r;
    try {
        r = replay.empty() ? monkey::play(opt) : monkey::replay(replay, opt);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quelmar-monkey: %s\n", e.what());
        return 2;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (ownFolder) fs::remove_all(opt.workDir);
    const std::string who = replay.empty() ? "seed " + std::to_string(opt.seed) : "replay of " + replay;
    std::printf("%s: %ld events in %d runs, %.1f s (%.0f events/s), %d boxes; dialogs opened:", who.c_str(),
                r.events, r.runs, seconds, r.events / std::max(seconds, 1e-9), r.boxes);
    for (const auto& [id, n] : r.dialogs) std::printf(" %d x%d", id, n);
    std::printf("\n");
    if (r.violation.empty()) return 0;
    std::fputs(r.details.c_str(), stdout);
    return 1;
}
