// The play dialogs on the real backend under X: the fights' and skills' bars
// on the rows of their templates whatever font the desktop gives, the sign
// moving after a click; "Sauvegarde en cours..." over the scene while the
// file is written; the load dialog's slots on one row each; the shop's lists
// dropped down whole.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "combat/fight.h"
#include "combat/skills.h"
#include "items/shop.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "resources/dlg_fight.h"
#include "resources/dlg_shop.h"
#include "resources/dlg_skills.h"
#include "resources/dlg_slots.h"
#include "saves/slots.h"
#include "shell/mainwindow.h"
#include "shell/random.h"
#include "shell/window.h"
#include "state.h"
#include "testing.h"
#include "world/scene.h"

// After gtest and the game: Xlib's macros (None, Bool, Window) would meet their names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

namespace fs = std::filesystem;
namespace wxtest = platform::wxtest;
using platform::Rect;
using Win = platform::Window;

void shot(const std::string& name) {
    const std::string cmd = "import -window root '" QUELMAR_SHOT_DIR "/" + name + "' 2>/dev/null";
    if (std::system(cmd.c_str()) != 0) std::printf("no picture %s\n", name.c_str());
}

// Runs fn on the dialog once it is on screen (polled every 50 ms, for 10 s).
void when(int id, std::function<void(Win)> fn, int tries = 200) {
    wxtest::after(50, [=] {
        Win w = wxtest::topDialog();
        if (w && platform::dialogId(w) == id) fn(w);
        else if (tries > 0) when(id, fn, tries - 1);
        else ADD_FAILURE() << "dialog " << id << " never came";
    });
}

// A fresh game in a scratch folder, its main window on screen over a scene.
class OnScreen : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
        home_ = fs::current_path();
        char pattern[] = "/tmp/quelmar-play-gui-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        fs::create_directory(dir_ / "sons");
        fs::current_path(dir_);
        gs = GameState{};
        gs.imagesDir = std::string(QUELMAR_STAGE_DIR) + "/Images/";
        gs.heroRightIconPath = gs.imagesDir + "hommed.ico";
        gs.soundOn = gs.musicOn = gs.onTitleScreen = 0;
        loadTileBitmaps();
        gs.mainWindow = platform::createWindow({.className = "std", .title = MAIN_WINDOW_TITLE, .x = PLAY_WINDOW_X,
                                                .y = PLAY_WINDOW_Y, .clientW = PLAY_CLIENT_W,
                                                .clientH = PLAY_CLIENT_H, .proc = mainWindowProc});
        const char* tiles = "asstqa";
        for (int r = 0; r < GRID_ROWS; ++r)
            for (int c = 0; c < GRID_COLS; ++c) gs.LevelGrid[r][c] = r % 11 == 10 ? 's' : tiles[(r * 7 + c) % 6];
        std::tie(gs.viewLeft, gs.viewTop, gs.heroCol, gs.heroRow) = std::tuple(20, 30, 7, 5);
        std::tie(gs.life, gs.maxLife, gs.shield, gs.shieldMax) = std::tuple(100, 100, 100, 100);
        gs.inventory[1] = 1;
        gs.tutoFirstFight = gs.tutoGuard = gs.tutoGhoul = gs.tutoKnight = gs.tutoSkills = gs.tutoShop = 1;
        gs.playerName = "Gauvain le Preux";
        refreshView();
        wxtest::runFor(400);  // mapped and painted
    }
    void TearDown() override {
        platform::setFileWriteObserver(nullptr);
        if (platform::isWindow(gs.mainWindow)) platform::destroyWindow(gs.mainWindow);
        for (platform::Image& image : gs.tileBitmaps) platform::freeImage(std::exchange(image, nullptr));
        if (home_.empty()) return;
        fs::current_path(home_);
        fs::remove_all(dir_);
    }
    fs::path home_, dir_;
};

