#include "resources/dlg_fight.h"

using platform::Align;
using platform::Ctl;

// The labels stand left of the fields they name, on the same rows; the bars
// the game draws lie between the rows (enemy and hero life) and right of the
// shield field.
const platform::DialogDef& fightDialog() {
    static const platform::DialogDef dlg = {
        IDD_FIGHT,
        "La malediction de quelmar : Combat",
        249,
        285,
        "MS Shell Dlg",
        8,
        true,
        true,
        {
            {Ctl::Label, -1, "Vous combattez", 4, 14, 53, 8},
            {Ctl::ReadOnlyEdit, IDC_FIGHT_ENEMY_NAME, "", 58, 12, 114, 12},
            {Ctl::Label, -1, "Points de vie de l'ennemi:", 7, 34, 83, 8},
            {Ctl::ReadOnlyEdit, IDC_FIGHT_ENEMY_LIFE, "", 91, 32, 78, 12},
            {Ctl::Label, -1, "Votre vie:", 7, 64, 35, 8},
            {Ctl::ReadOnlyEdit, IDC_FIGHT_LIFE, "", 43, 62, 199, 12},
            {Ctl::Label, -1, "Votre arme:", 7, 92, 39, 8},
            {Ctl::ReadOnlyEdit, IDC_FIGHT_WEAPON, "", 47, 90, 195, 12},
            {Ctl::Label, -1, "Bouclier:", 7, 111, 29, 8},
            {Ctl::ReadOnlyEdit, IDC_FIGHT_SHIELD, "", 37, 108, 59, 14},
            {Ctl::GroupBox, -1, "", 7, 126, 235, 54},
            {Ctl::ReadOnlyEdit, IDC_FIGHT_HERO_RESULT, "", 8, 138, 226, 12},
            {Ctl::ReadOnlyEdit, IDC_FIGHT_ENEMY_RESULT, "", 9, 161, 226, 12},
            {Ctl::PushButton, IDC_FIGHT_MOVE1, " ", 56, 183, 45, 33},
            {Ctl::PushButton, IDC_FIGHT_MOVE2, " ", 102, 183, 45, 33},
            {Ctl::PushButton, IDC_FIGHT_MOVE3, " ", 148, 183, 45, 33},
            {Ctl::ReadOnlyEdit, IDC_FIGHT_WARNING, "", 7, 220, 235, 12, Align::Center},
            {Ctl::ReadOnlyEdit, IDC_FIGHT_ELIXIRS_LEFT, "", 7, 234, 235, 12, Align::Center},
            {Ctl::PushButton, IDC_FIGHT_CHANGE_WEAPON, "Changer d'arme", 7, 254, 72, 24},
            {Ctl::PushButton, IDC_FIGHT_ELIXIR, "Utiliser Elixir", 90, 254, 152, 24},
        },
    };
    return dlg;
}

// No title bar: the list is left only through "OK".
const platform::DialogDef& weaponChoiceDialog() {
    static const platform::DialogDef dlg = {
        IDD_WEAPON_CHOICE,
        "",
        186,
        46,
        "MS Shell Dlg",
        8,
        false,
        false,
        {
            {Ctl::Label, -1, "Selectionez votre arme...", 7, 7, 120, 8},
            {Ctl::ComboBox, IDC_WEAPON_LIST, "", 7, 21, 120, 90},
            {Ctl::DefPushButton, IDC_WEAPON_OK, "OK", 135, 20, 44, 14},
        },
    };
    return dlg;
}

const platform::DialogDef& bossDialog() {
    static const platform::DialogDef dlg = {
        IDD_BOSS_FIGHT,
        "Combat contre LE MAGE NOIR DE QUELMAR",
        390,
        191,
        "Tahoma",
        11,
        true,
        true,
        {
            {Ctl::ReadOnlyEdit, IDC_BOSS_MAGE_LIFE, "", 7, 7, 67, 12, Align::Right},
            {Ctl::ReadOnlyEdit, IDC_BOSS_LIFE, "", 7, 26, 67, 12, Align::Right},
            {Ctl::ReadOnlyEdit, IDC_BOSS_SHIELD, "", 228, 24, 72, 12},
            {Ctl::GroupBox, -1, "", 6, 48, 232, 139},
            {Ctl::GroupBox, -1, "", 246, 48, 138, 139},
            {Ctl::PushButton, IDC_BOSS_MOVE1, " ", 257, 60, 120, 22},
            {Ctl::PushButton, IDC_BOSS_MOVE2, " ", 257, 84, 120, 22},
            {Ctl::PushButton, IDC_BOSS_MOVE3, " ", 257, 108, 120, 22},
            {Ctl::PushButton, IDC_BOSS_MOVE4, " ", 257, 132, 120, 22},
            {Ctl::PushButton, IDC_BOSS_MOVE5, " ", 257, 156, 120, 22},
            {Ctl::PushButton, IDC_BOSS_WEAPON, "Changer Arme...", 18, 60, 68, 48},
            {Ctl::PushButton, IDC_BOSS_POTION, "Utiliser Potion ", 18, 114, 69, 30},
            {Ctl::PushButton, IDC_BOSS_ELIXIR, "Utiliser Elixir ", 18, 150, 69, 30},
            {Ctl::ReadOnlyEdit, IDC_BOSS_MAGE_RESULT, "", 90, 66, 132, 12},
            {Ctl::ReadOnlyEdit, IDC_BOSS_HERO_RESULT, "", 90, 90, 132, 12},
            {Ctl::ReadOnlyEdit, IDC_BOSS_POTIONS_LEFT, "", 90, 120, 132, 12},
            {Ctl::ReadOnlyEdit, IDC_BOSS_ELIXIRS_LEFT, "", 90, 156, 132, 12},
            {Ctl::ReadOnlyEdit, IDC_BOSS_WARNING, "", 102, 174, 132, 12},
        },
    };
    return dlg;
}
