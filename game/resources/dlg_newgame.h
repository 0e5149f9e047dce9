// The new-game dialog (IDD 119 "Nouvelle Partie"): name, level, favourite colour.
#pragma once

#include "platform/platform.h"

constexpr int IDD_NEWGAME = 119;

constexpr int IDC_NEWGAME_NAME = 1064;
constexpr int IDC_NEWGAME_CUSTOM = 1081;
constexpr int IDC_NEWGAME_RED_PLUS = 1032;
constexpr int IDC_NEWGAME_RED_MINUS = 1033;
constexpr int IDC_NEWGAME_GREEN_PLUS = 1034;
constexpr int IDC_NEWGAME_GREEN_MINUS = 1036;
constexpr int IDC_NEWGAME_BLUE_PLUS = 1038;
constexpr int IDC_NEWGAME_BLUE_MINUS = 1035;
constexpr int IDC_NEWGAME_COLOUR = 1065;
constexpr int IDC_NEWGAME_OK = 1;
constexpr int IDC_NEWGAME_CANCEL = 2;

// Where the colour preview bar goes, in client pixels of the dialog.
constexpr int NEWGAME_PREVIEW_X = 130;
constexpr int NEWGAME_PREVIEW_Y = 130;
constexpr int NEWGAME_PREVIEW_LENGTH = 80;
constexpr int NEWGAME_PREVIEW_VALUE = 65;

const platform::DialogDef& newGameDialog();
