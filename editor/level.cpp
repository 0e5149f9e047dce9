#include "level.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "draw.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "editorstate.h"

namespace {

// A start number: the whole token must be a decimal integer.
void readStartNumber(const std::vector<std::string>& tokens, std::size_t index, int& out,
                     LevelRead& read) {
    out = 0;
    if (index >= tokens.size()) {
        read.startUnreadable = true;
        return;
    }
    const std::string& text = tokens[index];
    errno = 0;
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || *end != '\0') {
        read.startUnreadable = true;
        return;
    }
    if (errno == ERANGE || value < 0 || value > EDITOR_COLS - 1) {
        read.startOutside = true;
        out = value < 0 ? 0 : EDITOR_COLS - 1;
        return;
    }
    out = static_cast<int>(value);
}

platform::BoxStyle plainBox(platform::BoxIcon icon = platform::BoxIcon::None) {
    platform::BoxStyle style;
    style.icon = icon;
    style.taskModal = true;
    style.foreground = true;
    return style;
}

}  // namespace

std::string formatLevel(const char* grid, int startCol, int startRow) {
    std::string text(grid, EDITOR_CELLS);
    for (char& c : text)
        if (c == 0) c = FOND_TILE;
    // A file that opens with the bytes of a UTF-8 byte-order mark loses them when
    // read (the reader skips the mark): that first cell, no tile anyway, is
    // written as background.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text[0] = FOND_TILE;
    char tail[32];
    std::snprintf(tail, sizeof tail, " %d %d ", startCol, startRow);
    return text + tail;
}

LevelRead parseLevel(bool opened, const std::vector<std::string>& tokens) {
    LevelRead read;
    read.opened = opened;
    read.grid.assign(EDITOR_CELLS, FOND_TILE);
    if (!opened) return read;
    const std::string empty;
    const std::string& token = tokens.empty() ? empty : tokens[0];
    std::size_t n = token.size() < read.grid.size() ? token.size() : read.grid.size();
    for (std::size_t k = 0; k < n; ++k) read.grid[k] = token[k] != 0 ? token[k] : FOND_TILE;
    read.shortGrid = n < read.grid.size();
    readStartNumber(tokens, 1, read.startCol, read);
    readStartNumber(tokens, 2, read.startRow, read);
    return read;
}

void editorLoadLevel(bool atStart) {
    std::vector<std::string> tokens;
    bool opened = platform::readTokens(EDITOR_LEVEL_FILE, tokens, 3);
    LevelRead read = parseLevel(opened, tokens);

    if (!opened && !atStart) {
        platform::messageBox(es.editorWindow,
                             "Impossible d'ouvrir perso.niv: le niveau n'a pas été chargé.",
                             EDITOR_CAPTION, plainBox(platform::BoxIcon::Error));
        return;
    }
    std::memcpy(es.editorGrid, read.grid.data(), EDITOR_CELLS);
    es.startCol = read.startCol;
    es.startRow = read.startRow;
    drawWholeGrid();
    drawXpFigure();

    if (!opened && !platform::fileExists(EDITOR_LEVEL_FILE)) {
        platform::messageBox(es.editorWindow,
                             "Le fichier perso.niv est introuvable: un niveau vide (tout en "
                             "fond) est ouvert, avec le départ en haut à gauche.",
                             EDITOR_CAPTION, plainBox(platform::BoxIcon::Info));
        return;
    }
    if (!opened) {  // there, but gives nothing: a folder, a pipe, a file protected against reading
        platform::messageBox(es.editorWindow,
                             "Le fichier perso.niv ne peut pas être lu (ce n'est pas un fichier, ou sa "
                             "lecture est interdite): un niveau vide (tout en fond) est ouvert, avec le "
                             "départ en haut à gauche.",
                             EDITOR_CAPTION, plainBox(platform::BoxIcon::Warning));
        return;
    }
    std::string problems;
    if (read.shortGrid)
        problems += "\nLe niveau est incomplet: les cases manquantes sont du fond.";
    // Each number is read on its own: the box names the cell really used.
    const std::string cell =
        "colonne " + std::to_string(read.startCol) + ", ligne " + std::to_string(read.startRow);
    if (read.startUnreadable)
        problems += "\nLe point de départ est illisible: ce qui n'est pas un nombre compte pour 0, "
                    "il est mis en " + cell + ".";
    else if (read.startOutside)
        problems += "\nLe point de départ est hors de la grille: il est ramené au bord, en " + cell + ".";
    if (problems.empty()) {
        platform::messageBox(es.editorWindow, "Niveau chargé!", EDITOR_CAPTION, plainBox());
    } else {
        platform::messageBox(es.editorWindow, "Niveau chargé en partie." + problems,
                             EDITOR_CAPTION, plainBox(platform::BoxIcon::Warning));
    }
}

bool editorSaveLevel() {
    std::string bytes = formatLevel(es.editorGrid, es.startCol, es.startRow);
    if (!platform::replaceFile(EDITOR_LEVEL_FILE, bytes)) {
        platform::messageBox(es.editorWindow,
                             "La sauvegarde a échoué: perso.niv n'a pas pu être écrit. "
                             "Le fichier précédent, s'il existe, n'a pas changé.",
                             EDITOR_CAPTION, plainBox(platform::BoxIcon::Error));
        return false;
    }
    platform::messageBox(es.editorWindow, "sauvegardé", EDITOR_CAPTION, plainBox());
    return true;
}
