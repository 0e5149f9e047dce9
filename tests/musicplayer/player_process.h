// Runs the real music player as a child process in a scratch sons/ folder:
// the executable copied in, small wave files written beside it.
#pragma once

#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

#include "platform/files.h"

namespace playertest {

namespace fs = std::filesystem;

// A 16-bit mono PCM wave holding a sine tone (written on a little-endian machine).
inline void writeWav(const fs::path& path, double seconds, double hz) {
    const std::uint32_t rate = 22050, n = static_cast<std::uint32_t>(seconds * rate);
    std::vector<std::int16_t> pcm(n);
    for (std::uint32_t i = 0; i < n; ++i)
        pcm[i] = static_cast<std::int16_t>(12000 * std::sin(2 * std::numbers::pi * hz * i / rate));
    // "RIFF" size "WAVE" "fmt " 16, PCM + mono, rate, bytes a second, 2 bytes + 16 bits, "data" size
    const std::uint32_t head[] = {0x46464952, 36 + 2 * n, 0x45564157, 0x20746D66, 16, 0x10001,
                                  rate,       2 * rate,   0x100002,   0x61746164, 2 * n};
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(head), sizeof head);
    out.write(reinterpret_cast<const char*>(pcm.data()), 2 * n);
}

inline const char* const TRACK_FILES[] = {"MusicNormale.wav", "MusicCombats.wav",
                                          "MusicBoutique.wav", "MusicIntro.wav", "MusicFin.wav"};

// A fresh directory holding a copy of the player and, when asked, the five tracks.
inline fs::path makeSonsDir(const std::string& playerExe, bool withTracks) {
    std::string pattern = (fs::temp_directory_path() / "quelmar-son-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return {};
    const fs::path dir = pattern;
    fs::copy_file(playerExe, dir / "QuelmaR Son");
    fs::permissions(dir / "QuelmaR Son", fs::perms::owner_all);
    for (double hz = 220; const char* f : TRACK_FILES)
        if (withTracks) writeWav(dir / f, 0.5, hz *= 1.25);
    return dir;
}

// Written whole and atomically, the way the game writes it.
inline bool writeControl(const fs::path& dir, const std::string& text) {
    return platform::replaceFile((dir / "MusicCfg.cfg").string(), text);
}

// Starts exeDir/"QuelmaR Son" in workDir with the given SDL audio driver (and
// output file of SDL's disk driver), set in this process for the child to
// inherit. The child is killed when the thread that started it dies, so a
// test that crashes or is killed never leaves a player running.
inline pid_t startPlayer(const fs::path& exeDir, const fs::path& workDir, const char* audioDriver,
                         const char* diskFile = nullptr) {
    const std::string exe = (exeDir / "QuelmaR Son").string(), work = workDir.string();
    if (audioDriver) setenv("SDL_AUDIODRIVER", audioDriver, 1); else unsetenv("SDL_AUDIODRIVER");
    if (diskFile) setenv("SDL_DISKAUDIOFILE", diskFile, 1); else unsetenv("SDL_DISKAUDIOFILE");
    const pid_t parent = getpid(), pid = fork();
    if (pid == 0 && prctl(PR_SET_PDEATHSIG, SIGKILL) == 0 && getppid() == parent && chdir(work.c_str()) == 0)
        execl(exe.c_str(), exe.c_str(), nullptr);
    if (pid == 0) _exit(127);
    return pid;
}

// Waits for the child to end; false on timeout. ms receives the time waited.
inline bool waitForExit(pid_t pid, int timeoutMs, int& status, double& ms, rusage* usage = nullptr) {
    const auto start = std::chrono::steady_clock::now();
    for (rusage ru{};; std::this_thread::sleep_for(std::chrono::milliseconds(2))) {
        const pid_t r = wait4(pid, &status, WNOHANG, &ru);
        ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        if (r == pid && usage) *usage = ru;
        if (r != 0 || ms > timeoutMs) return r == pid;
    }
}

inline bool stillRunning(pid_t pid) { return waitpid(pid, nullptr, WNOHANG) == 0; }

inline void killPlayer(pid_t pid) {
    if (pid > 0 && stillRunning(pid) && kill(pid, SIGKILL) == 0) waitpid(pid, nullptr, 0);
}

}  // namespace playertest
