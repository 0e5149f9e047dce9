// The dispatcher: keys and their once-per-press rule, look mode, the close and
// quit boxes, the menu commands, the timer (credits and escape countdown).
#include <string>

#include "harness.h"
#include "resources/menu.h"
#include "shell/mainwindow.h"
#include "shell/window.h"
#include "world/scene.h"
#include "world/screens.h"

using namespace shelltest;
namespace hl = platform::headless;
using platform::Msg;

namespace {

class Dispatcher : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        writePictures();
    }
    long send(Msg m, long a = 0, long b = 0) { return mainWindowProc(gs.mainWindow, m, a, b); }
    void keyDown(int key) { send(Msg::KeyDown, key); }
    void keyUp(int key) { send(Msg::KeyUp, key); }
};

int quitLines() {
    int n = 0;
    for (const std::string& line : hl::transcript()) n += line == "quit";
    return n;
}

}  // namespace

TEST_F(Dispatcher, HeldKeyActsOnceAndKeyUpRearmsIt) {
    openMain(true);
    corridor();
    const int start = heroGridCol();
    keyDown(platform::vk::RIGHT);
    keyDown(platform::vk::RIGHT);  // auto-repeat
    keyDown(platform::vk::RIGHT);
    EXPECT_EQ(heroGridCol(), start + 1);
    EXPECT_EQ(gs.lastKey, platform::vk::RIGHT);
    EXPECT_EQ(gs.currentKey, platform::vk::RIGHT);

    // A second key acts at once while the first is held: it turns the hero.
    keyDown(platform::vk::LEFT);
    EXPECT_EQ(gs.heroFacing, -1);
    EXPECT_EQ(heroGridCol(), start + 1);
    // Releasing it re-arms the held key: its next repeat turns him back.
    keyUp(platform::vk::LEFT);
    EXPECT_EQ(gs.lastKey, -1);
    keyDown(platform::vk::RIGHT);
    EXPECT_EQ(gs.heroFacing, 1);
    keyDown(platform::vk::RIGHT);
    EXPECT_EQ(heroGridCol(), start + 1);
    keyUp(platform::vk::RIGHT);
    keyDown(platform::vk::RIGHT);
    EXPECT_EQ(heroGridCol(), start + 2);
}

TEST_F(Dispatcher, NothingActsOnTheTitleScreen) {
    openMain(false);
    corridor();
    const int start = heroGridCol();
    keyDown(platform::vk::RIGHT);
    keyUp(platform::vk::RIGHT);
    keyDown(platform::vk::RIGHT);
    EXPECT_EQ(heroGridCol(), start);
    EXPECT_EQ(gs.lastKey, platform::vk::RIGHT);  // still remembered

    send(Msg::LButtonDown, 10, 10);
    EXPECT_EQ(gs.lookMode, 0);
    EXPECT_TRUE(linesWith("sound").empty());
}

TEST_F(Dispatcher, LookModeScrollsWithinTheGridAndRestoresTheOrigin) {
    openMain(true);
    corridor(2, 86);
    gs.savedViewLeft = 0;
    gs.savedViewTop = 0;
    const int col = gs.heroCol, row = gs.heroRow;
    send(Msg::LButtonDown, 100, 100);
    EXPECT_EQ(gs.lookMode, 1);
    for (int i = 0; i < 5; ++i) keyDown(platform::vk::LEFT);  // repeats scroll too
    EXPECT_EQ(gs.viewLeft, 0);
    for (int i = 0; i < 6; ++i) keyDown(platform::vk::DOWN);
    EXPECT_EQ(gs.viewTop, VIEW_TOP_MAX);
    for (int i = 0; i < 100; ++i) keyDown(platform::vk::RIGHT);
    EXPECT_EQ(gs.viewLeft, VIEW_LEFT_MAX);
    for (int i = 0; i < 100; ++i) keyDown(platform::vk::UP);
    EXPECT_EQ(gs.viewTop, 0);
    EXPECT_EQ(gs.view[0][0], gs.LevelGrid[0][VIEW_LEFT_MAX]);
    EXPECT_EQ(gs.heroCol, col);
    EXPECT_EQ(gs.heroRow, row);
    // The hero is not drawn while looking: his cell shows its tile.
    EXPECT_EQ(px(col * 24 + 12, row * 24 + 12), AIR_RGB);
    EXPECT_TRUE(linesWith("sound").empty());

    send(Msg::LButtonUp, 100, 100);
    EXPECT_EQ(gs.lookMode, 0);
    EXPECT_EQ(gs.viewLeft, 2);
    EXPECT_EQ(gs.viewTop, 86);
    EXPECT_EQ(gs.view[6][0], 's');
    EXPECT_EQ(px(col * 24 + 12, row * 24 + 12), HERO_RIGHT_RGB);
}

