#include "combat/fight.h"

// Filled in by the standard combat subsystem.
void openFight() {}
// Filled in by the boss fight subsystem.
void openBossFight() {}
