// Reading the real control file from the working directory.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "control.h"
#include "player.h"

namespace {

namespace fs = std::filesystem;

class ControlFile : public ::testing::Test {
protected:
    fs::path old, dir;
    void SetUp() override {
        old = fs::current_path();
        std::string pattern = (fs::temp_directory_path() / "quelmar-cfg-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        fs::current_path(dir);
    }
    void TearDown() override {
        fs::current_path(old);
        fs::remove_all(dir);
    }
    void write(const std::string& bytes) {
        std::ofstream(MUSIC_CONTROL_FILE, std::ios::binary | std::ios::trunc) << bytes;
    }
};

TEST_F(ControlFile, FirstTokenOnly) {
    std::string token = "before";
    write("  \r\n musique:3 musique:4");
    ASSERT_TRUE(readControlFile(token));
    EXPECT_EQ(token, "musique:3");
    // What follows the first token, however long, is not needed.
    write("musique:2\n" + std::string(8 << 20, 'z'));
    ASSERT_TRUE(readControlFile(token));
    EXPECT_EQ(token, "musique:2");
}

TEST_F(ControlFile, MissingOrEmptyGivesNothing) {
    std::string token = "musique:1";
    EXPECT_FALSE(readControlFile(token));
    write("");
    EXPECT_FALSE(readControlFile(token));
    write(" \n\t ");
    EXPECT_FALSE(readControlFile(token));
    EXPECT_EQ(token, "musique:1");
}

TEST_F(ControlFile, OversizedFileIsReadWithABound) {
    std::string token;
    write(std::string(CONTROL_READ_LIMIT * 64, '7'));
    ASSERT_TRUE(readControlFile(token));
    EXPECT_EQ(token.size(), CONTROL_READ_LIMIT);
    // A token beyond the bound is not seen at all.
    write(std::string(CONTROL_READ_LIMIT, ' ') + "musique:100");
    EXPECT_FALSE(readControlFile(token));
}

}  // namespace
