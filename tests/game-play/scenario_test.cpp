// Whole flows through the real game on the headless backend: from the title
// screen, "Nouveau jeu" and the intro, then the arrow keys walk the knight.
#include <fstream>

#include "play_fixture.h"
#include "shell/startup.h"

using namespace play;

class FromTheTitleScreen : public PlayTest {
protected:
    // Runs the game on a castle with a floor on row 99 and the entrance stone
    // at (97, 2), sound and music on and no waits (no first-launch questions),
    // until the script is used up.
    void play(const Strings& script) {
        hl::reset();  // the game creates its own window
        gs = GameState{};
        std::string grid(GRID_CELLS, 'a');
        grid.replace(99 * GRID_COLS, GRID_COLS, GRID_COLS, 's');
        grid[97 * GRID_COLS + 2] = 's';
        std::ofstream("niveau.niv", std::ios::binary) << grid;
        std::ofstream("Reglages.cfg", std::ios::binary) << "son=1,Musique=1,Rapidit\xE9=1";
        hl::setScript(script);
        try {
            quelmarMain();
        } catch (const hl::ScriptEnd&) {
        }
    }
};

TEST_F(FromTheTitleScreen, NewGameIntroThenTheArrowKeysWalkOneCellAPress) {
    // A key held down repeats its key-down: only the first moves the knight.
    play({"menu 40011", "type 1064 Lancelot", "click 1", "key Right", "keydown Right", "keydown Right",
          "keyup Right", "keydown Right", "keyup Right"});
    EXPECT_EQ(std::tie(gs.onTitleScreen, gs.playerName), std::tuple(0, "Lancelot"));
    EXPECT_EQ(where(), (std::pair{98, 8}));
    EXPECT_EQ(gs.LevelGrid[98][2], 's');
    EXPECT_EQ(musics().back(), "1");
    Strings steps = sounds();
    ASSERT_GE(steps.size(), 4u);
    EXPECT_EQ(Strings(steps.end() - 4, steps.end()), (Strings{"pierre", "marche1", "marche0", "marche1"}));
}
