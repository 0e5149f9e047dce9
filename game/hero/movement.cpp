#include "hero/movement.h"

#include <algorithm>

#include "combat/fight.h"
#include "hero/death.h"
#include "platform/platform.h"
#include "sound/sound.h"
#include "state.h"
#include "world/level.h"
#include "world/scene.h"
#include "world/screens.h"

namespace {

// Animation waits are made only when the "Ordi Rapide" option is ticked.
void pause(int ms) {
    if (gs.slowComputer == 0) platform::pauseMs(ms);
}

// The cell at view row r, column c. The movement rules read the view; a
// neighbour beyond the view's edge is read from the grid, and beyond the grid's
// edge it is solid wall, so no step or fall can leave the castle.
char viewCell(int r, int c) {
    if (r >= 0 && r < VIEW_ROWS && c >= 0 && c < VIEW_COLS) return gs.view[r][c];
    return cellAt(gs.viewTop + r, gs.viewLeft + c);
}

char here() { return viewCell(gs.heroRow, gs.heroCol); }
char below() { return viewCell(gs.heroRow + 1, gs.heroCol); }
char above() { return viewCell(gs.heroRow - 1, gs.heroCol); }
char inFront(int d) { return viewCell(gs.heroRow, gs.heroCol + d); }
char aboveInFront(int d) { return viewCell(gs.heroRow - 1, gs.heroCol + d); }

bool isSolid(char c) { return c == 's' || c == '#'; }
bool carries(char c) { return c == 's' || c == '#' || c == 'q'; }
bool isClosedDoor(char c) { return c >= '1' && c <= '6'; }
bool isOpenAir(char c) { return c == 'a' || c == 'l' || c == 't'; }

// Every move ends by scrolling the view and drawing the scene at once. Once a
// death or the win has put the title screen back, the castle is not drawn
// over it.
void closeStep() {
    recentreView();
    refreshView();
    if (gs.onTitleScreen == 0) drawScene();
}

int weaponsCarried() {
    int count = 0;
    for (int i = 1; i <= 6; ++i) count += gs.inventory[i];
    return count;
}

void dieInLava() {
    playSound("lave");
    gs.life = 0;
    heroDies();
}

// What the cell the hero stands on does to him after a step or a turn.
void enterCell(bool stepped) {
    char cell = here();
    if (cell == '@') {
        openBossFight();
    } else if (cell == 'd') {
        dieInLava();
    } else if (cell == 'g' || cell == 'k' || cell == 'i') {
        gs.enemyKind = cell == 'g' ? 1 : cell == 'k' ? 2 : 3;
        if (gs.currentWeapon != 0) openFight();
        if (gs.currentWeapon == 0) {
            platform::messageBox(gs.mainWindow, "Pas de combat sans arme!!!", "Ca va pas la tete???",
                                 platform::BoxStyle{platform::BoxButtons::Ok,
                                                    platform::BoxIcon::Warning});
            // Back off the step taken; a turn on the spot took none.
            if (stepped) gs.heroCol -= gs.heroFacing;
        }
    }
}

}  // namespace

void walkStep(int direction) {
    const int d = direction;
    bool door = false, stepped = false;
    if (gs.heroFacing == d) {
        char front = inFront(d);
        if (isClosedDoor(front)) {
            playSound("porteferme");
            door = true;
        } else if (!isSolid(front)) {
            gs.heroCol += d;
            stepped = true;
            pause(STEP_PAUSE_MS);
            gs.stepToggle = gs.stepToggle ? 0 : 1;
            playSound(gs.stepToggle ? "marche1" : "marche0");
        }
    }
    if (!door) {
        gs.heroFacing = d;
        gs.currentWeapon = weaponsCarried();
        enterCell(stepped);
        // During the escape, reaching the castle's first column wins the game.
        if (gs.escapeMode && gs.viewLeft + gs.heroCol == 0) {
            gs.onTitleScreen = 1;
            startCredits();
        }
    }
    closeStep();
    fallDown();
}

