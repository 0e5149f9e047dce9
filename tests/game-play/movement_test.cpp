// What the castle replay's random rooms leave out of the knight's moves: sounds,
// doors, enemies, fall damage, the edges, the view, the "Ordi Rapide" waits.
#include "hero/movement.h"
#include "play_fixture.h"

using namespace play;
using Pos = std::pair<int, int>;

// The hero at (49, 20) on the floor of row 50.
class Walking : public PlayTest {
protected:
    void SetUp() override {
        PlayTest::SetUp();
        floorRow(50);
        placeHero(49, 20);
    }
    // What lies in front of him at (49, 21), the transcript cleared.
    static void ahead(char tile) {
        placeHero(49, 20);
        put(49, 21, std::string(1, tile));
        hl::clearTranscript();
    }
};

TEST_F(Walking, WallsStopSilentlyDoorsKnockAndTheRestLetsHimThrough) {
    // Four weapons, and the harp, which is none.
    std::tie(gs.inventory[1], gs.inventory[4], gs.inventory[6], gs.inventory[7]) = std::tuple(2, 1, 1, 1);
    for (char tile : std::string("s#123456(aefjlrtc0)8pnouvwxyz")) {
        SCOPED_TRACE(std::string("in front: ") + tile);
        const bool wall = tile == 's' || tile == '#', door = tile >= '1' && tile <= '6';
        ahead(tile);
        gs.currentWeapon = 42;
        walkStep(1);
        EXPECT_EQ(where(), (Pos{49, wall || door ? 20 : 21}));
        // A blocked step still counts the weapons; a door ends it at once.
        EXPECT_EQ(gs.currentWeapon, door ? 42 : 4);
        EXPECT_EQ(sounds().size(), wall ? 0u : 1u);
        EXPECT_EQ(heard("porteferme"), door);
        EXPECT_TRUE(boxes().empty());
    }
}

TEST_F(Walking, EnemiesPushAnUnarmedHeroBackButNotTheMage) {
    for (auto [tile, kind] : {std::pair{'g', 1}, {'k', 2}, {'i', 3}}) {
        SCOPED_TRACE(tile);
        ahead(tile);
        walkStep(1);
        EXPECT_EQ(std::tuple(gs.enemyKind, gridCol(), gs.heroFacing), std::tuple(kind, 20, 1));
        EXPECT_EQ(boxes(), Strings{"owner=main icon=warning buttons=ok default=ok caption=\"Ca va pas la tete???\" "
                                   "text=\"Pas de combat sans arme!!!\" -> ok"});
        EXPECT_LT(lineIndex("sound marche"), lineIndex("box "));  // the step is heard first
        EXPECT_EQ(gs.LevelGrid[49][21], tile);
    }
    // Armed, or facing the Mage whatever he carries, he stays to fight.
    for (int weapons : {1, 0}) {
        ahead(weapons ? 'k' : '@');
        gs.inventory[1] = weapons;
        try {
            walkStep(1);
        } catch (const hl::ScriptEnd&) {  // the fight's dialog found no script
        }
        EXPECT_NE(lineIndex(weapons ? "dialog open 111" : "dialog open 123"), -1);
        EXPECT_EQ(lineIndex("box owner=main icon=warning"), -1);
        EXPECT_EQ(gridCol(), 21) << weapons;
    }
}

TEST_F(Walking, TheViewFollowsAcrossTheWholeCastleWhoseEdgesAreWalls) {
    placeHero(49, 0, -1);
    walkStep(-1);
    walkStep(1);  // a turn
    EXPECT_EQ(gridCol(), 0);
    for (int c = 1; c <= 100; ++c) {
        walkStep(1);
        ASSERT_EQ(gridCol(), std::min(c, 99));
        ASSERT_EQ(gs.viewLeft, std::clamp(c - 9, 0, VIEW_LEFT_MAX)) << c;
    }
    EXPECT_EQ(std::tuple(gs.heroCol, gs.savedViewLeft), std::tuple(14, VIEW_LEFT_MAX));
    const Strings steps = sounds();  // the steps alternate their two sounds
    ASSERT_EQ(steps.size(), 99u);
    EXPECT_EQ(Strings(steps.begin(), steps.begin() + 3), (Strings{"marche1", "marche0", "marche1"}));
}

