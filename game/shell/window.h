// Geometry of the main window: the title screen and the playing screen.
// Client sizes: the original's outer frames were 395 x 375 and 485 x 442; under a
// window manager that draws the frame we give the client areas that hold the
// title picture and the whole status panel.
#pragma once

constexpr int TITLE_WINDOW_X = 320;
constexpr int TITLE_WINDOW_Y = 200;
constexpr int TITLE_CLIENT_W = 390;
constexpr int TITLE_CLIENT_H = 350;
constexpr int PLAY_WINDOW_X = 321;
constexpr int PLAY_WINDOW_Y = 200;
constexpr int PLAY_CLIENT_W = 480;
constexpr int PLAY_CLIENT_H = 400;

constexpr const char* MAIN_WINDOW_TITLE = ">>>  La Malediction De Quelmar  ";

// Moves and sizes gs.mainWindow for the title screen / for play.
void placeTitleWindow();
void placePlayWindow();
