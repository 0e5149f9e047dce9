// The built-in castle: the cells the story relies on, what it holds, and that the
// game's own movement code on the headless backend plays the castle tool's route
// from the gate to the Black Mage and back out, and moves as the tool on random rooms.
#include <fstream>
#include <map>
#include <random>

#include "castle.h"
#include "hero/movement.h"
#include "hero/troubadours.h"
#include "play_fixture.h"
#include "world/level.h"
#include "world/screens.h"

using namespace castle;
namespace hl = platform::headless;

namespace {

std::string readFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The castle's source, read once (`sourceError` says why it cannot be), and the
// castle after the intro.
std::string sourceError;
const Grid LEVEL = [] {
    Grid g{};
    parseText(readFile(CASTLE_SOURCE), g, sourceError);
    return g;
}();
const Grid PLAY = afterIntro(LEVEL);
// No fall on the castle's way may hurt, whatever the bag weighs.
constexpr Rules PAINLESS{.bagKg = 15, .maxFallCost = 0};

class Castle : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(sourceError, "") << CASTLE_SOURCE; }

    static char at(int r, int c) { return LEVEL[r][c]; }
    static std::vector<Cell> cellsOf(std::string_view codes) {
        std::vector<Cell> cells;
        for (int r = 0; r < ROWS; ++r)
            for (int c = 0; c < COLS; ++c)
                if (codes.find(at(r, c)) != std::string_view::npos) cells.push_back({r, c});
        return cells;
    }
    static Reach fromGate(const Grid& g, std::uint32_t flags = 0, bool harp = true) {
        return explore(g, {START_ROW, START_COL_AFTER_INTRO}, 1, flags, PAINLESS, harp);
    }
};

void press(Action a) {
    switch (a) {
        case Action::Left: walkStep(-1); break;
        case Action::Right: walkStep(1); break;
        case Action::Up: climbUp(); break;
        case Action::Down: climbDown(); break;
        case Action::Jump: jump(); break;
        default: break;  // the harp and the strike are played by the route itself
    }
}

class Replay : public play::PlayTest {
protected:
    // Before a press: the door in front opens with its key, the enemy in front
    // is beaten and leaves what a won fight leaves, the Mage too; the strike
    // shatters the dried lava in front, the harp dries the shield, and the
    // captives once freed leave the harp behind.
    static void prepare(const Step& s, std::uint32_t held) {
        const int d = s.action == Action::Left ? -1 : s.action == Action::Right ? 1 : 0;
        char& front = gs.LevelGrid[gridRow()][std::clamp(gridCol() + (d ? d : gs.heroFacing), 0, COLS - 1)];
        if (d == gs.heroFacing && d != 0) {
            if (front >= '1' && front <= '6') front = '(';
            if (front == 'g' || front == 'k' || front == 'i') front = front == 'g' ? 'b' : front == 'i' ? '7' : 'a';
            if (front == '@') front = 'a';
        }
        if (s.action == Action::Strike) {
            EXPECT_EQ(front, '#');
            front = 'a';
        }
        if (s.flags & ~held & CAPTIVES_FREED) freeTroubadours();
        if (s.action == Action::Harp) playHarp();
        refreshView();
    }

    // Plays the route: after each press the knight must stand where the tool
    // said, facing the same way; what the route took goes into the bag.
    static void play(const std::vector<Step>& route, std::uint32_t held) {
        for (std::size_t n = 0; n < route.size(); ++n) {
            const Step& s = route[n];
            SCOPED_TRACE(testing::Message() << "press " << n + 1 << " (" << actionName(s.action) << ")");
            prepare(s, held);
            press(s.action);
            ASSERT_EQ(where(), (std::pair{s.row, s.col}));
            if (gs.onTitleScreen) {  // the escape is won, on the route's last press
                EXPECT_EQ(n + 1, route.size());
                return;
            }
            ASSERT_EQ(gs.heroFacing, s.facing);
            if (s.flags & ~held & (0x3Fu | ARMED | HARP_CARRIED)) {
                char& cell = gs.LevelGrid[gridRow()][gridCol()];
                std::size_t item = std::string_view(" ebm79h8pnouvwxyz").find(cell);
                ASSERT_NE(item, std::string_view::npos) << "nothing to take here";
                gs.inventory[item] = 1;
                cell = 'a';
                refreshView();
            }
            held = s.flags;
        }
    }
};

}  // namespace

