// Pixels of the scene, the bars and the status panel on the headless
// framebuffer (the title picture: see the GUI test); the opening scene.
#include <string>
#include <tuple>

#include "harness.h"
#include "world/screens.h"

using namespace shelltest;

namespace {

constexpr unsigned BLACK = 0x000000, WHITE = 0xFFFFFF, MAGENTA = 0xFF00FF, FAVOURITE = 0xFA0AAA;

class Drawing : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        writePictures();
        openMain(true);
        corridor();
        fill(MAGENTA);
    }
    void paint() {
        platform::invalidate(gs.mainWindow, nullptr, true);
        platform::updateWindow(gs.mainWindow);
    }
};

}  // namespace

TEST_F(Drawing, BarOutlineFillColourBytesAndUnclippedValue) {
    drawBar(gs.mainWindow, 10, 20, 100, 30, 260, 128, 511);
    drawBar(gs.mainWindow, 0, 0, 20, 50, 255, 0, 0);  // a value past the length
    drawBar(gs.mainWindow, 0, 40, 20, 0, 255, 0, 0);  // and none
    // Outline from (10, 20) to (112, 31), right and bottom edges excluded; fill
    // of 30 pixels from x = 11, rows 21..29, colour parts by their low byte.
    const struct { int x, y; unsigned rgb; } at[] = {
        {10, 20, BLACK}, {111, 20, BLACK}, {10, 30, BLACK}, {111, 30, BLACK}, {112, 25, MAGENTA},
        {50, 31, MAGENTA}, {11, 21, 0x0480FF}, {40, 29, 0x0480FF}, {41, 25, WHITE}, {110, 29, WHITE},
        {50, 5, 0xFF0000}, {51, 5, MAGENTA}};  // past the outline's right end at x = 21
    for (const auto& p : at) EXPECT_EQ(px(p.x, p.y), p.rgb) << p.x << "," << p.y;
    for (int x = 1; x <= 20; ++x) EXPECT_EQ(px(x, 45), WHITE) << x;
}

TEST_F(Drawing, SceneKeepsPixelsOfCellsWithoutPictureAndHeroIconIsTransparent) {
    // Pictures load for the codes 34 to 123 only: row 0 holds 'Z' (no picture),
    // 200, 33 and 124 (pictures beyond the range), 'q', 34 and 123.
    const std::string row0 = "Z\xC8!|q\"{";
    std::copy(row0.begin(), row0.end(), &gs.LevelGrid[50][40]);
    refreshView();
    drawScene();
    const struct { int x, y; unsigned rgb; } at[] = {
        {5, 5, MAGENTA}, {47, 23, MAGENTA}, {50, 2, MAGENTA}, {74, 2, MAGENTA}, {98, 2, LADDER_RGB},
        {122, 2, WHITE}, {146, 2, WHITE}, {170, 2, AIR_RGB},
        {24 * 14 + 23, 24 * 6 + 23, FLOOR_RGB},        // the floor row under the hero
        {360, 5, MAGENTA}, {5, 264, MAGENTA}};          // nothing right of the scene, nor below it
    for (const auto& p : at) EXPECT_EQ(px(p.x, p.y), p.rgb) << p.x << "," << p.y;

    const int x0 = 7 * 24, y0 = 5 * 24;
    // Facing right, left, front; any other facing, or look mode, draws no hero.
    const struct { int facing, look; unsigned centre; } cases[] = {
        {1, 0, HERO_RIGHT_RGB}, {-1, 0, HERO_LEFT_RGB}, {0, 0, HERO_FRONT_RGB}, {2, 0, AIR_RGB}, {1, 1, AIR_RGB}};
    for (const auto& c : cases) {
        gs.heroFacing = c.facing;
        gs.lookMode = c.look;
        drawScene();
        EXPECT_EQ(px(x0 + 12, y0 + 12), c.centre) << c.facing << " look " << c.look;
        EXPECT_EQ(px(x0 + 1, y0 + 1), AIR_RGB) << "transparent corner, facing " << c.facing;
        EXPECT_EQ(px(x0 + 20, y0 + 20), AIR_RGB) << c.facing;
    }
}

