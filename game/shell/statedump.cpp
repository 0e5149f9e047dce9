#include "shell/statedump.h"

#include <cstdio>

#include "platform/files.h"
#include "state.h"

namespace {

void line(std::string& out, const char* name, const std::string& value) {
    out += name;
    out += '=';
    out += value;
    out += '\n';
}

// One-byte variables that hold a number (0 or 1) are shown as numbers; those
// that hold a tile code as the character.
std::string tileChar(char c) { return c ? platform::cp1252ToUtf8(std::string(1, c)) : std::string(); }

// Cells as text; a cell never filled (zero byte) shows as a blank.
std::string cells(const char* data, std::size_t n) {
    std::string bytes(data, n);
    for (char& c : bytes)
        if (c == 0) c = ' ';
    return platform::cp1252ToUtf8(bytes);
}

}  // namespace

std::string gameStateDump() {
    std::string out;
    line(out, "heroCol", std::to_string(gs.heroCol));
    line(out, "heroRow", std::to_string(gs.heroRow));
    line(out, "viewLeft", std::to_string(gs.viewLeft));
    line(out, "viewTop", std::to_string(gs.viewTop));
    line(out, "heroFacing", std::to_string(gs.heroFacing));
    line(out, "heroSideFacing", std::to_string(gs.heroSideFacing));
    line(out, "savedViewLeft", std::to_string(gs.savedViewLeft));
    line(out, "savedViewTop", std::to_string(gs.savedViewTop));
    line(out, "life", std::to_string(gs.life));
    line(out, "maxLife", std::to_string(gs.maxLife));
    line(out, "shield", std::to_string(gs.shield));
    line(out, "shieldMax", std::to_string(gs.shieldMax));
    line(out, "strength", std::to_string(gs.strength));
    line(out, "precision", std::to_string(gs.precision));
    line(out, "resistance", std::to_string(gs.resistance));
    line(out, "protection", std::to_string(gs.protection));
    line(out, "bonusPoints", std::to_string(gs.bonusPoints));
    line(out, "favoriteRed", std::to_string(gs.favoriteRed));
    line(out, "favoriteGreen", std::to_string(gs.favoriteGreen));
    line(out, "favoriteBlue", std::to_string(gs.favoriteBlue));
    line(out, "enemyKind", std::to_string(gs.enemyKind));
    line(out, "currentWeapon", std::to_string(gs.currentWeapon));
    line(out, "enemyLife", std::to_string(gs.enemyLife));
    line(out, "enemyMaxLife", std::to_string(gs.enemyMaxLife));
    line(out, "enemyDamageBase", std::to_string(gs.enemyDamageBase));
    line(out, "enemyMissChance", std::to_string(gs.enemyMissChance));
    line(out, "enemyMove", std::to_string(gs.enemyMove));
    line(out, "bossPhase", std::to_string(gs.bossPhase));
    line(out, "lastDamage", std::to_string(gs.lastDamage));
    line(out, "weaponBaseDamage", std::to_string(gs.weaponBaseDamage));
    line(out, "weaponDamageDivisor", std::to_string(gs.weaponDamageDivisor));
    line(out, "weaponHitChance", std::to_string(gs.weaponHitChance));
    line(out, "weaponStrengthBonus", std::to_string(gs.weaponStrengthBonus));
    line(out, "tutoFirstFight", std::to_string(gs.tutoFirstFight));
    line(out, "tutoGuard", std::to_string(gs.tutoGuard));
    line(out, "tutoGhoul", std::to_string(gs.tutoGhoul));
    line(out, "tutoKnight", std::to_string(gs.tutoKnight));
    line(out, "tutoSpare1", std::to_string(gs.tutoSpare1));
    line(out, "tutoChest", std::to_string(gs.tutoChest));
    line(out, "tutoSpare2", std::to_string(gs.tutoSpare2));
    line(out, "tutoShop", std::to_string(gs.tutoShop));
    line(out, "tutoInventory", std::to_string(gs.tutoInventory));
    line(out, "tutoSkills", std::to_string(gs.tutoSkills));
    line(out, "tutoSave", std::to_string(gs.tutoSave));
    line(out, "onTitleScreen", std::to_string(gs.onTitleScreen));
    line(out, "customLevel", std::to_string(gs.customLevel));
    line(out, "customStartCol", std::to_string(gs.customStartCol));
    line(out, "customStartRow", std::to_string(gs.customStartRow));
    line(out, "countdownMinutes", std::to_string(gs.countdownMinutes));
    line(out, "countdownSeconds", std::to_string(gs.countdownSeconds));
    line(out, "creditsScrollY", std::to_string(gs.creditsScrollY));
    line(out, "currentSlot", std::to_string(gs.currentSlot));
    line(out, "chosenSlot", std::to_string(gs.chosenSlot));
    line(out, "currentKey", std::to_string(gs.currentKey));
    line(out, "lastKey", std::to_string(gs.lastKey));
    line(out, "loopK", std::to_string(gs.loopK));
    line(out, "soundOn", std::to_string(gs.soundOn));
    line(out, "musicOn", std::to_string(gs.musicOn));
    line(out, "slowComputer", std::to_string(gs.slowComputer));
    line(out, "pickRed", std::to_string(gs.pickRed));
    line(out, "pickGreen", std::to_string(gs.pickGreen));
    line(out, "pickBlue", std::to_string(gs.pickBlue));
    line(out, "lookMode", std::to_string(static_cast<int>(gs.lookMode)));
    line(out, "escapeMode", std::to_string(static_cast<int>(gs.escapeMode)));
    line(out, "creditsRolling", std::to_string(static_cast<int>(gs.creditsRolling)));
    line(out, "stepToggle", std::to_string(static_cast<int>(gs.stepToggle)));
    line(out, "strengthHit", std::to_string(static_cast<int>(gs.strengthHit)));
    line(out, "precisionHit", std::to_string(static_cast<int>(gs.precisionHit)));
    line(out, "enemyLootTile", tileChar(gs.enemyLootTile));
    char weight[32];
    std::snprintf(weight, sizeof weight, "%g", static_cast<double>(gs.carriedWeight));
    line(out, "carriedWeight", weight);
    line(out, "playerName", gs.playerName);
    line(out, "GameDir", gs.GameDir);
    line(out, "imagesDir", gs.imagesDir);
    line(out, "soundDir", gs.soundDir);
    line(out, "heroLeftIconPath", gs.heroLeftIconPath);
    line(out, "heroFrontIconPath", gs.heroFrontIconPath);
    line(out, "heroRightIconPath", gs.heroRightIconPath);
    std::string counts;
    for (int i = 0; i < ITEM_COUNT; ++i) {
        if (i) counts += ',';
        counts += std::to_string(gs.inventory[i]);
    }
    line(out, "inventory", counts);
    std::string view;
    for (int r = 0; r < VIEW_ROWS; ++r) view.append(gs.view[r], VIEW_COLS);
    line(out, "view", cells(view.data(), view.size()));
    line(out, "grid", cells(&gs.LevelGrid[0][0], GRID_CELLS));
    return out;
}
