// Any niveau.niv or perso.niv as the game reads it (the first byte picks
// which): every cell is defined, the start cell of perso.niv lies inside the
// grid, a short grid or bytes that are no tile are told to the player in one
// box, and those cells are background.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/headless.h"
#include "scratch.h"
#include "state.h"
#include "world/level.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

int boxes() {
    int n = 0;
    for (const std::string& line : platform::headless::transcript()) n += line.rfind("box ", 0) == 0;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    fuzz::enterScratchDir();
    platform::headless::reset();
    const bool custom = data[0] & 1;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    fuzz::writeFile(custom ? CUSTOM_LEVEL_FILE : BUILTIN_LEVEL_FILE, text);

    gs.customStartCol = -7;
    gs.customStartRow = 1000;
    if (custom) {
        loadCustomLevel();
        check(gs.customStartCol >= 0 && gs.customStartCol < GRID_COLS && gs.customStartRow >= 0 &&
              gs.customStartRow < GRID_ROWS);
    } else {
        loadBuiltinLevel();
    }
    const std::string grid = fuzz::firstToken(text);
    bool unknown = false;
    for (int k = 0; k < GRID_CELLS; ++k) {
        const char byte = k < static_cast<int>(grid.size()) ? grid[k] : EMPTY_CELL;
        const bool tile = byte >= '"' && byte <= '{';  // bytes that are no tile code read as background
        unknown |= !tile;
        check(gs.LevelGrid[k / GRID_COLS][k % GRID_COLS] == (tile ? byte : EMPTY_CELL));
    }
    // A short grid or one with cells that are no tile is told to the player, once.
    if (grid.size() < static_cast<std::size_t>(GRID_CELLS) || unknown) check(boxes() == 1);
    check(cellAt(-1, 0) == OUTSIDE_CELL && cellAt(0, GRID_COLS) == OUTSIDE_CELL);
    return 0;
}
