// The wx backend on a real X display: backing stores and what reaches the
// screen, pictures and text, keys, mouse and menus, template dialogs, message
// boxes, timers during modal loops, pauses, and the process services.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "pictures.h"
#include "platform/platform.h"
#include "testing.h"

using namespace platform;
namespace fs = std::filesystem;

namespace {

struct Event {
    Window w;
    Msg m;
    long a, b;
};
std::vector<Event> events;
std::function<void(Window)> onPaint;
std::function<void(Window, int)> onTimer;
bool pausing = false;
int deliveredDuringPause = 0;

long record(Window w, Msg m, long a, long b) {
    if (pausing) ++deliveredDuringPause;
    events.push_back({w, m, a, b});
    if (m == Msg::Paint && onPaint) onPaint(w);
    if (m == Msg::Timer && onTimer) onTimer(w, static_cast<int>(a));
    return 0;
}

long mainProc(Window w, Msg m, long a, long b) {
    record(w, m, a, b);
    return defaultWindowProc(w, m, a, b);
}

int count(Window w, Msg m, long a = -999) {
    int n = 0;
    for (const Event& e : events)
        if (e.w == w && e.m == m && (a == -999 || e.a == a)) ++n;
    return n;
}

Window openWindow(int cw = 200, int ch = 150, const MenuDef* menu = nullptr) {
    WindowInit init;
    init.title = "essai";
    init.x = 20;
    init.y = 30;
    init.clientW = cw;
    init.clientH = ch;
    init.proc = mainProc;
    init.menu = menu;
    Window w = createWindow(init);
    wxtest::runFor(250);  // mapped, painted once
    return w;
}

constexpr unsigned px(Color c) { return (c.r << 16) | (c.g << 8) | c.b; }
constexpr Color RED = rgb(255, 0, 0), GREEN = rgb(0, 160, 0), BLUE = rgb(0, 0, 255),
                YELLOW = rgb(255, 255, 0), WHITE = rgb(255, 255, 255);

std::string tempDir() {
    static std::string dir = [] {
        char tmpl[] = "/tmp/wxtestXXXXXX";
        return std::string(mkdtemp(tmpl));
    }();
    return dir;
}

TEST(WxWindow, DrawingGoesIntoTheBackingStoreAndStraightToTheScreen) {
    Window w = openWindow();
    ASSERT_TRUE(isWindow(w));
    EXPECT_GE(count(w, Msg::Paint), 1);
    EXPECT_EQ(wxtest::backingPixel(w, 5, 5), px(BUTTON_FACE));  // the first paint erased

    Dc dc = getDc(w);
    rectangle(dc, Rect{10, 10, 50, 40}, RED, GREEN);
    rectangle(dc, Rect{60, 10, 61, 20}, BLUE, GREEN);  // one pixel wide: outline only
    rectangle(dc, Rect{70, 10, 70, 20}, BLUE, GREEN);  // empty: nothing
    releaseDc(dc);
    // Outline on the outer ring; right and bottom edges excluded.
    EXPECT_EQ(wxtest::backingPixel(w, 10, 10), px(RED));
    EXPECT_EQ(wxtest::backingPixel(w, 49, 39), px(RED));
    EXPECT_EQ(wxtest::backingPixel(w, 50, 40), px(BUTTON_FACE));
    EXPECT_EQ(wxtest::backingPixel(w, 11, 11), px(GREEN));
    EXPECT_EQ(wxtest::backingPixel(w, 48, 38), px(GREEN));
    EXPECT_EQ(wxtest::backingPixel(w, 60, 15), px(BLUE));
    EXPECT_EQ(wxtest::backingPixel(w, 70, 15), px(BUTTON_FACE));
    // Released means shown: the X server has the pixels without any loop run.
    EXPECT_EQ(wxtest::screenPixel(w, 20, 20), static_cast<long>(px(GREEN)));
    EXPECT_EQ(wxtest::screenPixel(w, 10, 10), static_cast<long>(px(RED)));

    // A paint with erase of a part: that part is filled, the rest kept; the
    // program's Paint comes at once with updateWindow.
    int paints = count(w, Msg::Paint);
    Rect part{0, 0, 20, 20};
    invalidate(w, &part, true);
    EXPECT_EQ(count(w, Msg::Paint), paints);  // not before the loop or an update
    updateWindow(w);
    EXPECT_EQ(count(w, Msg::Paint), paints + 1);
    EXPECT_EQ(wxtest::backingPixel(w, 11, 11), px(BUTTON_FACE));
    EXPECT_EQ(wxtest::backingPixel(w, 25, 25), px(GREEN));
    EXPECT_EQ(wxtest::screenPixel(w, 11, 11), static_cast<long>(px(BUTTON_FACE)));

    // Without erase the Paint draws over what is there.
    invalidate(w, nullptr, false);
    wxtest::runFor(100);
    EXPECT_EQ(count(w, Msg::Paint), paints + 2);
    EXPECT_EQ(wxtest::backingPixel(w, 25, 25), px(GREEN));
    destroyWindow(w);
}

TEST(WxWindow, PlacementGivesTheClientSizeAndAFreshPaint) {
    Window w = openWindow(390, 350);
    Rect r = wxtest::screenPlace(w);
    EXPECT_EQ(r.right, 390);
    EXPECT_EQ(r.bottom, 350);
    int paints = count(w, Msg::Paint);
    placeWindow(w, 40, 50, 480, 400);
    wxtest::runFor(250);
    r = wxtest::screenPlace(w);
    EXPECT_EQ(r.right, 480);
    EXPECT_EQ(r.bottom, 400);
    EXPECT_EQ(clientRect(w).right, 480);
    EXPECT_EQ(clientRect(w).bottom, 400);
    EXPECT_EQ(count(w, Msg::Paint), paints + 1);
    // The new part of the client area is drawable and shown.
    Dc dc = getDc(w);
    rectangle(dc, Rect{470, 390, 480, 400}, BLUE, BLUE);
    releaseDc(dc);
    EXPECT_EQ(wxtest::backingPixel(w, 475, 395), px(BLUE));
    EXPECT_EQ(wxtest::screenPixel(w, 475, 395), static_cast<long>(px(BLUE)));
}

TEST(WxPictures, IconsKeepTheirTransparencyAndPicturesAreScaled) {
    const std::string icoPath = tempDir() + "/half.ico";
    const std::string bmpPath = tempDir() + "/yellow.bmp";
    // Left half transparent, right half opaque blue.
    ASSERT_TRUE(pictures::write(icoPath, pictures::ico(8, 8, [](int x, int) {
                                    return x < 4 ? 0x00000000u : 0xFF0000FFu;
                                })));
    // Yellow with a red top-left pixel, to see which way up it lands.
    ASSERT_TRUE(pictures::write(bmpPath, pictures::bmp(4, 4, [](int x, int y) {
                                    return x == 0 && y == 0 ? 0xFF0000u : 0xFFFF00u;
                                })));
    Image icon = loadImage(icoPath, 16, 16);
    Image bitmap = loadImage(bmpPath, 16, 16);
    ASSERT_NE(icon, nullptr);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(imageWidth(bitmap), 16);
    EXPECT_EQ(imageHeight(icon), 16);
    EXPECT_EQ(loadImage(tempDir() + "/missing.bmp", 24, 24), nullptr);
    const std::string junk = tempDir() + "/junk.bmp";
    ASSERT_TRUE(pictures::write(junk, {'B', 'M', 1, 2, 3}));
    EXPECT_EQ(loadImage(junk, 24, 24), nullptr);

    Window w = openWindow();
    Dc dc = getDc(w);
    rectangle(dc, Rect{0, 0, 100, 100}, RED, RED);
    drawImage(dc, bitmap, 40, 40);
    drawImage(dc, icon, 0, 0);
    drawImage(dc, nullptr, 0, 0);  // nothing, no crash
    releaseDc(dc);
    EXPECT_EQ(wxtest::backingPixel(w, 2, 2), px(RED));      // transparent: what was below
    EXPECT_EQ(wxtest::backingPixel(w, 12, 2), px(BLUE));    // opaque: the icon
    EXPECT_EQ(wxtest::backingPixel(w, 41, 41), px(RED));    // the scaled top-left pixel
    EXPECT_EQ(wxtest::backingPixel(w, 50, 50), px(YELLOW));
    EXPECT_EQ(wxtest::backingPixel(w, 56, 56), px(RED));    // past the bitmap
    EXPECT_EQ(wxtest::screenPixel(w, 12, 2), static_cast<long>(px(BLUE)));
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

// The darkest pixel of a block of the backing store.
unsigned darkest(Window w, int x0, int y0, int x1, int y1) {
    unsigned best = 0xFFFFFF;
    int bestSum = 3 * 255 + 1;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            unsigned p = wxtest::backingPixel(w, x, y);
            int sum = (p >> 16) + ((p >> 8) & 0xFF) + (p & 0xFF);
            if (sum < bestSum) {
                bestSum = sum;
                best = p;
            }
        }
    return best;
}

TEST(WxText, OpaqueAndTransparentBackgroundsAndColours) {
    Window w = openWindow(300, 100);
    Dc dc = getDc(w);
    rectangle(dc, Rect{0, 0, 300, 100}, GREEN, GREEN);
    textOut(dc, 10, 10, " MMMM");  // transparent, black: the default
    setBkTransparent(dc, false);
    setBkColor(dc, WHITE);
    setTextColor(dc, BLUE);
    textOut(dc, 10, 50, " MMMM");
    releaseDc(dc);
    EXPECT_EQ(wxtest::backingPixel(w, 11, 11), px(GREEN));  // the leading blank: green shows
    EXPECT_EQ(wxtest::backingPixel(w, 11, 51), px(WHITE));  // the cell filled first
    unsigned ink = darkest(w, 10, 10, 90, 30);
    EXPECT_LT((ink >> 16) + ((ink >> 8) & 0xFF) + (ink & 0xFF), 120u);  // black glyphs
    bool blueInk = false;
    for (int y = 50; y < 70 && !blueInk; ++y)
        for (int x = 10; x < 90 && !blueInk; ++x) {
            unsigned p = wxtest::backingPixel(w, x, y);
            blueInk = (p & 0xFF) > 200 && (p >> 16) < 60;
        }
    EXPECT_TRUE(blueInk);
}

TEST(WxText, FontsByFaceWithACalligraphicStandIn) {
    openWindow();
    Font credits = createFont("Matura MT Script Capitals", 27, 10, true);
    EXPECT_EQ(wxtest::fontFace(credits), "Z003");
    EXPECT_NEAR(wxtest::fontCellHeight(credits), 27, 3);
    Font missing = createFont("Pas De Police Pareille", 20, 700, false);
    Font defaultish = createFont("", 20, 700, false);
    EXPECT_EQ(wxtest::fontFace(missing), wxtest::fontFace(defaultish));  // the system's choice
    EXPECT_NEAR(wxtest::fontCellHeight(missing), 20, 3);
    Font big = createFont("DejaVu Sans", 40, 400, true);
    EXPECT_NEAR(wxtest::fontCellHeight(big), 40, 4);
    // Selected fonts change what is drawn: the big one reaches further down.
    Window w = openWindow(300, 100);
    Dc dc = getDc(w);
    EXPECT_EQ(selectFont(dc, big), nullptr);
    textOut(dc, 0, 0, "MMMM");
    EXPECT_EQ(selectFont(dc, nullptr), big);
    releaseDc(dc);
    unsigned low = darkest(w, 0, 25, 100, 40);
    EXPECT_LT((low >> 16) + ((low >> 8) & 0xFF) + (low & 0xFF), 200u);
    deleteFont(credits);
    deleteFont(missing);
    deleteFont(defaultish);
    deleteFont(big);
}

// Distinct colours in a block: a crisp font draws only ink and paper.
int shades(Window w, int x0, int y0, int x1, int y1) {
    std::set<unsigned> seen;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) seen.insert(wxtest::backingPixel(w, x, y));
    return static_cast<int>(seen.size());
}

