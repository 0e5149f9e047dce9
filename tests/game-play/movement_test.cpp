// The knight's moves on small hand-made castles: walking and turning, walls and
// doors, enemies, lava, falls and their damage, ladders, jumps, the view that
// follows him, and the waits of the "Ordi Rapide" option.
#include <string>
#include <vector>

#include "hero/movement.h"
#include "play_fixture.h"

using play::PlayTest;
using Strings = std::vector<std::string>;

namespace {

bool contains(const Strings& list, const std::string& item) {
    for (const auto& s : list)
        if (s == item) return true;
    return false;
}

// walkStep, swallowing the end of the script should a fight dialog open.
void stepInto(int d) {
    try {
        walkStep(d);
    } catch (const platform::headless::ScriptEnd&) {
    }
}

}  // namespace

class Walking : public PlayTest {
protected:
    void SetUp() override {
        PlayTest::SetUp();
        if (HasFatalFailure()) return;
        floorRow(50);
        placeHero(49, 20);
    }
};

TEST_F(Walking, TurnsFirstThenStepsWithAlternatingSounds) {
    walkStep(-1);
    EXPECT_EQ(gs.heroFacing, -1);
    EXPECT_EQ(gridCol(), 20);
    EXPECT_TRUE(play::sounds().empty());

    walkStep(-1);
    walkStep(-1);
    EXPECT_EQ(gridCol(), 18);
    EXPECT_EQ(play::sounds(), (Strings{"marche1", "marche0"}));

    walkStep(1);  // back towards the right: a turn only
    EXPECT_EQ(gs.heroFacing, 1);
    EXPECT_EQ(gridCol(), 18);
    EXPECT_EQ(play::sounds().size(), 2u);
}

TEST_F(Walking, WallsBlockSilentlyAndClosedDoorsKnock) {
    gs.inventory[2] = 1;
    gs.inventory[5] = 2;
    gs.inventory[6] = 1;
    for (char wall : {'s', '#'}) {
        put(49, 21, std::string(1, wall));
        refreshView();
        gs.currentWeapon = 42;
        walkStep(1);
        EXPECT_EQ(gridCol(), 20) << wall;
        EXPECT_EQ(gs.currentWeapon, 4) << "a blocked step still counts the weapons";
    }
    EXPECT_TRUE(play::sounds().empty());

    for (char door = '1'; door <= '6'; ++door) {
        put(49, 21, std::string(1, door));
        refreshView();
        gs.currentWeapon = 42;
        walkStep(1);
        EXPECT_EQ(gridCol(), 20) << door;
        // A door ends the step at once: no weapon count, no cell effect.
        EXPECT_EQ(gs.currentWeapon, 42) << door;
    }
    EXPECT_EQ(play::sounds(), Strings(6, "porteferme"));
    EXPECT_TRUE(play::boxes().empty());
}

TEST_F(Walking, OpenDoorsItemsAndSceneryLetHimThrough) {
    for (char tile : std::string("(aefjlrtc0)8pnouvwxyz")) {
        placeHero(49, 20);
        put(49, 21, std::string(1, tile));
        refreshView();
        gs.life = 100;
        walkStep(1);
        EXPECT_EQ(gridCol(), 21) << tile;
        EXPECT_EQ(gridRow(), 49) << tile;
        EXPECT_EQ(gs.life, 100) << tile;
    }
    EXPECT_TRUE(play::boxes().empty());
}

TEST_F(Walking, UnarmedHeroIsPushedBackFromEveryEnemy) {
    const struct {
        char tile;
        int kind;
    } enemies[] = {{'g', 1}, {'k', 2}, {'i', 3}};
    for (const auto& e : enemies) {
        play::hl::clearTranscript();
        placeHero(49, 20);
        put(49, 21, std::string(1, e.tile));
        refreshView();
        gs.enemyKind = 0;
        walkStep(1);
        EXPECT_EQ(gs.enemyKind, e.kind);
        EXPECT_EQ(gs.currentWeapon, 0);
        EXPECT_EQ(gridCol(), 20) << e.tile;
        EXPECT_EQ(gs.heroFacing, 1);
        Strings shown = play::boxes();
        ASSERT_EQ(shown.size(), 1u) << e.tile;
        EXPECT_NE(shown[0].find("icon=warning buttons=ok"), std::string::npos) << shown[0];
        EXPECT_NE(shown[0].find("caption=\"Ca va pas la tete???\" text=\"Pas de combat sans arme!!!\""),
                  std::string::npos)
            << shown[0];
        // The step itself was heard before the warning.
        EXPECT_LT(play::lineIndex("sound marche"), play::lineIndex("box "));
        EXPECT_EQ(gs.LevelGrid[49][21], e.tile);
    }
}

