// The headless backend: scripted loops, dialogs, message boxes, timers and the
// virtual clock, the transcript.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/headless.h"

using namespace platform;
namespace hl = platform::headless;

namespace {

std::vector<std::string> events;  // what the procedures received
Window lastDialog = nullptr;

std::string name(Msg m) {
    switch (m) {
        case Msg::Paint: return "paint";
        case Msg::Close: return "close";
        case Msg::Destroy: return "destroy";
        case Msg::KeyDown: return "keydown";
        case Msg::KeyUp: return "keyup";
        case Msg::Command: return "command";
        case Msg::Timer: return "timer";
        case Msg::LButtonDown: return "ldown";
        case Msg::LButtonUp: return "lup";
        case Msg::RButtonDown: return "rdown";
        case Msg::MouseMove: return "move";
        case Msg::InitDialog: return "init";
    }
    return "?";
}

long mainProc(Window w, Msg m, long a, long b) {
    std::string e = name(m);
    if (m == Msg::KeyDown || m == Msg::KeyUp || m == Msg::Command || m == Msg::Timer) e += " " + std::to_string(a);
    if (m == Msg::Timer) e += " @" + std::to_string(hl::nowMs());
    if (m == Msg::LButtonDown || m == Msg::MouseMove) e += " " + std::to_string(a) + "," + std::to_string(b);
    events.push_back(e);
    return defaultWindowProc(w, m, a, b);
}

const MenuDef MENU = {{0, "Jeu", {{40011, "Nouvelle partie", {}}, {0, "", {}}, {40002, "Quitter", {}}}}};

Window makeMain() {
    WindowInit init;
    init.title = "Quelmar";
    init.x = 320, init.y = 200, init.clientW = 390, init.clientH = 350;
    init.menu = &MENU;
    init.proc = mainProc;
    return createWindow(init);
}

constexpr int ID_NAME = 1064, ID_CUSTOM = 1081, ID_LIST = 1070, ID_RO = 1065, ID_OFF = 1099, ID_COUNT = 1100;

DialogDef makeDialog() {
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
        {Ctl::PushButton, ID_OFF, "Plus", 90, 60, 20, 12, Align::Left, true},
        {Ctl::Edit, ID_COUNT, "", 90, 80, 20, 12, Align::Left, false, true},
        {Ctl::DefPushButton, 1, "OK", 40, 118, 50, 14},
        {Ctl::PushButton, 2, "Annuler", 110, 118, 50, 14},
    };
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
        if (a == 1) endDialog(dlg, 7);
        if (a == 2) endDialog(dlg, 3);
    } else if (m == Msg::Timer) {
        events.push_back("dlgtimer " + std::to_string(a));
    }
    return 0;
}

class Headless : public ::testing::Test {
protected:
    void SetUp() override {
        hl::reset();
        events.clear();
        lastDialog = nullptr;
    }
    // Runs the script through the main window's loop; returns the error line or 0.
    int run(const std::vector<std::string>& lines, Window w) {
        hl::setScript(lines);
        try {
            runMessageLoop(w);
        } catch (const hl::ScriptEnd&) {
        } catch (const hl::ScriptError& e) {
            error = e.what();
            return e.line;
        }
        return 0;
    }
    bool saw(const std::string& e) const { return std::find(events.begin(), events.end(), e) != events.end(); }
    std::string error;
};

// A window procedure that opens the dialog on menu command 40011.
int dialogResult = -1;
long openerProc(Window w, Msg m, long a, long b) {
    if (m == Msg::Command && a == 40011) {
        static const DialogDef def = makeDialog();
        dialogResult = dialogBox(def, w, dialogProc);
        return 0;
    }
    return mainProc(w, m, a, b);
}

Window makeOpener() {
    WindowInit init;
    init.x = 1, init.y = 2, init.clientW = 100, init.clientH = 80;
    init.menu = &MENU;
    init.proc = openerProc;
    return createWindow(init);
}

}  // namespace

