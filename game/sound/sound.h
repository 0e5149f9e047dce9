// Sound effects (played by the game) and music (chosen through sons/MusicCfg.cfg,
// played by the separate music player).
#pragma once

#include <string_view>

// The numbers of the music control file.
using MusicTrack = int;
constexpr MusicTrack MUSIC_SILENCE = 0;
constexpr MusicTrack MUSIC_NORMAL = 1;
constexpr MusicTrack MUSIC_FIGHT = 2;
constexpr MusicTrack MUSIC_SHOP = 3;
constexpr MusicTrack MUSIC_INTRO = 4;
constexpr MusicTrack MUSIC_END = 5;
constexpr MusicTrack MUSIC_QUIT = 100;

// The control file, relative to the working directory.
constexpr const char* MUSIC_CONTROL_FILE = "sons/MusicCfg.cfg";

// Plays soundDir + name + ".wav" without waiting, unless sound effects are off.
// The name is UTF-8 ("épée mur", "clé").
void playSound(std::string_view name);
// Writes "musique:N" with the track times musicOn (the quit number always as 100).
// False when the file could not be written (the music then stays as it was).
bool selectMusic(MusicTrack track);
