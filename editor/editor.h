// The level editor's entry point and its state dump (for the headless runner).
#pragma once

#include <string>

// Loads perso.niv and the pictures, opens the editor's window and runs its
// message loop until the window is gone. Returns the program's exit code.
int editorMain();

// "name=value" lines: startCol, startRow, currentTool, previousTool, dragging,
// levelXp, then grid= with the 10,000 cells (Windows-1252 shown as UTF-8).
std::string editorStateDump();
