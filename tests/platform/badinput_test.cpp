// Bad input given to the real programs, one row per case of docs/bad-input.md
// that no other test shows: in place of a data file, a picture or a sound,
// nothing, a folder, a named pipe, a file this user may not read, bytes of
// the wrong kind, or gigabytes. The game and the editor run as the headless
// runner, the music player as itself (as user nobody when we are root, so that
// permissions hold); wave files go through the audio backend. Every run must
// end by itself within its time (a hang is killed and fails) and show what its
// row says.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <future>
#include <thread>

#include "platform/audio.h"
#include "platform/files.h"
#include "support.h"

using support::slurp, support::spit, support::TempDir;
namespace fs = support::fs;
using namespace std::chrono_literals;

namespace {

enum class Program { Game, Editor, Player };
// What is put in the file's place. Huge: the bytes, then zeros up to 4 GB (a sparse file).
enum class Put { Missing, Bytes, Folder, Pipe, Unreadable, Huge };

struct Row {
    const char* id;  // the case in docs/bad-input.md
    Program program;
    std::string file;  // in the working directory; "game/..." in the game directory
    Put put;
    std::string bytes;
    std::string script;              // the runner's script (the player takes none)
    std::vector<std::string> shows;  // each in the output; "!text": nowhere in it
    std::string after = "";          // the file afterwards: "" not looked at, "=" as put, "<folder>" still a folder
};

const fs::path STAGE = QUELMAR_STAGE_DIR;
constexpr uid_t NOBODY = 65534;

// Scripts (the game's start with "seed 1"): a new game named Jo with slot 1 as its default; the S key, answered
// yes; the load dialog, listed and cancelled; the load of slot 1.
const std::string NEW_GAME = "menu 40011\ntype 1064 Jo\nclick 1\nclick 1032\n";
const std::string SAVE = "answer yes\nkey S\n";
const std::string LIST_SLOTS = "menu 40008\ncontrols\nclick 2\n";
const std::string LOAD_SLOT_1 = "menu 40008\nclick 1032\n";
const std::string SETTINGS = std::string("son=1,Musique=1,Rapidit\xE9=0");
const std::string NO_NO_NO = "answer no\nanswer no\nanswer no\n";  // the first-launch questions
const std::string FIRST_LAUNCH = "caption=\"Réglages de premier lancement\"";
const std::string SLOT_1_EMPTY = "control 1029 readonly \"\"", SLOT_1_JO = "control 1029 readonly \"Jo\"";

// A 16-bit mono header of a wave whose samples take dataBytes.
std::string waveHeader(std::uint32_t dataBytes) {
    const std::uint32_t head[] = {0x46464952, 36 + dataBytes, 0x45564157, 0x20746D66, 16, 0x10001,
                                  22050,      44100,          0x100002,   0x61746164, dataBytes};
    return std::string(reinterpret_cast<const char*>(head), sizeof head);
}

void place(const fs::path& at, Put put, const std::string& bytes) {
    fs::remove_all(at);
    switch (put) {
        case Put::Missing: break;
        case Put::Bytes: spit(at, bytes); break;
        case Put::Folder: fs::create_directory(at); break;
        case Put::Pipe: ASSERT_EQ(mkfifo(at.c_str(), 0666), 0); break;
        case Put::Unreadable:
            spit(at, bytes);
            fs::permissions(at, fs::perms::none);
            break;
        case Put::Huge:
            spit(at, bytes);
            ASSERT_EQ(truncate(at.c_str(), 4LL << 30), 0);
            break;
    }
}

// A game directory of links to the stage, with a real folder on the way to
// `inside`, which is left out for the row to put.
void mirror(const fs::path& from, const fs::path& to, const fs::path& inside) {
    fs::create_directory(to);
    const fs::path first = *inside.begin();
    for (const auto& e : fs::directory_iterator(from)) {
        const fs::path name = e.path().filename();
        if (name != first) fs::create_symlink(e.path(), to / name);
        else if (inside != first) mirror(e.path(), to / name, inside.lexically_relative(first));
    }
}

// Runs argv in dir, its output into `out`; as nobody when we are root. Returns
// the exit status, -1 when it had to be killed after limit.
int runFor(std::vector<std::string> argv, const fs::path& dir, const fs::path& out, std::chrono::milliseconds limit,
           const std::function<void(pid_t)>& meanwhile = {}) {
    std::vector<char*> args;
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    const int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const pid_t pid = fork();
    if (pid == 0) {  // only calls that are safe after fork until exec
        dup2(fd, 1);
        dup2(fd, 2);
        if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setresgid(NOBODY, NOBODY, NOBODY) != 0 ||
                               setresuid(NOBODY, NOBODY, NOBODY) != 0))
            _exit(126);
        if (chdir(dir.c_str()) == 0) execv(args[0], args.data());
        _exit(127);
    }
    close(fd);
    if (meanwhile) meanwhile(pid);
    const auto end = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > end) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(5ms);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

