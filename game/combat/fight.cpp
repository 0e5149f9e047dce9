#include "combat/fight.h"

#include <cstdio>

#include "combat/bars.h"
#include "combat/skills.h"
#include "combat/weapons.h"
#include "hero/death.h"
#include "hero/movement.h"
#include "items/weight.h"
#include "resources/dlg_fight.h"
#include "shell/random.h"
#include "sound/sound.h"
#include "state.h"
#include "world/scene.h"

using platform::BoxIcon;
using platform::BoxStyle;
using platform::Msg;
using platform::Window;

const EnemyInfo ENEMY_TABLE[ENEMY_KINDS + 1] = {
    {},
    {'g', "un garde.", 40, 30, 0, 10, 1, 'b', true, true, "Tu combats un garde:",
     "Les gardes du château ne sont pas très dangereux.\n\n"
     "Dégâts : de 1 à 20\nPrécision : 90 %\nVie : de 40 à 70\n\n"
     "Un bon entraînement pour ton bras !"},
    {'k', "une goule du désespoir.", 70, 30, 17, 15, 3, 'a', false, false,
     "Tu combats une goule du desespoir!",
     "Les goules du désespoir servent le Mage Noir et savent jeter des sorts. "
     "Quand elles meurent, elles disparaissent sans laisser de trace.\n\n"
     "Vie : de 70 à 100\nPrécision : 85 %\nDégâts : de 17 à 37\n\n"
     "Si tu le peux, évite-les !"},
    {'i', "un Chevalier du mal.", 105, 40, 30, 20, 5, '7', true, true,
     "Attention au chevalier du mal!!!",
     "Les chevaliers du mal portent des épées noires maudites et des armures "
     "forgées dans les forges du volcan.\n\n"
     "Dégâts : de 30 à 50\nVie : de 85 à 115\nIls ratent rarement leur coup.\n\n"
     "Achète un marteau enchanté avant de les affronter !"},
};

const std::string LOW_LIFE_WARNING(61, '!');

