// What a device context carries between drawing calls, the same in every
// backend (internal to platform/): the window drawn into, the text colours,
// the background mode and the selected font.
#pragma once

#include "platform/platform.h"

namespace platform {

struct DcRec {
    Window w = nullptr;
    Color text{0, 0, 0};
    Color bk{255, 255, 255};
    bool transparent = true;
    Font font = nullptr;
};

}  // namespace platform
