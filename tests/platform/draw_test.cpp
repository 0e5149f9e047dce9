// Drawing on the headless backend, checked pixel by pixel.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <tuple>

#include "pictures.h"
#include "platform/headless.h"

using namespace platform;
namespace hl = platform::headless;

namespace {

constexpr unsigned FACE = 0xECE9D8;  // a new window's button face

// 24-bit bitmap w x h: left half red, right half blue, bottom row green.
std::string bitmapFile(int w, int h) {
    const auto b = pictures::bmpFile(pictures::dib(w, h, 24, [w, h](int x, int y) {
        return y == h - 1 ? 0x00FF00u : x < w / 2 ? 0xFF0000u : 0x0000FFu;
    }));
    const std::string path = testing::TempDir() + "q24.bmp";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
    return path;
}

// 32-bit icon side x side: transparent border, half-transparent white second
// ring, opaque yellow inside.
std::string iconFile(int side) {
    const auto ring = [side](int x, int y) {
        const int r = std::min({x, y, side - 1 - x, side - 1 - y});
        return r == 0 ? 0u : r == 1 ? 0x80FFFFFFu : 0xFFFFFF00u;
    };
    const auto b = pictures::icoFile({{side, pictures::dib(side, side, 32, ring, {}, false, true)}});
    const std::string path = testing::TempDir() + "q.ico";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
    return path;
}

long quietProc(Window, Msg, long, long) { return 0; }

class Draw : public ::testing::Test {
protected:
    void SetUp() override {
        hl::reset();
        WindowInit init;
        init.clientW = 60, init.clientH = 40;
        init.proc = quietProc;
        w = createWindow(init);
        dc = getDc(w);
    }
    void TearDown() override { releaseDc(dc); }
    int inkIn(const Rect& r, unsigned colour) {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += hl::pixel(w, x, y) == colour;
        return n;
    }
    void expectPixels(std::initializer_list<std::tuple<int, int, unsigned>> cells) {
        for (auto [x, y, c] : cells) EXPECT_EQ(hl::pixel(w, x, y), c) << x << "," << y;
    }
    void blacken() { rectangle(dc, Rect{0, 0, 60, 40}, rgb(0, 0, 0), rgb(0, 0, 0)); }
    Window w = nullptr;
    Dc dc = nullptr;
};

}  // namespace

TEST_F(Draw, BitmapsAreDrawnAtTheirPlaceAndSizeAndClipped) {
    expectPixels({{0, 0, FACE}, {59, 39, FACE}, {60, 0, 0u}});  // the last one is outside
    Image img = loadImage(bitmapFile(10, 4), 20, 8);             // stretched twice
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(imageWidth(img), 20);
    EXPECT_EQ(imageHeight(img), 8);
    drawImage(dc, img, 5, 3);
    expectPixels({{4, 3, FACE}, {5, 3, 0xFF0000}, {14, 3, 0xFF0000}, {15, 3, 0x0000FF}, {24, 8, 0x0000FF},
                  {24, 9, 0x00FF00}, {24, 10, 0x00FF00}, {25, 10, FACE}, {5, 11, FACE}});
    drawImage(dc, img, 50, -4);  // hangs over two edges
    expectPixels({{59, 0, 0xFF0000}, {59, 3, 0x00FF00}, {59, 4, FACE}});
    drawImage(dc, img, -100, -100);
    freeImage(img);
    EXPECT_EQ(loadImage(testing::TempDir() + "missing.bmp", 24, 24), nullptr);
    drawImage(dc, nullptr, 0, 0);  // a null picture draws nothing
    EXPECT_EQ(hl::pixel(w, 0, 0), FACE);
}

TEST_F(Draw, IconsKeepWhatIsBelowTheirTransparentPixels) {
    blacken();
    Image ico = loadImage(iconFile(8), 8, 8);
    ASSERT_NE(ico, nullptr);
    drawImage(dc, ico, 10, 10);
    // Transparent border, half white over black, opaque yellow.
    expectPixels({{10, 10, 0x000000}, {11, 11, 0x808080}, {12, 12, 0xFFFF00}});
    freeImage(ico);
    // At half size the box filter mixes the rings.
    Image small = loadImage(iconFile(8), 4, 4);
    ASSERT_NE(small, nullptr);
    drawImage(dc, small, 30, 10);
    EXPECT_NE(hl::pixel(w, 30, 10), 0u);
    EXPECT_NE(hl::pixel(w, 30, 10), 0xFFFF00u);
    EXPECT_EQ(hl::pixel(w, 31, 11), 0xFFFF00u);
    freeImage(small);
}

TEST_F(Draw, RectanglesHaveAPenOutlineAndABrushInside) {
    rectangle(dc, Rect{10, 5, 20, 12}, rgb(255, 0, 0), rgb(0, 0, 255));
    // Right and bottom edges excluded.
    expectPixels({{10, 5, 0xFF0000}, {19, 11, 0xFF0000}, {15, 5, 0xFF0000}, {11, 6, 0x0000FF}, {18, 10, 0x0000FF},
                  {20, 12, FACE}});
    EXPECT_EQ(inkIn({10, 5, 20, 12}, 0x0000FF), 8 * 5);
    rectangle(dc, Rect{30, 30, 30, 35}, rgb(1, 1, 1), rgb(1, 1, 1));  // empty: nothing
    EXPECT_EQ(hl::pixel(w, 30, 30), FACE);
}

