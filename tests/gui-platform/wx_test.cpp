// The wx backend on a real X display: backing stores and the screen, pictures,
// text, keys, mouse, menus, template dialogs, boxes, timers, pauses, processes.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <functional>
#include <set>
#include <thread>

#include "pictures.h"
#include "platform/platform.h"
#include "testing.h"

using namespace platform;
namespace fs = std::filesystem;

namespace {

struct Event { Window w; Msg m; long a; };
std::vector<Event> events;
std::function<void(Window, int)> onTimer, onCommand;
std::function<void(Window)> onInit;
Window openDialog = nullptr;
bool pausing = false;
int deliveredDuringPause = 0;

void record(Window w, Msg m, long a) {
    deliveredDuringPause += pausing;
    events.push_back({w, m, a});
    if (m == Msg::Timer && onTimer) onTimer(w, static_cast<int>(a));
}
long mainProc(Window w, Msg m, long a, long b) {
    record(w, m, a);
    if (m == Msg::LButtonDown || m == Msg::LButtonUp) {
        EXPECT_EQ(b, 30) << "mouse y";
    }
    return defaultWindowProc(w, m, a, b);
}
int count(Window w, Msg m, long a = -999) {
    return static_cast<int>(std::ranges::count_if(
        events, [&](const Event& e) { return e.w == w && e.m == m && (a == -999 || e.a == a); }));
}
Window openWindow(int cw = 200, int ch = 150, const MenuDef* menu = nullptr) {
    Window w = createWindow({.className = "std", .title = "essai", .x = 20, .y = 30, .clientW = cw,
                             .clientH = ch, .menu = menu, .proc = mainProc});
    wxtest::runFor(250);  // mapped, painted once
    return w;
}

constexpr unsigned px(Color c) { return (c.r << 16) | (c.g << 8) | c.b; }
constexpr Color RED = rgb(255, 0, 0), GREEN = rgb(0, 160, 0), BLUE = rgb(0, 0, 255),
                YELLOW = rgb(255, 255, 0), WHITE = rgb(255, 255, 255), FACE = BUTTON_FACE;

void fill(Window w, Rect r, Color pen, Color brush) {
    Dc dc = getDc(w);
    rectangle(dc, r, pen, brush);
    releaseDc(dc);
}
void press(int k) {
    wxtest::key(k, true);
    wxtest::key(k, false);
}
long msSince(std::chrono::steady_clock::time_point t) {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now() - t).count();
}

// Each point in the backing store and, unless told, on the X server's screen.
struct Point { int x, y; Color c; };
void expectPixels(Window w, std::initializer_list<Point> points, bool onScreen = true) {
    for (const Point& p : points) {
        SCOPED_TRACE(testing::Message() << "pixel " << p.x << "," << p.y);
        EXPECT_EQ(wxtest::backingPixel(w, p.x, p.y), px(p.c));
        if (onScreen) {
            EXPECT_EQ(wxtest::screenPixel(w, p.x, p.y), static_cast<long>(px(p.c)));
        }
    }
}
std::set<unsigned> colours(Window w, int x0, int y0, int x1, int y1) {
    std::set<unsigned> seen;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) seen.insert(wxtest::backingPixel(w, x, y));
    return seen;
}
const std::string& tempDir() {
    static char tmpl[] = "/tmp/wxtestXXXXXX";
    static const std::string dir = mkdtemp(tmpl);
    return dir;
}

