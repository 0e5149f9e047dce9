#include "items/use.h"

// Filled in by the item use subsystem.
void useItem(int, platform::Window) {}
