// Fuzzing the castle's source reader: any bytes are refused or give a grid
// whose token reads back, line by line, to the same grid.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "castle.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    castle::Grid grid;
    std::string error;
    if (!castle::parseText(text, grid, error)) {
        if (error.empty()) std::abort();
        return 0;
    }
    std::string token = castle::toToken(grid);
    if (token.size() != 10000) std::abort();
    std::string lines;
    for (int r = 0; r < castle::ROWS; ++r) lines += token.substr(r * 100, 100) + "\n";
    castle::Grid again;
    if (!castle::parseText(lines, again, error) || again != grid) std::abort();
    return 0;
}
