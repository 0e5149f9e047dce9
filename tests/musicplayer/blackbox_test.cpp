// The real program as the game runs it: a child process in a sons/ folder,
// told what to do only through MusicCfg.cfg.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "player_process.h"

namespace {

using namespace playertest;

// Far above the player's own worst case (two polls, 250 ms), so a loaded
// machine does not fail the test; the benchmark measures the real figure.
constexpr int EXIT_TIMEOUT_MS = 2000;

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::size_t countNonZero(const fs::path& file, std::size_t from, std::size_t to) {
    std::ifstream in(file, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(from));
    std::size_t count = 0;
    for (std::size_t i = from; i < to; ++i) {
        int c = in.get();
        if (c == EOF) break;
        if (c != 0) ++count;
    }
    return count;
}

class PlayerProgram : public ::testing::Test {
protected:
    fs::path dir;
    pid_t pid = -1;
    void TearDown() override {
        killPlayer(pid);
        if (!dir.empty()) fs::remove_all(dir);
    }
    void expectEndsOnQuit(const fs::path& controlDir) {
        ASSERT_TRUE(stillRunning(pid));
        ASSERT_TRUE(writeControl(controlDir, "musique:100"));
        int status = 0;
        double ms = 0;
        ASSERT_TRUE(waitForExit(pid, EXIT_TIMEOUT_MS, status, ms)) << "still running after " << ms << " ms";
        pid = -1;
        ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
        EXPECT_EQ(WEXITSTATUS(status), 0);
        RecordProperty("quit_to_exit_ms", static_cast<int>(ms));
    }
};

TEST_F(PlayerProgram, RunsThroughTrackChangesAndEndsOnQuit) {
    dir = makeSonsDir(QUELMAR_PLAYER_EXE, true);
    ASSERT_FALSE(dir.empty());
    ASSERT_TRUE(writeControl(dir, "musique:4"));
    pid = startPlayer(dir, dir, "dummy");
    for (const char* t : {"musique:4", "musique:1", "musique:0", "musique:3", "musique:2", "musique:2"}) {
        ASSERT_TRUE(writeControl(dir, t));
        sleepMs(200);
        ASSERT_TRUE(stillRunning(pid)) << "ended after " << t;
    }
    expectEndsOnQuit(dir);
}

TEST_F(PlayerProgram, QuitAtStartEnds) {
    dir = makeSonsDir(QUELMAR_PLAYER_EXE, true);
    ASSERT_TRUE(writeControl(dir, "musique:100"));
    pid = startPlayer(dir, dir, "dummy");
    int status = 0;
    double ms = 0;
    ASSERT_TRUE(waitForExit(pid, EXIT_TIMEOUT_MS, status, ms));
    pid = -1;
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(PlayerProgram, SurvivesBadInputWithoutDeviceOrWaveFiles) {
    // No such audio driver: no device at all. No wave files either.
    dir = makeSonsDir(QUELMAR_PLAYER_EXE, false);
    pid = startPlayer(dir, dir, "nosuchdriver");
    sleepMs(200);  // no control file yet
    ASSERT_TRUE(stillRunning(pid));
    for (const char* t : {"musique:1", "", "garbage", "musique:7", "musique:-3", "musique:99999999999",
                          "musique:5", "musique:0"}) {
        ASSERT_TRUE(writeControl(dir, t));
        sleepMs(150);
        ASSERT_TRUE(stillRunning(pid)) << "ended after \"" << t << "\"";
    }
    // A file far larger than anything the game writes, without a single space.
    {
        std::ofstream big(dir / "MusicCfg.cfg", std::ios::binary | std::ios::trunc);
        std::string block(1 << 20, 'x');
        for (int i = 0; i < 8; ++i) big << block;
    }
    sleepMs(300);
    ASSERT_TRUE(stillRunning(pid));
    // The file deleted while a track is chosen.
    ASSERT_TRUE(writeControl(dir, "musique:2"));
    sleepMs(200);
    fs::remove(dir / "MusicCfg.cfg");
    sleepMs(300);
    expectEndsOnQuit(dir);
}

// SDL's disk driver writes what the device would play into a file: zero bytes
// are silence. The wave files sit beside the executable only and the control
// file in the working directory only, as when the game starts the player.
TEST_F(PlayerProgram, PlaysFromItsOwnFolderAndReadsItsWorkingDirectory) {
    dir = makeSonsDir(QUELMAR_PLAYER_EXE, true);
    fs::path work = dir / "travail";
    fs::create_directory(work);
    const fs::path out = dir / "sortie.raw";
    ASSERT_TRUE(writeControl(work, "musique:1"));
    pid = startPlayer(dir, work, "disk", out.c_str());
    // The quit number beside the executable is not the control file.
    ASSERT_TRUE(writeControl(dir, "musique:100"));
    sleepMs(700);
    ASSERT_TRUE(stillRunning(pid));
    std::size_t heard = fs::exists(out) ? fs::file_size(out) : 0;
    EXPECT_GT(countNonZero(out, 0, heard), heard / 8) << "the music is not playing";

    ASSERT_TRUE(writeControl(work, "musique:0"));
    sleepMs(700);
    std::size_t total = fs::file_size(out);
    // The last 4 KiB written (a few tens of milliseconds in any format the
    // device may have) must be silence.
    ASSERT_GT(total, heard + 4096);
    EXPECT_EQ(countNonZero(out, total - 4096, total), 0u) << "the music did not stop";
    expectEndsOnQuit(work);
}

}  // namespace
