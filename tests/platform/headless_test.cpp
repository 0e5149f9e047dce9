// The headless backend: scripted loops, dialogs, message boxes, timers and the
// virtual clock, the transcript.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/files.h"
#include "platform/headless.h"

using namespace platform;
namespace hl = platform::headless;

namespace {

using Lines = std::vector<std::string>;
Lines events;  // what the procedures received
Window lastDialog = nullptr;
int dialogResult = -1;

constexpr int ID_NAME = 1064, ID_CUSTOM = 1081, ID_LIST = 1070, ID_RO = 1065, ID_OFF = 1099, ID_COUNT = 1100;

const DialogDef& newGameDialog() {
    static const DialogDef d = [] {
        DialogDef d;
        d.id = 119;
        d.title = "Nouvelle Partie";
        d.w = 200, d.h = 138;
        d.controls = {
            {Ctl::Label, -1, "Nom:", 8, 10, 22, 9},
            {Ctl::Edit, ID_NAME, "", 32, 8, 160, 12},
            {Ctl::CheckBox, ID_CUSTOM, "Perso", 8, 25, 150, 10},
            {Ctl::ComboBox, ID_LIST, "", 8, 40, 100, 60},
            {Ctl::ReadOnlyEdit, ID_RO, "20 - 0 - 170", 8, 60, 70, 12, Align::Center},
            {Ctl::PushButton, ID_OFF, "Plus", 90, 60, 20, 12, Align::Left, true},    // disabled
            {Ctl::Edit, ID_COUNT, "", 90, 80, 20, 12, Align::Left, false, true},  // digits only
            {Ctl::DefPushButton, 1, "OK", 40, 118, 50, 14},
            {Ctl::PushButton, 2, "Annuler", 110, 118, 50, 14},
        };
        return d;
    }();
    return d;
}

// Ends on OK (code 7) or Cancel (code 3) and records what it saw.
long dialogProc(Window dlg, Msg m, long a, long) {
    lastDialog = dlg;
    if (m == Msg::InitDialog) {
        events.push_back("init " + std::to_string(dialogId(dlg)));
        comboAdd(dlg, ID_LIST, "Emplacement 1");
        comboAdd(dlg, ID_LIST, "Emplacement 2");
        setItemText(dlg, ID_NAME, "Arthur");
    } else if (m == Msg::Command) {
        events.push_back("command " + std::to_string(a));
        if (a == 1 || a == 2) endDialog(dlg, a == 1 ? 7 : 3);
    }
    return 0;
}

// Records what it receives; menu command 40011 opens the dialog.
long mainProc(Window w, Msg m, long a, long b) {
    if (m == Msg::Command && a == 40011) {
        dialogResult = dialogBox(newGameDialog(), w, dialogProc);
        return 0;
    }
    static const char* const NAMES[] = {"paint", "close", "destroy", "keydown", "keyup", "command",
                                        "timer", "ldown", "lup",     "rdown",   "move",  "init"};
    std::string e = NAMES[static_cast<int>(m)];
    if (m == Msg::KeyDown || m == Msg::KeyUp || m == Msg::Command || m == Msg::Timer) e += " " + std::to_string(a);
    if (m == Msg::Timer) e += " @" + std::to_string(hl::nowMs());
    if (m == Msg::LButtonDown || m == Msg::MouseMove) e += " " + std::to_string(a) + "," + std::to_string(b);
    events.push_back(e);
    return defaultWindowProc(w, m, a, b);
}

const MenuDef MENU = {{0, "Jeu", {{40011, "Nouvelle partie", {}}, {0, "", {}}, {40002, "Quitter", {}}}}};

Window makeMain(WindowProc proc = mainProc) {
    WindowInit init;
    init.title = "Quelmar";
    init.x = 320, init.y = 200, init.clientW = 390, init.clientH = 350;
    init.menu = &MENU;
    init.proc = proc;
    return createWindow(init);
}

// The line a script error names, 0 when none was thrown.
int errorLine(const std::function<void()>& f, std::string* what = nullptr) {
    try {
        f();
    } catch (const hl::ScriptEnd&) {
    } catch (const hl::ScriptError& e) {
        if (what) *what = e.what();
        return e.line;
    }
    return 0;
}

class Headless : public ::testing::Test {
protected:
    void SetUp() override {
        hl::reset();
        events.clear();
        lastDialog = nullptr;
        dialogResult = -1;
    }
    // Runs the script through the window's loop; returns the error line or 0.
    int run(const Lines& lines, Window w) {
        hl::setScript(lines);
        return errorLine([w] { runMessageLoop(w); }, &error);
    }
    bool saw(const std::string& e) const { return std::find(events.begin(), events.end(), e) != events.end(); }
    long count(const std::string& prefix) const {
        return std::count_if(events.begin(), events.end(), [&](auto& e) { return e.rfind(prefix, 0) == 0; });
    }
    std::string error;
};

}  // namespace

