// The fight dialogs: a guard, ghoul or evil knight (IDD 111), the weapon choice
// (IDD 112) and the fight against the Black Mage (IDD 123).
#pragma once

#include "platform/platform.h"

constexpr int IDD_FIGHT = 111;
constexpr int IDD_WEAPON_CHOICE = 112;
constexpr int IDD_BOSS_FIGHT = 123;

// IDD 111
constexpr int IDC_FIGHT_MOVE1 = 1032;  // the answer buttons, left to right
constexpr int IDC_FIGHT_MOVE2 = 1033;
constexpr int IDC_FIGHT_MOVE3 = 1034;
constexpr int IDC_FIGHT_ENEMY_NAME = 1035;
constexpr int IDC_FIGHT_ENEMY_LIFE = 1036;
constexpr int IDC_FIGHT_LIFE = 1037;
constexpr int IDC_FIGHT_HERO_RESULT = 1038;
constexpr int IDC_FIGHT_ENEMY_RESULT = 1039;
constexpr int IDC_FIGHT_CHANGE_WEAPON = 1040;
constexpr int IDC_FIGHT_ELIXIR = 1042;
constexpr int IDC_FIGHT_SHIELD = 1043;
constexpr int IDC_FIGHT_WEAPON = 1044;
constexpr int IDC_FIGHT_WARNING = 1045;
constexpr int IDC_FIGHT_ELIXIRS_LEFT = 1046;

// IDD 112
constexpr int IDC_WEAPON_LIST = 1054;
constexpr int IDC_WEAPON_OK = 1;

// IDD 123
constexpr int IDC_BOSS_MAGE_LIFE = 1074;
constexpr int IDC_BOSS_LIFE = 1037;
constexpr int IDC_BOSS_SHIELD = 1079;
constexpr int IDC_BOSS_MOVE1 = 1075;  // the answer buttons, top to bottom
constexpr int IDC_BOSS_MOVE2 = 1076;
constexpr int IDC_BOSS_MOVE3 = 1039;
constexpr int IDC_BOSS_MOVE4 = 1040;
constexpr int IDC_BOSS_MOVE5 = 1041;
constexpr int IDC_BOSS_WEAPON = 1044;
constexpr int IDC_BOSS_POTION = 1077;
constexpr int IDC_BOSS_ELIXIR = 1078;
constexpr int IDC_BOSS_MAGE_RESULT = 1080;
constexpr int IDC_BOSS_HERO_RESULT = 1042;
constexpr int IDC_BOSS_POTIONS_LEFT = 1043;
constexpr int IDC_BOSS_ELIXIRS_LEFT = 1045;
constexpr int IDC_BOSS_WARNING = 1046;

const platform::DialogDef& fightDialog();
const platform::DialogDef& weaponChoiceDialog();
const platform::DialogDef& bossDialog();
