// The dispatcher: keys and their once-per-press rule, look mode, the close and
// quit boxes, the menu commands, the timer (credits and escape countdown).
#include <string>
#include <tuple>

#include "harness.h"
#include "resources/menu.h"
#include "world/screens.h"

using namespace shelltest;
using platform::Msg;
namespace vk = platform::vk;

namespace {

class Dispatcher : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        writePictures();
    }
    long send(Msg m, long a = 0, long b = 0) { return mainWindowProc(gs.mainWindow, m, a, b); }
    void keyDown(int key, int times = 1) {
        for (int i = 0; i < times; ++i) send(Msg::KeyDown, key);
    }
    void keyUp(int key) { send(Msg::KeyUp, key); }
    // The only box of the transcript, which must hold the text.
    void expectOneBox(const std::string& text) {
        const auto boxes = linesWith("box ");
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_NE(boxes[0].find(text), std::string::npos) << boxes[0];
    }
    // A game in its escape: 2:30 left, the one-second timer running.
    void escape() {
        openMain(true);
        corridor();
        std::tie(gs.escapeMode, gs.countdownMinutes, gs.countdownSeconds) = std::tuple(1, 2, 30);
        platform::setTimer(gs.mainWindow, MAIN_TIMER, ESCAPE_TICK_MS);
        hl::clearTranscript();
    }
    static long quitLines() { return std::count(hl::transcript().begin(), hl::transcript().end(), "quit"); }
};

}  // namespace

TEST_F(Dispatcher, HeldKeyActsOnceASecondKeyAtOnceKeyUpRearmsNothingOnTheTitleScreen) {
    openMain(true);
    corridor();
    const int start = heroGridCol();
    // Key down or up, then the hero's column (from the start) and facing.
    const struct { bool down; int key, col, facing; } steps[] = {
        {true, vk::RIGHT, 1, 1}, {true, vk::RIGHT, 1, 1}, {true, vk::RIGHT, 1, 1},  // held: acts once
        {true, vk::LEFT, 1, -1},                      // a second key acts at once: it turns him
        {false, vk::LEFT, 1, -1}, {true, vk::RIGHT, 1, 1}, {true, vk::RIGHT, 1, 1},  // up re-arms the held key
        {false, vk::RIGHT, 1, 1}, {true, vk::RIGHT, 2, 1}};
    for (const auto& s : steps) {
        s.down ? keyDown(s.key) : keyUp(s.key);
        EXPECT_EQ(std::tuple(heroGridCol() - start, gs.heroFacing, gs.lastKey), std::tuple(s.col, s.facing, s.down ? s.key : -1))
            << &s - steps;
    }

    // Nothing acts on the title screen, though the key is still remembered.
    gs.onTitleScreen = 1;
    hl::clearTranscript();
    keyUp(vk::RIGHT);
    keyDown(vk::RIGHT);
    EXPECT_EQ(heroGridCol(), start + 2);
    EXPECT_EQ(gs.lastKey, vk::RIGHT);
    send(Msg::LButtonDown, 10, 10);
    EXPECT_EQ(gs.lookMode, 0);
    EXPECT_TRUE(linesWith("sound").empty());
}

TEST_F(Dispatcher, LookModeScrollsWithinTheGridAndRestoresTheOrigin) {
    openMain(true);
    corridor(2, 86);
    gs.savedViewLeft = gs.savedViewTop = 0;
    const int col = gs.heroCol, row = gs.heroRow;
    send(Msg::LButtonDown, 100, 100);
    EXPECT_EQ(gs.lookMode, 1);
    const struct { int key, times, left, top; } steps[] = {  // repeats scroll too
        {vk::LEFT, 5, 0, 86}, {vk::DOWN, 6, 0, VIEW_TOP_MAX}, {vk::RIGHT, 100, VIEW_LEFT_MAX, VIEW_TOP_MAX},
        {vk::UP, 100, VIEW_LEFT_MAX, 0}};
    for (const auto& s : steps) {
        keyDown(s.key, s.times);
        EXPECT_EQ(std::pair(gs.viewLeft, gs.viewTop), std::pair(s.left, s.top)) << s.key;
    }
    EXPECT_EQ(gs.view[0][0], gs.LevelGrid[0][VIEW_LEFT_MAX]);
    EXPECT_EQ(std::pair(gs.heroCol, gs.heroRow), std::pair(col, row));
    EXPECT_EQ(px(col * 24 + 12, row * 24 + 12), AIR_RGB);  // no hero while looking
    EXPECT_TRUE(linesWith("sound").empty());

    send(Msg::LButtonUp, 100, 100);
    EXPECT_EQ(std::tuple(int(gs.lookMode), gs.viewLeft, gs.viewTop), std::tuple(0, 2, 86));
    EXPECT_EQ(gs.view[6][0], 's');
    EXPECT_EQ(px(col * 24 + 12, row * 24 + 12), HERO_RIGHT_RGB);
}

