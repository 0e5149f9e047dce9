// The editor on the headless backend, driven by script lines: what the author
// sees (pixels, boxes) and what ends up in memory and in perso.niv.
#include <gtest/gtest.h>

#include <filesystem>

#include "editor.h"
#include "platform/files.h"
#include "platform/headless.h"
#include "editorstate.h"
#include "support.h"

namespace {

namespace hl = platform::headless;
using editortest::levelText;
using editortest::readFile;
using editortest::rgbValue;
using editortest::tileColor;
using editortest::writeFile;

constexpr const char* PICTURES = "asgqkid@#e";

// Client pixel in the middle of a cell.
int mid(int index) { return 2 + 7 * index + 3; }
std::string at(int col, int row) { return std::to_string(mid(col)) + " " + std::to_string(mid(row)); }

class EditorScenario : public ::testing::Test {
protected:
    void SetUp() override {
        hl::reset();
        editortest::writeEditorPictures(platform::dirName(platform::executablePath()), PICTURES);
    }
    void TearDown() override {
        hl::reset();
        resetEditorState();
    }

    // Runs the editor until the script ends. True when the editor itself
    // ended (its window gone) before the script did.
    bool run(const std::vector<std::string>& lines) {
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

    char cell(int col, int row) const { return es.editorGrid[row * 100 + col]; }
    std::string grid() const { return std::string(es.editorGrid, EDITOR_CELLS); }
    unsigned pixelOf(int col, int row) const { return hl::pixel(hl::mainWindow(), mid(col), mid(row)); }

    editortest::ScratchDir dir;
};

// A level with something in it: floor in row 50, a ladder, lava.
std::string sampleCells() {
    std::string cells(EDITOR_CELLS, 'a');
    for (int c = 0; c < 100; ++c) cells[50 * 100 + c] = 's';
    cells[49 * 100 + 10] = 'q';
    cells[99 * 100 + 99] = 'd';
    return cells;
}

TEST_F(EditorScenario, ClicksAtTheGridEdgesAndOutside) {
    writeFile("perso.niv", levelText("", 50, 50));
    run({"mouse ldown 2 2", "mouse lup 2 2",          // row 0, column 0
         "mouse ldown 701 701", "mouse lup 701 701",  // row 99, column 99
         "menu 40064",                                // Garde
         "mouse ldown 0 0", "mouse lup 0 0",          // still row 0, column 0
         "mouse ldown 702 5", "mouse lup 702 5",      // right of the grid: nothing
         "mouse ldown 5 702", "mouse lup 5 702"});    // below the grid: nothing
    EXPECT_EQ(cell(0, 0), 'g');
    EXPECT_EQ(cell(99, 99), 's');
    std::string expected(EDITOR_CELLS, 'a');
    expected[0] = 'g';
    expected[9999] = 's';
    EXPECT_EQ(grid(), expected);
    EXPECT_EQ(pixelOf(0, 0), rgbValue(tileColor('g')));
    EXPECT_EQ(pixelOf(99, 99), rgbValue(tileColor('s')));
    EXPECT_EQ(pixelOf(98, 99), rgbValue(tileColor('a')));
    EXPECT_EQ(pixelOf(50, 50), rgbValue(editortest::MARKER_COLOR));
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_NE(boxes()[0].find("owner=none"), std::string::npos) << boxes()[0];
    EXPECT_NE(boxes()[0].find("text=\"Niveau chargé!\""), std::string::npos) << boxes()[0];
    EXPECT_NE(boxes()[0].find("caption=\"Editeur \""), std::string::npos) << boxes()[0];
}

TEST_F(EditorScenario, DragPaintsOneStrokeThatAnnulerTakesBack) {
    std::string cells = sampleCells();
    writeFile("perso.niv", levelText(cells, 0, 0));
    run({"menu 40043",  // lave
         "mouse move " + at(30, 30),  // no button: nothing
         "mouse ldown " + at(10, 49), "mouse move " + at(11, 49), "mouse move " + at(12, 49),
         "mouse move " + at(12, 50), "mouse move 750 20", "mouse lup " + at(12, 50),
         "mouse move " + at(13, 49)});  // after the release: nothing
    std::string painted = cells;
    painted[49 * 100 + 10] = painted[49 * 100 + 11] = painted[49 * 100 + 12] = 'd';
    painted[50 * 100 + 12] = 'd';
    EXPECT_EQ(grid(), painted);
    EXPECT_EQ(pixelOf(12, 50), rgbValue(tileColor('d')));
    EXPECT_EQ(pixelOf(13, 49), rgbValue(tileColor('a')));
    resetEditorState();
    hl::reset();

    // Two strokes: one level of undo, and a second Annuler repeats the same copy.
    run({"menu 40043", "mouse ldown " + at(10, 49), "mouse move " + at(11, 49),
         "mouse lup " + at(11, 49), "menu 40045",  // fond
         "mouse ldown " + at(20, 50), "mouse move " + at(21, 50), "mouse lup " + at(21, 50),
         "menu 40068", "menu 40068"});
    std::string afterFirst = cells;
    afterFirst[49 * 100 + 10] = afterFirst[49 * 100 + 11] = 'd';
    EXPECT_EQ(grid(), afterFirst);
    EXPECT_EQ(pixelOf(20, 50), rgbValue(tileColor('s')));
    EXPECT_EQ(pixelOf(11, 49), rgbValue(tileColor('d')));
}

TEST_F(EditorScenario, AnnulerBeforeAnyPressChangesNothing) {
    std::string cells = sampleCells();
    writeFile("perso.niv", levelText(cells, 4, 5));
    run({"menu 40068", "mouse rdown " + at(10, 50), "menu 40068"});
    // The right button takes no undo copy either: the cell stays background.
    cells[50 * 100 + 10] = 'a';
    EXPECT_EQ(grid(), cells);
    EXPECT_EQ(pixelOf(0, 50), rgbValue(tileColor('s')));
}

TEST_F(EditorScenario, StartPointToolMovesTheMarkerAndGivesTheOldToolBack) {
    std::string cells = sampleCells();
    writeFile("perso.niv", levelText(cells, 10, 49));
    run({"menu 40042",  // echelle
         "menu 40081", "mouse ldown " + at(5, 50), "mouse move " + at(6, 50),
         "mouse move " + at(7, 50), "mouse lup " + at(7, 50)});
    EXPECT_EQ(es.startCol, 5);
    EXPECT_EQ(es.startRow, 50);
    EXPECT_EQ(cell(5, 50), 's');  // the start point is not a cell
    EXPECT_EQ(cell(6, 50), 'q');  // the drag goes on with the ladder
    EXPECT_EQ(cell(7, 50), 'q');
    EXPECT_EQ(es.currentTool, 'q');
    EXPECT_EQ(pixelOf(5, 50), rgbValue(editortest::MARKER_COLOR));
    EXPECT_EQ(pixelOf(10, 49), rgbValue(tileColor('q')));  // old marker gone
    EXPECT_EQ(pixelOf(6, 50), rgbValue(tileColor('q')));
}

TEST_F(EditorScenario, StartPointToolChosenTwiceStaysAndRightClickStillClears) {
    std::string cells = sampleCells();
    writeFile("perso.niv", levelText(cells, 0, 0));
    run({"menu 40081", "menu 40081", "mouse ldown " + at(20, 30), "mouse lup " + at(20, 30),
         "mouse ldown " + at(21, 30), "mouse move " + at(22, 30), "mouse lup " + at(22, 30),
         "mouse rdown " + at(3, 50)});
    EXPECT_EQ(es.startCol, 21);
    EXPECT_EQ(es.startRow, 30);
    EXPECT_EQ(es.currentTool, START_TOOL);
    cells[50 * 100 + 3] = 'a';
    EXPECT_EQ(grid(), cells);  // no move painted anything
    EXPECT_EQ(pixelOf(20, 30), rgbValue(tileColor('a')));
    EXPECT_EQ(pixelOf(21, 30), rgbValue(editortest::MARKER_COLOR));
    EXPECT_EQ(pixelOf(3, 50), rgbValue(tileColor('a')));
}

TEST_F(EditorScenario, RightClickOnTheStartCellKeepsTheMarker) {
    writeFile("perso.niv", levelText(sampleCells(), 8, 50));
    run({"mouse rdown " + at(8, 50), "menu 40043", "mouse ldown " + at(6, 50),
         "mouse move " + at(7, 50), "mouse move " + at(8, 50), "mouse move " + at(9, 50)});
    EXPECT_EQ(cell(8, 50), 'd');
    EXPECT_EQ(pixelOf(8, 50), rgbValue(editortest::MARKER_COLOR));
    EXPECT_EQ(pixelOf(9, 50), rgbValue(tileColor('d')));
}

TEST_F(EditorScenario, SavingTwiceWritesTheMovedStartPoint) {
    std::string cells = sampleCells();
    cells[0] = static_cast<char>(0xE9);  // a byte no tool places: kept as it is
    writeFile("perso.niv", levelText(cells, 10, 49));
    run({"menu 40057", "menu 40081", "mouse ldown " + at(42, 17), "mouse lup " + at(42, 17),
         "menu 40064", "mouse ldown " + at(1, 1), "mouse lup " + at(1, 1), "menu 40057"});
    cells[1 * 100 + 1] = 'g';
    std::string bytes = readFile("perso.niv");
    EXPECT_EQ(bytes, cells + " 42 17 ");
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xE9);
    int saved = 0;
    for (const std::string& box : boxes())
        if (box.find("text=\"sauvegardé\"") != std::string::npos) {
            ++saved;
            EXPECT_NE(box.find("owner=main icon=none buttons=ok"), std::string::npos) << box;
        }
    EXPECT_EQ(saved, 2);
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"perso.niv"});  // no temporary file left
    EXPECT_EQ(editorStateDump().find("startCol=42\nstartRow=17\n"), 0u);
}

