// Starting a game: the "Nouvelle Partie" dialog driven by script lines, the
// reset it makes, the start cell of both levels and the intro of the castle.
#include <fstream>
#include <string>
#include <vector>

#include "items/weight.h"
#include "play_fixture.h"
#include "resources/dlg_newgame.h"
#include "saves/newgame.h"

using play::PlayTest;
using Strings = std::vector<std::string>;

namespace {

// A level token with a few marks to recognise it by: floor on row 99, the
// entrance stone at (97, 2) over an open (98, 2), and a troubadour at `mark`.
std::string levelToken(int markRow, int markCol) {
    std::string grid(GRID_CELLS, 'a');
    for (int c = 0; c < GRID_COLS; ++c) grid[99 * GRID_COLS + c] = 's';
    grid[97 * GRID_COLS + 2] = 's';
    grid[markRow * GRID_COLS + markCol] = 'j';
    return grid;
}

void writeFile(const std::string& name, const std::string& text) {
    std::ofstream(name, std::ios::binary) << text;
}

// What the dialog shows after each message it handled.
struct Seen {
    std::string colourText;
    unsigned barInside = 0, barEnd = 0, barOutline = 0;
};
std::vector<Seen> seen;
std::string proposedName;

long watchingProc(platform::Window dlg, platform::Msg msg, long a, long b) {
    long result = newGameDialogProc(dlg, msg, a, b);
    if (msg == platform::Msg::InitDialog) proposedName = play::hl::itemText(dlg, IDC_NEWGAME_NAME);
    if (msg == platform::Msg::Command && a != IDC_NEWGAME_OK && a != IDC_NEWGAME_CANCEL) {
        seen.push_back({play::hl::itemText(dlg, IDC_NEWGAME_COLOUR), play::hl::pixel(dlg, 140, 135),
                        play::hl::pixel(dlg, 200, 135), play::hl::pixel(dlg, 130, 130)});
    }
    return result;
}

}  // namespace

class NewGame : public PlayTest {
protected:
    void SetUp() override {
        PlayTest::SetUp();
        if (HasFatalFailure()) return;
        gs.onTitleScreen = 1;
        writeFile("niveau.niv", levelToken(10, 10));
    }
    static void run(const Strings& script) {
        play::hl::setScript(script);
        newGameCommand();
        EXPECT_TRUE(play::hl::scriptDone());
    }
};

TEST_F(NewGame, ColourButtonsStepByTenWithinRange) {
    Strings script(26, "click 1032");  // red up 26 times from 0
    script.push_back("click 1036");       // green down at 0
    script.push_back("click 1038");       // blue up from the proposed 170
    script.push_back("click 1035");
    script.push_back("click 1035");
    script.push_back("click 2");
    play::hl::setScript(script);
    seen.clear();
    EXPECT_EQ(platform::dialogBox(newGameDialog(), gs.mainWindow, watchingProc), 0);

    EXPECT_EQ(proposedName, "Le chevalier Sans Nom");
    ASSERT_EQ(seen.size(), 30u);
    EXPECT_EQ(seen[0].colourText, "10 - 0 - 170");
    EXPECT_EQ(seen[24].colourText, "250 - 0 - 170");
    EXPECT_EQ(seen[25].colourText, "250 - 0 - 170");
    EXPECT_EQ(seen[26].colourText, "250 - 0 - 170");
    EXPECT_EQ(seen[27].colourText, "250 - 0 - 180");
    EXPECT_EQ(seen[29].colourText, "250 - 0 - 160");
    EXPECT_EQ(gs.pickRed, 250);
    EXPECT_EQ(gs.pickGreen, 0);
    EXPECT_EQ(gs.pickBlue, 160);

    // The preview bar shows the colour being chosen.
    EXPECT_EQ(seen[0].barInside, 0x0A00AAu);
    EXPECT_EQ(seen[29].barInside, 0xFA00A0u);
    EXPECT_EQ(seen[29].barEnd, 0xFFFFFFu);
    EXPECT_EQ(seen[29].barOutline, 0u);
}

TEST_F(NewGame, BlueIsProposedAt170EveryTimeRedAndGreenStay) {
    gs.pickRed = 30;
    gs.pickGreen = 60;
    gs.favoriteBlue = 20;
    run({"click 1038", "click 1038", "click 2"});
    EXPECT_EQ(gs.pickBlue, 190);
    run({"click 2"});
    EXPECT_EQ(gs.pickBlue, 170);
    EXPECT_EQ(gs.pickRed, 30);
    EXPECT_EQ(gs.pickGreen, 60);
    EXPECT_EQ(gs.favoriteBlue, 20) << "cancelling keeps the favourite colour";
}

