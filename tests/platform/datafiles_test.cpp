// The game's data files under hostile conditions, through the real programs
// (the headless runner):
//  - killed (SIGKILL) at random moments while they rewrite a file over and over:
//    after every kill the file is the old one or a newer one, whole and
//    readable, and the next save that runs to its end leaves no temporary file
//    beside it. Rounds per file: QUELMAR_KILL_ROUNDS (default KILL_ROUNDS, fewer
//    in the slower sanitized build; scripts/kill-saves runs more), random seed
//    QUELMAR_KILL_SEED (default: the time, printed);
//  - writing into a folder that refuses writes, or onto a full disk: the
//    previous file stays, the player is told in French, and the game goes on.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <random>
#include <set>
#include <sstream>
#include <thread>
#include <utility>

#include "editor/level.h"
#include "options/settings.h"
#include "platform/files.h"
#include "saves/savefile.h"
#include "support.h"

using support::slurp, support::spit, support::TempDir;
namespace fs = support::fs;

namespace {

long envOr(const char* name, long fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::atol(v) : fallback;
}

struct GameRun {
    int status = -1;  // the exit status, or -SIGKILL for a kill
    std::string out;
};

// How a run is hampered.
struct Hamper {
    int killMs = -1;        // SIGKILL after this long; the output is dropped
    long fileLimit = 0;     // files grow to this many bytes only (a full disk)
    bool unprivileged = false;  // run as user nobody when we are root, so a folder's permissions hold
};

// One run of the runner in dir (its working directory, where the data files are).
GameRun runGame(const TempDir& dir, const std::string& script, bool editor, Hamper h = {}) {
    spit(dir / "script.txt", script);
    const std::string exe = QUELMAR_HEADLESS_EXE, gamedir = QUELMAR_STAGE_DIR, path = dir / "script.txt";
    std::vector<const char*> argv = {exe.c_str(), "--gamedir", gamedir.c_str()};
    if (editor) argv.push_back("--editor");
    argv.push_back(path.c_str());
    argv.push_back(nullptr);
    int out[2];
    if (pipe(out) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {  // only calls that are safe after fork until exec
        const int null = open("/dev/null", O_WRONLY);
        dup2(h.killMs >= 0 ? null : out[1], 1);
        dup2(null, 2);
        close(out[0]);
        if (h.fileLimit > 0) {
            signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead of killing (kept across exec)
            const rlimit small{static_cast<rlim_t>(h.fileLimit), static_cast<rlim_t>(h.fileLimit)};
            setrlimit(RLIMIT_FSIZE, &small);
        }
        if (h.unprivileged && geteuid() == 0 && (setgroups(0, nullptr) != 0 || setresgid(65534, 65534, 65534) != 0 ||
                                                 setresuid(65534, 65534, 65534) != 0))
            _exit(126);
        if (chdir(dir.path.c_str()) == 0) execv(exe.c_str(), const_cast<char* const*>(argv.data()));
        _exit(127);
    }
    close(out[1]);
    GameRun r;
    if (h.killMs >= 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(h.killMs));
        kill(pid, SIGKILL);
    } else {
        char buf[65536];
        for (ssize_t n; (n = read(out[0], buf, sizeof buf)) > 0;) r.out.append(buf, static_cast<std::size_t>(n));
    }
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    r.status = WIFSIGNALED(status) ? -WTERMSIG(status) : WEXITSTATUS(status);
    return r;
}

// Files beside the data file whose name starts with its own: temporary files.
int leftovers(const TempDir& dir, const std::string& file) {
    int n = 0;
    for (const auto& entry : fs::directory_iterator(dir.path)) {
        const std::string name = entry.path().filename().string();
        n += name != file && name.rfind(file, 0) == 0;
    }
    return n;
}

std::vector<std::string> tokensOf(const std::string& bytes) {
    std::vector<std::string> tokens;
    std::istringstream in(bytes);
    for (std::string w; in >> w;) tokens.push_back(w);
    return tokens;
}

// One data file and a way to rewrite it. script(round, saves, last) writes
// `saves` new versions of the file after the whole version `last`;
// version(bytes) is the version a whole file holds, -1 when the file is not a
// whole one (torn, cut, unreadable).
struct Target {
    std::string file;
    bool editor;
    std::function<std::string(int round, int saves, long last)> script;
    std::function<long(const std::string& bytes)> version;
    std::string failure;     // what the box says when the file cannot be written
    long restartAbove = -1;  // past this version the file starts again as `restart` (version 0)
    std::string restart;
};

void prepare(const TempDir& dir) {
    fs::create_directory(dir.path / "sons");
    spit(dir / "Reglages.cfg", std::string("son=0,Musique=0,Rapidit\xE9=0"));
    fs::copy_file(std::string(QUELMAR_STAGE_DIR) + "/niveau.niv", dir / "niveau.niv");
}

// Key S over and over after a new game in slot 1, the hero taking one step
// between saves: the version is the round (in the hero's name) then the step.
const Target SAVES{"Sauvegardes.sav", false,
                   [](int round, int saves, long) {
                       std::string s = "seed " + std::to_string(round) + "\nmenu 40011\ntype 1064 Tour " +
                                       std::to_string(round) + "\nclick 1\nclick 1032\n";
                       for (int k = 0; k < saves; ++k) s += "answer yes\nkey S\nkey Right\n";
                       return s;
                   },
                   [](const std::string& bytes) -> long {
                       const std::vector<std::string> tokens = tokensOf(bytes);
                       const SaveSlots slots = decodeSaveFile({tokens.begin(), tokens.end()});
                       const SaveSlot& s = slots[0];
                       if (slotIsEmpty(s) || encodeSaveFile(slots) != bytes || s.name.rfind("Tour ", 0) != 0) return -1;
                       return (std::atol(s.name.c_str() + 5) << 16) + s.viewLeft * 100 + s.heroCol;
                   },
                   "caption=\"Erreur de sauvegarde...\" text=\"La partie n'a pas pu être sauvegardée", -1, ""};

// The settings dialog on the title screen, OK with the sound switched each time.
// Both values are whole versions, in no order: the version is 0.
const Target SETTINGS{"Reglages.cfg", false,
                      [](int, int saves, long) {
                          std::string s;
                          for (int k = 0; k < saves; ++k) s += "menu 40012\nclick 1066\nclick 1\n";
                          return s + "state\n";
                      },
                      [](const std::string& bytes) -> long {
                          int sound = 0, music = 0, slow = 0;
                          const bool whole = parseSettings(bytes, sound, music, slow) &&
                                             bytes == "son=" + std::to_string(sound) + ",Musique=0,Rapidit\xE9=0";
                          return whole ? 0 : -1;
                      },
                      "caption=\"Erreur d'enregistrement...\" text=\"Les réglages n'ont pas pu être enregistrés", -1, ""};

// The editor paints the next cell in wall before each save, row by row from the
// top left: the version is the number of wall cells. Past 9,000 the test starts
// again from a level of background.
const Target LEVEL{"perso.niv", true,
                   [](int, int saves, long last) {
                       std::string s;
                       for (int k = 0; k < saves; ++k) {
                           const int cell = static_cast<int>((last + k) % 10000);
                           const std::string at = std::to_string(5 + 7 * (cell % 100)) + " " + std::to_string(5 + 7 * (cell / 100));
                           s += "mouse ldown " + at + "\nmouse lup " + at + "\nmenu 40057\n";
                       }
                       return s;
                   },
                   [](const std::string& bytes) -> long {
                       const LevelRead read = parseLevel(true, tokensOf(bytes));
                       if (read.shortGrid || read.startUnreadable || bytes != formatLevel(read.grid.c_str(), read.startCol, read.startRow))
                           return -1;
                       return static_cast<long>(std::count(bytes.begin(), bytes.end(), 's'));
                   },
                   "icon=error buttons=ok default=ok caption=\"Editeur \" text=\"La sauvegarde a échoué",
                   9000, formatLevel(std::string(10000, 'a').c_str(), 0, 0)};

void killOverAndOver(const Target& t) {
    const long rounds = envOr("QUELMAR_KILL_ROUNDS", KILL_ROUNDS);
    const unsigned seed = static_cast<unsigned>(envOr("QUELMAR_KILL_SEED", time(nullptr)));
    std::mt19937 random(seed);
    SCOPED_TRACE("QUELMAR_KILL_SEED=" + std::to_string(seed));
    TempDir dir;
    prepare(dir);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(runGame(dir, t.script(0, 1, 0), t.editor).status, 0) << "a first whole file";
    // Kills fall from half the time of start-up and one save to well after it.
    const int oneRun = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
    std::string bytes = slurp(dir / t.file);
    long last = t.version(bytes);
    ASSERT_GE(last, 0);
    int torn = 0, changed = 0;
    for (long round = 1; round <= rounds; ++round) {
        if (t.restartAbove >= 0 && last > t.restartAbove) {
            platform::replaceFile(dir / t.file, t.restart);
            bytes = t.restart, last = 0;
        }
        const int killMs = std::uniform_int_distribution<int>(oneRun / 2, oneRun + 150)(random);
        const int status = runGame(dir, t.script(static_cast<int>(round), 400, last), t.editor, {killMs}).status;
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
        ASSERT_EQ(runGame(dir, t.script(static_cast<int>(round), 1, last), t.editor).status, 0);
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

std::set<std::string> entries(const TempDir& dir) {
    std::set<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(dir.path)) names.insert(e.path().string());
    return names;
}

}  // namespace

TEST(Kill, SavesAreTheOldFileOrTheNewOneWhole) { killOverAndOver(SAVES); }
TEST(Kill, SettingsAreTheOldFileOrTheNewOneWhole) { killOverAndOver(SETTINGS); }
TEST(Kill, EditorLevelsAreTheOldFileOrTheNewOneWhole) { killOverAndOver(LEVEL); }

// Each file written into a folder that refuses writes, then onto a full disk (a
// file-size limit far below the file's size): the previous file stays as it
// was, nothing is added, the box says so in French, and the script runs to its
// end (the game went on).
TEST(RefusedWrites, KeepThePreviousFileAndTellThePlayer) {
    for (const Target* t : {&SAVES, &SETTINGS, &LEVEL}) {
        for (const bool readOnly : {true, false}) {
            SCOPED_TRACE(t->file + (readOnly ? " in a read-only folder" : " on a full disk"));
            TempDir dir;
            prepare(dir);
            ASSERT_EQ(runGame(dir, t->script(0, 1, 0), t->editor).status, 0);
            const std::string before = slurp(dir / t->file);
            const std::set<std::string> names = entries(dir);
            using p = fs::perms;
            if (readOnly) fs::permissions(dir.path, p::owner_read | p::owner_exec | p::group_read | p::group_exec | p::others_read | p::others_exec);
            const GameRun r = runGame(dir, t->script(1, 1, t->version(before)) + "state\n", t->editor,
                                  {.fileLimit = readOnly ? 0 : 16, .unprivileged = readOnly});
            fs::permissions(dir.path, p::owner_all);
            EXPECT_EQ(r.status, 0) << r.out;
            EXPECT_EQ(slurp(dir / t->file), before);
            EXPECT_EQ(entries(dir), names);
            EXPECT_NE(r.out.find(t->failure), std::string::npos) << r.out;
            EXPECT_NE(r.out.find("\ngrid="), std::string::npos) << "the state dump after the last line";
            if (t == &SETTINGS) {
                // The file keeps the sound on; switched off, it stays off for the run.
                EXPECT_NE(r.out.find("\nsoundOn=0\n"), std::string::npos) << "the choice holds for the run";
            }
        }
    }
}
