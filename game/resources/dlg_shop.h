// The shop dialog (IDD 113 "Inventaire"): the bag on the left, buying and
// selling on the right.
#pragma once

#include "platform/platform.h"

constexpr int IDD_SHOP = 113;

// Count fields of items 1..17: IDC_SHOP_FIRST_COUNT + item - 1 (1002..1018).
constexpr int IDC_SHOP_FIRST_COUNT = 1002;
constexpr int IDC_SHOP_GOLD = 1018;
constexpr int IDC_SHOP_LIFE = 1028;
constexpr int IDC_SHOP_WEIGHT = 1039;
constexpr int IDC_SHOP_BUY_LIST = 1055;
constexpr int IDC_SHOP_SELL_LIST = 1056;
constexpr int IDC_SHOP_SELL = 1057;
constexpr int IDC_SHOP_BUY = 1058;
constexpr int IDC_SHOP_LEAVE = 2;

const platform::DialogDef& shopDialog();