TEST_F(Walking, ArmedHeroMeetsTheEnemyWithoutWarning) {
    gs.inventory[1] = 1;
    put(49, 21, "k");
    refreshView();
    stepInto(1);
    EXPECT_EQ(gs.enemyKind, 2);
    EXPECT_TRUE(play::boxes().empty());
    EXPECT_NE(gridCol(), 20) << "an armed hero is not pushed back";
}

TEST_F(Walking, TheBlackMageIsFoughtWhateverTheWeapons) {
    put(49, 21, "@");
    refreshView();
    stepInto(1);
    EXPECT_TRUE(play::boxes().empty());
    EXPECT_EQ(gridCol(), 21);
}

TEST_F(Walking, LavaAtWalkingHeightKills) {
    put(49, 21, "d");
    refreshView();
    walkStep(1);
    EXPECT_EQ(gs.life, 0);
    Strings heard = play::sounds();
    ASSERT_GE(heard.size(), 2u);
    EXPECT_EQ(heard[0], "marche1");
    EXPECT_EQ(heard[1], "lave");
}

TEST_F(Walking, CountsEveryWeaponCarried) {
    gs.inventory[1] = 2;
    gs.inventory[4] = 1;
    gs.inventory[6] = 3;
    gs.inventory[7] = 1;  // the harp is no weapon
    walkStep(1);
    EXPECT_EQ(gs.currentWeapon, 6);
    gs.inventory[1] = gs.inventory[4] = gs.inventory[6] = 0;
    walkStep(-1);
    EXPECT_EQ(gs.currentWeapon, 0);
}

TEST_F(Walking, TheCastleEdgesAreWalls) {
    placeHero(49, 0, -1);
    walkStep(-1);
    EXPECT_EQ(gridCol(), 0);
    EXPECT_EQ(gs.heroCol, 0);
    placeHero(49, 99, 1);
    walkStep(1);
    EXPECT_EQ(gridCol(), 99);
    EXPECT_EQ(gs.heroCol, 14);
    EXPECT_TRUE(play::sounds().empty());
}

TEST_F(Walking, StepIntoColumnZeroWinsOnlyDuringTheEscape) {
    floorRow(99);
    placeHero(98, 1, -1);
    walkStep(-1);
    EXPECT_EQ(gridCol(), 0);
    EXPECT_EQ(gs.onTitleScreen, 0);

    placeHero(98, 1, -1);
    gs.escapeMode = 1;
    play::hl::clearTranscript();
    walkStep(-1);
    EXPECT_EQ(gs.onTitleScreen, 1);
    EXPECT_EQ(gs.creditsRolling, 1);
    EXPECT_TRUE(contains(play::musics(), "5"));

    // A mere turn in column 0 is a step that ends there too.
    gs.onTitleScreen = 0;
    gs.escapeMode = 1;
    placeHero(98, 0, 1);
    walkStep(-1);
    EXPECT_EQ(gs.onTitleScreen, 1);
}

TEST_F(Walking, AClosedDoorSkipsTheEscapeCheck) {
    floorRow(99);
    placeHero(98, 0, 1);
    put(98, 1, "2");
    refreshView();
    gs.escapeMode = 1;
    walkStep(1);
    EXPECT_EQ(gs.onTitleScreen, 0);
    EXPECT_EQ(play::sounds(), Strings{"porteferme"});
}

