// The inventory dialog (IDD 104 "Inventaire"): one row per item with its count,
// "Utiliser" and "Jetter", the gold, the life and the bag's weight.
#pragma once

#include "platform/platform.h"

constexpr int IDD_INVENTORY = 104;
constexpr int INVENTORY_ICON_ID = 103;

constexpr int IDC_INV_LIFE = 1028;
constexpr int IDC_INV_WEIGHT = 1039;
constexpr int IDC_INV_VALIDATE = 2;

// Row i (items 1 to 16) lies at y = 34 + 14 i dialog units.
constexpr int INV_ROW_TOP = 34;
constexpr int INV_ROW_STEP = 14;
constexpr int INV_ROW_HEIGHT = 12;

const platform::DialogDef& inventoryDialog();
