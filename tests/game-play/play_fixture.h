// Shared set-up of the play tests: a fresh game state on the headless backend,
// a main window to draw into, hand-made grids and readers of the transcript.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/headless.h"
#include "platform/platform.h"
#include "state.h"
#include "world/scene.h"

namespace play {

namespace hl = platform::headless;

inline long quietProc(platform::Window w, platform::Msg m, long a, long b) {
    return platform::defaultWindowProc(w, m, a, b);
}

// Lines of the transcript that start with the prefix, without it.
inline std::vector<std::string> linesAfter(std::string_view prefix) {
    std::vector<std::string> out;
    for (const std::string& line : hl::transcript())
        if (line.rfind(prefix, 0) == 0) out.push_back(line.substr(prefix.size()));
    return out;
}
inline std::vector<std::string> sounds() { return linesAfter("sound "); }
inline std::vector<std::string> boxes() { return linesAfter("box "); }
inline std::vector<std::string> musics() { return linesAfter("music "); }

// Index of the first transcript line starting with the prefix, -1 if none.
inline int lineIndex(std::string_view prefix) {
    const auto& t = hl::transcript();
    for (std::size_t i = 0; i < t.size(); ++i)
        if (t[i].rfind(prefix, 0) == 0) return static_cast<int>(i);
    return -1;
}

class PlayTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Each test plays in its own working directory, where the game writes
        // sons/MusicCfg.cfg and reads its level files.
        home_ = std::filesystem::current_path();
        char pattern[] = "/tmp/quelmar-play-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        std::filesystem::create_directory(dir_ / "sons");
        std::filesystem::current_path(dir_);
        hl::reset();
        gs = GameState{};
        platform::WindowInit init;
        init.className = "std";
        init.title = "test";
        init.clientW = 480;
        init.clientH = 400;
        init.proc = quietProc;
        gs.mainWindow = platform::createWindow(init);
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
    }
    // A floor of `s` across the whole row.
    static void floorRow(int row) { put(row, 0, std::string(GRID_COLS, 's')); }

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
};

}  // namespace play
