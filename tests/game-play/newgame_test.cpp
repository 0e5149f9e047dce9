// Starting a game: the "Nouvelle Partie" dialog driven by script lines, the
// reset it makes, the start cell of both levels and the intro of the castle.
#include <fstream>

#include "items/weight.h"
#include "play_fixture.h"
#include "resources/dlg_newgame.h"
#include "saves/newgame.h"
#include "shell/mainwindow.h"

using namespace play;

namespace {

// A level token to recognise: floor on row 99, the entrance stone at (97, 2)
// over an open (98, 2), and a troubadour at (row, col).
std::string levelToken(int row, int col) {
    std::string grid(GRID_CELLS, 'a');
    grid.replace(99 * GRID_COLS, GRID_COLS, GRID_COLS, 's');
    grid[97 * GRID_COLS + 2] = 's';
    grid[row * GRID_COLS + col] = 'j';
    return grid;
}

// The colour text and the preview bar's pixels (inside, past its end, its
// outline) after each colour button.
Strings seen;
long watchingProc(platform::Window dlg, platform::Msg msg, long a, long b) {
    long result = newGameDialogProc(dlg, msg, a, b);
    if (msg == platform::Msg::InitDialog) seen.push_back(hl::itemText(dlg, IDC_NEWGAME_NAME));
    if (msg == platform::Msg::Command && a != IDC_NEWGAME_OK && a != IDC_NEWGAME_CANCEL) {
        char bar[40];
        std::snprintf(bar, sizeof bar, " %06X %06X %06X", hl::pixel(dlg, 140, 135), hl::pixel(dlg, 200, 135),
                      hl::pixel(dlg, 130, 130));
        seen.push_back(hl::itemText(dlg, IDC_NEWGAME_COLOUR) + bar);
    }
    return result;
}

}  // namespace

class NewGame : public PlayTest {
protected:
    void SetUp() override {
        PlayTest::SetUp();
        gs.onTitleScreen = 1;
        std::ofstream("niveau.niv", std::ios::binary) << levelToken(10, 10);
    }
    static void run(const Strings& script) {
        hl::setScript(script);
        newGameCommand();
        EXPECT_TRUE(hl::scriptDone());
    }
    static void expectInventory(std::vector<int> want) {
        EXPECT_EQ(std::vector<int>(std::begin(gs.inventory), std::end(gs.inventory)), want);
        EXPECT_FLOAT_EQ(gs.carriedWeight, ITEM_TABLE[8].weight + 15 * ITEM_TABLE[17].weight +
                                              want[1] * ITEM_TABLE[1].weight);
    }
};

TEST_F(NewGame, ColourButtonsStepByTenWithinRangeAndCancelKeepsTheRunningGame) {
    Strings script(26, "click 1032");  // red up 26 times from 0
    for (const char* id : {"1036", "1038", "1035", "1035", "2"}) script.push_back(std::string("click ") + id);
    hl::setScript(script);  // then green down at 0, blue up from 170 and down twice, Cancel
    seen.clear();
    EXPECT_EQ(platform::dialogBox(newGameDialog(), gs.mainWindow, watchingProc), 0);
    ASSERT_EQ(seen.size(), 31u);
    EXPECT_EQ(seen[0], "Le chevalier Sans Nom");
    EXPECT_EQ(seen[1], "10 - 0 - 170 0A00AA FFFFFF 000000");
    EXPECT_EQ(Strings(seen.begin() + 25, seen.begin() + 28), Strings(3, "250 - 0 - 170 FA00AA FFFFFF 000000"));
    EXPECT_EQ(seen[28], "250 - 0 - 180 FA00B4 FFFFFF 000000");
    EXPECT_EQ(seen[30], "250 - 0 - 160 FA00A0 FFFFFF 000000");
    EXPECT_EQ(std::tie(gs.pickRed, gs.pickGreen, gs.pickBlue), std::tuple(250, 0, 160));

    // Cancelled during an escape, the game and the escape go on; the next
    // opening proposes blue at 170 again.
    std::tie(gs.onTitleScreen, gs.escapeMode, gs.life, gs.favoriteBlue) = std::tuple(0, 1, 37, 20);
    gs.playerName = "Gauvain";
    hl::clearTranscript();
    run({"type 1064 Perceval", "click 1081", "click 2"});
    EXPECT_EQ(std::tie(gs.pickRed, gs.pickGreen, gs.pickBlue, gs.favoriteBlue), std::tuple(250, 0, 170, 20));
    EXPECT_EQ(std::tie(gs.life, gs.playerName, gs.onTitleScreen, gs.customLevel, gs.escapeMode),
              std::tuple(37, "Gauvain", 0, 0, 1));
    EXPECT_EQ(std::pair(lineIndex("window place"), lineIndex("timer kill")), std::pair(-1, -1));
    EXPECT_TRUE(musics().empty());
    EXPECT_NE(lineIndex("dialog end 119 0"), -1);
}

