// The polling loop against a scripted control file and a recording audio layer.
#include <gtest/gtest.h>

#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "player.h"

namespace {

struct Fake {
    // The control file at each poll: a number n stands for "musique:n", "-"
    // for a failed read, any other word is the token itself.
    std::vector<std::string> script;
    bool loads = true;  // what playLoop answers
    std::size_t reads = 0;
    std::vector<int> pauses;
    std::string calls;  // the wave files played (without their folder) and "stop", in order
} fake;

bool scriptedRead(std::string& token) {
    const std::string e = fake.reads < fake.script.size() ? fake.script[fake.reads] : "100";  // run() fails
    ++fake.reads;
    token = e.find_first_not_of("-0123456789") == std::string::npos ? "musique:" + e : e;
    return e != "-";
}
void recordPause(int ms) { fake.pauses.push_back(ms); }
void record(const std::string& what) { fake.calls += (fake.calls.empty() ? "" : " ") + what; }
bool recordPlay(const std::string& path) {
    record(path.starts_with("/jeu/sons/") ? path.substr(10) : path);
    return fake.loads;
}
void recordStop() { record("stop"); }

// Runs the whole loop over the script, which must be read to its end with a
// poll interval's pause after every read; returns what the audio was told.
std::string run(const std::string& script, bool loads = true) {
    std::istringstream words(script);
    fake = Fake{};
    fake.script.assign(std::istream_iterator<std::string>(words), {});
    fake.loads = loads;
    ps = PlayerState{};
    ps.playerDir = "/jeu/sons";
    EXPECT_EQ(runMusicPlayer(scriptedRead, recordPause, MusicAudio{recordPlay, recordStop}), 0);
    EXPECT_EQ(fake.reads, fake.script.size()) << "the loop did not end on the quit number";
    EXPECT_EQ(fake.pauses, std::vector<int>(fake.reads, POLL_INTERVAL_MS));
    return fake.calls;
}

TEST(MusicLoop, ChangesOnlyWhenTheNumberChangesAndEndsOnQuit) {
    EXPECT_EQ(run("4 4 1 1 0 1 100"), "MusicIntro.wav MusicNormale.wav stop MusicNormale.wav");
    EXPECT_EQ(run("100"), "");  // ends after the first poll, nothing played
    // Every track has its own file; one that fails to load is not retried at every poll.
    EXPECT_EQ(run("1 1 2 3 4 5 100", false),
              "MusicNormale.wav MusicCombats.wav MusicBoutique.wav MusicIntro.wav MusicFin.wav");
    // The file missing at start, deleted while a track plays, then written again.
    EXPECT_EQ(run("- 5 - - 5 - 0 - 0 100"), "MusicFin.wav stop");
}

TEST(MusicLoop, ReadsTheNumberLikeTheFormatAndIgnoresTheRest) {
    // From silence (0 at start changes nothing) and while a track plays; an
    // ignored token in between does not restart the track.
    EXPECT_EQ(run("0 6 -5 101 2147483647 -2147483648 2 garbage musique: Musique:3 7 99999999999 6 2 100"),
              "MusicCombats.wav");
    // "musique:%d": a sign, leading zeros and anything after the digits are
    // fine; a number beyond an int is not taken modulo 2^32.
    EXPECT_EQ(run("musique:+3 musique:4abc musique:-0 musique:1:2 musique:4294967301 musique:+-5 MUSIQUE:3 "
                  "xmusique:3 musique:05 100"),
              "MusicBoutique.wav MusicIntro.wav stop MusicNormale.wav MusicFin.wav");
}

}  // namespace
