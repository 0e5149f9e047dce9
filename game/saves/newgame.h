// Starting a game: the new-game dialog (IDD 119) and the reset that follows it.
#pragma once

#include <string>

#include "platform/platform.h"

constexpr int COLOUR_STEP = 10;
constexpr int COLOUR_MAX = 250;
constexpr int PROPOSED_BLUE = 170;
constexpr int PLAYER_NAME_MAX = 59;  // characters kept from the name field
constexpr const char* PROPOSED_NAME = "Le chevalier Sans Nom";

// Menu "Nouveau jeu" (40011): the dialog, then the playing window.
void newGameCommand();
// Dialog procedure of IDD 119; ends with 1 when a game was started, 0 when cancelled.
long newGameDialogProc(platform::Window dlg, platform::Msg msg, long a, long b);

// The first PLAYER_NAME_MAX characters (not bytes) of a text, after every byte
// that is not valid UTF-8 has become '?'.
std::string truncateName(const std::string& text);
