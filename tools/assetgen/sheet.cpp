// The contact sheet: every picture on one page, enlarged, to judge the art at a glance.
#include "artset.h"

#include <algorithm>
#include <map>
#include <string>

namespace assetgen {

namespace {

void frame(Picture& p, int x, int y, int w, int h) {
    const Rgba c = rgb(90, 90, 100);
    p.fillRect(x - 1, y - 1, w + 2, 1, c);
    p.fillRect(x - 1, y + h, w + 2, 1, c);
    p.fillRect(x - 1, y - 1, 1, h + 2, c);
    p.fillRect(x + w, y - 1, 1, h + 2, c);
}

// Three by five glyphs for the tile codes, to label the sheet.
const std::map<std::string, std::string>& labelFont() {
    static const std::map<std::string, std::string> f = {
        {"a", "010101111101101"},
        {"b", "110101110101110"},
        {"c", "011100100100011"},
        {"d", "110101101101110"},
        {"e", "111100110100111"},
        {"f", "111100110100100"},
        {"g", "011100101101011"},
        {"h", "101101111101101"},
        {"i", "111010010010111"},
        {"j", "001001001101010"},
        {"k", "101101110101101"},
        {"l", "100100100100111"},
        {"m", "101111111101101"},
        {"n", "110101101101101"},
        {"o", "010101101101010"},
        {"p", "110101110100100"},
        {"q", "010101101111011"},
        {"r", "110101110101101"},
        {"s", "011100010001110"},
        {"t", "111010010010010"},
        {"u", "101101101101111"},
        {"v", "101101101101010"},
        {"w", "101101111111101"},
        {"x", "101101010101101"},
        {"y", "101101010010010"},
        {"z", "111001010100111"},
        {"0", "111101101101111"},
        {"1", "010110010010111"},
        {"2", "110001010100111"},
        {"3", "110001010001110"},
        {"4", "101101111001001"},
        {"5", "111100110001110"},
        {"6", "011100111101111"},
        {"7", "111001010010010"},
        {"8", "111101111101111"},
        {"9", "111101111001110"},
        {"#", "101111101111101"},
        {"(", "001010010010001"},
        {")", "100010010010100"},
        {"@", "111101111100011"},
        {"\xC2\xB2", "110001010100111"},  // the start marker, drawn as a 2
    };
    return f;
}

// The code of a picture in a small dark box at its top-left corner.
void label(Picture& p, const std::string& code, int x, int y, int scale) {
    auto it = labelFont().find(code);
    if (it == labelFont().end()) return;
    p.fillRect(x, y, 3 * scale + 4, 5 * scale + 4, rgb(20, 20, 24));
    for (int j = 0; j < 5; ++j)
        for (int i = 0; i < 3; ++i)
            if (it->second[static_cast<std::size_t>(j * 3 + i)] == '1')
                p.fillRect(x + 2 + i * scale, y + 2 + j * scale, scale, scale, rgb(255, 235, 120));
}

}  // namespace

Picture contactSheet(const ArtSet& art) {
    const int pad = 8, perRow = 10;
    const int tileRows = (static_cast<int>(art.tiles.size()) + perRow - 1) / perRow;
    const int width = perRow * (96 + pad) + pad;
    const int smallPerRow = 16;
    const int smallRows = (static_cast<int>(art.smallTiles.size()) + smallPerRow - 1) / smallPerRow;
    int height = pad + tileRows * (96 + pad)             // tiles at 4x
                 + (21 * 3 + pad) * 2                     // item copies at 3x, two rows
                 + 96 + pad                               // icons over tiles at 4x
                 + 350 + pad                              // title and credits
                 + smallRows * (56 + pad) + pad;          // the 7-pixel set at 8x
    Picture sheet(width, height, rgb(40, 40, 46));
    int y = pad;
    int i = 0;
    for (const auto& [code, p] : art.tiles) {
        const int x = pad + (i % perRow) * (96 + pad);
        const int ty = y + (i / perRow) * (96 + pad);
        blit(sheet, p, x, ty, 4);
        frame(sheet, x, ty, 96, 96);
        label(sheet, code, x, ty, 3);
        ++i;
    }
    y += tileRows * (96 + pad);
    i = 0;
    const int copiesPerRow = width / (72 + pad);
    for (const auto& [code, p] : art.itemCopies) {
        const int x = pad + (i % copiesPerRow) * (72 + pad);
        blit(sheet, p, x, y + (i / copiesPerRow) * (63 + pad), 3);
        ++i;
    }
    for (const auto& s : art.pictures)
        if (s.name == "pas") {
            const int x = pad + (i % copiesPerRow) * (72 + pad);
            blit(sheet, s.picture, x, y + (i / copiesPerRow) * (63 + pad), 3);
        }
    y += (63 + pad) * 2;
    // Hero icons over the background, a ladder and the floor; program icons on grey.
    int x = pad;
    for (const auto& s : art.pictures) {
        if (s.icon.empty() && !s.resource) continue;
        for (const char* under : {"a", "q"}) {
            if (s.resource) under = "";
            Picture cell = s.picture.w == 24 && art.tiles.count(under) ? art.tiles.at(under) : Picture(s.picture.w, s.picture.h, rgb(128, 128, 136));
            blit(cell, s.picture, 0, 0);
            blit(sheet, cell, x, y, s.picture.w > 24 ? 3 : 4);
            x += (s.picture.w > 24 ? 96 : 96) + pad;
            if (s.resource) break;
        }
    }
    y += 96 + pad;
    x = pad;
    for (const auto& sc : art.scenes) {
        blit(sheet, sc.picture, x, y);
        x += sc.picture.w + pad;
    }
    y += 350 + pad;
    i = 0;
    for (const auto& [code, p] : art.smallTiles) {
        const int sx = pad + (i % smallPerRow) * (56 + pad);
        blit(sheet, p, sx, y + (i / smallPerRow) * (56 + pad), 8);
        label(sheet, code, sx, y + (i / smallPerRow) * (56 + pad), 2);
        ++i;
    }
    return sheet;
}

}  // namespace assetgen