TEST_F(Castle, LevelFileIsTheSourceAsOneToken) { EXPECT_EQ(readFile(CASTLE_LEVEL), toToken(LEVEL)); }

TEST_F(Castle, TheCellsTheStoryNeeds) {
    for (int i = 0; i < 100; ++i) {
        EXPECT_TRUE(at(99, i) == 's' || at(99, i) == 'd') << "floor, column " << i;
        EXPECT_EQ(at(i, 0), i == START_ROW ? 'a' : 's') << "column 0, row " << i;
    }
    EXPECT_EQ(at(STONE_TOP_ROW, STONE_COL), 's');
    EXPECT_EQ(at(STONE_BOTTOM_ROW, STONE_COL), 'a');
    for (Cell t : TROUBADOURS) EXPECT_EQ(at(t.row, t.col), 'j') << t.row << ", " << t.col;
    // What some announce lies where they say: the pit after (98, 8) with
    // headroom to jump it, the locked door after (98, 42), the shop to the left
    // of (89, 29), the princess's door, the door of the Mage's quarters.
    const std::pair<Cell, char> told[] = {{{99, 12}, 'd'}, {{97, 11}, 'a'}, {{98, 44}, '1'},
                                          {{89, 18}, '0'}, {{84, 54}, '2'}, {{18, 10}, '3'}};
    for (auto [cell, code] : told) EXPECT_EQ(at(cell.row, cell.col), code) << cell.row << ", " << cell.col;
    // The captives in their cage behind the one orange door; the Mage, away
    // from column 0, behind his lava shield and its antechamber.
    int captives = 0;
    for (const CageRow& row : CAGE)
        for (int c = row.left; c <= row.right; ++c) {
            EXPECT_TRUE(at(row.row, c) == 'j' || at(row.row, c) == 'a') << row.row << ", " << c;
            captives += at(row.row, c) == 'j';
        }
    EXPECT_GE(captives, 6);
    EXPECT_EQ(cellsOf("5").size(), 1u);
    for (int r = SHIELD_TOP; r <= SHIELD_BOTTOM; ++r)
        for (int c = SHIELD_LEFT; c <= SHIELD_RIGHT; ++c) EXPECT_EQ(at(r, c), 'd') << r << ", " << c;
    std::vector<Cell> mage = cellsOf("@");
    ASSERT_EQ(mage.size(), 1u);
    EXPECT_GE(mage[0].col, 2);
}

TEST_F(Castle, EverythingCanBeReachedFromTheGateButTheMageNeedsTheHarpEveryKeyAndAWeapon) {
    // One of each key, two shops, a dozen potions and elixirs, ten chests, and
    // at least one of every weapon, door, enemy and piece of scenery.
    for (char key : std::string("uvwxyz")) EXPECT_EQ(cellsOf(std::string(1, key)).size(), 1u) << key;
    for (auto [codes, least] : {std::pair{"0", 2u}, {"no", 12u}, {"c", 10u}}) EXPECT_GE(cellsOf(codes).size(), least);
    for (char c : std::string("ebm79h123456pgkitlf")) EXPECT_GE(cellsOf(std::string(1, c)).size(), 1u) << c;
    const Reach open = fromGate(PLAY);
    for (Cell t : TROUBADOURS) EXPECT_TRUE(open.stood[t.row * COLS + t.col]) << t.row << ", " << t.col;
    for (Cell c : cellsOf("uvwxyzebm79hpnoc0"))
        EXPECT_TRUE(open.stood[c.row * COLS + c.col]) << at(c.row, c.col) << " at " << c.row << ", " << c.col;
    for (Cell d : cellsOf("123456"))
        EXPECT_TRUE(open.passed[d.row * COLS + d.col]) << "door at " << d.row << ", " << d.col;
    EXPECT_TRUE(open.mage);
    // The stone closes the gate until the Mage is dead; nobody reaches the
    // cage before it is opened.
    for (int c = 0; c <= 2; ++c) EXPECT_FALSE(open.stood[98 * COLS + c]) << c;
    auto emptied = [](const std::vector<Cell>& cells) {  // the castle without what lies there
        Grid g = PLAY;
        for (Cell c : cells) g[c.row][c.col] = 'a';
        return g;
    };
    Reach r = fromGate(emptied(cellsOf("y")));
    for (int c = 20; c <= 27; ++c) EXPECT_FALSE(r.stood[60 * COLS + c]) << c;

    // The Mage needs the harp, every key and a weapon, and no wall broken.
    EXPECT_FALSE(fromGate(PLAY, 0x3Fu | ARMED, false).mage) << "not even with every key and a weapon";
    for (Cell key : cellsOf("uvwxyz"))
        EXPECT_FALSE(fromGate(emptied({key})).mage) << "the Mage is reached without key " << at(key.row, key.col);
    // Without the short sword the hero is stopped by the first guard.
    EXPECT_FALSE(fromGate(emptied(cellsOf("ebm79h"))).stood[98 * COLS + 24]);
    // Walls of dried lava hide what only a weapon opens, never the Mage.
    std::vector<Cell> walls = cellsOf("#");
    ASSERT_GE(walls.size(), 1u);
    ASSERT_LE(walls.size(), static_cast<std::size_t>(MAX_BREAKABLE_WALLS));
    for (Cell w : walls) {
        Grid sealed = PLAY;
        sealed[w.row][w.col] = 's';
        r = fromGate(sealed);
        int lost = 0;
        for (int k = 0; k < ROWS * COLS; ++k) lost += open.stood[k] && !r.stood[k];
        EXPECT_GT(lost, 0) << "nothing lies behind the wall at " << w.row << ", " << w.col;
        EXPECT_TRUE(r.mage) << "the Mage must not need the wall at " << w.row << ", " << w.col;
    }
}

