// The built-in castle: the cells the story relies on, what it holds, and that
// it can be played from the gate to the Black Mage and back out.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

#include "castle.h"

using namespace castle;

namespace {

std::string readFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class Castle : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        loaded_ = parseText(readFile(CASTLE_SOURCE), level_, error_);
        play_ = afterIntro(level_);
    }
    void SetUp() override { ASSERT_TRUE(loaded_) << CASTLE_SOURCE << ": " << error_; }

    static char at(int r, int c) { return level_[r][c]; }
    static std::vector<Cell> cellsOf(std::string_view codes) {
        std::vector<Cell> cells;
        for (int r = 0; r < ROWS; ++r)
            for (int c = 0; c < COLS; ++c)
                if (codes.find(level_[r][c]) != std::string_view::npos) cells.push_back({r, c});
        return cells;
    }
    static bool inShield(Cell d) {
        return d.row >= SHIELD_TOP && d.row <= SHIELD_BOTTOM && d.col >= SHIELD_LEFT && d.col <= SHIELD_RIGHT;
    }
    // No fall on the castle's way may hurt, whatever the bag weighs.
    static Rules painless() { return {.bagKg = 15, .maxFallCost = 0}; }
    static Reach fromGate(const Grid& g, std::uint32_t flags = 0, bool harp = true) {
        return explore(g, {START_ROW, START_COL_AFTER_INTRO}, 1, flags, painless(), harp);
    }

    static inline Grid level_, play_;
    static inline bool loaded_ = false;
    static inline std::string error_;
};

}  // namespace

TEST_F(Castle, LevelFileIsTheSourceAsOneToken) { EXPECT_EQ(readFile(CASTLE_LEVEL), toToken(level_)); }

TEST_F(Castle, ClosedByWallsWithTheGateInColumnZeroAndTheShapeTheRulesNeed) {
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(at(0, i), 's') << "row 0, column " << i;
        EXPECT_TRUE(at(99, i) == 's' || at(99, i) == 'd') << "floor, column " << i;
        EXPECT_EQ(at(i, 99), 's') << "column 99, row " << i;
        EXPECT_EQ(at(i, 0), i == START_ROW ? 'a' : 's') << "column 0, row " << i;
    }
    EXPECT_EQ(at(STONE_TOP_ROW, STONE_COL), 's');
    EXPECT_EQ(at(STONE_BOTTOM_ROW, STONE_COL), 'a');
    for (int c = 1; c <= 5; ++c) EXPECT_NE(at(98, c), 's') << "the intro walks through " << c;
    // With open air above, a door is jumped over; with none below, fallen into.
    for (Cell d : cellsOf("123456")) {
        EXPECT_EQ(at(d.row - 1, d.col), 's') << "door at " << d.row << ", " << d.col;
        EXPECT_EQ(at(d.row + 1, d.col), 's') << "door at " << d.row << ", " << d.col;
    }
    // Lava lies one cell wide in floors, so that once dried the way is flat.
    for (Cell d : cellsOf("d")) {
        if (inShield(d)) continue;
        SCOPED_TRACE(testing::Message() << "lava at " << d.row << ", " << d.col);
        EXPECT_NE(at(d.row - 1, d.col), 's');
        EXPECT_TRUE(d.row == 99 || at(d.row + 1, d.col) == 's');
        EXPECT_EQ(at(d.row, d.col - 1), 's');
        EXPECT_EQ(at(d.row, d.col + 1), 's');
    }
}

