// The real game under X for the GUI tests: windows found by name, pixels grabbed,
// keys sent with xdotool, the game run from a copy of the stage and killed after.
#pragma once

#include <gtest/gtest.h>
// After gtest: Xlib defines macros (None, Bool) that gtest's names would meet.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace realgame {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Asks every 20 ms until the answer is true or the limit has passed.
template <class Test> bool within(std::chrono::milliseconds limit, Test test) {
    for (auto end = std::chrono::steady_clock::now() + limit; !test(); std::this_thread::sleep_for(20ms))
        if (std::chrono::steady_clock::now() > end) return false;
    return true;
}

struct Shot {
    int w = 0, h = 0;
    std::vector<unsigned long> px;  // 0xRRGGBB, row after row
    unsigned long at(int x, int y) const { return px[static_cast<std::size_t>(y * w + x)]; }
};

class X {
public:
    // One connection for the whole run: a server without clients resets, and a
    // connection asked for during the reset fails.
    // A window may close while the tree is walked (a dialog just dismissed): its
    // requests then fail, and the walk goes on instead of the process ending.
    Display* dpy() const {
        static Display* shared = [] {
            XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
            return XOpenDisplay(nullptr);
        }();
        return shared;
    }

    // A mapped window whose name contains the text, searched from the root.
    Window find(const std::string& name, Window from = 0) {
        Window root, parent, *kids = nullptr, found = 0;
        unsigned n = 0;
        if (!XQueryTree(dpy(), from ? from : DefaultRootWindow(dpy()), &root, &parent, &kids, &n)) return 0;
        for (unsigned i = 0; i < n && !found; ++i) {
            char* title = nullptr;
            XWindowAttributes attr;
            if (XGetWindowAttributes(dpy(), kids[i], &attr) && attr.map_state == IsViewable && XFetchName(dpy(), kids[i], &title))
                found = std::string(title).find(name) != std::string::npos ? kids[i] : 0;
            XFree(title);
            found = found ? found : find(name, kids[i]);
        }
        XFree(kids);
        return found;
    }

    Window waitFor(const std::string& name, std::chrono::milliseconds limit = 10s) {
        Window w = 0;
        within(limit, [&] { return (w = find(name)) != 0; });
        return w;
    }
    int height(Window w) { return grab(w).h; }

    // The window's pixels: its whole area, menu bar and client.
    Shot grab(Window w) {
        XWindowAttributes attr{};
        XGetWindowAttributes(dpy(), w, &attr);
        Shot s{attr.width, attr.height, {}};
        XImage* img = XGetImage(dpy(), w, 0, 0, static_cast<unsigned>(s.w), static_cast<unsigned>(s.h), AllPlanes, ZPixmap);
        if (!img) return s;
        for (int y = 0; y < s.h; ++y)
            for (int x = 0; x < s.w; ++x) s.px.push_back(XGetPixel(img, x, y) & 0xFFFFFF);
        XDestroyImage(img);
        return s;
    }

    // What the window manager sends for the close box.
    void closeBox(Window w) {
        XEvent ev{};
        ev.xclient = {ClientMessage, 0, False, dpy(), w, XInternAtom(dpy(), "WM_PROTOCOLS", False), 32, {}};
        ev.xclient.data.l[0] = static_cast<long>(XInternAtom(dpy(), "WM_DELETE_WINDOW", False));  // time: CurrentTime
        XSendEvent(dpy(), w, False, NoEventMask, &ev);
        XFlush(dpy());
    }
};

inline std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void sh(const std::string& command) { ASSERT_EQ(std::system(command.c_str()), 0) << command; }

// A fresh copy of the stage per test, with settings so no first-launch question comes.
class RealGameTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!x_.dpy()) GTEST_SKIP() << "no X display";
        dir_ = fs::temp_directory_path() / ("quelmar-gui-" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "sons");
        sh("cp -r '" QUELMAR_STAGE_DIR "'/. '" + dir_.string() + "'");
        std::ofstream(dir_ / "Reglages.cfg", std::ios::binary) << "son=0,Musique=0,Rapidit\xE9=1";
    }

    // Starts the game of the stage copy, working in workDir (the copy itself by default).
    void launch(const fs::path& workDir = {}) {
        pid_ = fork();
        if (pid_ == 0) {
            if (chdir((workDir.empty() ? dir_ : workDir).c_str()) != 0) _exit(127);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            execl((dir_ / "Quelmar").c_str(), "Quelmar", static_cast<char*>(nullptr));
            _exit(127);
        }
    }

    // Starts the game, waits for its window, goes on without a music player.
    void start() {
        launch();
        window_ = x_.waitFor(">>>  La Malediction De Quelmar");
        ASSERT_NE(window_, 0u) << "the main window did not appear";
        if (Window box = x_.waitFor("Erreur de lancement", 2s)) dismiss(box, "Erreur de lancement");
    }

    // Answers a box or dialog with keys and waits until it is gone.
    void dismiss(Window box, const std::string& name, const std::string& k = "Return") {
        keys(box, k);
        EXPECT_TRUE(within(2s, [&] { return !x_.find(name); })) << name << " still open";
    }

    // Opens the menu-bar title under client x (the bar is 24 high), then walks its entries.
    void menu(int x, const std::string& k) {
        sh("xdotool mousemove --window " + std::to_string(window_) + " " + std::to_string(x) + " 12 click 1");
        std::this_thread::sleep_for(300ms);
        sh("xdotool key --delay 120 " + k);
    }

    void TearDown() override {
        if (pid_ > 0 && kill(pid_, SIGKILL) == 0) waitpid(pid_, nullptr, 0);
        // A music player the game started ends at the quit number, else it is stopped.
        std::ofstream(dir_ / "sons" / "MusicCfg.cfg", std::ios::binary) << "musique:100";
        if (!within(2s, [&] { return startedHere().empty(); }))
            for (pid_t p : startedHere()) kill(p, SIGKILL);
        fs::remove_all(dir_);
    }

    // Processes whose working directory lies in the test's game directory.
    std::vector<pid_t> startedHere() const {
        std::vector<pid_t> found;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator("/proc", ec)) {
            const pid_t pid = std::atoi(entry.path().filename().c_str());  // 0 for self and the rest
            const fs::path cwd = fs::read_symlink(entry.path() / "cwd", ec);
            if (pid > 0 && !ec && cwd.string().rfind(dir_.string(), 0) == 0) found.push_back(pid);
        }
        return found;
    }

    // True when the game ended within the limit.
    bool waitExit(std::chrono::milliseconds limit) {
        return within(limit, [&] { return waitpid(pid_, nullptr, WNOHANG) == pid_ && (pid_ = -1); });
    }

    static void keys(Window w, const std::string& k) { sh("xdotool windowfocus --sync " + std::to_string(w) + " key --delay 150 " + k); }
    static void shot(const fs::path& png) { sh("import -window root '" + png.string() + "'"); }

    X x_;
    fs::path dir_;
    pid_t pid_ = -1;
    Window window_ = 0;
};

}  // namespace realgame
