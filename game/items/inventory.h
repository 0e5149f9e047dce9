// The inventory dialog (IDD 104).
#pragma once

constexpr int IDD_INVENTORY = 104;

// Opens the inventory as a modal dialog of the main window.
void openInventory();
