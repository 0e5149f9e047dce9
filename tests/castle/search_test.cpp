// What the route search adds to the hero's movement (which replay_test holds
// against the game's own code): keys and doors, weapons against enemies and
// dried lava, the bag's weight in falls, the harp, the captives and the way out.
#include <gtest/gtest.h>

#include "castle.h"

using namespace castle;

namespace {

// A level made of the given rows from the top-left corner; the rest is wall.
Grid make(const std::vector<std::string>& rows) {
    Grid g;
    for (auto& row : g) row.fill('s');
    for (std::size_t r = 0; r < rows.size(); ++r) std::copy(rows[r].begin(), rows[r].end(), g[r].begin());
    return g;
}

SearchResult toCell(const Grid& g, Cell from, Cell to, std::uint32_t flags = 0, Rules rules = {}, int facing = 1) {
    return search(g, from, facing, flags, {Goal::Stand, to}, rules);
}
bool reaches(const Grid& g, Cell from, Cell to, Rules rules = {}) { return toCell(g, from, to, 0, rules).found; }

}  // namespace

TEST(CastleSearch, DoorsNeedTheirKeyTakenOnTheWayUnlessJumpedOver) {
    Grid g = make({"sssssssss", "sauaa1aas", "sssssssss"});
    SearchResult r = search(g, {1, 1}, 1, 0, {Goal::PassDoor, {1, 5}}, {});
    ASSERT_TRUE(r.found);
    EXPECT_TRUE(r.route.back().flags & KEY1);
    g[1][2] = 'v';  // the green key does not open the yellow door
    EXPECT_FALSE(reaches(g, {1, 1}, {1, 7}));
    g[1][2] = 'a';
    g[1][7] = 'u';  // nor does the key behind it
    EXPECT_FALSE(reaches(g, {1, 1}, {1, 7}));
    // With open air above it a door is no barrier.
    EXPECT_TRUE(reaches(make({"sssssssss", "saaaaaaas", "saaaa1aas", "sssssssss"}), {2, 1}, {2, 7}));
}

TEST(CastleSearch, AnyWeaponPassesEnemiesAndShattersDriedLavaButNotStone) {
    for (char weapon : std::string("aeh")) {
        Grid g = make({"ssssssss", "saXgaaas", "ssssssss"});
        g[1][2] = weapon;
        EXPECT_EQ(reaches(g, {1, 1}, {1, 5}), weapon != 'a') << weapon;
    }
    Grid g = make({"sssssssss", "saae#aaas", "sssssssss"});
    SearchResult r = toCell(g, {1, 1}, {1, 7});
    ASSERT_TRUE(r.found);
    EXPECT_TRUE(r.route.back().flags & WALL_BROKEN);
    g[1][3] = 'a';
    EXPECT_FALSE(reaches(g, {1, 1}, {1, 7}));
    g[1][3] = 'e';
    g[1][4] = 's';
    EXPECT_FALSE(reaches(g, {1, 1}, {1, 7}));
}

TEST(CastleSearch, FallsHurtByTheBagAndLavaKillsAtTheEnd) {
    // From the ledge at (1, 2) a step left drops the hero `rows` rows down
    // column 1, onto `last`.
    auto shaft = [](int rows, char last = 'a') {
        Grid g = make({"sssss", "saass"});
        for (int r = 2; r <= 1 + rows; ++r) g[r][1] = r == 1 + rows ? last : 'a';
        return g;
    };
    auto fallsSafely = [&](int rows, Rules rules) { return reaches(shaft(rows), {1, 2}, {1 + rows, 1}, rules); };
    EXPECT_TRUE(fallsSafely(2, {.maxFallCost = 0}));  // two rows never hurt
    EXPECT_FALSE(fallsSafely(3, {.maxFallCost = 0}));
    EXPECT_TRUE(fallsSafely(5, {}));  // (5 - 2) x 10 kg = 30, the most the route may spend
    EXPECT_FALSE(fallsSafely(6, {}));
    EXPECT_TRUE(fallsSafely(6, {.bagKg = 0}));  // under one kilogram no fall hurts
    EXPECT_TRUE(fallsSafely(3, {.bagKg = 40, .life = 40, .maxFallCost = 100}));  // exactly 0 life is no death
    EXPECT_FALSE(fallsSafely(3, {.bagKg = 41, .life = 40, .maxFallCost = 100}));
    // Lava where the fall ends kills; lava only crossed on the way down does not.
    EXPECT_FALSE(reaches(shaft(2, 'd'), {1, 2}, {3, 1}));
    Grid crossed = shaft(2);
    crossed[2][1] = 'd';
    EXPECT_TRUE(reaches(crossed, {1, 2}, {3, 1}));
}