TEST_F(Headless, DialogFromATemplateDrivenByTheScript) {
    EXPECT_EQ(run({"menu 40011", "type 1064 Gaël le Brave", "click 1081", "select 1070 1", "check 1081 on", "click 1"},
                  makeMain()),
              0)
        << error;
    EXPECT_EQ(dialogResult, 7);
    EXPECT_EQ(*std::find_if(events.begin(), events.end(), [](auto& e) { return e != "paint"; }), "init 119");
    // The check box toggled with its click and sent its id; `check on` then had nothing to do.
    EXPECT_EQ(std::count(events.begin(), events.end(), "command 1081"), 1);
    EXPECT_TRUE(isItemChecked(lastDialog, ID_CUSTOM));
    EXPECT_EQ(getItemText(lastDialog, ID_NAME), "Gaël le Brave");
    EXPECT_EQ(comboSelection(lastDialog, ID_LIST), 1);
    EXPECT_EQ(getItemText(lastDialog, ID_LIST), "Emplacement 2");
    EXPECT_EQ(hl::itemText(lastDialog, ID_RO), "20 - 0 - 170");
    EXPECT_FALSE(isWindow(lastDialog));
    const auto& t = hl::transcript();
    EXPECT_NE(std::find(t.begin(), t.end(), "dialog open 119"), t.end());
    EXPECT_EQ(t.back(), "dialog end 119 7");
}

TEST_F(Headless, DialogKeysAndCloseBox) {
    Window w = makeMain();
    const std::pair<const char*, int> ends[] = {{"key Enter", 7}, {"key Escape", 3}, {"close", 3}};
    for (auto [line, code] : ends) {
        EXPECT_EQ(run({"menu 40011", line}, w), 0) << error;
        EXPECT_EQ(dialogResult, code) << line;  // Enter presses the default button
    }
    EXPECT_TRUE(saw("command 2"));
    EXPECT_TRUE(isWindow(w));

    // Without a close box the dialog cannot be closed, but Escape still cancels.
    static DialogDef bare;
    bare.id = 121;
    bare.closeBox = false;
    bare.controls = {{Ctl::DefPushButton, 1, "OK", 4, 4, 40, 14}};
    hl::setScript({"close"});
    EXPECT_EQ(errorLine([] { dialogBox(bare, nullptr, dialogProc); }), 1);
    hl::reset();
    hl::setScript({"key Escape"});
    EXPECT_EQ(dialogBox(bare, nullptr, dialogProc), 3);
}

