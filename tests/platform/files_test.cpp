// Text encodings, atomic file replacement, bounded token reading, paths.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <tuple>

#include "platform/files.h"
#include "support.h"

using namespace platform;
using support::slurp, support::spit, support::TempDir;

namespace {
std::vector<std::string> observed;
void observe(const std::string& path, std::string_view bytes) { observed.push_back(path + "=" + std::string(bytes)); }
}  // namespace

TEST(Encoding, EveryByteSurvivesTheRoundTrip) {
    std::string all;
    for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
    EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(all)), all);
}

TEST(Encoding, BothWaysAndQuestionMarksForWhatHasNoByte) {
    const std::pair<std::string, std::string> both[] = {  // Windows-1252, UTF-8
        {"\x80", "\u20AC"}, {"\x92", "\u2019"}, {"\x9F", "\u0178"}, {"\x9Cuvre", "\u0153uvre"},
        {"\x8D", "\u008D"},  // undefined byte keeps its value
        {"ch\xE2teau \xE9p\xE9" "e", "château épée"}};
    for (const auto& [cp, utf8] : both) {
        EXPECT_EQ(cp1252ToUtf8(cp), utf8);
        EXPECT_EQ(utf8ToCp1252(utf8), cp) << utf8;
    }
    const std::pair<std::string, std::string> lossy[] = {  // UTF-8, Windows-1252
        {"a\u4E2Db", "a?b"},        {"\U0001F600", "?"},  // no single-byte form; outside the BMP
        {"\u0080\u0081", "?\x81"},  // C1 0x80 is not 0x80 (that is the euro)
        {"x\xFFy", "x?y"},          {"\xC3", "?"}, {"\xC3(a", "?(a"},  // invalid, cut, bad continuation
        {"\xC0\xAF", "??"},         {"\xED\xA0\x80", "???"}};           // overlong, surrogate
    for (const auto& [utf8, cp] : lossy) EXPECT_EQ(utf8ToCp1252(utf8), cp) << utf8;
}

TEST(ReplaceFile, WritesReplacesAndTellsTheObserver) {
    TempDir d;
    observed.clear();
    setFileWriteObserver(observe);
    ASSERT_TRUE(replaceFile(d / "save.sav", "first"));
    ASSERT_TRUE(replaceFile(d / "save.sav", std::string("se\0cond", 7)));
    setFileWriteObserver(nullptr);
    EXPECT_EQ(slurp(d / "save.sav"), std::string("se\0cond", 7));
    ASSERT_EQ(observed.size(), 2u);
    EXPECT_EQ(observed[0], d / "save.sav" + "=first");
    EXPECT_EQ(d.entries(), 1);  // no temporary file left behind
    // The mode a plain creation would give, not the private one of a temporary file.
    const mode_t mask = umask(022);
    umask(mask);
    struct stat st;
    ASSERT_EQ(stat((d / "save.sav").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
}

TEST(ReplaceFile, AFailedWriteKeepsTheOldFile) {
    TempDir d;
    spit(d / "Reglages.cfg", std::string("old contents"));
    observed.clear();
    setFileWriteObserver(observe);
    // The disk "fills up" after 4 KB: the write fails half-way through.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool ok = replaceFile(d / "Reglages.cfg", std::string(100000, 'x'));
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(ok);
    EXPECT_EQ(slurp(d / "Reglages.cfg"), "old contents");
    EXPECT_EQ(d.entries(), 1);
    // The rename fails (a directory stands at the target): the temporary file goes too.
    support::fs::create_directories(d.path / "perso.niv" / "x");
    EXPECT_FALSE(replaceFile(d / "perso.niv", "new"));
    EXPECT_FALSE(replaceFile(d / "missing-dir/file", "x"));
    setFileWriteObserver(nullptr);
    EXPECT_EQ(d.entries(), 2);
    EXPECT_TRUE(observed.empty());
}

TEST(ReadTokens, SplitsOnAnyWhitespaceUpToTheBounds) {
    TempDir d;
    spit(d / "t", std::string("  musique:3\r\n\tdeux  trois\vquatre\fcinq"));
    const std::tuple<std::size_t, std::size_t, std::vector<std::string>> rows[] = {  // tokens, bytes, result
        {10, 4096, {"musique:3", "deux", "trois", "quatre", "cinq"}}, {2, 4096, {"musique:3", "deux"}},
        {10, 15, {"musique:3", "d"}},  // the byte bound cuts the file and its token
        {0, 4096, {}}};
    for (const auto& [tokens, bytes, want] : rows) {
        std::vector<std::string> out{"stale"};
        ASSERT_TRUE(readTokens(d / "t", out, tokens, bytes));
        EXPECT_EQ(out, want) << tokens << " " << bytes;
    }
    std::vector<std::string> out{"stale"};
    EXPECT_FALSE(readTokens(d / "none", out, 5));
    EXPECT_TRUE(out.empty());
    // 4 GB of zeros (sparse): one endless token, read only up to the bound.
    std::ofstream(d / "huge").close();
    ASSERT_EQ(truncate((d / "huge").c_str(), 4LL << 30), 0);
    ASSERT_TRUE(readTokens(d / "huge", out, 3, 1 << 16));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].size(), 1u << 16);
}

TEST(Paths, DirNameAndFileExists) {
    const std::pair<const char*, const char*> dirs[] = {
        {"/opt/jeu/quelmar-headless", "/opt/jeu"}, {"jeu/Quelmar", "jeu"}, {"/Quelmar", ""}, {"Quelmar", "."}};
    for (auto [path, dir] : dirs) EXPECT_EQ(dirName(path), dir) << path;
    TempDir d;
    EXPECT_FALSE(fileExists(d / "x"));
    spit(d / "x", std::string());
    EXPECT_TRUE(fileExists(d / "x"));
}
