// Reglages.cfg, the first-launch questions and the two settings dialogs.
#include <string>

#include "harness.h"
#include "options/settings.h"
#include "resources/dlg_settings.h"
#include "saves/newgame.h"

using namespace shelltest;
namespace hl = platform::headless;
using platform::Answer;

namespace {

const std::string SETTINGS = "Reglages.cfg";

std::string token(int sound, int music, int slow) {
    return "son=" + std::to_string(sound) + ",Musique=" + std::to_string(music) + ",Rapidit\xE9=" +
           std::to_string(slow);
}

class Settings : public ShellTest {
protected:
    // Runs the options dialog with the given script lines.
    void options(const std::vector<std::string>& lines) {
        hl::setScript(lines);
        optionsCommand();
    }
};

}  // namespace

TEST_F(Settings, StoredValuesAreReadWithoutQuestions) {
    writeFile(SETTINGS, token(1, 0, 1));
    readSettings();
    EXPECT_EQ(gs.soundOn, 1);
    EXPECT_EQ(gs.musicOn, 0);
    EXPECT_EQ(gs.slowComputer, 1);
    EXPECT_TRUE(linesWith("box ").empty());
    EXPECT_EQ(readFile(SETTINGS), token(1, 0, 1));

    // Any non-zero number means on; the flags themselves stay 0 or 1, so a track
    // number is never multiplied by anything else.
    writeFile(SETTINGS, token(7, -2, 0));
    readSettings();
    EXPECT_EQ(gs.soundOn, 1);
    EXPECT_EQ(gs.musicOn, 1);
    EXPECT_EQ(gs.slowComputer, 0);
}

TEST_F(Settings, FirstLaunchAsksThreeQuestionsAndWritesTheAnswers) {
    hl::queueAnswer(Answer::Yes);
    hl::queueAnswer(Answer::No);
    hl::queueAnswer(Answer::Yes);
    readSettings();
    EXPECT_EQ(readFile(SETTINGS), "son=1,Musique=0,Rapidit\xE9=0");
    EXPECT_EQ(gs.soundOn, 1);
    EXPECT_EQ(gs.musicOn, 0);
    EXPECT_EQ(gs.slowComputer, 0);
    const auto boxes = linesWith("box ");
    ASSERT_EQ(boxes.size(), 4u);
    const char* questions[3] = {"Voulez vous activer les bruitages sonores?", "Voulez vous activer la musique?",
                                "Est-ce-que votre ordinateur est rapide (date d'apres 2001)?"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_NE(boxes[static_cast<std::size_t>(i)].find("owner=none icon=none buttons=yesno"), std::string::npos)
            << boxes[static_cast<std::size_t>(i)];
        EXPECT_NE(boxes[static_cast<std::size_t>(i)].find("caption=\"Réglages de premier lancement\" text=\"" +
                                                          std::string(questions[i]) + "\""),
                  std::string::npos)
            << boxes[static_cast<std::size_t>(i)];
    }
    EXPECT_NE(boxes[3].find("owner=none icon=none buttons=ok default=ok caption=\"Reglages...\" "
                            "text=\"Vous pouvez modifier ces reglages dans le menu options...\""),
              std::string::npos)
        << boxes[3];
}

TEST_F(Settings, ThreeNoesWriteSilenceAndASlowComputer) {
    for (int i = 0; i < 3; ++i) hl::queueAnswer(Answer::No);
    readSettings();
    EXPECT_EQ(readFile(SETTINGS), token(0, 0, 1));
    EXPECT_EQ(gs.soundOn, 0);
    EXPECT_EQ(gs.musicOn, 0);
    EXPECT_EQ(gs.slowComputer, 1);
}

TEST_F(Settings, ASpaceAfterTheFirstCommaCountsAsAFirstLaunch) {
    writeFile(SETTINGS, "son=1, Musique=1,Rapidit\xE9=0");
    for (int i = 0; i < 3; ++i) hl::queueAnswer(Answer::Yes);
    readSettings();
    EXPECT_EQ(linesWith("premier lancement").size(), 3u);
    EXPECT_EQ(readFile(SETTINGS), token(1, 1, 0));

    // Neither is a file written with the UTF-8 spelling of the accent.
    hl::clearTranscript();
    writeFile(SETTINGS, "son=1,Musique=1,Rapidit\xC3\xA9=0");
    readSettings();
    EXPECT_EQ(linesWith("premier lancement").size(), 3u);
}

TEST_F(Settings, TokenParserTakesOnlyTheWholeFormat) {
    int s = -1, m = -1, r = -1;
    EXPECT_TRUE(parseSettings("son=1,Musique=0,Rapidit\xE9=1", s, m, r));
    EXPECT_EQ(s, 1);
    EXPECT_EQ(m, 0);
    EXPECT_EQ(r, 1);
    EXPECT_TRUE(parseSettings("son=-3,Musique=+12,Rapidit\xE9=0junk", s, m, r));
    EXPECT_EQ(s, -3);
    EXPECT_EQ(m, 12);
    EXPECT_EQ(r, 0);
    EXPECT_FALSE(parseSettings("son=1,", s, m, r));
    EXPECT_FALSE(parseSettings("son=1,Musique=x,Rapidit\xE9=1", s, m, r));
    EXPECT_FALSE(parseSettings("Son=1,Musique=1,Rapidit\xE9=1", s, m, r));
    EXPECT_FALSE(parseSettings("", s, m, r));
    EXPECT_TRUE(parseSettings("son=99999999999999999999,Musique=1,Rapidit\xE9=1", s, m, r));
    EXPECT_NE(s, 0);
}

