// The castle bot wins the built-in castle at human pace, and what it played
// replays to the same end through the runner.
#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "bot.h"

namespace {

int dumped(const std::string& out, const std::string& key) {
    const std::size_t at = out.rfind("\n" + key + "=");
    return at == std::string::npos ? -1 : std::stoi(out.substr(at + key.size() + 2));
}

// Every answer click and every key press comes after its human pause.
void expectHumanPace(const std::vector<std::string>& script) {
    int slow = 0, inputs = 0;
    for (std::size_t i = 1; i < script.size(); ++i) {
        const std::string& line = script[i];
        // The answer buttons of the fights (1032..1034) and of the Mage's.
        static const std::set<std::string> answers = {"click 1032", "click 1033", "click 1034", "click 1075",
                                                      "click 1076", "click 1039", "click 1040", "click 1041"};
        const bool answerClick = answers.count(line) > 0;
        const bool key = line.rfind("key ", 0) == 0;
        if (!answerClick && !key) continue;
        ++inputs;
        std::size_t j = i - 1;  // the answers of boxes the input opened come between
        while (j > 0 && script[j].rfind("answer ", 0) == 0) --j;
        slow += script[j].rfind("wait ", 0) == 0 && std::stoi(script[j].substr(5)) >= (key ? 200 : 350);
    }
    EXPECT_GT(inputs, 1000);
    EXPECT_EQ(slow, inputs);
}

}  // namespace

TEST(CastleBot, WinsWithoutDyingOnThreeSeedsAndItsScriptReplaysIdentically) {
    for (unsigned seed : {1u, 2u, 4u}) {
        SCOPED_TRACE(seed);
        const bot::Report r = bot::playInFreshFolder(seed, QUELMAR_STAGE_DIR, CASTLE_LEVEL);
        EXPECT_TRUE(r.won) << r.stoppedBy;
        EXPECT_EQ(r.deaths, 0);
        EXPECT_GT(r.fights, 25);
        EXPECT_TRUE(r.escapeSecondsLeft > 20 && r.escapeSecondsLeft < 60) << r.escapeSecondsLeft;
        EXPECT_NE(r.output.find("dialog open 113"), std::string::npos);  // it went shopping
        expectHumanPace(r.script);
        if (seed == 1) {
            EXPECT_EQ(bot::replayInFreshFolder(r.script, QUELMAR_STAGE_DIR, CASTLE_LEVEL), r.output);
        }
    }
}

TEST(CastleBot, TheRecordedWinReplaysToTheCredits) {
    std::ifstream in(WIN_SCRIPT);
    std::vector<std::string> script;
    for (std::string line; std::getline(in, line);) script.push_back(line);
    ASSERT_GT(script.size(), 1000u);
    const std::string out = bot::replayInFreshFolder(script, QUELMAR_STAGE_DIR, CASTLE_LEVEL);
    EXPECT_EQ(dumped(out, "creditsRolling"), 1) << out.substr(out.size() > 2000 ? out.size() - 2000 : 0);
    EXPECT_EQ(dumped(out, "escapeMode"), 0);
    EXPECT_GT(dumped(out, "life"), 0);
    EXPECT_GE(dumped(out, "countdownSeconds") + 60 * dumped(out, "countdownMinutes"), 20);
}

// A player who takes only what the way needs, no potions and no shops, does not
// get far.
TEST(CastleBot, ACarelessPlayerLoses) {
    const bot::Report r = bot::playInFreshFolder(1, QUELMAR_STAGE_DIR, CASTLE_LEVEL, true);
    EXPECT_FALSE(r.won);
    EXPECT_FALSE(r.mageBeaten);
    EXPECT_GT(r.deaths, 0);
}
