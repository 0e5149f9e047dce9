// The route search plays small levels by the hero's movement rules: each case
// shows one rule letting the hero through and its counterpart stopping him.
#include <gtest/gtest.h>

#include "castle.h"

using namespace castle;

namespace {

// A level made of the given rows placed at (top, left); everything else is wall.
Grid make(const std::vector<std::string>& rows, int top = 0, int left = 0) {
    Grid g;
    for (auto& row : g) row.fill('s');
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < rows[r].size(); ++c) g[top + r][left + c] = rows[r][c];
    return g;
}

bool reaches(const Grid& g, Cell from, Cell to, std::uint32_t flags = 0, Rules rules = {}) {
    return search(g, from, 1, flags, {Goal::Stand, to}, rules).found;
}

}  // namespace

TEST(CastleSearch, JumpsClearOneCellOfLavaButNotTwo) {
    Grid g = make({"ssssssssssss",
                   "saaaaaaaaaas",
                   "saaaaaaaaaas",
                   "sssdssddssss"});
    EXPECT_TRUE(reaches(g, {2, 1}, {2, 5}));
    EXPECT_FALSE(reaches(g, {2, 1}, {2, 8}));
    // Walking into the pit kills: the hero never stands in it.
    Reach r = explore(g, {2, 1}, 1, 0, {});
    EXPECT_FALSE(r.stood[3 * COLS + 3]);
    // With a low ceiling there is no jump at all.
    g[1][2] = 's';
    EXPECT_FALSE(reaches(g, {2, 1}, {2, 5}));
}

TEST(CastleSearch, OneRowStepsAreJumpedTwoRowStepsOnlyDroppedDown) {
    Grid low = make({"ssssss",
                     "saaaas",
                     "saaaas",
                     "saasss",
                     "ssssss"});
    EXPECT_TRUE(reaches(low, {3, 1}, {2, 4}));
    Grid high = make({"ssssss",
                      "saaaas",
                      "saasss",
                      "saasss",
                      "ssssss"});
    EXPECT_FALSE(reaches(high, {3, 1}, {1, 4}));
    EXPECT_TRUE(reaches(high, {1, 4}, {3, 1}));
}

TEST(CastleSearch, LaddersClimbAndStopUnderFloor) {
    Grid g = make({"sssss",
                   "saaas",
                   "ssqss",
                   "saqas",
                   "sssss"});
    SearchResult up = search(g, {3, 1}, 1, 0, {Goal::Stand, {1, 3}}, {});
    ASSERT_TRUE(up.found);
    // right onto the foot, two rungs, right off the top
    EXPECT_EQ(up.presses, 4);
    EXPECT_TRUE(reaches(g, {1, 3}, {3, 1}));
    Grid capped = g;
    capped[1][2] = 's';
    EXPECT_FALSE(reaches(capped, {3, 1}, {1, 3}));
}

TEST(CastleSearch, DoorsNeedTheirKeyUnlessJumpedOver) {
    Grid g = make({"sssssssss",
                   "sauaa1aas",
                   "sssssssss"});
    SearchResult r = search(g, {1, 1}, 1, 0, {Goal::PassDoor, {1, 5}}, {});
    EXPECT_TRUE(r.found);
    EXPECT_TRUE(r.route.back().flags & KEY1);
    Grid wrong = g;
    wrong[1][2] = 'v';  // the green key does not open the yellow door
    EXPECT_FALSE(reaches(wrong, {1, 1}, {1, 7}));
    Grid behind = g;
    behind[1][2] = 'a';
    behind[1][7] = 'u';
    EXPECT_FALSE(reaches(behind, {1, 1}, {1, 7}));
    // A door with open air above it is no barrier: the jump passes over it.
    Grid open = make({"sssssssss",
                      "saaaaaaas",
                      "saaaa1aas",
                      "sssssssss"});
    EXPECT_TRUE(reaches(open, {2, 1}, {2, 7}));
}

