// Internal state of the headless backend, shared by its source files.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dc_state.h"
#include "image_decode.h"
#include "platform/headless.h"
#include "platform/platform.h"

namespace platform {

struct Control {
    ControlDef def;  // position in dialog units as in the template
    Rect box;        // the same in client pixels
    std::string text;
    bool checked = false;
    bool enabled = true;
    std::vector<std::string> items;
    int selection = -1;
};

struct WindowRec {
    bool alive = true;
    bool dialog = false;
    int dialogId = 0;
    WindowProc proc = nullptr;
    std::string title;
    int x = 0, y = 0, w = 0, h = 0;
    const MenuDef* menu = nullptr;
    std::vector<std::uint32_t> fb;  // 0xRRGGBB, w * h
    bool invalid = false;
    Rect dirty;       // union of the invalidated areas
    bool erase = false;
    std::vector<Rect> eraseAreas;  // the areas to erase before painting, as invalidated
    Point cursor;
    int contexts = 0;  // device contexts taken so far
    // Dialogs only.
    Window owner = nullptr;
    std::vector<Control> controls;
    int unitW = 6, unitH = 13;  // pixels of 4 horizontal and 8 vertical dialog units
    bool ended = false;
    int endCode = 0;
    bool closeBox = true;  // the template's title bar has a close box
};

struct ImageRec {
    image::Rgba img;
};

struct FontRec {
    std::string face;
    int height = 13;
    int weight = 400;
};

namespace headless::detail {

// Fills [r] of the window's framebuffer (clipped) with a colour.
void fill(Window, const Rect& r, Color c);
// Draws text with the built-in font (clipped to clip when given); returns the
// width drawn in pixels. With a background the text's cells are filled first.
int drawText(Window, int x, int y, std::string_view utf8, Color ink, int scale, bool bold,
             const Color* background, const Rect* clip = nullptr);
// Width of the text in the built-in font at scale 1.
int textWidth(std::string_view utf8);
constexpr int GLYPH_ADVANCE = 6;
constexpr int GLYPH_HEIGHT = 13;

// Every picture not yet freed is owned here. The game keeps its tile pictures
// for the whole run: a reset (a new run in the same process) frees them all,
// and so does the end of the process.
Image keepImage(std::unique_ptr<ImageRec>);
void freeAllImages();

// Draws a dialog's control as the system would (frame, face, text, check mark).
void drawControl(Window dlg, const Control&);

inline std::uint32_t pack(Color c) { return (c.r << 16) | (c.g << 8) | c.b; }

}  // namespace headless::detail
}  // namespace platform
