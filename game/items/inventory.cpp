#include "items/inventory.h"

#include <cstdio>
#include <string>

#include "hero/movement.h"
#include "items/use.h"
#include "items/weight.h"
#include "resources/dlg_inventory.h"
#include "state.h"
#include "world/scene.h"
#include "world/screens.h"

namespace {

using platform::Answer;
using platform::BoxButtons;
using platform::BoxIcon;
using platform::BoxStyle;

// Pixel places of the drawings for base units of 6 x 13 pixels (see dialogPlace).
constexpr int LIFE_BAR_X = 110, LIFE_BAR_Y = 52;
constexpr int WEIGHT_BAR_X = 23, WEIGHT_BAR_Y = 495, WEIGHT_BAR_LENGTH = 300;
constexpr int PICTURE_X = 162, PICTURE_Y = 51, PICTURE_STEP = 23;
constexpr int PICTURE_W = 24, PICTURE_H = 21;
constexpr int BAR_H = 11;

void showTutorial() {
    platform::messageBox(
        gs.mainWindow,
        "Ton inventaire, c'est le contenu de ton sac.\n\n"
        "Tu ne peux pas porter plus de 15 Kg: un nouvel objet qui rendrait ton sac trop lourd "
        "ne peut pas être ramassé.\n\n"
        "Tu peux poser un objet par terre, mais seulement sur un endroit vide (pas sur une "
        "torche ni sur du lierre).\n\n"
        "Si tu as perdu un objet, maintiens le bouton gauche de la souris enfoncé et appuie sur "
        "les flèches pour voir où il se trouve.\n\n"
        "Et n'oublie pas: plus ton sac est lourd, plus une chute fait mal!",
        "Tutoriel sur ton inventaire:", BoxStyle{BoxButtons::Ok, BoxIcon::Info});
}


// Bars and pictures, moved with the rows of the dialog's actual font.
void paint(platform::Window dlg) {
    const platform::Point lifeAt = dialogPlace(dlg, LIFE_BAR_X, LIFE_BAR_Y, 0, BAR_H);
    const BarColour life = lifeBarColour(gs.life);
    drawBar(dlg, lifeAt.x, lifeAt.y, gs.maxLife, gs.life, life.red, life.green, life.blue);
    const platform::Point weightAt = dialogPlace(dlg, WEIGHT_BAR_X, WEIGHT_BAR_Y, 0, BAR_H);
    drawBar(dlg, weightAt.x, weightAt.y, WEIGHT_BAR_LENGTH, static_cast<int>(20 * gs.carriedWeight),
            gs.favoriteRed, gs.favoriteGreen, gs.favoriteBlue);
    platform::Dc dc = platform::getDc(dlg);
    for (int i = ITEM_FIRST; i < ITEM_LAST; ++i) {
        platform::Image picture = platform::loadImage(
            gs.imagesDir + "copie de " + std::string(1, ITEM_TABLE[i].tile) + ".bmp", PICTURE_W, PICTURE_H);
        const platform::Point at = dialogPlace(dlg, PICTURE_X, PICTURE_Y + PICTURE_STEP * i, PICTURE_W, PICTURE_H);
        platform::drawImage(dc, picture, at.x, at.y);
        platform::freeImage(picture);
    }
    platform::releaseDc(dc);
}

// The shield is destroyed, not put down: asked first.
void dropShield(platform::Window dlg) {
    if (gs.inventory[ITEM_SHIELD] != 1) return;
    const Answer answer = platform::messageBox(
        gs.mainWindow,
        "Si vous jettez votre bouclier, vous ne\npourez pas revenir le chercher.\n\n"
        "Cette action est irreversible,\n\nVoulez vous quand même continuer?",
        "Titre de la boite de dialogue", BoxStyle{BoxButtons::YesNo, BoxIcon::Warning, true});
    if (answer != Answer::Yes) return;
    gs.shield = 0;
    gs.inventory[ITEM_SHIELD] = 0;
    refreshView();
    platform::endDialog(dlg, ITEM_TABLE[ITEM_SHIELD].dropId);
    drawScene();
}

// The item whose button (of the given column) this is, 0 for none; the gold has none.
int itemOf(int controlId, int ItemInfo::*column) {
    for (int i = ITEM_FIRST; i < ITEM_LAST; ++i)
        if (ITEM_TABLE[i].*column == controlId) return i;
    return 0;
}

}  // namespace

void fillBagFields(platform::Window dlg) {
    for (int i = ITEM_FIRST; i <= ITEM_LAST; ++i) platform::setItemInt(dlg, ITEM_TABLE[i].countId, gs.inventory[i]);
    char life[32];
    std::snprintf(life, sizeof life, "%d/%d", gs.life, gs.maxLife);
    platform::setItemText(dlg, IDC_INV_LIFE, life);
    computeCarriedWeight();
    platform::setItemText(dlg, IDC_INV_WEIGHT, weightFieldText(gs.carriedWeight));
}

void dropItem(platform::Window dlg, int item) {
    char& cell = gs.LevelGrid[gs.viewTop + gs.heroRow][gs.viewLeft + gs.heroCol];
    if (cell != 'a' || gs.inventory[item] <= 0) return;
    cell = itemTileChars[item];
    gs.inventory[item] -= 1;
    refreshView();
    platform::endDialog(dlg, ITEM_TABLE[item].dropId);
    drawScene();
}

long inventoryDialogProc(platform::Window dlg, platform::Msg msg, long a, long /*b*/) {
    switch (msg) {
        case platform::Msg::InitDialog:
            if (gs.tutoInventory == 0) {
                gs.tutoInventory = 1;
                showTutorial();
            }
            platform::setWindowIcon(dlg, INVENTORY_ICON_ID);
            fillBagFields(dlg);
            paint(dlg);
            return 1;
        case platform::Msg::Paint:
            paint(dlg);
            return 0;
        case platform::Msg::Command: {
            const int id = static_cast<int>(a);
            if (id == IDC_INV_VALIDATE) {
                platform::endDialog(dlg, IDC_INV_VALIDATE);
                refreshStatusBands();
            } else if (const int used = itemOf(id, &ItemInfo::useId)) {
                if (used == ITEM_SHIELD) return 1;  // its button is disabled
                useItem(id, dlg);
                // Counts, life and weight as they now are (a potion keeps the dialog open).
                fillBagFields(dlg);
                paint(dlg);
            } else if (const int dropped = itemOf(id, &ItemInfo::dropId)) {
                if (dropped == ITEM_SHIELD) dropShield(dlg);
                else dropItem(dlg, dropped);
            } else {
                return 0;
            }
            return 1;
        }
        default: return 0;
    }
}

void openInventory() { platform::dialogBox(inventoryDialog(), gs.mainWindow, inventoryDialogProc); }
