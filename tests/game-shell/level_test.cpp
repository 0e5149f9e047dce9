// The level files: exact grids, short and missing files, bad start numbers,
// and the border of the grid.
#include <string>

#include "harness.h"
#include "world/level.h"

using namespace shelltest;
namespace hl = platform::headless;

namespace {

// A grid token whose cell k is a code from k, so any shift shows.
std::string pattern(int cells = GRID_CELLS) {
    std::string t;
    for (int k = 0; k < cells; ++k) t += static_cast<char>(35 + (k * 13 + k / 100) % 88);
    return t;
}

class Level : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        for (auto& row : gs.LevelGrid)
            for (char& cell : row) cell = 'X';  // what an earlier game left
        gs.customStartCol = 55;
        gs.customStartRow = 66;
    }
    std::string grid() const { return std::string(&gs.LevelGrid[0][0], GRID_CELLS); }
    std::vector<std::string> boxes() const { return linesWith("box "); }
};

}  // namespace

TEST_F(Level, EditorFileLoadsExactly) {
    const std::string t = pattern();
    writeFile(CUSTOM_LEVEL_FILE, t + " 0 99 ");
    loadCustomLevel();
    EXPECT_EQ(grid(), t);
    EXPECT_EQ(gs.LevelGrid[0][99], t[99]);
    EXPECT_EQ(gs.LevelGrid[1][0], t[100]);
    EXPECT_EQ(gs.LevelGrid[99][99], t[9999]);
    EXPECT_EQ(gs.customStartCol, 0);
    EXPECT_EQ(gs.customStartRow, 99);
    EXPECT_TRUE(boxes().empty());
}

TEST_F(Level, BuiltinLevelReadsOnlyItsFirstToken) {
    const std::string t = pattern();
    writeFile(BUILTIN_LEVEL_FILE, t + "\n12 34 and more text\n");
    loadBuiltinLevel();
    EXPECT_EQ(grid(), t);
    EXPECT_EQ(gs.customStartCol, 55);  // untouched
    EXPECT_TRUE(boxes().empty());

    // Extra data after the start numbers of a custom level is ignored too, and
    // a token longer than the grid gives its first 10,000 codes.
    writeFile(CUSTOM_LEVEL_FILE, t + "ZZZ 12 34 56 junk");
    loadCustomLevel();
    EXPECT_EQ(grid(), t);
    EXPECT_EQ(gs.customStartCol, 12);
    EXPECT_EQ(gs.customStartRow, 34);
    EXPECT_TRUE(boxes().empty());
}

TEST_F(Level, ShortTokenFillsTheRestWithBackgroundAndSaysSo) {
    const std::string t = pattern(9999);
    writeFile(CUSTOM_LEVEL_FILE, t + " 3 4 ");
    loadCustomLevel();
    EXPECT_EQ(grid(), t + "a");
    EXPECT_EQ(gs.customStartCol, 3);
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_NE(boxes()[0].find("perso.niv"), std::string::npos) << boxes()[0];
    EXPECT_NE(boxes()[0].find("icon=warning"), std::string::npos);

    hl::clearTranscript();
    writeFile(BUILTIN_LEVEL_FILE, "sss");
    loadBuiltinLevel();
    EXPECT_EQ(grid(), "sss" + std::string(GRID_CELLS - 3, 'a'));
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_NE(boxes()[0].find("niveau.niv"), std::string::npos);
}

TEST_F(Level, MissingOrEmptyFileGivesAnEmptyCastle) {
    loadCustomLevel();
    EXPECT_EQ(grid(), std::string(GRID_CELLS, 'a'));
    EXPECT_EQ(gs.customStartCol, 0);
    EXPECT_EQ(gs.customStartRow, 0);
    ASSERT_EQ(boxes().size(), 1u);  // one box, not one per fault
    EXPECT_NE(boxes()[0].find("perso.niv"), std::string::npos);

    hl::clearTranscript();
    writeFile(BUILTIN_LEVEL_FILE, "  \n ");
    gs.LevelGrid[5][5] = 'X';
    loadBuiltinLevel();
    EXPECT_EQ(grid(), std::string(GRID_CELLS, 'a'));
    EXPECT_EQ(boxes().size(), 1u);
}

TEST_F(Level, BadStartNumbers) {
    const std::string t = pattern();
    const struct {
        std::string tail;
        int col, row;
    } cases[] = {
        {" x 7", 0, 7},          // not a number
        {" 7", 7, 0},            // row missing
        {"", 0, 0},              // both missing
        {" 5q 6", 0, 6},         // trailing letters
        {" -1 50", 0, 50},       // below the grid
        {" 20 100", 20, 99},     // beyond it
        {" 99999999999 3", 99, 3},  // far beyond, no overflow
    };
    for (const auto& c : cases) {
        hl::clearTranscript();
        writeFile(CUSTOM_LEVEL_FILE, t + c.tail);
        loadCustomLevel();
        EXPECT_EQ(gs.customStartCol, c.col) << c.tail;
        EXPECT_EQ(gs.customStartRow, c.row) << c.tail;
        EXPECT_EQ(grid(), t) << c.tail;
        ASSERT_EQ(boxes().size(), 1u) << c.tail;
        EXPECT_NE(boxes()[0].find("perso.niv"), std::string::npos) << boxes()[0];
    }
}

TEST(LevelBorder, CellsOutsideTheGridAreWalls) {
    gs = GameState{};
    gs.LevelGrid[0][0] = 'a';
    gs.LevelGrid[99][99] = 'q';
    EXPECT_EQ(cellAt(0, 0), 'a');
    EXPECT_EQ(cellAt(99, 99), 'q');
    for (auto [r, c] : {std::pair{-1, 0}, {0, -1}, {100, 5}, {5, 100}, {-1000, -1000}, {1 << 30, 0}})
        EXPECT_EQ(cellAt(r, c), 's') << r << "," << c;
}