TEST(WxText, FontsWithAndWithoutAntialiasing) {
    Window w = openWindow(300, 100);
    Font smooth = createFont("DejaVu Sans", 24, 400, true);
    Font crisp = createFont("DejaVu Sans", 24, 400, false);
    Dc dc = getDc(w);
    rectangle(dc, Rect{0, 0, 300, 100}, WHITE, WHITE);
    selectFont(dc, smooth);
    textOut(dc, 5, 5, "Quelmar");
    selectFont(dc, crisp);
    textOut(dc, 5, 50, "Quelmar");
    selectFont(dc, nullptr);
    releaseDc(dc);
    EXPECT_GT(shades(w, 0, 0, 150, 45), 5);
    EXPECT_EQ(shades(w, 0, 50, 150, 95), 2);
    deleteFont(smooth);
    deleteFont(crisp);
}

TEST(WxInput, KeysAndMouseReachTheClientArea) {
    Window w = openWindow();
    EXPECT_TRUE(wxtest::hasFocus(w));
    wxtest::mouse(w, 20, 30, true);
    wxtest::mouse(w, 20, 30, false);
    wxtest::runFor(100);
    ASSERT_EQ(count(w, Msg::LButtonDown), 1);
    for (const Event& e : events)
        if (e.m == Msg::LButtonDown || e.m == Msg::LButtonUp) {
            EXPECT_EQ(e.a, 20);
            EXPECT_EQ(e.b, 30);
        }
    EXPECT_EQ(count(w, Msg::LButtonUp), 1);
    EXPECT_GE(count(w, Msg::MouseMove), 1);
    EXPECT_EQ(cursorPos(w).x, 20);
    EXPECT_EQ(cursorPos(w).y, 30);

    for (int k : {vk::LEFT, vk::RIGHT, vk::UP, vk::DOWN, vk::RETURN, vk::SPACE, vk::ESCAPE,
                  vk::F1, vk::F9, int('0'), int('7'), int('A'), int('S')}) {
        wxtest::key(k, true);
        wxtest::key(k, false);
        wxtest::runFor(30);
        EXPECT_EQ(count(w, Msg::KeyDown, k), 1) << "key " << k;
        EXPECT_EQ(count(w, Msg::KeyUp, k), 1) << "key " << k;
    }
}

