// Start-up of the real game to its first painted title screen (target at most
// 300 ms), against a program of the same backend that only opens one window,
// in the same run. Each iteration starts the program in a scratch game
// directory and stops the clock when the X server shows the picture; the
// program is then closed through its close box. Run under xvfb-run.
// Before the X headers: their macros (None, Bool...) would break it.
#include "platform/platform.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

extern const platform::ResourceBlob QUELMAR_GAME_RESOURCES[];
extern const std::size_t QUELMAR_GAME_RESOURCE_COUNT;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

struct Picture {
    int w = 0, h = 0;
    std::vector<unsigned> rgb;
};

Picture titlePicture() {
    Picture p;
    for (std::size_t i = 0; i < QUELMAR_GAME_RESOURCE_COUNT; ++i) {
        const platform::ResourceBlob& blob = QUELMAR_GAME_RESOURCES[i];
        if (blob.id != 120) continue;
        const unsigned char* d = blob.data;
        auto u32 = [&](int o) {
            return static_cast<std::uint32_t>(d[o] | d[o + 1] << 8 | d[o + 2] << 16 | d[o + 3] << 24);
        };
        const int offset = static_cast<int>(u32(10));
        p.w = static_cast<int>(u32(18));
        const int rawH = static_cast<int>(u32(22));
        p.h = rawH < 0 ? -rawH : rawH;
        const int stride = (p.w * 3 + 3) & ~3;
        p.rgb.resize(static_cast<std::size_t>(p.w * p.h));
        for (int y = 0; y < p.h; ++y) {
            const unsigned char* row = d + offset + (rawH < 0 ? y : p.h - 1 - y) * stride;
            for (int x = 0; x < p.w; ++x)
                p.rgb[static_cast<std::size_t>(y * p.w + x)] =
                    static_cast<unsigned>(row[3 * x + 2] << 16 | row[3 * x + 1] << 8 | row[3 * x]);
        }
    }
    return p;
}

Window findNamed(Display* dpy, Window from, const std::string& name) {
    Window root, parent, *kids = nullptr;
    unsigned n = 0;
    if (!XQueryTree(dpy, from, &root, &parent, &kids, &n)) return 0;
    Window found = 0;
    for (unsigned i = 0; i < n && !found; ++i) {
        char* title = nullptr;
        XWindowAttributes attr;
        if (XGetWindowAttributes(dpy, kids[i], &attr) && attr.map_state == IsViewable &&
            XFetchName(dpy, kids[i], &title) && title && name == title)
            found = kids[i];
        if (title) XFree(title);
        if (!found) found = findNamed(dpy, kids[i], name);
    }
    if (kids) XFree(kids);
    return found;
}

int ignoreErrors(Display*, XErrorEvent*) { return 0; }

bool windowSeen = false;  // by the last launch

// True when the window shows the picture (sampled) somewhere below its top,
// the menu bar's height being unknown.
bool shows(Display* dpy, Window w, const Picture& p) {
    XWindowAttributes attr;
    if (!XGetWindowAttributes(dpy, w, &attr) || attr.width < p.w || attr.height < p.h) return false;
    XImage* img = XGetImage(dpy, w, 0, 0, static_cast<unsigned>(attr.width), static_cast<unsigned>(attr.height),
                            AllPlanes, ZPixmap);
    if (!img) return false;
    bool match = false;
    for (int top = 0; top + p.h <= attr.height && !match; ++top) {
        int same = 0, tried = 0;
        for (int y = 3; y < p.h; y += 23)
            for (int x = 5; x < p.w; x += 31) {
                ++tried;
                const unsigned long v = XGetPixel(img, x, top + y) & 0xFFFFFF;
                same += v == p.rgb[static_cast<std::size_t>(y * p.w + x)];
            }
        match = same * 100 >= tried * 95;
    }
    XDestroyImage(img);
    return match;
}

void closeBox(Display* dpy, Window w) {
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = w;
    ev.xclient.message_type = XInternAtom(dpy, "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = static_cast<long>(XInternAtom(dpy, "WM_DELETE_WINDOW", False));
    ev.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy, w, False, NoEventMask, &ev);
    XFlush(dpy);
}

// A game directory of its own, with settings so that no question is asked.
fs::path scratchGameDir() {
    fs::path dir = fs::temp_directory_path() / ("quelmar-startup-bench-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy(QUELMAR_STAGE_DIR, dir, fs::copy_options::recursive);
    std::ofstream(dir / "Reglages.cfg", std::ios::binary) << "son=0,Musique=0,Rapidit\xE9=1";
    return dir;
}

// Starts the program, waits until the picture is on screen, closes it. Returns the seconds to the picture.
double launchAndWait(const std::string& program, const fs::path& cwd, const std::string& title,
                     const Picture& picture, bool& ok) {
    ok = false;
    // One connection for the whole run: a server left without clients resets.
    static Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) return 0;
    XSetErrorHandler(ignoreErrors);
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(cwd.c_str()) != 0) _exit(127);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    double seconds = 0;
    Window w = 0;
    windowSeen = false;
    while (Clock::now() - start < std::chrono::seconds(10)) {
        if (!w) w = findNamed(dpy, DefaultRootWindow(dpy), title);
        windowSeen = w != 0;
        if (w && shows(dpy, w, picture)) {
            seconds = std::chrono::duration<double>(Clock::now() - start).count();
            ok = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    if (w) closeBox(dpy, w);
    for (int i = 0; i < 250; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) return seconds;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return seconds;
}

void stopMusicPlayer(const fs::path& dir) {
    // The game wrote the quit number when its loop ended; say it again in case it was killed.
    std::ofstream(dir / "sons" / "MusicCfg.cfg", std::ios::binary) << "musique:100";
}

void BM_GameToTitleScreen(benchmark::State& state) {
    const Picture title = titlePicture();
    const fs::path dir = scratchGameDir();
    for (auto _ : state) {
        bool ok = false;
        const double s = launchAndWait((dir / "Quelmar").string(), dir, ">>>  La Malediction De Quelmar  ",
                                       title, ok);
        if (!ok) {
            state.SkipWithError(windowSeen ? "the window did not show the title picture" : "the window did not appear");
            break;
        }
        state.SetIterationTime(s);
    }
    stopMusicPlayer(dir);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    fs::remove_all(dir);
}
BENCHMARK(BM_GameToTitleScreen)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

void BM_BareWindow(benchmark::State& state) {
    const fs::path dir = fs::temp_directory_path();
    // Its first paint: the client area in the window background colour.
    Picture face;
    face.w = 390;
    face.h = 350;
    const platform::Color c = platform::BUTTON_FACE;
    face.rgb.assign(static_cast<std::size_t>(face.w * face.h), static_cast<unsigned>(c.r << 16 | c.g << 8 | c.b));
    for (auto _ : state) {
        bool ok = false;
        const double s = launchAndWait(BARE_WINDOW_PATH, dir, "bare window", face, ok);
        if (!ok) {
            state.SkipWithError("the bare window did not appear");
            break;
        }
        state.SetIterationTime(s);
    }
}
BENCHMARK(BM_BareWindow)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