TEST_F(Walking, TheViewFollowsAcrossTheWholeCastleAndBack) {
    placeHero(49, 0, 1);
    for (int c = 1; c <= 99; ++c) {
        walkStep(1);
        ASSERT_EQ(gridCol(), c);
        ASSERT_EQ(gs.viewLeft, std::clamp(c - 9, 0, VIEW_LEFT_MAX)) << c;
        ASSERT_EQ(gs.view[gs.heroRow][gs.heroCol], gs.LevelGrid[49][c]);
        ASSERT_EQ(gs.view[0][0], gs.LevelGrid[gs.viewTop][gs.viewLeft]);
    }
    EXPECT_EQ(gs.heroCol, 14);
    walkStep(-1);
    for (int c = 98; c >= 0; --c) {
        walkStep(-1);
        ASSERT_EQ(gridCol(), c);
        ASSERT_EQ(gs.viewLeft, std::clamp(c - 5, 0, VIEW_LEFT_MAX)) << c;
    }
    EXPECT_EQ(gs.heroCol, 0);
    EXPECT_EQ(gs.savedViewLeft, 0);
}

// Falls from a ledge: the hero stands at (40, 20) on a floor that ends at
// column 21, and the ground lies `rows` rows under him there.
class Falling : public PlayTest {
protected:
    void ledge(int rows, char landing = 'a') {
        fill('a');
        put(41, 0, std::string(21, 's'));
        put(41 + rows, 0, std::string(40, 's'));
        put(40 + rows, 21, std::string(1, landing));
        placeHero(40, 20, 1);
        play::hl::clearTranscript();
    }
};

TEST_F(Falling, TwoRowsNeverHurtAndThreeCostTheWholeKilograms) {
    const struct {
        int rows;
        float weight;
        int life;
    } cases[] = {{1, 12.7f, 100}, {2, 14.9f, 100}, {3, 12.7f, 88},
                 {4, 12.7f, 76},  {3, 0.99f, 100}, {10, 0.9f, 100}};
    for (const auto& c : cases) {
        ledge(c.rows);
        gs.life = 100;
        gs.carriedWeight = c.weight;
        walkStep(1);
        EXPECT_EQ(gridRow(), 40 + c.rows) << c.rows;
        EXPECT_EQ(gridCol(), 21);
        EXPECT_EQ(gs.life, c.life) << c.rows << " rows, " << c.weight << " kg";
        // Only falls beyond two rows thump, hurt or not.
        EXPECT_EQ(contains(play::sounds(), "atterissage"), c.rows > 2) << c.rows;
    }
}

TEST_F(Falling, TheStoredWeightCountsNotTheBag) {
    ledge(3);
    gs.inventory[5] = 4;  // 12 kg of hammers, not yet weighed
    gs.carriedWeight = 2.5f;
    walkStep(1);
    EXPECT_EQ(gs.life, 98);
}

TEST_F(Falling, ExactlyZeroLifeIsNotDeath) {
    ledge(3);
    gs.life = 12;
    gs.carriedWeight = 12.7f;
    walkStep(1);
    EXPECT_EQ(gs.life, 0);
    EXPECT_TRUE(contains(play::sounds(), "atterissage"));
    EXPECT_FALSE(contains(play::sounds(), "atterissageMort"));

    ledge(3);
    gs.life = 11;
    walkStep(1);
    EXPECT_EQ(gs.life, 0);
    EXPECT_TRUE(contains(play::sounds(), "atterissageMort"));
    EXPECT_FALSE(contains(play::sounds(), "atterissage"));
}

TEST_F(Falling, LavaKillsAfterAnyFallButNotTwice) {
    for (int rows : {1, 2, 3, 7}) {
        ledge(rows, 'd');
        gs.life = 100;
        gs.carriedWeight = 0.5f;
        walkStep(1);
        EXPECT_EQ(gs.life, 0) << rows;
        EXPECT_EQ(gridRow(), 40 + rows);
        EXPECT_TRUE(contains(play::sounds(), "lave")) << rows;
    }

    // Killed by the landing itself: the lava is not checked on top of it.
    ledge(3, 'd');
    gs.life = 5;
    gs.carriedWeight = 12.7f;
    walkStep(1);
    EXPECT_EQ(gs.life, 0);
    EXPECT_EQ(play::sounds(), (Strings{"marche1", "atterissageMort"}));
}

