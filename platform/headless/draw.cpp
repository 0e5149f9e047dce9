// Drawing into the headless framebuffers: pictures, icons with their
// transparency, rectangles, text, and the look of dialog controls.
#include <algorithm>

#include "backend.h"

namespace platform {

using namespace headless::detail;

namespace headless::detail {

void fill(Window w, const Rect& r, Color c) {
    if (!w || w->fb.size() != static_cast<std::size_t>(w->w) * w->h) return;
    const int l = std::max(r.left, 0), t = std::max(r.top, 0);
    const int rr = std::min(r.right, w->w), b = std::min(r.bottom, w->h);
    if (l >= rr || t >= b) return;  // nothing of it inside the framebuffer
    const std::uint32_t v = pack(c);
    for (int y = t; y < b; ++y)
        std::fill(w->fb.begin() + static_cast<std::ptrdiff_t>(y) * w->w + l,
                  w->fb.begin() + static_cast<std::ptrdiff_t>(y) * w->w + rr, v);
}

namespace {

constexpr Color BLACK{0, 0, 0};
constexpr Color WHITE{255, 255, 255};
constexpr Color SHADOW{128, 128, 128};
constexpr Color GRAY_TEXT{160, 160, 160};

void frame(Window w, const Rect& r, Color c) {
    fill(w, {r.left, r.top, r.right, r.top + 1}, c);
    fill(w, {r.left, r.bottom - 1, r.right, r.bottom}, c);
    fill(w, {r.left, r.top, r.left + 1, r.bottom}, c);
    fill(w, {r.right - 1, r.top, r.right, r.bottom}, c);
}

void alignedText(Window w, const Rect& box, const std::string& text, Align align, bool vcentre, Color ink) {
    const int tw = textWidth(text);
    int x = box.left + 2;
    if (align == Align::Center) x = box.left + (box.right - box.left - tw) / 2;
    if (align == Align::Right) x = box.right - 2 - tw;
    const int y = vcentre ? box.top + (box.bottom - box.top - GLYPH_HEIGHT) / 2 : box.top;
    drawText(w, x, y, text, ink, 1, false, nullptr, &box);
}

}  // namespace

void drawControl(Window w, const Control& c) {
    const Rect& r = c.box;
    const Color ink = c.enabled ? BLACK : GRAY_TEXT;
    // The '&' marking a mnemonic is not shown; "&&" shows one '&'.
    std::string text;
    for (std::size_t i = 0; i < c.text.size(); ++i) {
        if (c.text[i] == '&' && ++i >= c.text.size()) break;
        text += c.text[i];
    }
    switch (c.def.kind) {
        case Ctl::PushButton:
        case Ctl::DefPushButton:
            fill(w, r, BUTTON_FACE);
            frame(w, r, c.def.kind == Ctl::DefPushButton ? BLACK : SHADOW);
            if (c.def.kind == Ctl::DefPushButton) frame(w, {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, SHADOW);
            alignedText(w, r, text, Align::Center, true, ink);
            break;
        case Ctl::CheckBox: {
            fill(w, r, BUTTON_FACE);
            const int top = r.top + (r.bottom - r.top - 11) / 2;
            const Rect box{r.left, top, r.left + 11, top + 11};
            fill(w, box, c.enabled ? WHITE : BUTTON_FACE);
            frame(w, box, SHADOW);
            if (c.checked)
                for (int i = 0; i < 7; ++i) {  // a cross, thick enough to read in a shot
                    fill(w, {box.left + 2 + i, box.top + 2 + i, box.left + 3 + i, box.top + 3 + i}, ink);
                    fill(w, {box.right - 3 - i, box.top + 2 + i, box.right - 2 - i, box.top + 3 + i}, ink);
                }
            alignedText(w, {r.left + 14, r.top, r.right, r.bottom}, text, Align::Left, true, ink);
            break;
        }
        case Ctl::Edit:
        case Ctl::ReadOnlyEdit:
            fill(w, r, c.def.kind == Ctl::Edit && c.enabled ? WHITE : BUTTON_FACE);
            frame(w, r, SHADOW);
            alignedText(w, {r.left + 1, r.top, r.right - 1, r.bottom}, text, c.def.align, true, ink);
            break;
        case Ctl::ComboBox: {
            // The template's height includes the list; only the field shows.
            const Rect field{r.left, r.top, r.right, r.top + std::min(r.bottom - r.top, 20)};
            fill(w, field, c.enabled ? WHITE : BUTTON_FACE);
            frame(w, field, SHADOW);
            const Rect arrow{field.right - 16, field.top + 1, field.right - 1, field.bottom - 1};
            fill(w, arrow, BUTTON_FACE);
            const int cx = (arrow.left + arrow.right) / 2, cy = (arrow.top + arrow.bottom) / 2 - 2;
            for (int i = 0; i < 4; ++i) fill(w, {cx - 3 + i, cy + i, cx + 4 - i, cy + i + 1}, ink);
            alignedText(w, {field.left + 1, field.top, arrow.left, field.bottom}, text, Align::Left, true, ink);
            break;
        }
        case Ctl::Label:
            fill(w, r, BUTTON_FACE);
            alignedText(w, r, text, c.def.align, false, ink);
            break;
        case Ctl::GroupBox: {
            // Only the frame and its title: the inside belongs to other controls.
            const int mid = r.top + GLYPH_HEIGHT / 2;
            frame(w, {r.left, mid, r.right, r.bottom}, SHADOW);
            if (!text.empty()) {
                const Rect title{r.left + 6, r.top, r.left + 10 + textWidth(text), r.top + GLYPH_HEIGHT};
                fill(w, title, BUTTON_FACE);
                drawText(w, title.left + 2, r.top, text, ink, 1, false, nullptr, &r);
            }
            break;
        }
    }
}

}  // namespace headless::detail

Dc getDc(Window w) {
    if (!w || !w->alive) return nullptr;
    ++w->contexts;
    auto dc = new DcRec;
    dc->w = w;
    return dc;
}

void releaseDc(Dc dc) { delete dc; }

namespace headless::detail {

std::vector<std::unique_ptr<ImageRec>>& pictures() {
    static std::vector<std::unique_ptr<ImageRec>> all;
    return all;
}

Image keepImage(std::unique_ptr<ImageRec> img) { return pictures().emplace_back(std::move(img)).get(); }

void freeAllImages() { pictures().clear(); }

}  // namespace headless::detail

Image loadImage(const std::string& path, int w, int h) {
    image::Rgba img;
    if (!image::decodeFile(path, img, w, h)) return nullptr;
    auto rec = headless::detail::keepImage(std::make_unique<ImageRec>());
    // Pictures are stretched pixel for pixel; icons are averaged when made smaller.
    rec->img = image::scale(img, w, h, img.icon ? image::Scale::Box : image::Scale::Nearest);
    return rec;
}

void freeImage(Image img) {
    auto& all = headless::detail::pictures();
    auto it = std::find_if(all.begin(), all.end(), [img](const auto& p) { return p.get() == img; });
    if (img && it != all.end()) all.erase(it);
}
int imageWidth(Image img) { return img ? img->img.w : 0; }
int imageHeight(Image img) { return img ? img->img.h : 0; }

void drawImage(Dc dc, Image img, int x, int y) {
    if (!dc || !img || !dc->w->alive) return;
    Window w = dc->w;
    const image::Rgba& src = img->img;
    const int x0 = std::max(0, -x), y0 = std::max(0, -y);
    const int x1 = std::min(src.w, w->w - x), y1 = std::min(src.h, w->h - y);
    for (int sy = y0; sy < y1; ++sy) {
        // The row from its start, so a picture left of the window never forms a
        // pointer before the framebuffer.
        std::uint32_t* row = &w->fb[static_cast<std::size_t>(y + sy) * w->w];
        for (int sx = x0; sx < x1; ++sx) {
            const std::uint8_t* s = src.at(sx, sy);
            const unsigned a = src.icon ? s[3] : 255;
            if (a == 0) continue;
            if (a == 255) {
                row[x + sx] = (static_cast<std::uint32_t>(s[0]) << 16) | (s[1] << 8) | s[2];
                continue;
            }
            const std::uint32_t d = row[x + sx];
            auto mix = [a](unsigned fg, unsigned bg) { return (fg * a + bg * (255 - a) + 127) / 255; };
            row[x + sx] = (mix(s[0], (d >> 16) & 255) << 16) | (mix(s[1], (d >> 8) & 255) << 8) | mix(s[2], d & 255);
        }
    }
}

void rectangle(Dc dc, const Rect& r, Color pen, Color brush) {
    if (!dc || !dc->w->alive || r.left >= r.right || r.top >= r.bottom) return;
    fill(dc->w, r, brush);
    fill(dc->w, {r.left, r.top, r.right, r.top + 1}, pen);
    fill(dc->w, {r.left, r.bottom - 1, r.right, r.bottom}, pen);
    fill(dc->w, {r.left, r.top, r.left + 1, r.bottom}, pen);
    fill(dc->w, {r.right - 1, r.top, r.right, r.bottom}, pen);
}


void textOut(Dc dc, int x, int y, std::string_view utf8) {
    if (!dc || !dc->w->alive) return;
    // The built-in font is 13 pixels high; bigger fonts draw it at whole multiples.
    const int scale = dc->font ? std::max(1, (dc->font->height + 6) / GLYPH_HEIGHT) : 1;
    const bool bold = dc->font && dc->font->weight >= 600;
    drawText(dc->w, x, y, utf8, dc->text, scale, bold, dc->transparent ? nullptr : &dc->bk);
}

int textWidth(Dc dc, std::string_view utf8) {
    if (!dc || !dc->w->alive) return 0;
    const int scale = dc->font ? std::max(1, (dc->font->height + 6) / GLYPH_HEIGHT) : 1;
    return headless::detail::textWidth(utf8) * scale;
}

Font createFont(std::string_view face, int height, int weight, bool) {
    auto f = new FontRec;
    f->face = std::string(face);
    f->height = height < 0 ? -height : height;
    f->weight = weight;
    return f;
}

void deleteFont(Font f) { delete f; }

}  // namespace platform
