// Sound effects (played by the game) and music (chosen through sons/MusicCfg.cfg,
// played by the separate music player).
#pragma once

#include <string_view>

constexpr int MUSIC_SILENCE = 0;
constexpr int MUSIC_NORMAL = 1;
constexpr int MUSIC_FIGHT = 2;
constexpr int MUSIC_SHOP = 3;
constexpr int MUSIC_INTRO = 4;
constexpr int MUSIC_END = 5;
constexpr int MUSIC_QUIT = 100;

// The control file, relative to the working directory.
constexpr const char* MUSIC_CONTROL_FILE = "sons/MusicCfg.cfg";

// Plays soundDir + name + ".wav" without waiting, unless sound effects are off.
// The name is UTF-8 ("épée mur", "clé").
void playSound(std::string_view name);
// Writes "musique:N" with the track times musicOn (the quit number always as 100).
void selectMusic(int track);