TEST_F(NewGame, OnTheCastleEverythingIsResetAndTheIntroPlays) {
    // A game in progress, with values a new game must replace or keep.
    std::fill(std::begin(gs.inventory), std::end(gs.inventory), 3);
    gs.tutoFirstFight = gs.tutoGuard = gs.tutoShop = gs.tutoSave = gs.tutoSpare2 = 1;
    gs.strength = gs.precision = gs.resistance = gs.protection = 9;
    std::tie(gs.life, gs.maxLife, gs.shield, gs.shieldMax, gs.heroFacing) = std::tuple(20, 150, 3, 59, -1);
    std::tie(gs.currentWeapon, gs.bonusPoints, gs.pickRed, gs.customLevel, gs.escapeMode) = std::tuple(4, 2, 40, 1, 1);
    fill('k');
    std::string name(30, 'x');  // and 40 two-byte characters: the name keeps 59 characters
    for (int i = 0; i < 40; ++i) name += "é";

    std::tie(gs.lookMode, gs.savedViewLeft, gs.savedViewTop) = std::tuple(1, 40, 30);  // the button held
    gs.currentSlot = 0;
    run({"type 1064 " + name, "click 1032", "click 1", "click 1034"});  // then the third slot as default
    mainWindowProc(gs.mainWindow, platform::Msg::LButtonUp, 0, 0);  // its release restores nothing

    EXPECT_EQ(std::tie(gs.customLevel, gs.playerName, gs.heroFacing, gs.onTitleScreen, gs.escapeMode, gs.currentSlot),
              std::tuple(0, name.substr(0, 30 + 29 * 2), 1, 0, 0, 2));
    EXPECT_EQ(gs.tutoFirstFight + gs.tutoGuard + gs.tutoShop + gs.tutoSave + gs.tutoSpare2, 0);
    EXPECT_EQ(std::tie(gs.favoriteRed, gs.favoriteGreen, gs.favoriteBlue), std::tuple(50, 0, 170));
    EXPECT_EQ(gs.strength + gs.precision + gs.resistance + gs.protection, 0);
    EXPECT_EQ(std::tie(gs.life, gs.maxLife, gs.shield, gs.shieldMax), std::tuple(100, 100, 50, 50));
    // Not reset by a new game.
    EXPECT_EQ(std::tie(gs.currentWeapon, gs.bonusPoints), std::tuple(4, 2));
    expectInventory({0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 15});

    // The castle was read, and the intro walked in and closed the entrance.
    EXPECT_EQ(std::string({gs.LevelGrid[10][10], gs.LevelGrid[50][50], gs.LevelGrid[97][2], gs.LevelGrid[98][2],
                           gs.view[9][2]}),
              "jaass");
    EXPECT_EQ(std::tie(gs.heroCol, gs.heroRow, gs.viewLeft, gs.viewTop), std::tuple(5, 9, 0, 89));

    EXPECT_EQ(musics(), (Strings{"0", "1"}));
    int steps[] = {lineIndex("dialog open 119"), lineIndex("music 0"),  lineIndex("box "),
                   lineIndex("sound pierre"),    lineIndex("music 1"), lineIndex("dialog open 122"),
                   lineIndex("window place 321 200 480 400")};
    EXPECT_NE(steps[0], -1);
    EXPECT_TRUE(std::is_sorted(std::begin(steps), std::end(steps)));
    ASSERT_NE(steps[2], -1);
    for (const char* text : {"Que l'aventure commence !!", "Vous êtes le prince", "son château maudit"})
        EXPECT_NE(hl::transcript()[steps[2]].find(text), std::string::npos) << text;
}

