// A bitmap font read from a text source, for lettering drawn into pictures.
#pragma once

#include "image.h"

#include <map>
#include <string>
#include <vector>

namespace assetgen {

struct Glyph {
    int w = 0;
    std::vector<std::string> rows;  // '#' is ink
};

struct Font {
    int height = 0;
    int space = 4;
    std::map<char, Glyph> glyphs;
};

Font parseFont(const std::string& text, const std::string& file);
// Width in font pixels (one pixel between letters); throws on a missing glyph.
int textWidth(const Font& f, const std::string& s);
// Ink mask of the text at the given scale, 1 where there is ink.
Picture renderMask(const Font& f, const std::string& s, int scale);

// Draws lettering: a vertical gradient from top to bottom colour, an outline
// of the given thickness and a drop shadow.
struct Lettering {
    int scale = 1;
    Rgba top, bottom, outline, shadow;
    int outlineWidth = 1;
    int shadowOffset = 2;
};
void drawText(Picture& dst, const Font& f, const std::string& s, int x, int y, const Lettering& style);

}  // namespace assetgen
