// Drawing on the headless backend, checked pixel by pixel.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/headless.h"

using namespace platform;
namespace hl = platform::headless;

namespace {

using Bytes = std::vector<unsigned char>;
void put16(Bytes& v, unsigned x) {
    v.push_back(x & 255);
    v.push_back((x >> 8) & 255);
}
void put32(Bytes& v, unsigned x) {
    put16(v, x & 0xFFFF);
    put16(v, x >> 16);
}
void header(Bytes& v, int w, int h, int bpp) {
    for (unsigned x : {40u, static_cast<unsigned>(w), static_cast<unsigned>(h)}) put32(v, x);
    put16(v, 1);
    put16(v, static_cast<unsigned>(bpp));
    for (int i = 0; i < 6; ++i) put32(v, 0);
}

// 24-bit bitmap: left half red, right half blue, bottom row green.
Bytes bitmap(int w, int h) {
    Bytes px;
    const int stride = (w * 3 + 3) & ~3;
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            unsigned c = y == h - 1 ? 0x00FF00 : x < w / 2 ? 0xFF0000 : 0x0000FF;
            px.push_back(c & 255), px.push_back((c >> 8) & 255), px.push_back(c >> 16);
        }
        for (int p = w * 3; p < stride; ++p) px.push_back(0);
    }
    Bytes v{'B', 'M'};
    put32(v, static_cast<unsigned>(54 + px.size()));
    put32(v, 0);
    put32(v, 54);
    header(v, w, h, 24);
    v.insert(v.end(), px.begin(), px.end());
    return v;
}

// 32-bit icon, side x side: transparent border, half-transparent white
// second ring, opaque yellow inside.
Bytes icon(int side) {
    Bytes body;
    header(body, side, side * 2, 32);
    for (int y = side - 1; y >= 0; --y)
        for (int x = 0; x < side; ++x) {
            const int ring = std::min(std::min(x, y), std::min(side - 1 - x, side - 1 - y));
            if (ring == 0) body.insert(body.end(), {0, 0, 0, 0});
            else if (ring == 1) body.insert(body.end(), {255, 255, 255, 128});
            else body.insert(body.end(), {0, 255, 255, 255});
        }
    body.insert(body.end(), static_cast<std::size_t>(((side + 31) / 32) * 4 * side), 0);
    Bytes v;
    put16(v, 0), put16(v, 1), put16(v, 1);
    v.push_back(static_cast<unsigned char>(side)), v.push_back(static_cast<unsigned char>(side));
    v.push_back(0), v.push_back(0);
    put16(v, 1), put16(v, 32);
    put32(v, static_cast<unsigned>(body.size()));
    put32(v, 22);
    v.insert(v.end(), body.begin(), body.end());
    return v;
}

std::string writeTemp(const std::string& name, const Bytes& b) {
    const std::string path = testing::TempDir() + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()),
                                                 static_cast<std::streamsize>(b.size()));
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
    Window w = nullptr;
    Dc dc = nullptr;
};

}  // namespace

TEST_F(Draw, ANewWindowIsButtonFace) {
    EXPECT_EQ(hl::pixel(w, 0, 0), 0xECE9D8u);
    EXPECT_EQ(hl::pixel(w, 59, 39), 0xECE9D8u);
    EXPECT_EQ(hl::pixel(w, 60, 0), 0u);  // outside
}

TEST_F(Draw, BitmapsAreDrawnAtTheirPlaceAndSizeAndClipped) {
    Image img = loadImage(writeTemp("q24.bmp", bitmap(10, 4)), 20, 8);  // stretched twice
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(imageWidth(img), 20);
    EXPECT_EQ(imageHeight(img), 8);
    drawImage(dc, img, 5, 3);
    EXPECT_EQ(hl::pixel(w, 4, 3), 0xECE9D8u);
    EXPECT_EQ(hl::pixel(w, 5, 3), 0xFF0000u);
    EXPECT_EQ(hl::pixel(w, 14, 3), 0xFF0000u);
    EXPECT_EQ(hl::pixel(w, 15, 3), 0x0000FFu);
    EXPECT_EQ(hl::pixel(w, 24, 8), 0x0000FFu);
    EXPECT_EQ(hl::pixel(w, 24, 9), 0x00FF00u);
    EXPECT_EQ(hl::pixel(w, 24, 10), 0x00FF00u);
    EXPECT_EQ(hl::pixel(w, 25, 10), 0xECE9D8u);
    EXPECT_EQ(hl::pixel(w, 5, 11), 0xECE9D8u);
    drawImage(dc, img, 50, -4);  // hangs over two edges
    EXPECT_EQ(hl::pixel(w, 59, 0), 0xFF0000u);
    EXPECT_EQ(hl::pixel(w, 59, 3), 0x00FF00u);
    EXPECT_EQ(hl::pixel(w, 59, 4), 0xECE9D8u);
    drawImage(dc, img, -100, -100);
    freeImage(img);
    EXPECT_EQ(loadImage(testing::TempDir() + "missing.bmp", 24, 24), nullptr);
    drawImage(dc, nullptr, 0, 0);  // a null picture draws nothing
    EXPECT_EQ(hl::pixel(w, 0, 0), 0xECE9D8u);
}

