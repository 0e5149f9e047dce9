// The cost of a save: the whole of saveToSlot with five games in the slots
// (the text drawn, the records built, the file replaced atomically, the scene
// drawn again) beside a plain write-and-sync of the same bytes in the same
// directory. The 500 ms pause is on the headless backend's virtual clock.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "platform/headless.h"
#include "platform/platform.h"
#include "saves/savefile.h"
#include "saves/slots.h"
#include "state.h"
#include "world/scene.h"

namespace {

namespace fs = std::filesystem;

struct Setup {
    fs::path dir;
    Setup() {
        std::string t = (fs::temp_directory_path() / "qsavebenchXXXXXX").string();
        dir = mkdtemp(t.data());
        fs::create_directory(dir / "sons");
        fs::current_path(dir);
        gs = GameState{};
        gs.mainWindow = platform::createWindow({.className = "std", .title = "bench", .clientW = 480, .clientH = 400,
                                                .proc = platform::defaultWindowProc});
        gs.onTitleScreen = 0;
        const char* tiles = "asstqa#d";
        for (int r = 0; r < GRID_ROWS; ++r)
            for (int c = 0; c < GRID_COLS; ++c) gs.LevelGrid[r][c] = tiles[(r * 7 + c) % 8];
        std::tie(gs.viewLeft, gs.viewTop, gs.maxLife, gs.life, gs.inventory[GOLD]) = std::tuple(40, 50, 180, 150, 4321);
        gs.playerName = "Le chevalier Sans Nom";
        refreshView();
        for (SaveSlot& slot : gs.saveSlots) slot = captureGame();
    }
};
Setup& setup() {
    static Setup s;
    return s;
}

// Plain: a new file written and synced, nothing else.
void plainWriteAndSync(const std::string& bytes) {
    const int fd = open("plain.sav", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return;
    if (write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size())) fsync(fd);
    close(fd);
}

// Side by side, one after the other in each iteration, so that the disk's
// moods fall on both alike; the counters are the mean times and their ratio.
void BM_SaveBesidePlainWrite(benchmark::State& state) {
    setup();
    const std::string bytes = encodeSaveFile(gs.saveSlots);
    using Clock = std::chrono::steady_clock;
    double save = 0, plain = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        saveToSlot(2);
        const auto t1 = Clock::now();
        plainWriteAndSync(bytes);
        const auto t2 = Clock::now();
        save += std::chrono::duration<double, std::micro>(t1 - t0).count();
        plain += std::chrono::duration<double, std::micro>(t2 - t1).count();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["save_us"] = save / n;
    state.counters["plain_us"] = plain / n;
    state.counters["save_over_plain"] = plain > 0 ? save / plain : 0;  // target: at most 1.5
    state.SetBytesProcessed(state.iterations() * static_cast<long long>(bytes.size()));
}
BENCHMARK(BM_SaveBesidePlainWrite)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The part of the save that is the game's own work: building the records.
void BM_BuildFiveRecords(benchmark::State& state) {
    setup();
    for (auto _ : state) benchmark::DoNotOptimize(encodeSaveFile(gs.saveSlots));
}
BENCHMARK(BM_BuildFiveRecords)->Unit(benchmark::kMicrosecond);

// A read of the file the save wrote, as every save and load starts with it:
// the bytes split into some 50,000 tokens and decoded into five slots.
void BM_ReadFiveRecords(benchmark::State& state) {
    setup();
    saveToSlot(2);
    for (auto _ : state) {
        readSaveFile();
        benchmark::DoNotOptimize(gs.saveSlots[4].grid[0]);
    }
}
BENCHMARK(BM_ReadFiveRecords)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
