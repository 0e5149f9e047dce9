// The device context settings shared by the backends; drawing itself is theirs.
#include "dc_state.h"

namespace platform {

void setTextColor(Dc dc, Color c) {
    if (dc) dc->text = c;
}
void setBkTransparent(Dc dc, bool transparent) {
    if (dc) dc->transparent = transparent;
}
void setBkColor(Dc dc, Color c) {
    if (dc) dc->bk = c;
}

Font selectFont(Dc dc, Font f) {
    if (!dc) return nullptr;
    Font old = dc->font;
    dc->font = f;
    return old;
}

}  // namespace platform
