// Pictures, fonts and drawing into the backing stores.
#include <algorithm>
#include <cmath>
#include <wx/graphics.h>

#include "image_decode.h"
#include "internal.h"

namespace platform {
namespace {

const ResourceBlob* resources = nullptr;
std::size_t resourceCount = 0;

wxColour wxc(Color c) { return wxColour(c.r, c.g, c.b); }

Image fromRgba(const image::Rgba& src) {
    if (src.w <= 0 || src.h <= 0) return nullptr;
    wxImage img(src.w, src.h, false);
    unsigned char* rgb = img.GetData();
    if (src.icon) img.InitAlpha();
    unsigned char* alpha = src.icon ? img.GetAlpha() : nullptr;
    const std::size_t n = static_cast<std::size_t>(src.w) * src.h;
    for (std::size_t i = 0; i < n; ++i) {
        rgb[i * 3] = src.px[i * 4];
        rgb[i * 3 + 1] = src.px[i * 4 + 1];
        rgb[i * 3 + 2] = src.px[i * 4 + 2];
        if (alpha) alpha[i] = src.px[i * 4 + 3];
    }
    auto* rec = new ImageRec;
    rec->bmp = wxBitmap(img, src.icon ? 32 : 24);
    rec->icon = src.icon;
    return rec;
}

// Marks [x, x+w) x [y, y+h) as drawn (to be shown when the DC is released).
void touched(Window w, int x, int y, int width, int height) {
    wxRect r = wxRect(x, y, width, height).Intersect(wxRect(0, 0, w->w, w->h));
    if (!r.IsEmpty()) w->drawn.Union(r);
}

// Glyph edges smoothed or not: cairo's font options on the context pango
// draws with (wx has no such font attribute).
void setTextAntialias(wxMemoryDC& m, bool on) {
    wxGraphicsContext* gc = m.GetGraphicsContext();
    void* cr = gc ? gc->GetNativeContext() : nullptr;
    if (!cr) return;
    using CreateFn = void* (*)();
    using SetAaFn = void (*)(void*, int);
    using SetFn = void (*)(void*, const void*);
    using DestroyFn = void (*)(void*);
    static auto create = reinterpret_cast<CreateFn>(wxb::gtkSymbol("cairo_font_options_create"));
    static auto setAa = reinterpret_cast<SetAaFn>(wxb::gtkSymbol("cairo_font_options_set_antialias"));
    static auto set = reinterpret_cast<SetFn>(wxb::gtkSymbol("cairo_set_font_options"));
    static auto destroy = reinterpret_cast<DestroyFn>(wxb::gtkSymbol("cairo_font_options_destroy"));
    if (!create || !setAa || !set || !destroy) return;
    void* options = create();
    constexpr int ANTIALIAS_DEFAULT = 0, ANTIALIAS_NONE = 1;
    setAa(options, on ? ANTIALIAS_DEFAULT : ANTIALIAS_NONE);
    set(cr, options);
    destroy(options);
}

}  // namespace

void setResources(const ResourceBlob* table, std::size_t count) {
    resources = table;
    resourceCount = count;
}

Image loadImage(const std::string& path, int w, int h) {
    wxb::ensureApp();
    image::Rgba img;
    if (!image::decodeFile(path, img, w, h)) return nullptr;
    if (w > 0 && h > 0 && (img.w != w || img.h != h))
        img = image::scale(img, w, h, image::Scale::Nearest);
    return fromRgba(img);
}

Image loadResourceImage(int id) {
    wxb::ensureApp();
    for (std::size_t i = 0; i < resourceCount; ++i) {
        if (resources[i].id != id) continue;
        image::Rgba img;
        if (!image::decode(resources[i].data, resources[i].size, img)) return nullptr;
        return fromRgba(img);
    }
    return nullptr;
}

void freeImage(Image img) { delete img; }
int imageWidth(Image img) { return img ? img->bmp.GetWidth() : 0; }
int imageHeight(Image img) { return img ? img->bmp.GetHeight() : 0; }

void drawImage(Dc dc, Image img, int x, int y) {
    if (!dc || !img || !wxb::usable(dc->w)) return;
    dc->w->mem->DrawBitmap(img->bmp, x, y, img->icon);
    touched(dc->w, x, y, img->bmp.GetWidth(), img->bmp.GetHeight());
}

void rectangle(Dc dc, const Rect& r, Color pen, Color brush) {
    if (!dc || !wxb::usable(dc->w)) return;
    if (r.right <= r.left || r.bottom <= r.top) return;
    wxMemoryDC& m = *dc->w->mem;
    const int w = r.right - r.left, h = r.bottom - r.top;
    // Filled without a pen so every edge is exact: the outline is the outer
    // ring of pixels, the brush fills what is inside it.
    m.SetPen(*wxTRANSPARENT_PEN);
    m.SetBrush(wxBrush(wxc(pen)));
    m.DrawRectangle(r.left, r.top, w, h);
    if (w > 2 && h > 2) {
        m.SetBrush(wxBrush(wxc(brush)));
        m.DrawRectangle(r.left + 1, r.top + 1, w - 2, h - 2);
    }
    touched(dc->w, r.left, r.top, w, h);
}


void textOut(Dc dc, int x, int y, std::string_view utf8) {
    if (!dc || !wxb::usable(dc->w) || utf8.empty()) return;
    wxMemoryDC& m = *dc->w->mem;
    m.SetFont(dc->font ? dc->font->font : wxb::defaultFont());
    m.SetTextForeground(wxc(dc->text));
    wxString s = wxString::FromUTF8(utf8.data(), utf8.size());
    wxCoord tw = 0, th = 0;
    m.GetTextExtent(s, &tw, &th);
    if (!dc->transparent) {
        // The text's cell is filled first, as an opaque background does.
        m.SetPen(*wxTRANSPARENT_PEN);
        m.SetBrush(wxBrush(wxc(dc->bk)));
        m.DrawRectangle(x, y, tw, th);
    }
    m.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    const bool crisp = dc->font && !dc->font->antialias;
    if (crisp) setTextAntialias(m, false);
    m.DrawText(s, x, y);
    if (crisp) setTextAntialias(m, true);
    touched(dc->w, x, y, tw, th);
}

int textWidth(Dc dc, std::string_view utf8) {
    if (!dc || !wxb::usable(dc->w) || utf8.empty()) return 0;
    wxMemoryDC& m = *dc->w->mem;
    m.SetFont(dc->font ? dc->font->font : wxb::defaultFont());
    wxCoord tw = 0, th = 0;
    m.GetTextExtent(wxString::FromUTF8(utf8.data(), utf8.size()), &tw, &th);
    return tw;
}

Font createFont(std::string_view face, int height, int weight, bool antialias) {
    wxb::ensureApp();
    wxFont font = wxb::defaultFont();
    wxString f = wxb::resolveFace(wxString::FromUTF8(face.data(), face.size()));
    if (!f.empty()) font.SetFaceName(f);
    if (weight > 0) font.SetNumericWeight(std::clamp(weight, 1, 1000));
    font.SetStyle(wxFONTSTYLE_NORMAL);
    if (height != 0) {
        // The height is the character cell in pixels (a negative one, the
        // height without the internal leading: taken the same). Start from
        // the usual 96 dpi size and correct it by the measured cell once.
        const int want = std::abs(height);
        font.SetFractionalPointSize(want * 0.75);
        wxBitmap probe(1, 1);
        wxMemoryDC m(probe);
        m.SetFont(font);
        const int got = m.GetCharHeight();
        if (got > 0) font.SetFractionalPointSize(want * 0.75 * want / got);
    }
    auto* rec = new FontRec;
    rec->font = font;
    rec->antialias = antialias;
    return rec;
}

void deleteFont(Font f) { delete f; }

}  // namespace platform
