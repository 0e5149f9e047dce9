// The game program's entry point and the steps of its start-up.
#pragma once

#include <string>

// Runs the whole program: start-up, the message loop, the quit music number.
int quelmarMain();

// Start-up before the message loop: paths, taunts, generator, saves, settings,
// tile pictures, the main window, the title music and the music player.
void startUp();
// The running program's directory: its full path cut at the last '/', which
// is removed (so no trailing separator).
std::string getModuleDirectory();
// GameDir from the executable's path, then the picture, icon and sound paths.
void buildPaths();
void fillEnemyTaunts();

constexpr const char* MUSIC_PLAYER_FILE = "QuelmaR Son";
constexpr int SMALL_ICON_ID = 103;
