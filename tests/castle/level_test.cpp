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
        std::string error;
        loaded_ = parseText(readFile(CASTLE_SOURCE), level_, error);
        error_ = error;
        play_ = afterIntro(level_);
    }

    void SetUp() override { ASSERT_TRUE(loaded_) << CASTLE_SOURCE << ": " << error_; }

    static char at(int r, int c) { return level_[r][c]; }
    static int count(char code) {
        int n = 0;
        for (const auto& row : level_)
            for (char c : row) n += c == code;
        return n;
    }
    static std::vector<Cell> cellsOf(std::string_view codes) {
        std::vector<Cell> cells;
        for (int r = 0; r < ROWS; ++r)
            for (int c = 0; c < COLS; ++c)
                if (codes.find(level_[r][c]) != std::string_view::npos) cells.push_back({r, c});
        return cells;
    }
    // No fall on the castle's way may hurt, whatever the bag weighs.
    static Rules painless() {
        Rules r;
        r.bagKg = 15;
        r.maxFallCost = 0;
        return r;
    }
    static Reach fromGate(const Grid& g, bool harp = true) {
        return explore(g, {START_ROW, START_COL_AFTER_INTRO}, 1, 0, painless(), harp);
    }

    static inline Grid level_;
    static inline Grid play_;
    static inline bool loaded_ = false;
    static inline std::string error_;
};

bool isCaptive(int r, int c) {
    for (const CageRow& row : CAGE)
        if (r == row.row && c >= row.left && c <= row.right) return true;
    return false;
}

}  // namespace

TEST_F(Castle, LevelFileIsTheSourceAsOneToken) {
    std::string niv = readFile(CASTLE_LEVEL);
    EXPECT_EQ(niv, toToken(level_));
    EXPECT_EQ(niv.size(), 10000u);
    EXPECT_EQ(niv.find_first_of(" \t\r\n"), std::string::npos);
}

TEST_F(Castle, ClosedByWallsWithTheGateInColumnZero) {
    for (int c = 0; c < COLS; ++c) {
        EXPECT_EQ(at(0, c), 's') << "row 0, column " << c;
        EXPECT_TRUE(at(99, c) == 's' || at(99, c) == 'd') << "floor, column " << c;
    }
    for (int r = 0; r < ROWS; ++r) {
        EXPECT_EQ(at(r, 99), 's') << "row " << r;
        if (r != START_ROW) {
            EXPECT_EQ(at(r, 0), 's') << "column 0, row " << r;
        }
    }
    EXPECT_EQ(at(98, 0), 'a');
    EXPECT_EQ(at(STONE_TOP_ROW, STONE_COL), 's');
    EXPECT_EQ(at(STONE_BOTTOM_ROW, STONE_COL), 'a');
    // The intro walks the hero through columns 0 to 5 of row 98.
    for (int c = 0; c <= 5; ++c) EXPECT_NE(at(98, c), 's') << c;
}

TEST_F(Castle, TroubadoursStandWhereTheirWordsFit) {
    for (Cell t : TROUBADOURS) EXPECT_EQ(at(t.row, t.col), 'j') << t.row << ", " << t.col;
    // Every other troubadour is a captive in the cage.
    for (Cell j : cellsOf("j")) {
        bool known = std::find(TROUBADOURS.begin(), TROUBADOURS.end(), j) != TROUBADOURS.end();
        EXPECT_TRUE(known || isCaptive(j.row, j.col)) << j.row << ", " << j.col;
    }
    // What each of them announces lies where he says.
    EXPECT_EQ(at(99, 12), 'd');  // the pit after (98, 8), with headroom to jump it
    EXPECT_EQ(at(97, 11), 'a');
    EXPECT_EQ(at(98, 23), 'g');
    EXPECT_EQ(at(98, 27), 'q');
    EXPECT_EQ(at(98, 44), '1');
    EXPECT_EQ(at(89, 31), 'g');
    EXPECT_EQ(at(89, 34), 'c');
    EXPECT_EQ(at(89, 36), 'c');
    EXPECT_EQ(at(89, 18), '0');
    EXPECT_EQ(at(84, 54), '2');
    EXPECT_EQ(at(78, 71), 'i');
    EXPECT_EQ(at(78, 74), '4');
    EXPECT_EQ(at(18, 10), '3');
}

