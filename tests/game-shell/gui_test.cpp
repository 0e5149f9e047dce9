// The real game under X: it opens on the title picture with its menu bar, the
// close box ends it and tells the music player to stop, "A propos" and
// "Options" open their boxes.
// Before the X headers: their macros (None, Bool...) would break these.
#include <gtest/gtest.h>

#include "platform/platform.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>


extern const platform::ResourceBlob QUELMAR_GAME_RESOURCES[];
extern const std::size_t QUELMAR_GAME_RESOURCE_COUNT;

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

struct Rgb {
    int r, g, b;
};

// The title picture from the program's own resources (a 24-bit BMP).
bool titlePicture(int& w, int& h, std::vector<Rgb>& px) {
    for (std::size_t i = 0; i < QUELMAR_GAME_RESOURCE_COUNT; ++i) {
        const auto& blob = QUELMAR_GAME_RESOURCES[i];
        if (blob.id != 120) continue;
        const unsigned char* d = blob.data;
        auto u32 = [&](int o) { return d[o] | d[o + 1] << 8 | d[o + 2] << 16 | d[o + 3] << 24; };
        int offset = u32(10);
        w = u32(18);
        int rawH = static_cast<int>(u32(22));
        int bpp = d[28] | d[29] << 8;
        if (bpp != 24) return false;
        h = rawH < 0 ? -rawH : rawH;
        int stride = (w * 3 + 3) & ~3;
        px.assign(static_cast<std::size_t>(w * h), Rgb{});
        for (int y = 0; y < h; ++y) {
            int srcRow = rawH < 0 ? y : h - 1 - y;
            const unsigned char* row = d + offset + srcRow * stride;
            for (int x = 0; x < w; ++x)
                px[static_cast<std::size_t>(y * w + x)] = {row[3 * x + 2], row[3 * x + 1], row[3 * x]};
        }
        return true;
    }
    return false;
}

class X {
public:
    // One connection for the whole run: a server without clients resets, and a
    // connection asked for during the reset fails.
    X() {
        static Display* shared = XOpenDisplay(nullptr);
        dpy_ = shared;
    }
    Display* dpy() const { return dpy_; }

    // A mapped window whose name contains the text, searched from the root.
    Window find(const std::string& name, Window from = 0) {
        if (!from) from = DefaultRootWindow(dpy_);
        Window root, parent, *kids = nullptr;
        unsigned n = 0;
        if (!XQueryTree(dpy_, from, &root, &parent, &kids, &n)) return 0;
        Window found = 0;
        for (unsigned i = 0; i < n && !found; ++i) {
            char* title = nullptr;
            XWindowAttributes attr;
            if (XGetWindowAttributes(dpy_, kids[i], &attr) && attr.map_state == IsViewable &&
                XFetchName(dpy_, kids[i], &title) && title) {
                if (std::string(title).find(name) != std::string::npos) found = kids[i];
            }
            if (title) XFree(title);
            if (!found) found = find(name, kids[i]);
        }
        if (kids) XFree(kids);
        return found;
    }

    Window waitFor(const std::string& name, std::chrono::milliseconds limit = 10s) {
        auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            if (Window w = find(name)) return w;
            std::this_thread::sleep_for(20ms);
        }
        return 0;
    }

    // The window's pixels (its whole area: menu bar and client).
    std::vector<Rgb> grab(Window w, int& width, int& height) {
        XWindowAttributes attr;
        XGetWindowAttributes(dpy_, w, &attr);
        width = attr.width;
        height = attr.height;
        std::vector<Rgb> px;
        XImage* img = XGetImage(dpy_, w, 0, 0, static_cast<unsigned>(width),
                                static_cast<unsigned>(height), AllPlanes, ZPixmap);
        if (!img) return px;
        px.reserve(static_cast<std::size_t>(width * height));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                unsigned long p = XGetPixel(img, x, y);
                px.push_back({static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
                              static_cast<int>(p & 0xFF)});
            }
        XDestroyImage(img);
        return px;
    }

    // What the window manager sends for the close box.
    void closeBox(Window w) {
        XEvent ev{};
        ev.xclient.type = ClientMessage;
        ev.xclient.window = w;
        ev.xclient.message_type = XInternAtom(dpy_, "WM_PROTOCOLS", False);
        ev.xclient.format = 32;
        ev.xclient.data.l[0] = static_cast<long>(XInternAtom(dpy_, "WM_DELETE_WINDOW", False));
        ev.xclient.data.l[1] = CurrentTime;
        XSendEvent(dpy_, w, False, NoEventMask, &ev);
        XFlush(dpy_);
    }

