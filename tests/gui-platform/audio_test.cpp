// The audio backend as a black box on SDL's dummy driver (which plays in real
// time into nothing), and with no usable driver at all.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "pictures.h"
#include "platform/audio.h"

namespace {

using namespace std::chrono_literals;
namespace audio = platform::audio;

std::string wave(const std::string& name, int ms) {
    char tmpl[] = "/tmp/audiotestXXXXXX";
    std::string path = std::string(mkdtemp(tmpl)) + "/" + name;
    EXPECT_TRUE(pictures::write(path, pictures::wav(ms)));
    return path;
}

TEST(Audio, MusicLoopsUntilStoppedOrReplaced) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_TRUE(audio::open());
    EXPECT_TRUE(audio::open());  // opened once, stays open
    const std::string shortTune = wave("court.wav", 100);
    EXPECT_FALSE(audio::loopPlaying());
    ASSERT_TRUE(audio::playLoop(shortTune));
    std::this_thread::sleep_for(400ms);  // four times its length
    EXPECT_TRUE(audio::loopPlaying());
    audio::stopLoop();
    EXPECT_FALSE(audio::loopPlaying());
    audio::stopLoop();  // twice is harmless

    // A file that cannot be loaded replaces the music with silence.
    ASSERT_TRUE(audio::playLoop(shortTune));
    EXPECT_FALSE(audio::playLoop(shortTune + ".absent"));
    EXPECT_FALSE(audio::loopPlaying());
    const std::string notWave = wave("faux.wav", 10) + "x";
    ASSERT_TRUE(pictures::write(notWave, {'R', 'I', 'F', 'F', 0, 0}));
    EXPECT_FALSE(audio::playLoop(notWave));

    // Effects beside the music leave it playing; a missing one plays nothing.
    ASSERT_TRUE(audio::playLoop(shortTune));
    audio::playEffect(wave("pas.wav", 50));
    audio::playEffect(wave("coup.wav", 50));  // cuts the first
    audio::playEffect("/nonexistent/effect.wav");
    std::this_thread::sleep_for(150ms);
    EXPECT_TRUE(audio::loopPlaying());
    audio::close();
    EXPECT_FALSE(audio::loopPlaying());
    // Reopens after a close.
    EXPECT_TRUE(audio::playLoop(shortTune));
    audio::close();
}

TEST(Audio, WithoutADeviceEverythingIsSilent) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    const std::string tune = wave("musique.wav", 100);
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(audio::open());
    EXPECT_FALSE(audio::open());
    EXPECT_FALSE(audio::playLoop(tune));
    EXPECT_FALSE(audio::loopPlaying());
    audio::playEffect(tune);
    audio::stopLoop();
    audio::close();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);  // no hang
}

// An open device must not keep the program from being stopped by a signal.
TEST(Audio, TheProgramStillStopsOnSigterm) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        audio::open();
        raise(SIGTERM);
        std::this_thread::sleep_for(2s);
        _exit(0);  // only when the signal was swallowed
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status));
    if (WIFSIGNALED(status)) {
        EXPECT_EQ(WTERMSIG(status), SIGTERM);
    }
}

}  // namespace
