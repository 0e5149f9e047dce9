#include "monkey.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <optional>
#include <random>
#include <sstream>
#include <thread>

#include "invariants.h"
#include "platform/headless.h"
#include "runner.h"
#include "state.h"

namespace hl = platform::headless;
namespace fs = std::filesystem;
using platform::Ctl;

namespace monkey {

namespace {

constexpr long STUCK_EVENTS = 2000;   // a dialog still on top after this many has no way out
constexpr int MAX_DEPTH = 8;          // dialogs nested deeper loop into themselves
constexpr int MAX_BOXES = 200;        // boxes in one event: one keeps coming back
constexpr int WATCHDOG_SECONDS = 60;  // an event that has not returned by then never will
constexpr std::size_t RECENT = 25;    // events shown with a violation
constexpr int CUSTOM_CHECK = 1081, NEWGAME_DIALOG = 119;
constexpr std::string_view FIGHT_SIGN = "/|\\";
constexpr const char* TILES = "as#dqfltcr0)123456(uvwxyzebm79h8pnogki@j";

struct Violation : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The folder the game plays in: the castle, an empty sons/, and the custom
// level of the run when it has one. Nothing of an earlier run is kept.
void prepareFolder(const Options& opt, const std::string& perso) {
    fs::create_directories(fs::path(opt.workDir) / "sons");
    for (const char* f : {"Reglages.cfg", "Sauvegardes.sav", "perso.niv", "sons/MusicCfg.cfg"})
        fs::remove(fs::path(opt.workDir) / f);
    fs::copy_file(opt.castleLevel, fs::path(opt.workDir) / "niveau.niv", fs::copy_options::overwrite_existing);
    if (!perso.empty()) std::ofstream(fs::path(opt.workDir) / "perso.niv", std::ios::binary) << perso;
}

class Monkey {
public:
    explicit Monkey(const Options& o) : opt(o), rng(o.seed) {}

    Report playAll() {
        const auto start = std::chrono::steady_clock::now();
        Watchdog dog(*this);
        while (report.events < opt.events && report.violation.empty()) {
            const bool random = opt.level == Level::Random || (opt.level == Level::Both && report.runs % 2 == 1);
            const std::string perso = random ? randomLevel(static_cast<unsigned>(rng())) : "";
            runOnce(perso, {"seed " + std::to_string(rng() % 1000000000)});
            if (!opt.quiet && report.violation.empty()) {
                const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                std::fprintf(stderr, "seed %u: %ld events, %d runs, %.0f events/s\n", opt.seed, report.events,
                             report.runs, report.events / std::max(s, 1e-9));
            }
        }
        return report;
    }

    Report replayFile(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        if (!in) throw std::runtime_error("cannot read " + file);
        std::vector<std::string> opening;
        bool inOpening = true;
        for (std::string l; std::getline(in, l);) {
            std::istringstream words(l);
            std::string cmd;
            words >> cmd;
            if (inOpening && (cmd.empty() || cmd[0] == '#' || cmd == "seed" || cmd == "answer")) {
                opening.push_back(l);
                continue;
            }
            inOpening = false;
            replayLines.push_back(l);
        }
        std::string perso;
        if (std::ifstream p(file + ".perso.niv", std::ios::binary); p)
            perso.assign(std::istreambuf_iterator<char>(p), std::istreambuf_iterator<char>());
        replaying = true;
        opt.events = static_cast<long>(replayLines.size());
        opt.runEvents = opt.events;
        Watchdog dog(*this);
        runOnce(perso, opening);
        return report;
    }

private:
    Options opt;
    std::mt19937 rng;
    Report report;

    // The run being played.
    std::vector<std::string> script;  // every line so far, box answers in their places
    std::size_t lastGiven = 0;        // index in script of the line being played
    bool started = false;
    long runEvents = 0;
    std::string perso;
    Before previous;
    std::map<platform::Window, long> ages;  // events each dialog has taken on top
    int boxesThisEvent = 0;
    bool lookHeld = false;
    int lastArrow = 1;
    std::deque<std::string> recent;
    std::deque<std::string> recentTranscript;

    // Replay of a script instead of random events.
    bool replaying = false;
    std::vector<std::string> replayLines;
    std::size_t replayNext = 0;

    // Shared with the watchdog.
    std::mutex mutex;
    std::atomic<long> progress{0};

