// The headless backend: scripted loops, dialogs, message boxes, timers and the
// virtual clock, the transcript, and drawing checked pixel by pixel.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <zlib.h>

#include <csignal>

#include <algorithm>
#include <tuple>

#include "platform/headless.h"
#include "support.h"

using namespace platform;
namespace hl = platform::headless;
using Lines = std::vector<std::string>;

namespace {

Lines events;  // what the procedures received, paints aside
Window lastDialog = nullptr;
int dialogResult = -1;
bool okDisabled = false;  // the dialog disables its default button at init

constexpr int ID_NAME = 1064, ID_CUSTOM = 1081, ID_LIST = 1070, ID_RO = 1065;
const DialogDef NEW_GAME = [] {
    DialogDef d;
    d.id = 119, d.title = "Nouvelle Partie", d.w = 200, d.h = 138;
    d.controls = {{Ctl::Label, -1, "Nom:", 8, 10, 22, 9}, {Ctl::Edit, ID_NAME, "", 32, 8, 160, 12},
                  {Ctl::CheckBox, ID_CUSTOM, "Perso", 8, 25, 150, 10}, {Ctl::ComboBox, ID_LIST, "", 8, 40, 100, 60},
                  {Ctl::ReadOnlyEdit, ID_RO, "20 - 0 - 170", 8, 60, 70, 12, Align::Center},
                  {Ctl::PushButton, 1099, "Plus", 90, 60, 20, 12, Align::Left, true},  // disabled
                  {Ctl::DefPushButton, 1, "OK", 40, 118, 50, 14}, {Ctl::PushButton, 2, "Annuler", 110, 118, 50, 14}};
    return d;
}();

// Ends on OK (code 7) or Cancel (code 3).
long dialogProc(Window dlg, Msg m, long a, long) {
    lastDialog = dlg;
    if (m == Msg::InitDialog) {
        events.push_back("init " + std::to_string(dialogId(dlg)));
        comboAdd(dlg, ID_LIST, "Emplacement 1");
        comboAdd(dlg, ID_LIST, "Emplacement 2");
        setItemText(dlg, ID_NAME, "Arthur");
        if (okDisabled) enableItem(dlg, 1, false);
    } else if (m == Msg::Command) {
        events.push_back("command " + std::to_string(a));
        if (a == 1 || a == 2) endDialog(dlg, a == 1 ? 7 : 3);
    }
    return 0;
}

// Records what it receives, paints aside; menu command 40011 opens the dialog.
long mainProc(Window w, Msg m, long a, long b) {
    static const char* const NAMES[] = {"paint", "close", "destroy", "keydown", "keyup", "command",
                                        "timer", "ldown", "lup",     "rdown",   "move",  "init"};
    if (m == Msg::Paint) return 0;
    if (m == Msg::Command && a == 40011) {
        dialogResult = dialogBox(NEW_GAME, w, dialogProc);
        return 0;
    }
    std::string e = NAMES[static_cast<int>(m)];
    if (m == Msg::KeyDown || m == Msg::KeyUp || m == Msg::Command || m == Msg::Timer) e += " " + std::to_string(a);
    if (m == Msg::Timer) e += " @" + std::to_string(hl::nowMs());
    events.push_back(e);
    return defaultWindowProc(w, m, a, b);
}

const MenuDef MENU = {{0, "Jeu", {{40011, "Nouvelle partie", {}}, {0, "", {}}, {40002, "Quitter", {}}}}};

Window makeMain(WindowProc proc = mainProc, int w = 390, int h = 350) {
    return createWindow({.className = "std", .title = "Quelmar", .x = 320, .y = 200, .clientW = w, .clientH = h, .menu = &MENU, .proc = proc});
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
        return errorLine([&] { hl::setScript(lines); runMessageLoop(w); }, &error);
    }
    void runs(const Lines& lines, Window w) { EXPECT_EQ(run(lines, w), 0) << error; }
    std::string error;
};

}  // namespace

