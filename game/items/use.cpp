#include "items/use.h"

#include <algorithm>

#include "hero/interact.h"
#include "hero/movement.h"
#include "hero/troubadours.h"
#include "items/weight.h"
#include "shell/random.h"
#include "sound/sound.h"
#include "state.h"
#include "world/scene.h"

namespace {

using platform::Answer;
using platform::BoxButtons;
using platform::BoxIcon;
using platform::BoxStyle;

constexpr int ITEM_HARP = 7;
constexpr int LAST_WEAPON = 6;

// A weapon breaks dried lava or a flask lying there when gameRand() % N == 1.
constexpr int STRIKE_ODDS[LAST_WEAPON + 1] = {0, 9, 6, 5, 3, 2, 2};

constexpr int POTION_HEAL = 20;
constexpr int ELIXIR_HEAL = 13;

// The ItemIndex whose "Utiliser" button this is, 0 for none.
int itemOfButton(int controlId) {
    for (int i = ITEM_FIRST; i < ITEM_LAST; ++i)
        if (ITEM_TABLE[i].useId == controlId) return i;
    return 0;
}

// The cell in front of the hero (his own when he faces the player); beyond the
// castle's edge there is only wall.
char* frontCell() {
    const int row = gs.viewTop + gs.heroRow, col = gs.viewLeft + gs.heroCol + gs.heroFacing;
    return col >= 0 && col < GRID_COLS ? &gs.LevelGrid[row][col] : nullptr;
}

// Clears the cell in front in the grid and in the view.
void clearFront(char* cell) {
    *cell = 'a';
    refreshView();
}

void closeDialog(platform::Window dlg, int code) {
    if (dlg) platform::endDialog(dlg, code);
}

void strike(int weapon, platform::Window dlg) {
    char* cell = frontCell();
    const char tile = cell ? *cell : 's';
    const bool breaks = tile == '#' || tile == 'n' || tile == 'o';
    if (breaks) {
        const bool success = gameRand() % STRIKE_ODDS[weapon] == 1;
        if (tile == '#') {
            if (success) {
                clearFront(cell);
                playSound("potionbrise");  // the block shatters
            } else {
                playSound("épée mur");
            }
        } else if (success) {
            clearFront(cell);  // the flask is destroyed, silently
        }
        closeDialog(dlg, 0);
        drawScene();
    } else if (tile == 'd') {
        gs.inventory[weapon] -= 1;  // the weapon melts
        playSound("lave2");
        if (!dlg) refreshStatusBands();
    } else if (tile == 's') {
        playSound("épée mur");
    } else {
        playSound("slash");
    }
}

void playHarpItem(platform::Window dlg) {
    closeDialog(dlg, 0);
    const int row = gs.viewTop + gs.heroRow, col = gs.viewLeft + gs.heroCol;
    if (row == 18 && col >= 8 && col <= 11) {
        playHarp();
    } else {
        playSound("harpe");
    }
}

// A potion or an elixir: heals by `heal`, capped at maxLife, after a question
// when the hero's life is already high.
void drink(int item, int heal, const char* question, platform::Window dlg) {
    bool drinks = true;
    if (gs.life > gs.maxLife - heal) {
        drinks = platform::messageBox(dlg ? dlg : gs.mainWindow, question, "Etes vous sur?",
                                      BoxStyle{BoxButtons::YesNo, BoxIcon::Info, true}) == Answer::Yes;
    }
    if (drinks) {
        gs.life = std::min(gs.life + heal, gs.maxLife);
        gs.inventory[item] -= 1;
        playSound("potion");
    }
    if (!dlg) refreshStatusBands();
}

}  // namespace

void useItem(int controlId, platform::Window dlg) {
    const int item = itemOfButton(controlId);
    if (item == 0 || item == ITEM_SHIELD) return;
    if (item <= LAST_WEAPON) {
        if (gs.inventory[item] > 0) strike(item, dlg);
    } else if (item == ITEM_HARP) {
        if (gs.inventory[item] >= 1) playHarpItem(dlg);
    } else if (item == ITEM_POTION) {
        if (gs.inventory[item] > 0)
            drink(item, POTION_HEAL,
                  "votre santé est deja haute: cette potion la ramènerait à son maximum et une partie "
                  "de la potion serait gaspillée.\n\nSon utilisation n'est pas conseillée.\n\n"
                  "Voulez vous quand même l'utiliser?",
                  dlg);
    } else if (item == ITEM_ELIXIR) {
        if (gs.inventory[item] > 0)
            drink(item, ELIXIR_HEAL,
                  "votre santé est deja haute: cet elixir la ramènerait à son maximum et une partie "
                  "de l'elixir serait gaspillée.\n\nSon utilisation n'est pas conseillée.\n\n"
                  "Voulez vous quand même l'utiliser?",
                  dlg);
    } else {
        const bool opened = useKey(item);
        if (dlg && opened) platform::endDialog(dlg, controlId);
        if (!dlg && item == ITEM_LAST - 1) {  // the violet key repaints the whole window
            platform::invalidate(gs.mainWindow, nullptr, true);
            platform::updateWindow(gs.mainWindow);
        }
    }
}
