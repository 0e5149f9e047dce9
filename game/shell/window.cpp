#include "shell/window.h"

#include "state.h"

void placeTitleWindow() {
    platform::placeWindow(gs.mainWindow, TITLE_WINDOW_X, TITLE_WINDOW_Y, TITLE_CLIENT_W,
                          TITLE_CLIENT_H);
}

void placePlayWindow() {
    platform::placeWindow(gs.mainWindow, PLAY_WINDOW_X, PLAY_WINDOW_Y, PLAY_CLIENT_W,
                          PLAY_CLIENT_H);
}