TEST_F(Headless, DialogsFromATemplateDrivenByTheScript) {
    Window w = makeMain();
    setTimer(w, 9, 1000);  // it keeps ticking under the dialog
    runs({"menu 40011", "type 1064 Gaël le Brave", "click 1081", "wait 2500", "select 1070 1", "check 1081 on",
          "click 1"},
         w);
    EXPECT_EQ(dialogResult, 7);
    // The check box toggled with its click and sent its id; `check on` then had nothing to do.
    EXPECT_EQ(events, (Lines{"init 119", "command 1081", "timer 9 @1000", "timer 9 @2000", "command 1"}));
    EXPECT_TRUE(isItemChecked(lastDialog, ID_CUSTOM));
    EXPECT_EQ(getItemText(lastDialog, ID_NAME), "Gaël le Brave");
    EXPECT_EQ(getItemText(lastDialog, ID_LIST), "Emplacement 2");
    EXPECT_EQ(hl::itemText(lastDialog, ID_RO), "20 - 0 - 170");
    EXPECT_FALSE(isWindow(lastDialog));
    const auto& t = hl::transcript();
    EXPECT_EQ(Lines(t.end() - 2, t.end()), (Lines{"dialog open 119", "dialog end 119 7"}));

    // Enter presses the default button; Escape and the close box send command 2.
    for (auto [line, code] : {std::pair{"key Enter", 7}, {"key Escape", 3}, {"close", 3}}) {
        runs({"menu 40011", line}, hl::mainWindow());
        EXPECT_EQ(dialogResult, code) << line;
    }
    // A disabled default button is not pressed by Enter.
    okDisabled = true;
    events.clear();
    runs({"menu 40011", "key Enter", "key Escape"}, hl::mainWindow());
    okDisabled = false;
    EXPECT_EQ(events, (Lines{"init 119", "command 2"}));
    EXPECT_EQ(dialogResult, 3);
    EXPECT_TRUE(isWindow(hl::mainWindow()));
}

TEST_F(Headless, LinesThatCannotApplyNameTheirLine) {
    const std::pair<Lines, int> rows[] = {
        {{"menu 40011", "", "# comment", "click 1099"}, 4},                            // disabled
        {{"menu 40011", "type 1065 x"}, 2},                                            // read-only
        {{"menu 40011", "select 1070 2"}, 2}, {{"menu 40011", "select 1070 -1"}, 0},  // two items
        {{"menu 40011", "menu 40002"}, 2},  // no menu under a modal dialog
        {{"wait 5x"}, 1}, {{"seed 3", "seed 4", "key Left", "seed 3"}, 4}};
    for (const auto& [lines, line] : rows) {
        hl::reset();  // an error leaves its dialog open, as the end of a script does
        EXPECT_EQ(run(lines, makeMain()), line) << lines.back() << ": " << error;
    }
}

TEST_F(Headless, MessageBoxesTakeQueuedAnswersElseTheirDefault) {
    Window w = makeMain();
    const BoxStyle yesNo{BoxButtons::YesNo, BoxIcon::Question}, noFirst{BoxButtons::YesNo, BoxIcon::Warning, true};
    EXPECT_EQ(messageBox(w, "Il a dit \"non\"\nà l'épée", "Q", yesNo), Answer::Yes);
    EXPECT_EQ(messageBox(nullptr, "Sauver?", "Q", noFirst), Answer::No);
    hl::setScript({"answer no", "answer ok"});
    hl::runScript();
    EXPECT_EQ(messageBox(w, "a", "b", yesNo), Answer::No);
    EXPECT_EQ(messageBox(w, "a", "b", BoxStyle{BoxButtons::Ok, BoxIcon::Info}), Answer::Ok);
    EXPECT_EQ(messageBox(w, "a", "b", yesNo), Answer::Yes);  // queue empty again
    const auto& t = hl::transcript();
    ASSERT_EQ(t.size(), 6u);
    EXPECT_EQ(t[1], "box owner=main icon=question buttons=yesno default=yes caption=\"Q\" "
                    "text=\"Il a dit \\\"non\\\"\\nà l'épée\" -> yes");
    // An answer that fits no button of the box is an error on its line.
    hl::setScript({"wait 1", "answer yes"});
    hl::runScript();
    EXPECT_EQ(errorLine([] { messageBox(nullptr, "Perdu", "Fin"); }), 2);
}

