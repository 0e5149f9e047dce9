// The real game under X: "Nouveau jeu", OK, the intro's box, the default-slot
// dialog cancelled, then three presses of the right arrow walk the knight three
// tiles to the right.
#include "real_game.h"

namespace {

using namespace realgame;

// Pixels that differ inside one 24-pixel tile of the scene.
int changedInTile(const Shot& a, const Shot& b, int top, int col, int row) {
    int changed = 0;
    for (int y = top + row * 24; y < top + row * 24 + 24; ++y)
        for (int x = col * 24; x < col * 24 + 24; ++x) changed += a.at(x, y) != b.at(x, y);
    return changed;
}

class PlayingGame : public RealGameTest {
protected:
    // A plain castle, so the pictures compared are known: floor on row 99, the
    // entrance stone at (97, 2), a torch row high above, and `at` put on the
    // hero's cell after the intro (98, 5).
    void newGame(char at = 'a') {
        std::string grid(10000, 'a');
        for (int c = 0; c < 100; ++c) grid[9900 + c] = 's';
        for (int c = 0; c < 100; c += 3) grid[9300 + c] = 't';
        grid[9702] = 's';
        grid[9805] = at;
        std::ofstream(dir_ / "niveau.niv", std::ios::binary) << grid;
        start();
        if (HasFatalFailure()) return;
        std::this_thread::sleep_for(300ms);

        // "Nouveau jeu" is the first entry of the first menu.
        menu(20, "Down Return");
        Window dialog = x_.waitFor("Nouvelle Partie", 5s);
        ASSERT_NE(dialog, 0u) << "no new-game dialog";
        std::this_thread::sleep_for(300ms);
        dismiss(dialog, "Nouvelle Partie");
        Window welcome = x_.waitFor("Bienvenue dans l'aventure", 5s);
        ASSERT_NE(welcome, 0u) << "no welcome box";
        dismiss(welcome, "Bienvenue dans l'aventure");
        // Then the default slot is asked for; Escape leaves the game without one.
        Window slots = x_.waitFor("Selectionez l'emplacement de sauvegarde par defaut", 5s);
        ASSERT_NE(slots, 0u) << "no default-slot dialog";
        std::this_thread::sleep_for(300ms);
        dismiss(slots, "Selectionez l'emplacement de sauvegarde par defaut", "Escape");

        // The intro ends in the playing layout: a client area 400 pixels high.
        ASSERT_TRUE(within(10s, [&] { return (menuBar = x_.height(window_) - 400) > 0; }))
            << "the window never took the playing size";
        std::this_thread::sleep_for(700ms);
    }
    // Opens the inventory the way `how` does, through its first tutorial.
    template <class How> Window openInventory(How how) {
        how();
        const Window tutorial = x_.waitFor("Tutoriel sur ton inventaire", 5s);
        EXPECT_NE(tutorial, 0u) << "no inventory tutorial";
        if (tutorial) dismiss(tutorial, "Tutoriel sur ton inventaire");
        const Window inventory = x_.waitFor("Inventaire", 5s);
        if (!inventory) ADD_FAILURE() << "no inventory";
        return inventory;
    }
    int menuBar = -1;
};

TEST_F(PlayingGame, NewGameIntroAndThreeStepsRight) {
    newGame();
    if (HasFatalFailure()) return;
    Shot before = x_.grab(window_);
    shot(fs::path(QUELMAR_SHOT_DIR) / "play-start.png");
    keys(window_, "Right Right Right");
    std::this_thread::sleep_for(500ms);
    Shot after = x_.grab(window_);
    shot(fs::path(QUELMAR_SHOT_DIR) / "play-walked.png");
    ASSERT_EQ(before.w, after.w);
    ASSERT_EQ(before.h, after.h);

    // The knight left view column 5 and stands in column 8 of row 9; the rest
    // of the scene is as it was.
    EXPECT_GT(changedInTile(before, after, menuBar, 5, 9), 40);
    EXPECT_GT(changedInTile(before, after, menuBar, 8, 9), 40);
    EXPECT_EQ(changedInTile(before, after, menuBar, 12, 9), 0);
    EXPECT_EQ(changedInTile(before, after, menuBar, 5, 4), 0);
    EXPECT_EQ(changedInTile(before, after, menuBar, 2, 9), 0) << "the closed entrance";

    // A click on "Inventaire", a command of the bar itself, opens the inventory
    // (after its tutorial); once both are closed the keyboard is the game's
    // again: the next arrow moves the knight, it opens no menu.
    const Window inventory = openInventory([&] { sh("xdotool mousemove --window " + std::to_string(window_) + " 75 12 click 1"); });
    if (!inventory) return;
    std::this_thread::sleep_for(300ms);
    shot(fs::path(QUELMAR_SHOT_DIR) / "play-bar-clicked.png");
    keys(inventory, "Escape");
    ASSERT_TRUE(within(3s, [&] { return !x_.find("Inventaire"); })) << "Escape left the inventory open";
    std::this_thread::sleep_for(300ms);
    keys(window_, "Right");
    std::this_thread::sleep_for(500ms);
    shot(fs::path(QUELMAR_SHOT_DIR) / "play-after-bar.png");
    const Shot moved = x_.grab(window_);
    EXPECT_GT(changedInTile(after, moved, menuBar, 9, 9), 40) << "the arrow went to the menu bar";
}

// Vertical extent [top, bottom] of the run of `colour` through (x, y).
std::pair<int, int> runAround(const Shot& s, int x, int y, unsigned long colour) {
    int top = y, bottom = y;
    while (top > 0 && s.at(x, top - 1) == colour) --top;
    while (bottom + 1 < s.h && s.at(x, bottom + 1) == colour) ++bottom;
    return {top, bottom};
}
// First x from x0 in steps of dx whose pixel is `colour`, -1 when none.
int seek(const Shot& s, int x0, int y, int dx, unsigned long colour) {
    for (int x = x0; x >= 0 && x < s.w; x += dx)
        if (s.at(x, y) == colour) return x;
    return -1;
}

// With the desktop's own dialog font, the item pictures and the bars of the
// inventory still sit on the rows of their controls; "Jetter" puts the sword
// back on the floor.
TEST_F(PlayingGame, InventoryPicturesAndBarsLineUpWithTheRowsAndJetterDrops) {
    constexpr unsigned long MAGENTA = 0xFF00FF, WHITE = 0xFFFFFF, LIFE = 0x649B00, FAVOURITE = 0x0000AA;
    for (char tile : std::string("ebm79h8pnouvwxyz"))
        sh("convert -size 24x21 xc:'#FF00FF' BMP3:'" + (dir_ / "Images" / ("copie de " + std::string(1, tile) + ".bmp")).string() + "'");
    newGame('e');
    if (HasFatalFailure()) return;
    keys(window_, "Return");  // takes the sword
    std::this_thread::sleep_for(300ms);
    const Shot before = x_.grab(window_);
    const Window dialog = openInventory([&] { keys(window_, "i"); });
    if (!dialog) return;
    std::this_thread::sleep_for(700ms);
    const Shot inv = x_.grab(dialog);
    shot(fs::path(QUELMAR_SHOT_DIR) / "inventory.png");

    // Sixteen pictures, one above the other, each beside its row's count field:
    // their middles within 3 pixels of each other.
    int x0 = -1;
    for (int y = 0; y < inv.h && x0 < 0; ++y) x0 = seek(inv, 0, y, 1, MAGENTA);
    ASSERT_GE(x0, 0) << "no picture drawn";
    std::vector<std::pair<int, int>> pictures;
    for (int y = 0; y < inv.h; ++y)
        if (inv.at(x0, y) == MAGENTA && (pictures.empty() || pictures.back().second < y)) pictures.push_back(runAround(inv, x0, y, MAGENTA));
    ASSERT_EQ(pictures.size(), 16u);
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        auto [top, bottom] = pictures[i];
        EXPECT_EQ(bottom - top, 20) << i;
        const int middle = (top + bottom) / 2, field = seek(inv, x0 + 24, middle, 1, WHITE);
        ASSERT_GT(field, x0 + 23) << "no count field right of picture " << i;
        auto [fieldTop, fieldBottom] = runAround(inv, field, middle, WHITE);
        EXPECT_NEAR(fieldTop + fieldBottom, top + bottom, 6) << "row " << i + 1;
        EXPECT_LT(field - (x0 + 24), 30) << "row " << i + 1;
    }