private:
    Display* dpy_;
};

void sh(const std::string& command) { ASSERT_EQ(std::system(command.c_str()), 0) << command; }

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class RealGame : public ::testing::Test {
protected:
    void SetUp() override {
        if (!x_.dpy()) GTEST_SKIP() << "no X display";
        dir_ = fs::temp_directory_path() / ("quelmar-gui-" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        sh("cp -r '" QUELMAR_STAGE_DIR "'/. '" + dir_.string() + "'");
        fs::create_directories(dir_ / "sons");
        std::ofstream(dir_ / "Reglages.cfg", std::ios::binary) << "son=0,Musique=0,Rapidit\xE9=1";
    }

    // Starts the game from its directory and waits for its window.
    void start() {
        pid_ = fork();
        if (pid_ == 0) {
            if (chdir(dir_.c_str()) != 0) _exit(127);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            execl((dir_ / "Quelmar").c_str(), "Quelmar", static_cast<char*>(nullptr));
            _exit(127);
        }
        window_ = x_.waitFor(">>>  La Malediction De Quelmar");
        ASSERT_NE(window_, 0u) << "the main window did not appear";
        // Without a music player in the folder the game says so; go on without it.
        if (Window box = x_.find("Erreur de lancement")) {
            sh("xdotool windowfocus --sync " + std::to_string(box) + " key Return");
        }
    }

    void TearDown() override {
        if (pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        // The music player the game started ends when it reads the quit number;
        // one that does not within two seconds is stopped (it runs in our folder).
        std::ofstream(dir_ / "sons" / "MusicCfg.cfg", std::ios::binary) << "musique:100";
        for (int i = 0; i < 100 && !startedHere().empty(); ++i) std::this_thread::sleep_for(20ms);
        for (pid_t p : startedHere()) kill(p, SIGKILL);
        fs::remove_all(dir_);
    }

    // Processes whose working directory lies in the test's game directory.
    std::vector<pid_t> startedHere() const {
        std::vector<pid_t> found;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator("/proc", ec)) {
            const std::string name = entry.path().filename().string();
            if (name.find_first_not_of("0123456789") != std::string::npos) continue;
            const fs::path cwd = fs::read_symlink(entry.path() / "cwd", ec);
            if (!ec && cwd.string().rfind(dir_.string(), 0) == 0) found.push_back(std::stoi(name));
        }
        return found;
    }

    bool waitExit(std::chrono::milliseconds limit) {
        auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return true;
            }
            std::this_thread::sleep_for(20ms);
        }
        return false;
    }

    void key(const std::string& keys) {
        sh("xdotool windowfocus --sync " + std::to_string(window_) + " key --delay 120 " + keys);
    }

    // Opens the menu-bar title under client x (the bar is about 24 pixels
    // high), then walks its entries with the keyboard.
    void menu(int x, const std::string& keys) {
        sh("xdotool mousemove --window " + std::to_string(window_) + " " + std::to_string(x) + " 12 click 1");
        std::this_thread::sleep_for(300ms);
        sh("xdotool key --delay 120 " + keys);
    }

    void shot(const std::string& name) {
        sh("import -window root '" + (fs::path(QUELMAR_SHOT_DIR) / name).string() + "'");
    }

    X x_;
    fs::path dir_;
    pid_t pid_ = -1;
    Window window_ = 0;
};

