// The castle tool's rules against the game's own movement code on the headless
// backend: the route it finds through the built-in castle, and random rooms.
#include <fstream>
#include <random>

#include "castle.h"
#include "hero/movement.h"
#include "play_fixture.h"
#include "world/level.h"
#include "world/screens.h"

using namespace castle;
namespace hl = platform::headless;

namespace {

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
        if (s.flags & ~held & CAPTIVES_FREED) {
            for (const CageRow& row : CAGE)
                for (int c = row.left; c <= row.right; ++c) gs.LevelGrid[row.row][c] = 'a';
            gs.LevelGrid[HARP_DROP_ROW][HARP_DROP_COL] = '8';
        }
        for (int r = SHIELD_TOP; r <= SHIELD_BOTTOM && s.action == Action::Harp; ++r)
            for (int c = SHIELD_LEFT; c <= SHIELD_RIGHT; ++c)
                if (gs.LevelGrid[r][c] == 'd') gs.LevelGrid[r][c] = '#';
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
    std::ifstream in(CASTLE_SOURCE, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), error;
    Grid level;
    ASSERT_TRUE(parseText(text, level, error)) << error;
    level = afterIntro(level);
    for (int r = 0; r < ROWS; ++r) ASSERT_TRUE(std::equal(level[r].begin(), level[r].end(), gs.LevelGrid[r])) << r;
    const Rules rules{.bagKg = 15, .maxFallCost = 0};  // no fall on the way may hurt
    SearchResult toMage = search(level, {START_ROW, START_COL_AFTER_INTRO}, 1, 0, {Goal::Mage, {}}, rules);
    ASSERT_TRUE(toMage.found);
    play(toMage.route, 0);
    if (HasFatalFailure()) return;
    EXPECT_EQ(gs.life, 100);
    // The game's own code moved him: its jumps and rungs were heard.
    play::Strings heard = play::sounds();
    EXPECT_GE(std::count(heard.begin(), heard.end(), "saut"), 5);
    EXPECT_GE(std::count(heard.begin(), heard.end(), "echelle"), 60);

    // The Mage is dead: every lava cell hardens and the gate's stone rises.
    for (auto& row : gs.LevelGrid) std::replace(std::begin(row), std::end(row), 'd', '#');
    gs.LevelGrid[STONE_BOTTOM_ROW][STONE_COL] = 'a';
    gs.LevelGrid[STONE_TOP_ROW][STONE_COL] = 's';
    gs.escapeMode = 1;
    refreshView();
    const Step& mage = toMage.route.back();
    SearchResult out =
        search(level, {mage.row, mage.col}, mage.facing, mage.flags | MAGE_DEAD, {Goal::Exit, {}}, rules);
    ASSERT_TRUE(out.found);
    play(out.route, mage.flags | MAGE_DEAD);
    if (HasFatalFailure()) return;
    EXPECT_EQ(std::tuple(gridRow(), gridCol(), gs.onTitleScreen, gs.life), std::tuple(START_ROW, 0, 1, 100));
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