TEST_F(Castle, CaptivesWaitBehindTheOrangeDoor) {
    EXPECT_NE(at(CAPTIVES_FREED_ROW, CAPTIVES_FREED_COL), 'a');
    int captives = 0;
    for (const CageRow& row : CAGE)
        for (int c = row.left; c <= row.right; ++c) {
            EXPECT_TRUE(at(row.row, c) == 'j' || at(row.row, c) == 'a') << row.row << ", " << c;
            captives += at(row.row, c) == 'j';
        }
    EXPECT_GE(captives, 6);
    EXPECT_EQ(at(60, 28), '5');  // opened from column 29
    EXPECT_EQ(count('5'), 1);
    // Nobody reaches the cage before it is opened.
    Grid locked = play_;
    for (Cell y : cellsOf("y")) locked[y.row][y.col] = 'a';
    Reach r = fromGate(locked);
    for (int c = 20; c <= 27; ++c) EXPECT_FALSE(r.stood[60 * COLS + c]) << c;
}

TEST_F(Castle, TheMageSitsBehindHisLavaShield) {
    for (int r = SHIELD_TOP; r <= SHIELD_BOTTOM; ++r)
        for (int c = SHIELD_LEFT; c <= SHIELD_RIGHT; ++c) EXPECT_EQ(at(r, c), 'd') << r << ", " << c;
    std::vector<Cell> mage = cellsOf("@");
    ASSERT_EQ(mage.size(), 1u);
    EXPECT_GE(mage[0].col, 2);
    // The antechamber: the blue door beside (18, 11), its cells walkable.
    EXPECT_EQ(at(18, 11), 'a');
    for (int c = 9; c <= 11; ++c) EXPECT_NE(at(19, c), 'a') << c;
}

TEST_F(Castle, HoldsEverythingTheGameOffers) {
    for (char weapon : std::string("ebm79h")) EXPECT_GE(count(weapon), 1) << weapon;
    for (char key : std::string("uvwxyz")) EXPECT_EQ(count(key), 1) << key;
    for (char door : std::string("123456")) EXPECT_GE(count(door), 1) << door;
    EXPECT_GE(count('0'), 2);
    for (char c : std::string("pnocgkitlf")) EXPECT_GE(count(c), 1) << c;
    EXPECT_GE(count('n') + count('o'), 12);
    EXPECT_GE(count('c'), 10);
}

TEST_F(Castle, DoorsHaveWallsAboveAndFloorBelow) {
    // With open air above, a door is jumped over; with none below, fallen into.
    for (Cell d : cellsOf("123456")) {
        EXPECT_EQ(at(d.row - 1, d.col), 's') << d.row << ", " << d.col;
        EXPECT_EQ(at(d.row + 1, d.col), 's') << d.row << ", " << d.col;
    }
}

TEST_F(Castle, LavaLiesInFloorsSoTheDriedWayIsFlat) {
    for (Cell d : cellsOf("d")) {
        bool shield = d.row >= SHIELD_TOP && d.row <= SHIELD_BOTTOM && d.col >= SHIELD_LEFT &&
                      d.col <= SHIELD_RIGHT;
        if (shield) continue;
        EXPECT_NE(at(d.row - 1, d.col), 's') << "lava under a wall at " << d.row << ", " << d.col;
        EXPECT_TRUE(d.row == 99 || at(d.row + 1, d.col) == 's') << d.row << ", " << d.col;
        EXPECT_EQ(at(d.row, d.col - 1), 's') << d.row << ", " << d.col;
        EXPECT_EQ(at(d.row, d.col + 1), 's') << d.row << ", " << d.col;  // one cell wide
    }
}

TEST_F(Castle, EverythingCanBeReachedFromTheGate) {
    Reach r = fromGate(play_);
    for (Cell t : TROUBADOURS) EXPECT_TRUE(r.stood[t.row * COLS + t.col]) << t.row << ", " << t.col;
    for (Cell c : cellsOf("uvwxyzebm79hpnoc0"))
        EXPECT_TRUE(r.stood[c.row * COLS + c.col])
            << at(c.row, c.col) << " at " << c.row << ", " << c.col;
    for (Cell d : cellsOf("123456"))
        EXPECT_TRUE(r.passed[d.row * COLS + d.col])
            << "door " << at(d.row, d.col) << " at " << d.row << ", " << d.col;
    EXPECT_TRUE(r.mage);
    // The stone closes the gate until the Mage is dead.
    EXPECT_FALSE(r.exit);
    for (int c = 0; c <= 2; ++c) EXPECT_FALSE(r.stood[98 * COLS + c]) << c;
}

TEST_F(Castle, WallsOfDriedLavaHideWhatOnlyAWeaponOpens) {
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
        EXPECT_TRUE(r.mage) << "the Mage must not need a lucky strike";
    }
}

TEST_F(Castle, TheShieldHoldsWithoutTheHarp) {
    EXPECT_FALSE(fromGate(play_, false).mage);
    // Not even with every key and a weapon.
    Reach r = explore(play_, {START_ROW, START_COL_AFTER_INTRO}, 1, 0x3Fu | ARMED, painless(), false);
    EXPECT_FALSE(r.mage);
}

