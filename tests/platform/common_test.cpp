// platform/common: text encodings, atomic file replacement, bounded token
// reading, and decoding and scaling .bmp pictures.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <sys/stat.h>

#include <chrono>
#include <csignal>
#include <future>
#include <memory>
#include <sstream>
#include <thread>
#include <tuple>

#include "image_decode.h"
#include "platform/files.h"
#include "support.h"

using namespace platform;
using namespace platform::image;
using namespace support;

namespace {

std::vector<std::string> observed;
void observe(const std::string& path, std::string_view bytes) { observed.push_back(path + "=" + std::string(bytes)); }

// A test picture: colour of pixel (x, y) from a small formula.
std::uint32_t colourAt(int x, int y) { return ((x * 20) << 16) | ((y * 50) << 8) | ((x + y) * 15); }

std::uint32_t rgbOf(const Rgba& img, int x, int y) {
    const std::uint8_t* p = img.at(x, y);
    return (p[0] << 16) | (p[1] << 8) | p[2];
}

bool decodeBytes(const Bytes& b, Rgba& img, int w = 0, int h = 0) { return decode(b.data(), b.size(), img, w, h); }

}  // namespace

TEST(Encoding, EveryByteRoundTripsAndWhatHasNoByteBecomesAQuestionMark) {
    std::string all;
    for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
    EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(all)), all);
    const std::pair<std::string, std::string> both[] = {  // Windows-1252, UTF-8
        {"\x80", "\u20AC"}, {"\x9Cuvre", "\u0153uvre"}, {"\x8D", "\u008D"},  // undefined byte keeps its value
        {"ch\xE2teau \xE9p\xE9" "e", "château épée"}};
    for (const auto& [cp, utf8] : both) {
        EXPECT_EQ(cp1252ToUtf8(cp), utf8);
        EXPECT_EQ(utf8ToCp1252(utf8), cp) << utf8;
    }
    const std::pair<std::string, std::string> lossy[] = {  // UTF-8, Windows-1252
        {"a\u4E2Db", "a?b"}, {"\u0080\u0081", "?\x81"},  // no single byte; C1 0x80 is not the euro 0x80
        {"\xC3(a", "?(a"}, {"\xC0\xAF", "??"}};           // bad continuation, overlong
    for (const auto& [utf8, cp] : lossy) EXPECT_EQ(utf8ToCp1252(utf8), cp) << utf8;
}

TEST(ReplaceFile, ReplacesTellsTheObserverAndAFailedWriteKeepsTheOldFile) {
    TempDir d;
    observed.clear();
    setFileWriteObserver(observe);
    ASSERT_TRUE(replaceFile(d / "save.sav", "first"));
    ASSERT_TRUE(replaceFile(d / "save.sav", std::string("se\0cond", 7)));
    EXPECT_EQ(slurp(d / "save.sav"), std::string("se\0cond", 7));
    EXPECT_EQ(observed, (std::vector<std::string>{d / "save.sav=first", d / "save.sav=" + std::string("se\0cond", 7)}));

    // The disk "fills up" after 4 KB: the write fails half-way through.
    observed.clear();
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const rlimit small{4096, old.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool ok = replaceFile(d / "save.sav", std::string(100000, 'x'));
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(ok);
    EXPECT_EQ(slurp(d / "save.sav"), std::string("se\0cond", 7));
    setFileWriteObserver(nullptr);
    EXPECT_EQ(d.entries(), 1);  // no temporary file left behind, after success or failure
    EXPECT_TRUE(observed.empty());

    // A write killed before its rename left its temporary file (a file, a pipe,
    // a link elsewhere): the next write reuses the name, and nothing piles up.
    spit(d / "other", std::string("keep"));
    for (int kind = 0; kind < 3; ++kind) {
        const std::string tmp = d / "save.sav.tmp";
        if (kind == 0) spit(tmp, std::string("half"));
        if (kind == 1) {
            ASSERT_EQ(mkfifo(tmp.c_str(), 0600), 0);
        }
        if (kind == 2) fs::create_symlink(d / "other", tmp);
        ASSERT_TRUE(replaceFile(d / "save.sav", "third"));
        EXPECT_EQ(slurp(d / "save.sav"), "third");
        EXPECT_EQ(d.entries(), 2);
    }
    EXPECT_EQ(slurp(d / "other"), "keep");
}

TEST(ReadTokens, SplitsOnAnyWhitespaceUpToTheBounds) {
    TempDir d;
    spit(d / "t", std::string("  musique:3\r\n\tdeux  trois\vquatre\fcinq"));
    const std::tuple<std::size_t, std::size_t, std::vector<std::string>> rows[] = {  // tokens, bytes, result
        {10, 4096, {"musique:3", "deux", "trois", "quatre", "cinq"}}, {2, 4096, {"musique:3", "deux"}},
        {10, 15, {"musique:3", "d"}}};  // the byte bound cuts the file and its token
    for (const auto& [tokens, bytes, want] : rows) {
        std::vector<std::string> out{"stale"};
        ASSERT_TRUE(readTokens(d / "t", out, tokens, bytes));
        EXPECT_EQ(out, want) << tokens << " " << bytes;
    }
    // Tokens across the reader's 64 KiB blocks (zero bytes are token bytes, one
    // token spans three blocks), as a stream splits them; the views read the
    // same tokens.
    std::string text(140000, 'x');
    for (int k = 0; text.size() < 400000; ++k) text += " \n"[k % 3 / 2] + std::string(1 + k * 7 % 23, "\0bcdefghi"[k % 10]);
    spit(d / "long", text);
    std::vector<std::string> want;
    std::istringstream in(text);
    for (std::string w; in >> w;) want.push_back(w);
    std::vector<std::string> got;
    ASSERT_TRUE(readTokens(d / "long", got, 1u << 20));
    EXPECT_EQ(got, want);
    std::string bytes;
    std::vector<std::string_view> views;
    const std::size_t half = want.size() / 2;  // a limit first reached blocks later
    ASSERT_TRUE(readTokenViews(d / "long", bytes, views, half));
    EXPECT_EQ(std::vector<std::string>(views.begin(), views.end()), std::vector<std::string>(want.begin(), want.begin() + half));
    // A byte-order mark first is no data.
    spit(d / "bom", std::string("\xEF\xBB\xBF" "musique:3 \xEF\xBB\xBF"));
    std::vector<std::string> out{"stale"};
    ASSERT_TRUE(readTokens(d / "bom", out, 5));
    EXPECT_EQ(out, (std::vector<std::string>{"musique:3", "\xEF\xBB\xBF"}));
    // Only regular files are read: a directory or a named pipe (whose open
    // would wait for a writer) reads as no file, at once.
    ASSERT_EQ(mkfifo((d / "pipe").c_str(), 0600), 0);
    for (const std::string& path : {d.path.string(), d / "pipe"}) {
        auto done = std::make_shared<std::promise<bool>>();
        std::thread([done, path] {
            std::vector<std::string> tokens{"stale"};
            done->set_value(!readTokens(path, tokens, 3) && tokens.empty());
        }).detach();
        auto answer = done->get_future();
        ASSERT_EQ(answer.wait_for(std::chrono::seconds(5)), std::future_status::ready) << path << " blocks";
        EXPECT_TRUE(answer.get()) << path;
    }
    // 4 GB of zeros (sparse): one endless token, read only up to the bound.
    std::ofstream(d / "huge").close();
    ASSERT_EQ(truncate((d / "huge").c_str(), 4LL << 30), 0);
    ASSERT_TRUE(readTokens(d / "huge", out, 3, 1 << 16));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].size(), 1u << 16);
}