void giveToNobody(const fs::path& dir) {
    if (geteuid() != 0) return;
    lchown(dir.c_str(), NOBODY, NOBODY);
    for (const auto& e : fs::recursive_directory_iterator(dir)) lchown(e.path().c_str(), NOBODY, NOBODY);
}

class BadInput : public ::testing::Test {
protected:
    // Slot 1 holds Jo, the others are empty: the file as the game writes it.
    static std::string savedJo() {
        static const std::string bytes = [] {
            TempDir dir;
            prepare(dir.path);
            giveToNobody(dir.path);
            std::string out;
            EXPECT_EQ(runner(dir, NEW_GAME + SAVE, false, STAGE, out), 0) << out;
            return slurp(dir / "Sauvegardes.sav");
        }();
        return bytes;
    }

    static void prepare(const fs::path& dir) {
        fs::create_directory(dir / "sons");
        spit(dir / "Reglages.cfg", SETTINGS);
        fs::copy_file(STAGE / "niveau.niv", dir / "niveau.niv");
    }

    static int runner(const TempDir& dir, const std::string& script, bool editor, const fs::path& gameDir,
                      std::string& out) {
        TempDir scratch;  // the script and the output, beside the working directory
        spit(scratch / "script.txt", (editor ? "" : "seed 1\n") + script);
        chmod(scratch.path.c_str(), 0755);
        chmod((scratch / "script.txt").c_str(), 0644);
        std::vector<std::string> argv = {QUELMAR_HEADLESS_EXE, "--gamedir", gameDir.string()};
        if (editor) argv.push_back("--editor");
        argv.push_back(scratch / "script.txt");
        const int status = runFor(argv, dir.path, scratch / "out", 30s);
        out = slurp(scratch / "out");
        return status;
    }

    // The player reads the row's control file a few times, must still run,
    // then ends on the quit number written in its place.
    static int player(const TempDir& dir, std::string& out) {
        TempDir scratch;
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        const int status = runFor({QUELMAR_PLAYER_EXE}, dir.path, scratch / "out", 5s, [&](pid_t pid) {
            std::this_thread::sleep_for(500ms);
            EXPECT_EQ(waitpid(pid, nullptr, WNOHANG), 0) << "the player ended on its own";
            fs::remove_all(dir / "MusicCfg.cfg");
            EXPECT_TRUE(platform::replaceFile(dir / "MusicCfg.cfg", "musique:100"));
        });
        out = slurp(scratch / "out");
        return status;
    }

    static void check(const Row& r) {
        SCOPED_TRACE(std::string("case ") + r.id + ": " + r.file);
        TempDir dir;
        if (r.program == Program::Game) prepare(dir.path);
        fs::path gameDir = STAGE;
        fs::path at = dir.path / r.file;
        if (r.file.rfind("game/", 0) == 0) {
            gameDir = dir.path / "jeu";
            mirror(STAGE, gameDir, fs::path(r.file).lexically_relative("game"));
            at = gameDir / fs::path(r.file).lexically_relative("game");
        }
        place(at, r.put, r.bytes);
        giveToNobody(dir.path);
        std::string out;
        const auto start = std::chrono::steady_clock::now();
        const int status =
            r.program == Program::Player ? player(dir, out) : runner(dir, r.script, r.program == Program::Editor, gameDir, out);
        EXPECT_EQ(status, 0) << (status == -1 ? "killed: it hangs\n" : "") << out;
        EXPECT_LT(std::chrono::steady_clock::now() - start, 10s) << "it kept the player waiting";
        for (const std::string& s : r.shows) {
            if (s[0] == '!') EXPECT_EQ(out.find(s.substr(1)), std::string::npos) << s << "\n" << out;
            else EXPECT_NE(out.find(s), std::string::npos) << s << "\n" << out;
        }
        if (r.put == Put::Unreadable && fs::is_regular_file(at)) fs::permissions(at, fs::perms::owner_read, fs::perm_options::add);
        if (r.after == "<folder>") {
            EXPECT_TRUE(fs::is_directory(at));
        } else if (r.after == "=") {
            EXPECT_TRUE(slurp(at) == r.bytes) << "the file changed";
        } else if (!r.after.empty()) {
            EXPECT_TRUE(slurp(at) == r.after) << slurp(at).substr(0, 200);
        }
    }
};

}  // namespace

