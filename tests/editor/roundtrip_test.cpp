// A level saved by the editor is the level the game plays.
#include <gtest/gtest.h>

#include "editor.h"
#include "platform/headless.h"
#include "editorstate.h"
#include "support.h"
#include "world/level.h"

// The game's own state record.
#include "game/state.h"

namespace {

namespace hl = platform::headless;

int mid(int index) { return 2 + 7 * index + 3; }
std::string at(int col, int row) { return std::to_string(mid(col)) + " " + std::to_string(mid(row)); }

void runEditor(const std::vector<std::string>& lines) {
    hl::reset();
    resetEditorState();
    hl::setScript(lines);
    try {
        editorMain();
    } catch (const hl::ScriptEnd&) {
    }
}

void expectGameHasEditorLevel() {
    gs = GameState{};
    loadCustomLevel();
    std::string gameGrid(&gs.LevelGrid[0][0], GRID_CELLS);
    EXPECT_EQ(gameGrid, std::string(es.editorGrid, EDITOR_CELLS));
    EXPECT_EQ(gs.customStartCol, es.startCol);
    EXPECT_EQ(gs.customStartRow, es.startRow);
}

TEST(EditorGameRoundTrip, SavedLevelLoadsIntoTheGame) {
    editortest::ScratchDir dir;
    // From nothing: an empty level, a floor drawn by dragging, a start on the border.
    runEditor({"menu 40053", "mouse ldown " + at(0, 98), "mouse move " + at(50, 98),
               "mouse move " + at(99, 98), "mouse lup " + at(99, 98), "menu 40064",
               "mouse ldown " + at(40, 97), "mouse lup " + at(40, 97), "menu 40081",
               "mouse ldown " + at(99, 97), "mouse lup " + at(99, 97), "menu 40057"});
    EXPECT_EQ(es.startCol, 99);
    EXPECT_EQ(es.startRow, 97);
    expectGameHasEditorLevel();
    EXPECT_EQ(gs.LevelGrid[98][50], 's');
    EXPECT_EQ(gs.LevelGrid[97][40], 'g');

    hl::reset();
    resetEditorState();
}

}  // namespace
