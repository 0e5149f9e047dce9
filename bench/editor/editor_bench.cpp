// The editor's drawing on the real backend: a full redraw of the 10,000 cells
// (target at most 8 ms) and one cell painted while dragging, shown on screen
// (target at most 1 ms). Run under X (xvfb-run).
#include <benchmark/benchmark.h>

#include "draw.h"
#include "editorstate.h"
#include "platform/platform.h"
#include "support.h"
#include "window.h"

namespace {

// An editor window over a level of mixed tiles, with pictures of its own.
struct Setup {
    editortest::ScratchDir dir;
    Setup() {
        const std::string tiles = "asqdg#ltf";
        editortest::writeEditorPictures(dir.path, tiles + "ei");
        resetEditorState();
        es.editorImagesDir = dir.path + "/imagese/";
        loadEditorTiles();
        for (int k = 0; k < EDITOR_CELLS; ++k) es.editorGrid[k] = tiles[(k * 7 + k / 100) % tiles.size()];
        platform::WindowInit init;
        init.className = "std";
        init.title = "bench";
        init.clientW = EDITOR_CLIENT_W;
        init.clientH = EDITOR_CLIENT_H;
        init.proc = editorWindowProc;
        es.editorWindow = platform::createWindow(init);
    }
    ~Setup() {
        platform::destroyWindow(es.editorWindow);
        resetEditorState();
    }
};

Setup& setup() {
    static Setup s;
    return s;
}

void BM_FullRedraw(benchmark::State& state) {
    setup();
    for (auto _ : state) drawWholeGrid();
}
BENCHMARK(BM_FullRedraw)->Unit(benchmark::kMillisecond);

// Each step paints a new cell of the stroke with a tool it does not hold yet.
void BM_DragOneCell(benchmark::State& state) {
    setup();
    es.currentTool = 'e';
    es.dragging = 1;
    int step = 0;
    for (auto _ : state) {
        int col = step % 100, row = (step / 100) % 100;
        if (step % EDITOR_CELLS == 0) es.currentTool = es.currentTool == 'e' ? 'i' : 'e';
        ++step;
        editorWindowProc(es.editorWindow, platform::Msg::MouseMove, 2 + 7 * col + 3, 2 + 7 * row + 3);
    }
    es.dragging = 0;
}
BENCHMARK(BM_DragOneCell)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
