// The editor's whole live state: one plain record, one instance (es). The
// window procedure and the menu commands read and write it directly.
#pragma once

#include <string>

#include "platform/platform.h"

constexpr int EDITOR_ROWS = 100;
constexpr int EDITOR_COLS = 100;
constexpr int EDITOR_CELLS = EDITOR_ROWS * EDITOR_COLS;
constexpr int CELL_PX = 7;
constexpr int GRID_ORIGIN_PX = 2;
constexpr int XP_X = 710;
constexpr int XP_Y = 20;
constexpr int EDITOR_CLIENT_W = 780;
constexpr int EDITOR_CLIENT_H = 710;

// The start-point tool: "²" in Windows-1252. Never stored in the grid.
constexpr char START_TOOL = static_cast<char>(0xB2);
constexpr char FOND_TILE = 'a';
constexpr char FIRST_TOOL = 's';

constexpr const char* EDITOR_LEVEL_FILE = "perso.niv";
constexpr const char* EDITOR_CAPTION = "Editeur ";

struct EditorState {
    char editorGrid[EDITOR_CELLS] = {};
    char undoGrid[EDITOR_CELLS] = {};  // copy taken at every left-button press
    bool undoTaken = false;            // false until the first press: Annuler then does nothing
    int startCol = 0;
    int startRow = 0;
    char currentTool = FIRST_TOOL;
    char previousTool = FIRST_TOOL;
    int dragging = 0;
    std::string editorImagesDir;  // "<exe dir>/imagese/"
    // Pictures by character; 0xB2 (START_TOOL) holds the start marker.
    platform::Image editorTileBitmaps[256] = {};
    platform::Window editorWindow = nullptr;
};

extern EditorState es;

// Back to the start values (pictures freed, no window).
void resetEditorState();
