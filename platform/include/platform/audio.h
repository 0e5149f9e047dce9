// Wave playback for programs that have no window (the music player) and for the
// real backend's playEffect. SDL2_mixer underneath; with no audio device every
// call is silent and nothing fails.
#pragma once

#include <string>

namespace platform::audio {

// Opens the audio device once; false when there is none (calls stay silent).
bool open();
void close();
// One effect at a time: a new effect cuts the one playing.
void playEffect(const std::string& path);
// Loops a wave file until replaced or stopped; replaces the music playing.
// Returns false when the file cannot be loaded (silence then).
bool playLoop(const std::string& path);
void stopLoop();
bool loopPlaying();

}  // namespace platform::audio
