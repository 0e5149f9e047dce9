// perso.niv as the editor reads and writes it: one token of the 10,000 cells,
// row 0 first, then " %d %d " with the start column and row.
#pragma once

#include <string>
#include <vector>

// The bytes written for a grid and a start cell. A cell that was never filled
// (zero byte) is written as background, so the file always holds one whole token;
// so is a first cell that would make the file open with a byte-order mark.
std::string formatLevel(const char* grid, int startCol, int startRow);

// What reading a level file gave, before anything is shown.
struct LevelRead {
    bool opened = false;       // the file could be opened
    bool shortGrid = false;    // fewer than 10,000 cells: the rest is background
    bool startUnreadable = false;  // a start number missing or not a number: 0
    bool startOutside = false;     // a start number outside 0..99: brought to the border
    std::string grid;          // always 10,000 cells
    int startCol = 0;
    int startRow = 0;
};
LevelRead parseLevel(bool opened, const std::vector<std::string>& tokens);

// Reads perso.niv from the working directory into the editor and tells the
// author what happened. At start (atStart) a missing file gives an empty level
// of background; later a missing file leaves the level being edited as it is.
void editorLoadLevel(bool atStart);
// Writes perso.niv atomically and tells the author whether it worked.
// Returns true when the file was written.
bool editorSaveLevel();
