// The music player's two costs: how soon a track change is heard (the real
// loop, control file and audio backend in this process, SDL's dummy driver),
// and the CPU the real program uses over 10 s of polling with music playing.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <random>
#include <string>
#include <thread>

#include "control.h"
#include "platform/audio.h"
#include "player.h"
#include "player_process.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace playertest;

std::atomic<int> startedTrack{0};
std::atomic<int> changes{0};
std::atomic<Clock::rep> changedAt{0};
std::atomic<double> worstLoadMs{0};

bool timedPlayLoop(const std::string& path) {
    const auto t0 = Clock::now();
    bool ok = platform::audio::playLoop(path);
    const double load = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    if (load > worstLoadMs) worstLoadMs = load;
    // The track is under way once the backend has loaded and started it.
    changedAt = Clock::now().time_since_epoch().count();
    startedTrack = path.find("Combats") != std::string::npos ? MUSIC_FIGHT : MUSIC_NORMAL;
    ++changes;
    return ok;
}

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The game's own music loops when the build has made them, else 60 s tones of
// the same order of size: loading a long wave is part of the reaction.
void useStageMusic(const fs::path& dir, benchmark::State& state) {
    int found = 0;
    double hz = 200;
    for (const char* f : TRACK_FILES) {
        const fs::path music = fs::path(QUELMAR_STAGE_SONS) / f;
        if (fs::exists(music)) {
            fs::copy_file(music, dir / f, fs::copy_options::overwrite_existing);
            ++found;
        } else {
            writeWav(dir / f, 60.0, hz += 50);
        }
    }
    state.SetLabel(found == 5 ? "game music" : found ? "some game music" : "60 s test tones");
}

// Worst and mean delay between the game starting to write a new number and the
// player starting that track, over 100 changes written at random moments; and
// the worst time the backend took to load and start a track (part of it).
// Argument 0: half-second tones, the loop's own delay; 1: full-length music.
void BM_TrackChangeReaction(benchmark::State& state) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    fs::path dir = makeSonsDir(QUELMAR_PLAYER_EXE, true);
    if (state.range(0))
        useStageMusic(dir, state);
    else
        state.SetLabel("0.5 s test tones");
    worstLoadMs = 0;
    fs::path old = fs::current_path();
    fs::current_path(dir);
    platform::audio::open();
    double worst = 0, total = 0;
    int count = 0;
    for (auto _ : state) {
        ps = PlayerState{};
        ps.playerDir = dir.string();
        changes = 0;
        writeControl(dir, "musique:0");
        std::thread player([] {
            runMusicPlayer(readControlFile, sleepMs, MusicAudio{timedPlayLoop, platform::audio::stopLoop});
        });
        std::mt19937 rng(7);
        std::uniform_int_distribution<int> phase(0, POLL_INTERVAL_MS);
        for (int i = 0; i < 100; ++i) {
            sleepMs(phase(rng));
            const int track = i % 2 ? MUSIC_FIGHT : MUSIC_NORMAL;
            const int before = changes;
            const auto t0 = Clock::now();
            writeControl(dir, "musique:" + std::to_string(track));
            while (changes == before) std::this_thread::sleep_for(std::chrono::microseconds(200));
            const double ms =
                std::chrono::duration<double, std::milli>(Clock::duration(changedAt.load()) - t0.time_since_epoch())
                    .count();
            if (startedTrack != track) state.SkipWithError("wrong track started");
            worst = std::max(worst, ms);
            total += ms;
            ++count;
        }
        writeControl(dir, "musique:100");
        player.join();
    }
    platform::audio::close();
    fs::current_path(old);
    fs::remove_all(dir);
    state.counters["worst_ms"] = worst;
    state.counters["mean_ms"] = total / std::max(count, 1);
    state.counters["worst_load_ms"] = worstLoadMs.load();
}
BENCHMARK(BM_TrackChangeReaction)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

double cpuSeconds(pid_t pid) {
    clockid_t clock;
    timespec ts{};
    if (clock_getcpuclockid(pid, &clock) != 0 || clock_gettime(clock, &ts) != 0) return -1;
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

// CPU time of the real program over 10 s of polling with the normal music
// looping, as a share of one core (target: at most 1 %). The window opens 1 s
// after the start, once the track is loaded; the whole run, start-up and load
// included, is given beside it.
void BM_IdleCpu(benchmark::State& state) {
    fs::path dir = makeSonsDir(QUELMAR_PLAYER_EXE, true);
    useStageMusic(dir, state);
    for (auto _ : state) {
        writeControl(dir, "musique:1");
        const auto t0 = Clock::now();
        pid_t pid = startPlayer(dir, dir, "dummy");
        sleepMs(1000);
        const double cpu0 = cpuSeconds(pid);
        const auto t1 = Clock::now();
        sleepMs(10000);
        const double cpu1 = cpuSeconds(pid);
        const double window = std::chrono::duration<double>(Clock::now() - t1).count();
        writeControl(dir, "musique:100");
        int status = 0;
        double waited = 0;
        rusage ru{};
        if (cpu0 < 0 || cpu1 < 0 || !waitForExit(pid, 5000, status, waited, &ru)) {
            killPlayer(pid);
            state.SkipWithError("the player ended early or did not end");
            break;
        }
        const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
        const double cpu = ru.ru_utime.tv_sec + ru.ru_utime.tv_usec / 1e6 + ru.ru_stime.tv_sec +
                           ru.ru_stime.tv_usec / 1e6;
        state.counters["cpu_pct_of_core"] = 100.0 * (cpu1 - cpu0) / window;
        state.counters["whole_run_cpu_pct"] = 100.0 * cpu / wall;
        state.counters["whole_run_cpu_s"] = cpu;
    }
    fs::remove_all(dir);
}
BENCHMARK(BM_IdleCpu)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