    // Kills the process when an event never returns (a loop with no way out that
    // takes no input): the violation is told and the script written first.
    struct Watchdog {
        Monkey& m;
        std::atomic<bool> done{false};
        std::thread thread;
        explicit Watchdog(Monkey& monkey) : m(monkey), thread([this] { watch(); }) {}
        ~Watchdog() {
            done = true;
            thread.join();
        }
        void watch() {
            long seen = -1;
            auto since = std::chrono::steady_clock::now();
            while (!done) {
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                const long now = m.progress.load();
                if (now != seen) {
                    seen = now;
                    since = std::chrono::steady_clock::now();
                } else if (std::chrono::steady_clock::now() - since > std::chrono::seconds(WATCHDOG_SECONDS)) {
                    std::lock_guard<std::mutex> lock(m.mutex);
                    m.describe("the event has not returned after " + std::to_string(WATCHDOG_SECONDS) +
                               " s: a loop that takes no input and never ends");
                    std::fputs(m.report.details.c_str(), stdout);
                    std::fflush(stdout);
                    _exit(1);
                }
            }
        }
    };

    long pick(std::initializer_list<long> weights) {
        long total = 0;
        for (long w : weights) total += w;
        long r = static_cast<long>(rng() % static_cast<unsigned long>(total));
        long i = 0;
        for (long w : weights) {
            if (r < w) return i;
            r -= w;
            ++i;
        }
        return i - 1;
    }
    bool chance(int percent) { return static_cast<int>(rng() % 100) < percent; }
    int between(int lo, int hi) { return lo + static_cast<int>(rng() % static_cast<unsigned>(hi - lo + 1)); }

    void runOnce(const std::string& level, const std::vector<std::string>& opening) {
        prepareFolder(opt, level);
        // The game opens its files by bare name.
        const fs::path home = fs::current_path();
        fs::current_path(opt.workDir);
        struct Back {
            fs::path to;
            ~Back() { fs::current_path(to); }
        } back{home};
        ++report.runs;
        {
            std::lock_guard<std::mutex> lock(mutex);
            script = opening;
            lastGiven = 0;
            started = false;
            runEvents = 0;
            perso = level;
            ages.clear();
            lookHeld = false;
            recent.clear();
            recentTranscript.clear();
        }
        previous = before(gs);
        hl::setScriptFeeder([this] { feed(); });
        hl::setBoxAdvisor([this](std::string_view caption, std::string_view, bool yesNo) {
            return advise(caption, yesNo);
        });
        std::ostream nowhere(nullptr);
        std::ostringstream err;
        const int status = runHeadlessLines(false, opt.gameDir, opening, nowhere, err);
        hl::setScriptFeeder(nullptr);
        hl::setBoxAdvisor(nullptr);
        readTranscript();
        if (!report.violation.empty()) return;
        std::string e = err.str();
        while (!e.empty() && e.back() == '\n') e.pop_back();
        if (status == 2) fail("a line could not apply: " + e);
        else if (status != 0) fail(e.empty() ? "the program failed" : e);
    }

    void readTranscript() {
        for (const std::string& l : hl::transcript()) {
            if (l.rfind("dialog open ", 0) == 0) ++report.dialogs[std::atoi(l.c_str() + 12)];
            recentTranscript.push_back(l);
            if (recentTranscript.size() > RECENT) recentTranscript.pop_front();
        }
        hl::clearTranscript();
    }

    // The loop that runs wants its next line: the last event is checked, then
    // the next one is chosen. No line ends the run.
    void feed() {
        readTranscript();
        if (!report.violation.empty()) return;
        if (started) {
            if (std::string v = checkState(gs, previous); !v.empty()) return fail(v);
            if (std::string v = checkLoops(); !v.empty()) return fail(v);
        }
        previous = before(gs);
        if (runEvents >= opt.runEvents || report.events >= opt.events) return;
        std::string line;
        if (replaying) {
            if (replayNext >= replayLines.size()) return;
            line = replayLines[replayNext++];
        } else {
            line = nextLine();
        }
        {
            std::lock_guard<std::mutex> lock(mutex);
            script.push_back(line);
            lastGiven = script.size() - 1;
            started = true;
            recent.push_back(line);
            if (recent.size() > RECENT) recent.pop_front();
        }
        ++runEvents;
        ++report.events;
        ++progress;
        boxesThisEvent = 0;
        hl::appendScript({line});
    }