TEST(DecodeBmp, EveryDepthBottomUpAndTopDown) {
    const std::vector<std::uint32_t> eight = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF,
                                              0xFFFF00, 0x00FFFF, 0xFF00FF, 0x808080};
    const int w = 11, h = 4;  // odd width: rows are padded
    for (int bpp : {1, 4, 8, 24, 32})
        for (bool topDown : {false, true}) {
            SCOPED_TRACE(testing::Message() << bpp << " bits, top down " << topDown);
            const std::vector<std::uint32_t> pal(eight.begin(), eight.begin() + (bpp == 1 ? 2 : bpp < 24 ? 8 : 0));
            const PixelFn value = [&](int x, int y) { return pal.empty() ? colourAt(x, y) : (x * 3 + y) % pal.size(); };
            Rgba img;
            ASSERT_TRUE(decodeBytes(bmpFile(dib(w, h, bpp, value, pal, topDown)), img));
            ASSERT_EQ(img.w, w);
            ASSERT_EQ(img.h, h);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    EXPECT_EQ(rgbOf(img, x, y), pal.empty() ? colourAt(x, y) : pal[value(x, y)]) << x << "," << y;
        }
}

// Other hostile headers are left to the decoder's fuzz target.
TEST(Decode, TruncatedAndHugeFilesAreRefused) {
    const Bytes bmp = bmpFile(dib(7, 6, 24, [](int, int) { return 0x123456u; }));
    Rgba img;
    for (std::size_t n = 0; n < bmp.size(); ++n) EXPECT_FALSE(decode(bmp.data(), n, img)) << n;
    EXPECT_TRUE(img.px.empty());
    Bytes huge = bmp;  // claims 100000 x 100000 pixels
    huge[18] = huge[22] = 0xA0, huge[19] = huge[23] = 0x86, huge[20] = huge[24] = 0x01;
    EXPECT_FALSE(decodeBytes(huge, img));
}

TEST(Scale, BoxAveragesByCoveredAreaAndAlpha) {
    // Three pixels into two: the middle one is shared half and half; the
    // transparent last one counts for alpha, not for colour.
    const Rgba out = scale(Rgba{3, 1, {0, 0, 0, 255, 90, 0, 0, 255, 240, 0, 0, 0}, true}, 2, 1, Scale::Box);
    ASSERT_EQ(out.w, 2);
    // Red (0 * 1 + 90 * 0.5) / 1.5 and alpha 255; red 90 and alpha 255 * 0.5 / 1.5.
    EXPECT_EQ(std::tuple(out.at(0, 0)[0], out.at(0, 0)[3], out.at(1, 0)[0], out.at(1, 0)[3]), std::tuple(30, 255, 90, 85));
    EXPECT_EQ(scale(out, 0, 0, Scale::Box).w, 2);  // no size asked: unchanged
}
