// The real game under X, for the GUI tests: its windows found by name, their
// pixels grabbed, keys sent with xdotool, the game started from a copy of the
// stage directory and killed at the end.
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

struct Shot {
    int w = 0, h = 0;
    std::vector<unsigned long> px;  // 0xRRGGBB, row after row
    unsigned long at(int x, int y) const { return px[static_cast<std::size_t>(y * w + x)]; }
};

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
                XFetchName(dpy_, kids[i], &title) && title &&
                std::string(title).find(name) != std::string::npos)
                found = kids[i];
            if (title) XFree(title);
            if (!found) found = find(name, kids[i]);
        }
        if (kids) XFree(kids);
        return found;
    }

    Window waitFor(const std::string& name, std::chrono::milliseconds limit = 10s) {
        for (auto end = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < end;) {
            if (Window w = find(name)) return w;
            std::this_thread::sleep_for(20ms);
        }
        return 0;
    }

    int height(Window w) {
        XWindowAttributes attr;
        XGetWindowAttributes(dpy_, w, &attr);
        return attr.height;
    }

    // The window's pixels: its whole area, menu bar and client.
    Shot grab(Window w) {
        Shot s;
        XWindowAttributes attr;
        XGetWindowAttributes(dpy_, w, &attr);
        s.w = attr.width;
        s.h = attr.height;
        XImage* img = XGetImage(dpy_, w, 0, 0, static_cast<unsigned>(s.w), static_cast<unsigned>(s.h),
                                AllPlanes, ZPixmap);
        if (!img) return s;
        for (int y = 0; y < s.h; ++y)
            for (int x = 0; x < s.w; ++x) s.px.push_back(XGetPixel(img, x, y) & 0xFFFFFF);
        XDestroyImage(img);
        return s;
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

inline std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void sh(const std::string& command) { ASSERT_EQ(std::system(command.c_str()), 0) << command; }

// Each test plays in a fresh copy of the stage directory, sound, music and
// waits off so that no first-launch question comes up.
class RealGameTest : public ::testing::Test {
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

    // Starts the game from its directory.
    void launch() {
        pid_ = fork();
        if (pid_ == 0) {
            if (chdir(dir_.c_str()) != 0) _exit(127);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            execl((dir_ / "Quelmar").c_str(), "Quelmar", static_cast<char*>(nullptr));
            _exit(127);
        }
    }

    // Starts the game and waits for its window. Without a music player in the
    // folder the game says so just after; go on without.
    void start() {
        launch();
        window_ = x_.waitFor(">>>  La Malediction De Quelmar");
        ASSERT_NE(window_, 0u) << "the main window did not appear";
        if (Window box = x_.waitFor("Erreur de lancement", 2s)) dismiss(box, "Erreur de lancement");
    }

    // Answers a box or dialog with keys and waits until it is gone.
    void dismiss(Window box, const std::string& name, const std::string& k = "Return") {
        keys(box, k);
        for (int i = 0; i < 100 && x_.find(name); ++i) std::this_thread::sleep_for(20ms);
        EXPECT_EQ(x_.find(name), 0u) << name << " still open";
    }

    // Opens the menu-bar title under client x (the bar is about 24 pixels
    // high), then walks its entries with keys.
    void menu(int x, const std::string& k) {
        sh("xdotool mousemove --window " + std::to_string(window_) + " " + std::to_string(x) + " 12 click 1");
        std::this_thread::sleep_for(300ms);
        sh("xdotool key --delay 120 " + k);
    }

    void TearDown() override {
        if (pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        // A music player the game started ends when it reads the quit number;
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

    // True when the game ended within the limit.
    bool waitExit(std::chrono::milliseconds limit) {
        for (auto end = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < end;) {
            if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
                pid_ = -1;
                return true;
            }
            std::this_thread::sleep_for(20ms);
        }
        return false;
    }

    static void keys(Window w, const std::string& k) {
        sh("xdotool windowfocus --sync " + std::to_string(w) + " key --delay 150 " + k);
    }
    static void shot(const fs::path& png) { sh("import -window root '" + png.string() + "'"); }

    X x_;
    fs::path dir_;
    pid_t pid_ = -1;
    Window window_ = 0;
};

}  // namespace realgame
