// The whole game on the headless backend, driven by a script of 1,000 key
// presses: start-up, the title screen, a new game, walking about.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "runner.h"

namespace fs = std::filesystem;

namespace {

// Runs in a scratch working directory (the game writes its files there).
struct Scratch {
    fs::path before = fs::current_path();
    fs::path dir;
    Scratch() {
        std::string t = (fs::temp_directory_path() / "qbenchXXXXXX").string();
        dir = mkdtemp(t.data());
        fs::create_directory(dir / "sons");
        fs::current_path(dir);
    }
    ~Scratch() {
        fs::current_path(before);
        fs::remove_all(dir);
    }
};

std::vector<std::string> script(bool play) {
    std::vector<std::string> s = {"seed 2024"};
    if (play) s.insert(s.end(), {"menu 40011", "type 1064 Banc", "click 1", "click 1032", "wait 100"});
    static const char* keys[] = {"Right", "Right", "Down", "Left", "Up", "Left", "Down", "Right"};
    for (int i = 0; i < 1000; ++i) s.push_back(std::string("key ") + keys[i % 8]);
    return s;
}

void run(benchmark::State& state, bool play) {
    Scratch scratch;
    const std::vector<std::string> lines = script(play);
    for (auto _ : state) {
        std::ostringstream out, err;
        if (runHeadlessLines(false, QUELMAR_STAGE_DIR, lines, out, err) != 0) {
            state.SkipWithError(err.str().c_str());
            break;
        }
        benchmark::DoNotOptimize(out.str().size());
    }
}

void BM_TitleScreen1000Keys(benchmark::State& state) { run(state, false); }
void BM_Playing1000Keys(benchmark::State& state) { run(state, true); }

}  // namespace

BENCHMARK(BM_TitleScreen1000Keys)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Playing1000Keys)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
