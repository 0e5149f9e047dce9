// The shop on the real backend under X: each list of the dialog dropped down
// with the mouse shows all its entries whole, prices included.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "items/shop.h"
#include "platform/platform.h"
#include "state.h"
#include "testing.h"

// After gtest and the game: Xlib's macros (None, Bool, Window) would meet their names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

namespace wxt = platform::wxtest;

struct Popup {
    int x = 0, y = 0, w = 0, h = 0;
    int firstInk = -1, lastInk = -1;  // columns that hold text (dark pixels)
};

// The dropped-down list: the newest mapped override-redirect window, and
// where its text lies.
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

platform::Window shop = nullptr;
long watching(platform::Window dlg, platform::Msg msg, long a, long b) {
    if (msg == platform::Msg::InitDialog) shop = dlg;
    return shopDialogProc(dlg, msg, a, b);
}

TEST(ShopOnScreen, BothListsDropDownWholeAndReadable) {
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) GTEST_SKIP() << "no X display";
    gs = GameState{};
    gs.mainWindow = platform::createWindow({.className = "std", .title = "Quelmar", .x = 321, .y = 200,
                                            .clientW = 480, .clientH = 400, .proc = platform::defaultWindowProc});
    wxt::runFor(300);
    std::tie(gs.tutoShop, gs.musicOn, gs.life, gs.maxLife) = std::tuple(1, 0, 80, 100);
    for (int weapon : {1, 3, 5}) gs.inventory[weapon] = 1;
    gs.inventory[GOLD] = 1234;

    // Each list is dropped down with a click on its arrow, looked at, and
    // closed with Escape; then the shop is left.
    const int lists[2] = {IDC_SHOP_BUY_LIST, IDC_SHOP_SELL_LIST};
    Popup seen[2];
    int fieldW[2] = {};
    std::function<void(int)> dropDown = [&](int i) {
        if (i == 2) {
            wxt::click(shop, IDC_SHOP_LEAVE);
            return;
        }
        const platform::Rect r = wxt::controlRect(shop, lists[i]);
        fieldW[i] = r.right - r.left;
        for (bool down : {true, false}) wxt::mouse(shop, r.right - 8, (r.top + r.bottom) / 2, down);
        wxt::after(600, [&, i] {
            seen[i] = findPopup(dpy);
            const std::string png = std::string(QUELMAR_SHOT_DIR) + "/shop-list-" + std::to_string(i) + ".png";
            EXPECT_EQ(std::system(("import -window root '" + png + "'").c_str()), 0);
            for (bool down : {true, false}) wxt::key(platform::vk::ESCAPE, down);
            wxt::after(300, [&, i] { dropDown(i + 1); });
        });
    };
    wxt::after(800, [&] { dropDown(0); });
    EXPECT_EQ(platform::dialogBox(shopDialog(), gs.mainWindow, watching), 0);

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
    platform::destroyWindow(gs.mainWindow);
}

}  // namespace
