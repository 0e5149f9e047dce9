// The scene on the real backend: drawScene (165 tiles and the hero icon read
// from its file, shown on screen; target at most 1 ms) and a whole paint of
// the playing screen (scene, status panel, item column). Run under X.
#include <benchmark/benchmark.h>

#include <string>

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
        gs.heroRightIconPath = gs.imagesDir + "hommed.ico";
        gs.heroLeftIconPath = gs.imagesDir + "hommeg.ico";
        gs.heroFrontIconPath = gs.imagesDir + "hommem.ico";
        loadTileBitmaps();
        const std::string tiles = "asqdg#ltfcekui";
        for (int r = 0; r < GRID_ROWS; ++r)
            for (int c = 0; c < GRID_COLS; ++c)
                gs.LevelGrid[r][c] = tiles[static_cast<std::size_t>(r * 7 + c * 3) % tiles.size()];
        gs.viewLeft = 20;
        gs.viewTop = 40;
        refreshView();
        gs.onTitleScreen = 0;
        gs.maxLife = 100;
        gs.inventory[1] = 2;
        gs.inventory[9] = 5;
        gs.inventory[17] = 15;
        gs.favoriteBlue = 170;
        gs.mainWindow = openPlayingWindow();
    }
};

Setup& setup() {
    static Setup s;
    return s;
}

void BM_DrawScene(benchmark::State& state) {
    setup();
    int step = 0;
    for (auto _ : state) {
        gs.heroFacing = step++ % 3 - 1;  // the three icons in turn
        drawScene();
    }
}
BENCHMARK(BM_DrawScene)->Unit(benchmark::kMicrosecond);

void BM_PaintPlayingScreen(benchmark::State& state) {
    setup();
    for (auto _ : state) paintSequence(gs.mainWindow);
}
BENCHMARK(BM_PaintPlayingScreen)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