TEST(CastleSearch, EnemiesPushBackAnUnarmedHero) {
    Grid g = make({"ssssssss",
                   "saagaaas",
                   "ssssssss"});
    EXPECT_FALSE(reaches(g, {1, 1}, {1, 5}));
    g[1][2] = 'e';
    EXPECT_TRUE(reaches(g, {1, 1}, {1, 5}));
    // A beaten guard leaves a halberd, so any weapon will do.
    g[1][2] = 'h';
    EXPECT_TRUE(reaches(g, {1, 1}, {1, 5}));
}

TEST(CastleSearch, DriedLavaWallsGiveWayToAWeapon) {
    Grid g = make({"sssssssss",
                   "saae#aaas",
                   "sssssssss"});
    SearchResult r = search(g, {1, 1}, 1, 0, {Goal::Stand, {1, 7}}, {});
    ASSERT_TRUE(r.found);
    EXPECT_TRUE(r.route.back().flags & WALL_BROKEN);
    g[1][3] = 'a';
    EXPECT_FALSE(reaches(g, {1, 1}, {1, 7}));
    // Walls of floor and stone do not give way.
    g[1][3] = 'e';
    g[1][4] = 's';
    EXPECT_FALSE(reaches(g, {1, 1}, {1, 7}));
}

TEST(CastleSearch, FallsHurtByTheBagAndLavaKillsAtTheEnd) {
    // From the ledge at (1, 2) a step left drops the hero down column 1.
    std::vector<std::string> shaft{"sssss", "saass", "sasss", "sasss",
                                   "sasss", "sasss", "sasss", "sssss"};
    // 5 rows: (5 - 2) x 10 kg = 30, the most the route may spend.
    EXPECT_TRUE(reaches(make(shaft), {1, 2}, {6, 1}));
    shaft.insert(shaft.begin() + 2, "sasss");
    EXPECT_FALSE(reaches(make(shaft), {1, 2}, {7, 1}));
    Rules light;
    light.bagKg = 0;  // under one kilogram no fall hurts
    EXPECT_TRUE(reaches(make(shaft), {1, 2}, {7, 1}, 0, light));
    // Lava where the fall ends kills; lava only crossed on the way down does not.
    EXPECT_FALSE(reaches(make({"sssss", "saass", "sasss", "sdsss", "sssss"}), {1, 2}, {3, 1}));
    EXPECT_TRUE(reaches(make({"sssss", "saass", "sdsss", "sasss", "sssss"}), {1, 2}, {3, 1}));
}

namespace {

// The Mage above his pool, reached by a ladder at `ladderCol`, with the harp
// lying in the corridor at row 18 that leads to the ladder's foot.
Grid mageRoom(int ladderCol) {
    Grid g;
    for (auto& row : g) row.fill('s');
    for (int c = 1; c <= ladderCol; ++c) g[13][c] = 'a';
    g[13][3] = '@';
    for (int r = SHIELD_TOP; r <= SHIELD_BOTTOM; ++r)
        for (int c = SHIELD_LEFT; c <= SHIELD_RIGHT; ++c) g[r][c] = 'd';
    for (int r = 14; r <= 18; ++r) g[r][ladderCol] = 'q';
    for (int c = ladderCol + 1; c <= 16; ++c) g[18][c] = 'a';
    g[18][15] = '8';
    return g;
}

}  // namespace

TEST(CastleSearch, TheHarpDriesTheShieldOnlyFromTheAntechamber) {
    Grid g = mageRoom(9);
    SearchResult r = search(g, {18, 16}, -1, 0, {Goal::Mage, {}}, {});
    ASSERT_TRUE(r.found);
    EXPECT_TRUE(r.route.back().flags & SHIELD_DRIED);
    EXPECT_FALSE(search(g, {18, 16}, -1, 0, {Goal::Mage, {}}, {}, false).found);
    // With the antechamber two columns further right the harp only sounds.
    Grid far = mageRoom(12);
    EXPECT_FALSE(search(far, {18, 16}, -1, 0, {Goal::Mage, {}}, {}).found);
    EXPECT_TRUE(search(far, {18, 16}, -1, SHIELD_DRIED, {Goal::Mage, {}}, {}).found);
}