// On a French keyboard the top row types "&", "é", ... and still gives the
// digit keys, as the game's quick keys 1 to 6 expect.
TEST(WxInput, DigitKeysWhateverTheLayout) {
    if (std::system("setxkbmap -layout fr 2>/dev/null") != 0) GTEST_SKIP() << "no setxkbmap";
    struct Restore {
        ~Restore() { (void)std::system("setxkbmap -layout us 2>/dev/null"); }
    } restore;
    Window w = openWindow();
    constexpr unsigned long XK_AMPERSAND = 0x26;
    if (wxtest::keysymOf(10) != XK_AMPERSAND) GTEST_SKIP() << "the X server kept its layout";
    wxtest::mouse(w, 10, 10, false);
    for (int keycode : {10, 11, 15, 19}) {  // the keys of 1, 2, 6 and 0
        wxtest::rawKey(keycode, true);
        wxtest::rawKey(keycode, false);
    }
    wxtest::key('Q', true);  // letters follow the layout, as on Windows
    wxtest::key('Q', false);
    wxtest::runFor(50);
    for (int d : {'1', '2', '6', '0'}) {
        EXPECT_EQ(count(w, Msg::KeyDown, d), 1) << char(d);
        EXPECT_EQ(count(w, Msg::KeyUp, d), 1) << char(d);
    }
    EXPECT_EQ(count(w, Msg::KeyDown, 'Q'), 1);
}