TEST_F(Walking, ColumnZeroWinsOnlyDuringTheEscapeAndNotThroughADoor) {
    floorRow(99);
    // start column, facing, escape, the cell at (98, 1), won
    const int cases[][5] = {{1, -1, 0, 'a', 0}, {1, -1, 1, 'a', 1}, {0, 1, 1, 'a', 1}, {0, 1, 1, '2', 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "from column " << c[0] << ", escape " << c[2] << ", " << char(c[3]));
        gs.onTitleScreen = gs.creditsRolling = 0;
        put(98, 1, std::string(1, char(c[3])));
        placeHero(98, c[0], c[1]);
        gs.escapeMode = static_cast<char>(c[2]);
        hl::clearTranscript();
        walkStep(c[3] == '2' ? 1 : -1);  // a mere turn in column 0 ends there too
        // Won, the escape is over: its countdown stops.
        EXPECT_EQ(std::tuple(gs.onTitleScreen, gs.creditsRolling, int(gs.escapeMode)), std::tuple(c[4], c[4], c[4] ? 0 : c[2]));
        EXPECT_EQ(musics() == Strings{"5"}, c[4] == 1);
    }
}

// Falls from a ledge: the hero stands at (40, 20) on a floor that ends at
// column 21, and the ground lies `rows` rows under him there.
class Falling : public PlayTest {
protected:
    static void ledge(int rows, char landing = 'a') {
        fill('a');
        put(41, 0, std::string(21, 's'));
        put(41 + rows, 0, std::string(40, 's'));
        put(40 + rows, 21, std::string(1, landing));
        placeHero(40, 20, 1);
        gs.onTitleScreen = 0;  // playing again after the last death
        hl::clearTranscript();
    }
};

TEST_F(Falling, BeyondTwoRowsTheStoredWeightHurtsByWholeKilograms) {
    const struct { int rows; float kg; int life, after; const char* thump; } cases[] = {
        {2, 14.9f, 100, 100, nullptr},      {3, 12.7f, 100, 88, "atterissage"},
        {4, 12.7f, 100, 76, "atterissage"}, {3, 2.5f, 100, 98, "atterissage"},
        {3, 12.7f, 12, 0, "atterissage"},  // exactly 0 life is no death
        {3, 12.7f, 11, 0, "atterissageMort"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rows << " rows, " << c.kg << " kg, life " << c.life);
        ledge(c.rows);
        gs.inventory[5] = 4;  // 12 kg of hammers, not yet weighed: not counted
        std::tie(gs.life, gs.carriedWeight) = std::tuple(c.life, c.kg);
        walkStep(1);
        EXPECT_EQ(where(), (Pos{40 + c.rows, 21}));
        EXPECT_EQ(gs.life, c.after);
        EXPECT_EQ(sounds().size(), c.thump ? 2u : 1u);
        EXPECT_TRUE(!c.thump || heard(c.thump));
    }
}

TEST_F(Falling, LavaKillsAtWalkingHeightOrAfterAnyFallButNotTwice) {
    for (int rows : {0, 3}) {  // other falls: see the random rooms of the castle replay
        ledge(rows, 'd');
        std::tie(gs.life, gs.carriedWeight) = std::tuple(100, 0.5f);
        walkStep(1);
        EXPECT_EQ(std::tuple(gs.life, gridRow(), heard("lave")), std::tuple(0, 40 + rows, true)) << rows;
    }
    // Killed by the landing itself: the lava is not checked on top of it.
    ledge(3, 'd');
    std::tie(gs.life, gs.carriedWeight) = std::tuple(5, 12.7f);
    walkStep(1);
    EXPECT_EQ(std::tuple(gs.life, heard("atterissageMort"), heard("lave")), std::tuple(0, true, false));
    // Once that death has put the title screen back, the hero still in the
    // lava, the rest of the step neither kills nor drops him again.
    hl::clearTranscript();
    std::tie(gs.life, gs.onTitleScreen) = std::tuple(100, 1);
    put(44, 21, "a");
    fallDown();
    EXPECT_EQ(std::tuple(gs.life, gridRow(), sounds().size()), std::tuple(100, 43, 0u));
}

