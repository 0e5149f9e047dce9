// Whole flows through the real game on the headless backend: from the title
// screen, "Nouveau jeu", the intro, then the arrow keys walking the knight.
#include <fstream>

#include "play_fixture.h"
#include "shell/startup.h"

using namespace play;

class FromTheTitleScreen : public PlayTest {
protected:
    // Runs the game on a castle with a floor on row 99, the entrance stone at
    // (97, 2) and a guard at (98, 9), until the script is used up.
    void play(const Strings& script) {
        hl::reset();  // the game creates its own window
        gs = GameState{};
        std::string grid(GRID_CELLS, 'a');
        grid.replace(99 * GRID_COLS, GRID_COLS, GRID_COLS, 's');
        grid[97 * GRID_COLS + 2] = 's';
        grid[98 * GRID_COLS + 9] = 'g';
        std::ofstream("niveau.niv", std::ios::binary) << grid;
        // Sound and music on, no waits: no first-launch questions.
        std::ofstream("Reglages.cfg", std::ios::binary) << "son=1,Musique=1,Rapidit\xE9=1";
        hl::setScript(script);
        try {
            quelmarMain();
        } catch (const hl::ScriptEnd&) {
        }
    }
};

TEST_F(FromTheTitleScreen, NewGameIntroThenWalkingRightUpToAGuard) {
    play({"menu 40011", "type 1064 Lancelot", "click 1", "key Right", "key Right", "key Right", "key Right"});
    EXPECT_EQ(gs.onTitleScreen, 0);
    EXPECT_EQ(gs.playerName, "Lancelot");
    EXPECT_EQ(where(), (std::pair{98, 8}));
    EXPECT_EQ(gs.LevelGrid[98][2], 's');
    // Title music, silence for the intro, then the exploration music.
    Strings music = musics();
    ASSERT_GE(music.size(), 3u);
    EXPECT_EQ(music[0], "4");
    EXPECT_EQ(Strings(music.end() - 2, music.end()), (Strings{"0", "1"}));
    Strings steps = sounds();
    ASSERT_GE(steps.size(), 5u);
    EXPECT_EQ(Strings(steps.end() - 5, steps.end()), (Strings{"pierre", "marche1", "marche0", "marche1", "marche0"}));
    EXPECT_NE(lineIndex("window place 321 200 480 400"), -1);
    // The unarmed knight was pushed back from the guard, the box on the main window.
    Strings shown = boxes();
    ASSERT_EQ(shown.size(), 2u);  // the welcome, then the warning
    EXPECT_NE(shown[1].find("owner=main"), std::string::npos);
    EXPECT_NE(shown[1].find("text=\"Pas de combat sans arme!!!\""), std::string::npos);
}

TEST_F(FromTheTitleScreen, HoldingAKeyMovesOneCell) {
    play({"menu 40011", "click 1", "keydown Right", "keydown Right", "keydown Right", "keyup Right",
          "keydown Right", "keyup Right"});
    EXPECT_EQ(gridCol(), 7);
}