TEST(WxWindow, DrawingGoesIntoTheBackingStoreAndStraightToTheScreen) {
    Window w = openWindow();
    EXPECT_GE(count(w, Msg::Paint), 1);
    Dc dc = getDc(w);
    rectangle(dc, Rect{10, 10, 50, 40}, RED, GREEN);
    rectangle(dc, Rect{60, 10, 61, 20}, BLUE, GREEN);  // one pixel wide: outline only
    rectangle(dc, Rect{70, 10, 70, 20}, BLUE, GREEN);  // empty: nothing
    releaseDc(dc);
    // The first paint erased; outline on the outer ring, right and bottom edges
    // excluded. Released means shown: the X server has it without a loop run.
    expectPixels(w, {{5, 5, FACE}, {10, 10, RED}, {49, 39, RED}, {50, 40, FACE}, {11, 11, GREEN},
                     {48, 38, GREEN}, {60, 15, BLUE}, {70, 15, FACE}});
    // A paint with erase of a part fills that part only; updateWindow paints at once.
    int paints = count(w, Msg::Paint);
    Rect part{0, 0, 20, 20};
    invalidate(w, &part, true);
    EXPECT_EQ(count(w, Msg::Paint), paints);  // not before the loop or an update
    updateWindow(w);
    EXPECT_EQ(count(w, Msg::Paint), paints + 1);
    expectPixels(w, {{11, 11, FACE}, {25, 25, GREEN}});
    invalidate(w, nullptr, false);  // without erase the Paint draws over what is there
    wxtest::runFor(100);
    EXPECT_EQ(count(w, Msg::Paint), paints + 2);
    expectPixels(w, {{25, 25, GREEN}}, false);
    destroyWindow(w);
}

TEST(WxPictures, IconsKeepTheirTransparencyAndPicturesAreScaled) {
    const std::string ico = tempDir() + "/half.ico", bmp = tempDir() + "/yellow.bmp";
    // Left half transparent, right half opaque blue; yellow with a red top-left pixel.
    ASSERT_TRUE(pictures::write(ico, pictures::ico(8, 8, [](int x, int) {
                                    return x < 4 ? 0u : 0xFF0000FFu;
                                })));
    ASSERT_TRUE(pictures::write(bmp, pictures::bmp(4, 4, [](int x, int y) {
                                    return x + y == 0 ? 0xFF0000u : 0xFFFF00u;
                                })));
    ASSERT_TRUE(pictures::write(tempDir() + "/junk.bmp", {'B', 'M', 1, 2, 3}));
    Image icon = loadImage(ico, 16, 16), bitmap = loadImage(bmp, 16, 16);
    ASSERT_TRUE(icon && bitmap);
    EXPECT_EQ(std::pair(imageWidth(bitmap), imageHeight(icon)), std::pair(16, 16));
    EXPECT_EQ(loadImage(tempDir() + "/missing.bmp", 24, 24), nullptr);
    EXPECT_EQ(loadImage(tempDir() + "/junk.bmp", 24, 24), nullptr);
    Window w = openWindow();
    Dc dc = getDc(w);
    rectangle(dc, Rect{0, 0, 100, 100}, RED, RED);
    drawImage(dc, bitmap, 40, 40);
    drawImage(dc, icon, 0, 0);
    drawImage(dc, nullptr, 0, 0);  // nothing, no crash
    releaseDc(dc);
    // Transparent: what was below; the scaled top-left pixel; past the bitmap.
    expectPixels(w, {{2, 2, RED}, {12, 2, BLUE}, {41, 41, RED}, {50, 50, YELLOW}, {56, 56, RED}});
    freeImage(icon);
    freeImage(bitmap);
    // Program resources: by id, at their own size.
    static const pictures::Bytes blob = pictures::ico(8, 8, [](int, int) { return 0xFF00FF00u; });
    static const ResourceBlob table[] = {{103, blob.data(), blob.size()}};
    setResources(table, 1);
    Image res = loadResourceImage(103);
    ASSERT_NE(res, nullptr);
    EXPECT_EQ(imageWidth(res), 8);
    EXPECT_EQ(loadResourceImage(120), nullptr);
    freeImage(res);
}