TEST_F(Castle, TroubadoursStandWhereTheirWordsFit) {
    auto isCaptive = [](Cell j) {
        return std::any_of(CAGE.begin(), CAGE.end(),
                           [&](const CageRow& r) { return j.row == r.row && j.col >= r.left && j.col <= r.right; });
    };
    for (Cell j : cellsOf("j"))
        EXPECT_TRUE(std::count(TROUBADOURS.begin(), TROUBADOURS.end(), j) || isCaptive(j)) << j.row << ", " << j.col;
    for (Cell t : TROUBADOURS) EXPECT_EQ(at(t.row, t.col), 'j') << t.row << ", " << t.col;
    // What each announces lies where he says: the pit after (98, 8) with
    // headroom to jump it, the guard, the ladder, the locked door, the chests
    // and the shop, the princess's door, the evil knight and his locked door,
    // the door of the Mage's quarters.
    const std::pair<Cell, char> told[] = {{{99, 12}, 'd'}, {{97, 11}, 'a'}, {{98, 23}, 'g'}, {{98, 27}, 'q'},
                                          {{98, 44}, '1'}, {{89, 31}, 'g'}, {{89, 34}, 'c'}, {{89, 36}, 'c'},
                                          {{89, 18}, '0'}, {{84, 54}, '2'}, {{78, 71}, 'i'}, {{78, 74}, '4'},
                                          {{18, 10}, '3'}, {{60, 28}, '5'}, {{18, 11}, 'a'}};
    for (auto [cell, code] : told) EXPECT_EQ(at(cell.row, cell.col), code) << cell.row << ", " << cell.col;
}

TEST_F(Castle, CaptivesWaitBehindTheOrangeDoorAndTheMageBehindHisShield) {
    int captives = 0;
    for (const CageRow& row : CAGE)
        for (int c = row.left; c <= row.right; ++c) {
            EXPECT_TRUE(at(row.row, c) == 'j' || at(row.row, c) == 'a') << row.row << ", " << c;
            captives += at(row.row, c) == 'j';
        }
    EXPECT_GE(captives, 6);
    EXPECT_EQ(cellsOf("5").size(), 1u);
    // Nobody reaches the cage before it is opened.
    Grid locked = play_;
    for (Cell y : cellsOf("y")) locked[y.row][y.col] = 'a';
    Reach r = fromGate(locked);
    for (int c = 20; c <= 27; ++c) EXPECT_FALSE(r.stood[60 * COLS + c]) << c;

    for (int r = SHIELD_TOP; r <= SHIELD_BOTTOM; ++r)
        for (int c = SHIELD_LEFT; c <= SHIELD_RIGHT; ++c) EXPECT_EQ(at(r, c), 'd') << r << ", " << c;
    std::vector<Cell> mage = cellsOf("@");
    ASSERT_EQ(mage.size(), 1u);
    EXPECT_GE(mage[0].col, 2);
    for (int c = 9; c <= 11; ++c) EXPECT_NE(at(19, c), 'a') << "antechamber floor " << c;
}

TEST_F(Castle, EverythingCanBeReachedFromTheGateButNotTheWayOut) {
    // One of each key, two shops, a dozen potions and elixirs, ten chests, and
    // at least one of every weapon, door, enemy and piece of scenery.
    for (char key : std::string("uvwxyz")) EXPECT_EQ(cellsOf(std::string(1, key)).size(), 1u) << key;
    for (auto [codes, least] : {std::pair{"0", 2u}, {"no", 12u}, {"c", 10u}}) EXPECT_GE(cellsOf(codes).size(), least);
    for (char c : std::string("ebm79h123456pgkitlf")) EXPECT_GE(cellsOf(std::string(1, c)).size(), 1u) << c;
    Reach r = fromGate(play_);
    for (Cell t : TROUBADOURS) EXPECT_TRUE(r.stood[t.row * COLS + t.col]) << t.row << ", " << t.col;
    for (Cell c : cellsOf("uvwxyzebm79hpnoc0"))
        EXPECT_TRUE(r.stood[c.row * COLS + c.col]) << at(c.row, c.col) << " at " << c.row << ", " << c.col;
    for (Cell d : cellsOf("123456"))
        EXPECT_TRUE(r.passed[d.row * COLS + d.col]) << "door " << at(d.row, d.col) << " at " << d.row << ", " << d.col;
    EXPECT_TRUE(r.mage);
    // The stone closes the gate until the Mage is dead.
    EXPECT_FALSE(r.exit);
    for (int c = 0; c <= 2; ++c) EXPECT_FALSE(r.stood[98 * COLS + c]) << c;
}