TEST_F(Dispatcher, CloseBoxOnTheTitleScreenQuitsWithoutAQuestion) {
    openMain(false);
    EXPECT_EQ(send(Msg::Close), 1);
    EXPECT_TRUE(linesWith("box ").empty());
    EXPECT_EQ(quitLines(), 1);
}

TEST_F(Dispatcher, CloseBoxWhilePlayingAsksFirst) {
    openMain(true);
    hl::queueAnswer(platform::Answer::No);
    EXPECT_EQ(send(Msg::Close), 0);
    EXPECT_EQ(gs.onTitleScreen, 0);
    EXPECT_TRUE(platform::isWindow(gs.mainWindow));
    EXPECT_EQ(quitLines(), 0);
    const auto boxes = linesWith("box ");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("owner=none icon=info buttons=yesno default=no"), std::string::npos) << boxes[0];
    EXPECT_NE(boxes[0].find("caption=\"La malediction de QuelmaR\""), std::string::npos);
    EXPECT_NE(boxes[0].find("text=\"Etes vous sûr de vouloir quitter?\\n\\n Toutes vos avancés depuis "
                            "la dernière sauvegarde seront perdus...\""),
              std::string::npos)
        << boxes[0];

    hl::queueAnswer(platform::Answer::Yes);
    EXPECT_EQ(send(Msg::Close), 1);
    EXPECT_EQ(quitLines(), 1);
    EXPECT_FALSE(platform::isWindow(gs.mainWindow));
}

TEST_F(Dispatcher, QuitCommandAlwaysAsks) {
    for (bool playing : {false, true}) {
        hl::clearTranscript();
        openMain(playing);
        hl::queueAnswer(platform::Answer::No);
        send(Msg::Command, CMD_QUIT);
        EXPECT_TRUE(platform::isWindow(gs.mainWindow));
        const auto boxes = linesWith("box ");
        ASSERT_EQ(boxes.size(), 1u) << playing;
        EXPECT_NE(boxes[0].find("owner=none icon=question buttons=yesno default=no caption=\"Quelmar\" "
                                "text=\"Etes vous sûr de vouloir quitter?\""),
                  std::string::npos)
            << boxes[0];
        hl::queueAnswer(platform::Answer::Yes);
        send(Msg::Command, CMD_QUIT);
        EXPECT_FALSE(platform::isWindow(gs.mainWindow)) << playing;
        EXPECT_EQ(quitLines(), 0) << "the window's end stops the loop, no quit message";
    }
}

TEST_F(Dispatcher, CreditsWhilePlayingOnlySayWhereToFindThem) {
    openMain(true);
    send(Msg::Command, CMD_CREDITS);
    const auto boxes = linesWith("box ");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("owner=main icon=none buttons=ok default=ok caption=\"Erreur...\" "
                            "text=\"Pouer afficher les credits, retournez a la page d'intro..\""),
              std::string::npos)
        << boxes[0];
    EXPECT_EQ(gs.onTitleScreen, 0);
    EXPECT_EQ(gs.creditsRolling, 0);
    EXPECT_TRUE(linesWith("music").empty());
    EXPECT_TRUE(linesWith("timer set").empty());
}

TEST_F(Dispatcher, CreditsOnAFastComputerTake318Ticks) {
    writeBmp(dir / "Images" / "credits.bmp", 390, 350, 0x203040);
    gs.creditsBitmap = platform::loadImage(gs.imagesDir + "credits.bmp", 390, 350);
    openMain(true);
    gs.onTitleScreen = 1;
    gs.slowComputer = 0;
    hl::clearTranscript();
    send(Msg::Command, CMD_CREDITS);
    EXPECT_GE(lineIndex("music 5"), 0);
    EXPECT_GE(lineIndex("window place 320 200 390 350"), 0);
    EXPECT_GE(lineIndex("timer set main 0 40"), 0);
    EXPECT_EQ(gs.creditsScrollY, CREDITS_START_Y);
    EXPECT_EQ(gs.creditsRolling, 1);

    hl::advance(40 * 317);
    EXPECT_EQ(gs.creditsRolling, 1);
    EXPECT_EQ(gs.creditsScrollY, 380 - 2 * 317);
    EXPECT_EQ(px(5, 5), 0x203040u);  // the credits picture under the text
    hl::advance(40);
    EXPECT_EQ(gs.creditsRolling, 0);
    EXPECT_EQ(gs.creditsScrollY, 380 - 2 * 318);
    EXPECT_GE(lineIndex("timer kill main 0"), 0);
    EXPECT_EQ(gs.onTitleScreen, 1);
    // The last frame stays; keys still do nothing.
    keyDown(platform::vk::RIGHT);
    EXPECT_TRUE(linesWith("sound").empty());
}

