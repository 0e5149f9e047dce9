#include "hero/death.h"

// Filled in by the death and escape subsystem.
void heroDies() {}
void mageDefeated() {}
void exitAnimation() {}
