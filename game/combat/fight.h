// The standard fight against a guard, a ghoul or an evil knight (IDD 111), the
// hero's blow and the victory, which the Black Mage's fight shares.
#pragma once

#include <string>

#include "platform/platform.h"

constexpr int FIGHT_TICK_MS = 1200;
constexpr int FIGHT_TIMER = 0;  // timer id of a fight dialog
constexpr int ENEMY_GUARD = 1, ENEMY_GHOUL = 2, ENEMY_KNIGHT = 3, ENEMY_MAGE = 10;
constexpr int ENEMY_KINDS = 3;

struct EnemyInfo {
    char tile;
    const char* name;            // after "Vous combattez"
    int lifeBase, lifeSpread;    // start life rand() % spread + base
    int damageBase;              // a blow is rand() % 20 + base
    int missChance;              // percent
    int bonusPoints;             // won by beating it
    char lootTile;               // left on its cell
    bool taunts;                 // a taunt before the fight
    bool heard;                  // its blows make a sound
    const char* tutoCaption;
    const char* tutoText;
};
// Indexed by enemyKind 1..3; entry 0 is none.
extern const EnemyInfo ENEMY_TABLE[ENEMY_KINDS + 1];

// The warning shown while life is low.
extern const std::string LOW_LIFE_WARNING;

// Opens the fight against gs.enemyKind and returns when it is over, after the
// victory or the death that ended it.
void openFight();
// Opens the fight against the Black Mage and returns when it is over.
void openBossFight();

long fightDialogProc(platform::Window dlg, platform::Msg msg, long a, long b);

// One blow of the hero with currentWeapon: lowers enemyLife, leaves lastDamage,
// strengthHit and precisionHit, plays a sword sound.
void heroBlow();
// "Vous ratez..." or "Vous attaquez..." for the last hero blow, with its marks.
std::string heroBlowMessage();
// The name of one of the seven sword sounds, drawn now.
std::string swordSound();
// The victory: music, loot, gold, message, skill points, new maxima.
void winFight();
