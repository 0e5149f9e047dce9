#include "hero/interact.h"

// Filled in by the pick-ups, chests and doors subsystem.
void actOnTile() {}