TEST_F(EditorScenario, XpFigureCountsGuardsGhoulsAndKnights) {
    std::string cells = sampleCells();
    cells[100] = 'g';
    cells[2000] = 'g';
    cells[3000] = 'k';
    cells[4000] = 'i';
    cells[4001] = '@';
    writeFile("perso.niv", levelText(cells, 0, 0));
    run({});
    EXPECT_NE(editorStateDump().find("\nlevelXp=9\n"), std::string::npos);
    // Painting over the knight with a ghoul: 9 - 4 + 3.
    hl::reset();
    resetEditorState();
    run({"menu 40065", "mouse ldown " + at(0, 40), "mouse lup " + at(0, 40)});
    EXPECT_NE(editorStateDump().find("\nlevelXp=8\n"), std::string::npos);
}

TEST_F(EditorScenario, MissingLevelGivesAnEmptyLevelThatSavesWhole) {
    run({"menu 40068", "menu 40057"});
    ASSERT_FALSE(boxes().empty());
    EXPECT_NE(boxes()[0].find("icon=info"), std::string::npos) << boxes()[0];
    EXPECT_NE(boxes()[0].find("introuvable"), std::string::npos) << boxes()[0];
    for (const std::string& box : boxes()) EXPECT_EQ(box.find("Niveau chargé!"), std::string::npos);
    EXPECT_EQ(readFile("perso.niv"), std::string(EDITOR_CELLS, 'a') + " 0 0 ");
}

