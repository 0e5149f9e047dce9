// The settings dialogs: 121 while playing (with the favourite colour), 124 on
// the title screen (options only).
#pragma once

#include "platform/platform.h"

constexpr int IDD_SETTINGS_PLAY = 121;
constexpr int IDD_SETTINGS_TITLE = 124;

constexpr int IDC_SOUND = 1066;
constexpr int IDC_MUSIC = 1067;
constexpr int IDC_FAST = 1072;
constexpr int IDC_RED_PLUS = 1032;
constexpr int IDC_RED_MINUS = 1033;
constexpr int IDC_GREEN_PLUS = 1034;
constexpr int IDC_GREEN_MINUS = 1036;
constexpr int IDC_BLUE_PLUS = 1038;
constexpr int IDC_BLUE_MINUS = 1035;
constexpr int IDC_COLOUR_TEXT = 1065;
constexpr int IDC_OK = 1;
constexpr int IDC_CANCEL = 2;

const platform::DialogDef& settingsPlayDialog();
const platform::DialogDef& settingsTitleDialog();
