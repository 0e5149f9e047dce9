// The shop on the real backend under X: each list of the dialog dropped down
// with the mouse shows all its entries whole, prices included.
#include <gtest/gtest.h>

#include <unistd.h>  // mkdtemp

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

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
};

Display* display() {
    static Display* dpy = XOpenDisplay(nullptr);
    return dpy;
}

// The newest mapped override-redirect window of the screen: a dropped-down list.
Popup findPopup() {
    Display* dpy = display();
    ::Window root = 0, parent = 0, *kids = nullptr;
    unsigned n = 0;
    Popup found;
    if (!XQueryTree(dpy, DefaultRootWindow(dpy), &root, &parent, &kids, &n)) return found;
    for (unsigned i = 0; i < n; ++i) {
        XWindowAttributes a{};
        if (XGetWindowAttributes(dpy, kids[i], &a) && a.map_state == IsViewable && a.override_redirect &&
            a.width > 50 && a.height > 50)
            found = {a.x, a.y, a.width, a.height};
    }
    XFree(kids);
    return found;
}

// Columns of the area that hold dark (text) pixels, left to right.
std::vector<int> inkColumns(const Popup& p) {
    std::vector<int> cols;
    XImage* img = XGetImage(display(), DefaultRootWindow(display()), p.x, p.y, static_cast<unsigned>(p.w),
                            static_cast<unsigned>(p.h), AllPlanes, ZPixmap);
    if (!img) return cols;
    for (int x = 0; x < p.w; ++x)
        for (int y = 0; y < p.h; ++y) {
            const unsigned long px = XGetPixel(img, x, y);
            if (((px >> 16) & 255) + ((px >> 8) & 255) + (px & 255) < 200) {
                cols.push_back(x);
                break;
            }
        }
    XDestroyImage(img);
    return cols;
}

platform::Window shop = nullptr;
long watching(platform::Window dlg, platform::Msg msg, long a, long b) {
    if (msg == platform::Msg::InitDialog) shop = dlg;
    return shopDialogProc(dlg, msg, a, b);
}

TEST(ShopOnScreen, BothListsDropDownWholeAndReadable) {
    if (!display()) GTEST_SKIP() << "no X display";
    const std::filesystem::path home = std::filesystem::current_path();
    char pattern[] = "/tmp/quelmar-shop-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    std::filesystem::create_directory(std::filesystem::path(pattern) / "sons");
    std::filesystem::current_path(pattern);

    gs = GameState{};
    gs.mainWindow = platform::createWindow({.className = "std", .title = "Quelmar", .x = 321, .y = 200,
                                            .clientW = 480, .clientH = 400, .proc = platform::defaultWindowProc});
    wxt::runFor(300);
    std::tie(gs.tutoShop, gs.life, gs.maxLife) = std::tuple(1, 80, 100);
    for (int weapon : {1, 3, 5}) gs.inventory[weapon] = 1;
    gs.inventory[GOLD] = 1234;

    struct Seen {
        Popup list;
        std::vector<int> ink;
        platform::Rect field;
    } seen[2];
    const int lists[2] = {IDC_SHOP_BUY_LIST, IDC_SHOP_SELL_LIST};
    // Drop each list down with a click on its arrow, look, close it with Escape.
    std::function<void(int)> dropDown = [&](int i) {
        if (i == 2) {
            wxt::click(shop, IDC_SHOP_LEAVE);
            return;
        }
        const platform::Rect r = wxt::controlRect(shop, lists[i]);
        seen[i].field = r;
        wxt::mouse(shop, r.right - 8, (r.top + r.bottom) / 2, true);
        wxt::mouse(shop, r.right - 8, (r.top + r.bottom) / 2, false);
        wxt::after(600, [&, i] {
            seen[i].list = findPopup();
            seen[i].ink = inkColumns(seen[i].list);
            const std::string png = std::string(QUELMAR_SHOT_DIR) + "/shop-list-" + std::to_string(i) + ".png";
            EXPECT_EQ(std::system(("import -window root '" + png + "'").c_str()), 0);
            wxt::key(platform::vk::ESCAPE, true);
            wxt::key(platform::vk::ESCAPE, false);
            wxt::after(300, [&, i] { dropDown(i + 1); });
        });
    };
    wxt::after(800, [&] { dropDown(0); });
    EXPECT_EQ(platform::dialogBox(shopDialog(), gs.mainWindow, watching), 0);

    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i == 0 ? "buy list" : "sell list");
        const Popup& p = seen[i].list;
        ASSERT_GT(p.w, 0) << "no list dropped down";
        // As wide as the field at least, and tall enough for every entry.
        EXPECT_GE(p.w, seen[i].field.right - seen[i].field.left);
        EXPECT_GE(p.h, (i == 0 ? 8 : 5) * 14);
        // Text from the left margin to the prices, which end clear of the edge.
        ASSERT_FALSE(seen[i].ink.empty());
        EXPECT_LT(seen[i].ink.front(), 20);
        EXPECT_GT(seen[i].ink.back(), p.w / 2);
        EXPECT_LT(seen[i].ink.back(), p.w - 4);
    }
    platform::destroyWindow(gs.mainWindow);
    std::filesystem::current_path(home);
    std::filesystem::remove_all(pattern);
}

}  // namespace