TEST_F(Falling, AFallCannotLeaveTheGrid) {
    fill('a');
    placeHero(1, 50, 1);
    fallDown();
    EXPECT_EQ(gridRow(), 99);
    EXPECT_EQ(gs.heroRow, 10);
    EXPECT_EQ(gs.viewTop, VIEW_TOP_MAX);
    EXPECT_EQ(gs.life, 100);  // an empty bag

    // The same drop with a heavy bag kills, and the hero lies on the last row.
    placeHero(1, 50, 1);
    gs.carriedWeight = 1.0f;
    fallDown();
    EXPECT_EQ(gs.life, 4);  // 98 rows, 96 of them hurting
}

TEST_F(Falling, NothingHappensOnceTheGameIsBackOnTheTitleScreen) {
    // The death flow may have sent the game to the title screen, the hero
    // still lying in the lava: the rest of the step must not kill him again.
    ledge(3, 'd');
    walkStep(1);
    ASSERT_EQ(gs.LevelGrid[gridRow()][gridCol()], 'd');
    play::hl::clearTranscript();
    gs.life = 100;
    gs.onTitleScreen = 1;
    fallDown();
    EXPECT_EQ(gs.life, 100);
    EXPECT_TRUE(play::sounds().empty());

    // Nor does he fall any further.
    put(44, 21, "a");
    refreshView();
    fallDown();
    EXPECT_EQ(gridRow(), 43);
}

// A ladder from the floor of row 50 up through the floor of row 45, at column 20.
class Ladder : public PlayTest {
protected:
    void SetUp() override {
        PlayTest::SetUp();
        if (HasFatalFailure()) return;
        floorRow(50);
        floorRow(45);
        for (int r = 45; r <= 49; ++r) put(r, 20, "q");
        placeHero(49, 19, 1);
        refreshView();
    }
};

TEST_F(Ladder, UpToTheTopAndDownAgain) {
    walkStep(1);
    ASSERT_EQ(gridCol(), 20);
    for (int r = 48; r >= 45; --r) {
        climbUp();
        EXPECT_EQ(gridRow(), r);
        EXPECT_EQ(gs.heroFacing, 0) << "on the ladder he faces the wall";
    }
    climbUp();  // off the top
    EXPECT_EQ(gridRow(), 44);
    EXPECT_EQ(gs.heroFacing, 1);
    climbUp();  // nothing left to climb
    EXPECT_EQ(gridRow(), 44);
    EXPECT_EQ(play::sounds(), (Strings{"marche1", "echelle", "echelle", "echelle", "echelle",
                                       "echelle"}));

    walkStep(-1);  // a turn on the top: the ladder carries him
    EXPECT_EQ(gridRow(), 44);
    EXPECT_EQ(gs.heroFacing, -1);
    for (int r = 45; r <= 49; ++r) {
        climbDown();
        EXPECT_EQ(gridRow(), r);
        EXPECT_EQ(gs.heroFacing, 0);
    }
    EXPECT_EQ(gs.heroSideFacing, -1);
    climbDown();  // floor under the ladder
    EXPECT_EQ(gridRow(), 49);

    // Left or Right on the ladder first only turns him.
    walkStep(1);
    EXPECT_EQ(gridCol(), 20);
    EXPECT_EQ(gs.heroFacing, 1);
    walkStep(1);
    EXPECT_EQ(gridCol(), 21);
}

TEST_F(Ladder, BlockedByFloorAboveAndOnlyFromALadder) {
    climbUp();  // not on a ladder
    EXPECT_EQ(gridRow(), 49);
    walkStep(1);
    put(48, 20, "s");
    refreshView();
    climbUp();
    EXPECT_EQ(gridRow(), 49);
    climbDown();  // floor below
    EXPECT_EQ(gridRow(), 49);
    EXPECT_EQ(play::sounds(), Strings{"marche1"});
}

TEST_F(Ladder, DownFromTheLadderFootIntoOpenAir) {
    // The ladder stops two rows above the floor: Down drops him.
    put(48, 20, "a");
    put(49, 20, "l");
    placeHero(46, 20, -1);
    gs.heroFacing = 0;
    climbDown();
    EXPECT_EQ(gridRow(), 47);
    climbDown();
    EXPECT_EQ(gridRow(), 49);
    EXPECT_EQ(gs.heroFacing, -1);
    EXPECT_EQ(gs.life, 100);
}