TEST(WxInput, AHeldKeyRepeatsAsKeyDowns) {
    Window w = openWindow();
    wxtest::mouse(w, 10, 10, false);
    wxtest::key(vk::RIGHT, true);
    wxtest::runFor(900);
    wxtest::key(vk::RIGHT, false);
    wxtest::runFor(50);
    EXPECT_GE(count(w, Msg::KeyDown, vk::RIGHT), 3);
    EXPECT_EQ(count(w, Msg::KeyUp, vk::RIGHT), 1);  // one release, at the end
}

TEST(WxInput, MenuCommandsFromPopupsAndFromTheBar) {
    static const MenuDef menu = {
        {0, "Menu", {{40001, "Nouveau jeu", {}}, {0, "", {}}, {0, "Plus", {{40005, "Sous", {}}}}}},
        {40003, "Inventaire", {}},
    };
    Window w = openWindow(200, 150, &menu);
    EXPECT_TRUE(wxtest::menuCommand(w, 40001));
    EXPECT_TRUE(wxtest::menuCommand(w, 40005));
    EXPECT_TRUE(wxtest::menuCommand(w, 40003));
    EXPECT_FALSE(wxtest::menuCommand(w, 40099));
    wxtest::runFor(50);
    EXPECT_EQ(count(w, Msg::Command, 40001), 1);
    EXPECT_EQ(count(w, Msg::Command, 40005), 1);
    EXPECT_EQ(count(w, Msg::Command, 40003), 1);
    EXPECT_EQ(wxtest::screenPlace(w).bottom, 150);  // the bar is outside the client area
}