TEST_F(Drawing, PanelBarsWeightLifeShieldAndSkills) {
    std::tie(gs.favoriteRed, gs.favoriteGreen, gs.favoriteBlue) = std::tuple(250, 10, 170);
    std::tie(gs.life, gs.maxLife, gs.shield, gs.shieldMax) = std::tuple(250, 300, 20, 50);
    std::tie(gs.strength, gs.resistance, gs.precision, gs.protection) = std::tuple(10, 20, 30, 100);
    for (auto [item, n] : {std::pair{5, 4}, {3, 1}, {9, 9}, {10, 1}}) gs.inventory[item] = n;  // 14.95 kg
    paint();
    EXPECT_NEAR(gs.carriedWeight, 14.95f, 1e-4f);  // recomputed by the paint
    EXPECT_EQ(weightGrams(gs.carriedWeight), 14950);  // the text's number
    const struct { int x, y; unsigned rgb; } at[] = {
        {131, 318, FAVOURITE}, {131 + 148, 318, FAVOURITE}, {131 + 149, 318, WHITE}, {281, 318, BLACK},  // weight
        {131, 278, 0x00FF00}, {380, 278, 0x00FF00}, {381, 278, WHITE}, {431, 278, BLACK},  // life above 200
        {150, 298, FAVOURITE}, {151, 298, WHITE},                                          // shield
        {20, 375, FAVOURITE}, {21, 375, WHITE}, {111, 375, BLACK}, {140, 375, FAVOURITE}, {141, 375, WHITE},
        {260, 375, FAVOURITE}, {261, 375, WHITE}, {440, 375, FAVOURITE}, {441, 375, BLACK}};  // skills
    for (const auto& p : at) EXPECT_EQ(px(p.x, p.y), p.rgb) << p.x << "," << p.y;
    gs.life = 100;
    paint();
    EXPECT_EQ(px(131, 278), 0x649B00u);  // red 100, green 155
}

TEST_F(Drawing, PanelItemColumnEmptySlotsCopiesAndCountdown) {
    auto whiteCells = [&] {
        int n = 0;
        for (int y = 310; y < 324; ++y)
            for (int x = 290; x < 310; ++x) n += px(x, y) == WHITE;
        return n;
    };
    paint();
    for (int i = 1; i <= 15; ++i) EXPECT_EQ(px(422, 23 * i - 10), EMPTY_SLOT_RGB) << "row " << i;
    EXPECT_EQ(whiteCells(), 0);

    // Every row carries its item: the copy of that item's 24 x 21 tile. The
    // shield (8) has no row. The countdown gets an opaque background.
    for (int item = 1; item <= 16; ++item) gs.inventory[item] = 1;
    std::tie(gs.escapeMode, gs.countdownMinutes, gs.countdownSeconds) = std::tuple(1, 2, 30);
    paint();
    for (int i = 1; i <= 15; ++i) {
        const unsigned copy = copyColour("ebm79h8nouvwxyz"[i - 1]);
        EXPECT_EQ(px(422, 23 * i - 10), copy) << "row " << i;
        EXPECT_EQ(px(433, 23 * i), copy) << "row " << i;
    }
    EXPECT_GT(whiteCells(), 20);
}

TEST_F(Drawing, BandsArePaintedOverTheirOwnBackgroundAndTheNameKeepsToItsPlace) {
    // A paint without erase (the countdown's) still paints both bands whole:
    // nothing of what was there shows between the texts and bars.
    platform::invalidate(gs.mainWindow, nullptr, false);
    platform::updateWindow(gs.mainWindow);
    for (auto [x, y] : {std::pair{300, 292}, {3, 340}, {250, 395}, {470, 5}, {400, 395}})
        EXPECT_EQ(px(x, y), 0xECE9D8u) << x << "," << y;

    // The name stops before "Pieces:", whatever its length: the gold text's
    // pixels are those drawn beside a short name, and no ink lies in the gap.
    auto goldText = [&] {
        std::string pixels;
        for (int y = 328; y < 348; ++y)
            for (int x = 259; x < 368; ++x) pixels += px(x, y) == 0xECE9D8u ? '.' : '#';
        return pixels;
    };
    gs.playerName = "Gauvain";
    paint();
    const std::string beside = goldText();
    gs.playerName = std::string(59, 'W');
    paint();
    EXPECT_EQ(goldText(), beside);
    int ink = 0;  // and the name is drawn up to there
    for (int y = 328; y < 348; ++y)
        for (int x = 235; x < 255; ++x) ink += px(x, y) != 0xECE9D8u;
    EXPECT_GT(ink, 0);
}

TEST_F(Drawing, IntroWalksTheHeroInAndClosesTheGate) {
    for (int slow : {0, 1}) {
        hl::clearTranscript();
        corridor(0, VIEW_TOP_MAX);  // the floor is row 95
        std::fill_n(gs.LevelGrid[99], GRID_COLS, 's');
        std::tie(gs.heroCol, gs.heroRow, gs.LevelGrid[97][2], gs.LevelGrid[98][2]) = std::tuple(0, 9, 's', 'a');
        refreshView();
        gs.slowComputer = slow;
        const long long before = hl::nowMs();
        playIntro();
        // 5 steps of 200 ms and 13 stone frames of 110 ms, then 500 ms always.
        EXPECT_EQ(hl::nowMs() - before, slow ? 500 : 5 * 200 + 13 * 110 + 500) << slow;
        EXPECT_EQ(std::tuple(gs.heroCol, gs.LevelGrid[97][2], gs.LevelGrid[98][2]), std::tuple(5, 'a', 's'));
        EXPECT_GE(lineIndex("Que l'aventure commence !!\""), 0);  // the box's order: see the menus run
    }
}