TEST_F(Ladder, LookModeLocksTheLadder) {
    walkStep(1);
    gs.lookMode = 1;
    climbUp();
    EXPECT_EQ(gridRow(), 49);
    gs.lookMode = 0;
    climbUp();
    EXPECT_EQ(gridRow(), 48);
    gs.lookMode = 1;
    climbDown();
    EXPECT_EQ(gridRow(), 48);
}

// Jumps from (49, 21) to the right over the floor of row 50.
class Jumping : public PlayTest {
protected:
    void SetUp() override {
        PlayTest::SetUp();
        if (HasFatalFailure()) return;
        floorRow(50);
        floorRow(51);
        placeHero(49, 21, 1);
    }
    void reset() {
        fill('a');
        floorRow(50);
        floorRow(51);
        placeHero(49, 21, 1);
        play::hl::clearTranscript();
    }
};

TEST_F(Jumping, ClearsAOneCellLavaPitThatAStepFallsInto) {
    put(50, 22, "d");
    refreshView();
    jump();
    EXPECT_EQ(gridRow(), 49);
    EXPECT_EQ(gridCol(), 23);
    EXPECT_EQ(gs.life, 100);
    EXPECT_EQ(play::sounds(), Strings{"saut"});

    placeHero(49, 21, 1);
    walkStep(1);
    EXPECT_EQ(gridRow(), 50);
    EXPECT_EQ(gs.life, 0);
}

TEST_F(Jumping, EachOfTheThreeConditionsStopsIt) {
    const struct {
        int row, col;
        char tile;
    } blockers[] = {{48, 21, 's'}, {48, 21, '#'}, {48, 22, 's'}, {49, 22, '#'},
                    {49, 22, 'g'}, {49, 22, 'i'}, {49, 22, 'k'}};
    for (const auto& b : blockers) {
        reset();
        put(b.row, b.col, std::string(1, b.tile));
        refreshView();
        jump();
        EXPECT_EQ(gridRow(), 49) << b.tile << " at " << b.row << "," << b.col;
        EXPECT_EQ(gridCol(), 21) << b.tile << " at " << b.row << "," << b.col;
        EXPECT_TRUE(play::sounds().empty());
    }
}

TEST_F(Jumping, UpOntoAStepWithoutTheSecondColumn) {
    put(49, 22, "ss");
    refreshView();
    jump();
    EXPECT_EQ(gridRow(), 48);
    EXPECT_EQ(gridCol(), 22);
}

TEST_F(Jumping, DriedLavaAboveInFrontDoesNotStopIt) {
    // Only floor there stops the jump; he passes through the dried lava.
    put(48, 22, "#");
    refreshView();
    jump();
    EXPECT_EQ(gridRow(), 49);
    EXPECT_EQ(gridCol(), 23);
    EXPECT_EQ(play::sounds(), Strings{"saut"});
}

TEST_F(Jumping, AWallAtTheTopStopsTheSecondColumn) {
    put(48, 23, "s");
    refreshView();
    jump();
    EXPECT_EQ(gridRow(), 49);
    EXPECT_EQ(gridCol(), 22);
}

TEST_F(Jumping, FacingTheWallHeRisesAndFallsBack) {
    gs.heroFacing = 0;
    jump();
    EXPECT_EQ(gridRow(), 49);
    EXPECT_EQ(gridCol(), 21);
    EXPECT_EQ(play::sounds(), Strings{"saut"});

    reset();
    placeHero(0, 50, 1);
    jump();  // nothing above the castle's top row but wall
    EXPECT_EQ(gridRow(), 0);
    EXPECT_TRUE(play::sounds().empty());
}

