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

TEST_F(RealGameTest, NewGameIntroAndThreeStepsRight) {
    // A plain castle, so the pictures compared are known: floor on row 99, the
    // entrance stone at (97, 2), a torch row high above.
    std::string grid(10000, 'a');
    for (int c = 0; c < 100; ++c) grid[9900 + c] = 's';
    for (int c = 0; c < 100; c += 3) grid[9300 + c] = 't';
    grid[9702] = 's';
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
    int menuBar = -1;
    ASSERT_TRUE(within(10s, [&] { return (menuBar = x_.height(window_) - 400) > 0; }))
        << "the window never took the playing size";
    std::this_thread::sleep_for(700ms);
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
}

}  // namespace
