// The end of a life, and the escape after the Black Mage's defeat.
#pragma once

// The offer to reload the default save, or the title screen.
void heroDies();
// The Mage is beaten on the built-in castle: the lava dries, the gate opens and
// the countdown starts.
void mageDefeated();
// The view's trip to the castle's gate and back, called by mageDefeated.
void exitAnimation();
