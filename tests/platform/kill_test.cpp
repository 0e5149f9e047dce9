// The real game killed (SIGKILL) at random moments while it rewrites a data file
// over and over: after every kill the file is the old one or a newer one, whole
// and readable, and the next save that runs to its end leaves no temporary file
// beside it. Rounds per file: QUELMAR_KILL_ROUNDS (default KILL_ROUNDS, fewer in
// the slower sanitized build; scripts/kill-saves runs more), random seed
// QUELMAR_KILL_SEED (default: the time, printed).
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <random>
#include <sstream>
#include <utility>
#include <algorithm>
#include <thread>

#include "editor/level.h"
#include "options/settings.h"
#include "platform/files.h"
#include "saves/savefile.h"
#include "support.h"

using support::slurp, support::spit, support::TempDir;

namespace {

long envOr(const char* name, long fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::atol(v) : fallback;
}

// One run of the runner in dir; killed after killMs unless negative. The exit
// status, or -SIGKILL for a kill.
int runGame(const TempDir& dir, const std::string& script, bool editor, int killMs) {
    spit(dir / "script.txt", script);
    const std::string exe = QUELMAR_HEADLESS_EXE, gamedir = QUELMAR_STAGE_DIR, path = dir / "script.txt";
    std::vector<const char*> argv = {exe.c_str(), "--gamedir", gamedir.c_str()};
    if (editor) argv.push_back("--editor");
    argv.push_back(path.c_str());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    // The runner's data files are in its working directory.
    posix_spawn_file_actions_addchdir_np(&actions, dir.path.c_str());
    pid_t pid = -1;
    const int err = posix_spawn(&pid, exe.c_str(), &actions, nullptr, const_cast<char* const*>(argv.data()), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (err != 0) return -1000;
    if (killMs >= 0) {
        std::this_thread::sleep_for(std::chrono::microseconds(killMs * 1000L));
        kill(pid, SIGKILL);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFSIGNALED(status) ? -WTERMSIG(status) : WEXITSTATUS(status);
}

// Files beside the data file whose name starts with its own: temporary files.
int leftovers(const TempDir& dir, const std::string& file) {
    int n = 0;
    for (const auto& entry : support::fs::directory_iterator(dir.path)) {
        const std::string name = entry.path().filename().string();
        n += name != file && name.rfind(file, 0) == 0;
    }
    return n;
}

// One data file under fire. script(round, saves) writes `saves` new versions of
// the file; version(bytes) is the version a whole file holds, -1 when the file
// is not a whole one (torn, cut, unreadable).
struct Target {
    std::string file;
    bool editor;
    std::function<std::string(int round, int saves, long last)> script;
    std::function<long(const std::string& bytes)> version;
    long restartAbove = -1;  // past this version the file starts again as `restart` (version 0)
    std::string restart;
};

void killOverAndOver(const Target& t, const std::function<void(const TempDir&)>& prepare) {
    const long rounds = envOr("QUELMAR_KILL_ROUNDS", KILL_ROUNDS);
    const unsigned seed = static_cast<unsigned>(envOr("QUELMAR_KILL_SEED", time(nullptr)));
    std::mt19937 random(seed);
    SCOPED_TRACE("QUELMAR_KILL_SEED=" + std::to_string(seed));
    TempDir dir;
    prepare(dir);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(runGame(dir, t.script(0, 1, 0), t.editor, -1), 0) << "a first whole file";
    // Kills fall from half the time of start-up and one save to well after it.
    const int oneRun = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
    long last = t.version(slurp(dir / t.file));
    ASSERT_GE(last, 0);
    std::string bytes = slurp(dir / t.file);
    int torn = 0, changed = 0;
    for (long round = 1; round <= rounds; ++round) {
        if (t.restartAbove >= 0 && last > t.restartAbove) {
            platform::replaceFile(dir / t.file, t.restart);
            bytes = t.restart, last = 0;
        }
        const int killMs = std::uniform_int_distribution<int>(oneRun / 2, oneRun + 150)(random);
        const int status = runGame(dir, t.script(static_cast<int>(round), 400, last), t.editor, killMs);
        ASSERT_TRUE(status == -SIGKILL || status == 0) << "round " << round << ": status " << status;
        const std::string before = std::exchange(bytes, slurp(dir / t.file));
        const long now = t.version(bytes);
        ASSERT_GE(now, last) << "round " << round << " (killed after " << killMs << " ms): the file is torn or older";
        changed += bytes != before;
        last = now;
        if (leftovers(dir, t.file) == 0) continue;
        // Killed in the middle of a write: the next whole save takes the temporary file away.
        ++torn;
        ++round;
        ASSERT_EQ(runGame(dir, t.script(static_cast<int>(round), 1, last), t.editor, -1), 0);
        const std::string killed = std::exchange(bytes, slurp(dir / t.file));
        const long after = t.version(bytes);
        ASSERT_TRUE(after > last || (after == last && bytes != killed)) << "round " << round << ": the save after a torn one did not land";
        last = after;
        EXPECT_EQ(leftovers(dir, t.file), 0) << "round " << round << ": a temporary file is left";
    }
    std::printf("%s: %ld rounds, %d kills in the middle of a write, %d after a new file landed\n",
                t.file.c_str(), rounds, torn, changed);
    EXPECT_GT(changed, 0) << "no kill came after a save: the timing misses the saves";
}

void withSettingsAndCastle(const TempDir& dir) {
    support::fs::create_directory(dir.path / "sons");
    spit(dir / "Reglages.cfg", std::string("son=0,Musique=0,Rapidit\xE9=0"));
    support::fs::copy_file(std::string(QUELMAR_STAGE_DIR) + "/niveau.niv", dir / "niveau.niv");
}

// The version of a file is (round << 16) + what changed within the round.
constexpr long roundPart(long round) { return round << 16; }

}  // namespace

// Key S over and over, the hero taking one step between saves: the version is
// the round (the hero's name) and the step (his column in the view).
TEST(Kill, SavesAreTheOldFileOrTheNewOneWhole) {
    Target t{"Sauvegardes.sav", false,
             [](int round, int saves, long) {
                 std::string s = "seed " + std::to_string(round) + "\nmenu 40011\ntype 1064 Tour " +
                                 std::to_string(round) + "\nclick 1\nclick 1032\n";
                 for (int k = 0; k < saves; ++k) s += "answer yes\nkey S\nkey Right\n";
                 return s;
             },
             [](const std::string& bytes) -> long {
                 std::vector<std::string> tokens;
                 std::istringstream in(bytes);
                 for (std::string w; in >> w;) tokens.push_back(w);
                 const SaveSlots slots = decodeSaveFile(tokens);
                 const SaveSlot& s = slots[0];
                 if (slotIsEmpty(s) || encodeSaveFile(slots) != bytes || s.name.rfind("Tour ", 0) != 0) return -1;
                 return roundPart(std::atol(s.name.c_str() + 5)) + s.viewLeft * 100 + s.heroCol;
             }, -1, ""};
    killOverAndOver(t, withSettingsAndCastle);
}

// The settings dialog, OK with the sound switched each time: version = sound.
TEST(Kill, SettingsAreTheOldFileOrTheNewOneWhole) {
    Target t{"Reglages.cfg", false,
             [](int, int saves, long) {
                 std::string s;
                 for (int k = 0; k < saves; ++k) s += "menu 40012\nclick 1066\nclick 1\n";
                 return s;
             },
             [](const std::string& bytes) -> long {
                 int sound = 0, music = 0, slow = 0;
                 const bool whole = parseSettings(bytes, sound, music, slow) &&
                                    bytes == "son=" + std::to_string(sound) + ",Musique=0,Rapidit\xE9=0";
                 return whole ? 0 : -1;  // both values are whole versions: order cannot be told
             }, -1, ""};
    killOverAndOver(t, withSettingsAndCastle);
}

// The editor paints the next cell in wall before each save, row by row from the
// top left: version = the cells in wall. Past 9,000 the test starts it again from
// a level of background.
TEST(Kill, EditorLevelsAreTheOldFileOrTheNewOneWhole) {
    Target t{"perso.niv", true,
             [](int, int saves, long last) {
                 std::string s;
                 for (int k = 0; k < saves; ++k) {
                     const int cell = (last + k) % 10000, x = 5 + 7 * (cell % 100), y = 5 + 7 * (cell / 100);
                     const std::string at = std::to_string(x) + " " + std::to_string(y);
                     s += "mouse ldown " + at + "\nmouse lup " + at + "\nmenu 40057\n";
                 }
                 return s;
             },
             [](const std::string& bytes) -> long {
                 std::vector<std::string> tokens;
                 std::istringstream in(bytes);
                 for (std::string w; in >> w;) tokens.push_back(w);
                 const LevelRead read = parseLevel(true, tokens);
                 if (read.shortGrid || read.startUnreadable || bytes.size() != 10005 ||
                     bytes != formatLevel(read.grid.c_str(), read.startCol, read.startRow))
                     return -1;
                 return static_cast<long>(std::count(bytes.begin(), bytes.end(), 's'));
             },
             9000, formatLevel(std::string(10000, 'a').c_str(), 0, 0)};
    killOverAndOver(t, [](const TempDir& dir) { support::fs::create_directory(dir.path / "sons"); });
}