TEST(WxText, BackgroundsColoursAndFonts) {
    Window w = openWindow(300, 150);
    Font credits = createFont("Matura MT Script Capitals", 27, 10, true);
    EXPECT_EQ(wxtest::fontFace(credits), "Z003");  // the calligraphic stand-in
    EXPECT_NEAR(wxtest::fontCellHeight(credits), 27, 3);
    Font crisp = createFont("DejaVu Sans", 24, 400, false);
    Font smooth = createFont("DejaVu Sans", 24, 400, true);
    Dc dc = getDc(w);
    rectangle(dc, Rect{0, 0, 300, 150}, GREEN, GREEN);
    textOut(dc, 10, 10, " MMMM");  // transparent, black: the default
    setBkTransparent(dc, false);
    setBkColor(dc, WHITE);
    setTextColor(dc, BLUE);
    EXPECT_EQ(selectFont(dc, crisp), nullptr);
    textOut(dc, 5, 50, " Quelmar");
    EXPECT_EQ(selectFont(dc, smooth), crisp);
    textOut(dc, 5, 100, " Quelmar");
    selectFont(dc, nullptr);
    releaseDc(dc);
    expectPixels(w, {{11, 11, GREEN}, {6, 52, WHITE}}, false);  // leading blanks
    EXPECT_TRUE(std::ranges::any_of(colours(w, 10, 10, 90, 30), [](unsigned p) {
        return (p >> 16) + ((p >> 8) & 0xFF) + (p & 0xFF) < 120;  // black glyphs
    }));
    // Crisp: only ink and paper in the cell; smooth: shades between.
    EXPECT_EQ(colours(w, 6, 52, 90, 70), (std::set{px(BLUE), px(WHITE)}));
    EXPECT_GT(colours(w, 6, 102, 90, 120).size(), 5u);
    for (Font f : {credits, smooth, crisp}) deleteFont(f);
}

TEST(WxInput, KeysMouseAndMenus) {
    static const MenuDef menu = {
        {0, "Menu", {{40001, "Nouveau", {}}, {0, "", {}}, {0, "Plus", {{40005, "Sous", {}}}}}},
        {40003, "Inventaire", {}}};
    Window w = openWindow(200, 150, &menu);
    EXPECT_EQ(wxtest::screenPlace(w).bottom, 150);  // the bar is outside the client area
    EXPECT_TRUE(wxtest::hasFocus(w));
    wxtest::mouse(w, 20, 30, true);
    wxtest::mouse(w, 20, 30, false);
    wxtest::runFor(100);
    EXPECT_EQ(count(w, Msg::LButtonDown, 20) + count(w, Msg::LButtonUp, 20), 2);
    EXPECT_GE(count(w, Msg::MouseMove), 1);
    EXPECT_EQ(std::pair(cursorPos(w).x, cursorPos(w).y), std::pair(20, 30));
    for (int k : {vk::LEFT, vk::RIGHT, vk::UP, vk::DOWN, vk::RETURN, vk::SPACE, vk::ESCAPE,
                  vk::F1, vk::F9, int('0'), int('7'), int('A'), int('S')}) {
        press(k);
        wxtest::runFor(30);
        EXPECT_EQ(count(w, Msg::KeyDown, k), 1) << "key " << k;
        EXPECT_EQ(count(w, Msg::KeyUp, k), 1) << "key " << k;
    }
    for (int id : {40001, 40005, 40003}) EXPECT_TRUE(wxtest::menuCommand(w, id));
    EXPECT_FALSE(wxtest::menuCommand(w, 40099));
    wxtest::runFor(50);
    for (int id : {40001, 40005, 40003}) EXPECT_EQ(count(w, Msg::Command, id), 1) << id;
    // A held key repeats as key-downs, with one release at the end.
    events.clear();
    wxtest::key(vk::RIGHT, true);
    wxtest::runFor(900);
    wxtest::key(vk::RIGHT, false);
    wxtest::runFor(50);
    EXPECT_GE(count(w, Msg::KeyDown, vk::RIGHT), 3);
    EXPECT_EQ(count(w, Msg::KeyUp, vk::RIGHT), 1);
}