TEST(WxLoop, CloseBoxDestroysByDefaultAndQuitEndsTheLoop) {
    Window w = openWindow();
    wxtest::after(100, [w] { wxtest::closeBox(w); });
    EXPECT_EQ(runMessageLoop(w), 0);
    EXPECT_EQ(count(w, Msg::Close), 1);
    EXPECT_EQ(count(w, Msg::Destroy), 1);
    EXPECT_FALSE(isWindow(w));

    Window v = openWindow();
    setTimer(v, 3, 20);
    onTimer = [](Window win, int id) {
        if (id == 3) {
            killTimer(win, 3);
            postQuit(7);
        }
    };
    EXPECT_EQ(runMessageLoop(v), 7);
    EXPECT_TRUE(isWindow(v));
    EXPECT_EQ(count(v, Msg::Timer, 3), 1);
    onTimer = nullptr;
}

// ------------------------------------------------------------ dialogs

constexpr int ID_OK = 1, ID_CANCEL = 2, ID_GO = 1005, ID_CHECK = 1010, ID_NUMBER = 1020,
              ID_SHOW = 1021, ID_COMBO = 1030, ID_LABEL = 1040;

DialogDef testDialog() {
    DialogDef d;
    d.id = 116;
    d.title = "Essai";
    d.w = 200;
    d.h = 120;
    d.controls = {
        {Ctl::GroupBox, -1, "Groupe", 5, 5, 190, 60},
        {Ctl::DefPushButton, ID_OK, "OK", 10, 100, 50, 14},
        {Ctl::PushButton, ID_CANCEL, "Annuler", 70, 100, 50, 14},
        {Ctl::PushButton, ID_GO, "Aller", 0, 80, 200, 14},
        {Ctl::CheckBox, ID_CHECK, "Coche", 10, 15, 80, 10},
        {Ctl::Edit, ID_NUMBER, "", 10, 30, 40, 12, Align::Left, false, true},
        {Ctl::ReadOnlyEdit, ID_SHOW, "", 60, 30, 40, 12, Align::Center},
        {Ctl::ComboBox, ID_COMBO, "", 110, 30, 80, 60},
        {Ctl::Label, ID_LABEL, "Texte", 10, 48, 100, 8, Align::Right},
    };
    return d;
}

Window openDialog = nullptr;
std::function<void(Window, int)> onCommand;
std::function<void(Window)> onInit;

long dialogProc(Window d, Msg m, long a, long b) {
    record(d, m, a, b);
    if (m == Msg::InitDialog) {
        openDialog = d;
        setItemText(d, ID_SHOW, "123");
        comboReset(d, ID_COMBO);
        for (const char* s : {"un", "deux", "trois"}) comboAdd(d, ID_COMBO, s);
        comboSelect(d, ID_COMBO, 1);
        if (onInit) onInit(d);
    } else if (m == Msg::Command) {
        if (onCommand) onCommand(d, static_cast<int>(a));
        if (a == ID_OK) endDialog(d, 77);
        if (a == ID_CANCEL) endDialog(d, ID_CANCEL);
        if (a == ID_GO) endDialog(d, ID_GO);
    }
    return 0;
}