TEST_F(NewGame, CancelLeavesTheRunningGameButEndsTheEscape) {
    gs.onTitleScreen = 0;
    gs.life = 37;
    gs.playerName = "Gauvain";
    gs.escapeMode = 1;
    gs.heroCol = 3;
    run({"type 1064 Perceval", "click 1081", "click 2"});
    EXPECT_EQ(gs.life, 37);
    EXPECT_EQ(gs.playerName, "Gauvain");
    EXPECT_EQ(gs.onTitleScreen, 0);
    EXPECT_EQ(gs.heroCol, 3);
    EXPECT_EQ(gs.customLevel, 0);
    EXPECT_EQ(gs.escapeMode, 0);
    EXPECT_EQ(play::lineIndex("window place"), -1);
    EXPECT_TRUE(play::musics().empty());
    EXPECT_NE(play::lineIndex("dialog end 119 0"), -1);
}

TEST_F(NewGame, OnTheCastleEverythingIsResetAndTheIntroPlays) {
    // A game in progress, with values a new game must replace or keep.
    for (int& n : gs.inventory) n = 3;
    gs.tutoFirstFight = gs.tutoGuard = gs.tutoShop = gs.tutoSave = gs.tutoSpare2 = 1;
    gs.strength = gs.precision = gs.resistance = gs.protection = 9;
    gs.life = 20;
    gs.maxLife = 150;
    gs.shield = 3;
    gs.shieldMax = 59;
    gs.heroFacing = -1;
    gs.currentWeapon = 4;
    gs.bonusPoints = 2;
    gs.pickRed = 40;
    gs.customLevel = 1;
    gs.escapeMode = 1;
    for (auto& row : gs.LevelGrid)
        for (char& cell : row) cell = 'k';

    run({"type 1064 Perceval", "click 1032", "click 1"});

    EXPECT_EQ(gs.customLevel, 0);
    EXPECT_EQ(gs.playerName, "Perceval");
    EXPECT_EQ(gs.tutoFirstFight + gs.tutoGuard + gs.tutoShop + gs.tutoSave + gs.tutoSpare2, 0);
    EXPECT_EQ(gs.heroFacing, 1);
    EXPECT_EQ(gs.favoriteRed, 50);
    EXPECT_EQ(gs.favoriteGreen, 0);
    EXPECT_EQ(gs.favoriteBlue, 170);
    EXPECT_EQ(gs.strength + gs.precision + gs.resistance + gs.protection, 0);
    EXPECT_EQ(gs.life, 100);
    EXPECT_EQ(gs.maxLife, 100);
    EXPECT_EQ(gs.shield, 50);
    EXPECT_EQ(gs.shieldMax, 50);
    EXPECT_EQ(gs.currentWeapon, 4) << "not reset by a new game";
    EXPECT_EQ(gs.bonusPoints, 2);
    EXPECT_EQ(gs.onTitleScreen, 0);
    EXPECT_EQ(gs.escapeMode, 0);
    const int expected[ITEM_COUNT] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 15};
    for (int i = 0; i < ITEM_COUNT; ++i) EXPECT_EQ(gs.inventory[i], expected[i]) << i;
    EXPECT_FLOAT_EQ(gs.carriedWeight, ITEM_TABLE[8].weight + 15 * ITEM_TABLE[17].weight);

    // The castle was read, and the intro walked in and closed the entrance.
    EXPECT_EQ(gs.LevelGrid[10][10], 'j');
    EXPECT_EQ(gs.LevelGrid[50][50], 'a');
    EXPECT_EQ(gs.LevelGrid[97][2], 'a');
    EXPECT_EQ(gs.LevelGrid[98][2], 's');
    EXPECT_EQ(gs.heroCol, 5);
    EXPECT_EQ(gs.heroRow, 9);
    EXPECT_EQ(gs.viewLeft, 0);
    EXPECT_EQ(gs.viewTop, 89);
    EXPECT_EQ(gs.view[9][2], 's');

    EXPECT_EQ(play::musics(), (Strings{"0", "1"}));
    int open = play::lineIndex("dialog open 119");
    int silence = play::lineIndex("music 0");
    int welcome = play::lineIndex("box ");
    int stone = play::lineIndex("sound pierre");
    int music = play::lineIndex("music 1");
    int place = play::lineIndex("window place 321 200 480 400");
    EXPECT_NE(open, -1);
    EXPECT_LT(open, silence);
    EXPECT_LT(silence, welcome);
    EXPECT_LT(welcome, stone);
    EXPECT_LT(stone, music);
    EXPECT_LT(music, place);
    ASSERT_NE(welcome, -1);
    EXPECT_NE(play::hl::transcript()[welcome].find("Que l'aventure commence !!"), std::string::npos);
}