TEST(WxLoop, CloseBoxDestroysByDefaultAndQuitEndsTheLoop) {
    Window w = openWindow(), v = openWindow();
    wxtest::after(100, [w] { wxtest::closeBox(w); });
    EXPECT_EQ(runMessageLoop(w), 0);
    EXPECT_EQ(count(w, Msg::Close) + count(w, Msg::Destroy), 2);
    EXPECT_FALSE(isWindow(w));
    setTimer(v, 3, 20);
    onTimer = [](Window win, int id) { killTimer(win, id), postQuit(7); };
    EXPECT_EQ(runMessageLoop(v), 7);
    EXPECT_TRUE(isWindow(v));
    EXPECT_EQ(count(v, Msg::Timer, 3), 1);
    onTimer = nullptr;
}

// ------------------------------------------------------------ dialogs

constexpr int OK = 1, CANCEL = 2, GO = 1005, CHECK = 1010, NUMBER = 1020, SHOW = 1021,
              COMBO = 1030;
const DialogDef testDialog{.id = 116, .title = "Essai", .w = 200, .h = 120,
    .controls = {{Ctl::GroupBox, -1, "Groupe", 5, 5, 190, 60},
                 {Ctl::DefPushButton, OK, "OK", 10, 100, 50, 14},
                 {Ctl::PushButton, CANCEL, "Annuler", 70, 100, 50, 14},
                 {Ctl::PushButton, GO, "Aller", 0, 80, 200, 14},
                 {Ctl::CheckBox, CHECK, "Coche", 10, 15, 80, 10},
                 {Ctl::Edit, NUMBER, "", 10, 30, 40, 12, Align::Left, false, true, 4},
                 {Ctl::ReadOnlyEdit, SHOW, "", 60, 30, 40, 12, Align::Center},
                 {Ctl::ComboBox, COMBO, "", 110, 30, 80, 60},
                 {Ctl::Label, 1040, "Texte", 10, 48, 100, 8, Align::Right}}};

long dialogProc(Window d, Msg m, long a, long) {
    record(d, m, a);
    if (m == Msg::InitDialog) {
        openDialog = d;
        setItemText(d, SHOW, "123");
        comboReset(d, COMBO);
        for (const char* s : {"un", "deux", "trois"}) comboAdd(d, COMBO, s);
        comboSelect(d, COMBO, 1);
        if (onInit) onInit(d);
    } else if (m == Msg::Command) {
        if (onCommand) onCommand(d, static_cast<int>(a));
        if (a == OK || a == CANCEL || a == GO) endDialog(d, a == OK ? 77 : static_cast<int>(a));
    }
    return 0;
}
// The test dialog over `owner`, with `act` done `ms` after it opens.
int runDialog(Window owner, int ms = 0, std::function<void()> act = nullptr) {
    if (act) wxtest::after(ms, std::move(act));
    return dialogBox(testDialog, owner, dialogProc);
}

