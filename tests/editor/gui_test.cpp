// The real editor under X (Xvfb in the test run): a click and a drag paint
// cells on screen, and "Sauvegarder" from the menu writes perso.niv.
#include "support.h"

#include <gtest/gtest.h>
#include <spawn.h>

#include "real_game.h"  // also the POSIX process calls

extern char** environ;

namespace {

using namespace editortest;

// The first window whose name matches, waiting up to 10 s; "" if none came.
std::string waitWindow(const std::string& pattern) {
    return output("timeout 10 xdotool search --sync --onlyvisible --name '" + pattern + "' 2>/dev/null | head -n1 | tr -d '\\n'");
}

// Presses Enter in the message box "Editeur " (its OK button), again if the
// first press came before the box had the focus.
bool answerBox() {
    std::string id = waitWindow("^Editeur $");
    for (int presses = 0; presses < 20 && !id.empty(); ++presses) {
        output("sleep 0.3; xdotool windowfocus --sync " + id + " key Return 2>/dev/null; sleep 0.3");
        if (output("xdotool search --onlyvisible --name '^Editeur $'").empty()) return true;
    }
    return false;
}

TEST(EditorGui, ClickAndDragPaintAndTheMenuSaves) {
    realgame::X x;
    ASSERT_NE(x.dpy(), nullptr) << "run under xvfb-run (scripts/test does)";
    ScratchDir dir;  // also the working directory of the editor
    std::string exe = dir.path + "/editeur Quelmar";
    std::filesystem::copy_file(QUELMAR_EDITOR_EXE, exe);
    writeEditorPictures(dir.path, "as");
    writeFile(dir.path + "/perso.niv", levelText("", 0, 0));
    pid_t pid = -1;
    char* argv[] = {exe.data(), nullptr};
    ASSERT_EQ(posix_spawn(&pid, exe.c_str(), nullptr, nullptr, argv, environ), 0);
    struct Stop { pid_t pid; ~Stop() { kill(pid, SIGTERM), waitpid(pid, nullptr, 0); } } stop{pid};

    ASSERT_TRUE(answerBox()) << "no \"Niveau chargé!\" box";
    std::string window = waitWindow("Editeur pour");
    ASSERT_FALSE(window.empty());
    std::this_thread::sleep_for(std::chrono::milliseconds(500));

    // The start marker sits on cell (0, 0): it gives the grid's origin in the window.
    realgame::Shot before = x.grab(std::stoul(window));
    int ox = -1, oy = -1;
    for (int k = 0; k < before.w * before.h && ox < 0; ++k)
        if (before.px[k] == MARKER) ox = k % before.w - 2, oy = k / before.w - 2;
    ASSERT_GE(ox, 0) << "start marker not on screen";

    auto to = [&](int col, int row) {
        return " mousemove --window " + window + " --sync " + std::to_string(ox + mid(col)) + " " +
               std::to_string(oy + mid(row));
    };
    output("xdotool" + to(10, 10) + " click 1" + to(20, 20) + " mousedown 1 sleep 0.05" + to(21, 20) + " sleep 0.05" +
           to(22, 20) + " sleep 0.05" + to(23, 20) + " sleep 0.05" + to(24, 21) + " sleep 0.05 mouseup 1 sleep 0.5");
    realgame::Shot after = x.grab(std::stoul(window));
    std::string expected(10000, 'a');
    expected[1010] = expected[2020] = expected[2021] = expected[2022] = expected[2023] = expected[2124] = 's';
    for (auto [col, row] : {std::pair{10, 10}, {11, 10}, {20, 20}, {21, 20}, {22, 20}, {23, 20}, {24, 20}, {24, 21}})
        EXPECT_EQ(after.at(ox + mid(col), oy + mid(row)), colorOf(expected[row * 100 + col])) << col << "," << row;

    // Menu (in the bar above the grid) > changer curseur, definir le pt. de depart,
    // Annuler, Tout reaficher, Charger, Sauvegarder.
    output("xdotool mousemove --window " + window + " --sync " + std::to_string(ox + 20) + " " +
           std::to_string(oy / 2) + " click 1 sleep 0.5 key --delay 80 Down Down Down Down Down Down Return");
    ASSERT_TRUE(answerBox()) << "no \"sauvegardé\" box";
    EXPECT_EQ(readFile(dir.path + "/perso.niv"), expected + " 0 0 ");
}

}  // namespace
