#include "world/level.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/platform.h"
#include "state.h"

namespace {

// Copies the grid token; cells the token does not reach become background, and
// so does a zero byte, which no tile has and which would cut a saved grid short.
// Returns false when the token was too short.
bool copyGrid(const std::string& token) {
    for (int k = 0; k < GRID_CELLS; ++k) {
        char code = k < static_cast<int>(token.size()) ? token[k] : EMPTY_CELL;
        gs.LevelGrid[k / GRID_COLS][k % GRID_COLS] = code == '\0' ? EMPTY_CELL : code;
    }
    return token.size() >= static_cast<std::size_t>(GRID_CELLS);
}

enum class NumberRead { Ok, Unreadable, Clamped };

// A start number: the whole token must be a decimal integer; anything else is
// 0, and a value outside the grid is brought back to its border.
NumberRead readStartNumber(const std::vector<std::string>& tokens, std::size_t index,
                           int& out) {
    out = 0;
    if (index >= tokens.size()) return NumberRead::Unreadable;
    const std::string& text = tokens[index];
    errno = 0;
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || *end != '\0') return NumberRead::Unreadable;
    if (errno == ERANGE || value < 0 || value > GRID_COLS - 1) {
        out = value < 0 ? 0 : GRID_COLS - 1;
        return NumberRead::Clamped;
    }
    out = static_cast<int>(value);
    return NumberRead::Ok;
}

void warn(const std::string& text) {
    platform::messageBox(gs.mainWindow, text, "Niveau...",
                         platform::BoxStyle{platform::BoxButtons::Ok, platform::BoxIcon::Warning});
}

// Reads the grid token of a level file; tells the player when cells are missing.
bool loadGridFrom(const char* file, std::vector<std::string>& tokens, std::size_t maxTokens) {
    bool opened = platform::readTokens(file, tokens, maxTokens);
    bool complete = copyGrid(tokens.empty() ? std::string() : tokens[0]);
    if (!opened) {
        warn(std::string("Le niveau ") + file +
             " est introuvable dans le dossier du jeu: le château est vide.");
    } else if (!complete) {
        warn(std::string("Le niveau ") + file +
             " est incomplet: les cases manquantes sont vides.");
    }
    return opened;
}

}  // namespace

void loadBuiltinLevel() {
    std::vector<std::string> tokens;
    loadGridFrom(BUILTIN_LEVEL_FILE, tokens, 1);
}

void loadCustomLevel() {
    std::vector<std::string> tokens;
    bool opened = loadGridFrom(CUSTOM_LEVEL_FILE, tokens, 3);
    NumberRead col = readStartNumber(tokens, 1, gs.customStartCol);
    NumberRead row = readStartNumber(tokens, 2, gs.customStartRow);
    if (!opened) return;  // already told
    if (col == NumberRead::Unreadable || row == NumberRead::Unreadable) {
        warn(std::string("Le point de départ du niveau ") + CUSTOM_LEVEL_FILE +
             " est illisible: le héros part du coin en haut à gauche.");
    } else if (col == NumberRead::Clamped || row == NumberRead::Clamped) {
        warn(std::string("Le point de départ du niveau ") + CUSTOM_LEVEL_FILE +
             " est hors du château: il est ramené au bord.");
    }
}

char cellAt(int row, int col) {
    if (row < 0 || row >= GRID_ROWS || col < 0 || col >= GRID_COLS) return OUTSIDE_CELL;
    return gs.LevelGrid[row][col];
}
