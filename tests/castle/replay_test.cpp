// The route the castle tool finds, played by the game itself: the built-in
// level file is loaded by the game, the intro drops the stone, and every press
// of the route goes through the game's own walking, ladder and jump code. After
// each press the knight must stand where the tool said, facing the same way.
// What the route takes for granted besides movement (items taken, doors opened,
// fights won, walls of dried lava shattered, the captives freed, the harp
// played, the Mage beaten) is done to
// the grid the way those rules change it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "castle.h"
#include "hero/movement.h"
#include "platform/headless.h"
#include "platform/platform.h"
#include "state.h"
#include "world/level.h"
#include "world/scene.h"
#include "world/screens.h"

namespace hl = platform::headless;

namespace {

long quietProc(platform::Window w, platform::Msg m, long a, long b) {
    return platform::defaultWindowProc(w, m, a, b);
}

int gridRow() { return gs.viewTop + gs.heroRow; }
int gridCol() { return gs.viewLeft + gs.heroCol; }

// What a won fight leaves in the enemy's cell.
char lootOf(char enemy) { return enemy == 'g' ? 'b' : enemy == 'i' ? '7' : 'a'; }

class Replay : public ::testing::Test {
protected:
    void SetUp() override {
        home_ = std::filesystem::current_path();
        char pattern[] = "/tmp/quelmar-castle-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        std::filesystem::create_directory(dir_ / "sons");
        std::filesystem::copy_file(CASTLE_LEVEL, dir_ / "niveau.niv");
        std::filesystem::current_path(dir_);

        std::ifstream in(CASTLE_SOURCE, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        std::string error;
        ASSERT_TRUE(castle::parseText(text.str(), level_, error)) << error;

        hl::reset();
        gs = GameState{};
        platform::WindowInit init;
        init.className = "std";
        init.title = "castle";
        init.clientW = 480;
        init.clientH = 400;
        init.proc = quietProc;
        gs.mainWindow = platform::createWindow(init);
        gs.onTitleScreen = 0;
        gs.slowComputer = 1;
        gs.life = gs.maxLife = 100;
        gs.inventory[8] = 1;
        gs.inventory[17] = 15;
    }
    void TearDown() override {
        hl::reset();
        std::filesystem::current_path(home_);
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    // A new game on the built-in level up to the end of its intro.
    void newGameWithIntro() {
        loadBuiltinLevel();
        gs.heroRow = 9;
        gs.heroCol = 0;
        gs.viewLeft = 0;
        gs.viewTop = 89;
        gs.heroFacing = 1;
        refreshView();
        hl::queueAnswer(platform::Answer::Ok);
        playIntro();
        refreshView();
    }

    // Before a press: the door in front opens with its key, the enemy in front
    // is beaten, the harp dries the shield.
    void prepare(const castle::Step& s, std::uint32_t held) {
        if (s.action == castle::Action::Left || s.action == castle::Action::Right) {
            int d = s.action == castle::Action::Left ? -1 : 1;
            if (gs.heroFacing == d) {
                char& front = gs.LevelGrid[gridRow()][gridCol() + d];
                if (front >= '1' && front <= '6') front = '(';
                if (front == 'g' || front == 'k' || front == 'i') front = lootOf(front);
                if (front == '@') front = 'a';
            }
        }
        if (s.action == castle::Action::Strike) {
            char& front = gs.LevelGrid[gridRow()][gridCol() + gs.heroFacing];
            EXPECT_EQ(front, '#');
            front = 'a';  // the strike that shatters it
        }
        if ((s.flags & ~held) & castle::CAPTIVES_FREED) {
            for (const castle::CageRow& row : castle::CAGE)
                for (int c = row.left; c <= row.right; ++c) gs.LevelGrid[row.row][c] = 'a';
            gs.LevelGrid[castle::HARP_DROP_ROW][castle::HARP_DROP_COL] = '8';
        }
        if (s.action == castle::Action::Harp) {
            for (int c = castle::SHIELD_LEFT; c <= castle::SHIELD_RIGHT; ++c)
                for (int r = castle::SHIELD_TOP; r <= castle::SHIELD_BOTTOM; ++r)
                    if (gs.LevelGrid[r][c] == 'd') gs.LevelGrid[r][c] = '#';
        }
        refreshView();
    }

    static void press(castle::Action a) {
        switch (a) {
            case castle::Action::Left: walkStep(-1); break;
            case castle::Action::Right: walkStep(1); break;
            case castle::Action::Up: climbUp(); break;
            case castle::Action::Down: climbDown(); break;
            case castle::Action::Jump: jump(); break;
            case castle::Action::Harp:
            case castle::Action::Strike:
            case castle::Action::None: break;
        }
    }

    // After a press: what the route took from the hero's cell goes into the bag.
    void take(const castle::Step& s, std::uint32_t held) {
        std::uint32_t gained = s.flags & ~held & (0x3Fu | castle::ARMED | castle::HARP_CARRIED);
        if (!gained) return;
        char& cell = gs.LevelGrid[gridRow()][gridCol()];
        std::size_t index = std::string_view(" ebm79h8pnouvwxyz").find(cell);
        ASSERT_NE(index, std::string_view::npos) << "nothing to take at " << gridRow() << ", " << gridCol();
        gs.inventory[index] = 1;
        cell = 'a';
        refreshView();
    }

    // Plays the route; false (with a failure) where the game and the tool part.
    void play(const std::vector<castle::Step>& route, std::uint32_t held) {
        int n = 0;
        for (const castle::Step& s : route) {
            ++n;
            prepare(s, held);
            press(s.action);
            ASSERT_EQ(gridRow(), s.row) << "press " << n << " (" << castle::actionName(s.action) << ")";
            ASSERT_EQ(gridCol(), s.col) << "press " << n << " (" << castle::actionName(s.action) << ")";
            if (gs.onTitleScreen) {  // the escape is won, on the route's last press
                EXPECT_EQ(n, static_cast<int>(route.size()));
                return;
            }
            ASSERT_EQ(gs.heroFacing, s.facing) << "press " << n;
            take(s, held);
            held = s.flags;
        }
    }

    castle::Grid level_;
    std::filesystem::path home_, dir_;
};

}  // namespace

TEST_F(Replay, TheGamePlaysTheRouteToTheMageAndOut) {
    newGameWithIntro();
    ASSERT_EQ(gridCol(), castle::START_COL_AFTER_INTRO);
    ASSERT_EQ(gridRow(), castle::START_ROW);
    ASSERT_EQ(gs.LevelGrid[castle::STONE_BOTTOM_ROW][castle::STONE_COL], 's');

    castle::Grid play_ = castle::afterIntro(level_);
    castle::Rules rules;
    rules.bagKg = 15;
    rules.maxFallCost = 0;
    castle::SearchResult toMage = castle::search(play_, {castle::START_ROW, castle::START_COL_AFTER_INTRO}, 1,
                                                 0, {castle::Goal::Mage, {}}, rules);
    ASSERT_TRUE(toMage.found);
    play(toMage.route, 0);
    if (HasFatalFailure()) return;
    const castle::Step& mage = toMage.route.back();
    EXPECT_EQ(gs.life, 100);
    // The game's own code moved him: its sounds are in the transcript.
    int jumps = 0, rungs = 0;
    for (const std::string& line : hl::transcript()) {
        jumps += line == "sound saut";
        rungs += line == "sound echelle";
    }
    EXPECT_GE(jumps, 5);
    EXPECT_GE(rungs, 60);

    // The Mage is dead: every lava cell hardens and the gate's stone rises.
    for (auto& row : gs.LevelGrid)
        for (char& c : row)
            if (c == 'd') c = '#';
    gs.LevelGrid[castle::STONE_BOTTOM_ROW][castle::STONE_COL] = 'a';
    gs.LevelGrid[castle::STONE_TOP_ROW][castle::STONE_COL] = 's';
    gs.escapeMode = 1;
    refreshView();

    castle::SearchResult out = castle::search(play_, {mage.row, mage.col}, mage.facing,
                                              mage.flags | castle::MAGE_DEAD, {castle::Goal::Exit, {}}, rules);
    ASSERT_TRUE(out.found);
    play(out.route, mage.flags | castle::MAGE_DEAD);
    if (HasFatalFailure()) return;
    EXPECT_EQ(gridRow(), castle::START_ROW);
    EXPECT_EQ(gridCol(), 0);
    EXPECT_EQ(gs.onTitleScreen, 1) << "the step into column 0 wins";
    EXPECT_EQ(gs.life, 100);
}

namespace {

// The cells around (row, col), for a failure's message.
std::string around(const castle::Grid& g, int row, int col) {
    std::string out;
    for (int r = row - 3; r <= row + 3; ++r) {
        out += "\n  ";
        for (int c = col - 4; c <= col + 4; ++c)
            out += r < 0 || r >= castle::ROWS || c < 0 || c >= castle::COLS ? 's' : g[r][c];
    }
    return out;
}

}  // namespace

// The search's rules and the game's, press by press, on rooms of random walls,
// ladders, lava, dried lava, scenery, locked doors and enemies (the knight is
// unarmed and keyless): he must end every press on the
// same cell with the same facing, and live exactly as long.
TEST_F(Replay, TheSearchMovesLikeTheGameOnRandomRooms) {
    std::mt19937 random(20051111);
    const std::string codes = "aaaaaaaaasssssssqqqqdd##ltfjg1k";
    const castle::Action actions[] = {castle::Action::Left, castle::Action::Right, castle::Action::Up,
                                      castle::Action::Down, castle::Action::Jump};
    castle::Rules rules;
    rules.bagKg = 0;  // an empty bag: no fall hurts, in the game as in the search
    int presses = 0, moves = 0, deaths = 0;
    for (int run = 0; run < 500; ++run) {
        castle::Grid room;
        for (auto& row : room) row.fill('s');
        const int top = 40 + static_cast<int>(random() % 50), left = static_cast<int>(random() % 80);
        for (int r = top; r < std::min(top + 12, castle::ROWS); ++r)
            for (int c = left; c < left + 18; ++c) room[r][c] = codes[random() % codes.size()];
        int row, col;
        do {
            row = top + static_cast<int>(random() % 12);
            col = left + static_cast<int>(random() % 18);
        } while (row >= castle::ROWS || room[row][col] != 'a');
        castle::HeroState hero{row, col, random() % 2 ? 1 : -1, 1, 0};

        for (int r = 0; r < castle::ROWS; ++r)
            for (int c = 0; c < castle::COLS; ++c) gs.LevelGrid[r][c] = room[r][c];
        gs.viewLeft = std::clamp(col - 7, 0, 85);
        gs.viewTop = std::clamp(row - 5, 0, 89);
        gs.heroCol = col - gs.viewLeft;
        gs.heroRow = row - gs.viewTop;
        gs.heroFacing = hero.facing;
        gs.heroSideFacing = 1;
        // Whatever a death of the previous run did, this run plays a fresh game.
        gs.life = gs.maxLife = 100;
        gs.onTitleScreen = 0;
        gs.escapeMode = 0;
        gs.lookMode = 0;
        std::fill(std::begin(gs.inventory), std::end(gs.inventory), 0);
        refreshView();

        for (int n = 0; n < 60; ++n) {
            castle::Action a = actions[random() % 5];
            castle::HeroState before = hero;
            castle::PressResult out = castle::pressOnce(room, rules, hero, a);
            press(a);
            ++presses;
            if (out == castle::PressResult::Lost) {
                ++deaths;
                // Dead in both, or resting on an enemy, where the search stops.
                char cell = gs.LevelGrid[gridRow()][gridCol()];
                EXPECT_TRUE(gs.life == 0 || cell == 'g' || cell == 'k')
                    << "run " << run << " press " << n << ": the search lost him, the game did not";
                break;
            }
            const std::string where = "run " + std::to_string(run) + " press " + std::to_string(n) + " (" +
                                      castle::actionName(a) + " from " + std::to_string(before.row) + ", " +
                                      std::to_string(before.col) + " facing " + std::to_string(before.facing) + ")" +
                                      around(room, before.row, before.col);
            ASSERT_EQ(gs.life, 100) << where;
            ASSERT_EQ(gridRow(), hero.row) << where;
            ASSERT_EQ(gridCol(), hero.col) << where;
            ASSERT_EQ(gs.heroFacing, hero.facing) << where;
            ASSERT_EQ(gs.heroSideFacing, hero.side) << where;
            moves += before.row != hero.row || before.col != hero.col;
        }
    }
    // The rooms are varied enough to test something.
    EXPECT_GT(moves, 2000);
    EXPECT_GT(deaths, 20);
    RecordProperty("presses", presses);
}