TEST_F(Castle, TheMageNeedsTheHarpEveryKeyAndNoLuckyStrike) {
    EXPECT_FALSE(fromGate(play_, 0, false).mage);
    EXPECT_FALSE(fromGate(play_, 0x3Fu | ARMED, false).mage) << "not even with every key and a weapon";
    for (Cell key : cellsOf("uvwxyz")) {
        Grid without = play_;
        without[key.row][key.col] = 'a';
        EXPECT_FALSE(fromGate(without).mage) << "the Mage is reached without key " << at(key.row, key.col);
    }
    // Walls of dried lava hide what only a weapon opens, never the Mage.
    std::vector<Cell> walls = cellsOf("#");
    ASSERT_GE(walls.size(), 1u);
    ASSERT_LE(walls.size(), static_cast<std::size_t>(MAX_BREAKABLE_WALLS));
    Reach open = fromGate(play_);
    for (Cell w : walls) {
        Grid sealed = play_;
        sealed[w.row][w.col] = 's';
        Reach r = fromGate(sealed);
        int lost = 0;
        for (int k = 0; k < ROWS * COLS; ++k) lost += open.stood[k] && !r.stood[k];
        EXPECT_GT(lost, 0) << "nothing lies behind the wall at " << w.row << ", " << w.col;
        EXPECT_TRUE(r.mage) << "the Mage must not need the wall at " << w.row << ", " << w.col;
    }
}

TEST_F(Castle, OnTheWayKeysComeInOrderAndWeaponsGrowWithTheEnemies) {
    SearchResult toMage = search(play_, {START_ROW, START_COL_AFTER_INTRO}, 1, 0, {Goal::Mage, {}}, painless());
    ASSERT_TRUE(toMage.found);
    EXPECT_TRUE(toMage.route.back().flags & SHIELD_DRIED);
    // Where the shortest route first stands on each tile, and the keys' order.
    std::map<char, int> first;
    std::string keys;
    std::uint32_t held = 0;
    for (std::size_t i = 0; i < toMage.route.size(); ++i) {
        const Step& s = toMage.route[i];
        first.emplace(level_[s.row][s.col], static_cast<int>(i));
        for (int k = 0; k < 6; ++k)
            if (s.flags & ~held & (KEY1 << k)) keys += static_cast<char>('u' + k);
        held = s.flags;
    }
    EXPECT_EQ(keys, "uxvzyw");
    for (char c : std::string("egkim9h")) ASSERT_TRUE(first.count(c)) << c;
    EXPECT_LT(first['e'], first['g']);  // a sword before the first guard
    EXPECT_LT(first['g'], first['k']);  // guards, then ghouls
    EXPECT_LT(first['k'], first['i']);  // then evil knights
    EXPECT_LT(first['m'], first['i']) << "the first evil knight is met before the mace";
    // Without the short sword the hero is stopped by the first guard.
    Grid unarmed = play_;
    for (Cell w : cellsOf("ebm79h")) unarmed[w.row][w.col] = 'a';
    EXPECT_FALSE(fromGate(unarmed).stood[98 * COLS + 24]);
}

TEST_F(Castle, TheWayOutIsShortOnceTheLavaHasDried) {
    Reach r = fromGate(play_);
    ASSERT_TRUE(r.mage);
    SearchResult out = search(play_, r.mageCell, -1, r.mageFlags | MAGE_DEAD, {Goal::Exit, {}}, painless());
    ASSERT_TRUE(out.found);
    // The countdown gives 150 s. A player pressing about twice a second plus
    // the game's own pauses (at most 120 ms a press, under 100 ms for each row
    // of a fall) needs less than half of it.
    double seconds = 0;
    int row = r.mageCell.row;
    for (const Step& s : out.route) {
        seconds += 0.62 + 0.1 * std::max(0, s.row - row + (s.action == Action::Jump ? 1 : 0));
        row = s.row;
    }
    EXPECT_LT(seconds, 75.0) << out.presses << " presses";
    RecordProperty("escape_seconds", static_cast<int>(seconds));
}
