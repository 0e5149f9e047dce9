// The troubadours: their advice by position, the captives freed behind the
// orange door, and the harp that dries the lava guarding the Black Mage.
#pragma once

// c x r x (c + r) from the hero's grid cell.
int positionKey();
// The Enter action on a troubadour 'j'.
void talkToTroubadour(int key);
// The orange door opened in front of the captives.
void freeTroubadours();
// The harp played in front of the Mage's lava.
void playHarp();
