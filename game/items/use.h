// Using an item from the inventory dialog or from a quick key.
#pragma once

#include "platform/platform.h"

// controlId: the "Utiliser" control of the item's row; dlg: the inventory
// dialog, or null for a quick key of the main window. Ids of no item do nothing.
void useItem(int controlId, platform::Window dlg);
