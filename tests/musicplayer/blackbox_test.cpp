// The real program as the game runs it: a child process in a sons/ folder,
// told what to do only through MusicCfg.cfg.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "player.h"
#include "player_process.h"

namespace {

using namespace playertest;

// Far above the player's worst case (two polls, 250 ms): the benchmark measures that.
constexpr int EXIT_TIMEOUT_MS = 2000;

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Everything in a file (what SDL's disk driver has written so far).
std::string contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The child is killed and the folder removed however the test ends.
class PlayerProgram : public ::testing::Test {
protected:
    fs::path dir;
    pid_t pid = -1;
    void TearDown() override { killPlayer(pid); fs::remove_all(dir); }
    // Starts the player in work (the one before, if any, is killed).
    void start(const fs::path& work, const char* driver, const char* diskFile = nullptr) {
        killPlayer(pid);
        pid = startPlayer(dir, work, driver, diskFile);
    }
    // Writes each text (nullopt: deletes the file); the player must go on.
    void feed(const fs::path& work, std::initializer_list<std::optional<std::string>> texts) {
        for (const auto& t : texts) {
            ASSERT_TRUE(t ? writeControl(work, *t) : fs::remove(work / MUSIC_CONTROL_FILE));
            sleepMs(150);
            ASSERT_TRUE(stillRunning(pid)) << "ended after " << t.value_or("(file deleted)").substr(0, 30);
        }
    }
    // Writes the quit number (again) and waits for a clean exit.
    void expectEndsOnQuit(const fs::path& work) {
        ASSERT_TRUE(writeControl(work, "musique:100"));
        int status = 0;
        double ms = 0;
        ASSERT_TRUE(waitForExit(pid, EXIT_TIMEOUT_MS, status, ms)) << "still running after " << ms << " ms";
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    }
};

// With the dummy driver and the tracks, then with no device at all and no
// wave files: the player goes on through changes, bad text and the file
// deleted, and ends on the quit number, also when it is there from the start.
TEST_F(PlayerProgram, RunsThroughChangesAndBadInputAndEndsOnQuit) {
    for (const bool device : {true, false}) {
        SCOPED_TRACE(device ? "dummy driver" : "no device, no wave files");
        dir = makeSonsDir(QUELMAR_PLAYER_EXE, device);
        start(dir, device ? "dummy" : "nosuchdriver");
        sleepMs(200);  // no control file yet
        feed(dir, {"musique:4", "musique:4", "musique:1", "musique:0", "musique:3", "", " \n\t ", "garbage",
                   "musique:7", "musique:-3", "musique:99999999999", "musique:3 musique:100",
                   std::string(CONTROL_READ_LIMIT, ' ') + "musique:100", std::string(8 << 20, 'x'),
                   "musique:2", "musique:2", std::nullopt});
        expectEndsOnQuit(dir);
        start(dir, "dummy");
        expectEndsOnQuit(dir);
        fs::remove_all(dir);
    }
}

// SDL's disk driver writes what the device would play into a file: zero bytes
// are silence. The wave files sit beside the executable only and the control
// file in the working directory only, as when the game starts the player.
TEST_F(PlayerProgram, PlaysFromItsOwnFolderAndReadsItsWorkingDirectory) {
    dir = makeSonsDir(QUELMAR_PLAYER_EXE, true);
    const fs::path work = dir / "travail", out = dir / "sortie.raw";
    fs::create_directory(work);
    ASSERT_TRUE(writeControl(work, "musique:1"));
    start(work, "disk", out.c_str());
    ASSERT_TRUE(writeControl(dir, "musique:100"));  // beside the executable: not the control file
    sleepMs(700);
    ASSERT_TRUE(stillRunning(pid));
    const std::string heard = contents(out);
    EXPECT_GT(heard.size() - std::count(heard.begin(), heard.end(), '\0'), heard.size() / 8) << "no music heard";
    ASSERT_TRUE(writeControl(work, "musique:0"));
    sleepMs(700);
    // The last 4 KiB written (tens of milliseconds in any device format) must be silence.
    const std::string all = contents(out);
    ASSERT_GT(all.size(), heard.size() + 4096);
    EXPECT_EQ(std::count(all.end() - 4096, all.end(), '\0'), 4096) << "the music did not stop";
    expectEndsOnQuit(work);
}

}  // namespace
