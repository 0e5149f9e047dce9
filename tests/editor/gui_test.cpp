// The real editor under X (Xvfb in the test run): a click and a drag paint
// cells on screen, and "Sauvegarder" from the menu writes perso.niv.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "support.h"

extern char** environ;

namespace {

using editortest::levelText;
using editortest::readFile;
using editortest::rgbValue;
using editortest::tileColor;
using editortest::writeFile;
using namespace std::chrono_literals;

std::string output(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    pclose(pipe);
    return out;
}

// The first window whose name matches, waiting up to 10 s; "" if none came.
std::string waitWindow(const std::string& pattern) {
    for (int tries = 0; tries < 100; ++tries) {
        std::string ids = output("xdotool search --onlyvisible --name '" + pattern + "' 2>/dev/null");
        if (!ids.empty()) return ids.substr(0, ids.find('\n'));
        std::this_thread::sleep_for(100ms);
    }
    return "";
}

// Presses Enter in the message box with that caption (its OK button), again
// if the first press came before the box had the focus.
bool answerBox(const std::string& pattern) {
    std::string id = waitWindow(pattern);
    if (id.empty()) return false;
    for (int presses = 0; presses < 10; ++presses) {
        std::this_thread::sleep_for(300ms);
        output("xdotool windowfocus --sync " + id + " key Return 2>/dev/null");
        for (int tries = 0; tries < 10; ++tries) {
            if (output("xdotool search --onlyvisible --name '" + pattern + "' 2>/dev/null").empty())
                return true;
            std::this_thread::sleep_for(100ms);
        }
    }
    return false;
}

struct Screen {
    int w = 0, h = 0;
    std::string rgb;
    unsigned at(int x, int y) const {
        if (x < 0 || y < 0 || x >= w || y >= h) return 0xFFFFFFFFu;
        std::size_t k = (static_cast<std::size_t>(y) * w + x) * 3;
        return (static_cast<unsigned char>(rgb[k]) << 16) | (static_cast<unsigned char>(rgb[k + 1]) << 8) |
               static_cast<unsigned char>(rgb[k + 2]);
    }
};

Screen grab(const std::string& dir) {
    Screen s;
    std::string file = dir + "/screen.ppm";
    output("import -window root -depth 8 ppm:'" + file + "' 2>/dev/null");
    std::ifstream in(file, std::ios::binary);
    std::string magic;
    int maxval = 0;
    in >> magic >> s.w >> s.h >> maxval;
    in.get();
    if (magic != "P6" || maxval != 255) return Screen{};
    s.rgb.resize(static_cast<std::size_t>(s.w) * s.h * 3);
    in.read(s.rgb.data(), static_cast<std::streamsize>(s.rgb.size()));
    return s;
}

int mid(int index) { return 2 + 7 * index + 3; }

class EditorGui : public ::testing::Test {
protected:
    void TearDown() override {
        if (pid > 0) {
            kill(pid, SIGTERM);
            int status = 0;
            waitpid(pid, &status, 0);
        }
    }

    void start() {
        std::string exe = dir.path + "/editeur Quelmar";
        std::filesystem::copy_file(QUELMAR_EDITOR_EXE, exe);
        editortest::writeEditorPictures(dir.path, "as");
        writeFile(dir.path + "/perso.niv", levelText("", 0, 0));
        char* argv[] = {exe.data(), nullptr};
        ASSERT_EQ(posix_spawn(&pid, exe.c_str(), nullptr, nullptr, argv, environ), 0);
    }

    editortest::ScratchDir dir;  // also the working directory of the editor
    pid_t pid = -1;
};

TEST_F(EditorGui, ClickAndDragPaintAndTheMenuSaves) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under xvfb-run (scripts/test does)";
    start();
    ASSERT_TRUE(answerBox("^Editeur $")) << "no \"Niveau chargé!\" box";
    std::string window = waitWindow("Editeur pour");
    ASSERT_FALSE(window.empty());
    std::this_thread::sleep_for(500ms);

    // The start marker sits on cell (0, 0): it gives the client origin on screen.
    Screen before = grab(dir.path);
    ASSERT_GT(before.w, 0);
    int ox = -1, oy = -1;
    for (int y = 0; y < before.h && ox < 0; ++y)
        for (int x = 0; x < before.w; ++x)
            if (before.at(x, y) == rgbValue(editortest::MARKER_COLOR)) {
                ox = x - 2;
                oy = y - 2;
                break;
            }
    ASSERT_GE(ox, 0) << "start marker not on screen";
    const unsigned fond = rgbValue(tileColor('a'));
    const unsigned sol = rgbValue(tileColor('s'));
    EXPECT_EQ(before.at(ox + mid(99), oy + mid(99)), fond);
    EXPECT_EQ(before.at(ox + mid(10), oy + mid(10)), fond);

    auto cellAt = [&](int col, int row) {
        return std::to_string(ox + mid(col)) + " " + std::to_string(oy + mid(row));
    };
    output("xdotool mousemove --sync " + cellAt(10, 10) + " click 1");
    output("xdotool mousemove --sync " + cellAt(20, 20) + " mousedown 1");
    for (int col = 21; col <= 24; ++col) {
        output("xdotool mousemove --sync " + cellAt(col, col == 24 ? 21 : 20));
        std::this_thread::sleep_for(50ms);
    }
    output("xdotool mouseup 1");
    std::this_thread::sleep_for(500ms);

    Screen after = grab(dir.path);
    EXPECT_EQ(after.at(ox + mid(10), oy + mid(10)), sol);
    for (int col = 20; col <= 23; ++col) EXPECT_EQ(after.at(ox + mid(col), oy + mid(20)), sol) << col;
    EXPECT_EQ(after.at(ox + mid(24), oy + mid(21)), sol);
    EXPECT_EQ(after.at(ox + mid(24), oy + mid(20)), fond);
    EXPECT_EQ(after.at(ox + mid(11), oy + mid(10)), fond);

    // Menu > Sauvegarder: the menu bar lies between the window's top and the grid.
    std::string geometry = output("xdotool getwindowgeometry --shell " + window);
    int top = 0;
    std::size_t ypos = geometry.find("Y=");
    if (ypos != std::string::npos) top = std::atoi(geometry.c_str() + ypos + 2);
    if (top >= oy) top = oy - 30;
    output("xdotool mousemove --sync " + std::to_string(ox + 20) + " " + std::to_string((top + oy) / 2) +
           " click 1");
    std::this_thread::sleep_for(500ms);
    // changer curseur, definir le pt. de depart, Annuler, Tout reaficher, Charger, Sauvegarder
    output("xdotool key --delay 80 Down Down Down Down Down Down Return");
    ASSERT_TRUE(answerBox("^Editeur $")) << "no \"sauvegardé\" box";

    std::string expected(10000, 'a');
    expected[10 * 100 + 10] = 's';
    for (int col = 20; col <= 23; ++col) expected[20 * 100 + col] = 's';
    expected[21 * 100 + 24] = 's';
    EXPECT_EQ(readFile(dir.path + "/perso.niv"), expected + " 0 0 ");
}

}  // namespace