TEST_F(Dispatcher, CreditsOnASlowComputerUseTheShortestPeriod) {
    openMain(false);
    gs.slowComputer = 1;
    startCredits();
    EXPECT_GE(lineIndex("timer set main 0 0"), 0);
    for (int tick = 0; tick < 211; ++tick) timerSequence();
    EXPECT_EQ(gs.creditsRolling, 1);
    timerSequence();  // 380 - 3 x 212 = -256
    EXPECT_EQ(gs.creditsRolling, 0);
}

class Escape : public Dispatcher {
protected:
    void SetUp() override {
        Dispatcher::SetUp();
        openMain(true);
        corridor();
        gs.escapeMode = 1;
        gs.countdownMinutes = 2;
        gs.countdownSeconds = 30;
        platform::setTimer(gs.mainWindow, MAIN_TIMER, ESCAPE_TICK_MS);
        hl::clearTranscript();
    }
};

TEST_F(Escape, CountdownAfter31And150Ticks) {
    hl::advance(31 * 1000);
    EXPECT_EQ(gs.countdownMinutes, 1);
    EXPECT_EQ(gs.countdownSeconds, 59);
    hl::advance(119 * 1000);
    EXPECT_EQ(gs.countdownMinutes, 0);
    EXPECT_EQ(gs.countdownSeconds, 0);
    EXPECT_EQ(gs.escapeMode, 1);
    EXPECT_EQ(lineIndex("timer kill"), -1);
}

TEST_F(Escape, TheTickAfterZeroEndsTheEscapeForGood) {
    gs.countdownMinutes = 0;
    gs.countdownSeconds = 0;
    hl::queueAnswer(platform::Answer::No);  // the death's reload question, if it asks
    hl::advance(1000);
    EXPECT_EQ(gs.countdownMinutes, -1);
    EXPECT_EQ(gs.countdownSeconds, 59);
    EXPECT_EQ(gs.escapeMode, 0);
    EXPECT_GE(lineIndex("timer kill main 0"), 0);
    hl::advance(120 * 1000);
    EXPECT_EQ(gs.countdownMinutes, -1);  // no second death a minute later
    EXPECT_EQ(gs.countdownSeconds, 59);
}

TEST_F(Escape, ATitleScreenOrAClearedEscapeStopsTheTimer) {
    gs.onTitleScreen = 1;  // a death without reload
    hl::advance(1000);
    EXPECT_EQ(gs.countdownSeconds, 30);
    EXPECT_EQ(gs.escapeMode, 0);
    EXPECT_GE(lineIndex("timer kill main 0"), 0);
}

TEST_F(Escape, WinningRollsTheCreditsOnTheSameTimer) {
    startCredits();
    EXPECT_EQ(gs.escapeMode, 0);
    hl::advance(1000);
    EXPECT_EQ(gs.countdownSeconds, 30);  // the ticks now move the credits
    EXPECT_EQ(gs.creditsRolling, 1);
    EXPECT_LT(gs.creditsScrollY, CREDITS_START_Y);
}

TEST_F(Escape, SaveRefusedAndSKeyActsAsEnter) {
    // Neither path may open the save dialog or its question while escaping.
    send(Msg::Command, CMD_SAVE);
    keyDown('S');
    EXPECT_TRUE(linesWith("box ").empty());
    EXPECT_TRUE(linesWith("dialog open").empty());
}

TEST_F(Dispatcher, AboutBoxHasElevenLinesAndNamesTheHelpFile) {
    openMain(false);
    send(Msg::Command, CMD_ABOUT);
    const auto boxes = linesWith("box ");
    ASSERT_EQ(boxes.size(), 1u);
    const std::string& box = boxes[0];
    EXPECT_NE(box.find("owner=main icon=none buttons=ok default=ok caption=\"A Propos de...\""), std::string::npos);
    const std::size_t start = box.find("text=\"") + 6;
    const std::string text = box.substr(start, box.rfind("\" ->") - start);
    int breaks = 0;
    for (std::size_t p = text.find("\\n"); p != std::string::npos; p = text.find("\\n", p + 2)) ++breaks;
    EXPECT_EQ(breaks, 10) << text;
    EXPECT_EQ(text.rfind("La malediction de QuelmaR V1.2\\n" + std::string(34, '_') + "\\n \\n", 0), 0u) << text;
    EXPECT_NE(text.find("11/11/2005"), std::string::npos);
    EXPECT_NE(text.find("Pour plus d'aide double cliquez sur \\n'aideQuelmaR.html' situé dans le dossier du jeu..."),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find(".chm"), std::string::npos);
}

TEST_F(Dispatcher, CommandsWithoutActionStillRepaint) {
    openMain(true);
    corridor();
    platform::Dc dc = platform::getDc(gs.mainWindow);
    platform::rectangle(dc, platform::Rect{0, 0, 480, 400}, platform::rgb(255, 0, 255), platform::rgb(255, 0, 255));
    platform::releaseDc(dc);
    send(Msg::Command, 40999);
    EXPECT_EQ(px(5, 5), AIR_RGB);  // the paint sequence drew the scene again
}
