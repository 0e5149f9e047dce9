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
    const std::string bom = "\xEF\xBB\xBF";
    const struct {
        bool custom;
        std::optional<std::string> bytes;  // none: no file
        std::string grid;
        int col, row;  // 55, 66: untouched
        std::string told;  // what the one box says, "" for no box
    } cases[] = {
        {true, t + " 0 99 ", t, 0, 99, ""},                 // the editor's format
        {false, t + "\n12 34 and more text\n", t, 55, 66, ""},  // the built-in level: its first token only
        {true, t + "ZZZ 12 34 56 junk", t, 12, 34, ""},      // a longer token and extra data are ignored
        {false, bom + t, t, 55, 66, ""},                     // a text editor's byte-order mark is skipped
        {true, bom + " " + t + " 1 2 ", t, 1, 2, ""},
        {true, s9999 + " 3 4 ", s9999 + "a", 3, 4, "incomplet"},  // short token
        {true, zeroIn + " 1 2 ", zeroOut, 1, 2, "contient 1 case qui n'est pas une tuile"},
        {false, std::string(GRID_CELLS, '\0'), empty, 55, 66, "contient 10000 cases qui ne sont pas des tuiles"},
        {false, "sss", "sss" + empty.substr(3), 55, 66, "incomplet"},
        {true, std::nullopt, empty, 0, 0, "introuvable"},     // missing file: one box, not one per fault
        {true, t + " x 7", t, 0, 7, "illisible"},            // not a number
        {true, t + " 7", t, 7, 0, "colonne 7, ligne 0"},      // row missing
        {true, t + " 12abc 7", t, 0, 7, "illisible: ce qui n'est pas un nombre compte pour 0, le héros part de la colonne 0, ligne 7"},
        {true, s9999 + " 5q 6", s9999 + "a", 0, 6, "incomplet: les cases manquantes sont vides.\\nLe point"},
        {true, t + " -1 50", t, 0, 50, "hors du château: il est ramené au bord, en colonne 0, ligne 50"},
        {true, t + " 99999999999 3", t, 99, 3, "colonne 99, ligne 3"},  // far beyond, no overflow
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
        ASSERT_EQ(boxes.size(), c.told.empty() ? 0u : 1u);
        if (!c.told.empty()) {
            EXPECT_NE(boxes[0].find(c.custom ? "perso.niv" : "niveau.niv"), std::string::npos) << boxes[0];
            EXPECT_NE(boxes[0].find("icon=warning"), std::string::npos) << boxes[0];
            EXPECT_NE(boxes[0].find(c.told), std::string::npos) << boxes[0];
        }
    }
    // Row-major, and every cell outside the grid reads as a wall.
    EXPECT_EQ(std::tuple(cellAt(0, 0), cellAt(1, 0), cellAt(99, 99)), std::tuple(t[0], t[100], t[9999]));
    for (auto [r, c] : {std::pair{-1, 0}, {0, -1}, {100, 5}, {5, 100}, {-1000, -1000}, {1 << 30, 0}})
        EXPECT_EQ(cellAt(r, c), 's') << r << "," << c;
}
