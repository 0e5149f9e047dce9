// The cost of the knight's moves without the "Ordi Rapide" waits, on the real
// backend: one walking step (turns included) and a fall of 98 rows, each row
// recentring the view and drawing the 165 tiles; and of the bag's actions
// (a pick-up, a key in a door, a strike on dried lava), each with its redraws,
// which should stay well under a millisecond. Run under X.
#include <benchmark/benchmark.h>

#include <string>

#include "hero/interact.h"
#include "hero/movement.h"
#include "items/use.h"
#include "items/weight.h"
#include "platform/platform.h"
#include "shell/mainwindow.h"
#include "shell/window.h"
#include "state.h"
#include "world/scene.h"
#include "bench/support/playing_window.h"

namespace {

struct Setup {
    Setup() {
        gs = GameState{};
        const std::string stage = QUELMAR_STAGE_DIR;
        gs.GameDir = stage;
        gs.imagesDir = stage + "/Images/";
        gs.soundDir = stage + "/sons/";
        gs.heroRightIconPath = gs.imagesDir + "hommed.ico";
        gs.heroLeftIconPath = gs.imagesDir + "hommeg.ico";
        gs.heroFrontIconPath = gs.imagesDir + "hommem.ico";
        gs.soundOn = 0;
        gs.slowComputer = 1;
        loadTileBitmaps();
        gs.mainWindow = openPlayingWindow();
        gs.onTitleScreen = 0;
        gs.maxLife = 100;
    }
};

Setup& setup() {
    static Setup s;
    return s;
}

// Background with scenery, a floor on row 50 and on row 99.
void corridor() {
    const std::string scenery = "aaltaafa";
    for (int r = 0; r < GRID_ROWS; ++r)
        for (int c = 0; c < GRID_COLS; ++c)
            gs.LevelGrid[r][c] = r == 50 || r == 99 ? 's' : scenery[(r * 3 + c) % scenery.size()];
}

void place(int row, int col) {
    gs.viewLeft = col - 7;
    gs.viewTop = row - 5;
    gs.heroCol = 7;
    gs.heroRow = 5;
    refreshView();
}

void BM_WalkStep(benchmark::State& state) {
    setup();
    corridor();
    place(49, 40);
    int d = 1, steps = 0;
    for (auto _ : state) {
        walkStep(d);  // back and forth over 40 cells, turning at each end
        if (++steps % 41 == 0) d = -d;
    }
}
BENCHMARK(BM_WalkStep)->Unit(benchmark::kMillisecond);

void BM_FallThroughTheCastle(benchmark::State& state) {
    setup();
    corridor();
    for (int r = 0; r < GRID_ROWS; ++r) gs.LevelGrid[r][60] = 'a';
    for (auto _ : state) {
        place(1, 60);
        gs.life = 100;
        fallDown();  // 98 rows to the bottom
        benchmark::DoNotOptimize(gs.heroRow);
    }
}
BENCHMARK(BM_FallThroughTheCastle)->Unit(benchmark::kMillisecond);

// Enter on a potion, then the potion put back: a pick-up and its redraws.
void BM_PickUp(benchmark::State& state) {
    setup();
    corridor();
    place(49, 40);
    for (auto _ : state) {
        gs.LevelGrid[49][40] = 'n';
        gs.inventory[ITEM_POTION] = 0;
        refreshView();
        actOnTile();
    }
}
BENCHMARK(BM_PickUp)->Unit(benchmark::kMicrosecond);

// The yellow key in its door, the door closed again each time.
void BM_KeyInDoor(benchmark::State& state) {
    setup();
    corridor();
    place(49, 40);
    gs.heroFacing = 1;
    gs.inventory[ITEM_FIRST_KEY] = 1;
    for (auto _ : state) {
        gs.LevelGrid[49][41] = '1';
        useItem(ITEM_TABLE[ITEM_FIRST_KEY].useId, nullptr);
    }
}
BENCHMARK(BM_KeyInDoor)->Unit(benchmark::kMicrosecond);

// The short sword against dried lava (broken or not, as the draw says).
void BM_StrikeDriedLava(benchmark::State& state) {
    setup();
    corridor();
    place(49, 40);
    gs.heroFacing = 1;
    gs.inventory[1] = 1;
    for (auto _ : state) {
        gs.LevelGrid[49][41] = '#';
        useItem(ITEM_TABLE[1].useId, nullptr);
    }
}
BENCHMARK(BM_StrikeDriedLava)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