TEST_F(Settings, DialogChecksMirrorTheSettings) {
    openMain(false);
    // OK right away keeps every value: the boxes were checked from them, and
    // "Ordi Rapide" exactly when slowComputer is 0.
    for (int slow : {0, 1})
        for (int sound : {0, 1}) {
            gs.slowComputer = slow;
            gs.soundOn = sound;
            gs.musicOn = 1 - sound;
            options({"click 1"});
            EXPECT_EQ(gs.slowComputer, slow);
            EXPECT_EQ(gs.soundOn, sound);
            EXPECT_EQ(gs.musicOn, 1 - sound);
            EXPECT_EQ(readFile(SETTINGS), token(sound, 1 - sound, slow));
        }
    gs.slowComputer = 1;
    gs.soundOn = 0;
    options({"click 1072", "click 1066", "click 1"});
    EXPECT_EQ(gs.slowComputer, 0);
    EXPECT_EQ(gs.soundOn, 1);
    EXPECT_EQ(readFile(SETTINGS), token(1, 0, 0));
}

TEST_F(Settings, CancelWritesNothingAndChangesNothing) {
    openMain(true);
    gs.favoriteRed = 30;
    options({"click 1072", "click 1067", "click 1032", "click 2"});
    EXPECT_FALSE(fs::exists(SETTINGS));
    EXPECT_EQ(gs.slowComputer, 1);
    EXPECT_EQ(gs.musicOn, 1);
    EXPECT_EQ(gs.favoriteRed, 30);
    EXPECT_TRUE(linesWith("music").empty());
}

TEST_F(Settings, WhilePlayingTheColourIsChosenAndTheMusicRestarts) {
    openMain(true);
    gs.favoriteRed = 240;
    gs.favoriteGreen = 0;
    gs.favoriteBlue = 100;
    options({"click 1032", "click 1032", "click 1036", "click 1038", "click 1035", "click 1035", "click 1"});
    EXPECT_GE(lineIndex("dialog open 121"), 0);
    EXPECT_EQ(gs.favoriteRed, 250);
    EXPECT_EQ(gs.favoriteGreen, 0);
    EXPECT_EQ(gs.favoriteBlue, 90);
    EXPECT_EQ(linesWith("music").size(), 1u);
    EXPECT_GE(lineIndex("music 1"), 0);
    EXPECT_EQ(readFile(dir / "sons" / "MusicCfg.cfg"), "musique:1");

    // Music switched off there writes silence at once.
    options({"click 1067", "click 1"});
    EXPECT_EQ(readFile(dir / "sons" / "MusicCfg.cfg"), "musique:0");
}

TEST_F(Settings, OnTheTitleScreenNoColourAndNoMusicChange) {
    openMain(false);
    gs.favoriteRed = 40;
    options({"click 1067", "click 1"});
    EXPECT_GE(lineIndex("dialog open 124"), 0);
    EXPECT_EQ(gs.musicOn, 0);
    EXPECT_EQ(gs.favoriteRed, 40);
    EXPECT_TRUE(linesWith("music").empty());  // the title music stops only at the next change
    hl::setScript({"click 1032"});
    EXPECT_THROW(optionsCommand(), hl::ScriptError);  // dialog 124 has no colour buttons
}

namespace {
unsigned previewPixel = 0;
long probeProc(platform::Window dlg, platform::Msg msg, long a, long b) {
    long result = settingsDialogProc(dlg, msg, a, b);
    if (msg == platform::Msg::Command && a == IDC_RED_PLUS) previewPixel = hl::pixel(dlg, 133 + 64, 80);
    return result;
}
}  // namespace

TEST_F(Settings, PreviewBarInThePickColour) {
    openMain(true);
    gs.favoriteRed = 100;
    gs.favoriteGreen = 20;
    gs.favoriteBlue = 250;
    hl::setScript({"click 1032", "click 2"});
    platform::dialogBox(settingsPlayDialog(), gs.mainWindow, probeProc);
    EXPECT_EQ(previewPixel, 0x6E14FAu);  // red 110 after the click, 65 pixels long
    EXPECT_EQ(gs.favoriteRed, 100);
}

TEST(SettingsColour, StepsStayWithinRange) {
    EXPECT_EQ(stepColour(240, COLOUR_STEP), 250);
    EXPECT_EQ(stepColour(250, COLOUR_STEP), 250);
    EXPECT_EQ(stepColour(10, -COLOUR_STEP), 0);
    EXPECT_EQ(stepColour(0, -COLOUR_STEP), 0);
    EXPECT_EQ(stepColour(125, COLOUR_STEP), 135);
}