TEST_F(Headless, DialogFromATemplateDrivenByTheScript) {
    Window w = makeOpener();
    dialogResult = -1;
    EXPECT_EQ(run({"menu 40011", "type 1064 Gaël le Brave", "click 1081", "select 1070 1",
                   "check 1081 on", "click 1"},
                  w),
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
    Window w = makeOpener();
    EXPECT_EQ(run({"menu 40011", "key Enter"}, w), 0) << error;
    EXPECT_EQ(dialogResult, 7);  // Enter pressed the default button
    EXPECT_EQ(run({"menu 40011", "key Escape"}, w), 0) << error;
    EXPECT_EQ(dialogResult, 3);
    EXPECT_EQ(run({"menu 40011", "close"}, w), 0) << error;
    EXPECT_EQ(dialogResult, 3);
    EXPECT_TRUE(saw("command 2"));
    EXPECT_TRUE(isWindow(w));
}

TEST_F(Headless, LinesThatCannotApplyNameTheirLine) {
    // Each case on a fresh backend: an error leaves its dialog open, as the end of a script does.
    auto failsAt = [this](const std::vector<std::string>& lines) {
        hl::reset();
        return run(lines, makeOpener());
    };
    EXPECT_EQ(failsAt({"# comment", "", "click 1"}), 3);
    EXPECT_EQ(error, "no dialog is open");
    EXPECT_EQ(failsAt({"menu 40011", "click 4242"}), 2);
    EXPECT_EQ(failsAt({"menu 40011", "click 1099"}), 2);     // disabled button
    EXPECT_EQ(failsAt({"menu 40011", "click 1065"}), 2);     // not a button
    EXPECT_EQ(failsAt({"menu 40011", "type 1065 x"}), 2);    // read-only field
    EXPECT_EQ(failsAt({"menu 40011", "select 1070 2"}), 2);  // only two items
    EXPECT_EQ(failsAt({"menu 40011", "select 1070 -1"}), 0);
    EXPECT_EQ(failsAt({"menu 40011", "type 1100 12"}), 0);
    EXPECT_EQ(failsAt({"menu 40011", "type 1100 -3"}), 2);   // number field: digits only
    EXPECT_EQ(failsAt({"menu 40011", "menu 40002"}), 2);     // no menu under a modal dialog
    EXPECT_EQ(failsAt({"menu 12345"}), 1);
    EXPECT_EQ(failsAt({"menu 0"}), 1);                       // separators are not commands
    EXPECT_EQ(failsAt({"key a"}), 1);
    EXPECT_EQ(failsAt({"key F10"}), 1);
    EXPECT_EQ(failsAt({"jump"}), 1);
    EXPECT_EQ(failsAt({"wait"}), 1);
    EXPECT_EQ(failsAt({"wait -5"}), 1);
    EXPECT_EQ(failsAt({"wait 5x"}), 1);
    EXPECT_EQ(failsAt({"wait 86400001"}), 1);
    EXPECT_EQ(failsAt({"seed 3", "seed 4", "key Left", "seed 3"}), 4);
    EXPECT_EQ(failsAt({"check 1081 maybe"}), 1);
    EXPECT_EQ(failsAt({"mouse up 1 2"}), 1);
    EXPECT_EQ(failsAt({"answer maybe"}), 1);
}

TEST_F(Headless, KeysMenuMouseAndCloseReachTheMainWindow) {
    Window w = makeMain();
    EXPECT_EQ(run({"key Left", "keydown F9", "keydown F9", "keyup 7", "menu 40002",
                   "mouse ldown 10 20  # comment", "mouse move 11 21", "close"},
                  w),
              0)
        << error;
    std::vector<std::string> input;
    for (const auto& e : events)
        if (e != "paint") input.push_back(e);
    EXPECT_EQ(input, (std::vector<std::string>{"keydown 37", "keyup 37", "keydown 120", "keydown 120", "keyup 55",
                                               "command 40002", "ldown 10,20", "move 11,21", "close", "destroy"}));
    EXPECT_EQ(cursorPos(w).x, 11);
    EXPECT_FALSE(isWindow(w));  // the default handling of close destroyed it
    EXPECT_EQ(hl::mainWindow(), nullptr);
}

TEST_F(Headless, PaintsArriveWhenIdleOrAtOnceOnUpdate) {
    Window w = makeMain();
    hl::setScript({"wait 1"});
    hl::runScript();
    EXPECT_EQ(std::count(events.begin(), events.end(), "paint"), 1);  // the first paint
    events.clear();
    invalidate(w, nullptr, false);
    Rect part{0, 0, 5, 5};
    invalidate(w, &part, true);
    EXPECT_TRUE(events.empty());
    updateWindow(w);
    EXPECT_EQ(events, std::vector<std::string>{"paint"});
    updateWindow(w);  // nothing left to paint
    EXPECT_EQ(events.size(), 1u);
}

TEST_F(Headless, QuitEndsTheLoopWithItsCode) {
    Window w = makeMain();
    hl::setScript({"key Left"});
    struct Q {
        static long proc(Window, Msg m, long, long) {
            if (m == Msg::KeyDown) postQuit(5);
            return 0;
        }
    };
    WindowInit init;
    init.proc = Q::proc;
    Window q = createWindow(init);
    EXPECT_EQ(runMessageLoop(q), 5);
    EXPECT_TRUE(isWindow(w));
    EXPECT_EQ(hl::transcript().back(), "quit");
}

TEST_F(Headless, MessageBoxesTakeQueuedAnswersElseTheirDefault) {
    Window w = makeMain();
    BoxStyle yesNo{BoxButtons::YesNo, BoxIcon::Question};
    BoxStyle noFirst{BoxButtons::YesNo, BoxIcon::Warning, true};
    EXPECT_EQ(messageBox(w, "Sauver?", "Q", yesNo), Answer::Yes);
    EXPECT_EQ(messageBox(w, "Sauver?", "Q", noFirst), Answer::No);
    EXPECT_EQ(messageBox(nullptr, "x", "y"), Answer::Ok);
    hl::setScript({"answer no", "answer yes", "answer ok"});
    hl::runScript();
    EXPECT_EQ(messageBox(w, "a", "b", yesNo), Answer::No);
    EXPECT_EQ(messageBox(w, "a", "b", noFirst), Answer::Yes);
    EXPECT_EQ(messageBox(w, "a", "b", BoxStyle{BoxButtons::Ok, BoxIcon::Info}), Answer::Ok);
    EXPECT_EQ(messageBox(w, "a", "b", yesNo), Answer::Yes);  // queue empty again

    const auto& t = hl::transcript();
    EXPECT_EQ(t[1], "box owner=main icon=question buttons=yesno default=yes caption=\"Q\" text=\"Sauver?\" -> yes");
    EXPECT_EQ(t[2], "box owner=main icon=warning buttons=yesno default=no caption=\"Q\" text=\"Sauver?\" -> no");
    EXPECT_EQ(t[3], "box owner=none icon=none buttons=ok default=ok caption=\"y\" text=\"x\" -> ok");
    EXPECT_EQ(t[4], "box owner=main icon=question buttons=yesno default=yes caption=\"b\" text=\"a\" -> no");
    EXPECT_EQ(t[6], "box owner=main icon=info buttons=ok default=ok caption=\"b\" text=\"a\" -> ok");

    hl::clearTranscript();
    messageBox(w, "Ligne 1\nIl a dit \"non\" à l'épée", "Erreur", BoxStyle{BoxButtons::Ok, BoxIcon::Error});
    EXPECT_EQ(hl::transcript().back(),
              "box owner=main icon=error buttons=ok default=ok caption=\"Erreur\" "
              "text=\"Ligne 1\\nIl a dit \\\"non\\\" à l'épée\" -> ok");
}

TEST_F(Headless, AnAnswerThatFitsNoButtonIsAnError) {
    hl::setScript({"wait 1", "answer yes"});
    hl::runScript();
    try {
        messageBox(nullptr, "Perdu", "Fin");
        FAIL() << "no error";
    } catch (const hl::ScriptError& e) {
        EXPECT_EQ(e.line, 2);
    }
}

TEST_F(Headless, TimersFireInOrderOfDueTime) {
    Window w = makeMain();
    setTimer(w, 1, 30);
    setTimer(w, 2, 50);
    hl::advance(100);
    std::vector<std::string> ticks;
    for (const auto& e : events)
        if (e.rfind("timer", 0) == 0) ticks.push_back(e);
    EXPECT_EQ(ticks, (std::vector<std::string>{"timer 1 @30", "timer 2 @50", "timer 1 @60", "timer 1 @90",
                                               "timer 2 @100"}));
    EXPECT_EQ(hl::nowMs(), 100);
    events.clear();
    setTimer(w, 1, 5);  // replaces the period, counted from now
    killTimer(w, 2);
    hl::advance(12);
    EXPECT_EQ(std::count_if(events.begin(), events.end(), [](auto& e) { return e.rfind("timer", 0) == 0; }), 2);
    EXPECT_TRUE(saw("timer 1 @110"));
    const auto& t = hl::transcript();
    EXPECT_NE(std::find(t.begin(), t.end(), "timer set main 2 50"), t.end());
    EXPECT_NE(std::find(t.begin(), t.end(), "timer kill main 2"), t.end());
    events.clear();
    destroyWindow(w);  // its timers go with it
    hl::advance(100);
    EXPECT_FALSE(saw("timer 1 @115"));
}

TEST_F(Headless, TimersKeepTickingWhileADialogIsOpen) {
    Window w = makeOpener();
    setTimer(w, 9, 1000);
    EXPECT_EQ(run({"menu 40011", "wait 2500", "click 2"}, w), 0) << error;
    EXPECT_TRUE(saw("timer 9 @1000"));
    EXPECT_TRUE(saw("timer 9 @2000"));
    EXPECT_EQ(dialogResult, 3);
}

namespace {
int boxesSeen = 0;
long boxingProc(Window w, Msg m, long a, long) {
    // The escape countdown's shape: each tick may open a box; the ticks go on.
    if (m == Msg::Timer) {
        events.push_back("tick @" + std::to_string(hl::nowMs()));
        if (messageBox(w, "Vite!", "Compte", BoxStyle{BoxButtons::YesNo}) == Answer::No) killTimer(w, a);
        ++boxesSeen;
    }
    return 0;
}
}  // namespace

TEST_F(Headless, TicksGoOnAroundMessageBoxes) {
    WindowInit init;
    init.proc = boxingProc;
    Window w = createWindow(init);
    setTimer(w, 1, 100);
    boxesSeen = 0;
    EXPECT_EQ(run({"answer yes", "answer yes", "answer no", "wait 1000"}, w), 0) << error;
    EXPECT_EQ(boxesSeen, 3);
    EXPECT_EQ(events, (std::vector<std::string>{"tick @100", "tick @200", "tick @300"}));
}

TEST_F(Headless, ABoxLeftOpenLetsTheTimersTick) {
    WindowInit init;
    init.proc = boxingProc;
    Window w = createWindow(init);
    setTimer(w, 1, 100);
    boxesSeen = 0;
    // The first box stays open 250 ms: two more ticks come meanwhile, each with its box.
    EXPECT_EQ(run({"answer yes 250", "answer yes", "answer no", "wait 100"}, w), 0) << error;
    EXPECT_EQ(events, (std::vector<std::string>{"tick @100", "tick @200", "tick @300"}));
    EXPECT_EQ(boxesSeen, 3);
    EXPECT_EQ(hl::nowMs(), 350);
}

TEST_F(Headless, PausesPassTimeWithoutTicksThenTheTimerFiresOnce) {
    Window w = makeMain();
    hl::setStartTime(1000);
    setTimer(w, 4, 100);
    pauseMs(450);
    EXPECT_EQ(hl::nowMs(), 450);
    EXPECT_FALSE(saw("timer 4 @100"));
    EXPECT_EQ(timeSeconds(), 1000);
    hl::setScript({"wait 0"});
    hl::runScript();  // the loop goes idle: one overdue tick, not four
    EXPECT_EQ(std::count_if(events.begin(), events.end(), [](auto& e) { return e.rfind("timer", 0) == 0; }), 1);
    hl::advance(600);
    EXPECT_EQ(timeSeconds(), 1001);
}

TEST_F(Headless, ProcessServicesAreTranscribed) {
    EXPECT_TRUE(launchProgram("/jeu/sons/QuelmaR Son", "/jeu/sons/", "/jeu/sons/"));
    EXPECT_TRUE(openDocument("/jeu/aide.html"));
    playEffect("/jeu/sons/porte.wav");
    playEffect("clé.wav");
    ASSERT_EQ(hl::transcript().size(), 4u);
    EXPECT_EQ(hl::transcript()[0], "launch \"/jeu/sons/QuelmaR Son\" cwd=\"/jeu/sons/\"");
    EXPECT_EQ(hl::transcript()[1], "open \"/jeu/aide.html\"");
    EXPECT_EQ(hl::transcript()[2], "sound porte");
    EXPECT_EQ(hl::transcript()[3], "sound clé");
    hl::setExecutablePath("/jeu/quelmar-headless");
    EXPECT_EQ(executablePath(), "/jeu/quelmar-headless");
}

TEST_F(Headless, MusicWritesAreTranscribed) {
    std::string dir = testing::TempDir() + "qmusicXXXXXX";
    ASSERT_NE(mkdtemp(dir.data()), nullptr);
    std::vector<std::string> lines;
    hl::setTranscriptSink([&](const std::string& l) { lines.push_back(l); });
    ASSERT_TRUE(replaceFile(dir + "/MusicCfg.cfg", "musique:3"));
    ASSERT_TRUE(replaceFile(dir + "/MusicCfg.cfg", "musique:-1\r\n"));
    ASSERT_TRUE(replaceFile(dir + "/Reglages.cfg", "musique:9"));
    hl::setTranscriptSink(nullptr);
    EXPECT_EQ(lines, (std::vector<std::string>{"music 3", "music -1"}));
    EXPECT_EQ(hl::transcript(), lines);
    std::remove((dir + "/MusicCfg.cfg").c_str());
    std::remove((dir + "/Reglages.cfg").c_str());
    rmdir(dir.c_str());
}

TEST_F(Headless, PlacementIsRecordedAndTranscribed) {
    Window w = makeMain();
    placeWindow(w, 321, 200, 480, 400);
    EXPECT_EQ(hl::windowPlace(w).right, 480);
    EXPECT_EQ(clientRect(w).bottom, 400);
    EXPECT_EQ(hl::transcript(), (std::vector<std::string>{"window place 320 200 390 350", "window place 321 200 480 400"}));
}

TEST_F(Headless, StateCommandPrintsTheDumpToTheSink) {
    std::vector<std::string> lines;
    hl::setTranscriptSink([&](const std::string& l) { lines.push_back(l); });
    hl::setStateDumper([] { return std::string("life=100\ngrid=ab\n"); });
    hl::setScript({"state"});
    hl::runScript();
    hl::setTranscriptSink(nullptr);
    EXPECT_EQ(lines, (std::vector<std::string>{"life=100", "grid=ab"}));
    EXPECT_TRUE(hl::transcript().empty());
}

TEST_F(Headless, ADialogWithoutACloseBoxCannotBeClosedButEscapeCancels) {
    static DialogDef def;
    def.id = 121;
    def.closeBox = false;
    def.controls = {{Ctl::DefPushButton, 1, "OK", 4, 4, 40, 14}};
    hl::setScript({"close"});
    try {
        dialogBox(def, nullptr, dialogProc);
        FAIL() << "no error";
    } catch (const hl::ScriptError& e) {
        EXPECT_EQ(e.line, 1);
    }
    hl::reset();
    hl::setScript({"key Escape"});
    EXPECT_EQ(dialogBox(def, nullptr, dialogProc), 3);
}
