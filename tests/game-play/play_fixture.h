// Set-up shared by the headless play tests (and tests/castle): a fresh game in its
// own working directory, a main window, hand-made grids, transcript readers.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>  // mkdtemp

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/headless.h"
#include "platform/platform.h"
#include "shell/mainwindow.h"
#include "state.h"
#include "world/scene.h"

namespace play {

namespace hl = platform::headless;
using Strings = std::vector<std::string>;

// Index of the first transcript line starting with the prefix, -1 if none.
inline int lineIndex(std::string_view prefix) {
    const auto& t = hl::transcript();
    for (std::size_t i = 0; i < t.size(); ++i)
        if (t[i].rfind(prefix, 0) == 0) return static_cast<int>(i);
    return -1;
}
// Lines of the transcript that start with the prefix, without it.
inline Strings linesAfter(std::string_view prefix) {
    Strings out;
    for (const std::string& line : hl::transcript())
        if (line.rfind(prefix, 0) == 0) out.push_back(line.substr(prefix.size()));
    return out;
}
inline Strings sounds() { return linesAfter("sound "); }
inline Strings boxes() { return linesAfter("box "); }
inline Strings musics() { return linesAfter("music "); }
inline bool heard(const std::string& sound) { return std::ranges::count(sounds(), sound) > 0; }

class PlayTest : public ::testing::Test {
protected:
    // The game writes sons/MusicCfg.cfg and reads its level files in the
    // working directory: each test has its own.
    void SetUp() override {
        home_ = std::filesystem::current_path();
        char pattern[] = "/tmp/quelmar-play-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        std::filesystem::create_directory(dir_ / "sons");
        std::filesystem::current_path(dir_);
        hl::reset();
        gs = GameState{};
        gs.mainWindow = platform::createWindow({.className = "std", .title = "test", .clientW = 480, .clientH = 400,
                                                .proc = platform::defaultWindowProc});
        platform::updateWindow(gs.mainWindow);  // its first paint
        gs.onTitleScreen = 0;
        fill('a');
        hl::clearTranscript();
    }
    void TearDown() override {
        hl::reset();
        std::filesystem::current_path(home_);
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    std::filesystem::path home_, dir_;

    static void fill(char tile) {
        for (auto& row : gs.LevelGrid) std::fill(std::begin(row), std::end(row), tile);
    }
    // Writes the tiles of text into grid row `row` from column `col` on.
    static void put(int row, int col, std::string_view text) {
        for (std::size_t i = 0; i < text.size(); ++i) gs.LevelGrid[row][col + i] = text[i];
        refreshView();
    }
    static void floorRow(int row) { put(row, 0, std::string(GRID_COLS, 's')); }
    // The game's own main window in place of the plain one, so that timer
    // ticks (the escape's countdown) reach the dispatcher.
    static void dispatcherWindow() {
        gs.mainWindow = platform::createWindow({.className = "std", .title = "test", .clientW = 480, .clientH = 400,
                                                .proc = mainWindowProc});
    }

    // Puts the hero on a grid cell with the view centred on it as far as the
    // grid allows, the way a new game places him.
    static void placeHero(int row, int col, int facing = 1) {
        gs.viewLeft = std::clamp(col - 7, 0, VIEW_LEFT_MAX);
        gs.viewTop = std::clamp(row - 5, 0, VIEW_TOP_MAX);
        gs.heroCol = col - gs.viewLeft;
        gs.heroRow = row - gs.viewTop;
        gs.heroFacing = facing;
        if (facing != 0) gs.heroSideFacing = facing;
        refreshView();
    }
    static int gridRow() { return gs.viewTop + gs.heroRow; }
    static int gridCol() { return gs.viewLeft + gs.heroCol; }
    // The hero's grid cell, row then column.
    static std::pair<int, int> where() { return {gridRow(), gridCol()}; }
};

}  // namespace play
