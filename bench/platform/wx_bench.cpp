// One frame of the game's scene on the wx backend: 165 tiles of 24 x 24 and
// the hero's icon, each drawing presented as the game does it (one device
// context for the tiles, one for the icon). Run under xvfb-run.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "pictures.h"
#include "platform/platform.h"

namespace {

using namespace platform;

long proc(Window w, Msg m, long a, long b) { return defaultWindowProc(w, m, a, b); }

struct Scene {
    Window w = nullptr;
    std::vector<Image> tiles;
    std::string iconPath;

    Scene() {
        char tmpl[] = "/tmp/wxbenchXXXXXX";
        const std::string dir = mkdtemp(tmpl);
        for (int k = 0; k < 8; ++k) {
            const std::string path = dir + "/t" + std::to_string(k) + ".bmp";
            pictures::write(path, pictures::bmp(24, 24, [k](int x, int y) {
                                return static_cast<std::uint32_t>(((x * 9 + k * 40) & 0xFF) << 16 |
                                                                  ((y * 9) & 0xFF) << 8 | k * 30);
                            }));
            tiles.push_back(loadImage(path, 24, 24));
        }
        iconPath = dir + "/hommed.ico";
        pictures::write(iconPath, pictures::ico(24, 24, [](int x, int y) {
                            return (x - 12) * (x - 12) + (y - 12) * (y - 12) < 100 ? 0xFFC08040u
                                                                                   : 0u;
                        }));
        WindowInit init;
        init.title = "bench";
        init.x = 0;
        init.y = 0;
        init.clientW = 480;
        init.clientH = 400;
        init.proc = proc;
        w = createWindow(init);
        pauseMs(300);  // mapped
    }
};

void BM_SceneFrame(benchmark::State& state) {
    static Scene scene;
    int frame = 0;
    for (auto _ : state) {
        Dc dc = getDc(scene.w);
        for (int r = 0; r < 11; ++r)
            for (int c = 0; c < 15; ++c)
                drawImage(dc, scene.tiles[(r * 15 + c + frame) % scene.tiles.size()], c * 24,
                          r * 24);
        releaseDc(dc);
        // The hero's icon is read from its file at each drawing, as the game does.
        Image hero = loadImage(scene.iconPath, 24, 24);
        dc = getDc(scene.w);
        drawImage(dc, hero, 5 * 24, 9 * 24);
        releaseDc(dc);
        freeImage(hero);
        ++frame;
    }
}
BENCHMARK(BM_SceneFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