TEST_F(Replay, EveryTroubadourOutsideTheCageHasWordsForHisPlace) {
    ASSERT_EQ(sourceError, "") << CASTLE_SOURCE;
    int heard = 0;
    for (int r = 0; r < ROWS; ++r)
        for (int c = 0; c < COLS; ++c) {
            const bool caged = std::ranges::any_of(CAGE, [&](const CageRow& row) { return row.row == r && c >= row.left && c <= row.right; });
            if (PLAY[r][c] != 'j' || caged) continue;
            placeHero(r, c);
            hl::clearTranscript();
            talkToTroubadour(positionKey());
            ASSERT_EQ(play::boxes().size(), 1u);
            EXPECT_EQ(play::boxes()[0].find("info troubadour:"), std::string::npos) << r << ", " << c;
            ++heard;
        }
    EXPECT_EQ(heard, static_cast<int>(TROUBADOURS.size()));
}

TEST_F(Replay, TheGamePlaysTheRouteToTheMageAndOut) {
    std::filesystem::copy_file(CASTLE_LEVEL, "niveau.niv");
    std::tie(gs.slowComputer, gs.inventory[8], gs.inventory[17]) = std::tuple(1, 1, 15);  // no waits, shield, gold
    // A new game on the built-in level up to the end of its intro.
    loadBuiltinLevel();
    placeHero(START_ROW, 0);
    hl::queueAnswer(platform::Answer::Ok);
    playIntro();
    refreshView();
    ASSERT_EQ(where(), (std::pair{START_ROW, START_COL_AFTER_INTRO}));

    // The tool's castle after the intro is the game's.
    ASSERT_EQ(sourceError, "") << CASTLE_SOURCE;
    for (int r = 0; r < ROWS; ++r) ASSERT_TRUE(std::equal(PLAY[r].begin(), PLAY[r].end(), gs.LevelGrid[r])) << r;
    SearchResult toMage = search(PLAY, {START_ROW, START_COL_AFTER_INTRO}, 1, 0, {Goal::Mage, {}}, PAINLESS);
    ASSERT_TRUE(toMage.found);
    // Where the shortest route first stands on each tile, and the keys' order.
    std::map<char, int> first;
    std::string keys;
    std::uint32_t held = 0;
    for (std::size_t i = 0; i < toMage.route.size(); ++i) {
        const Step& s = toMage.route[i];
        first.emplace(PLAY[s.row][s.col], static_cast<int>(i));
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

    play(toMage.route, 0);
    if (HasFatalFailure()) return;
    EXPECT_EQ(gs.life, 100);
    // The game's own code moved him: its jumps and rungs were heard.
    EXPECT_GE(std::ranges::count(play::sounds(), "saut"), 5);
    EXPECT_GE(std::ranges::count(play::sounds(), "echelle"), 60);

    // The Mage is dead: every lava cell hardens and the gate's stone rises.
    for (auto& row : gs.LevelGrid) std::replace(std::begin(row), std::end(row), 'd', '#');
    gs.LevelGrid[STONE_BOTTOM_ROW][STONE_COL] = 'a';
    gs.LevelGrid[STONE_TOP_ROW][STONE_COL] = 's';
    gs.escapeMode = 1;
    refreshView();
    const Step& mage = toMage.route.back();
    SearchResult out =
        search(PLAY, {mage.row, mage.col}, mage.facing, mage.flags | MAGE_DEAD, {Goal::Exit, {}}, PAINLESS);
    ASSERT_TRUE(out.found);
    gs.slowComputer = 0;  // the game's own pauses, on the virtual clock
    const long long start = hl::nowMs();
    play(out.route, mage.flags | MAGE_DEAD);
    if (HasFatalFailure()) return;
    EXPECT_EQ(std::tuple(gridRow(), gridCol(), gs.onTitleScreen, gs.life), std::tuple(START_ROW, 0, 1, 100));
    // The countdown gives 150 s: a quick player, five presses a second on top of
    // the game's pauses, has between 20 and 60 s left at the gate.
    const double left = 150 - out.presses * 0.2 - (hl::nowMs() - start) / 1000.0;
    EXPECT_TRUE(left > 20 && left < 60) << out.presses << " presses, " << left << " s left";
}

// Press by press on rooms of random walls, ladders, lava, dried lava, scenery,
// locked doors and enemies (the knight unarmed and keyless, his bag empty so
// that no fall hurts): the search and the game must leave him on the same cell
// with the same facing, and kill him at the same press.
TEST_F(Replay, TheSearchMovesLikeTheGameOnRandomRooms) {
    std::mt19937 random(20051111);
    const std::string codes = "aaaaaaaaasssssssqqqqdd##ltfjg1k";
    const Rules rules{.bagKg = 0};
    int moves = 0, deaths = 0;
    for (int run = 0; run < 500; ++run) {
        Grid room;
        for (auto& row : room) row.fill('s');
        const int top = 40 + static_cast<int>(random() % 50), left = static_cast<int>(random() % 80);
        for (int r = top; r < std::min(top + 12, ROWS); ++r)
            for (int c = left; c < left + 18; ++c) room[r][c] = codes[random() % codes.size()];
        int row = ROWS, col = 0;
        while (row >= ROWS || room[row][col] != 'a')
            std::tie(row, col) = std::pair(top + int(random() % 12), left + int(random() % 18));
        HeroState hero{row, col, random() % 2 ? 1 : -1, 1, 0};
        // Whatever a death of the previous run did, this run plays a fresh game.
        gs.life = 100;
        gs.onTitleScreen = 0;
        for (int r = 0; r < ROWS; ++r) std::copy(room[r].begin(), room[r].end(), gs.LevelGrid[r]);
        placeHero(row, col, hero.facing);
        gs.heroSideFacing = 1;

        for (int n = 0; n < 60; ++n) {
            const Action a = static_cast<Action>(random() % 5);  // an arrow or Space
            const HeroState before = hero;
            PressResult result = pressOnce(room, rules, hero, a);
            press(a);
            SCOPED_TRACE(testing::Message() << "run " << run << " press " << n << " (" << actionName(a) << " from "
                                            << before.row << ", " << before.col << " facing " << before.facing << ")");
            if (result == PressResult::Lost) {
                ++deaths;
                // Dead in both, or resting on an enemy, where the search stops.
                char cell = gs.LevelGrid[gridRow()][gridCol()];
                EXPECT_TRUE(gs.life == 0 || cell == 'g' || cell == 'k') << "the search lost him, the game did not";
                break;
            }
            ASSERT_EQ(std::tuple(gs.life, gridRow(), gridCol(), gs.heroFacing, gs.heroSideFacing),
                      std::tuple(100, hero.row, hero.col, hero.facing, hero.side));
            moves += before.row != hero.row || before.col != hero.col;
        }
    }
    // The rooms are varied enough to test something.
    EXPECT_GT(moves, 2000);
    EXPECT_GT(deaths, 20);
}