TEST(WxDialog, ButtonsControlsAndDialogUnitsOfATemplate) {
    Window owner = openWindow();
    bool checkedSeen = false;
    std::string seen;
    Rect go{}, ok{}, client{};
    onCommand = [&](Window d, int id) {
        if (id == CHECK) checkedSeen = isItemChecked(d, CHECK);
        if (id != GO) return;
        seen = getItemText(d, SHOW) + "/" + getItemText(d, COMBO) + "/" +
               std::to_string(comboSelection(d, COMBO));
        setItemText(d, COMBO, "autre");
        seen += "/" + std::to_string(comboSelection(d, COMBO));  // typed text is no selection
    };
    wxtest::after(200, [] { EXPECT_TRUE(wxtest::click(openDialog, CHECK)); });
    EXPECT_EQ(runDialog(owner, 300, [&] {
                  go = wxtest::controlRect(openDialog, GO);
                  ok = wxtest::controlRect(openDialog, OK);
                  client = clientRect(openDialog);
                  EXPECT_FALSE(wxtest::click(openDialog, 4242));
                  setItemInt(openDialog, NUMBER, 123456);
                  EXPECT_EQ(getItemText(openDialog, NUMBER), "1234");  // the field's limit
                  setItemInt(openDialog, NUMBER, -15);
                  EXPECT_EQ(getItemText(openDialog, NUMBER), "-15");
                  EXPECT_TRUE(wxtest::click(openDialog, GO));
              }),
              GO);
    onCommand = nullptr;
    EXPECT_TRUE(checkedSeen);  // toggled before its command arrived
    EXPECT_EQ(seen, "123/deux/1/-1");
    EXPECT_EQ(count(openDialog, Msg::InitDialog) + count(openDialog, Msg::Destroy), 2);
    EXPECT_GE(count(openDialog, Msg::Paint), 1);
    EXPECT_EQ(std::pair(dialogId(openDialog), dialogId(owner)), std::pair(116, 0));
    // Units by the dialog's font, the same both ways: the button spanning the
    // template's 200 units spans the client area, the buttons sit at 100 of 120.
    EXPECT_EQ(std::pair(go.left, go.right), std::pair(0, client.right));
    EXPECT_GT(client.right, 200);
    EXPECT_NEAR(static_cast<double>(ok.top) / client.bottom, 100.0 / 120.0, 0.02);
    EXPECT_NEAR(static_cast<double>(ok.right - ok.left) / client.right, 50.0 / 200.0, 0.02);
}

TEST(WxDialog, EscapeEnterCloseBoxesNestingAndEndingDuringInit) {
    Window owner = openWindow();
    for (auto [k, code] : {std::pair{vk::ESCAPE, CANCEL}, {vk::RETURN, 77}}) {  // 77: default
        EXPECT_EQ(runDialog(owner, 250, [k] {
                      wxtest::mouse(openDialog, 5, 5, false);  // pointer over it: keyboard too
                      press(k);
                  }),
                  code);
    }
    // The owner's close box does nothing while the dialog is up; the dialog's gives Cancel.
    wxtest::after(200, [owner] { wxtest::closeBox(owner); });
    EXPECT_EQ(runDialog(owner, 250, [] { wxtest::closeBox(openDialog); }), CANCEL);
    EXPECT_EQ(count(openDialog, Msg::Command, CANCEL), 1);
    EXPECT_EQ(count(owner, Msg::Close), 0);
    // A dialog opened from a dialog; then the outer one is back in charge.
    Window outer = nullptr;
    int innerCode = -1;
    onCommand = [&](Window d, int id) {
        if (id != CHECK || d != outer) return;
        innerCode = runDialog(d, 200, [] { wxtest::click(openDialog, GO); });
        wxtest::after(200, [outer] { wxtest::click(outer, OK); });
    };
    onInit = [&](Window d) { outer = outer ? outer : d; };
    EXPECT_EQ(runDialog(owner, 200, [&] { wxtest::click(outer, CHECK); }), 77);
    EXPECT_EQ(innerCode, GO);
    EXPECT_TRUE(isWindow(owner));
    onCommand = nullptr;
    onInit = [](Window d) { endDialog(d, 5); };
    EXPECT_EQ(runDialog(owner), 5);
    EXPECT_EQ(count(openDialog, Msg::Paint), 0);  // never shown
    onInit = nullptr;

    // A quit posted while a dialog is up ends it; the owner's loop returns the code.
    // Destroying the owner takes its dialog down first. Either way the dialog's
    // loop ends at once (else the safety ends it with 99).
    static Window current = nullptr;
    onInit = [](Window d) { current = d; };
    auto safety = [] {
        wxtest::after(1500, [] {
            if (isWindow(current)) endDialog(current, 99);
        });
    };
    safety();
    EXPECT_EQ(runDialog(owner, 200, [] { postQuit(4); }), 0);
    EXPECT_EQ(runMessageLoop(owner), 4);
    EXPECT_TRUE(isWindow(owner));
    safety();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(runDialog(owner, 200, [owner] { destroyWindow(owner); }), 0);
    EXPECT_LT(msSince(start), 1400);
    EXPECT_FALSE(isWindow(owner));
    EXPECT_FALSE(isWindow(current));
    const auto destroyed = std::ranges::find_if(events, [owner](const Event& e) {
        return e.m == Msg::Destroy && (e.w == owner || e.w == current);
    });
    ASSERT_NE(destroyed, events.end());
    EXPECT_EQ(destroyed->w, current);  // the dialog before its owner
    EXPECT_EQ(count(owner, Msg::Destroy), 1);
    wxtest::runFor(200);  // the frame and its dialog are deleted
    current = nullptr;
    onInit = nullptr;
}