TEST_F(BadInput, SettingsFile) {
    const std::string noNoNo = std::string("son=0,Musique=0,Rapidit\xE9=1");
    const std::string writeRefused = "owner=none icon=error buttons=ok default=ok caption=\"Erreur d'enregistrement...\"";
    for (const Row& r : std::vector<Row>{
             {"R2", Program::Game, "Reglages.cfg", Put::Bytes, "", NO_NO_NO, {FIRST_LAUNCH}, noNoNo},
             {"R6", Program::Game, "Reglages.cfg", Put::Bytes, std::string("son=1\0,Musique=1,Rapidit\xE9=0", 27), NO_NO_NO,
              {FIRST_LAUNCH}, noNoNo},
             {"R7", Program::Game, "Reglages.cfg", Put::Bytes, "\x89PNG\r\n\x1A\n", NO_NO_NO, {FIRST_LAUNCH}, noNoNo},
             {"R8", Program::Game, "Reglages.cfg", Put::Bytes,
              std::string("son=99999999999999999999,Musique=-99999999999999999999,Rapidit\xE9=0"), "state\n",
              {"!box ", "\nsoundOn=1\nmusicOn=1\nslowComputer=0\n"}, "="},
             {"R9", Program::Game, "Reglages.cfg", Put::Huge, SETTINGS, "state\n", {"!box ", "\nsoundOn=1\nmusicOn=1\n"}},
             {"R10", Program::Game, "Reglages.cfg", Put::Folder, "", NO_NO_NO + "state\n",
              {FIRST_LAUNCH, writeRefused, "\nsoundOn=0\nmusicOn=0\nslowComputer=1\n"}, "<folder>"},
             {"R11", Program::Game, "Reglages.cfg", Put::Pipe, "", NO_NO_NO, {FIRST_LAUNCH}, noNoNo},
             {"R12", Program::Game, "Reglages.cfg", Put::Unreadable, SETTINGS, NO_NO_NO, {FIRST_LAUNCH}, noNoNo},
         })
        check(r);
}

TEST_F(BadInput, SaveFile) {
    const std::string jo = savedJo();
    ASSERT_EQ(jo.rfind("Jo ", 0), 0u);
    // Jo with a control byte in his name and a zero byte in his first cell.
    std::string mangled = jo;
    mangled[1] = '\x01';
    std::size_t cell = 0;
    for (int spaces = 0; spaces < 47; ++cell) spaces += mangled[cell] == ' ' && mangled[cell + 1] != ' ';
    ASSERT_NE(mangled[cell], 'a');
    mangled[cell] = '\0';
    const std::string refused = "caption=\"Erreur de sauvegarde...\" text=\"La partie n'a pas pu être sauvegardée";
    for (const Row& r : std::vector<Row>{
             {"S3", Program::Game, "Sauvegardes.sav", Put::Bytes, "", LIST_SLOTS + NEW_GAME + SAVE, {SLOT_1_EMPTY, "!Erreur"}, jo},
             {"S7", Program::Game, "Sauvegardes.sav", Put::Bytes, mangled, LOAD_SLOT_1, {"\nplayerName=J?\n", "\ngrid=a"}},
             {"S9", Program::Game, "Sauvegardes.sav", Put::Bytes, "\x7F" "ELF\x02\x01\x01\0\0\0 PK\x03\x04 \xFF\xFE", LIST_SLOTS,
              {SLOT_1_EMPTY}},
             {"S10", Program::Game, "Sauvegardes.sav", Put::Huge, jo, LIST_SLOTS, {SLOT_1_JO}},
             {"S11", Program::Game, "Sauvegardes.sav", Put::Folder, "", LIST_SLOTS + NEW_GAME + SAVE,
              {SLOT_1_EMPTY, refused + ": le fichier Sauvegardes.sav n'a pas pu être écrit"}, "<folder>"},
             {"S12", Program::Game, "Sauvegardes.sav", Put::Pipe, "", LIST_SLOTS + NEW_GAME + SAVE, {SLOT_1_EMPTY, "!Erreur"}, jo},
             // The games it holds are kept: no save over it.
             {"S13", Program::Game, "Sauvegardes.sav", Put::Unreadable, jo, LIST_SLOTS + NEW_GAME + SAVE,
              {SLOT_1_EMPTY, refused + ": le fichier Sauvegardes.sav ne peut pas être lu"}, "="},
             // The temporary file's name taken: every save fails, and says so.
             {"S14", Program::Game, "Sauvegardes.sav.tmp", Put::Folder, "", NEW_GAME + SAVE,
              {refused + ": le fichier Sauvegardes.sav n'a pas pu être écrit"}, "<folder>"},
         })
        check(r);
}