TEST_F(Headless, LinesThatCannotApplyNameTheirLine) {
    const std::pair<Lines, int> rows[] = {
        {{"# comment", "", "click 1"}, 3},
        {{"menu 40011", "click 4242"}, 2},     {{"menu 40011", "click 1099"}, 2},     // unknown; disabled
        {{"menu 40011", "click 1065"}, 2},     {{"menu 40011", "type 1065 x"}, 2},    // not a button; read-only
        {{"menu 40011", "select 1070 2"}, 2},  {{"menu 40011", "select 1070 -1"}, 0},  // only two items
        {{"menu 40011", "type 1100 12"}, 0},   {{"menu 40011", "type 1100 -3"}, 2},   // digits only
        {{"menu 40011", "menu 40002"}, 2},  // no menu under a modal dialog
        {{"menu 12345"}, 1}, {{"menu 0"}, 1},  // separators are not commands
        {{"key a"}, 1}, {{"key F10"}, 1}, {{"jump"}, 1}, {{"wait"}, 1}, {{"wait -5"}, 1}, {{"wait 5x"}, 1},
        {{"wait 86400001"}, 1}, {{"seed 3", "seed 4", "key Left", "seed 3"}, 4}, {{"check 1081 maybe"}, 1},
        {{"mouse up 1 2"}, 1}, {{"answer maybe"}, 1}};
    for (const auto& [lines, line] : rows) {
        SCOPED_TRACE(lines.back());
        hl::reset();  // an error leaves its dialog open, as the end of a script does
        EXPECT_EQ(run(lines, makeMain()), line) << error;
    }
    hl::reset();
    run({"click 1"}, makeMain());
    EXPECT_EQ(error, "no dialog is open");
}

TEST_F(Headless, KeysMenuMouseAndCloseReachTheMainWindow) {
    Window w = makeMain();
    EXPECT_EQ(run({"key Left", "keydown F9", "keydown F9", "keyup 7", "menu 40002", "mouse ldown 10 20  # comment",
                   "mouse move 11 21", "close"},
                  w),
              0)
        << error;
    events.erase(std::remove(events.begin(), events.end(), "paint"), events.end());
    EXPECT_EQ(events, (Lines{"keydown 37", "keyup 37", "keydown 120", "keydown 120", "keyup 55", "command 40002",
                             "ldown 10,20", "move 11,21", "close", "destroy"}));
    EXPECT_EQ(cursorPos(w).x, 11);
    EXPECT_FALSE(isWindow(w));  // the default handling of close destroyed it
    EXPECT_EQ(hl::mainWindow(), nullptr);
}

TEST_F(Headless, PaintsArriveWhenIdleOrAtOnceOnUpdate) {
    Window w = makeMain();
    hl::setScript({"wait 1"});
    hl::runScript();
    EXPECT_EQ(events, Lines{"paint"});  // the first paint
    events.clear();
    invalidate(w, nullptr, false);
    Rect part{0, 0, 5, 5};
    invalidate(w, &part, true);
    EXPECT_TRUE(events.empty());
    updateWindow(w);
    updateWindow(w);  // nothing left to paint
    EXPECT_EQ(events, Lines{"paint"});
}

TEST_F(Headless, QuitEndsTheLoopWithItsCode) {
    Window w = makeMain();
    hl::setScript({"key Left"});
    Window q = makeMain([](Window, Msg m, long, long) -> long {
        if (m == Msg::KeyDown) postQuit(5);
        return 0;
    });
    EXPECT_EQ(runMessageLoop(q), 5);
    EXPECT_TRUE(isWindow(w));
    EXPECT_EQ(hl::transcript().back(), "quit");
}