TEST(CastleSearch, TheHarpDriesTheShieldOnlyFromTheAntechamber) {
    // The Mage above his pool, reached by a ladder, the harp lying in the
    // corridor of row 18 that leads to the ladder's foot.
    for (int ladder : {9, 12}) {
        Grid g = make({});
        for (int c = 1; c <= ladder; ++c) g[13][c] = 'a';
        g[13][3] = '@';
        for (int r = SHIELD_TOP; r <= SHIELD_BOTTOM; ++r) {
            for (int c = SHIELD_LEFT; c <= SHIELD_RIGHT; ++c) g[r][c] = 'd';
            g[r][ladder] = 'q';
        }
        for (int c = ladder + 1; c <= 16; ++c) g[18][c] = c == 15 ? '8' : 'a';
        const Goal mage{Goal::Mage, {}};
        SearchResult r = search(g, {18, 16}, -1, 0, mage, {});
        // Two columns further right than the antechamber the harp only sounds.
        ASSERT_EQ(r.found, ladder == 9) << ladder;
        EXPECT_TRUE(!r.found || (r.route.back().flags & SHIELD_DRIED));
        EXPECT_FALSE(search(g, {18, 16}, -1, 0, mage, {}, false).found);
        EXPECT_TRUE(search(g, {18, 16}, -1, SHIELD_DRIED, mage, {}).found);
    }
}

TEST(CastleSearch, TheOrangeDoorFreesTheCaptivesOnlyFromTheSpokesmansSide) {
    Grid g = make({});
    const std::string room = "aaaaajaa5aaaaya";  // columns 20 to 34: a captive, the door, its key
    std::copy(room.begin(), room.end(), g[60].begin() + 20);
    SearchResult r = toCell(g, {60, 34}, {HARP_DROP_ROW, HARP_DROP_COL}, 0, {}, -1);
    ASSERT_TRUE(r.found);
    EXPECT_TRUE(r.route.back().flags & HARP_CARRIED);
    EXPECT_EQ(worldCell(g, CAPTIVES_FREED, CAPTIVES_FREED_ROW, CAPTIVES_FREED_COL), 'a');
    // The same door one column further left is opened from column 28: no harp.
    g[60][28] = 'a';
    g[60][27] = '5';
    r = toCell(g, {60, 34}, {60, 26}, 0, {}, -1);
    ASSERT_TRUE(r.found);
    EXPECT_FALSE(r.route.back().flags & (CAPTIVES_FREED | HARP_CARRIED));
}

TEST(CastleSearch, ColumnZeroWinsOnlyAfterTheMageWhoseDeathDriesTheLavaAndOpensTheGate) {
    Grid g = make({"ssssss", "aaaaas", "ssssss"});
    EXPECT_FALSE(explore(g, {1, 4}, -1, 0, {}).exit);
    SearchResult out = search(g, {1, 4}, -1, MAGE_DEAD, {Goal::Exit, {}}, {});
    ASSERT_TRUE(out.found);
    EXPECT_EQ(out.presses, 4);
    Grid gate = make({"ssssss", "aasaas", "ssdsss"});
    gate[STONE_BOTTOM_ROW][STONE_COL] = 's';
    EXPECT_EQ(worldCell(gate, MAGE_DEAD, STONE_BOTTOM_ROW, STONE_COL), 'a');
    EXPECT_EQ(worldCell(gate, MAGE_DEAD, STONE_TOP_ROW, STONE_COL), 's');
    EXPECT_EQ(worldCell(gate, MAGE_DEAD, 2, 2), '#');
    EXPECT_EQ(worldCell(gate, 0, 2, 2), 'd');
}

TEST(CastleText, ReadsHundredLinesOfHundredCodes) {
    std::string text;
    for (int r = 0; r < 100; ++r) text += std::string(100, r == 42 ? '@' : 'a') + (r % 2 ? "\r\n" : "\n");
    Grid g;
    std::string error;
    ASSERT_TRUE(parseText(text, g, error)) << error;
    const std::string token = toToken(g);
    EXPECT_EQ(token, std::string(4200, 'a') + std::string(100, '@') + std::string(5700, 'a'));
    EXPECT_TRUE(parseText(text.substr(0, text.size() - 2), g, error));  // no final break
    EXPECT_FALSE(parseText(text.substr(0, text.size() - 3), g, error));
    EXPECT_NE(error.find("line 100"), std::string::npos) << error;
    EXPECT_FALSE(parseText(text + std::string(100, 'a') + "\n", g, error));
    EXPECT_FALSE(parseText(text.substr(0, text.find('@') + 200), g, error));
    for (char bad : {'Z', 'r', '(', '8', ' '}) {  // no code, or made by the game
        std::string wrong = text;
        wrong[3] = bad;
        EXPECT_FALSE(parseText(wrong, g, error)) << bad;
        EXPECT_NE(error.find("column 3"), std::string::npos) << bad << ": " << error;
    }
}
