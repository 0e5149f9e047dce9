// What the shell's tests share: a fresh game in a temporary game directory on
// the headless backend, small picture files made on the spot, and transcript
// searches.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/headless.h"
#include "platform/platform.h"
#include "state.h"

namespace shelltest {

namespace fs = std::filesystem;

// A 24-bit BMP whose pixel (x, y) is colour(x, y) as 0xRRGGBB.
void writeBmp(const fs::path& path, int w, int h, const std::function<unsigned(int, int)>& colour);
void writeBmp(const fs::path& path, int w, int h, unsigned colour);
// A 32-bit icon whose pixel (x, y) is argb(x, y) as 0xAARRGGBB (alpha 0 = transparent).
void writeIco(const fs::path& path, int w, int h, const std::function<unsigned(int, int)>& argb);

void writeFile(const fs::path& path, const std::string& bytes);
std::string readFile(const fs::path& path);  // "" when missing

// Transcript lines that contain the text, in order.
std::vector<std::string> linesWith(const std::string& text);
// Index of the first transcript line containing the text, -1 when none.
int lineIndex(const std::string& text, int from = 0);

// The title picture (bitmap resource 120) decoded from the program's resources.
bool titlePicture(int& w, int& h, std::vector<unsigned>& rgb);

// Colours of the pictures the fixture writes.
constexpr unsigned FLOOR_RGB = 0x604020;   // s.bmp
constexpr unsigned AIR_RGB = 0x80C0F0;     // a.bmp
constexpr unsigned LADDER_RGB = 0xA06010;  // q.bmp
constexpr unsigned HERO_RIGHT_RGB = 0xFF0000;
constexpr unsigned HERO_LEFT_RGB = 0x00FF00;
constexpr unsigned HERO_FRONT_RGB = 0x0000FF;
constexpr unsigned EMPTY_SLOT_RGB = 0x123456;  // pas.bmp
// "copie de X.bmp" of the item column: a colour made from the tile code.
unsigned copyColour(char code);

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Picture files of a small game directory: tiles s, a and q, the three hero
    // icons (opaque 12 x 12 square in the middle of a transparent 24 x 24),
    // credits.bmp, pas.bmp and the item copies; then loads the tiles.
    void writePictures();
    // Creates the main window with mainWindowProc, at the playing size (playing
    // true, onTitleScreen 0) or at the title-screen size.
    platform::Window openMain(bool playing);
    // A grid of background with a floor row under the hero's row, the hero at
    // view (7, 5) of origin (viewLeft, viewTop) facing right; refreshes the view.
    void corridor(int viewLeft = 40, int viewTop = 50);
    int heroGridCol() const { return gs.viewLeft + gs.heroCol; }
    int heroGridRow() const { return gs.viewTop + gs.heroRow; }
    unsigned px(int x, int y) const;

    fs::path dir;

private:
    fs::path oldCwd_;
};

}  // namespace shelltest