TEST_F(Headless, TimersFireInOrderOfDueTimeAndPausesDelayThem) {
    Window w = makeMain();
    setTimer(w, 1, 30);
    setTimer(w, 2, 50);
    hl::advance(100);
    EXPECT_EQ(events, (Lines{"timer 1 @30", "timer 2 @50", "timer 1 @60", "timer 1 @90", "timer 2 @100"}));
    events.clear();
    setTimer(w, 1, 5);  // replaces the period, counted from now; below 10 ms it is 10
    killTimer(w, 2);
    hl::advance(22);
    EXPECT_EQ(events, (Lines{"timer 1 @110", "timer 1 @120"}));
    EXPECT_EQ(hl::nowMs(), 122);
    EXPECT_EQ(hl::transcript().back(), "timer kill main 2");

    // Pauses pass time without ticks; then the loop goes idle: one overdue tick, not four.
    killTimer(w, 1);
    events.clear();
    setTimer(w, 4, 100);
    pauseMs(450);  // the clock goes from 122 to 572
    EXPECT_TRUE(events.empty());
    hl::setScript({"wait 0"});
    hl::runScript();
    EXPECT_EQ(events, Lines{"timer 4 @572"});
}

TEST_F(Headless, TimersKeepTickingUnderMessageBoxes) {
    // The escape countdown's shape: each tick opens a box; No stops the ticks. The
    // first box stays open 250 ms: two more ticks come meanwhile.
    const WindowProc boxing = [](Window w, Msg m, long a, long) -> long {
        if (m != Msg::Timer) return 0;
        events.push_back("tick @" + std::to_string(hl::nowMs()));
        if (messageBox(w, "Vite!", "Compte", BoxStyle{BoxButtons::YesNo}) == Answer::No) killTimer(w, a);
        return 0;
    };
    Window w = makeMain(boxing);
    setTimer(w, 1, 100);
    runs({"answer yes 250", "answer yes", "answer no", "wait 100"}, w);
    EXPECT_EQ(events, (Lines{"tick @100", "tick @200", "tick @300"}));
    EXPECT_EQ(hl::nowMs(), 350);
}

namespace {

constexpr unsigned FACE = 0xECE9D8;  // a new window's button face

// A picture file loaded at w x h.
Image loadBytes(const support::Bytes& file, int w, int h) {
    const support::TempDir d;
    support::spit(d / "picture", file);
    return loadImage(d / "picture", w, h);
}

class Draw : public Headless {
protected:
    void SetUp() override {
        Headless::SetUp();
        w = makeMain(mainProc, 60, 40);
        dc = getDc(w);
    }
    void TearDown() override { releaseDc(dc); }
    int inkIn(const Rect& r, unsigned colour) {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += hl::pixel(w, x, y) == colour;
        return n;
    }
    void expectPixels(std::initializer_list<std::tuple<int, int, unsigned>> cells) {
        for (auto [x, y, c] : cells) EXPECT_EQ(hl::pixel(w, x, y), c) << x << "," << y;
    }
    Window w = nullptr;
    Dc dc = nullptr;
};

}  // namespace

TEST_F(Draw, PicturesAtTheirPlaceAndSizeClippedAndIconsWithTransparency) {
    expectPixels({{0, 0, FACE}, {59, 39, FACE}, {60, 0, 0u}});  // the last one is outside
    // 10 x 4, stretched twice: left half red, right half blue, bottom row green.
    Image img = loadBytes(support::bmpFile(support::dib(10, 4, 24, [](int x, int y) {
                              return y == 3 ? 0x00FF00u : x < 5 ? 0xFF0000u : 0x0000FFu;
                          })),
                          20, 8);
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(std::pair(imageWidth(img), imageHeight(img)), std::pair(20, 8));
    drawImage(dc, img, 5, 3);
    expectPixels({{4, 3, FACE}, {5, 3, 0xFF0000}, {14, 3, 0xFF0000}, {15, 3, 0x0000FF}, {24, 8, 0x0000FF},
                  {24, 9, 0x00FF00}, {24, 10, 0x00FF00}, {25, 10, FACE}, {5, 11, FACE}});
    drawImage(dc, img, 50, -4);  // hangs over two edges
    expectPixels({{59, 0, 0xFF0000}, {59, 3, 0x00FF00}, {59, 4, FACE}});
    freeImage(img);
    EXPECT_EQ(loadImage(testing::TempDir() + "missing.bmp", 24, 24), nullptr);

    // Icons keep what is below their transparent pixels. 8 x 8: transparent
    // border, half-transparent white second ring, opaque yellow inside.
    const support::PixelFn rings = [](int x, int y) {
        const int ring = std::min({x, y, 7 - x, 7 - y});
        return ring == 0 ? 0u : ring == 1 ? 0x80FFFFFFu : 0xFFFFFF00u;
    };
    Image ico = loadBytes(support::icoFile(8, support::dib(8, 8, 32, rings, {}, false, true)), 8, 8);
    ASSERT_NE(ico, nullptr);
    rectangle(dc, Rect{0, 0, 60, 40}, rgb(0, 0, 0), rgb(0, 0, 0));
    drawImage(dc, ico, 10, 10);
    expectPixels({{10, 10, 0x000000}, {11, 11, 0x808080}, {12, 12, 0xFFFF00}});
    freeImage(ico);
}

