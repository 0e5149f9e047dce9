// Wave playback on SDL2_mixer: channel 0 carries the effects, channel 1 the
// looping music. The music is a whole chunk played with endless loops, so the
// loop point is sample-exact and has no gap. Without an audio device (a
// server, CI) open() fails once and every later call does nothing.
#include "platform/audio.h"

#include <SDL.h>
#include <SDL_mixer.h>

namespace platform::audio {
namespace {

constexpr int EFFECT_CHANNEL = 0;
constexpr int MUSIC_CHANNEL = 1;

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
    effect = Mix_LoadWAV(path.c_str());
    if (effect && Mix_PlayChannel(EFFECT_CHANNEL, effect, 0) < 0) freeChunk(effect, EFFECT_CHANNEL);
}

bool playLoop(const std::string& path) {
    if (!open()) return false;
    freeChunk(music, MUSIC_CHANNEL);
    music = Mix_LoadWAV(path.c_str());
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
