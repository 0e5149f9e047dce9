// The inventory dialog (IDD 104): counts, life and weight, "Utiliser" and "Jetter".
#pragma once

#include "platform/platform.h"

// Opens the inventory as a modal dialog of the main window.
void openInventory();
long inventoryDialogProc(platform::Window dlg, platform::Msg msg, long a, long b);
// The bag's fields, shared by the inventory and the shop (same control ids):
// the counts of items 1..17, life "%d/%d" and the weight.
void fillBagFields(platform::Window dlg);
// "Jetter" of item i: puts one on the hero's cell when it is empty background,
// then closes the dialog with the button's id.
void dropItem(platform::Window dlg, int item);
