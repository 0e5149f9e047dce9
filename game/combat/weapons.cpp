#include "combat/weapons.h"

#include "combat/fight.h"
#include "resources/dlg_fight.h"
#include "state.h"

const WeaponInfo WEAPON_TABLE[WEAPON_COUNT + 1] = {
    {"", "", "Erreur", 0, 1, 0, 0},
    {"Epée courte", "**** ******", "Epée Courte", 1, 7, 20, 5},
    {"Hallebarde", "**********", "Hallebarde", 5, 7, 20, 6},
    {"Masse d'arme", "***** * ****", "Masse d'arme", 18, 4, 50, 8},
    {"Epeé noire maudite", "**** **** ******", "Epée Noire", 30, 7, 24, 12},
    {"Marteau enchanté", "******* ********", "Marteau Enchanté", 40, 6, 60, 15},
    {"Hache maléfique", "***** *********", "Hache Malefique", 70, 2, 30, 30},
};

const char* weaponLabel(int weapon) {
    return weapon >= 1 && weapon <= WEAPON_COUNT ? WEAPON_TABLE[weapon].fightLabel : "Erreur";
}

namespace {

bool ownsAWeapon() {
    for (int w = 1; w <= WEAPON_COUNT; ++w)
        if (gs.inventory[w] >= 1) return true;
    return false;
}

}  // namespace

long weaponChoiceDialogProc(platform::Window dlg, platform::Msg msg, long a, long) {
    if (msg == platform::Msg::InitDialog) {
        platform::comboSetDroppedSize(dlg, IDC_WEAPON_LIST, 175, 300);
        for (int w = 1; w <= WEAPON_COUNT; ++w)
            platform::comboAdd(dlg, IDC_WEAPON_LIST,
                               gs.inventory[w] != 0 ? WEAPON_TABLE[w].name : WEAPON_TABLE[w].mask);
        // The best weapon owned comes first to hand.
        gs.currentWeapon = 0;
        for (int w = WEAPON_COUNT; w >= 1 && gs.currentWeapon == 0; --w)
            if (gs.inventory[w] >= 1) gs.currentWeapon = w;
        platform::comboSelect(dlg, IDC_WEAPON_LIST, gs.currentWeapon - 1);
        return 1;
    }
    if (msg != platform::Msg::Command || a != IDC_WEAPON_OK) return 0;
    const int s = platform::comboSelection(dlg, IDC_WEAPON_LIST);
    if (s < 0 || gs.inventory[s + 1] < 1) {
        platform::messageBox(dlg, "Tu ne possède pas cette arme...", "Erreur:");
        // With no weapon at all there is nothing to choose: the list closes
        // empty-handed rather than hold the player forever.
        if (!ownsAWeapon()) {
            gs.currentWeapon = 0;
            platform::endDialog(dlg, 0);
        }
        return 1;
    }
    gs.currentWeapon = s + 1;
    platform::endDialog(dlg, 0);
    return 1;
}

void chooseWeapon(platform::Window owner) {
    platform::dialogBox(weaponChoiceDialog(), owner, weaponChoiceDialogProc);
}

void changeWeapon(platform::Window fightDlg, int labelId, int tickMs) {
    platform::killTimer(fightDlg, FIGHT_TIMER);
    chooseWeapon(fightDlg);
    platform::setItemText(fightDlg, labelId, weaponLabel(gs.currentWeapon));
    platform::setTimer(fightDlg, FIGHT_TIMER, tickMs);
}
