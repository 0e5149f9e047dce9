#include "combat/boss.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "combat/bars.h"
#include "combat/fight.h"
#include "combat/weapons.h"
#include "hero/death.h"
#include "items/weight.h"
#include "resources/dlg_fight.h"
#include "shell/random.h"
#include "sound/sound.h"
#include "state.h"

using platform::Msg;
using platform::Window;

namespace {

constexpr const char* OPENING_SPEECH =
    "Ainsi, misérable chevalier, tu as vaincu tous mes gardes et tu as franchi mon "
    "bouclier de lave...\n\n"
    "Mais tu n'as encore rien vu de mes pouvoirs ! Ici, dans ma tour, tu vas apprendre "
    "le vrai sens du mot souffrance.\n\n"
    "PREPARE TOI A MOURIR !!!!!!";
constexpr const char* FIRST_SPEECH =
    "Ha ! Ha ! Ha ! C'est donc tout ce que tu sais faire ? Tes coups me chatouillent à "
    "peine, pauvre fou...\n\n"
    "Assez joué : l'heure est venue d'en finir avec toi !";
constexpr const char* SPELL =
    "hhhaarstoumichtroumastouvidurstimashhhh.......\nHA!HA!HA!HA!HA!HA!\nAlors ca tu ne "
    "t'y attendais pas miserable!!\nregarde dont ma vie!!";
constexpr const char* THIRD_SPEECH = "Non ce n'est pas possible, tu ne peu me battre...";
constexpr const char* DEATH_SPEECH =
    "Non tu ne peut PAS...\nNon ce n'est pas possible...\nMes pouvoirs s'ecroulent...\n"
    "AAARRRGGGGHHHHHHHHHHHHHH...\n";

constexpr int MOVE_BUTTONS[5] = {IDC_BOSS_MOVE1, IDC_BOSS_MOVE2, IDC_BOSS_MOVE3, IDC_BOSS_MOVE4,
                                 IDC_BOSS_MOVE5};

enum class Outcome { Open, Won, Died };
Outcome outcome = Outcome::Open;

std::string format(const char* pattern, int value) {
    char text[128];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

void drawBossBars(Window dlg) {
    const int fs = bossDialog().fontSize;
    drawDialogBar(dlg, fs, 165, 60, gs.maxLife, gs.life, 200 - gs.life, gs.life + 55, 0);
    drawDialogBar(dlg, fs, 600, 60, gs.shieldMax, gs.shield, 200 - 4 * gs.shield,
                  4 * gs.shield + 55, 0);
    // From red at full life to green at none.
    drawDialogBar(dlg, fs, 165, 25, gs.enemyMaxLife / 2, gs.enemyLife / 2,
                  gs.enemyLife * 255 / MAGE_LIFE, (MAGE_LIFE - gs.enemyLife) * 255 / MAGE_LIFE, 0);
}

void showSupplies(Window dlg) {
    platform::setItemText(dlg, IDC_BOSS_ELIXIRS_LEFT, format("Il vous reste %d Elixirs", gs.inventory[ITEM_ELIXIR]));
    platform::setItemText(dlg, IDC_BOSS_POTIONS_LEFT, format("Il vous reste %d Potions", gs.inventory[ITEM_POTION]));
}

void showFigures(Window dlg) {
    platform::setItemText(dlg, IDC_BOSS_MAGE_LIFE, format("Vie du Mage:%d", gs.enemyLife));
    platform::setItemText(dlg, IDC_BOSS_LIFE, format("Votre vie:%d", gs.life));
    platform::setItemText(dlg, IDC_BOSS_SHIELD, format("votre bouclier:%d", gs.shield));
    showSupplies(dlg);
}

void moveSign(Window dlg) {
    gs.enemyMove = gameRand() % 5 + 1;
    for (int id : MOVE_BUTTONS) platform::setItemText(dlg, id, " ");
    platform::setItemText(dlg, MOVE_BUTTONS[gs.enemyMove - 1], "/|\\");
}

// A box of the Mage while the fight runs: he does not strike meanwhile.
void speech(Window dlg, const char* caption, const char* text) {
    platform::killTimer(dlg, FIGHT_TIMER);
    platform::messageBox(dlg, text, caption);
    platform::setTimer(dlg, FIGHT_TIMER, BOSS_TICK_MS);
}

void opening(Window dlg) {
    selectMusic(MUSIC_FIGHT);
    platform::messageBox(dlg, OPENING_SPEECH, "Le mage noir vous parle:");
    gs.maxLife = gs.resistance + 100;
    gs.bossPhase = 0;
    gs.enemyLife = MAGE_LIFE;
    gs.enemyMaxLife = MAGE_LIFE;
    gs.enemyDamageBase = 15;
    gs.enemyMissChance = 20;
    gs.enemyKind = ENEMY_MAGE;
    gs.enemyLootTile = 'a';  // he vanishes, leaving his cell empty
    chooseWeapon(dlg);
    if (gs.currentWeapon == 0) {
        // Unarmed: nothing to fight with, the fight ends as if closed.
        platform::endDialog(dlg, 2);
        return;
    }
    showFigures(dlg);
    platform::setItemText(dlg, IDC_BOSS_WEAPON, weaponLabel(gs.currentWeapon));
    moveSign(dlg);
    if (gs.life <= BOSS_LOW_LIFE) platform::setItemText(dlg, IDC_BOSS_WARNING, LOW_LIFE_WARNING);
    platform::setTimer(dlg, FIGHT_TIMER, BOSS_TICK_MS);
}

void mageBlow(Window dlg) {
    int d = gameRand() % 55 + 15;
    if (gameRand() % 100 <= gs.enemyMissChance) {
        d = 0;
    } else {
        gs.shield -= d;
        if (gs.shield < 0) {
            gs.life += gs.shield;
            gs.shield = 0;
            gs.inventory[ITEM_SHIELD] = 0;
        }
    }
    platform::setItemText(dlg, IDC_BOSS_MAGE_RESULT,
                          d == 0 ? std::string("le mage vous a raté!") : format("Vous perdez %d points de vie.", d));
    platform::setItemText(dlg, IDC_BOSS_LIFE, format("Votre vie:%d", gs.life));
    platform::setItemText(dlg, IDC_BOSS_SHIELD, format("votre bouclier:%d", gs.shield));
    platform::setItemText(dlg, IDC_BOSS_WARNING, " ");
    showSupplies(dlg);
    if (gs.life <= BOSS_LOW_LIFE) platform::setItemText(dlg, IDC_BOSS_WARNING, LOW_LIFE_WARNING);
    if (gs.life < 1) {
        gs.life = 0;
        outcome = Outcome::Died;
        platform::endDialog(dlg, 0);
        platform::killTimer(dlg, FIGHT_TIMER);
        return;
    }
    drawBossBars(dlg);
}

void answer(Window dlg, int move) {
    if (move != gs.enemyMove) return;
    heroBlow();
    if (gs.enemyLife <= MAGE_FIRST_SPEECH && gs.bossPhase == 0) {
        speech(dlg, "Le Mage Noir vous parle:", FIRST_SPEECH);
        gs.bossPhase = 1;
    }
    if (gs.enemyLife <= MAGE_SPELL && gs.bossPhase == 1) {
        speech(dlg, "Le Mage noir lance un sort!!!", SPELL);
        gs.enemyLife = MAGE_LIFE;  // his life is full again
        gs.bossPhase = 2;
    }
    if (gs.enemyLife <= MAGE_SPELL && gs.bossPhase == 2) {
        speech(dlg, "Le Mage Noir vous parle:", THIRD_SPEECH);
        gs.bossPhase = 3;
    }
    platform::setItemText(dlg, IDC_BOSS_HERO_RESULT, heroBlowMessage());
    showFigures(dlg);
    moveSign(dlg);
    if (gs.enemyLife < 1) {
        outcome = Outcome::Won;
        platform::endDialog(dlg, 0);
        platform::killTimer(dlg, FIGHT_TIMER);
        platform::messageBox(dlg, DEATH_SPEECH, "Le Mage Noir agonise...");
        return;
    }
    drawBossBars(dlg);
}

// A potion or an elixir, up to maxLife; the life figure follows at the next blow.
// Life already above maxLife (elixirs of an earlier fight) is not cut back.
void drink(Window dlg, int item, int points, const char* message) {
    if (gs.inventory[item] < 1) return;
    gs.life = std::max(gs.life, std::min(gs.life + points, gs.maxLife));
    gs.inventory[item] -= 1;
    platform::setItemText(dlg, IDC_BOSS_HERO_RESULT, message);
    showSupplies(dlg);
    drawBossBars(dlg);
}

}  // namespace

long bossFightDialogProc(Window dlg, Msg msg, long a, long) {
    if (outcome != Outcome::Open && msg != Msg::InitDialog) return 0;
    switch (msg) {
        case Msg::InitDialog: opening(dlg); return 1;
        case Msg::Timer:
            if (a == FIGHT_TIMER) mageBlow(dlg);
            return 0;
        case Msg::Paint: drawBossBars(dlg); return 0;
        case Msg::Command:
            for (int i = 0; i < 5; ++i)
                if (a == MOVE_BUTTONS[i]) answer(dlg, i + 1);
            if (a == IDC_BOSS_POTION) drink(dlg, ITEM_POTION, 20, "Vous utilisez une potion!! (+20 PV)");
            if (a == IDC_BOSS_ELIXIR) drink(dlg, ITEM_ELIXIR, 13, "Vous utilisez un elixir!! (+13 PV)");
            if (a == IDC_BOSS_WEAPON) changeWeapon(dlg, IDC_BOSS_WEAPON, BOSS_TICK_MS);
            if (a == 2) platform::endDialog(dlg, 2);  // the Mage waits on his cell
            return 1;
        default: return 0;
    }
}

void openBossFight() {
    outcome = Outcome::Open;
    platform::dialogBox(bossDialog(), gs.mainWindow, bossFightDialogProc);
    const Outcome how = outcome;
    outcome = Outcome::Open;
    if (how == Outcome::Died) {
        heroDies();
    } else if (how == Outcome::Won) {
        winFight();
        if (gs.customLevel == 0) mageDefeated();
    }
}