    // Every open loop must have a way out.
    std::string checkLoops() {
        const int depth = hl::openDialogs();
        if (depth > MAX_DEPTH) return std::to_string(depth) + " dialogs are open inside one another";
        if (depth == 0) return "";
        const platform::Window top = hl::topWindow();
        const int id = platform::dialogId(top);
        const long age = ++ages[top];
        if (age > STUCK_EVENTS)
            return "dialog " + std::to_string(id) + " is still open after " + std::to_string(STUCK_EVENTS) +
                   " events on top, exits tried";
        if (!hl::hasCloseBox(top)) {
            bool button = false;
            for (const auto& c : hl::dialogControls(top))
                button |= c.enabled && (c.kind == Ctl::PushButton || c.kind == Ctl::DefPushButton);
            if (!button) return "dialog " + std::to_string(id) + " has no close box and no enabled button";
        }
        return "";
    }

    std::optional<std::pair<platform::Answer, long long>> advise(std::string_view caption, bool yesNo) {
        ++report.boxes;
        if (++boxesThisEvent > MAX_BOXES) {
            fail(std::to_string(MAX_BOXES) + " message boxes in one event, the last \"" + std::string(caption) +
                 "\": a box that keeps coming back");
            throw Violation(report.violation);
        }
        if (replaying) return std::nullopt;  // the script's own answers
        platform::Answer a = platform::Answer::Ok;
        if (yesNo) a = chance(50) ? platform::Answer::Yes : platform::Answer::No;
        const long long ms = chance(15) ? between(100, 3000) : 0;
        std::string line = std::string("answer ") +
                           (a == platform::Answer::Yes ? "yes" : a == platform::Answer::No ? "no" : "ok");
        if (ms) line += " " + std::to_string(ms);
        std::lock_guard<std::mutex> lock(mutex);
        // Replayed, the answer is queued before the line whose event shows the box.
        if (started) script.insert(script.begin() + static_cast<long>(lastGiven++), line);
        else script.push_back(line);
        recent.push_back("  (box \"" + std::string(caption) + "\" -> " + line.substr(7) + ")");
        if (recent.size() > RECENT) recent.pop_front();
        return std::pair{a, ms};
    }

    // ---------------------------------------------------------------- random events

    std::string nextLine() {
        if (hl::openDialogs() > 0) return inDialog(hl::topWindow());
        return gs.onTitleScreen ? onTitle() : inPlay();
    }

    std::string wait(int lo, int hi) { return "wait " + std::to_string(between(lo, hi)); }

    std::string mouse() {
        static const char* kinds[] = {"ldown", "lup", "rdown", "move"};
        const int k = static_cast<int>(rng() % 4);
        lookHeld = (k == 0) || (lookHeld && k != 1);
        return std::string("mouse ") + kinds[k] + " " + std::to_string(between(-10, 490)) + " " +
               std::to_string(between(-10, 410));
    }

    std::string anyKey() {
        static const char* keys[] = {"Left", "Right", "Up", "Down", "Enter", "Space", "Escape", "S", "I"};
        switch (pick({9, 9, 6, 10})) {
            case 0: return keys[rng() % 9];
            case 1: return "F" + std::to_string(between(1, 9));
            case 2: return std::to_string(between(0, 9));
            default: return std::string(1, static_cast<char>('A' + rng() % 26));
        }
    }

    std::string menu(std::initializer_list<long> weights) {
        static const int ids[] = {40011, 40007, 40008, 40012, 40004, 40018, 40016, 40013};
        return "menu " + std::to_string(ids[pick(weights)]);
    }

    // Quitting is rare: the game starts again afterwards, on a new script.
    std::optional<std::string> rarelyQuit() {
        if (rng() % 3000 != 0) return std::nullopt;
        return chance(50) ? "menu 40002" : "close";
    }

    std::string onTitle() {
        if (auto q = rarelyQuit()) return *q;
        switch (pick({50, 15, 12, 15})) {
            case 0: return menu({40, 4, 15, 12, 4, 10, 3, 2});
            case 1: return wait(40, 3000);
            case 2: return "key " + anyKey();
            default: return chance(50) ? mouse() : menu({1, 1, 1, 1, 1, 1, 1, 1});
        }
    }

