#include "world/scene.h"

#include <cmath>

#include "state.h"

void loadTileBitmaps() {
    for (int k = FIRST_TILE_CODE; k <= LAST_TILE_CODE; ++k) {
        std::string path = gs.imagesDir;
        path += static_cast<char>(k);
        path += ".bmp";
        gs.tileBitmaps[k] = platform::loadImage(path, TILE_PX, TILE_PX);
    }
}

void refreshView() {
    for (int r = 0; r < VIEW_ROWS; ++r)
        for (int c = 0; c < VIEW_COLS; ++c)
            gs.view[r][c] = gs.LevelGrid[gs.viewTop + r][gs.viewLeft + c];
}

void drawScene() {
    platform::Dc dc = platform::getDc(gs.mainWindow);
    for (int c = 0; c < VIEW_COLS; ++c)
        for (int r = 0; r < VIEW_ROWS; ++r) {
            // An empty entry draws nothing: the cell keeps its old pixels.
            platform::Image tile = gs.tileBitmaps[static_cast<unsigned char>(gs.view[r][c])];
            if (tile) platform::drawImage(dc, tile, c * TILE_PX, r * TILE_PX);
        }
    platform::releaseDc(dc);
    if (gs.lookMode) return;
    switch (gs.heroFacing) {
        case -1: drawHero(gs.heroLeftIconPath); break;
        case 0: drawHero(gs.heroFrontIconPath); break;
        case 1: drawHero(gs.heroRightIconPath); break;
        default: break;
    }
}

void drawHero(const std::string& iconPath) {
    platform::Image icon = platform::loadImage(iconPath, TILE_PX, TILE_PX);
    if (!icon) return;
    platform::Dc dc = platform::getDc(gs.mainWindow);
    platform::drawImage(dc, icon, gs.heroCol * TILE_PX, gs.heroRow * TILE_PX);
    platform::releaseDc(dc);
    platform::freeImage(icon);
}

void drawBar(platform::Window window, int x, int y, int length, int value, int red, int green,
             int blue) {
    platform::Dc dc = platform::getDc(window);
    platform::rectangle(dc, platform::Rect{x, y, x + length + 2, y + 11}, platform::rgb(0, 0, 0),
                        platform::rgb(255, 255, 255));
    platform::Color fill = platform::rgb(red, green, blue);
    platform::rectangle(dc, platform::Rect{x + 1, y + 1, x + 1 + value, y + 10}, fill, fill);
    platform::releaseDc(dc);
}

platform::Point dialogPlace(platform::Window dlg, int x, int y, int w, int h) {
    // Pixels of 4 x 8 dialog units: the dialog's base units.
    const platform::Rect unit = platform::mapDialogRect(dlg, platform::Rect{0, 0, 4, 8});
    const double sx = unit.right / 6.0, sy = unit.bottom / 13.0;
    return platform::Point{static_cast<int>(std::lround((x + w / 2.0) * sx - w / 2.0)),
                           static_cast<int>(std::lround((y + h / 2.0) * sy - h / 2.0))};
}