TEST_F(Draw, RectanglesTextAndAShotOfThem) {
    rectangle(dc, Rect{10, 5, 20, 12}, rgb(255, 0, 0), rgb(0, 0, 255));
    // A pen outline and a brush inside; right and bottom edges excluded.
    expectPixels({{10, 5, 0xFF0000}, {19, 11, 0xFF0000}, {15, 5, 0xFF0000}, {11, 6, 0x0000FF}, {20, 12, FACE}});
    EXPECT_EQ(inkIn({10, 5, 20, 12}, 0x0000FF), 8 * 5);
    // Text: ink in the text colour, inside its cells of 6 x 13, nothing else touched.
    setTextColor(dc, rgb(255, 0, 0));
    textOut(dc, 2, 20, "Vie");
    const int ink = inkIn({2, 20, 20, 33}, 0xFF0000);
    EXPECT_GT(ink, 15);
    EXPECT_EQ(inkIn({0, 13, 60, 40}, FACE), 60 * 27 - ink);

    // The shot: a PNG of the framebuffer's size whose pixels read back.
    const support::TempDir d;
    ASSERT_TRUE(hl::savePng(w, d / "shot.png"));
    EXPECT_FALSE(hl::savePng(w, "/nonexistent-dir/x.png"));
    // The disk "fills up" half-way through a second shot: the first one stays whole.
    const std::string first = support::slurp(d / "shot.png");
    rectangle(dc, Rect{0, 0, 60, 40}, rgb(1, 2, 3), rgb(4, 5, 6));
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const rlimit small{40, old.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool cut = hl::savePng(w, d / "shot.png");
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(cut);
    EXPECT_EQ(support::slurp(d / "shot.png"), first);
    EXPECT_EQ(d.entries(), 1);  // and no temporary file is left
    const std::string png = support::slurp(d / "shot.png");
    auto at = [&](std::size_t i) { return static_cast<unsigned char>(png.at(i)); };
    EXPECT_EQ(png.substr(0, 16), std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16));
    EXPECT_EQ(std::pair(int{at(19)}, int{at(23)}), std::pair(60, 40));  // width and height
    const auto idat = png.find("IDAT");
    ASSERT_NE(idat, std::string::npos);
    const unsigned len = (at(idat - 4) << 24) | (at(idat - 3) << 16) | (at(idat - 2) << 8) | at(idat - 1);
    std::vector<unsigned char> raw(40 * (60 * 3 + 1));  // a filter byte, then RGB, per row
    uLongf rawLen = raw.size();
    ASSERT_EQ(uncompress(raw.data(), &rawLen, reinterpret_cast<const Bytef*>(png.data() + idat + 4), len), Z_OK);
    EXPECT_EQ(rawLen, raw.size());
    auto rgbAt = [&](int x, int y) { return std::vector<int>(&raw[y * 181 + 1 + x * 3], &raw[y * 181 + 4 + x * 3]); };
    EXPECT_EQ(rgbAt(0, 0), std::vector<int>({0xEC, 0xE9, 0xD8}));
    EXPECT_EQ(rgbAt(11, 6), std::vector<int>({0, 0, 255}));
}