TEST_F(EditorScenario, ShortOrDamagedFileLoadsWhatItCanAndSaysSo) {
    writeFile("perso.niv", "sgsq 3 x");
    run({});
    EXPECT_EQ(grid(), "sgsq" + std::string(EDITOR_CELLS - 4, 'a'));
    EXPECT_EQ(es.startCol, 3);
    EXPECT_EQ(es.startRow, 0);
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_NE(boxes()[0].find("icon=warning"), std::string::npos) << boxes()[0];
    EXPECT_NE(boxes()[0].find("incomplet"), std::string::npos) << boxes()[0];
    EXPECT_NE(boxes()[0].find("illisible"), std::string::npos) << boxes()[0];
    EXPECT_EQ(boxes()[0].find("Niveau chargé!"), std::string::npos) << boxes()[0];
}

TEST_F(EditorScenario, ChargerReadsTheFileAgainOrKeepsTheWorkWhenItIsGone) {
    std::string cells = sampleCells();
    writeFile("perso.niv", levelText(cells, 1, 2));
    run({"mouse ldown " + at(0, 0), "mouse lup " + at(0, 0), "menu 40058"});
    EXPECT_EQ(grid(), cells);  // the edit is replaced by the file
    EXPECT_EQ(boxes().size(), 2u);
    EXPECT_NE(boxes()[1].find("Niveau chargé!"), std::string::npos);

    hl::reset();
    resetEditorState();
    std::filesystem::remove("perso.niv");
    run({"mouse ldown " + at(0, 0), "mouse lup " + at(0, 0), "menu 40058"});
    EXPECT_EQ(cell(0, 0), 's');  // the work is kept
    ASSERT_EQ(boxes().size(), 2u);
    EXPECT_NE(boxes()[1].find("icon=error"), std::string::npos) << boxes()[1];
}

TEST_F(EditorScenario, FailedSaveSaysSoAndLeavesWhatWasThere) {
    std::filesystem::create_directory("perso.niv");
    writeFile("perso.niv/keep", "x");
    run({"menu 40057"});
    std::vector<std::string> shown = boxes();
    ASSERT_FALSE(shown.empty());
    EXPECT_NE(shown.back().find("icon=error"), std::string::npos) << shown.back();
    for (const std::string& box : shown) EXPECT_EQ(box.find("sauvegardé\""), std::string::npos);
    EXPECT_EQ(readFile("perso.niv/keep"), "x");
}

