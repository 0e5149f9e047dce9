// Decoding .bmp and .ico files, and scaling.
#include <gtest/gtest.h>

#include <tuple>

#include "image_decode.h"
#include "support.h"

using namespace platform::image;
using namespace support;

namespace {

// A test picture: colour of pixel (x, y) from a small formula.
std::uint32_t colourAt(int x, int y) { return ((x * 20) << 16) | ((y * 50) << 8) | ((x + y) * 15); }

std::uint32_t rgbOf(const Rgba& img, int x, int y) {
    const std::uint8_t* p = img.at(x, y);
    return (p[0] << 16) | (p[1] << 8) | p[2];
}

bool decodeBytes(const Bytes& b, Rgba& img, int w = 0, int h = 0) { return decode(b.data(), b.size(), img, w, h); }

}  // namespace

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
                for (int x = 0; x < w; ++x) {
                    EXPECT_EQ(rgbOf(img, x, y), pal.empty() ? colourAt(x, y) : pal[value(x, y)]) << x << "," << y;
                    EXPECT_EQ(img.at(x, y)[3], 255);
                }
        }
}

TEST(DecodeIco, AlphaChannelOrAndMask) {
    const PixelFn value = [](int x, int y) { return (static_cast<std::uint32_t>(x * 60) << 24) | colourAt(x, y); };
    Rgba img;
    ASSERT_TRUE(decodeBytes(icoFile({{4, dib(4, 4, 32, value, {}, false, true)}}), img));
    EXPECT_TRUE(img.icon);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(img.at(x, 1)[3], x * 60);
    EXPECT_EQ(rgbOf(img, 3, 2), colourAt(3, 2));

    // 24-bit colours: the AND mask decides (1 = transparent).
    const PixelFn masked = [](int x, int y) { return (x == 0 && y == 0) || (x == 2 && y == 3); };
    ASSERT_TRUE(decodeBytes(icoFile({{4, dib(4, 4, 24, value, {}, false, true, masked)}}), img));
    EXPECT_EQ(img.at(0, 0)[3], 0);
    EXPECT_EQ(img.at(2, 3)[3], 0);
    EXPECT_EQ(img.at(1, 0)[3], 255);
    EXPECT_EQ(rgbOf(img, 1, 0), colourAt(1, 0));
}

TEST(DecodeIco, TakesTheEntryNearestTheAskedSize) {
    auto solid = [](int side, std::uint32_t c) {
        return std::pair{side, dib(side, side, 32, [c](int, int) { return 0xFF000000u | c; }, {}, false, true)};
    };
    const Bytes ico = icoFile({solid(16, 0x0000FF), solid(32, 0x00FF00), solid(48, 0xFF0000)});
    Rgba img;
    ASSERT_TRUE(decodeBytes(ico, img, 30, 30));
    EXPECT_EQ(img.w, 32);
    EXPECT_EQ(rgbOf(img, 0, 0), 0x00FF00u);
    ASSERT_TRUE(decodeBytes(ico, img));  // no size asked: the largest
    EXPECT_EQ(img.w, 48);
}

TEST(Decode, TruncatedAndHostileFilesAreRefused) {
    const Bytes bmp = bmpFile(dib(7, 6, 24, [](int, int) { return 0x123456u; }));
    Rgba img;
    for (std::size_t n = 0; n < bmp.size(); ++n) EXPECT_FALSE(decode(bmp.data(), n, img)) << n;
    EXPECT_TRUE(img.px.empty());
    ASSERT_TRUE(decodeBytes(bmp, img));

    Bytes huge = bmp;  // claims 100000 x 100000 pixels
    huge[18] = huge[22] = 0xA0, huge[19] = huge[23] = 0x86, huge[20] = huge[24] = 0x01;
    EXPECT_FALSE(decodeBytes(huge, img));
    Bytes offset = bmp;  // pixels said to lie past the end
    offset[10] = offset[11] = offset[12] = 0xFF, offset[13] = 0x7F;
    EXPECT_FALSE(decodeBytes(offset, img));
    Bytes ico = icoFile({{4, dib(4, 4, 32, [](int, int) { return 0u; }, {}, false, true)}});
    ico[18] = ico[19] = ico[20] = 0xFF;  // entry offset far away
    EXPECT_FALSE(decodeBytes(ico, img));
    EXPECT_FALSE(decode(nullptr, 0, img));
    EXPECT_FALSE(decodeFile("/nonexistent/x.bmp", img));
}

TEST(Scale, NearestAndBox) {
    // Red values, alpha 255 except the transparent pixel (0, 1).
    Rgba src{4, 2, {}, true};
    const int red[8] = {200, 100, 10, 10, 0, 50, 10, 10};
    for (int i = 0; i < 8; ++i) src.px.insert(src.px.end(), {std::uint8_t(red[i]), 0, 0, std::uint8_t(i == 4 ? 0 : 255)});

    const Rgba box = scale(src, 2, 1, Scale::Box);
    ASSERT_EQ(box.w, 2);
    // The transparent pixel counts for alpha, not for colour.
    EXPECT_EQ(box.at(0, 0)[0], 117);  // (200 + 100 + 50) / 3, rounded
    EXPECT_EQ(box.at(0, 0)[3], (255 * 3 + 2) / 4);
    EXPECT_EQ(box.at(1, 0)[0], 10);

    const Rgba big = scale(src, 8, 4, Scale::Nearest);
    const std::tuple<int, int, int> cells[] = {{0, 0, 200}, {1, 1, 200}, {2, 1, 100}, {2, 2, 50}};
    for (auto [x, y, r] : cells) EXPECT_EQ(big.at(x, y)[0], r) << x << "," << y;
    EXPECT_EQ(big.at(0, 3)[3], 0);
    EXPECT_EQ(scale(src, 0, 0, Scale::Box).w, 4);  // no size asked: unchanged
}

TEST(Scale, BoxWeighsPartlyCoveredPixels) {
    // Three pixels into two: the middle one is shared half and half.
    const Rgba src{3, 1, {0, 0, 0, 255, 90, 0, 0, 255, 240, 0, 0, 255}};
    const Rgba out = scale(src, 2, 1, Scale::Box);
    EXPECT_EQ(out.at(0, 0)[0], 30);   // (0 * 1 + 90 * 0.5) / 1.5
    EXPECT_EQ(out.at(1, 0)[0], 190);  // (90 * 0.5 + 240 * 1) / 1.5
    EXPECT_EQ(out.at(1, 0)[3], 255);
}