TEST(WxDialog, ProgramsDrawIntoDialogsAndAnEndedOneLeavesTheScreen) {
    onInit = [](Window d) { setTimer(d, 0, 50); };
    long shown = -1, afterEnd = -1;
    unsigned stored = 0;
    onTimer = [&](Window win, int) {
        fill(win, Rect{20, 20, 120, 31}, rgb(0, 0, 0), rgb(200, 55, 0));
        stored = wxtest::backingPixel(win, 50, 25);
        shown = wxtest::screenPixel(win, 50, 25);
        killTimer(win, 0);
        endDialog(win, 9);
        wxtest::runFor(50);  // off the screen at once, its procedure still running
        afterEnd = wxtest::screenPixel(win, 50, 25);
    };
    EXPECT_EQ(runDialog(openWindow()), 9);
    EXPECT_EQ(stored, 0xC83700u);
    EXPECT_EQ(shown, 0xC83700);
    EXPECT_NE(afterEnd, 0xC83700);
    onTimer = nullptr;
    onInit = nullptr;
}

// The game moves to its playing size from inside the new-game dialog, and
// opens a box at once after a move.
TEST(WxWindow, PlacementGivesTheClientSizeEvenFromADialogOrUnderABox) {
    Window owner = openWindow(390, 350);
    EXPECT_EQ(std::pair(wxtest::screenPlace(owner).right, wxtest::screenPlace(owner).bottom),
              std::pair(390, 350));
    int paints = count(owner, Msg::Paint);
    onCommand = [owner](Window, int id) {
        if (id == GO) placeWindow(owner, 41, 51, 480, 400);
    };
    EXPECT_EQ(runDialog(owner, 200, [] { wxtest::click(openDialog, GO); }), GO);
    onCommand = nullptr;
    wxtest::runFor(300);
    Rect r = wxtest::screenPlace(owner), c = clientRect(owner);
    EXPECT_EQ(std::tuple(r.right, r.bottom, c.right, c.bottom), std::tuple(480, 400, 480, 400));
    EXPECT_GT(count(owner, Msg::Paint), paints);
    fill(owner, Rect{470, 390, 480, 400}, BLUE, BLUE);  // the new part is drawable and shown
    expectPixels(owner, {{475, 395, BLUE}});
    placeWindow(owner, 40, 50, 390, 350);
    wxtest::runFor(300);
    placeWindow(owner, 41, 51, 480, 400);
    wxtest::after(500, [owner] {
        fill(owner, Rect{470, 390, 480, 400}, RED, RED);
        expectPixels(owner, {{475, 395, RED}});
        wxtest::answerBoxes(Answer::Ok);
    });
    messageBox(owner, "Bienvenue", "Quelmar", BoxStyle{});
}

// ------------------------------------------------------------ timers and boxes