TEST_F(Dispatcher, CloseBoxWhilePlayingAndQuitCommandAsk) {
    // On the title screen the close box asks nothing: see the start-up run.
    const std::string quit = "owner=none icon=question buttons=yesno default=no caption=\"Quelmar\" "
                             "text=\"Etes vous sûr de vouloir quitter?\"";
    const struct { bool close, playing; std::string box; long quits; } cases[] = {
        {true, true, "owner=none icon=info buttons=yesno default=no caption=\"La malediction de QuelmaR\" "
                     "text=\"Etes vous sûr de vouloir quitter?\\n\\n Toutes vos avancés depuis la dernière "
                     "sauvegarde seront perdus...\"", 1},
        {false, false, quit, 0}, {false, true, quit, 0}};  // the window's end stops the loop, no quit message
    for (const auto& c : cases) {
        SCOPED_TRACE(c.box);
        hl::clearTranscript();
        openMain(c.playing);
        auto ask = [&] { return c.close ? send(Msg::Close) : (send(Msg::Command, CMD_QUIT), 1); };
        hl::queueAnswer(platform::Answer::No);
        EXPECT_EQ(ask(), c.close ? 0 : 1);
        EXPECT_TRUE(platform::isWindow(gs.mainWindow));
        EXPECT_EQ(quitLines(), 0);
        expectOneBox(c.box);
        hl::queueAnswer(platform::Answer::Yes);
        EXPECT_EQ(ask(), 1);
        EXPECT_FALSE(platform::isWindow(gs.mainWindow));
        EXPECT_EQ(quitLines(), c.quits);
    }
}

TEST_F(Dispatcher, CreditsOnTheTitleScreen) {
    openMain(false);  // while playing they only say where they are: see the menus run
    writeBmp(dir / "Images" / "credits.bmp", 390, 350, 0x203040);
    gs.creditsBitmap = platform::loadImage(gs.imagesDir + "credits.bmp", 390, 350);
    // 2 pixels a 40 ms tick on a fast computer, 3 a tick at the shortest period
    // on a slow one; they end below -254.
    for (auto [slow, timer, step, ticks] : {std::tuple{0, "timer set main 0 40", 2, 318}, {1, "timer set main 0 0", 3, 212}}) {
        SCOPED_TRACE(slow);
        hl::clearTranscript();
        gs.slowComputer = slow;
        send(Msg::Command, CMD_CREDITS);
        for (const char* line : {"music 5", "window place 320 200 390 350", timer}) EXPECT_GE(lineIndex(line), 0) << line;
        EXPECT_EQ(gs.creditsScrollY, CREDITS_START_Y);
        for (int t = 1; t < ticks; ++t) timerSequence();
        EXPECT_EQ(std::pair(int(gs.creditsRolling), gs.creditsScrollY), std::pair(1, 380 - step * (ticks - 1)));
        EXPECT_EQ(px(5, 5), 0x203040u);  // the credits picture under the text
        timerSequence();
        EXPECT_EQ(std::pair(int(gs.creditsRolling), gs.onTitleScreen), std::pair(0, 1));
        EXPECT_GE(lineIndex("timer kill main 0"), 0);
        keyDown(vk::RIGHT);  // the last frame stays; keys still do nothing
        EXPECT_TRUE(linesWith("sound").empty());
    }
}

TEST_F(Dispatcher, EscapeCountdownAfter31And150TicksThenItEndsForGood) {
    escape();
    // Neither the save command nor the S key may save while escaping.
    send(Msg::Command, CMD_SAVE);
    keyDown('S');
    EXPECT_TRUE(linesWith("box ").empty() && linesWith("dialog open").empty());
    for (auto [seconds, text] : {std::pair{31, "1:59"}, {119, "0:0"}}) {
        hl::advance(seconds * 1000);
        EXPECT_EQ(countdownText(gs.countdownMinutes, gs.countdownSeconds), text);
    }
    EXPECT_EQ(countdownText(2, 5), "2:5");  // the seconds are not padded
    EXPECT_EQ(std::pair(int(gs.escapeMode), lineIndex("timer kill")), std::pair(1, -1));
    hl::queueAnswer(platform::Answer::No);  // the death's reload question, if it asks
    hl::advance(1000);
    EXPECT_EQ(std::tuple(gs.countdownMinutes, gs.countdownSeconds, int(gs.escapeMode)), std::tuple(-1, 59, 0));
    EXPECT_GE(lineIndex("timer kill main 0"), 0);
    hl::advance(120 * 1000);
    EXPECT_EQ(std::pair(gs.countdownMinutes, gs.countdownSeconds), std::pair(-1, 59)) << "a second death";
}

TEST_F(Dispatcher, EscapeStoppedByATitleScreenOrByTheCreditsOnTheSameTimer) {
    escape();
    gs.onTitleScreen = 1;  // a death without reload
    hl::advance(1000);
    EXPECT_EQ(std::pair(gs.countdownSeconds, int(gs.escapeMode)), std::pair(30, 0));
    EXPECT_GE(lineIndex("timer kill main 0"), 0);

    escape();
    startCredits();
    EXPECT_EQ(gs.escapeMode, 0);
    hl::advance(1000);  // the ticks now move the credits
    EXPECT_EQ(std::pair(gs.countdownSeconds, int(gs.creditsRolling)), std::pair(30, 1));
    EXPECT_LT(gs.creditsScrollY, CREDITS_START_Y);
}
