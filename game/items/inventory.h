// The inventory dialog (IDD 104): counts, life and weight, "Utiliser" and "Jetter".
#pragma once

#include <string>

#include "platform/platform.h"

// Opens the inventory as a modal dialog of the main window.
void openInventory();
long inventoryDialogProc(platform::Window dlg, platform::Msg msg, long a, long b);
// "Jetter" of item i: puts one on the hero's cell when it is empty background,
// then closes the dialog with the button's id.
void dropItem(platform::Window dlg, int item);

// Where the dialog draws, in its client pixels: the places chosen for a dialog
// font of 6 x 13 pixels a base unit, moved with the rows of the dialog's
// actual font so that each picture and bar stays beside its controls.
struct InventoryLayout {
    platform::Point lifeBar, weightBar;
    platform::Point picture[17];  // items 1..16
};
InventoryLayout inventoryLayout(platform::Window dlg);

// The weight field's text: "%f     " with everything from the sixth character
// on blanked ("1.500        ").
std::string weightFieldText(float kg);