TEST_F(Headless, MessageBoxesTakeQueuedAnswersElseTheirDefault) {
    Window w = makeMain();
    const BoxStyle yesNo{BoxButtons::YesNo, BoxIcon::Question}, noFirst{BoxButtons::YesNo, BoxIcon::Warning, true};
    EXPECT_EQ(messageBox(w, "Sauver?", "Q", yesNo), Answer::Yes);
    EXPECT_EQ(messageBox(w, "Sauver?", "Q", noFirst), Answer::No);
    EXPECT_EQ(messageBox(nullptr, "x", "y"), Answer::Ok);
    hl::setScript({"answer no", "answer yes", "answer ok"});
    hl::runScript();
    EXPECT_EQ(messageBox(w, "a", "b", yesNo), Answer::No);
    EXPECT_EQ(messageBox(w, "a", "b", noFirst), Answer::Yes);
    EXPECT_EQ(messageBox(w, "a", "b", BoxStyle{BoxButtons::Ok, BoxIcon::Info}), Answer::Ok);
    EXPECT_EQ(messageBox(w, "a", "b", yesNo), Answer::Yes);  // queue empty again
    messageBox(w, "Ligne 1\nIl a dit \"non\" à l'épée", "Erreur", BoxStyle{BoxButtons::Ok, BoxIcon::Error});

    const auto& t = hl::transcript();
    ASSERT_EQ(t.size(), 9u);
    EXPECT_EQ(t[1], "box owner=main icon=question buttons=yesno default=yes caption=\"Q\" text=\"Sauver?\" -> yes");
    EXPECT_EQ(t[2], "box owner=main icon=warning buttons=yesno default=no caption=\"Q\" text=\"Sauver?\" -> no");
    EXPECT_EQ(t[3], "box owner=none icon=none buttons=ok default=ok caption=\"y\" text=\"x\" -> ok");
    EXPECT_EQ(t[4], "box owner=main icon=question buttons=yesno default=yes caption=\"b\" text=\"a\" -> no");
    EXPECT_EQ(t[6], "box owner=main icon=info buttons=ok default=ok caption=\"b\" text=\"a\" -> ok");
    EXPECT_EQ(t[8], "box owner=main icon=error buttons=ok default=ok caption=\"Erreur\" "
                    "text=\"Ligne 1\\nIl a dit \\\"non\\\" à l'épée\" -> ok");

    // An answer that fits no button of the box is an error on its line.
    hl::setScript({"wait 1", "answer yes"});
    hl::runScript();
    EXPECT_EQ(errorLine([] { messageBox(nullptr, "Perdu", "Fin"); }), 2);
}

TEST_F(Headless, TimersFireInOrderOfDueTime) {
    Window w = makeMain();
    setTimer(w, 1, 30);
    setTimer(w, 2, 50);
    hl::advance(100);
    Lines ticks;
    std::copy_if(events.begin(), events.end(), std::back_inserter(ticks), [](auto& e) { return e[0] == 't'; });
    EXPECT_EQ(ticks, (Lines{"timer 1 @30", "timer 2 @50", "timer 1 @60", "timer 1 @90", "timer 2 @100"}));
    EXPECT_EQ(hl::nowMs(), 100);
    events.clear();
    setTimer(w, 1, 5);  // replaces the period, counted from now
    killTimer(w, 2);
    hl::advance(12);
    EXPECT_EQ(count("timer"), 2);
    EXPECT_TRUE(saw("timer 1 @110"));
    const auto& t = hl::transcript();
    EXPECT_NE(std::find(t.begin(), t.end(), "timer set main 2 50"), t.end());
    EXPECT_NE(std::find(t.begin(), t.end(), "timer kill main 2"), t.end());
    events.clear();
    destroyWindow(w);  // its timers go with it
    hl::advance(100);
    EXPECT_EQ(count("timer"), 0);
}

TEST_F(Headless, TimersKeepTickingWhileADialogIsOpen) {
    Window w = makeMain();
    setTimer(w, 9, 1000);
    EXPECT_EQ(run({"menu 40011", "wait 2500", "click 2"}, w), 0) << error;
    EXPECT_TRUE(saw("timer 9 @1000"));
    EXPECT_TRUE(saw("timer 9 @2000"));
    EXPECT_EQ(dialogResult, 3);
}

