#include "combat/bars.h"

#include <algorithm>
#include <cmath>

#include "world/scene.h"

namespace {
constexpr int BAR_HEIGHT = 11;
}

void drawDialogBar(platform::Window dlg, int fontSize, int x, int y, int length, int value,
                   int red, int green, int blue) {
    // Pixels of 400 x 800 dialog units here, and on the original system.
    const platform::Rect here = platform::mapDialogRect(dlg, platform::Rect{0, 0, 400, 800});
    const double refW = 100.0 * std::max(1, (6 * fontSize + 4) / 8);
    const double refH = 100.0 * std::max(1, (13 * fontSize + 4) / 8);
    const double sx = here.right / refW, sy = here.bottom / refH;
    // The left end and the vertical middle follow the units.
    const int px = static_cast<int>(std::lround(x * sx));
    const int py = static_cast<int>(std::lround((y + BAR_HEIGHT / 2.0) * sy - BAR_HEIGHT / 2.0));
    drawBar(dlg, px, py, length, value, std::clamp(red, 0, 255), std::clamp(green, 0, 255),
            std::clamp(blue, 0, 255));
}
