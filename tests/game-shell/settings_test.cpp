// Reglages.cfg, the first-launch questions and the two settings dialogs.
#include <string>
#include <tuple>

#include "harness.h"
#include "options/settings.h"

using namespace shelltest;
using platform::Answer;

namespace {

const std::string SETTINGS = "Reglages.cfg";

std::string token(int sound, int music, int slow) {
    return "son=" + std::to_string(sound) + ",Musique=" + std::to_string(music) + ",Rapidit\xE9=" + std::to_string(slow);
}

class Settings : public ShellTest {
protected:
    void options(const std::vector<std::string>& lines) {  // the options dialog, scripted
        hl::setScript(lines);
        optionsCommand();
    }
    void expectFlags(int sound, int music, int slow) {
        EXPECT_EQ(std::tuple(gs.soundOn, gs.musicOn, gs.slowComputer), std::tuple(sound, music, slow));
    }
};

}  // namespace

TEST_F(Settings, StoredValuesOrTheFirstLaunchQuestions) {
    std::vector<std::string> boxes;  // the three questions, then the closing box
    for (const char* q : {"Voulez vous activer les bruitages sonores?", "Voulez vous activer la musique?",
                          "Est-ce-que votre ordinateur est rapide (date d'apres 2001)?"})
        boxes.push_back("box owner=none icon=none buttons=yesno default=yes caption=\"Réglages de premier lancement\" "
                        "text=\"" + std::string(q) + "\"");
    boxes.push_back("box owner=none icon=none buttons=ok default=ok caption=\"Reglages...\" "
                    "text=\"Vous pouvez modifier ces reglages dans le menu options...\"");
    const struct {
        const char* file;  // nullptr: no file
        std::vector<Answer> answers;
        int sound, music, slow;
        std::string written;  // the file's bytes afterwards
    } cases[] = {
        {"son=1,Musique=0,Rapidit\xE9=1", {}, 1, 0, 1, token(1, 0, 1)},
        // Any non-zero number means on; the flags themselves stay 0 or 1.
        {"son=7,Musique=-2,Rapidit\xE9=0junk", {}, 1, 1, 0, ""},
        {nullptr, {Answer::Yes, Answer::No, Answer::Yes}, 1, 0, 0, token(1, 0, 0)},
        {"son=1, Musique=1,Rapidit\xE9=0", {Answer::No, Answer::Yes, Answer::No}, 0, 1, 1, token(0, 1, 1)},
        {"son=1,Musique=1,Rapidit\xC3\xA9=0", {Answer::Yes, Answer::Yes, Answer::Yes}, 1, 1, 0, token(1, 1, 0)},  // UTF-8
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file ? c.file : "no file");
        hl::clearTranscript();
        fs::remove(SETTINGS);
        if (c.file) writeFile(SETTINGS, c.file);
        for (Answer a : c.answers) hl::queueAnswer(a);
        readSettings();
        expectFlags(c.sound, c.music, c.slow);
        EXPECT_EQ(readFile(SETTINGS), c.written.empty() ? std::string(c.file) : c.written);
        EXPECT_EQ(linesWith("box ").size(), c.answers.empty() ? 0u : 4u);
        if (!c.answers.empty()) expectInOrder(boxes);
    }
}

TEST_F(Settings, OnTheTitleScreenTheChecksMirrorTheSettings) {
    openMain(false);
    // OK right away keeps every value: the boxes were checked from them, and
    // "Ordi Rapide" exactly when slowComputer is 0.
    for (auto [slow, sound] : {std::pair{0, 1}, {1, 0}}) {
        std::tie(gs.slowComputer, gs.soundOn, gs.musicOn) = std::tuple(slow, sound, 1 - sound);
        options({"click 1"});
        expectFlags(sound, 1 - sound, slow);
        EXPECT_EQ(readFile(SETTINGS), token(sound, 1 - sound, slow));
    }
    options({"click 1072", "click 1066", "click 1067", "click 1"});  // slow 1 -> 0, sound 0 -> 1, music 1 -> 0
    expectFlags(1, 0, 0);
    EXPECT_EQ(readFile(SETTINGS), token(1, 0, 0));
    // Dialog 124, no colour buttons, no music change (the title music stops
    // only at the next change).
    EXPECT_EQ(linesWith("dialog open 124").size(), 3u);
    EXPECT_TRUE(linesWith("music").empty());
    hl::setScript({"click 1032"});
    EXPECT_THROW(optionsCommand(), hl::ScriptError);
}

TEST_F(Settings, WhilePlayingCancelKeepsAllOKTakesTheColourAndTheMusic) {
    openMain(true);
    std::tie(gs.favoriteRed, gs.favoriteGreen, gs.favoriteBlue, gs.soundOn, gs.musicOn, gs.slowComputer) =
        std::tuple(240, 0, 100, 0, 1, 0);
    options({"click 1072", "click 1067", "click 1032", "click 2"});  // Annuler after changes
    EXPECT_FALSE(fs::exists(SETTINGS));
    expectFlags(0, 1, 0);
    EXPECT_EQ(gs.favoriteRed, 240);
    EXPECT_TRUE(linesWith("music").empty());
    // Red + twice (to 250, not 260), green - (stays 0), blue + then - twice.
    options({"click 1032", "click 1032", "click 1036", "click 1038", "click 1035", "click 1035", "click 1"});
    EXPECT_GE(lineIndex("dialog open 121"), 0);
    EXPECT_EQ(std::tuple(gs.favoriteRed, gs.favoriteGreen, gs.favoriteBlue), std::tuple(250, 0, 90));
    EXPECT_EQ(linesWith("music").size(), 1u);
    EXPECT_EQ(readFile(dir / "sons" / "MusicCfg.cfg"), "musique:1");
    options({"click 1067", "click 1"});  // music switched off there writes silence at once
    EXPECT_EQ(readFile(dir / "sons" / "MusicCfg.cfg"), "musique:0");
}
