// Menu 101 of the main window and its command numbers.
#pragma once

#include "platform/platform.h"

constexpr int MENU_MAIN = 101;
constexpr int CMD_NEW_GAME = 40011;
constexpr int CMD_SAVE = 40007;
constexpr int CMD_LOAD = 40008;
constexpr int CMD_OPTIONS = 40012;
constexpr int CMD_QUIT = 40002;
constexpr int CMD_INVENTORY = 40004;
constexpr int CMD_CREDITS = 40018;
constexpr int CMD_ABOUT = 40016;
constexpr int CMD_HELP = 40013;

const platform::MenuDef& mainMenu();
