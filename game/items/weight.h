// What the hero can carry: the item table and the bag's weight.
#pragma once

#include <string>

constexpr float MAX_CARRY_KG = 15.0f;
constexpr int ITEM_FIRST = 1;
constexpr int ITEM_LAST = 17;  // the gold pieces
constexpr int ITEM_SHIELD = 8;
constexpr int ITEM_POTION = 9;
constexpr int ITEM_ELIXIR = 10;
constexpr int ITEM_FIRST_KEY = 11;

// The tile of item i (1..16) lying on the floor.
constexpr const char* itemTileChars = " ebm79h8pnouvwxyz";

struct ItemInfo {
    const char* label;  // the inventory dialog's row text (UTF-8)
    float weight;       // kilograms counted per unit
    char tile;          // 0 for the gold
    int countId, useId, dropId;  // controls of the inventory dialog (0 = none)
};

// Indexed by ItemIndex; entry 0 is no item.
extern const ItemInfo ITEM_TABLE[18];

// The weight field of the inventory and the shop: "%f     " with everything
// from the sixth character on blanked ("1.500        ").
std::string weightFieldText(float kg);

// carriedWeight = sum over items 1..17 of count x weight.
void computeCarriedWeight();
