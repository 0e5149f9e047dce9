// Pixels of the scene, the bars, the status panel and the title picture on the
// headless framebuffer.
#include <string>

#include "harness.h"
#include "shell/mainwindow.h"
#include "shell/window.h"
#include "world/scene.h"
#include "world/screens.h"

using namespace shelltest;
namespace hl = platform::headless;

namespace {

constexpr unsigned BLACK = 0x000000;
constexpr unsigned WHITE = 0xFFFFFF;
constexpr unsigned MAGENTA = 0xFF00FF;

unsigned rgbOf(platform::Color c) { return static_cast<unsigned>(c.r << 16 | c.g << 8 | c.b); }

class Drawing : public ShellTest {
protected:
    void fill(unsigned colour) {
        platform::Dc dc = platform::getDc(gs.mainWindow);
        platform::Color c = platform::rgb(static_cast<int>(colour >> 16), (colour >> 8) & 0xFF, colour & 0xFF);
        platform::rectangle(dc, platform::Rect{0, 0, PLAY_CLIENT_W, PLAY_CLIENT_H}, c, c);
        platform::releaseDc(dc);
    }
};

}  // namespace

TEST_F(Drawing, BarOutlineFillAndColourBytes) {
    openMain(true);
    fill(MAGENTA);
    drawBar(gs.mainWindow, 10, 20, 100, 30, 260, 128, 511);
    // Outline from (10, 20) to (112, 31), right and bottom edges excluded.
    EXPECT_EQ(px(10, 20), BLACK);
    EXPECT_EQ(px(111, 20), BLACK);
    EXPECT_EQ(px(10, 30), BLACK);
    EXPECT_EQ(px(111, 30), BLACK);
    EXPECT_EQ(px(112, 25), MAGENTA);
    EXPECT_EQ(px(50, 31), MAGENTA);
    // Fill of 30 pixels from x = 11, rows 21..29; colour parts by their low byte.
    const unsigned fillColour = 0x0480FF;
    EXPECT_EQ(px(11, 21), fillColour);
    EXPECT_EQ(px(40, 29), fillColour);
    EXPECT_EQ(px(41, 25), WHITE);
    EXPECT_EQ(px(110, 29), WHITE);
}

TEST_F(Drawing, BarValueIsNotClippedAndZeroFillsNothing) {
    openMain(true);
    fill(MAGENTA);
    drawBar(gs.mainWindow, 0, 0, 20, 50, 255, 0, 0);
    EXPECT_EQ(px(50, 5), 0xFF0000u);  // past the outline's right end at x = 21
    EXPECT_EQ(px(51, 5), MAGENTA);

    drawBar(gs.mainWindow, 0, 40, 20, 0, 255, 0, 0);
    for (int x = 1; x <= 20; ++x) EXPECT_EQ(px(x, 45), WHITE) << x;
}

TEST_F(Drawing, SceneDrawsTilesAndKeepsPixelsOfCellsWithoutPicture) {
    writePictures();
    openMain(true);
    corridor(40, 50);
    gs.LevelGrid[50][40] = 'Z';                     // a code in range whose picture is missing
    gs.LevelGrid[50][41] = static_cast<char>(200);  // a code outside 34..123
    gs.LevelGrid[50][42] = 'q';
    refreshView();
    fill(MAGENTA);
    drawScene();
    EXPECT_EQ(px(5, 5), MAGENTA);
    EXPECT_EQ(px(24 + 23, 23), MAGENTA);
    EXPECT_EQ(px(48, 0), LADDER_RGB);
    EXPECT_EQ(px(24 * 3, 0), AIR_RGB);
    EXPECT_EQ(px(24 * 14 + 23, 24 * 6 + 23), FLOOR_RGB);  // the floor row under the hero
    EXPECT_EQ(px(360, 5), MAGENTA);                      // nothing right of the scene
    EXPECT_EQ(px(5, 264), MAGENTA);                      // nor below it
}

TEST_F(Drawing, HeroIconByFacingWithItsTransparency) {
    writePictures();
    openMain(true);
    corridor(40, 50);
    const int x0 = 7 * 24, y0 = 5 * 24;
    const struct {
        int facing;
        unsigned colour;
    } cases[] = {{1, HERO_RIGHT_RGB}, {-1, HERO_LEFT_RGB}, {0, HERO_FRONT_RGB}};
    for (const auto& c : cases) {
        gs.heroFacing = c.facing;
        drawScene();
        EXPECT_EQ(px(x0 + 12, y0 + 12), c.colour) << c.facing;
        EXPECT_EQ(px(x0 + 1, y0 + 1), AIR_RGB) << "transparent corner, facing " << c.facing;
        EXPECT_EQ(px(x0 + 20, y0 + 20), AIR_RGB) << c.facing;
    }
    // Any other facing, or look mode, draws no hero.
    gs.heroFacing = 2;
    drawScene();
    EXPECT_EQ(px(x0 + 12, y0 + 12), AIR_RGB);
    gs.heroFacing = 1;
    gs.lookMode = 1;
    drawScene();
    EXPECT_EQ(px(x0 + 12, y0 + 12), AIR_RGB);
}

