// Drawing the grid into the editor's window: 7 x 7 pictures from imagese/.
#pragma once

#include <string>

// Where the pictures of a character live: "<imagese dir><char>.bmp", the
// character as its UTF-8 form ("².bmp" for the start marker).
std::string editorImagePath(char tile);
// Loads the pictures of the characters 0x22..0x7B and the start marker.
void loadEditorTiles();

// Every cell with its picture, then the start marker.
void drawWholeGrid();
void drawStartMarker();
// One cell with the picture of its tile.
void drawCell(int col, int row);
// One cell with the picture of a given character (the tool being placed).
void drawTileAt(int col, int row, char tile);
// "XP:%d" at (710, 20) over a cleared background.
void drawXpFigure();

// Experience the level is worth: 1 per guard, 3 per ghoul, 4 per evil knight.
int levelXp(const char* grid);