TEST(WxTimers, TheMainTimerTicksDuringADialogAndABox) {
    Window owner = openWindow();
    setTimer(owner, 0, 30);
    int mainTicks = 0, dialogTicks = 0;
    onInit = [](Window d) { setTimer(d, 0, 50); };
    onTimer = [&](Window win, int) {
        if (win == owner) ++mainTicks;
        else if (++dialogTicks == 8) endDialog(win, 1);
    };
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(runDialog(owner), 1);
    EXPECT_GE(msSince(start), 350);
    EXPECT_GE(mainTicks, 6);
    // Dialogs that tick, opened again and again, reuse the timers of the ones gone.
    const std::size_t timersMade = wxtest::timerObjects();
    onTimer = [&](Window win, int) {
        if (win == owner) ++mainTicks;
        else endDialog(win, 2);
    };
    for (int i = 0; i < 4; ++i) EXPECT_EQ(runDialog(owner), 2);
    EXPECT_EQ(wxtest::timerObjects(), timersMade);
    onTimer = [&](Window win, int) { mainTicks += win == owner; };
    onInit = nullptr;
    // A box answered Yes, then a No-default box on Enter.
    mainTicks = 0;
    wxtest::after(300, [] { wxtest::answerBoxes(Answer::Yes); });
    EXPECT_EQ(messageBox(owner, "Etes vous sûr?", "Quelmar",
                         {BoxButtons::YesNo, BoxIcon::Question, true}),
              Answer::Yes);
    EXPECT_GE(mainTicks, 5);
    wxtest::after(300, [] { press(vk::RETURN); });
    EXPECT_EQ(messageBox(nullptr, "Non", "Quelmar",
                         {BoxButtons::YesNo, BoxIcon::Info, true, true, true}),
              Answer::No);
    wxtest::runFor(100);
    EXPECT_TRUE(wxtest::hasFocus(owner));  // the keyboard is back with the game
    killTimer(owner, 0);
    onTimer = nullptr;
}

TEST(WxTimers, APauseHoldsTicksAndDropsInput) {
    Window w = openWindow();
    setTimer(w, 1, 100);
    wxtest::runFor(350);
    EXPECT_GE(count(w, Msg::Timer, 1), 2);
    setTimer(w, 1, 150);  // a new period starts now: ticks at 150 and 300 ms, then 450
    wxtest::after(100, [] { wxtest::key('A', true); });  // pressed and released in the pause
    wxtest::after(150, [] { wxtest::key('A', false); });
    events.clear();
    pausing = true;
    auto start = std::chrono::steady_clock::now();
    pauseMs(400);  // two ticks fall inside it, the next comes 50 ms after
    pausing = false;
    EXPECT_GE(msSince(start), 400);
    EXPECT_LT(msSince(start), 1100);
    EXPECT_EQ(deliveredDuringPause, 0);
    EXPECT_TRUE(events.empty());  // not even at its end: it is no message loop
    // Back in a loop: the held ticks as one, the release, never the press.
    wxtest::runFor(10);
    EXPECT_EQ(count(w, Msg::Timer, 1), 1);
    EXPECT_EQ(count(w, Msg::KeyDown), 0);
    EXPECT_EQ(count(w, Msg::KeyUp, 'A'), 1);
    killTimer(w, 1);
    wxtest::runFor(300);
    EXPECT_EQ(count(w, Msg::Timer, 1), 1);  // killed: no more ticks
}

TEST(WxProcess, LaunchingProgramsAndDocuments) {
    const std::string& dir = tempDir();
    ASSERT_TRUE(pictures::write(dir + "/plain.txt", {'x'}));
    EXPECT_FALSE(launchProgram(dir + "/absent", "", dir));
    EXPECT_FALSE(launchProgram(dir + "/plain.txt", "", dir));  // not executable
    EXPECT_FALSE(launchProgram("/bin/sh", "-c true", dir + "/no-such-dir"));
    EXPECT_TRUE(launchProgram("/bin/sh", "-c \"echo lance > sortie.txt\"", dir));
    for (int i = 0; i < 100 && !fs::exists(dir + "/sortie.txt"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(fs::exists(dir + "/sortie.txt"));  // ran in its working directory
    EXPECT_FALSE(openDocument(dir + "/aideQuelmaR-absent.chm"));
    EXPECT_EQ(fs::path(executablePath()).filename(), "gui_platform_tests");
    EXPECT_NEAR(static_cast<double>(timeSeconds()), static_cast<double>(std::time(nullptr)), 2.0);
}

}  // namespace
