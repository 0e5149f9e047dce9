// What the route search adds to the hero's movement that neither the game's
// replay nor the built-in castle's checks hold it to: the bag's weight in falls,
// where the harp works, the side the captives are freed from, the source text.
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

}  // namespace

TEST(CastleSearch, FallsHurtByTheBagsWholeKilogramsBeyondTwoRows) {
    // From the ledge at (1, 2) a step left drops the hero `rows` rows down column 1.
    auto fallsSafely = [](int rows, Rules rules) {
        Grid g = make({"sssss", "saass"});
        for (int r = 2; r <= 1 + rows; ++r) g[r][1] = 'a';
        return toCell(g, {1, 2}, {1 + rows, 1}, 0, rules).found;
    };
    EXPECT_TRUE(fallsSafely(2, {.maxFallCost = 0}));  // two rows never hurt
    EXPECT_FALSE(fallsSafely(3, {.maxFallCost = 0}));
    EXPECT_TRUE(fallsSafely(3, {.bagKg = 40, .life = 40, .maxFallCost = 100}));  // exactly 0 life is no death
    EXPECT_FALSE(fallsSafely(3, {.bagKg = 41, .life = 40, .maxFallCost = 100}));
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
        EXPECT_TRUE(search(g, {18, 16}, -1, SHIELD_DRIED, mage, {}).found);
    }
}

TEST(CastleSearch, TheOrangeDoorFreesTheCaptivesOnlyFromTheSpokesmansSide) {
    // Columns 20 to 34 of row 60: a captive, the orange door, its key. Opened
    // from column 29 the door frees the cage, which leaves the harp at (60, 26);
    // opened from column 28 it is a mere door.
    for (int door : {28, 27}) {
        Grid g = make({});
        std::string room = "aaaaajaaaaaaaya";
        room[door - 20] = '5';
        std::copy(room.begin(), room.end(), g[60].begin() + 20);
        SearchResult r = toCell(g, {60, 34}, {HARP_DROP_ROW, HARP_DROP_COL}, 0, {}, -1);
        ASSERT_TRUE(r.found) << door;
        const std::uint32_t freed = CAPTIVES_FREED | HARP_CARRIED;
        EXPECT_EQ(r.route.back().flags & freed, door == 28 ? freed : 0u) << door;
    }
}

TEST(CastleText, ReadsHundredLinesOfHundredCodes) {
    std::string text;
    for (int r = 0; r < 100; ++r) text += std::string(100, r == 42 ? '@' : 'a') + (r % 2 ? "\r\n" : "\n");
    Grid g;
    std::string error;
    ASSERT_TRUE(parseText(text.substr(0, text.size() - 2), g, error)) << error;  // no final break
    EXPECT_EQ(toToken(g), std::string(4200, 'a') + std::string(100, '@') + std::string(5700, 'a'));
    EXPECT_FALSE(parseText(text.substr(0, text.size() - 3), g, error));
    EXPECT_NE(error.find("line 100"), std::string::npos) << error;
    text[3] = '(';  // an open door: made by the game, never in a fresh castle
    EXPECT_FALSE(parseText(text, g, error));
    EXPECT_NE(error.find("column 3"), std::string::npos) << error;
}
