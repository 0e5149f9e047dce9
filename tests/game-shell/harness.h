// Set-up shared by the shell's tests: a fresh game in a temporary game directory,
// picture files made on the spot, transcript searches.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "../platform/support.h"
#include "platform/headless.h"
#include "platform/platform.h"
#include "shell/mainwindow.h"
#include "shell/window.h"
#include "state.h"
#include "world/scene.h"

extern const platform::ResourceBlob QUELMAR_GAME_RESOURCES[];
extern const std::size_t QUELMAR_GAME_RESOURCE_COUNT;

namespace shelltest {

namespace fs = std::filesystem;
namespace hl = platform::headless;

inline void writeFile(const fs::path& path, const std::string& bytes) { support::spit(path, bytes); }
inline std::string readFile(const fs::path& path) { return support::slurp(path); }  // "" when missing

// A 24-bit BMP whose pixel (x, y) is colour(x, y) as 0xRRGGBB, or a square
// 32-bit icon of 0xAARRGGBB pixels.
inline void writePicture(const fs::path& path, int w, int h, const support::PixelFn& colour, bool icon = false) {
    support::spit(path, icon ? support::icoFile(w, support::dib(w, h, 32, colour, {}, false, true))
                             : support::bmpFile(support::dib(w, h, 24, colour)));
}
inline void writeBmp(const fs::path& path, int w, int h, unsigned colour) {
    writePicture(path, w, h, [colour](int, int) { return colour; });
}

// Transcript lines that contain the text, in order.
inline std::vector<std::string> linesWith(const std::string& text) {
    std::vector<std::string> out;
    for (const std::string& line : hl::transcript())
        if (line.find(text) != std::string::npos) out.push_back(line);
    return out;
}
// Index of the first transcript line from `from` containing the text, -1 when none.
inline int lineIndex(const std::string& text, int from = 0) {
    const auto& lines = hl::transcript();
    for (int i = from; i < static_cast<int>(lines.size()); ++i)
        if (lines[static_cast<std::size_t>(i)].find(text) != std::string::npos) return i;
    return -1;
}

// Every text on a later transcript line than the one before, the first after
// line `after`.
inline void expectInOrder(const std::vector<std::string>& texts, int after = -1) {
    for (const std::string& text : texts) {
        const int next = lineIndex(text, after + 1);
        ASSERT_GT(next, after) << "missing or out of order: " << text;
        after = next;
    }
}

// Colours of the pictures the fixture writes: s, a, q, the hero icons, pas.bmp.
constexpr unsigned FLOOR_RGB = 0x604020, AIR_RGB = 0x80C0F0, LADDER_RGB = 0xA06010;
constexpr unsigned HERO_RIGHT_RGB = 0xFF0000, HERO_LEFT_RGB = 0x00FF00, HERO_FRONT_RGB = 0x0000FF;
constexpr unsigned EMPTY_SLOT_RGB = 0x123456;
// "copie de X.bmp" of the item column: a colour made from the tile code.
inline unsigned copyColour(char code) {
    const unsigned k = static_cast<unsigned char>(code);
    return ((k * 37u) & 0xFF) << 16 | ((k * 91u) & 0xFF) << 8 | 0x40u;
}

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        hl::reset();
        platform::setResources(QUELMAR_GAME_RESOURCES, QUELMAR_GAME_RESOURCE_COUNT);
        gs = GameState{};
        oldCwd_ = fs::current_path();
        dir = fs::temp_directory_path() / ("quelmar-shell-" + std::to_string(getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        for (const char* sub : {"Images", "sons"}) fs::create_directories(dir / sub);
        fs::current_path(dir);
        std::tie(gs.GameDir, gs.imagesDir, gs.soundDir) = std::tuple(dir.string(), dir.string() + "/Images/", dir.string() + "/sons/");
        for (auto [path, name] : {std::pair{&gs.heroRightIconPath, "hommed"}, {&gs.heroLeftIconPath, "hommeg"},
                                  {&gs.heroFrontIconPath, "hommem"}})
            *path = gs.imagesDir + name + ".ico";
    }
    void TearDown() override {
        for (platform::Image& image : gs.tileBitmaps) platform::freeImage(std::exchange(image, nullptr));
        platform::freeImage(std::exchange(gs.creditsBitmap, nullptr));
        hl::reset();
        fs::current_path(oldCwd_);
        fs::remove_all(dir);
    }

    // Picture files of a small game directory: tiles s, a and q, the three hero
    // icons (opaque 12 x 12 square in the middle of a transparent 24 x 24),
    // pas.bmp, white tiles for the codes 33, 34, 123 and 124, the item copies;
    // then loads the tiles.
    void writePictures() {
        const fs::path images = dir / "Images";
        for (auto [name, rgb] : {std::pair{"s", FLOOR_RGB}, {"a", AIR_RGB}, {"q", LADDER_RGB}})
            writeBmp(images / (std::string(name) + ".bmp"), 24, 24, rgb);
        for (auto [name, rgb] : {std::pair{"hommed", HERO_RIGHT_RGB}, {"hommeg", HERO_LEFT_RGB}, {"hommem", HERO_FRONT_RGB}})
            writePicture(images / (std::string(name) + ".ico"), 24, 24, [rgb = rgb](int x, int y) {
                return x >= 6 && x < 18 && y >= 6 && y < 18 ? 0xFF000000u | rgb : 0u;
            }, true);
        writeBmp(images / "pas.bmp", 24, 21, EMPTY_SLOT_RGB);
        for (char code : std::string("!|\"{")) writeBmp(images / (std::string(1, code) + ".bmp"), 24, 24, 0xFFFFFF);
        for (char code : std::string("ebm79h8nouvwxyz"))
            writeBmp(images / ("copie de " + std::string(1, code) + ".bmp"), 24, 21, copyColour(code));
        loadTileBitmaps();
    }
    // Creates the main window with mainWindowProc, at the playing size (playing
    // true, onTitleScreen 0) or at the title-screen size.
    platform::Window openMain(bool playing) {
        gs.mainWindow = platform::createWindow({.className = "std", .title = MAIN_WINDOW_TITLE,
                                                .x = playing ? PLAY_WINDOW_X : TITLE_WINDOW_X,
                                                .y = playing ? PLAY_WINDOW_Y : TITLE_WINDOW_Y,
                                                .clientW = playing ? PLAY_CLIENT_W : TITLE_CLIENT_W,
                                                .clientH = playing ? PLAY_CLIENT_H : TITLE_CLIENT_H,
                                                .proc = mainWindowProc});
        gs.onTitleScreen = playing ? 0 : 1;
        return gs.mainWindow;
    }
    // A grid of background with a floor row under the hero's row, the hero at
    // view (7, 5) of origin (viewLeft, viewTop) facing right; refreshes the view.
    void corridor(int viewLeft = 40, int viewTop = 50) {
        for (auto& row : gs.LevelGrid) std::fill(std::begin(row), std::end(row), 'a');
        std::tie(gs.viewLeft, gs.viewTop, gs.heroCol, gs.heroRow, gs.heroFacing) = std::tuple(viewLeft, viewTop, 7, 5, 1);
        std::fill_n(gs.LevelGrid[viewTop + 6], GRID_COLS, 's');
        refreshView();
    }
    // Paints the whole client area in one colour.
    void fill(unsigned c) {
        platform::Dc dc = platform::getDc(gs.mainWindow);
        const platform::Color colour = platform::rgb(static_cast<int>(c >> 16), (c >> 8) & 0xFF, c & 0xFF);
        platform::rectangle(dc, platform::Rect{0, 0, PLAY_CLIENT_W, PLAY_CLIENT_H}, colour, colour);
        platform::releaseDc(dc);
    }
    int heroGridCol() const { return gs.viewLeft + gs.heroCol; }
    unsigned px(int x, int y) const { return hl::pixel(gs.mainWindow, x, y); }

    fs::path dir;

private:
    fs::path oldCwd_;
};

}  // namespace shelltest