// Where a colour lies in a window's backing store.
struct Fill {
    int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
    int midY() const { return (top + bottom) / 2; }
};
unsigned packed(int r, int g, int b) {
    return static_cast<unsigned>(std::clamp(r, 0, 255) << 16 | std::clamp(g, 0, 255) << 8 | std::clamp(b, 0, 255));
}
Fill find(Win dlg, unsigned colour) {
    const Rect client = platform::clientRect(dlg);
    Fill f;
    for (int y = 0; y < client.bottom; ++y)
        for (int x = 0; x < client.right; ++x)
            if (wxtest::backingPixel(dlg, x, y) == colour)
                f = {std::min(f.left, x), std::min(f.top, y), std::max(f.right, x), std::max(f.bottom, y)};
    return f;
}
// The bar lies right of the control, on its row, and shows on screen.
void onRowOf(Win dlg, int id, unsigned colour, const char* what) {
    SCOPED_TRACE(what);
    const Fill f = find(dlg, colour);
    const Rect c = wxtest::controlRect(dlg, id);
    ASSERT_GE(f.right, 0) << "no bar";
    EXPECT_GE(f.left, c.right - 1);
    EXPECT_TRUE(f.midY() >= c.top && f.midY() < c.bottom) << f.midY() << " not in " << c.top << ".." << c.bottom;
    EXPECT_EQ(wxtest::screenPixel(dlg, f.left + 1, f.midY()), static_cast<long>(colour));
}
// The bar lies between two rows of controls and shows on screen.
void betweenRows(Win dlg, int above, int below, unsigned colour, const char* what) {
    SCOPED_TRACE(what);
    const Fill f = find(dlg, colour);
    ASSERT_GE(f.right, 0) << "no bar";
    EXPECT_LE(wxtest::controlRect(dlg, above).bottom, f.top - 1);
    EXPECT_LE(f.bottom + 1, wxtest::controlRect(dlg, below).top);
    EXPECT_EQ(wxtest::screenPixel(dlg, f.left + 1, f.midY()), static_cast<long>(colour));
}
unsigned lifeColour() { return packed(200 - gs.life, gs.life + 55, 0); }
unsigned shieldColour() { return packed(200 - 4 * gs.shield, 4 * gs.shield + 55, 0); }

TEST_F(OnScreen, TheFightsBarsLieOnTheirRowsAndTheSignMoves) {
    seedRandom(1);
    gs.enemyKind = 2;
    bool checked = false;
    when(IDD_WEAPON_CHOICE, [&](Win choice) {
        wxtest::click(choice, IDC_WEAPON_OK);
        when(IDD_FIGHT, [&](Win fight) {
            wxtest::after(300, [&, fight] {
                betweenRows(fight, IDC_FIGHT_ENEMY_NAME, IDC_FIGHT_ENEMY_LIFE,
                            packed(gs.enemyLife + 100, 200 - gs.enemyLife, 0), "enemy life");
                betweenRows(fight, IDC_FIGHT_ENEMY_LIFE, IDC_FIGHT_LIFE, lifeColour(), "hero life");
                onRowOf(fight, IDC_FIGHT_SHIELD, shieldColour(), "shield");
                shot("fight.png");
                // Clicks under the sign until it moves to another button.
                const int buttons[] = {IDC_FIGHT_MOVE1, IDC_FIGHT_MOVE2, IDC_FIGHT_MOVE3};
                auto sign = [fight, &buttons] {
                    return *std::ranges::find_if(buttons,
                                                 [fight](int id) { return platform::getItemText(fight, id) == "/|\\"; });
                };
                const int first = sign();
                for (int click = 0; click < 8 && sign() == first; ++click) {
                    const int before = gs.enemyLife;
                    wxtest::click(fight, first);
                    EXPECT_EQ(platform::getItemText(fight, IDC_FIGHT_ENEMY_LIFE), std::to_string(gs.enemyLife));
                    EXPECT_LE(gs.enemyLife, before);
                }
                EXPECT_NE(sign(), first);
                wxtest::after(200, [&, fight] {
                    shot("fight-clicked.png");
                    checked = true;
                    wxtest::closeBox(fight);
                });
            });
        });
    });
    openFight();
    EXPECT_TRUE(checked);
}

TEST_F(OnScreen, TheBossBarsLieOnTheirRows) {
    bool checked = false;
    wxtest::answerBoxes(platform::Answer::Ok);  // the Mage's opening speech
    when(IDD_WEAPON_CHOICE, [&](Win choice) {
        wxtest::click(choice, IDC_WEAPON_OK);
        when(IDD_BOSS_FIGHT, [&](Win boss) {
            wxtest::after(300, [&, boss] {
                const unsigned mage = packed(gs.enemyLife * 255 / 1200, (1200 - gs.enemyLife) * 255 / 1200, 0);
                onRowOf(boss, IDC_BOSS_MAGE_LIFE, mage, "the Mage's life");
                EXPECT_EQ(find(boss, mage).right - find(boss, mage).left + 1, 600);
                onRowOf(boss, IDC_BOSS_LIFE, lifeColour(), "hero life");
                onRowOf(boss, IDC_BOSS_SHIELD, shieldColour(), "shield");
                shot("boss.png");
                checked = true;
                wxtest::closeBox(boss);
            });
        });
    });
    openBossFight();
    EXPECT_TRUE(checked);
}

