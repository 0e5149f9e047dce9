// The editor's window procedure: mouse painting, the start point, the menu.
#pragma once

#include "platform/platform.h"

// Client pixels to a cell: minus the 2-pixel margin, divided by 7 with
// truncation toward zero (so (0, 0) is still cell (0, 0)). Returns whether
// the cell is inside the grid; col and row are set either way.
bool cellFromClient(int x, int y, int& col, int& row);

long editorWindowProc(platform::Window, platform::Msg, long a, long b);
