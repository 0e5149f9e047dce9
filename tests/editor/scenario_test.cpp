// The editor on the headless backend, driven by script lines: what the author
// sees (pixels, boxes) and what ends up in memory and in perso.niv. The flows
// an outside check drives are in runner_test.cpp.
#include <gtest/gtest.h>

#include <filesystem>

#include "editor.h"
#include "editorstate.h"
#include "platform/files.h"
#include "platform/headless.h"
#include "support.h"

namespace {

namespace hl = platform::headless;
using editortest::levelText;
using editortest::readFile;
using editortest::rgbValue;
using editortest::tileColor;
using editortest::writeFile;

int mid(int index) { return 2 + 7 * index + 3; }
std::string at(int col, int row) { return std::to_string(mid(col)) + " " + std::to_string(mid(row)); }
const unsigned MARKER = rgbValue(editortest::MARKER_COLOR);
unsigned colorOf(char tile) { return rgbValue(tileColor(tile)); }

// A level with floor in row 50 and lava in the last cell.
std::string sampleCells() {
    std::string cells(EDITOR_CELLS, 'a');
    for (int c = 0; c < 100; ++c) cells[50 * 100 + c] = 's';
    cells[9999] = 'd';
    return cells;
}

class EditorScenario : public ::testing::Test {
protected:
    void SetUp() override {
        editortest::writeEditorPictures(platform::dirName(platform::executablePath()), "asgqd");
    }
    void TearDown() override { fresh(); }
    void fresh() {
        hl::reset();
        resetEditorState();
    }

    // Runs the editor until the script ends; true when the editor ended first.
    bool run(const std::vector<std::string>& lines) {
        fresh();
        hl::setScript(lines);
        try {
            editorMain();
            return true;
        } catch (const hl::ScriptEnd&) {
            return false;
        }
    }
    std::vector<std::string> boxes() const {
        std::vector<std::string> out;
        for (const std::string& line : hl::transcript())
            if (line.rfind("box ", 0) == 0) out.push_back(line);
        return out;
    }
    std::string grid() const { return std::string(es.editorGrid, EDITOR_CELLS); }
    unsigned pixelOf(int col, int row) const { return hl::pixel(hl::mainWindow(), mid(col), mid(row)); }

