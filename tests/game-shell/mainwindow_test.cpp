// The dispatcher: keys once per press, look mode, the credits and the escape
// countdown on the timer (the boxes and menus: the start-up test's run).
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
    // A game in its escape: 2:30 left, the one-second timer running.
    void escape() {
        openMain(true);
        corridor();
        std::tie(gs.escapeMode, gs.countdownMinutes, gs.countdownSeconds) = std::tuple(1, 2, 30);
        platform::setTimer(gs.mainWindow, MAIN_TIMER, ESCAPE_TICK_MS);
        hl::clearTranscript();
    }
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

    // Nothing acts on the title screen: no step, no look mode.
    gs.onTitleScreen = 1;
    keyUp(vk::RIGHT);
    keyDown(vk::RIGHT);
    send(Msg::LButtonDown, 10, 10);
    EXPECT_EQ(std::pair(heroGridCol() - start, int(gs.lookMode)), std::pair(2, 0));
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
    // No other key acts while looking: a jump from the moved view would leave
    // the hero there after the release.
    keyDown(vk::SPACE);
    EXPECT_EQ(std::tuple(gs.viewLeft, gs.viewTop, gs.heroCol, gs.heroRow), std::tuple(VIEW_LEFT_MAX, 0, col, row));
    send(Msg::LButtonDown, 100, 100);  // a second press keeps the origin to return to

    // The release, or a load opened from the keyboard meanwhile, ends the look.
    for (auto [m, a] : {std::pair{Msg::LButtonUp, 100L}, {Msg::Command, long(CMD_LOAD)}}) {
        send(Msg::LButtonDown, 100, 100);
        keyDown(vk::LEFT, 3);
        hl::setScript({"close"});  // the load dialog, left without a choice
        send(m, a, 100);
        EXPECT_EQ(std::tuple(int(gs.lookMode), gs.viewLeft, gs.viewTop), std::tuple(0, 2, 86)) << a;
        EXPECT_EQ(gs.view[6][0], 's');
        EXPECT_EQ(px(col * 24 + 12, row * 24 + 12), HERO_RIGHT_RGB);
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
        EXPECT_GE(lineIndex(timer), 0);  // the music and the window: see the menus run
        EXPECT_EQ(gs.creditsScrollY, CREDITS_START_Y);
        for (int t = 1; t < ticks; ++t) timerSequence();
        EXPECT_EQ(std::pair(int(gs.creditsRolling), gs.creditsScrollY), std::pair(1, 380 - step * (ticks - 1)));
        EXPECT_EQ(px(5, 5), 0x203040u);  // the credits picture under the text
        timerSequence();
        EXPECT_EQ(std::pair(int(gs.creditsRolling), gs.onTitleScreen), std::pair(0, 1));
        EXPECT_GE(lineIndex("timer kill main 0"), 0);
    }
}

TEST_F(Dispatcher, EscapeCountdownEndsForGoodAndStopsOnTheTitleScreen) {
    escape();
    // Neither the save command nor the S key may save while escaping.
    send(Msg::Command, CMD_SAVE);
    keyDown('S');
    EXPECT_TRUE(linesWith("box ").empty() && linesWith("dialog open").empty());
    for (auto [seconds, text] : {std::pair{31, "1:59"}, {119, "0:0"}}) {  // the seconds are not padded
        hl::advance(seconds * 1000);
        EXPECT_EQ(countdownText(gs.countdownMinutes, gs.countdownSeconds), text);
    }
    EXPECT_EQ(std::pair(int(gs.escapeMode), lineIndex("timer kill")), std::pair(1, -1));
    hl::queueAnswer(platform::Answer::No);  // the death's reload question, if it asks
    send(Msg::LButtonDown, 100, 100);
    hl::advance(1000);
    EXPECT_EQ(std::tuple(gs.countdownMinutes, gs.countdownSeconds, int(gs.escapeMode)), std::tuple(-1, 59, 0));
    EXPECT_GE(lineIndex("timer kill main 0"), 0);
    EXPECT_EQ(gs.lookMode, 0) << "the game looked at is gone";
    hl::advance(120 * 1000);
    EXPECT_EQ(std::pair(gs.countdownMinutes, gs.countdownSeconds), std::pair(-1, 59)) << "a second death";

    escape();
    gs.onTitleScreen = 1;  // a death without reload
    hl::advance(1000);
    EXPECT_EQ(std::pair(gs.countdownSeconds, int(gs.escapeMode)), std::pair(30, 0));
    EXPECT_GE(lineIndex("timer kill main 0"), 0);
}
