// Faults the monkey (tools/monkey) found, each played here the shortest way.
#include "play_fixture.h"
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
