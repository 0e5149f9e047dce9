#include "shell/mainwindow.h"

#include <string>

#include "hero/death.h"
#include "hero/interact.h"
#include "hero/movement.h"
#include "items/inventory.h"
#include "items/use.h"
#include "options/settings.h"
#include "resources/menu.h"
#include "saves/newgame.h"
#include "saves/slots.h"
#include "state.h"
#include "world/scene.h"
#include "world/screens.h"

namespace {

using platform::BoxButtons;
using platform::BoxIcon;
using platform::BoxStyle;

void repaintAll() {
    platform::invalidate(gs.mainWindow, nullptr, true);
    platform::updateWindow(gs.mainWindow);
}

void enterAction() {
    actOnTile();
    refreshStatusBands();
}

void lookScroll(int dCol, int dRow) {
    int left = gs.viewLeft + dCol, top = gs.viewTop + dRow;
    if (left < 0 || left > VIEW_LEFT_MAX || top < 0 || top > VIEW_TOP_MAX) return;
    gs.viewLeft = left;
    gs.viewTop = top;
    refreshView();
    drawScene();
}

// The controls of the inventory dialog's "Utiliser" buttons, by quick key.
constexpr int F_KEY_ITEMS[9] = {1019, 1021, 1022, 1023, 1024, 1025, 1026, 1029, 1031};
constexpr int DIGIT_KEY_ITEMS[6] = {1032, 1033, 1034, 1035, 1036, 1038};

bool isArrow(int key) {
    return key == platform::vk::LEFT || key == platform::vk::RIGHT || key == platform::vk::UP ||
           key == platform::vk::DOWN;
}

void keyAction(int key) {
    // While the button is held the view is not the hero's: only the arrows act
    // (they scroll it). A jump, an action or a save now would take the hero's
    // cell from the moved view, and the release would leave him there.
    if (gs.lookMode && !isArrow(key)) return;
    switch (key) {
        case platform::vk::RETURN: enterAction(); return;
        case platform::vk::SPACE: jump(); return;
        case platform::vk::LEFT:
            if (gs.lookMode) lookScroll(-1, 0); else walkStep(-1);
            return;
        case platform::vk::RIGHT:
            if (gs.lookMode) lookScroll(1, 0); else walkStep(1);
            return;
        case platform::vk::UP:
            if (gs.lookMode) lookScroll(0, -1); else climbUp();
            return;
        case platform::vk::DOWN:
            if (gs.lookMode) lookScroll(0, 1); else climbDown();
            return;
        case 'I':
            openInventory();
            repaintAll();
            return;
        case 'S':
            if (gs.escapeMode) enterAction(); else quickSave();
            return;
        default: break;
    }
    if (key >= platform::vk::F1 && key <= platform::vk::F9) {
        useItem(F_KEY_ITEMS[key - platform::vk::F1], nullptr);
    } else if (key >= '1' && key <= '6') {
        useItem(DIGIT_KEY_ITEMS[key - '1'], nullptr);
    }
}

// The escape is over once escapeMode has been cleared (a load, a new game, the
// reload after a death) or the title screen is back: its countdown must not
// tick on and call heroDies later. The credits own timer 0 while they roll.
void endEscapeIfOver() {
    if (gs.creditsRolling) return;
    if (gs.escapeMode && gs.onTitleScreen == 0) return;
    gs.escapeMode = 0;
    platform::killTimer(gs.mainWindow, MAIN_TIMER);
}

// The end of look mode: the view goes back to where it was.
void stopLooking() {
    if (!gs.lookMode) return;
    gs.lookMode = 0;
    gs.viewLeft = gs.savedViewLeft;
    gs.viewTop = gs.savedViewTop;
    refreshView();
    drawScene();
}

}  // namespace

void keySequence(int key) {
    gs.currentKey = key;
    if (gs.onTitleScreen == 0 && (gs.lastKey != key || gs.lookMode)) keyAction(key);
    gs.lastKey = gs.currentKey;
}

void paintSequence(platform::Window w) {
    // The context is taken before the scene is drawn and released after the
    // panel: the window shows the paint once, whole, never an erased band
    // waiting for its content.
    platform::Dc dc = platform::getDc(w);
    if (gs.onTitleScreen == 0) drawScene();
    if (gs.onTitleScreen == 0) paintStatusPanel(dc);
    if (gs.onTitleScreen != 0) paintTitle(dc);
    platform::releaseDc(dc);
}

