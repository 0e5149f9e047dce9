// The six weapons and the weapon choice dialog (IDD 112).
#pragma once

#include "platform/platform.h"

constexpr int WEAPON_COUNT = 6;

struct WeaponInfo {
    const char* name;        // in the weapon choice
    const char* mask;        // in the weapon choice when not owned
    const char* fightLabel;  // in the fights
    int baseDamage, damageDivisor, hitChance, strengthBonus;
};
// Indexed by weapon number (its inventory index); entry 0 is no weapon.
extern const WeaponInfo WEAPON_TABLE[WEAPON_COUNT + 1];

// The fight label of a weapon number, "Erreur" outside 1..6.
const char* weaponLabel(int weapon);

long weaponChoiceDialogProc(platform::Window dlg, platform::Msg msg, long a, long b);
// Opens the weapon choice over owner; on return currentWeapon holds an owned
// weapon, or 0 when the hero owns none.
void chooseWeapon(platform::Window owner);
// "Changer d'arme" of a fight: the enemy's timer stops while the choice is
// open, the weapon's label shows the choice, and the enemy gets a full period
// after it.
void changeWeapon(platform::Window fightDlg, int labelId, int tickMs);
