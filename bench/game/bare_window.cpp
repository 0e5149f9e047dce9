// The smallest program of the real backend: one window of the title screen's
// size, nothing drawn in it, until it is closed. The start-up benchmark
// compares the game with it.
#include "platform/platform.h"

namespace {
long bareProc(platform::Window w, platform::Msg msg, long a, long b) {
    if (msg == platform::Msg::Close) platform::postQuit(0);
    return platform::defaultWindowProc(w, msg, a, b);
}
}  // namespace

int main() {
    platform::WindowInit init;
    init.className = "bare";
    init.title = "bare window";
    init.x = 320;
    init.y = 200;
    init.clientW = 390;
    init.clientH = 350;
    init.proc = bareProc;
    platform::Window w = platform::createWindow(init);
    if (!w) return 1;
    return platform::runMessageLoop(w);
}