TEST_F(OnScreen, TheSkillBarsLieOnTheRowsOfTheirButtons) {
    std::tie(gs.bonusPoints, gs.favoriteRed, gs.favoriteGreen, gs.favoriteBlue) = std::tuple(2, 200, 40, 90);
    std::tie(gs.strength, gs.resistance, gs.precision, gs.protection, gs.shieldMax) = std::tuple(10, 20, 30, 40, 90);
    bool checked = false;
    when(IDD_SKILL_POINTS, [&](Win skills) {
        wxtest::after(300, [&, skills] {
            // Each bar is as long as twice its skill, so it is told by its length.
            const int plus[] = {IDC_SKILL_STRENGTH, IDC_SKILL_RESISTANCE, IDC_SKILL_PRECISION, IDC_SKILL_PROTECTION};
            std::vector<Fill> fills(4);
            const Rect client = platform::clientRect(skills);
            for (int y = 0; y < client.bottom; ++y) {
                int run = 0;
                for (int x = 0; x < client.right; ++x) run += wxtest::backingPixel(skills, x, y) == packed(200, 40, 90);
                if (run >= 20 && run <= 80 && run % 20 == 0) fills[run / 20 - 1] = {0, std::min(fills[run / 20 - 1].top, y), 0, y};
            }
            for (int i = 0; i < 4; ++i) {
                const Rect c = wxtest::controlRect(skills, plus[i]);
                EXPECT_TRUE(fills[i].midY() >= c.top && fills[i].midY() < c.bottom) << "skill " << i;
            }
            shot("skills.png");
            checked = true;
            wxtest::closeBox(skills);
        });
    });
    openSkillPoints();
    EXPECT_TRUE(checked);
}

// The text's area in the main window's backing store, and how many of its
// black pixels (one in ten) the screen shows black too.
struct Area {
    std::vector<unsigned> px;
    int blackOnScreen = 0, blackSampled = 0;
    int count(unsigned colour) const { return static_cast<int>(std::ranges::count(px, colour)); }
};
Area textArea(bool sampleScreen = false) {
    Area a;
    for (int y = 80; y < 125; ++y)
        for (int x = 70; x < 400; ++x) {
            a.px.push_back(wxtest::backingPixel(gs.mainWindow, x, y));
            if (sampleScreen && a.px.back() == 0 && a.px.size() % 10 == 0) {
                ++a.blackSampled;
                a.blackOnScreen += wxtest::screenPixel(gs.mainWindow, x, y) == 0;
            }
        }
    return a;
}
Area duringWrite;

TEST_F(OnScreen, TheSavingTextIsOverTheSceneWhileTheFileIsWritten) {
    drawScene();
    wxtest::runFor(200);
    const Area before = textArea();
    platform::setFileWriteObserver([](const std::string&, std::string_view) {
        duringWrite = textArea(true);
        shot("saving.png");
    });
    saveToSlot(0);
    wxtest::runFor(200);
    ASSERT_FALSE(duringWrite.px.empty()) << "the file was not written";
    // The black text and its grey shadow, over the scene's tiles, and on screen.
    EXPECT_GT(duringWrite.count(0x000000) - before.count(0x000000), 200);
    EXPECT_GT(duringWrite.count(0xC8C8C8) - before.count(0xC8C8C8), 100);
    EXPECT_GT(duringWrite.blackSampled, 20);
    EXPECT_EQ(duringWrite.blackOnScreen, duringWrite.blackSampled);
    EXPECT_EQ(textArea().px, before.px) << "the scene drawn again over the text";
    EXPECT_EQ(gs.saveSlots[0].name, "Gauvain le Preux");
}

TEST_F(OnScreen, TheLoadDialogShowsEachSlotOnOneRow) {
    saveToSlot(1);
    saveToSlot(3);
    bool checked = false;
    when(IDD_LOAD_SLOT, [&](Win dlg) {
        wxtest::after(300, [&, dlg] {
            const Rect client = platform::clientRect(dlg);
            int lastBottom = 0;
            for (int s = 0; s < SLOT_COUNT; ++s) {
                SCOPED_TRACE(testing::Message() << "slot " << s);
                const Rect parts[] = {wxtest::controlRect(dlg, IDC_SLOT_NAME[s]), wxtest::controlRect(dlg, IDC_SLOT_GOLD[s]),
                                      wxtest::controlRect(dlg, IDC_SLOT_XP[s]), wxtest::controlRect(dlg, IDC_SLOT_BUTTON[s])};
                const int middle = (parts[0].top + parts[0].bottom) / 2;
                for (int k = 0; k < 4; ++k) {
                    EXPECT_NEAR((parts[k].top + parts[k].bottom) / 2, middle, 3) << k;
                    EXPECT_GT(parts[k].top, lastBottom) << k;
                    EXPECT_LE(parts[k].right, client.right) << k;
                    if (k > 0) { EXPECT_GT(parts[k].left, parts[k - 1].right) << k; }
                }
                EXPECT_GT(parts[0].right - parts[0].left, 150) << "room for a knight's name";
                lastBottom = std::max(parts[0].bottom, parts[3].bottom);
            }
            EXPECT_LT(lastBottom, wxtest::controlRect(dlg, IDC_SLOT_CANCEL).top);
            EXPECT_EQ(platform::getItemText(dlg, IDC_SLOT_NAME[3]), "Gauvain le Preux");
            EXPECT_EQ(platform::getItemText(dlg, IDC_SLOT_NAME[2]), "");
            shot("load-dialog.png");
            checked = true;
            wxtest::click(dlg, IDC_SLOT_BUTTON[3]);
        });
    });
    gs.chosenSlot = -1;
    platform::dialogBox(loadSlotDialog(), gs.mainWindow, loadDialogProc);
    EXPECT_TRUE(checked);
    EXPECT_EQ(gs.chosenSlot, 3);
}

