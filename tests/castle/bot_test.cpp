// The castle bot plays a game through the runner in process; the script it
// writes replays to the same transcript and the same final state.
#include <gtest/gtest.h>

#include <filesystem>

#include "bot.h"

TEST(CastleBot, PlaysFightsAndItsScriptReplaysIdentically) {
    const bot::Report r = bot::playInFreshFolder(8, QUELMAR_STAGE_DIR, CASTLE_LEVEL);
    // The replay starts from the same empty folder: first launch, no saves.
    namespace fs = std::filesystem;
    const fs::path before = fs::current_path(), dir = fs::temp_directory_path() / "castle_bot_replay";
    fs::remove_all(dir);
    fs::create_directories(dir / "sons");
    fs::copy_file(CASTLE_LEVEL, dir / "niveau.niv");
    fs::current_path(dir);
    const std::string again = bot::replay(r.script, QUELMAR_STAGE_DIR);
    fs::current_path(before);
    fs::remove_all(dir);

    EXPECT_EQ(again, r.output);
    EXPECT_GE(r.fights, 10) << r.stoppedBy;
    EXPECT_NE(r.output.find("dialog open 113"), std::string::npos);
    int waits = 0, clicks = 0;
    for (std::size_t i = 1; i < r.script.size(); ++i)
        if (r.script[i].rfind("click 103", 0) == 0) {
            ++clicks;
            std::size_t j = i - 1;  // the answers of boxes the click opened come between
            while (j > 0 && r.script[j].rfind("answer ", 0) == 0) --j;
            waits += r.script[j].rfind("wait ", 0) == 0 && std::stoi(r.script[j].substr(5)) >= 350;
        }
    EXPECT_GT(clicks, 20);
    EXPECT_EQ(waits, clicks);
}