TEST_F(Draw, IconsKeepWhatIsBelowTheirTransparentPixels) {
    Rect all{0, 0, 60, 40};
    rectangle(dc, all, rgb(0, 0, 0), rgb(0, 0, 0));
    Image ico = loadImage(writeTemp("q.ico", icon(8)), 8, 8);
    ASSERT_NE(ico, nullptr);
    drawImage(dc, ico, 10, 10);
    EXPECT_EQ(hl::pixel(w, 10, 10), 0x000000u);  // transparent border
    EXPECT_EQ(hl::pixel(w, 11, 11), 0x808080u);  // half white over black
    EXPECT_EQ(hl::pixel(w, 12, 12), 0xFFFF00u);  // opaque yellow
    freeImage(ico);
    // At half size the box filter mixes the rings.
    Image small = loadImage(writeTemp("q.ico", icon(8)), 4, 4);
    ASSERT_NE(small, nullptr);
    drawImage(dc, small, 30, 10);
    const unsigned corner = hl::pixel(w, 30, 10), centre = hl::pixel(w, 31, 11);
    EXPECT_NE(corner, 0u);
    EXPECT_NE(corner, 0xFFFF00u);
    EXPECT_EQ(centre, 0xFFFF00u);
    freeImage(small);
}

TEST_F(Draw, RectanglesHaveAPenOutlineAndABrushInside) {
    rectangle(dc, Rect{10, 5, 20, 12}, rgb(255, 0, 0), rgb(0, 0, 255));
    EXPECT_EQ(hl::pixel(w, 10, 5), 0xFF0000u);
    EXPECT_EQ(hl::pixel(w, 19, 11), 0xFF0000u);
    EXPECT_EQ(hl::pixel(w, 15, 5), 0xFF0000u);
    EXPECT_EQ(hl::pixel(w, 11, 6), 0x0000FFu);
    EXPECT_EQ(hl::pixel(w, 18, 10), 0x0000FFu);
    EXPECT_EQ(hl::pixel(w, 20, 12), 0xECE9D8u);  // right and bottom edges excluded
    EXPECT_EQ(inkIn({10, 5, 20, 12}, 0x0000FF), 8 * 5);
    rectangle(dc, Rect{30, 30, 30, 35}, rgb(1, 1, 1), rgb(1, 1, 1));  // empty: nothing
    EXPECT_EQ(hl::pixel(w, 30, 30), 0xECE9D8u);
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
    Rect all{0, 0, 60, 40};
    rectangle(dc, all, rgb(0, 0, 0), rgb(0, 0, 0));
    textOut(dc, 0, 0, "e");
    const int plain = inkIn({0, 0, 6, 13}, 0xFF0000);
    textOut(dc, 10, 0, "é");
    EXPECT_GT(inkIn({10, 0, 16, 13}, 0xFF0000), plain);
    textOut(dc, 20, 0, "\u4E2D");
    EXPECT_GT(inkIn({20, 0, 26, 13}, 0xFF0000), 0);

    // A big bold font draws bigger letters.
    rectangle(dc, all, rgb(0, 0, 0), rgb(0, 0, 0));
    Font big = createFont("Matura MT Script Capitals", 26, 700, true);
    Font old = selectFont(dc, big);
    EXPECT_EQ(old, nullptr);
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
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string png = ss.str();
    ASSERT_GT(png.size(), 33u);
    EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1A\n");
    EXPECT_EQ(png.substr(12, 4), "IHDR");
    EXPECT_EQ(static_cast<unsigned char>(png[19]), 60);  // width
    EXPECT_EQ(static_cast<unsigned char>(png[23]), 40);  // height
    // Inflate the image data and read the last pixel back.
    const auto idat = png.find("IDAT");
    ASSERT_NE(idat, std::string::npos);
    const unsigned len = (static_cast<unsigned char>(png[idat - 4]) << 24) |
                         (static_cast<unsigned char>(png[idat - 3]) << 16) |
                         (static_cast<unsigned char>(png[idat - 2]) << 8) | static_cast<unsigned char>(png[idat - 1]);
    std::vector<unsigned char> raw(40 * (60 * 3 + 1));
    uLongf rawLen = raw.size();
    ASSERT_EQ(uncompress(raw.data(), &rawLen, reinterpret_cast<const Bytef*>(png.data() + idat + 4), len), Z_OK);
    ASSERT_EQ(rawLen, raw.size());
    EXPECT_EQ(raw[1], 1);
    EXPECT_EQ(raw[raw.size() - 3], 200);
    EXPECT_EQ(raw[raw.size() - 1], 50);
    EXPECT_FALSE(hl::savePng(w, "/nonexistent-dir/x.png"));
    std::remove(path.c_str());
}

TEST_F(Draw, DialogControlsAreDrawnAndRedrawnWhenTheyChange) {
    static DialogDef def;
    def.id = 5;
    def.w = 100, def.h = 40;
    def.controls = {{Ctl::CheckBox, 10, "Son", 4, 4, 60, 10}, {Ctl::DefPushButton, 1, "OK", 4, 20, 40, 14}};
    struct P {
        static long proc(Window dlg, Msg m, long, long) {
            if (m == Msg::InitDialog) {
                const unsigned before = hl::pixel(dlg, 8, 10);
                checkItem(dlg, 10, true);
                // The check mark shows at once, without waiting for a paint.
                EXPECT_NE(hl::pixel(dlg, 8, 10), before);
                endDialog(dlg, 4);
            }
            return 0;
        }
    };
    EXPECT_EQ(dialogBox(def, w, P::proc), 4);
}
