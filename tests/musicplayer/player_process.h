// Runs the real music player as a child process in a scratch sons/ folder:
// the executable copied in, small wave files written beside it.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
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
#include <string_view>
#include <thread>
#include <vector>

#include "platform/files.h"

extern char** environ;

namespace playertest {

namespace fs = std::filesystem;

inline void putLe(std::ofstream& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.put(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// A 16-bit mono wave holding a sine tone.
inline void writeWav(const fs::path& path, double seconds, double hz) {
    const std::uint32_t rate = 22050;
    const std::uint32_t samples = static_cast<std::uint32_t>(seconds * rate);
    std::ofstream out(path, std::ios::binary);
    out.write("RIFF", 4);
    putLe(out, 36 + samples * 2, 4);
    out.write("WAVEfmt ", 8);
    putLe(out, 16, 4);
    putLe(out, 1, 2);  // PCM
    putLe(out, 1, 2);  // mono
    putLe(out, rate, 4);
    putLe(out, rate * 2, 4);
    putLe(out, 2, 2);
    putLe(out, 16, 2);
    out.write("data", 4);
    putLe(out, samples * 2, 4);
    for (std::uint32_t i = 0; i < samples; ++i) {
        auto s = static_cast<std::int16_t>(12000 * std::sin(2 * std::numbers::pi * hz * i / rate));
        putLe(out, static_cast<std::uint16_t>(s), 2);
    }
}

inline const char* const TRACK_FILES[] = {"MusicNormale.wav", "MusicCombats.wav",
                                          "MusicBoutique.wav", "MusicIntro.wav", "MusicFin.wav"};

// A fresh directory holding a copy of the player and, when asked, the five tracks.
inline fs::path makeSonsDir(const std::string& playerExe, bool withTracks) {
    std::string pattern = (fs::temp_directory_path() / "quelmar-son-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return {};
    fs::path dir = pattern;
    fs::copy_file(playerExe, dir / "QuelmaR Son");
    fs::permissions(dir / "QuelmaR Son", fs::perms::owner_all);
    if (withTracks) {
        double hz = 220;
        for (const char* f : TRACK_FILES) writeWav(dir / f, 0.5, hz *= 1.25);
    }
    return dir;
}

// Written whole and atomically, the way the game writes it.
inline bool writeControl(const fs::path& dir, const std::string& text) {
    return platform::replaceFile((dir / "MusicCfg.cfg").string(), text);
}

// Starts exeDir/"QuelmaR Son" with workDir as working directory and the given
// SDL audio driver (and output file of SDL's disk driver) set in the child only.
inline pid_t startPlayer(const fs::path& exeDir, const fs::path& workDir, const char* audioDriver,
                         const char* diskFile = nullptr) {
    const std::string exe = (exeDir / "QuelmaR Son").string();
    // Everything the child needs is made before fork, so that it only calls
    // chdir and execve.
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        std::string_view v = *e;
        if (!v.starts_with("SDL_AUDIODRIVER=") && !v.starts_with("SDL_DISKAUDIOFILE=")) env.emplace_back(v);
    }
    if (audioDriver) env.push_back(std::string("SDL_AUDIODRIVER=") + audioDriver);
    if (diskFile) env.push_back(std::string("SDL_DISKAUDIOFILE=") + diskFile);
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(exe.c_str()), nullptr};
    const std::string work = workDir.string();
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(work.c_str()) != 0) _exit(126);
        execve(exe.c_str(), argv, envp.data());
        _exit(127);
    }
    return pid;
}

// Waits for the child to end; false on timeout. ms receives the time waited.
inline bool waitForExit(pid_t pid, int timeoutMs, int& status, double& ms,
                        rusage* usage = nullptr) {
    auto start = std::chrono::steady_clock::now();
    for (;;) {
        rusage ru{};
        pid_t r = wait4(pid, &status, WNOHANG, &ru);
        ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                 .count();
        if (r == pid) {
            if (usage) *usage = ru;
            return true;
        }
        if (r < 0 || ms > timeoutMs) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

inline bool stillRunning(pid_t pid) {
    int status = 0;
    return waitpid(pid, &status, WNOHANG) == 0;
}

inline void killPlayer(pid_t pid) {
    if (pid > 0 && stillRunning(pid)) {
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
    }
}

}  // namespace playertest
