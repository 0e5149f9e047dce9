// Menu 102 of the editor's window: the tools and the file commands.
#pragma once

#include "platform/platform.h"

constexpr int MENU_EDITOR = 102;
constexpr int CMD_SET_START = 40081;
constexpr int CMD_UNDO = 40068;
constexpr int CMD_REDRAW = 40005;
constexpr int CMD_LOAD_LEVEL = 40058;
constexpr int CMD_SAVE_LEVEL = 40057;
constexpr int CMD_QUIT_EDITOR = 40003;

const platform::MenuDef& editorMenu();

// The tile placed by a tool entry of the menu, or 0 for any other command.
char toolForCommand(int command);