TEST_F(Castle, EveryKeyIsNeededForTheMage) {
    for (Cell key : cellsOf("uvwxyz")) {
        Grid without = play_;
        without[key.row][key.col] = 'a';
        EXPECT_FALSE(fromGate(without).mage) << "the Mage is reached without key " << at(key.row, key.col);
    }
}

TEST_F(Castle, NoEnemyBeforeTheFirstWeapon) {
    // Without the short sword the hero is stopped by the first guard.
    Grid unarmed = play_;
    for (Cell w : cellsOf("ebm79h")) unarmed[w.row][w.col] = 'a';
    Reach r = fromGate(unarmed);
    EXPECT_FALSE(r.stood[98 * COLS + 24]);
    SearchResult toGuard = search(play_, {START_ROW, START_COL_AFTER_INTRO}, 1, 0,
                                  {Goal::Stand, {98, 23}}, painless());
    ASSERT_TRUE(toGuard.found);
    EXPECT_TRUE(toGuard.route.back().flags & ARMED);
}

TEST_F(Castle, WeaponsGrowWithTheEnemiesOnTheWay) {
    SearchResult toMage =
        search(play_, {START_ROW, START_COL_AFTER_INTRO}, 1, 0, {Goal::Mage, {}}, painless());
    ASSERT_TRUE(toMage.found);
    // Where the shortest route first stands on each tile.
    std::map<char, int> first;
    for (std::size_t i = 0; i < toMage.route.size(); ++i) {
        const Step& s = toMage.route[i];
        first.emplace(level_[s.row][s.col], static_cast<int>(i));
    }
    for (char c : std::string("egki")) ASSERT_TRUE(first.count(c)) << c;
    EXPECT_LT(first['e'], first['g']);  // a sword before the first guard
    EXPECT_LT(first['g'], first['k']);  // guards, then ghouls
    EXPECT_LT(first['k'], first['i']);  // then evil knights
    ASSERT_TRUE(first.count('m'));
    EXPECT_LT(first['m'], first['i']) << "the first evil knight is met before the mace";
    // The hammer and the axe come before the Mage.
    EXPECT_TRUE(first.count('9'));
    EXPECT_TRUE(first.count('h'));
}

TEST_F(Castle, TheWayOutIsShortOnceTheLavaHasDried) {
    Reach r = fromGate(play_);
    ASSERT_TRUE(r.mage);
    SearchResult out = search(play_, r.mageCell, -1, r.mageFlags | MAGE_DEAD, {Goal::Exit, {}},
                              painless());
    ASSERT_TRUE(out.found);
    // The countdown gives 150 s. A player pressing about twice a second plus
    // the game's own pauses (80 ms a step, 120 ms a rung, 100 ms at the top of
    // a jump, 100 - 4n ms for the n-th row of a fall) needs less than half of it.
    double seconds = 0;
    Cell was = r.mageCell;
    for (const Step& s : out.route) {
        seconds += 0.5;
        if (s.action == Action::Up || s.action == Action::Down) seconds += 0.12;
        if (s.action == Action::Jump) seconds += 0.1;
        if ((s.action == Action::Left || s.action == Action::Right) && s.col != was.col) seconds += 0.08;
        int fallen = s.row - was.row + (s.action == Action::Jump ? 1 : 0);
        if (s.action == Action::Down && fallen == 1 && s.facing == 0) fallen = 0;  // a rung
        for (int n = 1; n <= fallen; ++n) seconds += std::max(1, 100 - 4 * n) / 1000.0;
        was = {s.row, s.col};
    }
    EXPECT_LT(seconds, 75.0) << out.presses << " presses";
    RecordProperty("escape_presses", out.presses);
    RecordProperty("escape_seconds", static_cast<int>(seconds));
    EXPECT_LE(out.presses, 120);
}

TEST_F(Castle, TheMageIsReachedWithoutHurtingFalls) {
    SearchResult toMage =
        search(play_, {START_ROW, START_COL_AFTER_INTRO}, 1, 0, {Goal::Mage, {}}, painless());
    ASSERT_TRUE(toMage.found);
    EXPECT_TRUE(toMage.route.back().flags & SHIELD_DRIED);
    // Keys are taken in the order of the castle's chain.
    std::string order;
    std::uint32_t held = 0;
    for (const Step& s : toMage.route) {
        for (int k = 0; k < 6; ++k)
            if ((s.flags & ~held) & (KEY1 << k)) order += static_cast<char>('u' + k);
        held = s.flags;
    }
    EXPECT_EQ(order, "uxvzyw");
}
