#include "window.h"

#include <cstring>
#include <string>

#include "draw.h"
#include "level.h"
#include "menu.h"
#include "editorstate.h"

namespace {

using platform::Msg;

char& cell(int col, int row) { return es.editorGrid[row * EDITOR_COLS + col]; }

// The start marker is drawn over whatever the cell holds.
void redrawMarkerIfAt(int col, int row) {
    if (col == es.startCol && row == es.startRow) drawStartMarker();
}

void leftButtonDown(int x, int y) {
    std::memcpy(es.undoGrid, es.editorGrid, EDITOR_CELLS);
    es.undoTaken = true;
    es.dragging = 1;
    int col = 0, row = 0;
    if (!cellFromClient(x, y, col, row)) return;
    if (es.currentTool == START_TOOL) {
        int oldCol = es.startCol, oldRow = es.startRow;
        es.startCol = col;
        es.startRow = row;
        drawCell(oldCol, oldRow);
    } else {
        cell(col, row) = es.currentTool;
    }
    drawTileAt(col, row, es.currentTool);
    drawStartMarker();
    drawXpFigure();
    if (es.currentTool == START_TOOL) es.currentTool = es.previousTool;
}

void mouseMove(int x, int y) {
    if (es.dragging != 1 || es.currentTool == START_TOOL) return;
    int col = 0, row = 0;
    if (!cellFromClient(x, y, col, row)) return;
    if (cell(col, row) == es.currentTool) return;  // nothing changes on screen
    cell(col, row) = es.currentTool;
    drawCell(col, row);
    redrawMarkerIfAt(col, row);
    drawXpFigure();
}

void rightButtonDown(int x, int y) {
    int col = 0, row = 0;
    if (!cellFromClient(x, y, col, row)) return;
    cell(col, row) = FOND_TILE;
    drawCell(col, row);
    drawXpFigure();
    drawStartMarker();
}

void showPosition(platform::Window window) {
    platform::Point at = platform::cursorPos(window);
    int col = 0, row = 0;
    cellFromClient(at.x, at.y, col, row);
    std::string text = " X:" + std::to_string(col) + ",Y:" + std::to_string(row) + " ";
    platform::messageBox(window, text, "Position:");
}

// Yes ends the editor; the editor never asks to save first.
bool confirmQuit(platform::Window window) {
    platform::BoxStyle style;
    style.buttons = platform::BoxButtons::YesNo;
    style.icon = platform::BoxIcon::Question;
    style.defaultNo = true;
    style.taskModal = true;
    style.foreground = true;
    return platform::messageBox(window, "Etes vous sûr de vouloir quitter?", EDITOR_CAPTION,
                                style) == platform::Answer::Yes;
}

void command(platform::Window window, int id) {
    if (char tool = toolForCommand(id)) {
        es.currentTool = tool;
        return;
    }
    switch (id) {
        case CMD_SET_START:
            es.previousTool = es.currentTool;
            es.currentTool = START_TOOL;
            break;
        case CMD_UNDO:
            // Nothing to undo before the first press.
            if (!es.undoTaken) break;
            std::memcpy(es.editorGrid, es.undoGrid, EDITOR_CELLS);
            drawWholeGrid();
            drawXpFigure();
            break;
        case CMD_REDRAW:
            platform::invalidate(window, nullptr, false);
            drawWholeGrid();
            break;
        case CMD_LOAD_LEVEL:
            editorLoadLevel(false);
            break;
        case CMD_SAVE_LEVEL:
            editorSaveLevel();
            break;
        case CMD_QUIT_EDITOR:
            if (confirmQuit(window)) platform::destroyWindow(window);
            break;
        default:
            break;
    }
}

}  // namespace

bool cellFromClient(int x, int y, int& col, int& row) {
    col = (x - GRID_ORIGIN_PX) / CELL_PX;
    row = (y - GRID_ORIGIN_PX) / CELL_PX;
    return col >= 0 && col < EDITOR_COLS && row >= 0 && row < EDITOR_ROWS;
}

long editorWindowProc(platform::Window window, Msg msg, long a, long b) {
    switch (msg) {
        case Msg::Paint:
            // The backing store keeps what was drawn; the grid is drawn again
            // anyway so that nothing the system erased stays empty.
            drawWholeGrid();
            drawXpFigure();
            return 0;
        case Msg::LButtonDown:
            leftButtonDown(static_cast<int>(a), static_cast<int>(b));
            return 0;
        case Msg::MouseMove:
            mouseMove(static_cast<int>(a), static_cast<int>(b));
            return 0;
        case Msg::LButtonUp:
            es.dragging = 0;
            return 0;
        case Msg::RButtonDown:
            rightButtonDown(static_cast<int>(a), static_cast<int>(b));
            return 0;
        case Msg::KeyDown:
            showPosition(window);
            return 0;
        case Msg::Command:
            command(window, static_cast<int>(a));
            return 0;
        case Msg::Close:
            if (confirmQuit(window)) platform::destroyWindow(window);
            return 0;
        case Msg::Destroy:
            if (es.editorWindow == window) es.editorWindow = nullptr;
            return 0;
        default:
            return platform::defaultWindowProc(window, msg, a, b);
    }
}
