// Everything the main window shows besides the scene: the status panel and
// item column, the title picture, the intro, the credits and the about box.
#pragma once

#include <string>

#include "platform/platform.h"

constexpr int TITLE_BITMAP_ID = 120;
constexpr int CREDITS_START_Y = 380;
constexpr int CREDITS_END_Y = -254;  // the credits stop once they pass above this
constexpr int CREDITS_TICK_MS = 40;
constexpr int MAIN_TIMER = 0;
constexpr int PANEL_TOP = 266;    // the status panel, under the scene
constexpr int COLUMN_LEFT = 369;  // the item column, right of the scene

// The figures of the status panel, as it computes them.
struct BarColour {
    int red, green, blue;
};
// Red 200 - life and green life + 55, each kept within 0..255; no blue.
BarColour lifeBarColour(int life);
// The weight text's number: (kg + 0.0005) x 1000, truncated.
int weightGrams(float kg);
// The weight bar's value: 10 pixels a kilogram, truncated.
int weightBarPixels(float kg);
// "minutes:seconds", the seconds not padded ("2:5").
std::string countdownText(int minutes, int seconds);

// Life, shield, weight, gold, name, skills, the item column and the countdown.
void paintStatusPanel(platform::Dc dc);
// The title picture at (0, 0).
void paintTitle(platform::Dc dc);
// The opening scene of a new game on the built-in level (welcome box, walk, stone).
void playIntro();
// Starts the scrolling credits on the title screen.
void startCredits();
// One frame of the credits; stops them once they have scrolled out.
void drawCreditsFrame();
// The "A Propos de..." box.
void showAbout();
