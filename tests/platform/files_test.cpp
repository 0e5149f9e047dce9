#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "platform/files.h"

namespace fs = std::filesystem;
using namespace platform;

namespace {

struct TempDir {
    fs::path path;
    TempDir() {
        std::string t = (fs::temp_directory_path() / "qfilesXXXXXX").string();
        path = mkdtemp(t.data());
    }
    ~TempDir() {
        std::error_code ec;
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path, ec);
    }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
};

std::string slurp(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void write(const std::string& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

std::vector<std::string> observed;
void observe(const std::string& path, std::string_view bytes) {
    observed.push_back(path + "=" + std::string(bytes));
}

}  // namespace

TEST(Encoding, EveryByteSurvivesTheRoundTrip) {
    std::string all;
    for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
    const std::string utf8 = cp1252ToUtf8(all);
    EXPECT_EQ(utf8ToCp1252(utf8), all);
    // Every byte maps to a distinct character.
    std::set<std::string> seen;
    for (int i = 0; i < 256; ++i) seen.insert(cp1252ToUtf8(std::string(1, static_cast<char>(i))));
    EXPECT_EQ(seen.size(), 256u);
}

TEST(Encoding, TheWindowsRowAndLatinLetters) {
    EXPECT_EQ(cp1252ToUtf8("\x80"), "\u20AC");
    EXPECT_EQ(cp1252ToUtf8("\x92"), "\u2019");
    EXPECT_EQ(cp1252ToUtf8("\x9F"), "\u0178");
    EXPECT_EQ(cp1252ToUtf8("\x8D"), "\u008D");  // undefined byte keeps its value
    EXPECT_EQ(cp1252ToUtf8("ch\xE2teau \xE9p\xE9" "e"), "château épée");
    EXPECT_EQ(utf8ToCp1252("clé €"), "cl\xE9 \x80");
    EXPECT_EQ(utf8ToCp1252("\u0153uvre"), "\x9Cuvre");
}

TEST(Encoding, CharactersWithoutAByteBecomeQuestionMarks) {
    EXPECT_EQ(utf8ToCp1252("a\u4E2Db"), "a?b");             // no single-byte form
    EXPECT_EQ(utf8ToCp1252("\U0001F600"), "?");             // outside the BMP
    EXPECT_EQ(utf8ToCp1252("\u0080\u0081"), "?\x81");       // C1 0x80 is not 0x80 (that is the euro)
    EXPECT_EQ(utf8ToCp1252("x\xFFy"), "x?y");               // invalid byte
    EXPECT_EQ(utf8ToCp1252("\xC3"), "?");                   // cut sequence at the end
    EXPECT_EQ(utf8ToCp1252("\xC3(a"), "?(a");               // bad continuation
    EXPECT_EQ(utf8ToCp1252("\xC0\xAF"), "??");              // overlong '/'
    EXPECT_EQ(utf8ToCp1252("\xED\xA0\x80"), "???");         // surrogate
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
    // Nothing but the file itself is left in the directory.
    EXPECT_EQ(std::distance(fs::directory_iterator(d.path), fs::directory_iterator{}), 1);
    struct stat st;
    ASSERT_EQ(stat((d / "save.sav").c_str(), &st), 0);
    EXPECT_NE(st.st_mode & S_IRUSR, 0u);
    EXPECT_NE(st.st_mode & S_IWUSR, 0u);
}

TEST(ReplaceFile, AFailedWriteKeepsTheOldFile) {
    TempDir d;
    write(d / "Reglages.cfg", "old contents");
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
    setFileWriteObserver(nullptr);
    EXPECT_FALSE(ok);
    EXPECT_EQ(slurp(d / "Reglages.cfg"), "old contents");
    EXPECT_TRUE(observed.empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(d.path), fs::directory_iterator{}), 1);

    EXPECT_FALSE(replaceFile(d / "missing-dir/file", "x"));
}

TEST(ReplaceFile, ReadOnlyDirectoryKeepsTheOldFile) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only directories";
    TempDir d;
    write(d / "perso.niv", "old");
    fs::permissions(d.path, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(replaceFile(d / "perso.niv", "new"));
    EXPECT_EQ(slurp(d / "perso.niv"), "old");
}

TEST(ReadTokens, SplitsOnAnyWhitespaceUpToTheBounds) {
    TempDir d;
    write(d / "t", "  musique:3\r\n\tdeux  trois\vquatre\fcinq");
    std::vector<std::string> out{"stale"};
    ASSERT_TRUE(readTokens(d / "t", out, 10));
    EXPECT_EQ(out, (std::vector<std::string>{"musique:3", "deux", "trois", "quatre", "cinq"}));
    ASSERT_TRUE(readTokens(d / "t", out, 2));
    EXPECT_EQ(out, (std::vector<std::string>{"musique:3", "deux"}));
    // The byte bound cuts the file (and the token it lands in).
    ASSERT_TRUE(readTokens(d / "t", out, 10, 15));
    EXPECT_EQ(out, (std::vector<std::string>{"musique:3", "d"}));
    ASSERT_TRUE(readTokens(d / "t", out, 0));
    EXPECT_TRUE(out.empty());

    out = {"stale"};
    EXPECT_FALSE(readTokens(d / "none", out, 5));
    EXPECT_TRUE(out.empty());
}

TEST(ReadTokens, AHugeFileIsReadOnlyUpToTheByteBound) {
    TempDir d;
    // 4 GB of zero bytes (sparse): one endless token.
    {
        std::ofstream f(d / "huge", std::ios::binary);
    }
    ASSERT_EQ(truncate((d / "huge").c_str(), 4LL << 30), 0);
    std::vector<std::string> out;
    ASSERT_TRUE(readTokens(d / "huge", out, 3, 1 << 16));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].size(), 1u << 16);
}

TEST(Paths, DirNameAndFileExists) {
    EXPECT_EQ(dirName("/opt/jeu/quelmar-headless"), "/opt/jeu");
    EXPECT_EQ(dirName("jeu/Quelmar"), "jeu");
    EXPECT_EQ(dirName("/Quelmar"), "");
    EXPECT_EQ(dirName("Quelmar"), ".");
    TempDir d;
    EXPECT_FALSE(fileExists(d / "x"));
    write(d / "x", "");
    EXPECT_TRUE(fileExists(d / "x"));
}