TEST(PlayerName, BytesThatAreNoCharacterBecomeQuestionMarksBeforeTheCut) {
    const std::string e59 = [] { std::string s; for (int i = 0; i < 59; ++i) s += "é"; return s; }();
    const std::pair<std::string, std::string> names[] = {  // typed, kept
        {std::string(300, '\x80') + "abc", std::string(59, '?')},  // stray continuation bytes
        {e59 + "é", e59},
        {"a\xC3(b\xF0\x9F\x98\x80", "a?(b\xF0\x9F\x98\x80"},  // a cut sequence; a 4-byte character kept
        {"\xC0\xAF\xED\xA0\x80", "?????"}};                    // overlong, surrogate
    for (const auto& [typed, kept] : names) EXPECT_EQ(truncateName(typed), kept) << typed;
}

class CustomStart : public NewGame {
protected:
    static void start(int col, int row) {
        std::ofstream("perso.niv", std::ios::binary)
            << levelToken(20, 30) + " " + std::to_string(col) + " " + std::to_string(row) + " ";
        gs.savedViewLeft = gs.savedViewTop = -1;
        hl::clearTranscript();
        gs.currentSlot = 4;
        run({"click 1081", "click 1", "click 2"});  // no default slot: -1
    }
};

TEST_F(CustomStart, TheViewIsCentredAndClampedOnTheStartCell) {
    // start column, row: view left, top, hero column, row
    const int cases[][6] = {{3, 98, 0, 89, 3, 9}, {50, 50, 43, 45, 7, 5}, {99, 0, 85, 0, 14, 0},
                            {0, 99, 0, 89, 0, 10}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c[0] << ", " << c[1]);
        start(c[0], c[1]);
        EXPECT_EQ(std::tie(gs.viewLeft, gs.viewTop, gs.heroCol, gs.heroRow, gs.savedViewLeft, gs.savedViewTop),
                  std::tuple(c[2], c[3], c[4], c[5], c[2], c[3]));
        EXPECT_EQ(gs.view[gs.heroRow][gs.heroCol], gs.LevelGrid[c[1]][c[0]]);
    }
}

TEST_F(CustomStart, ASwordNoIntroAndARunningGameReplacedWithoutAskingNorTicking) {
    // The first start comes during the credits, the second during an escape:
    // each stops the timer that drives them.
    gs.creditsRolling = 1;
    platform::setTimer(gs.mainWindow, 0, 40);
    start(50, 50);
    EXPECT_EQ(gs.creditsRolling, 0);
    EXPECT_NE(lineIndex("timer kill main 0"), -1);
    std::tie(gs.life, gs.inventory[3], gs.escapeMode) = std::tuple(12, 2, 1);
    platform::setTimer(gs.mainWindow, 0, 1000);
    std::ofstream("Sauvegardes.sav") << "untouched";
    start(50, 50);
    EXPECT_NE(lineIndex("timer kill main 0"), -1);
    EXPECT_EQ(std::tie(gs.customLevel, gs.customStartCol, gs.customStartRow, gs.life, gs.onTitleScreen, gs.escapeMode),
              std::tuple(1, 50, 50, 100, 0, 0));
    EXPECT_EQ(gs.currentSlot, -1);
    EXPECT_EQ(gs.LevelGrid[20][30], 'j');
    expectInventory({0, 1, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 15});
    EXPECT_EQ(musics(), Strings{"1"});
    EXPECT_TRUE(boxes().empty());
    EXPECT_EQ(lineIndex("sound pierre"), -1);
    EXPECT_NE(lineIndex("window place 321 200 480 400"), -1);
    std::string saved;
    std::ifstream("Sauvegardes.sav") >> saved;
    EXPECT_EQ(saved, "untouched");
}
