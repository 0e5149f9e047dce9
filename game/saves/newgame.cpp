#include "saves/newgame.h"

#include <algorithm>
#include <cstdio>

#include "hero/movement.h"
#include "items/weight.h"
#include "platform/files.h"
#include "resources/dlg_newgame.h"
#include "saves/slots.h"
#include "shell/window.h"
#include "sound/sound.h"
#include "state.h"
#include "world/level.h"
#include "world/scene.h"
#include "world/screens.h"

namespace {

constexpr int SHORT_SWORD = 1;  // inventory index of the Epée courte

void showColour(platform::Window dlg) {
    char text[48];
    std::snprintf(text, sizeof text, "%d - %d - %d", gs.pickRed, gs.pickGreen, gs.pickBlue);
    platform::setItemText(dlg, IDC_NEWGAME_COLOUR, text);
}

void drawPreview(platform::Window dlg) {
    drawBar(dlg, NEWGAME_PREVIEW_X, NEWGAME_PREVIEW_Y, NEWGAME_PREVIEW_LENGTH,
            NEWGAME_PREVIEW_VALUE, gs.pickRed, gs.pickGreen, gs.pickBlue);
}

// One click on a colour button: a step of 10, kept within 0..250.
void stepColour(int& part, int delta) {
    part = std::clamp(part + delta, 0, COLOUR_MAX);
}

// Places the hero on the custom level's start cell, the view centred on it as
// far as the grid's edges allow.
void placeAtCustomStart() {
    gs.viewLeft = gs.customStartCol - 7;
    gs.viewTop = gs.customStartRow - 5;
    if (gs.viewTop > VIEW_TOP_MAX) gs.viewTop = VIEW_TOP_MAX;
    if (gs.viewLeft > VIEW_LEFT_MAX) gs.viewLeft = VIEW_LEFT_MAX;
    if (gs.viewTop < 0) gs.viewTop = 0;
    if (gs.viewLeft < 0) gs.viewLeft = 0;
    gs.heroCol = gs.customStartCol - gs.viewLeft;
    gs.heroRow = gs.customStartRow - gs.viewTop;
    recentreView();
}

void startGame(platform::Window dlg) {
    gs.customLevel = platform::isItemChecked(dlg, IDC_NEWGAME_CUSTOM) ? 1 : 0;

    gs.tutoFirstFight = gs.tutoGuard = gs.tutoGhoul = gs.tutoKnight = gs.tutoSpare1 = 0;
    gs.tutoChest = gs.tutoSpare2 = gs.tutoShop = gs.tutoInventory = gs.tutoSkills = 0;
    gs.tutoSave = 0;
    gs.heroFacing = 1;

    gs.playerName = truncateName(platform::getItemText(dlg, IDC_NEWGAME_NAME));

    if (gs.customLevel == 0) {
        // The built-in castle starts at its gate: grid row 98, column 0.
        gs.heroRow = 9;
        gs.heroCol = 0;
        gs.viewLeft = 0;
        gs.viewTop = VIEW_TOP_MAX;
    } else {
        loadCustomLevel();
        placeAtCustomStart();
    }

    gs.favoriteRed = gs.pickRed;
    gs.favoriteGreen = gs.pickGreen;
    gs.favoriteBlue = gs.pickBlue;

    gs.strength = gs.precision = gs.resistance = gs.protection = 0;
    gs.maxLife = 100;
    gs.life = 100;
    gs.shieldMax = 50;

    if (gs.customLevel == 0) loadBuiltinLevel();
    refreshView();

    std::fill(std::begin(gs.inventory), std::end(gs.inventory), 0);
    gs.shield = 50;
    gs.inventory[ITEM_SHIELD] = 1;
    gs.inventory[GOLD] = 15;
    if (gs.customLevel != 0) gs.inventory[SHORT_SWORD] = 1;
    computeCarriedWeight();

    platform::endDialog(dlg, 1);
    gs.onTitleScreen = 0;
    endLookMode();
    // The title screen is left: credits still rolling, or the countdown of an
    // escape from the previous game, must not tick on over the new one.
    gs.creditsRolling = 0;
    platform::killTimer(gs.mainWindow, MAIN_TIMER);

    if (gs.customLevel == 0) playIntro();
    selectMusic(MUSIC_NORMAL);
}

}  // namespace

std::string truncateName(const std::string& text) {
    // Bytes that are no character count as one '?' each, so they cannot
    // stretch the name past its length.
    const std::string utf8 = platform::validUtf8(text);
    std::size_t chars = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        // A character starts at every byte that is not a continuation byte.
        if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80) {
            if (chars == PLAYER_NAME_MAX) return utf8.substr(0, i);
            ++chars;
        }
    }
    return utf8;
}

long newGameDialogProc(platform::Window dlg, platform::Msg msg, long a, long /*b*/) {
    switch (msg) {
        case platform::Msg::InitDialog:
            platform::setItemText(dlg, IDC_NEWGAME_NAME, PROPOSED_NAME);
            gs.pickBlue = PROPOSED_BLUE;
            showColour(dlg);
            drawPreview(dlg);
            return 1;
        case platform::Msg::Paint:
            drawPreview(dlg);
            return 0;
        case platform::Msg::Command:
            switch (a) {
                case IDC_NEWGAME_RED_PLUS: stepColour(gs.pickRed, COLOUR_STEP); break;
                case IDC_NEWGAME_RED_MINUS: stepColour(gs.pickRed, -COLOUR_STEP); break;
                case IDC_NEWGAME_GREEN_PLUS: stepColour(gs.pickGreen, COLOUR_STEP); break;
                case IDC_NEWGAME_GREEN_MINUS: stepColour(gs.pickGreen, -COLOUR_STEP); break;
                case IDC_NEWGAME_BLUE_PLUS: stepColour(gs.pickBlue, COLOUR_STEP); break;
                case IDC_NEWGAME_BLUE_MINUS: stepColour(gs.pickBlue, -COLOUR_STEP); break;
                case IDC_NEWGAME_OK:
                    startGame(dlg);
                    return 1;
                case IDC_NEWGAME_CANCEL:
                    platform::endDialog(dlg, 0);
                    return 1;
                default: return 0;
            }
            showColour(dlg);
            drawPreview(dlg);
            return 1;
        default: return 0;
    }
}

void newGameCommand() {
    int code = platform::dialogBox(newGameDialog(), gs.mainWindow, newGameDialogProc);
    if (code == 1) {
        chooseDefaultSlot();
        gs.currentSlot = gs.chosenSlot;  // -1: no default slot until a save from the menu
        placePlayWindow();
        gs.escapeMode = 0;  // the new game ends the escape; a cancelled one leaves it running
    }
    platform::invalidate(gs.mainWindow, nullptr, true);
    platform::updateWindow(gs.mainWindow);
}
