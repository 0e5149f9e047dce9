// The monkey's checks catch each kind of broken state, and the monkey plays
// 20,000 events of the real game (castle and random levels) without one.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <functional>

#include "invariants.h"
#include "monkey.h"

namespace fs = std::filesystem;

namespace {

// A game just started on an empty field.
GameState sound() {
    GameState g;
    for (auto& row : g.LevelGrid) std::fill(std::begin(row), std::end(row), 'a');
    for (auto& row : g.view) std::fill(std::begin(row), std::end(row), 'a');
    g.onTitleScreen = 0;
    g.life = g.maxLife = 100;
    g.inventory[8] = 1;
    g.inventory[17] = 15;
    return g;
}

TEST(MonkeyChecks, EachBrokenRuleIsNamed) {
    const struct {
        const char* expected;  // in the message, "" for a state that is sound
        std::function<void(GameState&)> change;
    } cases[] = {
        {"", [](GameState&) {}},
        {"heroCol is 15", [](GameState& g) { g.heroCol = 15; }},
        {"viewTop is 90", [](GameState& g) { g.viewTop = 90; }},
        {"life is -1", [](GameState& g) { g.life = -1; }},
        {"inventory[9] is -1", [](GameState& g) { g.inventory[9] = -1; }},
        {"inventory[11] is 2", [](GameState& g) { g.inventory[11] = 2; }},
        {"shieldMax is 51 with protection 0", [](GameState& g) { g.shieldMax = 51; }},
        {"shield is 51", [](GameState& g) { g.shield = 51; }},
        // 12 kg of hammers, 1.5 kg of shield, 0.05 kg of elixir, then gold.
        {"the bag weighs 15.003", [](GameState& g) { g.inventory[5] = 4, g.inventory[17] = 1453; }},
        {"", [](GameState& g) { g.inventory[5] = 4, g.inventory[17] = 1451; }},  // one coin of rounding
        {"life rose from 100 to 113", [](GameState& g) { g.life = 113; }},
        {"", [](GameState& g) { g.life = 113, g.inventory[10] = 0; }},  // an elixir drunk in a fight
        {"", [](GameState& g) { g.life = 120, g.saveSlots[2].life = 120, g.saveSlots[2].maxLife = 100; }},  // loaded
        {"grid cell (3, 4) holds no tile code: 32", [](GameState& g) { g.LevelGrid[3][4] = ' '; }},
        {"view cell (2, 1) is 'a', the grid has 's'", [](GameState& g) { g.LevelGrid[91][1] = 's'; }},
    };
    for (const auto& c : cases) {
        GameState g = sound();
        g.inventory[10] = 1;
        const monkey::Before was = monkey::before(g);
        c.change(g);
        const std::string found = monkey::checkState(g, was);
        if (*c.expected == 0) EXPECT_EQ(found, "");
        else EXPECT_NE(found.find(c.expected), std::string::npos) << "expected " << c.expected << ", found " << found;
    }
}

struct Run {
    unsigned seed;
    monkey::Level level;
};

class MonkeyPlays : public ::testing::TestWithParam<Run> {};

// 20,000 events in all: two seeds on the castle, two on random levels.
TEST_P(MonkeyPlays, FiveThousandEventsWithEveryCheckHolding) {
    std::string dir = (fs::is_directory("/dev/shm") ? "/dev/shm" : fs::temp_directory_path().string()) +
                      "/monkey-test-XXXXXX";
    ASSERT_NE(mkdtemp(dir.data()), nullptr);
    monkey::Options opt;
    opt.seed = GetParam().seed;
    opt.level = GetParam().level;
    opt.events = 5000;
    opt.runEvents = 2500;
    opt.gameDir = QUELMAR_STAGE_DIR;
    opt.castleLevel = opt.gameDir + "/niveau.niv";
    opt.workDir = dir;
    opt.scriptOut = dir + ".script";
    opt.quiet = true;
    monkey::Report r = monkey::play(opt);
    fs::remove_all(dir);
    EXPECT_EQ(r.violation, "") << r.details;
    EXPECT_EQ(r.events, 5000);
    EXPECT_GT(r.dialogs[119], 10) << "new games";
    EXPECT_GT(r.dialogs[104] + r.dialogs[116] + r.dialogs[118], 30) << "inventory, loads and saves";
}

INSTANTIATE_TEST_SUITE_P(Seeds, MonkeyPlays,
                         ::testing::Values(Run{101, monkey::Level::Castle}, Run{102, monkey::Level::Random},
                                           Run{103, monkey::Level::Castle}, Run{104, monkey::Level::Random}),
                         [](const auto& info) {
                             return std::string(info.param.level == monkey::Level::Castle ? "castle" : "random") +
                                    std::to_string(info.param.seed);
                         });

}  // namespace
