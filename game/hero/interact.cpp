#include "hero/interact.h"

#include <string>

#include "hero/movement.h"
#include "hero/troubadours.h"
#include "items/shop.h"
#include "items/weight.h"
#include "shell/random.h"
#include "sound/sound.h"
#include "state.h"
#include "world/scene.h"

namespace {

using platform::BoxButtons;
using platform::BoxIcon;
using platform::BoxStyle;

constexpr int KEY_BLUE = 13;
constexpr int KEY_ORANGE = 15;

// The bag's weight (before the item) up to which each item is still taken:
// 15 kg less its own weight, but 12.5 for the harp.
constexpr double PICKUP_CEILING[ITEM_LAST] = {
    0.0, 14.0, 13.5, 13.0, 12.5, 12.0, 13.5, 12.5, 13.5, 14.9, 14.95, 14.9, 14.9, 14.9, 14.9, 14.9, 14.9,
};

char& heroCell() { return gs.LevelGrid[gs.viewTop + gs.heroRow][gs.viewLeft + gs.heroCol]; }

// The ItemIndex of an item tile, 0 for any other tile.
int itemOfTile(char tile) {
    for (int i = ITEM_FIRST; i < ITEM_LAST; ++i)
        if (ITEM_TABLE[i].tile == tile) return i;
    return 0;
}

void refusePickUp() {
    platform::messageBox(gs.mainWindow, "Libère de la place dans ton sac...               ",
                         "Tu ne peux pas emporter cer objet", BoxStyle{BoxButtons::Ok, BoxIcon::Warning});
}

void showChestTutorial() {
    platform::messageBox(
        gs.mainWindow,
        "Les coffres peuvent contenir de l'or, une potion, un elixir... ou rien du tout!\n\n"
        "N'espère pas y trouver 1000 pièces d'or d'un coup, mais avec un peu de chance "
        "tu en trouveras 10.\n\n"
        "Attention: un coffre ouvert ne peut plus être refermé.",
        "Tu viens de trouver un coffre:", BoxStyle{BoxButtons::Ok, BoxIcon::Info});
}

// A potion (or an elixir) found in the chest: taken when the bag holds up to
// ceiling, else left lying where the chest was.
std::string findFlask(int item, double ceiling, const char* found) {
    std::string text = found;
    if (gs.carriedWeight <= ceiling) gs.inventory[item] += 1;
    playSound("potion");
    if (gs.carriedWeight > ceiling) {
        text += "  Mais tu ne peut pas l'emporter";
        heroCell() = ITEM_TABLE[item].tile;
        gs.view[gs.heroRow][gs.heroCol] = ITEM_TABLE[item].tile;
        drawScene();  // so the flask is seen lying there
    }
    return text;
}

}  // namespace

void pickUpItem() {
    const int item = itemOfTile(heroCell());
    if (item == 0) return;
    computeCarriedWeight();
    const bool fits = gs.carriedWeight <= PICKUP_CEILING[item];
    if (item == ITEM_SHIELD || item >= ITEM_FIRST_KEY) {
        if (!fits) return;  // left where it lies, without a word
        heroCell() = 'a';
        gs.inventory[item] = 1;
        if (item == ITEM_SHIELD) {
            gs.shield = gs.shieldMax;
            playSound("ramasse");
        } else {
            playSound("clé");
        }
        return;
    }
    if (!fits) {
        refusePickUp();
        return;
    }
    playSound("ramasse");
    heroCell() = 'a';
    gs.inventory[item] += 1;
    if (item == ITEM_POTION || item == ITEM_ELIXIR) playSound("potion");
}

void openChest() {
    if (gs.tutoChest == 0) {
        gs.tutoChest = 1;
        showChestTutorial();
    }
    heroCell() = CHEST_OPEN;
    gs.view[gs.heroRow][gs.heroCol] = CHEST_OPEN;
    drawScene();

    const int k = gameRand() % 14 - 3;
    computeCarriedWeight();
    std::string text;
    if (k <= -2) {
        text = findFlask(ITEM_POTION, 14.9, "Tu as trouvé une potion!!!");
    } else if (k == -1) {
        text = findFlask(ITEM_ELIXIR, 14.95, "Tu as trouvé un elixir!!!");
    } else {
        if (k != 0) playSound("tresor");
        gs.inventory[GOLD] += k;
        computeCarriedWeight();
        // The coins beyond the limit are lost, a gram each.
        if (gs.carriedWeight > 15.0)
            gs.inventory[GOLD] = static_cast<int>(gs.inventory[GOLD] - (gs.carriedWeight - 15.0) * 1000);
        text = k == 0 ? "Ce coffre était vide..." : "Tu as trouvé " + std::to_string(k) + " pieces d'or!!!";
    }
    platform::messageBox(nullptr, text, "Coffre ouvert...");
}

bool useKey(int keyIndex) {
    if (keyIndex < ITEM_FIRST_KEY || keyIndex > ITEM_FIRST_KEY + 5 || gs.inventory[keyIndex] != 1) return false;
    const int row = gs.viewTop + gs.heroRow;
    const int col = gs.viewLeft + gs.heroCol + gs.heroFacing;
    const char door = static_cast<char>('1' + keyIndex - ITEM_FIRST_KEY);
    // Beyond the castle's edge there is no door to open.
    if (col < 0 || col >= GRID_COLS || gs.LevelGrid[row][col] != door) {
        playSound("utilclé");
        return false;
    }
    gs.LevelGrid[row][col] = DOOR_OPEN;
    playSound("porteouverte");
    refreshView();
    drawScene();
    const int heroGridCol = gs.viewLeft + gs.heroCol;
    if (keyIndex == KEY_BLUE && row == 18 && heroGridCol == 11) {
        // The hero keeps his cell; the view shifts to show what lies beyond.
        gs.viewLeft = 1;
        gs.heroCol = 10;
        refreshView();
        drawScene();
    }
    if (keyIndex == KEY_ORANGE && heroGridCol >= 29 && heroGridCol <= 32) freeTroubadours();
    return true;
}

void actOnTile() {
    const char tile = gs.view[gs.heroRow][gs.heroCol];
    if (itemOfTile(tile) != 0) {
        pickUpItem();
    } else if (tile == CHEST_CLOSED) {
        openChest();
    } else if (tile == SHOP_TILE) {
        openShop();
    } else if (tile == TROUBADOUR_TILE) {
        talkToTroubadour(positionKey());
    }
    refreshView();
    drawScene();
    refreshStatusBands();
}