    // The life bar (100 of 100) beside the life field, left of it.
    int lifeX = -1, lifeY = 0;
    for (; lifeY < pictures[0].first && lifeX < 0; ++lifeY) lifeX = seek(inv, 0, lifeY, 1, LIFE);
    ASSERT_GE(lifeX, 0) << "no life bar above the rows";
    auto [lifeTop, lifeBottom] = runAround(inv, lifeX, lifeY, LIFE);
    const int lifeField = seek(inv, lifeX - 2, (lifeTop + lifeBottom) / 2, -1, WHITE);
    ASSERT_GE(lifeField, 0) << "no life field left of the bar";
    auto [lifeFieldTop, lifeFieldBottom] = runAround(inv, lifeField, (lifeTop + lifeBottom) / 2, WHITE);
    EXPECT_NEAR(lifeFieldTop + lifeFieldBottom, lifeTop + lifeBottom, 6);

    // The weight bar (2.515 kg: 50 of 300 pixels) under the weight field, over "Valider".
    int weightX = -1, weightY = pictures.back().second;
    for (; weightY < inv.h && weightX < 0; ++weightY) weightX = seek(inv, 0, weightY, 1, FAVOURITE);
    ASSERT_GE(weightX, 0) << "no weight bar under the rows";
    auto [weightTop, weightBottom] = runAround(inv, weightX, weightY, FAVOURITE);
    EXPECT_EQ(seek(inv, weightX, weightTop, 1, WHITE) - weightX, 50);
    const int fieldX = inv.w * 77 / 231;  // the middle of the weight field
    int fieldBottom = weightTop - 2;
    while (fieldBottom > 0 && inv.at(fieldX, fieldBottom) != WHITE) --fieldBottom;
    EXPECT_GT(weightTop - fieldBottom, 3);
    EXPECT_LT(weightTop - fieldBottom, 30) << "the bar is far from its field";

    // "Jetter" of the sword, the first row.
    const int jetterX = inv.w * 207 / 231, jetterY = (pictures[0].first + pictures[0].second) / 2;
    sh("xdotool mousemove --window " + std::to_string(dialog) + " " + std::to_string(jetterX) + " " +
       std::to_string(jetterY) + " click 1");
    EXPECT_TRUE(within(3s, [&] { return !x_.find("Inventaire"); })) << "Jetter did not close the inventory";
    std::this_thread::sleep_for(700ms);
    const Shot after = x_.grab(window_);
    EXPECT_GT(changedInTile(before, after, menuBar, 5, 9), 10) << "no sword on the floor";
    EXPECT_EQ(changedInTile(before, after, menuBar, 8, 9), 0);
}

}  // namespace