TEST(WxDialog, ButtonsAndControlsOfATemplate) {
    Window owner = openWindow();
    bool checkedSeen = false;
    std::string shown, comboText;
    int comboSel = -2, typedSel = -2;
    onCommand = [&](Window d, int id) {
        if (id == ID_CHECK) checkedSeen = isItemChecked(d, ID_CHECK);
        if (id == ID_GO) {
            shown = getItemText(d, ID_SHOW);
            comboSel = comboSelection(d, ID_COMBO);
            comboText = getItemText(d, ID_COMBO);
            setItemText(d, ID_COMBO, "autre");
            typedSel = comboSelection(d, ID_COMBO);
        }
    };
    wxtest::after(200, [] { EXPECT_TRUE(wxtest::click(openDialog, ID_CHECK)); });
    wxtest::after(300, [] {
        EXPECT_FALSE(wxtest::click(openDialog, 4242));
        setItemInt(openDialog, ID_NUMBER, -15);
        EXPECT_EQ(getItemText(openDialog, ID_NUMBER), "-15");
        EXPECT_TRUE(wxtest::click(openDialog, ID_GO));
    });
    EXPECT_EQ(dialogBox(testDialog(), owner, dialogProc), ID_GO);
    EXPECT_TRUE(checkedSeen);  // toggled before its command arrived
    EXPECT_EQ(shown, "123");
    EXPECT_EQ(comboSel, 1);
    EXPECT_EQ(comboText, "deux");
    EXPECT_EQ(typedSel, -1);  // typed text is no selection
    EXPECT_EQ(count(openDialog, Msg::InitDialog), 1);
    EXPECT_GE(count(openDialog, Msg::Paint), 1);
    EXPECT_EQ(count(openDialog, Msg::Destroy), 1);
    EXPECT_EQ(dialogId(openDialog), 116);
    EXPECT_EQ(dialogId(owner), 0);
    onCommand = nullptr;
}

TEST(WxDialog, DialogUnitsFollowTheDialogFont) {
    Window owner = openWindow();
    Rect go{}, ok{}, client{};
    wxtest::after(200, [&] {
        go = wxtest::controlRect(openDialog, ID_GO);
        ok = wxtest::controlRect(openDialog, ID_OK);
        client = clientRect(openDialog);
        endDialog(openDialog, 0);
    });
    dialogBox(testDialog(), owner, dialogProc);
    // The button spanning the template's width spans the client area.
    EXPECT_EQ(go.left, 0);
    EXPECT_EQ(go.right, client.right);
    EXPECT_GT(client.right, 200);  // units are not pixels
    // Same unit both ways: 200 x 120 units, buttons at 100 of 120.
    EXPECT_NEAR(static_cast<double>(ok.top) / client.bottom, 100.0 / 120.0, 0.02);
    EXPECT_NEAR(static_cast<double>(ok.right - ok.left) / client.right, 50.0 / 200.0, 0.02);
}

TEST(WxDialog, EscapeEnterAndTheCloseBox) {
    Window owner = openWindow();
    wxtest::after(250, [] {
        wxtest::mouse(openDialog, 5, 5, false);  // the pointer over it: it has the keyboard
        wxtest::key(vk::ESCAPE, true);
        wxtest::key(vk::ESCAPE, false);
    });
    EXPECT_EQ(dialogBox(testDialog(), owner, dialogProc), ID_CANCEL);

    wxtest::after(250, [] {
        wxtest::mouse(openDialog, 5, 5, false);
        wxtest::key(vk::RETURN, true);
        wxtest::key(vk::RETURN, false);
    });
    EXPECT_EQ(dialogBox(testDialog(), owner, dialogProc), 77);  // the default button

    // The owner's close box does nothing while the dialog is up; the
    // dialog's own gives Cancel.
    wxtest::after(200, [owner] { wxtest::closeBox(owner); });
    wxtest::after(250, [] { wxtest::closeBox(openDialog); });
    EXPECT_EQ(dialogBox(testDialog(), owner, dialogProc), ID_CANCEL);
    EXPECT_EQ(count(openDialog, Msg::Command, ID_CANCEL), 1);
    EXPECT_EQ(count(owner, Msg::Close), 0);
    EXPECT_TRUE(isWindow(owner));
}

