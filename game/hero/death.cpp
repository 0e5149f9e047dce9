#include "hero/death.h"

#include <cstdio>
#include <string>

#include "platform/platform.h"
#include "saves/slots.h"
#include "shell/mainwindow.h"
#include "shell/window.h"
#include "sound/sound.h"
#include "state.h"
#include "world/scene.h"
#include "world/screens.h"

namespace {

using platform::BoxButtons;
using platform::BoxIcon;
using platform::BoxStyle;

// The castle's gate: the stone over the opening the hero came in by.
constexpr int GATE_COL = 2;
constexpr int GATE_STONE_ROW = 97;
constexpr int GATE_OPENING_ROW = 98;
constexpr int PAN_PAUSE_MS = 75;
constexpr int STONE_PAUSE_MS = 160;
constexpr int GATE_OPEN_PAUSE_MS = 1000;
constexpr int ESCAPE_MINUTES = 2;
constexpr int ESCAPE_SECONDS = 30;

// Animation waits are made only when the "Ordi Rapide" option is ticked.
void pause(int ms) {
    if (gs.slowComputer == 0) platform::pauseMs(ms);
}

void repaintAll() {
    platform::invalidate(gs.mainWindow, nullptr, true);
    platform::updateWindow(gs.mainWindow);
}

void backToTitle() {
    gs.onTitleScreen = 1;
    gs.escapeMode = 0;
    placeTitleWindow();
    selectMusic(MUSIC_INTRO);
    repaintAll();
}

// Why a reload after death cannot happen; the game then goes back to the title.
void refuseReload() {
    std::string text;
    if (gs.currentSlot < 0 || gs.currentSlot >= SLOT_COUNT) {
        text = "Aucun emplacement de sauvegarde par défaut n'a été choisi: il n'y a pas de partie à "
               "recharger.";
    } else {
        char line[160];
        std::snprintf(line, sizeof line, "L'emplacement %d est vide: il n'y a pas de partie à recharger.",
                      gs.currentSlot + 1);
        text = line;
    }
    platform::messageBox(gs.mainWindow, text + "\n\nRetour à l'écran titre...", "Emplacement vide...",
                         BoxStyle{BoxButtons::Ok, BoxIcon::Warning});
}

}  // namespace

void heroDies() {
    // A death ends the escape, whichever answer comes: its countdown must not
    // run out while the question is open and kill the hero a second time.
    if (gs.escapeMode) platform::killTimer(gs.mainWindow, MAIN_TIMER);
    selectMusic(MUSIC_SILENCE);
    platform::Answer reply = platform::messageBox(
        gs.mainWindow,
        "Vous venez de mourir dans d'atroces soufrances...\n\nVoulez vous charger la dernière sauvegarde?",
        "Vous etes mort.....", BoxStyle{BoxButtons::YesNo, BoxIcon::Question});
    if (reply == platform::Answer::Yes) {
        if (slotLoadable(gs.currentSlot)) {
            gs.chosenSlot = gs.currentSlot;
            applySlot();
            gs.escapeMode = 0;
            refreshView();
            selectMusic(MUSIC_NORMAL);
            repaintAll();
            return;
        }
        refuseReload();
    }
    backToTitle();
}

void mageDefeated() {
    if (gs.customLevel != 0) return;  // only the built-in castle ends with the escape
    platform::messageBox(gs.mainWindow,
                         "Felicitation, vous venez de battre le mage noir de QuelmaR!!\n\nMais la princesse "
                         "n'est pas là ???",
                         "Felicitation, vous venez de battre le mage noir de QuelmaR!!");
    for (auto& row : gs.LevelGrid)
        for (char& cell : row)
            if (cell == 'd') cell = '#';
    exitAnimation();
    drawScene();
    platform::messageBox(gs.mainWindow,
                         "Maintenant que le mage est mort, son château maudit va s'écrouler!!\n\nLa "
                         "princesse vous attend devant le château. Toute la lave a durci: la sortie "
                         "sera plus facile...\n\nDépêchez-vous!!!",
                         "La princesse est en danger...", BoxStyle{BoxButtons::Ok, BoxIcon::Warning});
    gs.escapeMode = 1;
    gs.lookMode = 0;
    platform::setTimer(gs.mainWindow, MAIN_TIMER, ESCAPE_TICK_MS);
    gs.countdownMinutes = ESCAPE_MINUTES;
    gs.countdownSeconds = ESCAPE_SECONDS;
    // The view the rules read is the hero's again, with the lava dried.
    refreshView();
}

void exitAnimation() {
    gs.lookMode = 1;  // the hero is not drawn while the view travels
    const platform::Point posactu{gs.viewLeft, gs.viewTop};

    for (gs.viewLeft = posactu.x; gs.viewLeft >= 0; --gs.viewLeft) {
        refreshView();
        drawScene();
        pause(PAN_PAUSE_MS);
    }
    gs.viewLeft = 0;
    for (gs.viewTop = posactu.y; gs.viewTop <= VIEW_TOP_MAX - 1; ++gs.viewTop) {
        refreshView();
        drawScene();
        pause(PAN_PAUSE_MS);
    }
    gs.viewTop = VIEW_TOP_MAX;

    gs.LevelGrid[GATE_OPENING_ROW][GATE_COL] = 'a';
    refreshView();
    playSound("pierre");
    const int stoneX = GATE_COL * TILE_PX, stoneY = (GATE_STONE_ROW - VIEW_TOP_MAX) * TILE_PX;
    for (int k = TILE_PX; k >= 0; k -= 2) {
        drawScene();
        platform::Dc dc = platform::getDc(gs.mainWindow);
        platform::drawImage(dc, gs.tileBitmaps[static_cast<unsigned char>('s')], stoneX, stoneY + k);
        platform::releaseDc(dc);
        pause(STONE_PAUSE_MS);
    }
    gs.LevelGrid[GATE_STONE_ROW][GATE_COL] = 's';

    platform::pauseMs(GATE_OPEN_PAUSE_MS);
    gs.viewLeft = posactu.x;
    gs.viewTop = posactu.y;
}