TEST(Recentre, OneCellAtATimeAndNeverPastTheEdges) {
    gs = GameState{};
    const struct {
        int col, left, row, top;
        int wantCol, wantLeft, wantRow, wantTop;
    } cases[] = {
        {4, 10, 3, 10, 5, 9, 4, 9},     // both axes back by one
        {0, 10, 0, 10, 1, 9, 1, 9},     // far off: still one cell
        {10, 10, 8, 10, 9, 11, 7, 11},  // forward on both axes
        {4, 0, 3, 0, 4, 0, 3, 0},       // at the top-left corner
        {14, 85, 10, 89, 14, 85, 10, 89},
        {5, 40, 4, 40, 5, 40, 4, 40},  // inside the middle box
        {9, 40, 7, 40, 9, 40, 7, 40},
        {7, 90, 5, 95, 7, 85, 5, 89},  // out of range origins are clamped
        {7, -3, 5, -1, 7, 0, 5, 0},
    };
    for (const auto& c : cases) {
        gs.heroCol = c.col;
        gs.viewLeft = c.left;
        gs.heroRow = c.row;
        gs.viewTop = c.top;
        recentreView();
        EXPECT_EQ(gs.heroCol, c.wantCol) << c.col << "/" << c.left;
        EXPECT_EQ(gs.viewLeft, c.wantLeft) << c.col << "/" << c.left;
        EXPECT_EQ(gs.heroRow, c.wantRow) << c.row << "/" << c.top;
        EXPECT_EQ(gs.viewTop, c.wantTop) << c.row << "/" << c.top;
        EXPECT_EQ(gs.savedViewLeft, gs.viewLeft);
        EXPECT_EQ(gs.savedViewTop, gs.viewTop);
    }
}

// The waits of the fast-computer option, on the virtual clock.
class Waits : public PlayTest {};

TEST_F(Waits, OnlyWithOrdiRapide) {
    for (int slow : {0, 1}) {
        fill('a');
        floorRow(50);
        put(50, 30, "aaa");  // a hole, 3 rows deep
        floorRow(53);
        for (int r = 45; r <= 49; ++r) put(r, 10, "q");
        placeHero(49, 28, 1);
        gs.slowComputer = slow;
        long long t0 = play::hl::nowMs();
        walkStep(1);  // a plain step
        long long t1 = play::hl::nowMs();
        walkStep(1);  // a step and a fall of three rows
        long long t2 = play::hl::nowMs();
        EXPECT_EQ(t1 - t0, slow ? 0 : 80);
        EXPECT_EQ(t2 - t1, slow ? 0 : 80 + 96 + 92 + 88);

        placeHero(49, 10, 1);
        t0 = play::hl::nowMs();
        climbUp();
        EXPECT_EQ(play::hl::nowMs() - t0, slow ? 0 : 120);

        placeHero(49, 40, 1);
        t0 = play::hl::nowMs();
        jump();  // up, across and one row down again
        EXPECT_EQ(play::hl::nowMs() - t0, slow ? 0 : 100 + 96);
    }
}

TEST_F(Waits, ALongFallSpeedsUpToOneMillisecondARow) {
    gs.slowComputer = 0;
    floorRow(61);
    placeHero(30, 50, 1);
    long long t0 = play::hl::nowMs();
    fallDown();
    ASSERT_EQ(gridRow(), 60);
    // 30 rows: 96 + 92 + ... + 4 over the first 24, then 1 ms each.
    EXPECT_EQ(play::hl::nowMs() - t0, 1200 + 6);
}

// The status bands are erased and repainted at once, and nothing else.
TEST_F(PlayTest, StatusBandsRepaintBelowAndRightOfTheScene) {
    platform::Dc dc = platform::getDc(gs.mainWindow);
    platform::rectangle(dc, platform::Rect{0, 0, 480, 400}, platform::rgb(0, 0, 0),
                        platform::rgb(0, 0, 0));
    platform::releaseDc(dc);
    refreshStatusBands();
    const unsigned face = 0xECE9D8;
    EXPECT_EQ(play::hl::pixel(gs.mainWindow, 10, 266), face);
    EXPECT_EQ(play::hl::pixel(gs.mainWindow, 470, 399), face);
    EXPECT_EQ(play::hl::pixel(gs.mainWindow, 369, 10), face);
    EXPECT_EQ(play::hl::pixel(gs.mainWindow, 10, 265), 0u);
    EXPECT_EQ(play::hl::pixel(gs.mainWindow, 368, 100), 0u);
}
