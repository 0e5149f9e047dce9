// Whole flows through the real game on the headless backend: from the title
// screen, "Nouveau jeu", the intro, then the arrow keys walking the knight.
#include <fstream>
#include <string>
#include <vector>

#include "play_fixture.h"
#include "shell/startup.h"

using Strings = std::vector<std::string>;

namespace {

// Floor on row 99 and the entrance stone at (97, 2).
std::string castle() {
    std::string grid(GRID_CELLS, 'a');
    auto at = [&](int r, int c) -> char& { return grid[r * GRID_COLS + c]; };
    for (int c = 0; c < GRID_COLS; ++c) at(99, c) = 's';
    at(97, 2) = 's';
    return grid;
}

class FromTheTitleScreen : public play::PlayTest {
protected:
    void SetUp() override {
        PlayTest::SetUp();
        if (HasFatalFailure()) return;
        play::hl::reset();  // the game creates its own window
        gs = GameState{};
        std::ofstream("niveau.niv", std::ios::binary) << castle();
        // Sound and music on, no waits: no first-launch questions.
        std::ofstream("Reglages.cfg", std::ios::binary) << "son=1,Musique=1,Rapidit\xE9=1";
    }
    // Runs the game until the script is used up.
    static void play(const Strings& script) {
        play::hl::setScript(script);
        try {
            quelmarMain();
        } catch (const play::hl::ScriptEnd&) {
        }
    }
};

}  // namespace

TEST_F(FromTheTitleScreen, NewGameIntroThenWalkingRight) {
    play({"menu 40011", "type 1064 Lancelot", "click 1", "key Right", "key Right", "key Right"});

    EXPECT_EQ(gs.onTitleScreen, 0);
    EXPECT_EQ(gs.playerName, "Lancelot");
    EXPECT_EQ(gs.viewTop + gs.heroRow, 98);
    EXPECT_EQ(gs.viewLeft + gs.heroCol, 8);
    EXPECT_EQ(gs.LevelGrid[98][2], 's');

    // Title music, silence for the intro, then the exploration music.
    Strings music = play::musics();
    ASSERT_GE(music.size(), 3u);
    EXPECT_EQ(music[0], "4");
    EXPECT_EQ(music[music.size() - 2], "0");
    EXPECT_EQ(music.back(), "1");

    Strings heard = play::sounds();
    ASSERT_GE(heard.size(), 4u);
    EXPECT_EQ(Strings(heard.end() - 4, heard.end()),
              (Strings{"pierre", "marche1", "marche0", "marche1"}));
    EXPECT_NE(play::lineIndex("window place 321 200 480 400"), -1);
}

TEST_F(FromTheTitleScreen, HoldingAKeyMovesOneCell) {
    play({"menu 40011", "click 1", "keydown Right", "keydown Right", "keydown Right",
          "keyup Right", "keydown Right", "keyup Right"});
    EXPECT_EQ(gs.viewLeft + gs.heroCol, 7);
}

TEST_F(FromTheTitleScreen, UnarmedAgainstAGuardIsPushedBack) {
    std::string grid = castle();
    grid[98 * GRID_COLS + 7] = 'g';
    std::ofstream("niveau.niv", std::ios::binary) << grid;
    play({"menu 40011", "click 1", "key Right", "key Right"});
    EXPECT_EQ(gs.viewLeft + gs.heroCol, 6);
    Strings shown = play::boxes();
    ASSERT_EQ(shown.size(), 2u);  // the welcome, then the warning
    EXPECT_NE(shown[1].find("text=\"Pas de combat sans arme!!!\""), std::string::npos);
    EXPECT_NE(shown[1].find("owner=main"), std::string::npos);
}