TEST_F(EditorScenario, QuitAsksFirstAndNoKeepsTheWindow) {
    writeFile("perso.niv", levelText("", 0, 0));
    bool ended = run({"answer no", "menu 40003", "close"});
    EXPECT_FALSE(ended);
    EXPECT_TRUE(platform::isWindow(hl::mainWindow()));
    std::vector<std::string> shown = boxes();
    ASSERT_EQ(shown.size(), 3u);
    const std::string question =
        "icon=question buttons=yesno default=no caption=\"Editeur \" "
        "text=\"Etes vous sûr de vouloir quitter?\" -> no";
    EXPECT_NE(shown[1].find(question), std::string::npos) << shown[1];
    EXPECT_NE(shown[2].find(question), std::string::npos) << shown[2];

    hl::reset();
    resetEditorState();
    EXPECT_TRUE(run({"answer yes", "menu 40003", "menu 40057"}));
    EXPECT_FALSE(platform::isWindow(hl::mainWindow()));
    EXPECT_FALSE(hl::scriptDone());  // the editor ended before the save line
    EXPECT_EQ(readFile("perso.niv"), levelText("", 0, 0));

    hl::reset();
    resetEditorState();
    EXPECT_TRUE(run({"answer yes", "close"}));
}

TEST_F(EditorScenario, AnyKeyShowsTheCellUnderTheMouse) {
    writeFile("perso.niv", levelText("", 0, 0));
    run({"mouse move 702 5", "key A", "mouse move 0 0", "key Space", "mouse move 400 750",
         "key F3"});
    std::vector<std::string> shown = boxes();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_NE(shown[1].find("caption=\"Position:\" text=\" X:100,Y:0 \""), std::string::npos)
        << shown[1];
    EXPECT_NE(shown[2].find("text=\" X:0,Y:0 \""), std::string::npos) << shown[2];
    EXPECT_NE(shown[3].find("text=\" X:56,Y:106 \""), std::string::npos) << shown[3];
    EXPECT_EQ(grid(), std::string(EDITOR_CELLS, 'a'));
}

TEST_F(EditorScenario, PaintAfterAnEraseBringsTheGridBack) {
    writeFile("perso.niv", levelText(sampleCells(), 3, 3));
    run({});
    platform::Window window = hl::mainWindow();
    ASSERT_EQ(pixelOf(40, 50), rgbValue(tileColor('s')));
    platform::invalidate(window, nullptr, true);
    platform::updateWindow(window);
    EXPECT_EQ(pixelOf(40, 50), rgbValue(tileColor('s')));
    EXPECT_EQ(pixelOf(40, 40), rgbValue(tileColor('a')));
    EXPECT_EQ(pixelOf(3, 3), rgbValue(editortest::MARKER_COLOR));
    EXPECT_EQ(pixelOf(99, 99), rgbValue(tileColor('d')));
}

TEST_F(EditorScenario, CellsWithoutAPictureShowTheBackground) {
    // 'z' has no picture here: painting it over floor must not leave the floor.
    writeFile("perso.niv", levelText(sampleCells(), 0, 0));
    run({"menu 40055", "mouse ldown " + at(30, 50), "mouse lup " + at(30, 50)});
    EXPECT_EQ(cell(30, 50), 'z');
    EXPECT_EQ(pixelOf(30, 50), rgbValue(platform::BUTTON_FACE));
}

TEST_F(EditorScenario, WindowAndStateDump) {
    std::string cells = sampleCells();
    cells[1] = static_cast<char>(0xE9);
    writeFile("perso.niv", levelText(cells, 7, 8));
    run({"menu 40081"});
    platform::Rect place = hl::windowPlace(hl::mainWindow());
    EXPECT_EQ(place.left, 0);
    EXPECT_EQ(place.top, 0);
    EXPECT_EQ(place.right, 780);
    EXPECT_EQ(place.bottom, 710);
    std::string dump = editorStateDump();
    EXPECT_EQ(dump.find("startCol=7\nstartRow=8\ncurrentTool=²\npreviousTool=s\n"), 0u) << dump;
    std::string gridLine = "grid=a\xC3\xA9" + cells.substr(2) + "\n";
    EXPECT_NE(dump.find(gridLine), std::string::npos);
}

}  // namespace
