#include "invariants.h"

#include <algorithm>
#include <array>
#include <climits>
#include <string_view>

#include "combat/skills.h"
#include "items/weight.h"

namespace monkey {

namespace {

// The tile codes a level may hold and the game may write.
constexpr std::string_view TILE_CODES = "as#dqfltcr0)123456(uvwxyzebm79h8pnogki@j";

// The cut-back of the gold is computed on the game's float weight: its
// truncation may keep one coin (1 g) over 15 kg, plus float noise.
constexpr double BAG_TOLERANCE_KG = 0.002;

const std::array<bool, 256>& knownTile() {
    static const std::array<bool, 256> known = [] {
        std::array<bool, 256> k{};
        for (char c : TILE_CODES) k[static_cast<unsigned char>(c)] = true;
        return k;
    }();
    return known;
}

std::string num(double v) {
    std::string s = std::to_string(v);
    while (s.size() > 1 && s.back() == '0') s.pop_back();
    return s;
}

std::string gridCheck(const GameState& g) {
    // Before the first game the grid holds no level at all: every cell is zero.
    const bool empty = g.LevelGrid[0][0] == 0;
    const auto& known = knownTile();
    for (int r = 0; r < GRID_ROWS; ++r)
        for (int c = 0; c < GRID_COLS; ++c) {
            const char cell = g.LevelGrid[r][c];
            if (empty ? cell == 0 : known[static_cast<unsigned char>(cell)]) continue;
            return "grid cell (" + std::to_string(r) + ", " + std::to_string(c) + ") holds " +
                   (empty ? "a code in a grid without level: " : "no tile code: ") +
                   std::to_string(static_cast<unsigned char>(cell));
        }
    return "";
}

std::array<int, 4> place(const SaveSlot& s) { return {s.viewLeft, s.viewTop, s.heroCol, s.heroRow}; }

}  // namespace

Before before(const GameState& g) {
    Before b{g.life, g.inventory[ITEM_ELIXIR], g.resistance, {}};
    for (int k = 0; k < SLOT_COUNT; ++k) b.slotPlaces[k] = place(g.saveSlots[k]);
    return b;
}

double bagKg(const GameState& g) {
    double kg = 0;
    for (int i = ITEM_FIRST; i <= ITEM_LAST; ++i) kg += static_cast<double>(g.inventory[i]) * ITEM_TABLE[i].weight;
    return kg;
}

std::string checkState(const GameState& g, const Before& previous) {
    auto range = [](const char* name, int v, int lo, int hi) -> std::string {
        if (v >= lo && v <= hi) return "";
        return std::string(name) + " is " + std::to_string(v) + (v < lo ? ", below " + std::to_string(lo)
                                                                         : ", above " + std::to_string(hi));
    };
    for (std::string e : {range("viewLeft", g.viewLeft, 0, VIEW_LEFT_MAX), range("viewTop", g.viewTop, 0, VIEW_TOP_MAX),
                          range("heroCol", g.heroCol, 0, VIEW_COLS - 1), range("heroRow", g.heroRow, 0, VIEW_ROWS - 1),
                          range("heroFacing", g.heroFacing, -1, 1), range("life", g.life, 0, INT_MAX),
                          range("shield", g.shield, 0, g.shieldMax), range("bonusPoints", g.bonusPoints, 0, INT_MAX),
                          range("strength", g.strength, 0, SKILL_MAX), range("precision", g.precision, 0, SKILL_MAX),
                          range("resistance", g.resistance, 0, SKILL_MAX),
                          range("protection", g.protection, 0, SKILL_MAX)})
        if (!e.empty()) return e;
    if (g.shieldMax != 50 + g.protection)
        return "shieldMax is " + std::to_string(g.shieldMax) + " with protection " + std::to_string(g.protection);
    if (g.inventory[0] != 0) return "inventory[0] is " + std::to_string(g.inventory[0]);
    for (int i = ITEM_FIRST; i <= ITEM_LAST; ++i) {
        const bool once = i == ITEM_SHIELD || (i >= ITEM_FIRST_KEY && i < ITEM_LAST);
        const std::string e = range(("inventory[" + std::to_string(i) + "]").c_str(), g.inventory[i], 0, once ? 1 : INT_MAX);
        if (!e.empty()) return e;
    }
    if (const double kg = bagKg(g); kg > MAX_CARRY_KG + BAG_TOLERANCE_KG) return "the bag weighs " + num(kg) + " kg";

    // Life rises above maxLife only by an elixir in a fight (13 each) or a point
    // of resistance (1 each); potions stop at maxLife; a load brings a saved life.
    if (g.life > previous.life && g.life > g.maxLife) {
        const int allowed = previous.life + 13 * std::max(0, previous.elixirs - g.inventory[ITEM_ELIXIR]) +
                            std::max(0, g.resistance - previous.resistance);
        const bool loaded = std::any_of(g.saveSlots.begin(), g.saveSlots.end(), [&](const SaveSlot& s) {
            return s.life == g.life && s.maxLife == g.maxLife;
        });
        if (g.life > allowed && !loaded)
            return "life rose from " + std::to_string(previous.life) + " to " + std::to_string(g.life) +
                   " over maxLife " + std::to_string(g.maxLife) + " unexplained";
    }
    if (g.escapeMode) {
        for (std::string e : {range("countdownMinutes", g.countdownMinutes, 0, 2),
                              range("countdownSeconds", g.countdownSeconds, 0, 59)})
            if (!e.empty()) return e;
    }
    // A save records the cell the hero stands on, also while the view is moved away.
    const int heroRow = (g.lookMode ? g.savedViewTop : g.viewTop) + g.heroRow;
    const int heroCol = (g.lookMode ? g.savedViewLeft : g.viewLeft) + g.heroCol;
    for (int k = 0; k < SLOT_COUNT; ++k) {
        const SaveSlot& s = g.saveSlots[k];
        if (place(s) == previous.slotPlaces[k] || (s.viewTop + s.heroRow == heroRow && s.viewLeft + s.heroCol == heroCol))
            continue;
        return "slot " + std::to_string(k + 1) + " saved the hero at (" + std::to_string(s.viewTop + s.heroRow) + ", " +
               std::to_string(s.viewLeft + s.heroCol) + "), he stands at (" + std::to_string(heroRow) + ", " +
               std::to_string(heroCol) + ")";
    }
    if (std::string e = gridCheck(g); !e.empty()) return e;
    // The rules read the view: it must be the grid's block at the view's origin.
    for (int r = 0; r < VIEW_ROWS; ++r)
        for (int c = 0; c < VIEW_COLS; ++c)
            if (g.view[r][c] != g.LevelGrid[g.viewTop + r][g.viewLeft + c])
                return "view cell (" + std::to_string(r) + ", " + std::to_string(c) + ") is '" +
                       std::string(1, g.view[r][c]) + "', the grid has '" +
                       std::string(1, g.LevelGrid[g.viewTop + r][g.viewLeft + c]) + "'";
    return "";
}

}  // namespace monkey
