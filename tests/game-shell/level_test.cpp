// The level files: exact grids, short and missing files, bad start numbers,
// and the border of the grid.
#include <optional>
#include <string>

#include "harness.h"
#include "world/level.h"

using namespace shelltest;

TEST_F(ShellTest, LevelFilesNeverLeaveCellsOrStartNumbersUndefined) {
    std::string t, s9999;  // cell k holds a code made from k, so any shift shows
    for (int k = 0; k < GRID_CELLS; ++k) t += static_cast<char>(35 + (k * 13 + k / 100) % 88);
    s9999 = t.substr(0, 9999);
    std::string zeroIn = t, zeroOut = t;  // a zero byte is no tile: it reads as background
    zeroIn[5000] = '\0';
    zeroOut[5000] = 'a';
    const std::string empty(GRID_CELLS, 'a');
    const struct {
        bool custom;
        std::optional<std::string> bytes;  // none: no file
        std::string grid;
        int col, row;  // 55, 66: untouched
        bool told;
    } cases[] = {
        {true, t + " 0 99 ", t, 0, 99, false},                 // the editor's format
        {false, t + "\n12 34 and more text\n", t, 55, 66, false},  // the built-in level: its first token only
        {true, t + "ZZZ 12 34 56 junk", t, 12, 34, false},      // a longer token and extra data are ignored
        {true, s9999 + " 3 4 ", s9999 + "a", 3, 4, true},       // short token
        {true, zeroIn + " 1 2 ", zeroOut, 1, 2, false},
        {false, "sss", "sss" + empty.substr(3), 55, 66, true},
        {true, std::nullopt, empty, 0, 0, true},                // missing file: one box, not one per fault
        {true, t + " x 7", t, 0, 7, true},                      // not a number
        {true, t + " 7", t, 7, 0, true},                        // row missing
        {true, t + " 5q 6", t, 0, 6, true},                     // trailing letters
        {true, t + " -1 50", t, 0, 50, true},                   // below the grid
        {true, t + " 99999999999 3", t, 99, 3, true},           // far beyond, no overflow
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((c.custom ? "perso: " : "niveau: ") + (c.bytes ? c.bytes->substr(c.bytes->size() > 20 ? 9990 : 0) : "none"));
        hl::clearTranscript();
        fs::remove(CUSTOM_LEVEL_FILE);
        if (c.bytes) writeFile(c.custom ? CUSTOM_LEVEL_FILE : BUILTIN_LEVEL_FILE, *c.bytes);
        for (auto& row : gs.LevelGrid) std::fill(std::begin(row), std::end(row), 'X');  // an earlier game's
        gs.customStartCol = 55;
        gs.customStartRow = 66;
        c.custom ? loadCustomLevel() : loadBuiltinLevel();
        EXPECT_EQ(std::string(&gs.LevelGrid[0][0], GRID_CELLS), c.grid);
        EXPECT_EQ(gs.customStartCol, c.col);
        EXPECT_EQ(gs.customStartRow, c.row);
        const auto boxes = linesWith("box ");
        ASSERT_EQ(boxes.size(), c.told ? 1u : 0u);
        if (c.told) {
            EXPECT_NE(boxes[0].find(c.custom ? "perso.niv" : "niveau.niv"), std::string::npos) << boxes[0];
            EXPECT_NE(boxes[0].find("icon=warning"), std::string::npos) << boxes[0];
        }
    }
    // Row-major, and every cell outside the grid reads as a wall.
    EXPECT_EQ(std::tuple(cellAt(0, 0), cellAt(1, 0), cellAt(99, 99)), std::tuple(t[0], t[100], t[9999]));
    for (auto [r, c] : {std::pair{-1, 0}, {0, -1}, {100, 5}, {5, 100}, {-1000, -1000}, {1 << 30, 0}})
        EXPECT_EQ(cellAt(r, c), 's') << r << "," << c;
}
