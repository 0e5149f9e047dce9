// The real game under X: "Nouveau jeu", OK, the intro's box, then three presses
// of the right arrow walk the knight three tiles to the right.
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
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

struct Shot {
    int w = 0, h = 0;
    std::vector<unsigned long> px;
    unsigned long at(int x, int y) const { return px[static_cast<std::size_t>(y * w + x)]; }
};

class X {
public:
    X() : dpy_(XOpenDisplay(nullptr)) {}
    ~X() {
        if (dpy_) XCloseDisplay(dpy_);
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

    int height(Window w) {
        XWindowAttributes attr;
        XGetWindowAttributes(dpy_, w, &attr);
        return attr.height;
    }

    Shot grab(Window w) {
        Shot s;
        XWindowAttributes attr;
        XGetWindowAttributes(dpy_, w, &attr);
        s.w = attr.width;
        s.h = attr.height;
        XImage* img = XGetImage(dpy_, w, 0, 0, static_cast<unsigned>(s.w),
                                static_cast<unsigned>(s.h), AllPlanes, ZPixmap);
        if (!img) return s;
        for (int y = 0; y < s.h; ++y)
            for (int x = 0; x < s.w; ++x) s.px.push_back(XGetPixel(img, x, y) & 0xFFFFFF);
        XDestroyImage(img);
        return s;
    }

private:
    Display* dpy_;
};

void sh(const std::string& command) { ASSERT_EQ(std::system(command.c_str()), 0) << command; }

// Pixels that differ inside one 24-pixel tile of the scene.
int changedInTile(const Shot& a, const Shot& b, int top, int col, int row) {
    int changed = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x)
            changed += a.at(col * 24 + x, top + row * 24 + y) != b.at(col * 24 + x, top + row * 24 + y);
    return changed;
}

class RealGamePlay : public ::testing::Test {
protected:
    void SetUp() override {
        if (!x_.dpy()) GTEST_SKIP() << "no X display";
        dir_ = fs::temp_directory_path() / ("quelmar-play-gui-" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        sh("cp -r '" QUELMAR_STAGE_DIR "'/. '" + dir_.string() + "'");
        fs::create_directories(dir_ / "sons");
        std::ofstream(dir_ / "Reglages.cfg", std::ios::binary) << "son=0,Musique=0,Rapidit\xE9=1";
        // A plain castle floor, so the pictures compared are known: floor on
        // row 99, the entrance stone at (97, 2), a torch row high above.
        std::string grid(10000, 'a');
        for (int c = 0; c < 100; ++c) grid[9900 + c] = 's';
        for (int c = 0; c < 100; c += 3) grid[9300 + c] = 't';
        grid[9702] = 's';
        std::ofstream(dir_ / "niveau.niv", std::ios::binary) << grid;
        pid_ = fork();
        if (pid_ == 0) {
            if (chdir(dir_.c_str()) != 0) _exit(127);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            execl((dir_ / "Quelmar").c_str(), "Quelmar", static_cast<char*>(nullptr));
            _exit(127);
        }
        window_ = x_.waitFor(">>>  La Malediction De Quelmar");
        ASSERT_NE(window_, 0u) << "the main window did not appear";
        // Without a music player in the folder the game says so, just after its
        // window shows; go on without music.
        if (Window box = x_.waitFor("Erreur de lancement", 2s)) {
            sh("xdotool windowfocus --sync " + std::to_string(box) + " key Return");
            for (int i = 0; i < 100 && x_.find("Erreur de lancement"); ++i)
                std::this_thread::sleep_for(20ms);
        }
    }

    void TearDown() override {
        if (pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        std::ofstream(dir_ / "sons" / "MusicCfg.cfg", std::ios::binary) << "musique:100";
        std::this_thread::sleep_for(300ms);
        fs::remove_all(dir_);
    }

    void keys(Window w, const std::string& k) {
        sh("xdotool windowfocus --sync " + std::to_string(w) + " key --delay 150 " + k);
    }
    void shot(const std::string& name) {
        sh("import -window root '" + (fs::path(QUELMAR_SHOT_DIR) / name).string() + "'");
    }

    X x_;
    fs::path dir_;
    pid_t pid_ = -1;
    Window window_ = 0;
};

TEST_F(RealGamePlay, NewGameIntroAndThreeStepsRight) {
    std::this_thread::sleep_for(300ms);
    // "Nouveau jeu" is the first entry of the first menu: open it with the
    // mouse (the title window's client area is 350 pixels high).
    int bar = x_.height(window_) - 350;
    ASSERT_GT(bar, 0);
    const std::string win = std::to_string(window_);
    sh("xdotool mousemove --window " + win + " 25 " + std::to_string(bar / 2) + " click 1");
    std::this_thread::sleep_for(400ms);
    sh("xdotool mousemove --window " + win + " 60 " + std::to_string(bar + 12) + " click 1");
    Window dialog = x_.waitFor("Nouvelle Partie", 5s);
    ASSERT_NE(dialog, 0u) << "no new-game dialog";
    std::this_thread::sleep_for(300ms);
    shot("newgame.png");
    keys(dialog, "Return");

    Window welcome = x_.waitFor("Bienvenue dans l'aventure", 5s);
    ASSERT_NE(welcome, 0u) << "no welcome box";
    shot("intro.png");
    keys(welcome, "Return");

    // The intro ends in the playing layout: a client area 400 pixels high.
    int menuBar = -1;
    for (int i = 0; i < 200 && menuBar < 0; ++i) {
        std::this_thread::sleep_for(50ms);
        int h = x_.height(window_);
        if (h > 400 && !x_.find("Nouvelle Partie") && !x_.find("Bienvenue")) menuBar = h - 400;
    }
    ASSERT_GT(menuBar, 0) << "the window never took the playing size";
    std::this_thread::sleep_for(700ms);
    Shot before = x_.grab(window_);
    shot("play-start.png");

    keys(window_, "Right Right Right");
    std::this_thread::sleep_for(500ms);
    Shot after = x_.grab(window_);
    shot("play-walked.png");
    ASSERT_EQ(before.w, after.w);
    ASSERT_EQ(before.h, after.h);

    // The knight left view column 5 and stands in column 8 of row 9; the rest
    // of the scene is as it was.
    EXPECT_GT(changedInTile(before, after, menuBar, 5, 9), 40);
    EXPECT_GT(changedInTile(before, after, menuBar, 8, 9), 40);
    EXPECT_EQ(changedInTile(before, after, menuBar, 12, 9), 0);
    EXPECT_EQ(changedInTile(before, after, menuBar, 5, 4), 0);
    EXPECT_EQ(changedInTile(before, after, menuBar, 2, 9), 0) << "the closed entrance";
}

}  // namespace