TEST(WxDialog, ADialogOpenedFromADialog) {
    Window owner = openWindow();
    Window outer = nullptr;
    int innerCode = -1;
    onCommand = [&](Window d, int id) {
        if (id != ID_CHECK || d != outer) return;
        wxtest::after(200, [] { wxtest::click(openDialog, ID_GO); });
        innerCode = dialogBox(testDialog(), d, dialogProc);
        // The outer dialog is back in charge.
        wxtest::after(200, [outer] { wxtest::click(outer, ID_OK); });
    };
    onInit = [&](Window d) {
        if (!outer) outer = d;
    };
    wxtest::after(200, [&] { wxtest::click(outer, ID_CHECK); });
    EXPECT_EQ(dialogBox(testDialog(), owner, dialogProc), 77);
    EXPECT_EQ(innerCode, ID_GO);
    EXPECT_TRUE(isWindow(owner));
    onCommand = nullptr;
    onInit = nullptr;
}

TEST(WxDialog, EndedDuringInitIsNeverShown) {
    Window owner = openWindow();
    onInit = [](Window d) { endDialog(d, 5); };
    EXPECT_EQ(dialogBox(testDialog(), owner, dialogProc), 5);
    EXPECT_EQ(count(openDialog, Msg::Paint), 0);
    onInit = nullptr;
}

TEST(WxDialog, ProgramsDrawIntoDialogs) {
    Window owner = openWindow();
    onInit = [](Window d) { setTimer(d, 0, 50); };
    long shownBar = -1, shownAfterEnd = -1;
    unsigned storedBar = 0;
    onTimer = [&](Window win, int) {
        if (!dialogId(win)) return;
        Dc dc = getDc(win);
        rectangle(dc, Rect{20, 20, 120, 31}, rgb(0, 0, 0), rgb(200, 55, 0));
        releaseDc(dc);
        storedBar = wxtest::backingPixel(win, 50, 25);
        shownBar = wxtest::screenPixel(win, 50, 25);
        killTimer(win, 0);
        endDialog(win, 9);
        // An ended dialog is off the screen at once, its procedure still running.
        wxtest::runFor(50);
        shownAfterEnd = wxtest::screenPixel(win, 50, 25);
    };
    EXPECT_EQ(dialogBox(testDialog(), owner, dialogProc), 9);
    EXPECT_EQ(storedBar, 0xC83700u);
    EXPECT_EQ(shownBar, 0xC83700);
    EXPECT_NE(shownAfterEnd, 0xC83700);
    onTimer = nullptr;
    onInit = nullptr;
}

// The game moves to its playing size from inside the new-game dialog.
TEST(WxWindow, PlacementFromInsideADialogTakesEffect) {
    Window owner = openWindow(390, 350);
    onCommand = [owner](Window, int id) {
        if (id == ID_GO) placeWindow(owner, 41, 51, 480, 400);
    };
    wxtest::after(200, [] { wxtest::click(openDialog, ID_GO); });
    EXPECT_EQ(dialogBox(testDialog(), owner, dialogProc), ID_GO);
    onCommand = nullptr;
    wxtest::runFor(300);
    Dc dc = getDc(owner);
    rectangle(dc, Rect{470, 390, 480, 400}, BLUE, BLUE);
    releaseDc(dc);
    EXPECT_EQ(wxtest::screenPixel(owner, 475, 395), static_cast<long>(px(BLUE)));

    // Back to the small size, then the large one with a box opened at once:
    // the window takes its size while the box is up.
    placeWindow(owner, 40, 50, 390, 350);
    wxtest::runFor(300);
    placeWindow(owner, 41, 51, 480, 400);
    long during = -2;
    wxtest::after(500, [owner, &during] {
        Dc d = getDc(owner);
        rectangle(d, Rect{470, 390, 480, 400}, RED, RED);
        releaseDc(d);
        during = wxtest::screenPixel(owner, 475, 395);
        wxtest::answerBoxes(Answer::Ok);
    });
    messageBox(owner, "Bienvenue", "Quelmar", BoxStyle{});
    EXPECT_EQ(during, static_cast<long>(px(RED)));
}