TEST_F(NewGame, TheNameKeepsAtMost59Characters) {
    run({"type 1064 " + std::string(70, 'x'), "click 1"});
    EXPECT_EQ(gs.playerName, std::string(59, 'x'));

    std::string accents;
    for (int i = 0; i < 61; ++i) accents += "é";
    run({"type 1064 " + accents, "click 1"});
    EXPECT_EQ(gs.playerName.size(), 59u * 2);
    EXPECT_EQ(truncateName(std::string(58, 'a') + "éè!"), std::string(58, 'a') + "é");

    EXPECT_EQ(truncateName(""), "");
    EXPECT_EQ(truncateName("Le chevalier Sans Nom"), "Le chevalier Sans Nom");
}

class CustomStart : public NewGame {
protected:
    void start(int col, int row) {
        writeFile("perso.niv", levelToken(20, 30) + " " + std::to_string(col) + " " +
                                   std::to_string(row) + " ");
        gs.savedViewLeft = gs.savedViewTop = -1;
        play::hl::clearTranscript();
        run({"click 1081", "click 1"});
    }
};

TEST_F(CustomStart, TheViewIsCentredAndClampedOnTheStartCell) {
    const struct {
        int col, row, left, top, heroCol, heroRow;
    } cases[] = {
        {3, 98, 0, 89, 3, 9},   {50, 50, 43, 45, 7, 5}, {99, 0, 85, 0, 14, 0},
        {0, 99, 0, 89, 0, 10},  {92, 5, 85, 0, 7, 5},   {7, 5, 0, 0, 7, 5},
        {12, 94, 5, 89, 7, 5},
    };
    for (const auto& c : cases) {
        start(c.col, c.row);
        EXPECT_EQ(gs.viewLeft, c.left) << c.col << "," << c.row;
        EXPECT_EQ(gs.viewTop, c.top) << c.col << "," << c.row;
        EXPECT_EQ(gs.heroCol, c.heroCol) << c.col << "," << c.row;
        EXPECT_EQ(gs.heroRow, c.heroRow) << c.col << "," << c.row;
        EXPECT_EQ(gs.savedViewLeft, gs.viewLeft);
        EXPECT_EQ(gs.savedViewTop, gs.viewTop);
        EXPECT_EQ(gs.view[gs.heroRow][gs.heroCol], gs.LevelGrid[c.row][c.col]);
    }
}

TEST_F(CustomStart, ASwordToBeginWithAndNoIntro) {
    start(50, 50);
    EXPECT_EQ(gs.customLevel, 1);
    EXPECT_EQ(gs.customStartCol, 50);
    EXPECT_EQ(gs.customStartRow, 50);
    EXPECT_EQ(gs.LevelGrid[20][30], 'j');
    const int expected[ITEM_COUNT] = {0, 1, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 15};
    for (int i = 0; i < ITEM_COUNT; ++i) EXPECT_EQ(gs.inventory[i], expected[i]) << i;
    EXPECT_EQ(play::musics(), Strings{"1"});
    EXPECT_TRUE(play::boxes().empty());
    EXPECT_EQ(play::lineIndex("sound pierre"), -1);
    EXPECT_NE(play::lineIndex("window place 321 200 480 400"), -1);
    EXPECT_EQ(gs.onTitleScreen, 0);
}

TEST_F(CustomStart, ANewGameReplacesARunningOneWithoutAsking) {
    start(50, 50);
    gs.life = 12;
    gs.inventory[3] = 2;
    writeFile("Sauvegardes.sav", "untouched");
    start(3, 98);
    EXPECT_EQ(gs.life, 100);
    EXPECT_EQ(gs.inventory[3], 0);
    EXPECT_TRUE(play::boxes().empty());
    std::ifstream in("Sauvegardes.sav");
    std::string text;
    in >> text;
    EXPECT_EQ(text, "untouched");
}

TEST_F(CustomStart, StartingDuringTheCreditsOrTheEscapeStopsTheirTimer) {
    for (int credits : {1, 0}) {
        gs.creditsRolling = static_cast<char>(credits);
        gs.escapeMode = static_cast<char>(1 - credits);
        platform::setTimer(gs.mainWindow, 0, credits ? 40 : 1000);
        start(50, 50);
        EXPECT_EQ(gs.creditsRolling, 0);
        EXPECT_EQ(gs.escapeMode, 0);
        EXPECT_NE(play::lineIndex("timer kill main 0"), -1) << credits;
    }
}
