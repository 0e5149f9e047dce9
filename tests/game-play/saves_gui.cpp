// Saving and loading on the real backend: "Sauvegarde en cours..." drawn over
// the scene while the file is written, then the scene back; the load dialog's
// rows, each slot's fields and button on one line.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "platform/platform.h"
#include "resources/dlg_slots.h"
#include "saves/slots.h"
#include "shell/mainwindow.h"
#include "shell/window.h"
#include "state.h"
#include "testing.h"
#include "world/scene.h"

namespace {

namespace fs = std::filesystem;
using platform::Rect;
namespace wxtest = platform::wxtest;

void shot(const char* name) {
    const std::string command = "import -window root '" + std::string(QUELMAR_SHOT_DIR) + "/" + name + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0) std::printf("no screenshot %s\n", name);
}

class SavesOnScreen : public ::testing::Test {
protected:
    void SetUp() override {
        home_ = fs::current_path();
        char pattern[] = "/tmp/quelmar-saves-gui-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        fs::create_directory(dir_ / "sons");
        fs::current_path(dir_);
        gs = GameState{};
        gs.imagesDir = std::string(QUELMAR_STAGE_DIR) + "/Images/";
        gs.heroRightIconPath = gs.imagesDir + "hommed.ico";
        gs.soundOn = gs.musicOn = 0;
        loadTileBitmaps();
        gs.mainWindow = platform::createWindow({.className = "std", .title = MAIN_WINDOW_TITLE, .x = PLAY_WINDOW_X,
                                                .y = PLAY_WINDOW_Y, .clientW = PLAY_CLIENT_W,
                                                .clientH = PLAY_CLIENT_H, .proc = mainWindowProc});
        gs.onTitleScreen = 0;
        const char* tiles = "asstqa";
        for (int r = 0; r < GRID_ROWS; ++r)
            for (int c = 0; c < GRID_COLS; ++c) gs.LevelGrid[r][c] = r % 11 == 10 ? 's' : tiles[(r * 7 + c) % 6];
        std::tie(gs.viewLeft, gs.viewTop, gs.heroCol, gs.heroRow, gs.maxLife) = std::tuple(20, 30, 7, 5, 100);
        gs.playerName = "Gauvain le Preux";
        refreshView();
        wxtest::runFor(400);  // mapped and painted
    }
    void TearDown() override {
        platform::setFileWriteObserver(nullptr);
        if (platform::isWindow(gs.mainWindow)) platform::destroyWindow(gs.mainWindow);
        for (platform::Image& image : gs.tileBitmaps) platform::freeImage(std::exchange(image, nullptr));
        fs::current_path(home_);
        fs::remove_all(dir_);
    }
    fs::path home_, dir_;
};

// The text's area in the window's backing store, and how many of its black
// pixels (one in ten) the screen shows black too.
struct Area {
    std::vector<unsigned> px;
    int blackOnScreen = 0, blackSampled = 0;
};
Area textArea(bool sampleScreen = false) {
    Area a;
    for (int y = 80; y < 125; ++y)
        for (int x = 70; x < 400; ++x) {
            a.px.push_back(wxtest::backingPixel(gs.mainWindow, x, y));
            if (sampleScreen && a.px.back() == 0 && a.px.size() % 10 == 0) {
                ++a.blackSampled;
                a.blackOnScreen += wxtest::screenPixel(gs.mainWindow, x, y) == 0;
            }
        }
    return a;
}
int countOf(const Area& a, unsigned colour) { return static_cast<int>(std::count(a.px.begin(), a.px.end(), colour)); }

Area duringWrite;

TEST_F(SavesOnScreen, TheSavingTextIsOverTheSceneWhileTheFileIsWritten) {
    drawScene();
    wxtest::runFor(200);
    const Area before = textArea();
    platform::setFileWriteObserver([](const std::string&, std::string_view) {
        duringWrite = textArea(true);
        shot("saving.png");
    });
    saveToSlot(0);
    wxtest::runFor(200);
    ASSERT_FALSE(duringWrite.px.empty()) << "the file was not written";
    // The black text and its grey shadow, over the scene's tiles, and on screen.
    EXPECT_GT(countOf(duringWrite, 0x000000) - countOf(before, 0x000000), 200);
    EXPECT_GT(countOf(duringWrite, 0xC8C8C8) - countOf(before, 0xC8C8C8), 100);
    EXPECT_GT(duringWrite.blackSampled, 20);
    EXPECT_EQ(duringWrite.blackOnScreen, duringWrite.blackSampled);
    EXPECT_EQ(textArea().px, before.px) << "the scene drawn again over the text";
    EXPECT_EQ(gs.saveSlots[0].name, "Gauvain le Preux");
}

platform::Window openDialog = nullptr;
long spyLoad(platform::Window dlg, platform::Msg msg, long a, long b) {
    if (msg == platform::Msg::InitDialog) openDialog = dlg;
    return loadDialogProc(dlg, msg, a, b);
}

TEST_F(SavesOnScreen, TheLoadDialogShowsEachSlotOnOneRow) {
    saveToSlot(1);
    saveToSlot(3);
    bool checked = false;
    wxtest::after(600, [&] {
        const Rect client = platform::clientRect(openDialog);
        int lastBottom = 0;
        for (int s = 0; s < SLOT_COUNT; ++s) {
            SCOPED_TRACE(testing::Message() << "slot " << s);
            const Rect parts[] = {wxtest::controlRect(openDialog, IDC_SLOT_NAME[s]),
                                  wxtest::controlRect(openDialog, IDC_SLOT_GOLD[s]),
                                  wxtest::controlRect(openDialog, IDC_SLOT_XP[s]),
                                  wxtest::controlRect(openDialog, IDC_SLOT_BUTTON[s])};
            const int middle = (parts[0].top + parts[0].bottom) / 2;
            for (int k = 0; k < 4; ++k) {
                EXPECT_NEAR((parts[k].top + parts[k].bottom) / 2, middle, 3) << k;
                EXPECT_GT(parts[k].top, lastBottom) << k;
                EXPECT_LE(parts[k].right, client.right) << k;
                if (k > 0) {
                    EXPECT_GT(parts[k].left, parts[k - 1].right) << k;
                }
            }
            EXPECT_GT(parts[0].right - parts[0].left, 150) << "room for a knight's name";
            lastBottom = std::max(parts[0].bottom, parts[3].bottom);
        }
        EXPECT_LT(lastBottom, wxtest::controlRect(openDialog, IDC_SLOT_CANCEL).top);
        EXPECT_EQ(platform::getItemText(openDialog, IDC_SLOT_NAME[3]), "Gauvain le Preux");
        EXPECT_EQ(platform::getItemText(openDialog, IDC_SLOT_NAME[2]), "");
        shot("load-dialog.png");
        checked = true;
        wxtest::click(openDialog, IDC_SLOT_BUTTON[3]);
    });
    gs.chosenSlot = -1;
    platform::dialogBox(loadSlotDialog(), gs.mainWindow, spyLoad);
    EXPECT_TRUE(checked);
    EXPECT_EQ(gs.chosenSlot, 3);
}

}  // namespace
