// Bars drawn into the fight and skill dialogs at pixel positions.
#pragma once

#include "platform/platform.h"

// drawBar at (x, y) in the pixels of the dialog's template font on the
// original system (base units of 6 x 13 pixels at 8 points). The bar keeps its
// length and height; its start moves with the dialog's own units, so it stays
// on the row of controls it belongs to whatever font the desktop gives. Each
// colour part is kept within 0..255.
void drawDialogBar(platform::Window dlg, int fontSize, int x, int y, int length, int value,
                   int red, int green, int blue);