// The dropped-down list: the newest mapped override-redirect window, and
// the columns of its text (dark pixels).
struct Popup {
    int x = 0, y = 0, w = 0, h = 0;
    int firstInk = -1, lastInk = -1;
};
Popup findPopup(Display* dpy) {
    ::Window root = 0, parent = 0, *kids = nullptr;
    unsigned n = 0;
    Popup p;
    XQueryTree(dpy, DefaultRootWindow(dpy), &root, &parent, &kids, &n);
    for (unsigned i = 0; i < n; ++i) {
        XWindowAttributes a{};
        if (XGetWindowAttributes(dpy, kids[i], &a) && a.map_state == IsViewable && a.override_redirect && a.height > 50)
            p = {a.x, a.y, a.width, a.height};
    }
    XFree(kids);
    XImage* img = p.w ? XGetImage(dpy, DefaultRootWindow(dpy), p.x, p.y, static_cast<unsigned>(p.w),
                                  static_cast<unsigned>(p.h), AllPlanes, ZPixmap)
                      : nullptr;
    for (int x = 0; img && x < p.w; ++x)
        for (int y = 0; y < p.h; ++y) {
            const unsigned long px = XGetPixel(img, x, y);
            if (((px >> 16) & 255) + ((px >> 8) & 255) + (px & 255) < 200) {
                p.lastInk = x;
                if (p.firstInk < 0) p.firstInk = x;
                break;
            }
        }
    if (img) XDestroyImage(img);
    return p;
}

TEST_F(OnScreen, BothShopListsDropDownWholeAndReadable) {
    Display* dpy = XOpenDisplay(nullptr);
    ASSERT_NE(dpy, nullptr);
    gs.life = 80;
    for (int weapon : {3, 5}) gs.inventory[weapon] = 1;
    gs.inventory[GOLD] = 1234;

    // Each list is dropped down with a click on its arrow, looked at, and
    // closed with Escape; then the shop is left.
    const int lists[2] = {IDC_SHOP_BUY_LIST, IDC_SHOP_SELL_LIST};
    Popup seen[2];
    int fieldW[2] = {};
    std::function<void(Win, int)> dropDown = [&](Win shop, int i) {
        if (i == 2) {
            wxtest::click(shop, IDC_SHOP_LEAVE);
            return;
        }
        const Rect r = wxtest::controlRect(shop, lists[i]);
        fieldW[i] = r.right - r.left;
        for (bool down : {true, false}) wxtest::mouse(shop, r.right - 8, (r.top + r.bottom) / 2, down);
        wxtest::after(600, [&, shop, i] {
            seen[i] = findPopup(dpy);
            shot("shop-list-" + std::to_string(i) + ".png");
            for (bool down : {true, false}) wxtest::key(platform::vk::ESCAPE, down);
            wxtest::after(300, [&, shop, i] { dropDown(shop, i + 1); });
        });
    };
    when(IDD_SHOP, [&](Win shop) { wxtest::after(500, [&, shop] { dropDown(shop, 0); }); });
    EXPECT_EQ(platform::dialogBox(shopDialog(), gs.mainWindow, shopDialogProc), 0);
    XCloseDisplay(dpy);

    // As wide as the field at least, tall enough for every entry, and the
    // text runs from the left margin to prices that end clear of the edge.
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i == 0 ? "buy list" : "sell list");
        const Popup& p = seen[i];
        ASSERT_GT(p.w, 0) << "no list dropped down";
        EXPECT_GE(p.w, fieldW[i]);
        EXPECT_GE(p.h, (i == 0 ? 8 : 5) * 14);
        EXPECT_TRUE(p.firstInk >= 0 && p.firstInk < 20) << p.firstInk;
        EXPECT_TRUE(p.lastInk > p.w / 2 && p.lastInk < p.w - 4) << p.lastInk << " of " << p.w;
    }
}

}  // namespace
