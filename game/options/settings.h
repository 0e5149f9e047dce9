// Reglages.cfg (sound, music, fast computer) and the settings dialogs.
#pragma once

#include <string>

#include "platform/platform.h"

constexpr const char* SETTINGS_FILE = "Reglages.cfg";

// Reads the settings once at start-up; asks the first-launch questions when the
// file does not hold them, then writes it.
void readSettings();
// Writes "son=%d,Musique=%d,Rapidité=%d" (Windows-1252) from the three variables.
// When the file cannot be written (disk full, folder protected) the previous
// file stays, the player is told in a box owned by owner, and false is returned.
bool writeSettings(platform::Window owner);
// Menu "Options": dialog 121 while playing, 124 on the title screen.
void optionsCommand();
long settingsDialogProc(platform::Window dlg, platform::Msg msg, long a, long b);

// Parses the settings token (Windows-1252 bytes); true when all three values were read.
bool parseSettings(const std::string& token, int& sound, int& music, int& slow);
// One colour step within 0..250.
int stepColour(int value, int delta);