TEST_F(Drawing, TitlePictureAtTheOrigin) {
    int w = 0, h = 0;
    std::vector<unsigned> title;
    ASSERT_TRUE(titlePicture(w, h, title));
    ASSERT_EQ(w, 390);
    ASSERT_EQ(h, 350);
    openMain(false);
    fill(MAGENTA);
    paintSequence(gs.mainWindow);
    int wrong = 0;
    for (int y = 0; y < h; y += 3)
        for (int x = 0; x < w; x += 3)
            if (px(x, y) != title[static_cast<std::size_t>(y * w + x)]) ++wrong;
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(px(389, 349), title.back());
}

TEST(PanelFigures, WeightLifeColourAndCountdown) {
    EXPECT_EQ(weightGrams(14.95f), 14950);
    EXPECT_EQ(weightBarPixels(14.95f), 149);
    EXPECT_EQ(weightGrams(15.0f), 15000);
    EXPECT_EQ(weightBarPixels(15.0f), 150);
    EXPECT_EQ(weightGrams(0.001f), 1);  // one gold piece
    EXPECT_EQ(weightBarPixels(0.099f), 0);

    const BarColour high = lifeBarColour(250);
    EXPECT_EQ(high.red, 0);
    EXPECT_EQ(high.green, 255);
    const BarColour dead = lifeBarColour(0);
    EXPECT_EQ(dead.red, 200);
    EXPECT_EQ(dead.green, 55);
    EXPECT_EQ(dead.blue, 0);
    const BarColour mid = lifeBarColour(100);
    EXPECT_EQ(mid.red, 100);
    EXPECT_EQ(mid.green, 155);

    EXPECT_EQ(countdownText(2, 30), "2:30");
    EXPECT_EQ(countdownText(2, 5), "2:5");
    EXPECT_EQ(countdownText(0, 0), "0:0");
}

class Panel : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        writePictures();
        openMain(true);
        corridor();
        gs.maxLife = 100;
        gs.favoriteRed = 250;
        gs.favoriteGreen = 10;
        gs.favoriteBlue = 170;
    }
    void paint() {
        platform::invalidate(gs.mainWindow, nullptr, true);
        platform::updateWindow(gs.mainWindow);
    }
};

TEST_F(Panel, WeightBarOf149PixelsAt1495Kg) {
    gs.inventory[5] = 4;  // 12 kg of hammers
    gs.inventory[3] = 1;  // a 2 kg mace
    gs.inventory[9] = 9;  // 0.9 kg of potions
    gs.inventory[10] = 1;  // an elixir
    paint();
    EXPECT_NEAR(gs.carriedWeight, 14.95f, 1e-4f);  // recomputed by the paint
    const unsigned favourite = 0xFA0AAA;
    EXPECT_EQ(px(131, 318), favourite);
    EXPECT_EQ(px(131 + 148, 318), favourite);
    EXPECT_EQ(px(131 + 149, 318), WHITE);
    EXPECT_EQ(px(130 + 151, 318), BLACK);  // right end of the 150-pixel box
}

TEST_F(Panel, LifeBarColourAndLengths) {
    gs.life = 250;
    gs.maxLife = 300;
    gs.shield = 20;
    gs.shieldMax = 50;
    paint();
    EXPECT_EQ(px(131, 278), 0x00FF00u);        // above 200: pure green
    EXPECT_EQ(px(130 + 250, 278), 0x00FF00u);  // 250 pixels long
    EXPECT_EQ(px(131 + 250, 278), WHITE);
    EXPECT_EQ(px(130 + 301, 278), BLACK);      // box of maxLife
    EXPECT_EQ(px(131 + 19, 298), 0xFA0AAAu);   // shield in the favourite colour
    EXPECT_EQ(px(131 + 20, 298), WHITE);

    gs.life = 100;
    paint();
    EXPECT_EQ(px(131, 278), 0x649B00u);  // red 100, green 155
}

