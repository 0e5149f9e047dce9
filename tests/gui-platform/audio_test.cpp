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
    static char tmpl[] = "/tmp/audiotestXXXXXX";
    static const std::string dir = mkdtemp(tmpl);
    EXPECT_TRUE(pictures::write(dir + "/" + name, pictures::wav(ms)));
    return dir + "/" + name;
}

TEST(Audio, MusicLoopsUntilStoppedOrReplaced) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_TRUE(audio::open());
    EXPECT_TRUE(audio::open());  // opened once, stays open
    const std::string tune = wave("court.wav", 100);
    EXPECT_FALSE(audio::loopPlaying());
    ASSERT_TRUE(audio::playLoop(tune));
    std::this_thread::sleep_for(400ms);  // four times its length
    EXPECT_TRUE(audio::loopPlaying());
    audio::stopLoop();
    audio::stopLoop();  // twice is harmless
    EXPECT_FALSE(audio::loopPlaying());
    // A file that cannot be loaded replaces the music with silence.
    ASSERT_TRUE(pictures::write(tune + ".faux", {'R', 'I', 'F', 'F', 0, 0}));
    for (const std::string& bad : {tune + ".absent", tune + ".faux"}) {
        ASSERT_TRUE(audio::playLoop(tune));
        EXPECT_FALSE(audio::playLoop(bad)) << bad;
        EXPECT_FALSE(audio::loopPlaying()) << bad;
    }
    // Effects beside the music leave it playing; a missing one plays nothing.
    ASSERT_TRUE(audio::playLoop(tune));
    audio::playEffect(wave("pas.wav", 50));
    audio::playEffect(wave("coup.wav", 50));  // cuts the first
    audio::playEffect("/nonexistent/effect.wav");
    std::this_thread::sleep_for(150ms);
    EXPECT_TRUE(audio::loopPlaying());
    audio::close();
    EXPECT_FALSE(audio::loopPlaying());
    EXPECT_TRUE(audio::playLoop(tune));  // reopens after a close
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
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << "status " << status;
}

}  // namespace