// Jumps to the right from (49, 21) over the floor of rows 50 and 51. Walls,
// lava, doors and the other enemies: see the random rooms of the castle replay.
TEST_F(PlayTest, JumpsAndWhatStopsThem) {
    const struct { int row, col; const char* tiles; Pos end; } cases[] = {
        {50, 22, "d", {49, 23}},   // over a one-cell lava pit
        {49, 22, "ss", {48, 22}},  // up onto a step: no second column
        {48, 23, "s", {49, 22}},   // a wall at the top stops the second column
        {49, 22, "i", {49, 21}},   // an evil knight in front stops it
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.tiles << " at " << c.row << ", " << c.col);
        fill('a');
        floorRow(50);
        floorRow(51);
        put(c.row, c.col, c.tiles);
        placeHero(49, 21, 1);
        hl::clearTranscript();
        jump();
        EXPECT_EQ(where(), c.end);
        EXPECT_EQ(gs.life, 100);
        EXPECT_EQ(sounds(), (c.end == Pos{49, 21} ? Strings{} : Strings{"saut"}));
    }
    // On the castle's top row, not even the rise.
    placeHero(0, 50, 1);
    hl::clearTranscript();
    jump();
    EXPECT_EQ(gridRow(), 0);
    EXPECT_TRUE(sounds().empty());
}

TEST(Recentre, OneCellAtATimeAndNeverPastTheEdges) {
    gs = GameState{};
    // hero column, view left, hero row, view top: before, then after
    const int cases[][8] = {{4, 10, 3, 10, 5, 9, 4, 9}, {10, 10, 8, 10, 9, 11, 7, 11}, {5, 40, 4, 40, 5, 40, 4, 40},
                            {9, 40, 7, 40, 9, 40, 7, 40}, {7, 90, 5, 95, 7, 85, 5, 89}, {7, -3, 5, -1, 7, 0, 5, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c[0] << " " << c[1] << " " << c[2] << " " << c[3]);
        std::tie(gs.heroCol, gs.viewLeft, gs.heroRow, gs.viewTop) = std::tuple(c[0], c[1], c[2], c[3]);
        recentreView();
        EXPECT_EQ(std::tie(gs.heroCol, gs.viewLeft, gs.heroRow, gs.viewTop, gs.savedViewLeft, gs.savedViewTop),
                  std::tuple(c[4], c[5], c[6], c[7], c[5], c[7]));
    }
}

// The waits, on the virtual clock: only with "Ordi Rapide" ticked.
TEST_F(PlayTest, WaitsOnlyWithOrdiRapide) {
    floorRow(50);
    put(50, 30, "aaa");  // a hole, 3 rows deep
    floorRow(53);
    for (int r = 45; r <= 49; ++r) put(r, 10, "q");
    auto lasts = [](int row, int col, void (*move)()) {
        placeHero(row, col, 1);
        long long t0 = hl::nowMs();
        move();
        return hl::nowMs() - t0;
    };
    for (int slow : {0, 1}) {
        SCOPED_TRACE(slow);
        gs.slowComputer = slow;
        EXPECT_EQ(lasts(49, 28, [] { walkStep(1); }), slow ? 0 : 80);
        EXPECT_EQ(lasts(49, 29, [] { walkStep(1); }), slow ? 0 : 80 + 96 + 92 + 88);  // and a fall
        EXPECT_EQ(lasts(49, 10, climbUp), slow ? 0 : 120);
        EXPECT_EQ(lasts(49, 40, jump), slow ? 0 : 100 + 96);  // up, across and down again
    }
    // A fall from the top row with no floor stops on the castle's last row; it
    // speeds up to 1 ms a row: 96 + 92 + ... + 4, then 1 ms each.
    gs.slowComputer = 0;
    gs.carriedWeight = 1.0f;
    fill('a');
    EXPECT_EQ(lasts(1, 50, fallDown), 1200 + 74);
    EXPECT_EQ(std::tuple(gridRow(), gs.heroRow, gs.life), std::tuple(99, 10, 4));  // 98 rows, 96 of them hurting
}

// The status bands are erased and repainted at once, and nothing else.
TEST_F(PlayTest, StatusBandsRepaintBelowAndRightOfTheScene) {
    platform::Dc dc = platform::getDc(gs.mainWindow);
    platform::rectangle(dc, platform::Rect{0, 0, 480, 400}, platform::rgb(0, 0, 0), platform::rgb(0, 0, 0));
    platform::releaseDc(dc);
    refreshStatusBands();
    for (auto [x, y] : {Pos{10, 266}, {470, 399}, {369, 10}}) EXPECT_EQ(hl::pixel(gs.mainWindow, x, y), 0xECE9D8u);
    for (auto [x, y] : {Pos{10, 265}, {368, 100}}) EXPECT_EQ(hl::pixel(gs.mainWindow, x, y), 0u);
}