TEST_F(BadInput, LevelFiles) {
    const std::string level = slurp(STAGE / "niveau.niv");
    const std::string custom = "menu 40011\ntype 1064 Jo\ncheck 1081 on\nclick 1\nclick 1032\n";
    const std::string cannotRead = " ne peut pas être lu (ce n'est pas un fichier, ou sa lecture est interdite)";
    const std::string editorSaved = "text=\"sauvegardé\"";
    std::string binary;
    for (int k = 0; k < 10000; ++k) binary += static_cast<char>(0x80 + k % 128);
    for (const Row& r : std::vector<Row>{
             {"N2", Program::Game, "niveau.niv", Put::Bytes, "", NEW_GAME, {"niveau.niv est incomplet: les cases manquantes sont vides"}},
             {"N5", Program::Game, "niveau.niv", Put::Bytes, binary, NEW_GAME,
              {"niveau.niv contient 10000 cases qui ne sont pas des tuiles",  // all background but the gate the intro closes
               "\ngrid=" + std::string(9802, 'a') + "s" + std::string(197, 'a')}},
             {"N6", Program::Game, "niveau.niv", Put::Huge, level, NEW_GAME, {"!caption=\"Niveau...\"", "\ngrid=s"}},
             {"N7", Program::Game, "niveau.niv", Put::Folder, "", NEW_GAME, {"Le niveau niveau.niv" + cannotRead + ": le château est vide"}},
             {"N8", Program::Game, "niveau.niv", Put::Pipe, "", NEW_GAME, {"Le niveau niveau.niv" + cannotRead}},
             {"N9", Program::Game, "niveau.niv", Put::Unreadable, level, NEW_GAME, {"Le niveau niveau.niv" + cannotRead}},
             {"P4", Program::Game, "perso.niv", Put::Unreadable, level + " 5 5 ", custom, {"Le niveau perso.niv" + cannotRead}},
             // The editor: told at start; a save replaces what can be replaced.
             {"E5", Program::Editor, "perso.niv", Put::Folder, "", "menu 40057\n",
              {"icon=warning buttons=ok default=ok caption=\"Editeur \" text=\"Le fichier perso.niv" + cannotRead,
               "La sauvegarde a échoué"}, "<folder>"},
             {"E6", Program::Editor, "perso.niv", Put::Pipe, "", "menu 40057\n", {"Le fichier perso.niv" + cannotRead, editorSaved},
              std::string(10000, 'a') + " 0 0 "},
             {"E7", Program::Editor, "perso.niv", Put::Unreadable, level + " 5 5 ", "", {"Le fichier perso.niv" + cannotRead}},
             // Bytes that are no tile are kept as they are: the game reads them as background.
             {"E8", Program::Editor, "perso.niv", Put::Bytes, binary + " 5 5 ", "menu 40057\n", {"text=\"Niveau chargé!\"", editorSaved},
              binary + " 5 5 "},
             {"E9", Program::Editor, "perso.niv", Put::Huge, level, "menu 40057\n",
              {"Niveau chargé en partie.\\nLe point de départ est illisible", editorSaved}, level + " 0 0 "},
         })
        check(r);
}

TEST_F(BadInput, MusicControlFile) {
    const std::string noPlayer = "box owner=none icon=error buttons=ok default=ok caption=\"Erreur de lancement...\" "
                                 "text=\"Le fichier sons/MusicCfg.cfg ne peut pas être écrit";
    for (const Row& r : std::vector<Row>{
             // The game makes sons/ when it is missing. When it cannot write the
             // control file it starts no player (it could never stop it), says so, and goes on.
             {"M3", Program::Game, "sons", Put::Missing, "", "", {"\nmusic 4\n", "\nlaunch ", "!box "}},
             {"M4", Program::Game, "sons/MusicCfg.cfg", Put::Folder, "", NEW_GAME,
              {"!\nmusic ", "!\nlaunch ", noPlayer, "!box owner=main icon=error"}, "<folder>"},
             {"M5", Program::Game, "sons", Put::Bytes, "pas un dossier", NEW_GAME, {"!\nmusic ", "!\nlaunch ", noPlayer}, "="},
             // The player reads on, then ends on the quit number.
             {"M6", Program::Player, "MusicCfg.cfg", Put::Bytes, std::string("musique:1\0musique:100", 21), "", {}},
             {"M7", Program::Player, "MusicCfg.cfg", Put::Folder, "", "", {}},
             {"M8", Program::Player, "MusicCfg.cfg", Put::Pipe, "", "", {}},
             {"M9", Program::Player, "MusicCfg.cfg", Put::Unreadable, "musique:100", "", {}},
             {"M10", Program::Player, "MusicCfg.cfg", Put::Huge, "musique:4 ", "", {}},
         })
        check(r);
}