TEST_F(Headless, TicksGoOnAroundMessageBoxesEvenOneLeftOpen) {
    // The escape countdown's shape: each tick opens a box; No stops the ticks.
    const WindowProc boxing = [](Window w, Msg m, long a, long) -> long {
        if (m != Msg::Timer) return 0;
        events.push_back("tick @" + std::to_string(hl::nowMs()));
        if (messageBox(w, "Vite!", "Compte", BoxStyle{BoxButtons::YesNo}) == Answer::No) killTimer(w, a);
        return 0;
    };
    // The second time the first box stays open 250 ms: two more ticks come meanwhile, each with its box.
    const std::tuple<const char*, const char*, long long> rows[] = {{"answer yes", "wait 1000", 1000},
                                                                     {"answer yes 250", "wait 100", 350}};
    for (auto [first, wait, end] : rows) {
        SCOPED_TRACE(first);
        hl::reset();
        events.clear();
        Window w = makeMain(boxing);
        setTimer(w, 1, 100);
        EXPECT_EQ(run({first, "answer yes", "answer no", wait}, w), 0) << error;
        EXPECT_EQ(events, (Lines{"tick @100", "tick @200", "tick @300"}));
        EXPECT_EQ(hl::nowMs(), end);
    }
}

TEST_F(Headless, PausesPassTimeWithoutTicksThenTheTimerFiresOnce) {
    Window w = makeMain();
    hl::setStartTime(1000);
    setTimer(w, 4, 100);
    pauseMs(450);
    EXPECT_EQ(hl::nowMs(), 450);
    EXPECT_EQ(count("timer"), 0);
    EXPECT_EQ(timeSeconds(), 1000);
    hl::setScript({"wait 0"});
    hl::runScript();  // the loop goes idle: one overdue tick, not four
    EXPECT_EQ(count("timer"), 1);
    hl::advance(600);
    EXPECT_EQ(timeSeconds(), 1001);
}

TEST_F(Headless, ProcessServicesMusicAndPlacementAreTranscribed) {
    EXPECT_TRUE(launchProgram("/jeu/sons/QuelmaR Son", "/jeu/sons/", "/jeu/sons/"));
    EXPECT_TRUE(openDocument("/jeu/aide.html"));
    playEffect("/jeu/sons/porte.wav");
    playEffect("clé.wav");
    Window w = makeMain();
    placeWindow(w, 321, 200, 480, 400);
    EXPECT_EQ(hl::windowPlace(w).right, 480);
    EXPECT_EQ(clientRect(w).bottom, 400);
    // Music is what the game writes to the player's control file, and only that file.
    std::string dir = testing::TempDir() + "qmusicXXXXXX";
    ASSERT_NE(mkdtemp(dir.data()), nullptr);
    Lines sunk;
    hl::setTranscriptSink([&](const std::string& l) { sunk.push_back(l); });
    ASSERT_TRUE(replaceFile(dir + "/MusicCfg.cfg", "musique:3"));
    ASSERT_TRUE(replaceFile(dir + "/MusicCfg.cfg", "musique:-1\r\n"));
    ASSERT_TRUE(replaceFile(dir + "/Reglages.cfg", "musique:9"));
    hl::setTranscriptSink(nullptr);
    std::filesystem::remove_all(dir);
    EXPECT_EQ(sunk, (Lines{"music 3", "music -1"}));
    EXPECT_EQ(hl::transcript(),
              (Lines{"launch \"/jeu/sons/QuelmaR Son\" cwd=\"/jeu/sons/\"", "open \"/jeu/aide.html\"", "sound porte",
                     "sound clé", "window place 320 200 390 350", "window place 321 200 480 400", "music 3",
                     "music -1"}));
    hl::setExecutablePath("/jeu/quelmar-headless");
    EXPECT_EQ(executablePath(), "/jeu/quelmar-headless");
}

TEST_F(Headless, StateCommandPrintsTheDumpToTheSink) {
    Lines sunk;
    hl::setTranscriptSink([&](const std::string& l) { sunk.push_back(l); });
    hl::setStateDumper([] { return std::string("life=100\ngrid=ab\n"); });
    hl::setScript({"state"});
    hl::runScript();
    hl::setTranscriptSink(nullptr);
    EXPECT_EQ(sunk, (Lines{"life=100", "grid=ab"}));
    EXPECT_TRUE(hl::transcript().empty());
}