    editortest::ScratchDir dir;
};

TEST_F(EditorScenario, ScreenFollowsEveryEdit) {
    writeFile("perso.niv", levelText(sampleCells(), 8, 50));
    run({"mouse ldown 0 0", "mouse lup 0 0",      // row 0, column 0 with the floor
         "mouse rdown " + at(8, 50),                // the start cell cleared: marker stays
         "menu 40043", "mouse ldown " + at(6, 50),  // a lava stroke over the start cell
         "mouse move " + at(7, 50), "mouse move " + at(8, 50), "mouse move " + at(9, 50),
         "mouse lup " + at(9, 50), "menu 40081",    // the start point moves away
         "mouse ldown " + at(20, 30), "mouse lup " + at(20, 30),
         "menu 40055", "mouse ldown " + at(30, 50)});  // 'z' has no picture
    EXPECT_EQ(pixelOf(0, 0), colorOf('s'));
    EXPECT_EQ(pixelOf(8, 50), colorOf('d'));  // old marker gone, the cell's own picture back
    EXPECT_EQ(pixelOf(9, 50), colorOf('d'));
    EXPECT_EQ(pixelOf(20, 30), MARKER);
    EXPECT_EQ(pixelOf(30, 50), rgbValue(platform::BUTTON_FACE));  // not the old floor

    // Whatever the system erased comes back at the next paint.
    platform::invalidate(hl::mainWindow(), nullptr, true);
    platform::updateWindow(hl::mainWindow());
    EXPECT_EQ(pixelOf(40, 50), colorOf('s'));
    EXPECT_EQ(pixelOf(40, 40), colorOf('a'));
    EXPECT_EQ(pixelOf(20, 30), MARKER);
    EXPECT_EQ(pixelOf(99, 99), colorOf('d'));
}

TEST_F(EditorScenario, AnnulerUndoesTheLastStrokeOnlyAndNothingBeforeAPress) {
    std::string cells = sampleCells();
    writeFile("perso.niv", levelText(cells, 4, 5));
    run({"menu 40068", "mouse rdown " + at(10, 50), "menu 40068"});
    cells[50 * 100 + 10] = 'a';  // the right button takes no undo copy
    EXPECT_EQ(grid(), cells);

    run({"menu 40043", "mouse ldown " + at(10, 49), "mouse move " + at(11, 49),
         "mouse lup " + at(11, 49), "menu 40045", "mouse ldown " + at(20, 50),
         "mouse move " + at(21, 50), "mouse lup " + at(21, 50), "menu 40068", "menu 40068"});
    std::string afterFirst = cells;
    afterFirst[50 * 100 + 10] = 's';
    afterFirst[49 * 100 + 10] = afterFirst[49 * 100 + 11] = 'd';
    EXPECT_EQ(grid(), afterFirst);
    EXPECT_EQ(pixelOf(21, 50), colorOf('s'));
    EXPECT_EQ(pixelOf(11, 49), colorOf('d'));
}

TEST_F(EditorScenario, LoadingSaysWhatWasRead) {
    // No file: an empty level, and saving it writes whole cells.
    run({"menu 40057"});
    ASSERT_EQ(boxes().size(), 2u);
    EXPECT_NE(boxes()[0].find("owner=none icon=info"), std::string::npos) << boxes()[0];
    EXPECT_NE(boxes()[0].find("introuvable"), std::string::npos) << boxes()[0];
    EXPECT_EQ(readFile("perso.niv"), std::string(EDITOR_CELLS, 'a') + " 0 0 ");

    writeFile("perso.niv", "sgsq 3 x");
    run({});
    EXPECT_EQ(grid(), "sgsq" + std::string(EDITOR_CELLS - 4, 'a'));
    EXPECT_EQ(es.startCol, 3);
    EXPECT_EQ(es.startRow, 0);
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_NE(boxes()[0].find("icon=warning"), std::string::npos) << boxes()[0];
    EXPECT_NE(boxes()[0].find("incomplet"), std::string::npos) << boxes()[0];
    EXPECT_NE(boxes()[0].find("illisible"), std::string::npos) << boxes()[0];

    // Charger replaces the edits with the file; with the file gone it keeps them.
    writeFile("perso.niv", levelText(sampleCells(), 1, 2));
    run({"mouse ldown " + at(0, 0), "mouse lup " + at(0, 0), "menu 40058"});
    EXPECT_EQ(grid(), sampleCells());
    ASSERT_EQ(boxes().size(), 2u);
    EXPECT_NE(boxes()[1].find("caption=\"Editeur \" text=\"Niveau chargé!\""), std::string::npos);
    std::filesystem::remove("perso.niv");
    run({"mouse ldown " + at(0, 0), "mouse lup " + at(0, 0), "menu 40058"});
    EXPECT_EQ(es.editorGrid[0], 's');
    ASSERT_EQ(boxes().size(), 2u);
    EXPECT_NE(boxes()[1].find("icon=error"), std::string::npos) << boxes()[1];
}

TEST_F(EditorScenario, FailedSaveSaysSoAndLeavesWhatWasThere) {
    std::filesystem::create_directory("perso.niv");
    writeFile("perso.niv/keep", "x");
    run({"menu 40057"});
    ASSERT_FALSE(boxes().empty());
    EXPECT_NE(boxes().back().find("icon=error"), std::string::npos) << boxes().back();
    for (const std::string& box : boxes()) EXPECT_EQ(box.find("sauvegardé\""), std::string::npos);
    EXPECT_EQ(readFile("perso.niv/keep"), "x");
}

TEST_F(EditorScenario, QuitAndCloseAskFirst) {
    writeFile("perso.niv", levelText("", 0, 0));
    EXPECT_FALSE(run({"answer no", "menu 40003", "close"}));  // the close box defaults to No
    EXPECT_TRUE(platform::isWindow(hl::mainWindow()));
    ASSERT_EQ(boxes().size(), 3u);
    for (int k : {1, 2})
        EXPECT_NE(boxes()[k].find("icon=question buttons=yesno default=no caption=\"Editeur \" "
                                  "text=\"Etes vous sûr de vouloir quitter?\" -> no"),
                  std::string::npos)
            << boxes()[k];

    EXPECT_TRUE(run({"answer yes", "menu 40003", "menu 40057"}));
    EXPECT_FALSE(hl::scriptDone());  // ended before the save line
    EXPECT_EQ(readFile("perso.niv"), levelText("", 0, 0));
    EXPECT_TRUE(run({"answer yes", "close"}));
}

TEST_F(EditorScenario, AnyKeyShowsTheCellUnderTheMouse) {
    writeFile("perso.niv", levelText("", 0, 0));
    run({"mouse move 702 5", "key A", "mouse move 0 0", "key Space", "mouse move 400 750", "key F3"});
    ASSERT_EQ(boxes().size(), 4u);
    EXPECT_NE(boxes()[1].find("caption=\"Position:\" text=\" X:100,Y:0 \""), std::string::npos)
        << boxes()[1];
    EXPECT_NE(boxes()[2].find("text=\" X:0,Y:0 \""), std::string::npos) << boxes()[2];
    EXPECT_NE(boxes()[3].find("text=\" X:56,Y:106 \""), std::string::npos) << boxes()[3];
    EXPECT_EQ(grid(), std::string(EDITOR_CELLS, 'a'));
}

}  // namespace
