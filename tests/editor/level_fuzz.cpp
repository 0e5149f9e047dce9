// libFuzzer: any bytes as perso.niv. The reading always gives 10,000 cells
// without a zero byte and a start cell inside the grid, and what the editor
// then writes reads back as the same level.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "editorstate.h"
#include "level.h"

namespace {

// Whitespace-separated tokens, as the file reader splits them.
std::vector<std::string> tokensOf(const std::string& bytes, std::size_t most) {
    std::vector<std::string> out;
    std::string current;
    for (char c : bytes) {
        if (std::isspace(static_cast<unsigned char>(c))) {
            if (!current.empty()) out.push_back(current);
            current.clear();
            if (out.size() == most) return out;
        } else {
            current += c;
        }
    }
    if (!current.empty() && out.size() < most) out.push_back(current);
    return out;
}

void check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    LevelRead read = parseLevel(true, tokensOf(bytes, 3));
    check(read.grid.size() == static_cast<std::size_t>(EDITOR_CELLS));
    check(read.grid.find('\0') == std::string::npos);
    check(read.startCol >= 0 && read.startCol < EDITOR_COLS);
    check(read.startRow >= 0 && read.startRow < EDITOR_ROWS);

    std::string written = formatLevel(read.grid.data(), read.startCol, read.startRow);
    LevelRead again = parseLevel(true, tokensOf(written, 3));
    if (read.grid.find_first_of(" \t\n\v\f\r") == std::string::npos) {
        check(again.grid == read.grid);
        check(!again.shortGrid && !again.startUnreadable && !again.startOutside);
    }
    check(again.startCol == read.startCol && again.startRow == read.startRow);
    return 0;
}
