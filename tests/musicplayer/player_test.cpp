// The polling loop against a scripted control file and a recording audio layer.
#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>
#include <vector>

#include "player.h"

namespace {

// The control file's content at each poll; nullopt = the read fails.
std::vector<std::optional<std::string>> script;
std::size_t reads = 0;
std::vector<int> pauses;
std::vector<std::string> calls;  // "play FILE" / "stop"
bool loadSucceeds = true;

bool scriptedRead(std::string& token) {
    if (reads >= script.size()) {
        ADD_FAILURE() << "the player polled past the end of the script";
        token = "musique:100";
        return true;
    }
    const auto& entry = script[reads++];
    if (!entry) return false;
    token = *entry;
    return true;
}

void recordPause(int ms) { pauses.push_back(ms); }

bool recordPlay(const std::string& path) {
    calls.push_back("play " + path);
    return loadSucceeds;
}
void recordStop() { calls.push_back("stop"); }

const MusicAudio FAKE_AUDIO{recordPlay, recordStop};

std::optional<std::string> track(int n) { return "musique:" + std::to_string(n); }

class MusicLoop : public ::testing::Test {
protected:
    void SetUp() override {
        ps = PlayerState{};
        ps.playerDir = "/jeu/sons";
        script.clear();
        reads = 0;
        pauses.clear();
        calls.clear();
        loadSucceeds = true;
    }
    // Runs the whole loop over the script; every entry must be read.
    void run() {
        EXPECT_EQ(runMusicPlayer(scriptedRead, recordPause, FAKE_AUDIO), 0);
        EXPECT_EQ(reads, script.size()) << "the loop ended before the quit number was read";
    }
};

TEST_F(MusicLoop, ChangesOnlyWhenTheNumberChangesAndEndsOnQuit) {
    script = {track(4), track(4), track(1), track(1), track(0), track(1), track(100)};
    run();
    EXPECT_EQ(calls, (std::vector<std::string>{"play /jeu/sons/MusicIntro.wav",
                                               "play /jeu/sons/MusicNormale.wav", "stop",
                                               "play /jeu/sons/MusicNormale.wav"}));
    // One pause of 125 ms after every read, the last one included.
    EXPECT_EQ(pauses, std::vector<int>(7, POLL_INTERVAL_MS));
}

TEST_F(MusicLoop, QuitAtStartEndsAfterOnePollWithNothingPlayed) {
    script = {track(100)};
    run();
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(pauses.size(), 1u);
}

TEST_F(MusicLoop, EveryTrackPlaysItsOwnFile) {
    script = {track(1), track(2), track(3), track(4), track(5), track(100)};
    run();
    EXPECT_EQ(calls, (std::vector<std::string>{
                         "play /jeu/sons/MusicNormale.wav", "play /jeu/sons/MusicCombats.wav",
                         "play /jeu/sons/MusicBoutique.wav", "play /jeu/sons/MusicIntro.wav",
                         "play /jeu/sons/MusicFin.wav"}));
}

TEST_F(MusicLoop, SilenceAtStartOrRepeatedStopsNothingMore) {
    // 0 is the starting number: reading it first changes nothing.
    script = {track(0), track(3), track(0), track(0), track(3), track(100)};
    run();
    EXPECT_EQ(calls, (std::vector<std::string>{"play /jeu/sons/MusicBoutique.wav", "stop",
                                               "play /jeu/sons/MusicBoutique.wav"}));
}

TEST_F(MusicLoop, GarbageAndUnknownNumbersAreIgnored) {
    script = {track(2),
              "garbage",
              "musique:",
              "Musique:3",
              "musique:7",
              "musique:-1",
              "musique:99999999999",
              "musique:2",
              // an ignored number in between does not restart the track either
              track(6),
              track(2),
              "",
              track(100)};
    run();
    EXPECT_EQ(calls, (std::vector<std::string>{"play /jeu/sons/MusicCombats.wav"}));
    EXPECT_EQ(ps.currentTrack, MUSIC_QUIT);
}

TEST_F(MusicLoop, UnknownNumbersNeverReachTheAudioEvenFromSilence) {
    script = {track(6), track(-5), track(101), track(INT_MAX), track(INT_MIN), track(100)};
    run();
    EXPECT_TRUE(calls.empty());
}

TEST_F(MusicLoop, FailedReadsLeaveTheMusicPlaying) {
    // The file deleted while a track plays, then written again.
    script = {std::nullopt, track(5), std::nullopt, std::nullopt, track(5), std::nullopt,
              track(0), std::nullopt, track(100)};
    run();
    EXPECT_EQ(calls, (std::vector<std::string>{"play /jeu/sons/MusicFin.wav", "stop"}));
}

TEST_F(MusicLoop, MissingWaveFileIsNotRetriedAndTheLoopGoesOn) {
    loadSucceeds = false;
    script = {track(1), track(1), track(2), track(100)};
    run();
    EXPECT_EQ(calls, (std::vector<std::string>{"play /jeu/sons/MusicNormale.wav",
                                               "play /jeu/sons/MusicCombats.wav"}));
}

TEST_F(MusicLoop, SinglePollKeepsTheTwoNumbers) {
    std::string t = "musique:3";
    EXPECT_TRUE(pollControl(&t, FAKE_AUDIO));
    EXPECT_EQ(ps.previousTrack, 0);
    EXPECT_EQ(ps.currentTrack, 3);
    EXPECT_TRUE(pollControl(nullptr, FAKE_AUDIO));
    EXPECT_EQ(ps.previousTrack, 3);
    EXPECT_EQ(ps.currentTrack, 3);
    t = "musique:100";
    EXPECT_FALSE(pollControl(&t, FAKE_AUDIO));
    EXPECT_EQ(ps.previousTrack, 3);
    EXPECT_EQ(calls.size(), 1u);
}

TEST(ControlToken, ParsesLikeTheFormat) {
    struct Case {
        const char* token;
        bool matches;
        int number;
    };
    const Case cases[] = {
        {"musique:4", true, 4},        {"musique:100", true, 100},
        {"musique:+4", true, 4},       {"musique:004", true, 4},
        {"musique:4abc", true, 4},     {"musique:1:2", true, 1},
        {"musique:-0", true, 0},       {"musique:-12", true, -12},
        {"musique:2147483647", true, INT_MAX},
        {"musique:", false, 0},        {"musique:+", false, 0},
        {"musique:+-4", false, 0},     {"musique:x4", false, 0},
        {"musique4", false, 0},        {"musiqu:4", false, 0},
        {"xmusique:4", false, 0},      {"MUSIQUE:4", false, 0},
        {"", false, 0},                {"musique:2147483648", false, 0},
        {"musique:-99999999999999999999", false, 0},
    };
    for (const Case& c : cases) {
        int n = -777;
        EXPECT_EQ(parseControlToken(c.token, n), c.matches) << c.token;
        EXPECT_EQ(n, c.matches ? c.number : -777) << c.token;
    }
}

TEST(ControlToken, OnlyTheFiveTracksHaveFiles) {
    ps.playerDir = "d";
    EXPECT_EQ(trackPath(MUSIC_NORMAL), "d/MusicNormale.wav");
    EXPECT_EQ(trackPath(MUSIC_END), "d/MusicFin.wav");
    for (int n : {MUSIC_SILENCE, MUSIC_QUIT, 6, -1}) EXPECT_EQ(trackPath(n), "") << n;
}

}  // namespace