namespace {

constexpr const char* FIRST_FIGHT_TUTORIAL =
    "Voici ton premier combat !\n\n"
    "Clique le plus vite possible sur le bouton placé sous le rectangle qui affiche "
    "\"  /|\\  \". Chaque clic sur le bon bouton blesse l'ennemi ; un clic sur un "
    "autre bouton ne te fait perdre que du temps.\n\n"
    "Les dégâts dépendent de ton arme :\n"
    "Épée courte : 1-15\nHallebarde : 5-20\nMasse d'arme : 18-38\n"
    "Épée noire maudite : 35-50\nMarteau enchanté : 50-70\nHache maléfique : 60-120\n\n"
    "Mais l'ennemi frappe lui aussi ! Surveille ta vie et ton bouclier. Quand ta vie "
    "passe sous 25, un signal de points d'exclamation apparaît : bois alors un élixir, "
    "ou termine le combat au plus vite.";

constexpr int MOVE_BUTTONS[3] = {IDC_FIGHT_MOVE1, IDC_FIGHT_MOVE2, IDC_FIGHT_MOVE3};

// How the running fight ended; what follows runs once the dialog is gone.
enum class Outcome { Open, Won, Died };
Outcome outcome = Outcome::Open;

const EnemyInfo& enemy() { return ENEMY_TABLE[gs.enemyKind]; }

std::string format(const char* pattern, int value) {
    char text[128];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

void drawFightBars(Window dlg) {
    const int fs = fightDialog().fontSize;
    drawDialogBar(dlg, fs, 15, 78, gs.maxLife, gs.life, 200 - gs.life, gs.life + 55, 0);
    drawDialogBar(dlg, fs, 170, 180, gs.shieldMax, gs.shield, 200 - 4 * gs.shield,
                  4 * gs.shield + 55, 0);
    drawDialogBar(dlg, fs, 15, 40, gs.enemyMaxLife, gs.enemyLife, gs.enemyLife + 100,
                  200 - gs.enemyLife, 0);
}

// Moves the sign "/|\" to a button drawn now.
void moveSign(Window dlg) {
    gs.enemyMove = gameRand() % 3 + 1;
    for (int id : MOVE_BUTTONS) platform::setItemText(dlg, id, " ");
    platform::setItemText(dlg, MOVE_BUTTONS[gs.enemyMove - 1], "/|\\");
}

// Ends the fight dialog for good: no blow may fall after this.
void endFight(Window dlg, Outcome how) {
    outcome = how;
    platform::endDialog(dlg, 0);
    platform::killTimer(dlg, FIGHT_TIMER);
}

void enemyBlow(Window dlg) {
    const std::string sound = swordSound();
    if (enemy().heard) playSound(sound);
    int d = gameRand() % 20 + gs.enemyDamageBase;
    if (gameRand() % 100 <= gs.enemyMissChance) {
        d = 0;
    } else {
        // The shield takes the blow first; the item breaks only below 0.
        gs.shield -= d;
        if (gs.shield < 0) {
            gs.life += gs.shield;
            gs.shield = 0;
            gs.inventory[ITEM_SHIELD] = 0;
        }
    }
    platform::setItemText(dlg, IDC_FIGHT_ENEMY_RESULT,
                          d == 0 ? std::string("L'ennemi a raté son coup!")
                                 : format("Vous perdez %d points de vie.", d));
    platform::setItemInt(dlg, IDC_FIGHT_LIFE, gs.life);
    platform::setItemInt(dlg, IDC_FIGHT_SHIELD, gs.shield);
    platform::setItemText(dlg, IDC_FIGHT_WARNING, " ");
    if (gs.life <= 25) platform::setItemText(dlg, IDC_FIGHT_WARNING, LOW_LIFE_WARNING);
    if (gs.life < 1) {
        gs.life = 0;
        endFight(dlg, Outcome::Died);
        return;
    }
    drawFightBars(dlg);
}

void showElixirsLeft(Window dlg) {
    if (gs.inventory[ITEM_ELIXIR] != 0)
        platform::setItemText(dlg, IDC_FIGHT_ELIXIRS_LEFT,
                              format("encore %d elixirs...", gs.inventory[ITEM_ELIXIR]));
}

void openingSteps(Window dlg) {
    selectMusic(MUSIC_FIGHT);
    if (gs.tutoFirstFight == 0) {
        gs.tutoFirstFight = 1;
        platform::messageBox(gs.mainWindow, FIRST_FIGHT_TUTORIAL, "Tutoriel", BoxStyle{.icon = BoxIcon::Info});
    }
    if (gs.enemyKind != ENEMY_GHOUL) {
        const int i = gameRand() % 10;
        platform::messageBox(gs.mainWindow, gs.enemyTaunts[i], "Vous allez vous battre:");
    }
    chooseWeapon(dlg);

    const EnemyInfo& e = enemy();
    gs.enemyLife = gameRand() % e.lifeSpread + e.lifeBase;
    gs.enemyDamageBase = e.damageBase;
    gs.bonusPoints = e.bonusPoints;
    gs.enemyMissChance = e.missChance;
    gs.enemyLootTile = e.lootTile;
    int* seen[ENEMY_KINDS + 1] = {nullptr, &gs.tutoGuard, &gs.tutoGhoul, &gs.tutoKnight};
    if (*seen[gs.enemyKind] == 0) {
        *seen[gs.enemyKind] = 1;
        platform::messageBox(gs.mainWindow, e.tutoText, e.tutoCaption, BoxStyle{.icon = BoxIcon::Info});
    }

    platform::setItemText(dlg, IDC_FIGHT_ENEMY_NAME, e.name);
    platform::setItemInt(dlg, IDC_FIGHT_LIFE, gs.life);
    platform::setItemInt(dlg, IDC_FIGHT_ENEMY_LIFE, gs.enemyLife);
    platform::setItemInt(dlg, IDC_FIGHT_SHIELD, gs.shield);
    platform::setItemText(dlg, IDC_FIGHT_WEAPON, weaponLabel(gs.currentWeapon));
    showElixirsLeft(dlg);
    moveSign(dlg);
    gs.enemyMaxLife = gs.enemyLife;
    platform::setTimer(dlg, FIGHT_TIMER, FIGHT_TICK_MS);
    enemyBlow(dlg);  // the enemy strikes first
}

void answer(Window dlg, int move) {
    if (move != gs.enemyMove) return;  // a wrong button costs only time
    heroBlow();
    platform::setItemText(dlg, IDC_FIGHT_HERO_RESULT, heroBlowMessage());
    platform::setItemInt(dlg, IDC_FIGHT_LIFE, gs.life);
    platform::setItemInt(dlg, IDC_FIGHT_ENEMY_LIFE, gs.enemyLife);
    platform::setItemInt(dlg, IDC_FIGHT_SHIELD, gs.shield);
    moveSign(dlg);
    if (gs.enemyLife < 1) {
        endFight(dlg, Outcome::Won);
        return;
    }
    drawFightBars(dlg);
}

void drinkElixir(Window dlg) {
    if (gs.inventory[ITEM_ELIXIR] < 1) return;
    gs.life += 13;  // not held to maxLife inside a fight
    gs.inventory[ITEM_ELIXIR] -= 1;
    platform::setItemText(dlg, IDC_FIGHT_HERO_RESULT, "Vous utilisez un elixir!! (+13 PV)");
    platform::setItemText(dlg, IDC_FIGHT_ELIXIRS_LEFT, " ");
    showElixirsLeft(dlg);
    drawFightBars(dlg);
}

}  // namespace

long fightDialogProc(Window dlg, Msg msg, long a, long) {
    // Once ended, the dialog only waits to disappear.
    if (outcome != Outcome::Open && msg != Msg::InitDialog) return 0;
    switch (msg) {
        case Msg::InitDialog: openingSteps(dlg); return 1;
        case Msg::Timer:
            if (a == FIGHT_TIMER) enemyBlow(dlg);
            return 0;
        case Msg::Paint: drawFightBars(dlg); return 0;
        case Msg::Command:
            switch (a) {
                case IDC_FIGHT_MOVE1: answer(dlg, 1); break;
                case IDC_FIGHT_MOVE2: answer(dlg, 2); break;
                case IDC_FIGHT_MOVE3: answer(dlg, 3); break;
                case IDC_FIGHT_ELIXIR: drinkElixir(dlg); break;
                case IDC_FIGHT_CHANGE_WEAPON: changeWeapon(dlg, IDC_FIGHT_WEAPON, FIGHT_TICK_MS); break;
                case 2: platform::endDialog(dlg, 2); break;  // the enemy stays on its cell
                default: break;
            }
            return 1;
        default: return 0;
    }
}

void openFight() {
    outcome = Outcome::Open;
    platform::dialogBox(fightDialog(), gs.mainWindow, fightDialogProc);
    const Outcome how = outcome;
    outcome = Outcome::Open;
    if (how == Outcome::Won) winFight();
    else if (how == Outcome::Died) heroDies();
}

std::string swordSound() { return format("épée %d", gameRand() % 7); }

void heroBlow() {
    gs.strengthHit = 0;
    gs.precisionHit = 0;
    if (gs.currentWeapon >= 1 && gs.currentWeapon <= WEAPON_COUNT) {
        const WeaponInfo& w = WEAPON_TABLE[gs.currentWeapon];
        gs.weaponBaseDamage = w.baseDamage;
        gs.weaponDamageDivisor = w.damageDivisor;
        gs.weaponHitChance = w.hitChance;
        gs.weaponStrengthBonus = w.strengthBonus;
    } else {
        gs.weaponDamageDivisor = 1;
    }
    int d = (gameRand() % 100) / gs.weaponDamageDivisor + gs.weaponBaseDamage;
    if (gameRand() % 100 <= gs.weaponHitChance) {
        // A fumble, unless precision saves it.
        if (gameRand() % 100 > gs.precision) d = 0;
        else gs.precisionHit = 1;
    }
    // Drawn after the fumble: a missed blow may still carry the bonus.
    if (gameRand() % 100 < gs.strength) {
        d += gs.weaponStrengthBonus;
        gs.strengthHit = 1;
    }
    gs.lastDamage = d;
    gs.enemyLife -= d;
    playSound(swordSound());
}

std::string heroBlowMessage() {
    std::string text = gs.lastDamage == 0
                           ? std::string("Vous ratez votre coup!!")
                           : format("Vous attaquez et infligez %d points de degats!", gs.lastDamage);
    if (gs.strengthHit == 1) text += " (Force) ";
    if (gs.precisionHit == 1) text += " (Ratrapage) ";
    return text;
}

void winFight() {
    selectMusic(MUSIC_NORMAL);
    refreshStatusBands();
    playSound(gs.enemyKind == ENEMY_GHOUL ? "mortGoule" : "épée fin");
    gs.LevelGrid[gs.viewTop + gs.heroRow][gs.viewLeft + gs.heroCol] = gs.enemyLootTile;
    gs.view[gs.heroRow][gs.heroCol] = gs.enemyLootTile;

    const int reward = gameRand() % 50;
    gs.inventory[GOLD] += reward;
    computeCarriedWeight();
    if (gs.carriedWeight > MAX_CARRY_KG) {
        // Gold that does not fit stays on the floor (a piece weighs 0.001 kg).
        gs.inventory[GOLD] =
            static_cast<int>(gs.inventory[GOLD] - (gs.carriedWeight - 15.0) * 1000);
        computeCarriedWeight();
    }
    char text[256];
    std::snprintf(text, sizeof text,
                  "Felicitations: vous etes le vainqueur de ce combat.\n\nVous ramassez %d pieces "
                  "sur l'ennemi !\n et vous avez %d points bonus a rajouter a vos competances.",
                  reward, gs.bonusPoints);
    platform::messageBox(gs.mainWindow, text, "Vous venez de gagner le combat ! ! !");
    if (gs.enemyKind != ENEMY_MAGE) openSkillPoints();
    gs.maxLife = gs.resistance + 100;
    gs.shieldMax = gs.protection + 50;
    refreshStatusBands();
}