// ------------------------------------------------------------ timers and boxes

TEST(WxTimers, TheMainTimerTicksDuringADialogAndABox) {
    Window owner = openWindow();
    setTimer(owner, 0, 30);
    int mainTicks = 0, dialogTicks = 0;
    onInit = [](Window d) { setTimer(d, 0, 50); };
    onTimer = [&](Window win, int) {
        if (win == owner) {
            ++mainTicks;
        } else if (++dialogTicks == 8) {
            endDialog(win, 1);
        }
    };
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(dialogBox(testDialog(), owner, dialogProc), 1);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                  std::chrono::steady_clock::now() - start)
                  .count();
    EXPECT_GE(ms, 350);
    EXPECT_GE(mainTicks, 6);
    onInit = nullptr;

    // A message box: Yes by the button, then a No-default box on Enter.
    mainTicks = 0;
    wxtest::after(300, [] { wxtest::answerBoxes(Answer::Yes); });
    EXPECT_EQ(messageBox(owner, "Etes vous sûr?", "Quelmar",
                         BoxStyle{BoxButtons::YesNo, BoxIcon::Question, true}),
              Answer::Yes);
    EXPECT_GE(mainTicks, 5);
    wxtest::after(300, [] {
        wxtest::key(vk::RETURN, true);
        wxtest::key(vk::RETURN, false);
    });
    EXPECT_EQ(messageBox(nullptr, "Non par défaut", "Quelmar",
                         BoxStyle{BoxButtons::YesNo, BoxIcon::Info, true, true, true}),
              Answer::No);
    wxtest::runFor(100);
    EXPECT_TRUE(wxtest::hasFocus(owner));  // the keyboard is back with the game
    wxtest::after(200, [] { wxtest::answerBoxes(Answer::Ok); });
    EXPECT_EQ(messageBox(owner, "Info", "Quelmar", BoxStyle{BoxButtons::Ok, BoxIcon::Error}),
              Answer::Ok);
    killTimer(owner, 0);
    onTimer = nullptr;
}

TEST(WxTimers, APauseHoldsTicksAndDropsInput) {
    Window w = openWindow();
    setTimer(w, 1, 100);
    wxtest::runFor(350);
    EXPECT_GE(count(w, Msg::Timer, 1), 2);
    setTimer(w, 1, 150);  // a new period starts now: ticks at 150 and 300 ms, then 450
    // A key pressed and released during the pause.
    wxtest::after(100, [] { wxtest::key('A', true); });
    wxtest::after(150, [] { wxtest::key('A', false); });
    events.clear();
    pausing = true;
    auto start = std::chrono::steady_clock::now();
    pauseMs(400);  // two ticks fall inside it, the next comes 50 ms after
    pausing = false;
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                  std::chrono::steady_clock::now() - start)
                  .count();
    EXPECT_GE(ms, 400);
    EXPECT_LT(ms, 1100);
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

// ------------------------------------------------------------ process services

TEST(WxProcess, LaunchingProgramsAndDocuments) {
    const std::string dir = tempDir();
    EXPECT_FALSE(launchProgram(dir + "/absent", "", dir));
    const std::string plain = dir + "/plain.txt";
    ASSERT_TRUE(pictures::write(plain, {'x'}));
    EXPECT_FALSE(launchProgram(plain, "", dir));  // not executable
    EXPECT_FALSE(launchProgram("/bin/sh", "-c true", dir + "/no-such-dir"));
    EXPECT_TRUE(launchProgram("/bin/sh", "-c \"echo lance > sortie.txt\"", dir));
    for (int i = 0; i < 100 && !fs::exists(dir + "/sortie.txt"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(fs::exists(dir + "/sortie.txt"));  // ran in its working directory
    EXPECT_FALSE(openDocument(dir + "/aideQuelmaR-absent.chm"));
    EXPECT_EQ(fs::path(executablePath()).filename(), "gui_platform_tests");
    long long now = timeSeconds();
    EXPECT_NEAR(static_cast<double>(now), static_cast<double>(std::time(nullptr)), 2.0);
}

}  // namespace
