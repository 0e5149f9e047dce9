#include "draw.h"

#include "platform/files.h"
#include "platform/platform.h"
#include "editorstate.h"

namespace {

// A cell without a picture shows the window background, so a cell painted
// with such a tile does not keep the old picture.
void drawPicture(platform::Dc dc, int col, int row, char tile) {
    int x = GRID_ORIGIN_PX + CELL_PX * col;
    int y = GRID_ORIGIN_PX + CELL_PX * row;
    platform::Image image = es.editorTileBitmaps[static_cast<unsigned char>(tile)];
    if (image) {
        platform::drawImage(dc, image, x, y);
    } else {
        platform::rectangle(dc, {x, y, x + CELL_PX, y + CELL_PX}, platform::BUTTON_FACE,
                            platform::BUTTON_FACE);
    }
}

bool insideGrid(int col, int row) {
    return col >= 0 && col < EDITOR_COLS && row >= 0 && row < EDITOR_ROWS;
}

}  // namespace

std::string editorImagePath(char tile) {
    return es.editorImagesDir + platform::cp1252ToUtf8(std::string(1, tile)) + ".bmp";
}

void loadEditorTiles() {
    for (int c = 0x22; c <= 0x7B; ++c) {
        if (c == '/') continue;  // not a file name
        platform::freeImage(es.editorTileBitmaps[c]);
        es.editorTileBitmaps[c] = platform::loadImage(editorImagePath(static_cast<char>(c)),
                                                      CELL_PX, CELL_PX);
    }
    unsigned char marker = static_cast<unsigned char>(START_TOOL);
    platform::freeImage(es.editorTileBitmaps[marker]);
    es.editorTileBitmaps[marker] = platform::loadImage(editorImagePath(START_TOOL), CELL_PX, CELL_PX);
}

void drawWholeGrid() {
    if (!es.editorWindow) return;
    platform::Dc dc = platform::getDc(es.editorWindow);
    for (int col = 0; col < EDITOR_COLS; ++col)
        for (int row = 0; row < EDITOR_ROWS; ++row)
            drawPicture(dc, col, row, es.editorGrid[row * EDITOR_COLS + col]);
    if (insideGrid(es.startCol, es.startRow)) drawPicture(dc, es.startCol, es.startRow, START_TOOL);
    platform::releaseDc(dc);
}

void drawStartMarker() { drawTileAt(es.startCol, es.startRow, START_TOOL); }

void drawCell(int col, int row) {
    if (!insideGrid(col, row)) return;
    drawTileAt(col, row, es.editorGrid[row * EDITOR_COLS + col]);
}

void drawTileAt(int col, int row, char tile) {
    if (!es.editorWindow || !insideGrid(col, row)) return;
    platform::Dc dc = platform::getDc(es.editorWindow);
    drawPicture(dc, col, row, tile);
    platform::releaseDc(dc);
}

void drawXpFigure() {
    if (!es.editorWindow) return;
    platform::Dc dc = platform::getDc(es.editorWindow);
    // Clears the whole strip right of the grid: a shorter figure leaves no digit behind.
    platform::rectangle(dc, {XP_X - 4, XP_Y - 4, EDITOR_CLIENT_W, XP_Y + 28}, platform::BUTTON_FACE,
                        platform::BUTTON_FACE);
    platform::textOut(dc, XP_X, XP_Y, "XP:" + std::to_string(levelXp(es.editorGrid)));
    platform::releaseDc(dc);
}

int levelXp(const char* grid) {
    int xp = 0;
    for (int k = 0; k < EDITOR_CELLS; ++k) {
        switch (grid[k]) {
            case 'g': xp += 1; break;
            case 'k': xp += 3; break;
            case 'i': xp += 4; break;
            default: break;
        }
    }
    return xp;
}