TEST_F(Panel, SkillBars) {
    gs.strength = 10;
    gs.resistance = 20;
    gs.precision = 30;
    gs.protection = 100;
    paint();
    const int values[4] = {10, 20, 30, 100};
    for (int k = 0; k < 4; ++k) {
        const int x = 10 + 110 * k;
        EXPECT_EQ(px(x + values[k], 375), 0xFA0AAAu) << k;
        if (values[k] < 100) {
            EXPECT_EQ(px(x + 1 + values[k], 375), WHITE) << k;
        }
        EXPECT_EQ(px(x + 101, 375), BLACK) << k;
    }
}

TEST_F(Panel, ItemColumnShowsEmptySlotsAndTheRightCopies) {
    paint();
    for (int i = 1; i <= 15; ++i) EXPECT_EQ(px(422, 23 * i - 20 + 10), EMPTY_SLOT_RGB) << "row " << i;

    // Every row carries its item: the copy of that item's tile.
    const int rowItem[15] = {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13, 14, 15, 16};
    const std::string rowTile = "ebm79h8nouvwxyz";
    for (int i = 0; i < 15; ++i) gs.inventory[rowItem[i]] = 1;
    gs.inventory[8] = 1;  // the shield has no row
    paint();
    for (int i = 1; i <= 15; ++i) {
        const int y = 23 * i - 20;
        EXPECT_EQ(px(422, y + 10), copyColour(rowTile[static_cast<std::size_t>(i - 1)])) << "row " << i;
        EXPECT_EQ(px(410 + 23, y + 20), copyColour(rowTile[static_cast<std::size_t>(i - 1)])) << "24 x 21";
    }
}

TEST_F(Panel, CountdownHasAnOpaqueBackgroundOnlyDuringTheEscape) {
    auto whiteCells = [&] {
        int n = 0;
        for (int y = 310; y < 324; ++y)
            for (int x = 290; x < 310; ++x) n += px(x, y) == WHITE;
        return n;
    };
    paint();
    EXPECT_EQ(whiteCells(), 0);
    gs.escapeMode = 1;
    gs.countdownMinutes = 2;
    gs.countdownSeconds = 30;
    paint();
    EXPECT_GT(whiteCells(), 20);
}

TEST_F(Panel, NothingOfThePanelOnTheTitleScreen) {
    gs.onTitleScreen = 1;
    paint();
    // The title picture covers the whole title-size client area, with no bar over it.
    int w = 0, h = 0;
    std::vector<unsigned> title;
    ASSERT_TRUE(titlePicture(w, h, title));
    EXPECT_EQ(px(131, 278), title[static_cast<std::size_t>(278 * w + 131)]);
    EXPECT_EQ(px(422, 13), rgbOf(platform::BUTTON_FACE));  // no item column either
}

TEST_F(Drawing, IntroWalksTheHeroInAndClosesTheGate) {
    writePictures();
    for (int slow : {0, 1}) {
        hl::clearTranscript();
        openMain(true);
        corridor(0, VIEW_TOP_MAX);  // the floor is row 95
        for (int c = 0; c < GRID_COLS; ++c) gs.LevelGrid[99][c] = 's';
        gs.heroCol = 0;
        gs.heroRow = 9;
        gs.LevelGrid[97][2] = 's';
        gs.LevelGrid[98][2] = 'a';
        refreshView();
        gs.slowComputer = slow;
        const long long before = hl::nowMs();
        playIntro();
        // 5 steps of 200 ms and 13 stone frames of 110 ms, then 500 ms always.
        EXPECT_EQ(hl::nowMs() - before, slow ? 500 : 5 * 200 + 13 * 110 + 500) << slow;
        EXPECT_EQ(gs.heroCol, 5);
        EXPECT_EQ(gs.LevelGrid[97][2], 'a');
        EXPECT_EQ(gs.LevelGrid[98][2], 's');
        EXPECT_EQ(gs.view[9][2], 's');
        EXPECT_EQ(px(2 * 24 + 3, 9 * 24 + 3), FLOOR_RGB);  // the stone in place
        EXPECT_EQ(px(2 * 24 + 3, 8 * 24 + 3), AIR_RGB);
        EXPECT_EQ(px(5 * 24 + 12, 9 * 24 + 12), HERO_RIGHT_RGB);
        const int kill = lineIndex("timer kill main 0");
        const int silence = lineIndex("music 0");
        const int welcome = lineIndex("caption=\"Bienvenue dans l'aventure...\"");
        const int stone = lineIndex("sound pierre");
        ASSERT_GE(kill, 0);
        EXPECT_GT(silence, kill);
        EXPECT_GT(welcome, silence);
        EXPECT_GT(stone, welcome);
        EXPECT_NE(hl::transcript()[static_cast<std::size_t>(welcome)].find("Que l'aventure commence !!\""),
                  std::string::npos);
    }
}