// Pictures that are missing or bad are not drawn, and nothing is said.
TEST_F(BadInput, PictureFolders) {
    const std::string walk = NEW_GAME + "key Right\nkey I\nclick 2\nkey Left\n";
    const std::string noBox = "!box owner=main icon=";  // the boxes of the game's own texts have no icon
    std::string hugeBmp = slurp(STAGE / "Images/c.bmp");
    hugeBmp[18] = hugeBmp[22] = '\xA0', hugeBmp[19] = hugeBmp[23] = '\x86', hugeBmp[20] = hugeBmp[24] = '\x01';
    for (const Row& r : std::vector<Row>{
             {"I1", Program::Game, "game/Images", Put::Missing, "", walk, {noBox + "warning", noBox + "error"}},
             {"I2", Program::Game, "game/Images/a.bmp", Put::Pipe, "", walk, {noBox + "error"}},
             {"I3", Program::Game, "game/Images/s.bmp", Put::Folder, "", walk, {noBox + "error"}},
             {"I4", Program::Game, "game/Images/q.bmp", Put::Bytes, "BM\x10\0\0\0garbage", walk, {noBox + "error"}},
             {"I5", Program::Game, "game/Images/d.bmp", Put::Huge, "BM", walk, {noBox + "error"}},
             {"I6", Program::Game, "game/Images/c.bmp", Put::Bytes, hugeBmp, walk, {noBox + "error"}},
             {"I7", Program::Game, "game/Images/hommed.ico", Put::Unreadable, slurp(STAGE / "Images/hommed.ico"), walk, {noBox + "error"}},
             {"I8", Program::Editor, "game/imagese", Put::Missing, "", "menu 40064\nmouse ldown 100 100\nmouse lup 100 100\nmenu 40057\n",
              {"text=\"sauvegardé\"", "\nlevelXp=1\n"}},
         })
        check(r);
}

// Wave files the audio backend is given: each is refused (or plays what it
// holds) at once, for the music and for an effect alike.
TEST(BadWaves, AreRefusedAtOnce) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_TRUE(platform::audio::open());
    const struct {
        const char* id;
        Put put;
        std::string bytes;
        bool plays;
    } rows[] = {
        {"W2", Put::Bytes, "", false},
        {"W3", Put::Bytes, waveHeader(8000) + std::string(100, '\x10'), true},  // cut short: what is there plays
        {"W4", Put::Pipe, "", false},
        {"W5", Put::Folder, "", false},
        {"W6", Put::Huge, waveHeader(0xFFFFFF00u), false},
    };
    TempDir dir;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.id);
        const fs::path at = dir.path / "son.wav";
        place(at, r.put, r.bytes);
        auto done = std::make_shared<std::promise<bool>>();
        std::thread([done, at] {
            platform::audio::playEffect(at);
            done->set_value(platform::audio::playLoop(at));
        }).detach();
        auto played = done->get_future();
        const bool inTime = played.wait_for(3s) == std::future_status::ready;
        if (!inTime && r.put == Put::Pipe) close(open(at.c_str(), O_WRONLY | O_NONBLOCK));  // lets the thread go
        ASSERT_TRUE(inTime) << "the sound holds the program";
        EXPECT_EQ(played.get(), r.plays);
        platform::audio::stopLoop();
    }
    platform::audio::close();
}

// Names typed in the new-game dialog, after a save and a load: blanks become
// spaces, control bytes and what Windows-1252 cannot write '?', and at most 59
// characters are kept.
TEST_F(BadInput, PlayerNames) {
    const auto named = [](const std::string& name) { return "menu 40011\ntype 1064 " + name + "\nclick 1\nclick 1032\n" + SAVE + LOAD_SLOT_1; };
    std::string snowmen;
    for (int k = 0; k < 70; ++k) snowmen += "\u2603";
    for (const Row& r : std::vector<Row>{
             {"U5", Program::Game, "Sauvegardes.sav", Put::Missing, "", named("Jo\t\xC2\xA4\x01\xC3\xA9\xFF"), {"\nplayerName=Jo  ?\xC3\xA9?\n"}},
             {"U4", Program::Game, "Sauvegardes.sav", Put::Missing, "", named(snowmen), {"\nplayerName=" + std::string(59, '?') + "\n"}},
         })
        check(r);
}
