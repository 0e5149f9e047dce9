// The playing field: level files and safe access to grid cells.
#pragma once

constexpr const char* BUILTIN_LEVEL_FILE = "niveau.niv";
constexpr const char* CUSTOM_LEVEL_FILE = "perso.niv";
constexpr char EMPTY_CELL = 'a';
constexpr char OUTSIDE_CELL = 's';  // what lies beyond the border: solid wall

// Reads niveau.niv (working directory) into LevelGrid.
void loadBuiltinLevel();
// Reads perso.niv into LevelGrid, customStartCol and customStartRow.
void loadCustomLevel();
// The cell at (row, col) of LevelGrid, or 's' outside the 100 x 100 grid.
char cellAt(int row, int col);