TEST(CastleSearch, TheOrangeDoorFreesTheCaptivesOnlyFromTheSpokesmansSide) {
    Grid g;
    for (auto& row : g) row.fill('s');
    for (int c = 20; c <= 34; ++c) g[60][c] = 'a';
    g[60][25] = 'j';
    g[60][28] = '5';
    g[60][33] = 'y';
    SearchResult r = search(g, {60, 34}, -1, 0, {Goal::Stand, {HARP_DROP_ROW, HARP_DROP_COL}}, {});
    ASSERT_TRUE(r.found);
    EXPECT_TRUE(r.route.back().flags & HARP_CARRIED);
    EXPECT_EQ(worldCell(g, CAPTIVES_FREED, CAPTIVES_FREED_ROW, CAPTIVES_FREED_COL), 'a');
    // The same door one column further left is opened from column 28: no harp.
    g[60][28] = 'a';
    g[60][27] = '5';
    Reach reach = explore(g, {60, 34}, -1, 0, {});
    EXPECT_TRUE(reach.stood[60 * COLS + 26]);
    r = search(g, {60, 34}, -1, 0, {Goal::Stand, {60, 26}}, {});
    ASSERT_TRUE(r.found);
    EXPECT_FALSE(r.route.back().flags & (CAPTIVES_FREED | HARP_CARRIED));
}

TEST(CastleSearch, ColumnZeroWinsOnlyAfterTheMage) {
    Grid g = make({"ssssss",
                   "aaaaas",
                   "ssssss"});
    EXPECT_FALSE(explore(g, {1, 4}, -1, 0, {}).exit);
    SearchResult out = search(g, {1, 4}, -1, MAGE_DEAD, {Goal::Exit, {}}, {});
    ASSERT_TRUE(out.found);
    EXPECT_EQ(out.presses, 4);
    // The Mage's death dries every lava cell and reopens the gate.
    Grid gate = make({"ssssss",
                      "aasaas",
                      "ssdsss"});
    gate[STONE_BOTTOM_ROW][STONE_COL] = 's';
    EXPECT_EQ(worldCell(gate, MAGE_DEAD, STONE_BOTTOM_ROW, STONE_COL), 'a');
    EXPECT_EQ(worldCell(gate, MAGE_DEAD, STONE_TOP_ROW, STONE_COL), 's');
    EXPECT_EQ(worldCell(gate, MAGE_DEAD, 2, 2), '#');
    EXPECT_EQ(worldCell(gate, 0, 2, 2), 'd');
}

TEST(CastleText, ReadsHundredLinesOfHundredCodes) {
    const std::string line(100, 'a');
    std::string text;
    for (int r = 0; r < 100; ++r) {
        std::string l = line;
        if (r == 42) l[17] = '@';
        text += l + (r % 2 ? "\r\n" : "\n");
    }
    Grid g;
    std::string error;
    ASSERT_TRUE(parseText(text, g, error)) << error;
    std::string token = toToken(g);
    ASSERT_EQ(token.size(), 10000u);
    EXPECT_EQ(token[42 * 100 + 17], '@');
    EXPECT_EQ(token.find_first_not_of("a@"), std::string::npos);

    EXPECT_TRUE(parseText(text.substr(0, text.size() - 2), g, error));  // no final break
    EXPECT_FALSE(parseText(text.substr(0, text.size() - 3), g, error));
    EXPECT_NE(error.find("line 100"), std::string::npos) << error;
    EXPECT_FALSE(parseText(text + line + "\n", g, error));
    EXPECT_FALSE(parseText(text.substr(0, text.find('@') + 200), g, error));
    std::string bad = text;
    bad[3] = 'Z';
    EXPECT_FALSE(parseText(bad, g, error));
    EXPECT_NE(error.find("column 3"), std::string::npos) << error;
    for (char made : {'r', '(', '8', ' '}) {  // made by the game, or no code at all
        bad[3] = made;
        EXPECT_FALSE(parseText(bad, g, error)) << made;
    }
}
