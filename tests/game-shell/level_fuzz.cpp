// Fuzzing the level reader: any perso.niv or niveau.niv leaves every cell
// defined, the start cell inside the grid, and says something whenever the
// file was not a whole level. Built with clang only (libFuzzer):
//   level_fuzz -max_total_time=60
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/headless.h"
#include "state.h"
#include "world/level.h"

namespace {

bool inDir = false;

int boxes() {
    int n = 0;
    for (const std::string& line : platform::headless::transcript()) n += line.rfind("box ", 0) == 0;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!inDir) {
        char dir[] = "/tmp/quelmar-level-fuzz-XXXXXX";
        if (!mkdtemp(dir) || chdir(dir) != 0) std::abort();
        inDir = true;
    }
    platform::headless::reset();
    const bool custom = size > 0 && (data[0] & 1);
    {
        std::ofstream out(custom ? CUSTOM_LEVEL_FILE : BUILTIN_LEVEL_FILE, std::ios::binary | std::ios::trunc);
        if (size > 1) out.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
    }
    gs.customStartCol = -7;
    gs.customStartRow = 1000;
    if (custom) {
        loadCustomLevel();
        if (gs.customStartCol < 0 || gs.customStartCol > 99 || gs.customStartRow < 0 || gs.customStartRow > 99)
            std::abort();
    } else {
        loadBuiltinLevel();
    }
    // The first token, as the reader sees it.
    const std::string text(reinterpret_cast<const char*>(data) + (size > 0 ? 1 : 0), size > 0 ? size - 1 : 0);
    const std::size_t from = text.find_first_not_of(" \t\n\v\f\r");
    const std::size_t to = from == std::string::npos ? from : text.find_first_of(" \t\n\v\f\r", from);
    const std::size_t length = from == std::string::npos ? 0 : (to == std::string::npos ? text.size() : to) - from;
    if (length < static_cast<std::size_t>(GRID_CELLS) && boxes() == 0) std::abort();  // a short grid is told
    for (std::size_t k = length; k < static_cast<std::size_t>(GRID_CELLS); ++k)
        if (gs.LevelGrid[k / GRID_COLS][k % GRID_COLS] != EMPTY_CELL) std::abort();
    return 0;
}
