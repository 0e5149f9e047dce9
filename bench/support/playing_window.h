// The game's main window at its playing size, without the title-screen start-up
// (no menu, no music, no player): what the drawing benchmarks measure against.
#pragma once

#include "platform/platform.h"
#include "shell/mainwindow.h"
#include "shell/window.h"
#include "state.h"

inline platform::Window openPlayingWindow() {
    platform::WindowInit init;
    init.className = "std";
    init.title = MAIN_WINDOW_TITLE;
    init.x = PLAY_WINDOW_X;
    init.y = PLAY_WINDOW_Y;
    init.clientW = PLAY_CLIENT_W;
    init.clientH = PLAY_CLIENT_H;
    init.proc = mainWindowProc;
    return platform::createWindow(init);
}
