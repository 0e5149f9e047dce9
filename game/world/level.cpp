#include "world/level.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/platform.h"
#include "state.h"
#include "world/scene.h"

namespace {

// A byte that names a tile: one of the codes that have a picture. Zero bytes,
// control characters and the bytes above the table are not.
bool isTileCode(char code) {
    const auto c = static_cast<unsigned char>(code);
    return c >= FIRST_TILE_CODE && c <= LAST_TILE_CODE;
}

struct GridRead {
    bool complete = true;  // the token had all 10,000 cells
    int unknown = 0;       // cells that were no tile code
};

// Copies the grid token; cells the token does not reach become background, and
// so does a byte that is no tile code (a zero byte would cut a saved grid short,
// and the others have no picture). One table lookup a cell.
GridRead copyGrid(const std::string& token) {
    struct Tables {
        std::array<char, 256> cell;
        std::array<int, 256> unknown;
    };
    static const Tables t = [] {
        Tables t{};
        for (int b = 0; b < 256; ++b) {
            const bool tile = isTileCode(static_cast<char>(b));
            t.cell[b] = tile ? static_cast<char>(b) : EMPTY_CELL;
            t.unknown[b] = tile ? 0 : 1;
        }
        return t;
    }();
    GridRead read;
    std::array<char, GRID_CELLS> cells;
    cells.fill(EMPTY_CELL);
    const std::size_t n = std::min(token.size(), cells.size());
    for (std::size_t k = 0; k < n; ++k) {
        const auto byte = static_cast<unsigned char>(token[k]);
        cells[k] = t.cell[byte];
        read.unknown += t.unknown[byte];
    }
    static_assert(sizeof gs.LevelGrid == GRID_CELLS);
    std::memcpy(gs.LevelGrid, cells.data(), cells.size());
    read.complete = token.size() >= cells.size();
    return read;
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

// One box for everything a level file got wrong.
void warn(std::string text) {
    while (!text.empty() && text.back() == '\n') text.pop_back();
    if (text.empty()) return;
    platform::messageBox(gs.mainWindow, text, "Niveau...",
                         platform::BoxStyle{platform::BoxButtons::Ok, platform::BoxIcon::Warning});
}

// Reads the grid token of a level file. Returns false when the file could not
// be read; what went wrong with the grid is added to the warning.
bool loadGridFrom(const char* file, std::vector<std::string>& tokens, std::size_t maxTokens,
                  std::string& warning) {
    bool opened = platform::readTokens(file, tokens, maxTokens);
    GridRead read = copyGrid(tokens.empty() ? std::string() : tokens[0]);
    const std::string level = std::string("Le niveau ") + file;
    if (!opened) {
        // Something that is there but gives nothing (a folder, a pipe, a file
        // protected against reading) is not said to be missing.
        warning = level + (platform::fileExists(file)
                               ? " ne peut pas être lu (ce n'est pas un fichier, ou sa lecture est interdite): "
                                 "le château est vide."
                               : " est introuvable dans le dossier du jeu: le château est vide.");
        return false;
    }
    if (!read.complete) warning += level + " est incomplet: les cases manquantes sont vides.\n";
    if (read.unknown > 0) {
        warning += level + " contient " + std::to_string(read.unknown) +
                   (read.unknown == 1 ? " case qui n'est pas une tuile: elle est vide.\n"
                                      : " cases qui ne sont pas des tuiles: elles sont vides.\n");
    }
    return true;
}

}  // namespace

void loadBuiltinLevel() {
    std::vector<std::string> tokens;
    std::string warning;
    loadGridFrom(BUILTIN_LEVEL_FILE, tokens, 1, warning);
    warn(warning);
}

void loadCustomLevel() {
    std::vector<std::string> tokens;
    std::string warning;
    bool opened = loadGridFrom(CUSTOM_LEVEL_FILE, tokens, 3, warning);
    NumberRead col = readStartNumber(tokens, 1, gs.customStartCol);
    NumberRead row = readStartNumber(tokens, 2, gs.customStartRow);
    if (opened) {
        // Each number is read on its own: the warning names the cell the hero
        // really starts from.
        const std::string cell = "colonne " + std::to_string(gs.customStartCol) + ", ligne " +
                                 std::to_string(gs.customStartRow);
        const std::string start = std::string("Le point de départ du niveau ") + CUSTOM_LEVEL_FILE;
        if (col == NumberRead::Unreadable || row == NumberRead::Unreadable) {
            warning += start + " est illisible: ce qui n'est pas un nombre compte pour 0, le héros part de la " +
                       cell + ".\n";
        } else if (col == NumberRead::Clamped || row == NumberRead::Clamped) {
            warning += start + " est hors du château: il est ramené au bord, en " + cell + ".\n";
        }
    }
    warn(warning);
}

char cellAt(int row, int col) {
    if (row < 0 || row >= GRID_ROWS || col < 0 || col >= GRID_COLS) return OUTSIDE_CELL;
    return gs.LevelGrid[row][col];
}
