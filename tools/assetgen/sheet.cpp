// The contact sheet: every picture on one page, enlarged, to judge the art at a glance.
#include "artset.h"

#include <algorithm>

namespace assetgen {

namespace {

void frame(Picture& p, int x, int y, int w, int h) {
    const Rgba c = rgb(90, 90, 100);
    p.fillRect(x - 1, y - 1, w + 2, 1, c);
    p.fillRect(x - 1, y + h, w + 2, 1, c);
    p.fillRect(x - 1, y - 1, 1, h + 2, c);
    p.fillRect(x + w, y - 1, 1, h + 2, c);
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
        ++i;
    }
    return sheet;
}

}  // namespace assetgen
