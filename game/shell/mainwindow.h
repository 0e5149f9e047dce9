// The main window procedure: the one dispatcher of keys, menus, mouse, timer,
// paint and close requests.
#pragma once

#include "platform/platform.h"

long mainWindowProc(platform::Window w, platform::Msg msg, long a, long b);

// The sequences of the dispatcher, callable on their own.
void keySequence(int key);
void paintSequence(platform::Window w);
long closeSequence(platform::Window w);
void quitSequence(platform::Window w);
void timerSequence();
void menuCommand(platform::Window w, int command);

constexpr const char* HELP_FILE = "aideQuelmaR.html";
constexpr int ESCAPE_TICK_MS = 1000;
