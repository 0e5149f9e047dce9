// The shop (IDD 113): buying and selling for gold.
#pragma once

#include <string>

#include "platform/platform.h"
#include "resources/dlg_shop.h"

// One article of the buy list.
struct ShopArticle {
    std::string text;  // the list text: name, blanks, price (UTF-8)
    int item;          // inventory index bought
    int prix;          // gold
    double dpoids;     // kilograms
};
// One weapon of the sell list.
struct ShopWeapon {
    std::string text;
    int item;
    int price;  // gold received
};

extern const ShopArticle BUY_TABLE[8];
extern const ShopWeapon SELL_TABLE[5];
// What the sell list shows for a weapon the hero does not own.
constexpr const char* SELL_MASK = "**** ******";

// The Enter action on a shop tile '0': the shop as a modal dialog of the main window.
void openShop();
long shopDialogProc(platform::Window dlg, platform::Msg msg, long a, long b);
