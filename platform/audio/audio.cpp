// Wave playback on SDL2_mixer: channel 0 carries the effects, channel 1 the
// looping music. The music is a whole chunk played with endless loops, so the
// loop point is sample-exact and has no gap. Without an audio device (a
// server, CI) open() fails once and every later call does nothing.
#include "platform/audio.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <sys/stat.h>

#include <cstdio>
#include <vector>

#include "platform/files.h"

namespace platform::audio {
namespace {

constexpr int EFFECT_CHANNEL = 0;
constexpr int MUSIC_CHANNEL = 1;
// Six minutes of CD sound; the game's longest loop takes 2 MB. A bigger file is
// no sound of the game, and loading it would hold the program for seconds.
constexpr long long MAX_WAVE_BYTES = 64LL << 20;

enum class DeviceState { Untried, Open, Missing };
DeviceState device = DeviceState::Untried;
Mix_Chunk* effect = nullptr;
Mix_Chunk* music = nullptr;

void freeChunk(Mix_Chunk*& chunk, int channel) {
    if (!chunk) return;
    Mix_HaltChannel(channel);  // synchronous: the mixer no longer reads the chunk
    Mix_FreeChunk(chunk);
    chunk = nullptr;
}

// The file read whole, then decoded: only a regular file is opened (a named
// pipe in place of a wave file would block the open, and the game with it),
// and only one of a size a sound can have.
Mix_Chunk* loadWave(const std::string& path) {
    std::FILE* f = openRegularFile(path);
    if (!f) return nullptr;
    struct stat st {};
    std::vector<char> bytes;
    if (fstat(fileno(f), &st) == 0 && st.st_size > 0 && st.st_size <= MAX_WAVE_BYTES) {
        bytes.resize(static_cast<std::size_t>(st.st_size));
        bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
    }
    std::fclose(f);
    if (bytes.empty()) return nullptr;
    return Mix_LoadWAV_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1);
}

}  // namespace

bool open() {
    if (device != DeviceState::Untried) return device == DeviceState::Open;
    device = DeviceState::Missing;
    // SDL would otherwise turn SIGINT and SIGTERM into events nobody reads,
    // and the program could no longer be stopped that way.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    // Every sound of the game is 22,050 Hz: opening the device at that rate spares
    // resampling each track as it loads (a 45 s loop would take a tenth of a second).
    if (Mix_OpenAudio(22050, MIX_DEFAULT_FORMAT, 2, 512) != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    Mix_AllocateChannels(2);
    device = DeviceState::Open;
    return true;
}

void close() {
    if (device != DeviceState::Open) return;
    freeChunk(effect, EFFECT_CHANNEL);
    freeChunk(music, MUSIC_CHANNEL);
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    device = DeviceState::Untried;  // a later call may open it again
}

void playEffect(const std::string& path) {
    if (!open()) return;
    freeChunk(effect, EFFECT_CHANNEL);  // a new effect cuts the one playing
    effect = loadWave(path);
    if (effect && Mix_PlayChannel(EFFECT_CHANNEL, effect, 0) < 0) freeChunk(effect, EFFECT_CHANNEL);
}

bool playLoop(const std::string& path) {
    if (!open()) return false;
    freeChunk(music, MUSIC_CHANNEL);
    music = loadWave(path);
    if (!music) return false;
    if (Mix_PlayChannel(MUSIC_CHANNEL, music, -1) < 0) {
        freeChunk(music, MUSIC_CHANNEL);
        return false;
    }
    return true;
}

void stopLoop() {
    if (device != DeviceState::Open) return;
    freeChunk(music, MUSIC_CHANNEL);
}

bool loopPlaying() {
    return device == DeviceState::Open && music && Mix_Playing(MUSIC_CHANNEL) != 0;
}

}  // namespace platform::audio
