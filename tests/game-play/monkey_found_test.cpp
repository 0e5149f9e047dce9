// Faults the monkey (tools/monkey) found, each played here the shortest way.
#include "hero/movement.h"
#include "play_fixture.h"
#include "resources/menu.h"
#include "saves/slots.h"

using namespace play;

namespace {

class MonkeyFound : public PlayTest {
protected:
    // A field where every column differs from its neighbours, so that a view
    // one cell off shows.
    static void stripes() {
        for (int r = 0; r < GRID_ROWS; ++r)
            for (int c = 0; c < GRID_COLS; ++c) gs.LevelGrid[r][c] = "asqft"[(c + 2 * r) % 5];
    }
    static void expectViewIsTheGrid() {
        for (int r = 0; r < VIEW_ROWS; ++r)
            ASSERT_EQ(std::string(gs.view[r], VIEW_COLS), std::string(&gs.LevelGrid[gs.viewTop + r][gs.viewLeft], VIEW_COLS))
                << "view row " << r;
    }
};

}  // namespace

// A game saved with the hero two cells off the view's centre is recentred by the
// load and by the load command after it: the view must follow both.
TEST_F(MonkeyFound, ALoadRecentredTwiceShowsTheGridAtTheNewOrigin) {
    stripes();
    std::tie(gs.viewLeft, gs.viewTop, gs.heroCol, gs.heroRow) = std::tuple(10, 40, 2, 5);
    std::tie(gs.playerName, gs.maxLife) = std::tuple("Jo", 100);
    saveToSlot(0);
    gs.heroCol = 7;
    hl::setScript({"click 1032"});
    loadCommand();
    EXPECT_EQ(std::tie(gs.viewLeft, gs.heroCol), std::tuple(8, 4)) << "two steps of recentring";
    expectViewIsTheGrid();
}

// Holding the left button moves the view away from the hero; the save and the
// inventory from the menu act on the hero's own cell all the same.
TEST_F(MonkeyFound, TheMenuSavesAndDropsWhereTheHeroStandsWhileLooking) {
    stripes();
    placeHero(50, 50);
    std::tie(gs.maxLife, gs.tutoSave, gs.tutoInventory, gs.inventory[1]) = std::tuple(100, 1, 1, 1);
    gs.LevelGrid[50][50] = 'a';
    refreshView();
    const struct {
        int command;
        const char* click;
    } commands[] = {{CMD_SAVE, "click 1032"}, {CMD_INVENTORY, "click 1020"}};  // slot 1; drop the sword
    for (const auto& c : commands) {
        const int left = gs.viewLeft;
        mainWindowProc(gs.mainWindow, platform::Msg::LButtonDown, 10, 10);
        for (int k = 0; k < 3; ++k) keySequence(platform::vk::RIGHT), mainWindowProc(gs.mainWindow, platform::Msg::KeyUp, 0, 0);
        ASSERT_EQ(gs.viewLeft, left + 3) << "looking three cells to the right";
        hl::setScript({c.click});
        try {
            menuCommand(gs.mainWindow, c.command);
        } catch (const hl::ScriptEnd&) {
            return ADD_FAILURE() << "command " << c.command << ": its dialog wants more than " << c.click;
        }
        const SaveSlot& s = gs.saveSlots[0];
        EXPECT_EQ(std::pair(s.viewTop + s.heroRow, s.viewLeft + s.heroCol), std::pair(50, 50)) << "the saved cell";
    }
    EXPECT_EQ(gs.LevelGrid[50][50], 'e');
    EXPECT_EQ(gs.inventory[1], 0);
}

// Unarmed, the hero turning round on an enemy's cell (where a jump or a fall
// left him) is not pushed anywhere: he made no step to undo. At the grid's
// right edge the push took him out of the view and the grid.
TEST_F(MonkeyFound, AnUnarmedTurnOnAnEnemyMovesNobody) {
    for (const int col : {99, 50}) {
        fill('a');
        floorRow(99);
        put(98, col - 1, "sg");
        placeHero(98, col, 1);
        walkStep(-1);
        EXPECT_EQ(where(), std::pair(98, col));
        EXPECT_EQ(gs.heroFacing, -1);
        EXPECT_EQ(boxes().size(), 1u) << "Pas de combat sans arme!!!";
        hl::clearTranscript();
    }
}