    std::string inPlay() {
        if (auto q = rarelyQuit()) return *q;
        if (lookHeld && chance(25)) {
            lookHeld = false;
            return "mouse lup " + std::to_string(between(0, 480)) + " " + std::to_string(between(0, 400));
        }
        static const char* arrows[] = {"Left", "Right", "Up", "Down"};
        switch (pick({40, 6, 8, 8, 3, 2, 2, 3, 2, 4, 2, 8})) {
            case 0:  // mostly on in the same direction: the hero gets somewhere
                if (!chance(70)) lastArrow = static_cast<int>(pick({3, 3, 2, 2}));
                return std::string("key ") + arrows[lastArrow];
            case 1: return "key Space";
            case 2: return "key Enter";
            case 3: return "key F" + std::to_string(between(1, 9));
            case 4: return "key " + std::to_string(between(1, 6));
            case 5: return chance(50) ? "key I" : "key S";
            case 6: return "key " + anyKey();
            case 7: return std::string(chance(70) ? "keydown " : "keyup ") + anyKey();  // held keys repeat
            case 8: return std::string("keydown ") + arrows[rng() % 4];
            case 9: return mouse();
            case 10: return menu({10, 25, 20, 15, 15, 5, 5, 5});
            default: return chance(95) ? wait(20, 1500) : wait(5000, 40000);
        }
    }

    std::string typed(bool digits) {
        static const std::string letters[] = {"a", "Z", "é", "è", "à", "ç", "Œ", " ", "#", "\"", "\\", "'",
                                              "0", "9", "-", "%d", "%s", "\xC3", "\xFF", "€"};
        std::string t;
        const int n = chance(10) ? between(60, 90) : between(0, 12);
        for (int i = 0; i < n; ++i)
            t += digits ? std::string(1, static_cast<char>('0' + rng() % 10)) : letters[rng() % 20];
        return t;
    }

    std::string inDialog(platform::Window top) {
        const int id = platform::dialogId(top);
        const auto controls = hl::dialogControls(top);
        std::vector<const hl::ControlView*> buttons, fields, combos;
        bool custom = false, customChecked = false;
        for (const auto& c : controls) {
            if (!c.enabled || c.id == -1) continue;
            if (c.kind == Ctl::PushButton || c.kind == Ctl::DefPushButton || c.kind == Ctl::CheckBox)
                buttons.push_back(&c);
            if (c.kind == Ctl::Edit || c.kind == Ctl::ComboBox) fields.push_back(&c);
            if (c.kind == Ctl::ComboBox) combos.push_back(&c);
            if (c.id == CUSTOM_CHECK) custom = true, customChecked = c.checked;
        }
        const bool closeBox = hl::hasCloseBox(top);
        // In a fight, the button under the sign most of the time: fights are won too.
        for (const auto* b : buttons)
            if (b->text == FIGHT_SIGN && chance(60)) return "click " + std::to_string(b->id);
        // A new game on the level the run is about, most of the time.
        if (id == NEWGAME_DIALOG && custom && customChecked != !perso.empty() && chance(50))
            return "check " + std::to_string(CUSTOM_CHECK) + (perso.empty() ? " off" : " on");
        // A dialog open for long: the ways a player would try to leave it.
        if (ages[top] > 60 && chance(20)) {
            std::vector<std::string> exits = {"key Escape", "key Enter"};
            if (closeBox) exits.push_back("close");
            for (const auto* b : buttons)
                if (b->id == 1 || b->id == 2) exits.push_back("click " + std::to_string(b->id));
            return exits[rng() % exits.size()];
        }
        for (;;) {
            switch (pick({55, 8, 8, 8, 3, 15, 3})) {
                case 0:
                    if (buttons.empty()) continue;
                    return "click " + std::to_string(buttons[rng() % buttons.size()]->id);
                case 1: {
                    if (fields.empty()) continue;
                    const auto* f = fields[rng() % fields.size()];
                    return "type " + std::to_string(f->id) + " " + typed(f->number);
                }
                case 2: {
                    if (combos.empty()) continue;
                    const auto* c = combos[rng() % combos.size()];
                    return "select " + std::to_string(c->id) + " " + std::to_string(between(-1, c->items - 1));
                }
                case 3: return "key " + (chance(60) ? std::string(chance(50) ? "Enter" : "Escape") : anyKey());
                case 4:
                    if (!closeBox) continue;
                    return "close";
                case 5: return wait(50, 2500);
                default: return mouse();
            }
        }
    }