void climbUp() {
    if (gs.lookMode) return;
    if (gs.heroFacing != 0) gs.heroSideFacing = gs.heroFacing;
    if (here() == 'q' && above() != 's') {
        playSound("echelle");
        pause(RUNG_PAUSE_MS);
        gs.heroRow -= 1;
        // Stepping off the ladder's top turns the hero back to his side.
        gs.heroFacing = here() == 'q' ? 0 : gs.heroSideFacing;
        closeStep();
    }
}

void climbDown() {
    if (gs.lookMode) return;
    if (gs.heroFacing != 0) gs.heroSideFacing = gs.heroFacing;
    char cell = below();
    if (isOpenAir(cell)) {
        fallDown();
        gs.heroFacing = gs.heroSideFacing;
    } else if (cell == 'q') {
        playSound("echelle");
        pause(RUNG_PAUSE_MS);
        gs.heroRow += 1;
        gs.heroFacing = 0;
        closeStep();
    }
}

void jump() {
    const int d = gs.heroFacing;
    char up = above();
    char upFront = aboveInFront(d);
    char front = inFront(d);
    if (isSolid(up) || upFront == 's') return;
    if (front == '#' || front == 'g' || front == 'i' || front == 'k') return;

    playSound("saut");
    gs.heroRow -= 1;
    gs.heroCol += d;
    closeStep();
    pause(JUMP_PAUSE_MS);

    // At the top of the jump the hero carries on one more column if nothing
    // stands in front of him and nothing carries him yet.
    if (!isSolid(inFront(d)) && !isSolid(below())) gs.heroCol += d;
    closeStep();
    fallDown();
}

void fallDown() {
    // A death that went back to the title screen (or the win) ends the step:
    // the hero, still standing where he died, must not die a second time.
    if (gs.onTitleScreen != 0) return;

    const int startRow = gs.viewTop + gs.heroRow;
    int fallen = 0;
    while (!carries(below())) {
        gs.heroRow += 1;
        closeStep();
        ++fallen;
        pause(std::max(1, FALL_PAUSE_START_MS - 4 * fallen));
    }

    const int rows = gs.viewTop + gs.heroRow - startRow;
    if (rows > SAFE_FALL_ROWS) {
        // The bag hurts by its whole kilograms for every row beyond the second;
        // the weight is the one last computed (every status paint recomputes it).
        gs.life -= (rows - SAFE_FALL_ROWS) * static_cast<int>(gs.carriedWeight);
        if (gs.life < 0) {
            gs.life = 0;
            playSound("atterissageMort");
            heroDies();
            return;
        }
        refreshStatusBands();
        playSound("atterissage");
    }

    if (here() == 'd') {
        dieInLava();
        refreshStatusBands();
    }
}

void recentreView() {
    if (gs.heroCol < 5 && gs.viewLeft > 0) {
        gs.heroCol += 1;
        gs.viewLeft -= 1;
    } else if (gs.heroCol > 9 && gs.viewLeft < VIEW_LEFT_MAX) {
        gs.heroCol -= 1;
        gs.viewLeft += 1;
    }
    if (gs.heroRow < 4 && gs.viewTop > 0) {
        gs.heroRow += 1;
        gs.viewTop -= 1;
    } else if (gs.heroRow > 7 && gs.viewTop < VIEW_TOP_MAX) {
        gs.heroRow -= 1;
        gs.viewTop += 1;
    }
    gs.viewTop = std::clamp(gs.viewTop, 0, VIEW_TOP_MAX);
    gs.viewLeft = std::clamp(gs.viewLeft, 0, VIEW_LEFT_MAX);
    gs.savedViewLeft = gs.viewLeft;
    gs.savedViewTop = gs.viewTop;
}

void endLookMode() { gs.lookMode = 0; }

void refreshStatusBands() {
    platform::Rect client = platform::clientRect(gs.mainWindow);
    const platform::Rect panel{0, 266, client.right, client.bottom};
    const platform::Rect column{369, 0, client.right, client.bottom};
    // Both bands are erased, the scene between them is not; one paint
    // redraws them at once.
    platform::invalidate(gs.mainWindow, &panel, true);
    platform::invalidate(gs.mainWindow, &column, true);
    platform::updateWindow(gs.mainWindow);
}
