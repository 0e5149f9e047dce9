// Moving the knight: walking and turning, ladders, jumps, falls and their
// damage, lava, stepping onto enemies, and the view that follows the hero.
#pragma once

constexpr int STEP_PAUSE_MS = 80;
constexpr int RUNG_PAUSE_MS = 120;
constexpr int JUMP_PAUSE_MS = 100;
constexpr int FALL_PAUSE_START_MS = 100;  // a fall speeds up by 4 ms a row
constexpr int SAFE_FALL_ROWS = 2;         // falls of up to 2 rows never hurt

// Left (-1) or Right (+1): turns the hero, or steps forward when he already faces
// that way, then applies the cell he stands on and lets him fall.
void walkStep(int direction);
// Up: one rung up a ladder.
void climbUp();
// Down: one rung down a ladder, or a drop through open air.
void climbDown();
// Space: one row up and up to two columns forward, then the fall.
void jump();
// Falls until something carries the hero; fall damage and lava.
void fallDown();
// Scrolls the view by at most one cell on each axis so the hero stays near its
// middle, then remembers the origin for look mode.
void recentreView();
// Ends look mode without restoring the looked-at view: the game it belonged to
// is being replaced. Called by every start of a game (the new game; the load
// and the reload after a death, through applySlot) before the new view is
// drawn, so that the release of a button pressed before restores nothing.
void endLookMode();
// Repaints the status panel under the scene and the item column at its right.
void refreshStatusBands();
