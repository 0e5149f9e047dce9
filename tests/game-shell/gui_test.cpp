// The real game under X, one run: a missing music player is reported, then the
// game shows the title picture with its menu bar, "A propos" and "Options" open
// their boxes, the close box ends it and tells the music player to stop.
// The platform headers before the X headers, whose macros clash with them.
#include <algorithm>

#include "image_decode.h"
#include "platform/platform.h"
#include "real_game.h"

extern const platform::ResourceBlob QUELMAR_GAME_RESOURCES[];
extern const std::size_t QUELMAR_GAME_RESOURCE_COUNT;

namespace {

using namespace realgame;

TEST_F(RealGameTest, MissingPlayerTitlePictureAboutOptionsAndTheCloseBox) {
    fs::remove(dir_ / "sons" / "QuelmaR Son");
    launch();
    Window box = x_.waitFor("Erreur de lancement...", 10s);
    ASSERT_NE(box, 0u) << "no box about the music player";
    // The title music was chosen before the launch was tried.
    EXPECT_EQ(readFile(dir_ / "sons" / "MusicCfg.cfg"), "musique:0");
    dismiss(box, "Erreur de lancement");
    window_ = x_.find(">>>  La Malediction De Quelmar");
    ASSERT_NE(window_, 0u) << "the game did not go on";

    // The title picture, bitmap resource 120, decoded as the game does.
    const auto* end = QUELMAR_GAME_RESOURCES + QUELMAR_GAME_RESOURCE_COUNT;
    const auto* blob = std::find_if(QUELMAR_GAME_RESOURCES, end, [](const auto& r) { return r.id == 120; });
    platform::image::Rgba title;
    ASSERT_TRUE(blob != end && platform::image::decode(blob->data, blob->size, title));
    const int tw = title.w, th = title.h;
    ASSERT_EQ(std::pair(tw, th), std::pair(390, 350));
    // The picture sits at the client's origin, below the menu bar: 98 % of a
    // sample of its pixels match within 8 per colour part.
    Shot s;
    int menuBar = 0, same = 0, tried = 0;
    for (int attempt = 0; attempt < 100 && same * 100 < tried * 98 + 1; ++attempt) {
        std::this_thread::sleep_for(50ms);
        s = x_.grab(window_);
        menuBar = s.h - th;
        same = tried = 0;
        for (int y = 0; y < th && menuBar > 0; y += 7)
            for (int x = 0; x < tw && x < s.w; x += 5, ++tried) {
                const unsigned long a = s.at(x, menuBar + y);
                bool near = true;
                for (int k = 0; k < 3; ++k) near &= std::abs(int(a >> (16 - 8 * k) & 0xFF) - int(title.at(x, y)[k])) <= 8;
                same += near;
            }
    }
    shot(fs::path(QUELMAR_SHOT_DIR) / "title.png");
    ASSERT_GT(menuBar, 10) << "no menu bar";
    EXPECT_EQ(s.w, 390);
    EXPECT_GE(same * 100, tried * 98) << "the title picture is not under the menu bar";

    // "?" is the third title of the bar, "A propos" its second entry.
    menu(145, "Down Down Return");
    Window about = x_.waitFor("A Propos de...", 5s);
    shot(fs::path(QUELMAR_SHOT_DIR) / "about.png");
    ASSERT_NE(about, 0u) << "no about box";
    dismiss(about, "A Propos de...");

    // "Options" is the fourth command of the first menu (separators are skipped).
    menu(20, "Down Down Down Down Return");
    Window options = x_.waitFor("Reglages:", 5s);
    std::this_thread::sleep_for(300ms);
    shot(fs::path(QUELMAR_SHOT_DIR) / "options.png");
    ASSERT_NE(options, 0u) << "no settings dialog";
    XWindowAttributes attr;
    XGetWindowAttributes(x_.dpy(), options, &attr);
    // 200 x 96 dialog units with the dialog font: wider than tall, a real dialog.
    EXPECT_GT(attr.width, 250);
    EXPECT_GT(attr.height, 120);
    EXPECT_GT(attr.width, attr.height);
    // Annuler closes it and writes nothing.
    const std::string before = readFile(dir_ / "Reglages.cfg");
    dismiss(options, "Reglages:", "Escape");
    EXPECT_EQ(readFile(dir_ / "Reglages.cfg"), before);

    x_.closeBox(window_);
    ASSERT_TRUE(waitExit(5s)) << "the close box did not end the game";
    EXPECT_EQ(readFile(dir_ / "sons" / "MusicCfg.cfg"), "musique:100");
}

TEST_F(RealGameTest, StartedFromAnotherFolderQuittingStillEndsTheMusicPlayer) {
    // The game started from a folder of its own: it writes its control file
    // under that folder, and the music player must read it there.
    const fs::path elsewhere = dir_ / "ailleurs";
    fs::create_directories(elsewhere);
    std::ofstream(elsewhere / "Reglages.cfg", std::ios::binary) << "son=0,Musique=0,Rapidit\xE9=1";
    launch(elsewhere);
    window_ = x_.waitFor(">>>  La Malediction De Quelmar");
    ASSERT_NE(window_, 0u) << "the main window did not appear";
    std::vector<pid_t> player;
    ASSERT_TRUE(within(5s, [&] {
        player = startedHere();
        std::erase(player, pid_);
        return !player.empty();
    })) << "no music player";
    std::error_code ec;
    EXPECT_EQ(fs::read_symlink("/proc/" + std::to_string(player[0]) + "/cwd", ec), elsewhere / "sons");

    x_.closeBox(window_);
    ASSERT_TRUE(waitExit(5s)) << "the close box did not end the game";
    EXPECT_EQ(readFile(elsewhere / "sons" / "MusicCfg.cfg"), "musique:100");
    EXPECT_TRUE(within(3s, [&] { return startedHere().empty(); })) << "the music player plays on";
}

}  // namespace
