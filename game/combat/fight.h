// The fight dialogs: a guard, ghoul or evil knight (IDD 111), the Black Mage (IDD 123).
#pragma once

constexpr int IDD_FIGHT = 111;
constexpr int IDD_BOSS_FIGHT = 123;

// Opens the fight against gs.enemyKind and returns when the dialog has closed.
void openFight();
// Opens the fight against the Black Mage and returns when it has closed.
void openBossFight();