long closeSequence(platform::Window w) {
    int wasTitle = gs.onTitleScreen;
    gs.onTitleScreen = 0;
    if (wasTitle) {
        platform::postQuit(0);
        return 1;
    }
    platform::Answer answer = platform::messageBox(
        nullptr,
        "Etes vous sûr de vouloir quitter?\n\n Toutes vos avancés depuis la dernière "
        "sauvegarde seront perdus...",
        "La malediction de QuelmaR", BoxStyle{BoxButtons::YesNo, BoxIcon::Info, true});
    if (answer == platform::Answer::Yes) {
        platform::postQuit(0);
        platform::destroyWindow(w);
        return 1;
    }
    gs.onTitleScreen = wasTitle;
    return 0;
}

void quitSequence(platform::Window w) {
    platform::Answer answer =
        platform::messageBox(nullptr, "Etes vous sûr de vouloir quitter?", "Quelmar",
                             BoxStyle{BoxButtons::YesNo, BoxIcon::Question, true, true, true});
    if (answer == platform::Answer::Yes) platform::destroyWindow(w);
}

void timerSequence() {
    if (gs.creditsRolling) {
        drawCreditsFrame();
        return;
    }
    if (!gs.escapeMode || gs.onTitleScreen) {
        endEscapeIfOver();  // a tick of an escape that has already ended
        return;
    }
    gs.countdownSeconds -= 1;
    if (gs.countdownSeconds == -1) {
        bool timeIsUp = gs.countdownMinutes == 0;
        if (timeIsUp) {
            endLookMode();  // the reload or the title screen replaces the game looked at
            heroDies();
        }
        gs.countdownMinutes -= 1;
        gs.countdownSeconds = 59;
        if (timeIsUp) {
            // Reloaded or back on the title screen: either way this escape has ended.
            gs.escapeMode = 0;
            endEscapeIfOver();
        }
    }
    platform::invalidate(gs.mainWindow, nullptr, false);
}

void menuCommand(platform::Window w, int command) {
    const char wasEscaping = gs.escapeMode;
    switch (command) {
        case CMD_NEW_GAME:
            newGameCommand();
            break;
        case CMD_SAVE:
            // The save and the inventory act on the hero's own cell, not the one looked at.
            stopLooking();
            if (gs.onTitleScreen == 0 && !gs.escapeMode) saveWithDialog();
            break;
        case CMD_LOAD:
            stopLooking();  // the load starts from the hero's own view, whatever it loads
            loadCommand();
            break;
        case CMD_OPTIONS:
            optionsCommand();
            break;
        case CMD_QUIT:
            quitSequence(w);
            return;  // no paint after quitting
        case CMD_INVENTORY:
            stopLooking();
            if (gs.onTitleScreen == 0) openInventory();
            repaintAll();
            break;
        case CMD_CREDITS:
            if (gs.onTitleScreen != 0) {
                startCredits();
            } else {
                platform::messageBox(w, "Pouer afficher les credits, retournez a la page d'intro..",
                                     "Erreur...");
            }
            break;
        case CMD_ABOUT:
            showAbout();
            break;
        case CMD_HELP:
            if (!platform::openDocument(HELP_FILE)) {
                platform::messageBox(w,
                                     std::string("Impossible d'ouvrir l'aide '") + HELP_FILE +
                                         "' du dossier du jeu...",
                                     "Aide...", BoxStyle{BoxButtons::Ok, BoxIcon::Warning});
            }
            break;
        default: break;
    }
    if (wasEscaping && !gs.escapeMode) endEscapeIfOver();
    paintSequence(w);
}

long mainWindowProc(platform::Window w, platform::Msg msg, long a, long b) {
    switch (msg) {
        case platform::Msg::Paint:
            paintSequence(w);
            return 0;
        case platform::Msg::Close:
            return closeSequence(w);
        case platform::Msg::KeyDown:
            keySequence(static_cast<int>(a));
            return 0;
        case platform::Msg::KeyUp:
            gs.lastKey = -1;
            return 0;
        case platform::Msg::Command:
            menuCommand(w, static_cast<int>(a));
            return 0;
        case platform::Msg::Timer:
            if (a == MAIN_TIMER) timerSequence();
            return 0;
        case platform::Msg::LButtonDown:
            // A second press while looking would take the scrolled view as the one to return to.
            if (gs.onTitleScreen == 0 && !gs.lookMode) {
                gs.lookMode = 1;
                gs.savedViewLeft = gs.viewLeft;
                gs.savedViewTop = gs.viewTop;
            }
            return 0;
        case platform::Msg::LButtonUp:
            // A release without its press (pressed over the menu, say) restores nothing.
            if (gs.onTitleScreen == 0) stopLooking();
            return 0;
        default:
            return platform::defaultWindowProc(w, msg, a, b);
    }
}