TEST_F(Draw, TextInkAndItsOpaqueBackground) {
    setTextColor(dc, rgb(255, 0, 0));
    textOut(dc, 2, 2, "Vie");
    const Rect cell{2, 2, 2 + 3 * 6, 2 + 13};
    const int ink = inkIn(cell, 0xFF0000);
    EXPECT_GT(ink, 15);
    EXPECT_EQ(inkIn({0, 0, 60, 40}, 0xFF0000), ink);  // nothing outside the cells
    EXPECT_EQ(inkIn(cell, 0xFFFFFF), 0);               // transparent background by default

    setBkTransparent(dc, false);
    setBkColor(dc, rgb(255, 255, 255));
    textOut(dc, 2, 20, "Vie");
    const Rect cell2{2, 20, 20, 33};
    EXPECT_EQ(inkIn(cell2, 0xFF0000), ink);
    EXPECT_EQ(inkIn(cell2, 0xFF0000) + inkIn(cell2, 0xFFFFFF), 18 * 13);

    // Accented letters differ from their base letter; unknown characters still draw.
    blacken();
    textOut(dc, 0, 0, "e");
    textOut(dc, 10, 0, "é");
    EXPECT_GT(inkIn({10, 0, 16, 13}, 0xFF0000), inkIn({0, 0, 6, 13}, 0xFF0000));
    textOut(dc, 20, 0, "\u4E2D");
    EXPECT_GT(inkIn({20, 0, 26, 13}, 0xFF0000), 0);

    // A big bold font draws bigger letters.
    blacken();
    Font big = createFont("Matura MT Script Capitals", 26, 700, true);
    EXPECT_EQ(selectFont(dc, big), nullptr);
    textOut(dc, 0, 0, "V");
    EXPECT_GT(inkIn({0, 0, 20, 30}, 0xFF0000), 4 * 9);
    EXPECT_EQ(selectFont(dc, nullptr), big);
    deleteFont(big);
}

TEST_F(Draw, ShotsArePngFilesOfTheFramebuffer) {
    rectangle(dc, Rect{0, 0, 60, 40}, rgb(1, 2, 3), rgb(1, 2, 3));
    rectangle(dc, Rect{59, 39, 60, 40}, rgb(200, 100, 50), rgb(200, 100, 50));
    const std::string path = testing::TempDir() + "qshot.png";
    ASSERT_TRUE(hl::savePng(w, path));
    EXPECT_FALSE(hl::savePng(w, "/nonexistent-dir/x.png"));
    std::stringstream ss;
    ss << std::ifstream(path, std::ios::binary).rdbuf();
    const std::string png = ss.str();
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(png.at(i)); };
    ASSERT_GT(png.size(), 33u);
    EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1A\n");
    EXPECT_EQ(png.substr(12, 4), "IHDR");
    EXPECT_EQ(byte(19), 60);  // width
    EXPECT_EQ(byte(23), 40);  // height
    // Inflate the image data and read the first and last pixels back.
    const auto idat = png.find("IDAT");
    ASSERT_NE(idat, std::string::npos);
    const unsigned len = (byte(idat - 4) << 24) | (byte(idat - 3) << 16) | (byte(idat - 2) << 8) | byte(idat - 1);
    std::vector<unsigned char> raw(40 * (60 * 3 + 1));
    uLongf rawLen = raw.size();
    ASSERT_EQ(uncompress(raw.data(), &rawLen, reinterpret_cast<const Bytef*>(png.data() + idat + 4), len), Z_OK);
    ASSERT_EQ(rawLen, raw.size());
    EXPECT_EQ(raw[1], 1);
    EXPECT_EQ(raw[raw.size() - 3], 200);
    EXPECT_EQ(raw[raw.size() - 1], 50);
    std::remove(path.c_str());
}

TEST_F(Draw, DialogControlsAreRedrawnWhenTheyChange) {
    static DialogDef def;
    def.id = 5;
    def.w = 100, def.h = 40;
    def.controls = {{Ctl::CheckBox, 10, "Son", 4, 4, 60, 10}, {Ctl::DefPushButton, 1, "OK", 4, 20, 40, 14}};
    EXPECT_EQ(dialogBox(def, w,
                        [](Window dlg, Msg m, long, long) -> long {
                            if (m != Msg::InitDialog) return 0;
                            const unsigned before = hl::pixel(dlg, 8, 10);
                            checkItem(dlg, 10, true);
                            EXPECT_NE(hl::pixel(dlg, 8, 10), before);  // the mark shows without waiting for a paint
                            endDialog(dlg, 4);
                            return 0;
                        }),
              4);
}
