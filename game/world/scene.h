// The scene: the visible 15 x 11 block of the grid drawn as 24-pixel tiles, the
// hero on top, and the framed bars used by the panel and the dialogs.
#pragma once

#include <string>

#include "platform/platform.h"

constexpr int FIRST_TILE_CODE = 34;
constexpr int LAST_TILE_CODE = 123;

// Loads the tile pictures "<imagesDir><code>.bmp" for codes 34..123 once.
void loadTileBitmaps();
// view[r][c] = LevelGrid[viewTop + r][viewLeft + c]; trusts the origin's bounds.
void refreshView();
// Draws the view into the main window, then the hero unless in look mode.
void drawScene();
// Draws the hero icon from the file at (heroCol, heroRow) of the view.
void drawHero(const std::string& iconPath);
// A white box of inner width length (black outline from (x, y) to
// (x + length + 2, y + 11)) filled from the left over value pixels (not clipped).
// Only the low byte of each colour part counts.
void drawBar(platform::Window window, int x, int y, int length, int value, int red, int green,
             int blue);
// Where a box of w x h pixels that was placed at (x, y) for a dialog font of
// 6 x 13 pixels a base unit goes in this dialog: its centre moves with the
// dialog's own units, so it stays beside the controls it was drawn for.
// Bars pass w = 0 to keep their left end.
platform::Point dialogPlace(platform::Window dlg, int x, int y, int w, int h);
