#include "editor.h"

#include "draw.h"
#include "level.h"
#include "menu.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "editorstate.h"
#include "window.h"

namespace {

constexpr int EDITOR_ICON = 101;

void line(std::string& out, const char* name, const std::string& value) {
    out += name;
    out += '=';
    out += value;
    out += '\n';
}

std::string asText(const char* bytes, std::size_t n) {
    std::string text(bytes, n);
    for (char& c : text)
        if (c == 0) c = ' ';
    return platform::cp1252ToUtf8(text);
}

}  // namespace

int editorMain() {
    resetEditorState();
    editorLoadLevel(true);
    es.editorImagesDir = platform::dirName(platform::executablePath()) + "/imagese/";
    loadEditorTiles();

    platform::WindowInit principale;
    principale.className = "std";
    principale.title = " Editeur pour    'La Malediction De Quelmar'  ";
    principale.x = 0;
    principale.y = 0;
    principale.clientW = EDITOR_CLIENT_W;
    principale.clientH = EDITOR_CLIENT_H;
    principale.menu = &editorMenu();
    principale.proc = editorWindowProc;
    principale.smallIconId = EDITOR_ICON;
    es.editorWindow = platform::createWindow(principale);
    if (!es.editorWindow) return 1;
    drawWholeGrid();
    drawXpFigure();
    int code = platform::runMessageLoop(es.editorWindow);
    for (platform::Image& image : es.editorTileBitmaps) {
        platform::freeImage(image);
        image = nullptr;
    }
    return code;
}

std::string editorStateDump() {
    std::string out;
    line(out, "startCol", std::to_string(es.startCol));
    line(out, "startRow", std::to_string(es.startRow));
    line(out, "currentTool", asText(&es.currentTool, 1));
    line(out, "previousTool", asText(&es.previousTool, 1));
    line(out, "dragging", std::to_string(es.dragging));
    line(out, "levelXp", std::to_string(levelXp(es.editorGrid)));
    line(out, "grid", asText(es.editorGrid, EDITOR_CELLS));
    return out;
}