    // ---------------------------------------------------------------- a violation

    void fail(const std::string& what) {
        if (!report.violation.empty()) return;
        std::lock_guard<std::mutex> lock(mutex);
        describe(what);
    }

    // Tells the violation and writes the script that leads to it (the mutex held).
    void describe(const std::string& what) {
        report.violation = what;
        const std::string out = opt.scriptOut.empty() ? "monkey-" + std::to_string(opt.seed) + ".script" : opt.scriptOut;
        std::vector<std::string> header = {
            "# quelmar-monkey seed " + std::to_string(opt.seed) + ", run " + std::to_string(report.runs) + ": " + what,
            "# Replay from a folder holding niveau.niv and an empty sons/" +
                std::string(perso.empty() ? "" : ", with " + out + ".perso.niv as perso.niv") + ":",
            "#   quelmar-monkey --replay " + out + "   (checks after every line)",
            "#   quelmar-headless --gamedir STAGE_DIR " + out,
        };
        std::ostringstream d;
        d << "quelmar-monkey: VIOLATION at event " << report.events << " (seed " << opt.seed << ", run "
          << report.runs << ", line " << (replaying ? 0 : header.size()) + lastGiven + 1 << " of "
          << (replaying ? "the script" : out) << "): " << what
          << "\nlast events:\n";
        for (const auto& l : recent) d << "  " << l << '\n';
        d << "last transcript lines:\n";
        for (const auto& l : recentTranscript) d << "  " << l << '\n';
        if (!replaying) {
            std::ofstream s(out, std::ios::binary);
            for (const auto& l : header) s << l << '\n';
            for (const auto& l : script) s << l << '\n';
            if (!perso.empty()) std::ofstream(out + ".perso.niv", std::ios::binary) << perso;
            d << "script written to " << out << (perso.empty() ? "" : " (and its level to " + out + ".perso.niv)")
              << "\n";
        }
        report.details = d.str();
    }
};

}  // namespace

std::string randomLevel(unsigned seed) {
    std::mt19937 r(seed);
    std::string level(GRID_CELLS, 'a');
    const std::size_t codes = std::char_traits<char>::length(TILES);
    auto cell = [&level](int row, int col) -> char& { return level[static_cast<std::size_t>(row * GRID_COLS + col)]; };
    int col = static_cast<int>(r() % GRID_COLS), row = static_cast<int>(r() % GRID_ROWS);
    if (r() % 2) {
        // Noise: mostly background and floor, some ladders and lava, then anything.
        for (char& c : level) {
            const unsigned k = r() % 100;
            c = k < 40 ? 'a' : k < 70 ? 's' : k < 76 ? 'q' : k < 78 ? 'd' : TILES[r() % codes];
        }
        if (r() % 5 == 0) col = r() % 2 ? GRID_COLS - 1 : 0;  // the edges of the view
        if (r() % 5 == 0) row = r() % 2 ? GRID_ROWS - 1 : 0;
    } else {
        // Storeys: a floor every fourth row with gaps and lava, ladders through
        // them, and on them anything (enemies, items, chests, shops, doors, keys).
        for (int y = 3; y < GRID_ROWS; y += 4)
            for (int x = 0; x < GRID_COLS; ++x) {
                const unsigned k = r() % 100;
                cell(y, x) = k < 8 ? 'a' : k < 11 ? 'd' : k < 13 ? '#' : 's';
                if (r() % 4 == 0) cell(y - 1, x) = TILES[r() % codes];
            }
        for (int n = 0; n < 150; ++n) {
            const int x = static_cast<int>(r() % GRID_COLS), y = 4 * static_cast<int>(r() % 24) + 2;
            for (int k = 0; k < 5; ++k) cell(y + k, x) = 'q';
        }
        row = 4 * static_cast<int>(r() % 25) + 2;
    }
    return level + " " + std::to_string(col) + " " + std::to_string(row) + " ";
}

Report play(const Options& opt) { return Monkey(opt).playAll(); }

Report replay(const std::string& scriptFile, const Options& opt) { return Monkey(opt).replayFile(scriptFile); }

}  // namespace monkey
