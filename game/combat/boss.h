// The fight against the Black Mage (IDD 123): five answer buttons, a blow every
// 750 ms, potions and elixirs, three speeches and the spell.
#pragma once

#include "platform/platform.h"

constexpr int BOSS_TICK_MS = 750;
constexpr int MAGE_LIFE = 1200;
constexpr int MAGE_FIRST_SPEECH = 800;  // enemyLife at or below which he speaks
constexpr int MAGE_SPELL = 400;         // ... casts his spell, then speaks again
constexpr int BOSS_LOW_LIFE = 60;       // the warning at this life or below

long bossFightDialogProc(platform::Window dlg, platform::Msg msg, long a, long b);
