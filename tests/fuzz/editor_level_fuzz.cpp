// Any perso.niv as the editor reads it: the grid is always 10,000 cells of
// non-zero bytes, the start inside the grid, every fault flagged, and what the
// editor writes back reads again as the same level with nothing to report.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "editorstate.h"
#include "level.h"
#include "platform/files.h"
#include "scratch.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

LevelRead readFile(const std::string& bytes, std::vector<std::string>& tokens) {
    fuzz::writeFile("perso.niv", bytes);
    check(platform::readTokens("perso.niv", tokens, 3));
    check(tokens.size() <= 3);
    return parseLevel(true, tokens);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::enterScratchDir();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> tokens;
    const LevelRead read = readFile(bytes, tokens);

    const std::string grid = fuzz::firstToken(bytes);
    check(tokens.empty() == grid.empty() && (tokens.empty() || tokens[0] == grid));
    check(read.grid.size() == static_cast<std::size_t>(EDITOR_CELLS));
    check(read.shortGrid == (grid.size() < read.grid.size()));
    for (std::size_t k = 0; k < read.grid.size(); ++k) {
        const char want = k < grid.size() && grid[k] != 0 ? grid[k] : FOND_TILE;
        check(read.grid[k] == want);
    }
    check(read.startCol >= 0 && read.startCol < EDITOR_COLS && read.startRow >= 0 &&
          read.startRow < EDITOR_ROWS);
    if (tokens.size() < 3) check(read.startUnreadable);

    // Saved and read again: the same level, whole and readable.
    std::vector<std::string> again;
    const LevelRead back = readFile(formatLevel(read.grid.data(), read.startCol, read.startRow), again);
    std::string want = read.grid;
    if (want.rfind("\xEF\xBB\xBF", 0) == 0) want[0] = FOND_TILE;  // no byte-order mark written
    check(again.size() == 3 && back.grid == want && back.startCol == read.startCol &&
          back.startRow == read.startRow);
    check(!back.shortGrid && !back.startUnreadable && !back.startOutside);
    return 0;
}