TEST_F(RealGame, OpensOnTheTitlePictureAndTheCloseBoxEndsIt) {
    start();
    int tw = 0, th = 0;
    std::vector<Rgb> title;
    ASSERT_TRUE(titlePicture(tw, th, title));
    ASSERT_EQ(tw, 390);
    ASSERT_EQ(th, 350);

    // The picture sits at the client's origin, below the menu bar.
    int w = 0, h = 0;
    std::vector<Rgb> px;
    int menuBar = -1;
    for (int attempt = 0; attempt < 100 && menuBar < 0; ++attempt) {
        std::this_thread::sleep_for(50ms);
        px = x_.grab(window_, w, h);
        for (int top = 1; top + th <= h && menuBar < 0; ++top) {
            int same = 0, tried = 0;
            for (int y = 0; y < th; y += 7)
                for (int x = 0; x < tw && x < w; x += 5) {
                    const Rgb& a = px[static_cast<std::size_t>((top + y) * w + x)];
                    const Rgb& b = title[static_cast<std::size_t>(y * tw + x)];
                    ++tried;
                    if (std::abs(a.r - b.r) <= 8 && std::abs(a.g - b.g) <= 8 && std::abs(a.b - b.b) <= 8)
                        ++same;
                }
            if (same * 100 >= tried * 98) menuBar = top;
        }
    }
    shot("title.png");
    ASSERT_GT(menuBar, 10) << "title picture not found under a menu bar";
    EXPECT_EQ(w, 390);
    EXPECT_EQ(h, 350 + menuBar);

    x_.closeBox(window_);
    ASSERT_TRUE(waitExit(5s)) << "the close box did not end the game";
    EXPECT_EQ(readFile(dir_ / "sons" / "MusicCfg.cfg"), "musique:100");
}

TEST_F(RealGame, AboutBoxAndOptionsDialog) {
    start();
    std::this_thread::sleep_for(300ms);
    // "?" is the third title of the bar, "A propos" its second entry.
    menu(145, "Down Down Return");
    Window about = x_.waitFor("A Propos de...", 5s);
    shot("about.png");
    ASSERT_NE(about, 0u) << "no about box";
    sh("xdotool windowfocus --sync " + std::to_string(about) + " key Return");
    for (int i = 0; i < 100 && x_.find("A Propos de..."); ++i) std::this_thread::sleep_for(20ms);
    EXPECT_EQ(x_.find("A Propos de..."), 0u);

    // "Options" is the fourth command of the first menu (separators are skipped).
    menu(20, "Down Down Down Down Return");
    Window options = x_.waitFor("Reglages:", 5s);
    std::this_thread::sleep_for(300ms);
    shot("options.png");
    ASSERT_NE(options, 0u) << "no settings dialog";
    XWindowAttributes attr;
    XGetWindowAttributes(x_.dpy(), options, &attr);
    // 200 x 96 dialog units with the dialog font: wider than tall, a real dialog.
    EXPECT_GT(attr.width, 250);
    EXPECT_GT(attr.height, 120);
    EXPECT_GT(attr.width, attr.height);
    // Annuler closes it and writes nothing.
    std::string before = readFile(dir_ / "Reglages.cfg");
    sh("xdotool windowfocus --sync " + std::to_string(options) + " key Escape");
    for (int i = 0; i < 100 && x_.find("Reglages:"); ++i) std::this_thread::sleep_for(20ms);
    EXPECT_EQ(x_.find("Reglages:"), 0u);
    EXPECT_EQ(readFile(dir_ / "Reglages.cfg"), before);
}

TEST_F(RealGame, MissingMusicPlayerIsReportedAndTheGameGoesOn) {
    fs::remove(dir_ / "sons" / "QuelmaR Son");
    pid_ = fork();
    if (pid_ == 0) {
        if (chdir(dir_.c_str()) != 0) _exit(127);
        execl((dir_ / "Quelmar").c_str(), "Quelmar", static_cast<char*>(nullptr));
        _exit(127);
    }
    Window box = x_.waitFor("Erreur de lancement...", 10s);
    ASSERT_NE(box, 0u) << "no box about the music player";
    // The title music was chosen before the launch was tried.
    EXPECT_EQ(readFile(dir_ / "sons" / "MusicCfg.cfg"), "musique:0");
    sh("xdotool windowfocus --sync " + std::to_string(box) + " key Return");
    for (int i = 0; i < 100 && x_.find("Erreur de lancement"); ++i) std::this_thread::sleep_for(20ms);
    window_ = x_.find(">>>  La Malediction De Quelmar");
    ASSERT_NE(window_, 0u) << "the game did not go on";
    x_.closeBox(window_);
    ASSERT_TRUE(waitExit(5s));
    EXPECT_EQ(readFile(dir_ / "sons" / "MusicCfg.cfg"), "musique:100");
}

}  // namespace
