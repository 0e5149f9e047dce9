#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "image_decode.h"

using namespace platform::image;
using Bytes = std::vector<std::uint8_t>;

namespace {

void put16(Bytes& v, unsigned x) {
    v.push_back(x & 255);
    v.push_back((x >> 8) & 255);
}
void put32(Bytes& v, std::uint32_t x) {
    put16(v, x & 0xFFFF);
    put16(v, x >> 16);
}

// A test picture: colour of pixel (x, y) from a small formula.
std::uint32_t colourAt(int x, int y) { return ((x * 40) << 16) | ((y * 50) << 8) | ((x + y) * 20); }

// A DIB: header, palette, rows (stride padded to 4 bytes), optional AND mask.
Bytes dib(int w, int h, int bpp, bool topDown, bool icon, const std::vector<std::uint32_t>& palette,
          const std::vector<std::vector<unsigned>>& values, const std::vector<std::vector<int>>& mask = {}) {
    Bytes v;
    put32(v, 40);
    put32(v, static_cast<std::uint32_t>(w));
    put32(v, static_cast<std::uint32_t>((topDown ? -1 : 1) * h * (icon ? 2 : 1)));
    put16(v, 1);
    put16(v, static_cast<unsigned>(bpp));
    put32(v, 0);
    put32(v, 0);
    put32(v, 0);
    put32(v, 0);
    put32(v, static_cast<std::uint32_t>(palette.size()));
    put32(v, 0);
    for (std::uint32_t c : palette) put32(v, c);  // B G R 0 in memory order
    const int stride = ((w * bpp + 31) / 32) * 4;
    for (int i = 0; i < h; ++i) {
        const int y = topDown ? i : h - 1 - i;
        Bytes row(static_cast<std::size_t>(stride), 0);
        for (int x = 0; x < w; ++x) {
            const unsigned val = values[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
            if (bpp < 8) {
                const int bit = x * bpp;
                row[static_cast<std::size_t>(bit / 8)] |= static_cast<std::uint8_t>(val << (8 - bpp - bit % 8));
            } else {
                for (int k = 0; k < bpp / 8; ++k)
                    row[static_cast<std::size_t>(x * bpp / 8 + k)] = static_cast<std::uint8_t>(val >> (8 * k));
            }
        }
        v.insert(v.end(), row.begin(), row.end());
    }
    if (icon) {
        const int ms = ((w + 31) / 32) * 4;
        for (int i = 0; i < h; ++i) {
            const int y = topDown ? i : h - 1 - i;
            Bytes row(static_cast<std::size_t>(ms), 0);
            for (int x = 0; x < w; ++x)
                if (!mask.empty() && mask[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)])
                    row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            v.insert(v.end(), row.begin(), row.end());
        }
    }
    return v;
}

Bytes bmpFile(const Bytes& d, std::size_t paletteBytes) {
    Bytes v{'B', 'M'};
    put32(v, static_cast<std::uint32_t>(14 + d.size()));
    put32(v, 0);
    put32(v, static_cast<std::uint32_t>(14 + 40 + paletteBytes));
    v.insert(v.end(), d.begin(), d.end());
    return v;
}

Bytes icoFile(const std::vector<std::pair<int, Bytes>>& entries) {  // (side, dib)
    Bytes v;
    put16(v, 0);
    put16(v, 1);
    put16(v, static_cast<unsigned>(entries.size()));
    std::uint32_t off = 6 + 16 * static_cast<std::uint32_t>(entries.size());
    for (auto& [side, d] : entries) {
        v.push_back(static_cast<std::uint8_t>(side));
        v.push_back(static_cast<std::uint8_t>(side));
        v.push_back(0);
        v.push_back(0);
        put16(v, 1);
        put16(v, 32);
        put32(v, static_cast<std::uint32_t>(d.size()));
        put32(v, off);
        off += static_cast<std::uint32_t>(d.size());
    }
    for (auto& e : entries) v.insert(v.end(), e.second.begin(), e.second.end());
    return v;
}

std::uint32_t rgbOf(const Rgba& img, int x, int y) {
    const std::uint8_t* p = img.at(x, y);
    return (p[0] << 16) | (p[1] << 8) | p[2];
}

}  // namespace

TEST(DecodeBmp, TrueColourBottomUpAndTopDown) {
    const int w = 5, h = 3;  // odd width: rows are padded
    std::vector<std::vector<unsigned>> v(h, std::vector<unsigned>(w));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) v[y][x] = colourAt(x, y);
    for (bool topDown : {false, true}) {
        for (int bpp : {24, 32}) {
            Rgba img;
            ASSERT_TRUE(decode(bmpFile(dib(w, h, bpp, topDown, false, {}, v), 0).data(),
                               bmpFile(dib(w, h, bpp, topDown, false, {}, v), 0).size(), img));
            ASSERT_EQ(img.w, w);
            ASSERT_EQ(img.h, h);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    EXPECT_EQ(rgbOf(img, x, y), colourAt(x, y)) << bpp << " " << topDown << " " << x << "," << y;
                    EXPECT_EQ(img.at(x, y)[3], 255);
                }
        }
    }
}

TEST(DecodeBmp, PaletteDepths) {
    const std::vector<std::uint32_t> palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF,
                                                0xFFFF00, 0x00FFFF, 0xFF00FF, 0x808080};
    const int w = 11, h = 4;
    for (int bpp : {1, 4, 8}) {
        const unsigned colours = bpp == 1 ? 2 : 8;
        std::vector<std::vector<unsigned>> v(h, std::vector<unsigned>(w));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) v[y][x] = (x * 3 + y) % colours;
        std::vector<std::uint32_t> pal(palette.begin(), palette.begin() + colours);
        const Bytes file = bmpFile(dib(w, h, bpp, bpp == 4, false, pal, v), pal.size() * 4);
        Rgba img;
        ASSERT_TRUE(decode(file.data(), file.size(), img)) << bpp;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) EXPECT_EQ(rgbOf(img, x, y), pal[v[y][x]]) << bpp << " " << x << "," << y;
    }
}

TEST(DecodeIco, AlphaChannelOrAndMask) {
    const int side = 4;
    std::vector<std::vector<unsigned>> v(side, std::vector<unsigned>(side));
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) v[y][x] = (static_cast<unsigned>(x * 60) << 24) | colourAt(x, y);
    Rgba img;
    Bytes ico = icoFile({{side, dib(side, side, 32, false, true, {}, v)}});
    ASSERT_TRUE(decode(ico.data(), ico.size(), img));
    EXPECT_TRUE(img.icon);
    for (int x = 0; x < side; ++x) EXPECT_EQ(img.at(x, 1)[3], x * 60);
    EXPECT_EQ(rgbOf(img, 3, 2), colourAt(3, 2));

    // 24-bit colours: the AND mask decides (1 = transparent).
    std::vector<std::vector<int>> mask(side, std::vector<int>(side, 0));
    mask[0][0] = mask[3][2] = 1;
    ico = icoFile({{side, dib(side, side, 24, false, true, {}, v, mask)}});
    ASSERT_TRUE(decode(ico.data(), ico.size(), img));
    EXPECT_EQ(img.at(0, 0)[3], 0);
    EXPECT_EQ(img.at(2, 3)[3], 0);
    EXPECT_EQ(img.at(1, 0)[3], 255);
    EXPECT_EQ(rgbOf(img, 1, 0), colourAt(1, 0) & 0xFFFFFF);
}

TEST(DecodeIco, TakesTheEntryNearestTheAskedSize) {
    auto solid = [](int side, unsigned c) {
        return dib(side, side, 32, false, true, {},
                   std::vector<std::vector<unsigned>>(side, std::vector<unsigned>(side, 0xFF000000u | c)));
    };
    const Bytes ico = icoFile({{16, solid(16, 0x0000FF)}, {32, solid(32, 0x00FF00)}, {48, solid(48, 0xFF0000)}});
    Rgba img;
    ASSERT_TRUE(decode(ico.data(), ico.size(), img, 30, 30));
    EXPECT_EQ(img.w, 32);
    EXPECT_EQ(rgbOf(img, 0, 0), 0x00FF00u);
    ASSERT_TRUE(decode(ico.data(), ico.size(), img));  // no size asked: the largest
    EXPECT_EQ(img.w, 48);
}

TEST(Decode, TruncatedAndHostileFilesAreRefused) {
    std::vector<std::vector<unsigned>> v(6, std::vector<unsigned>(7, 0x123456));
    const Bytes bmp = bmpFile(dib(7, 6, 24, false, false, {}, v), 0);
    Rgba img;
    for (std::size_t n = 0; n < bmp.size(); ++n) EXPECT_FALSE(decode(bmp.data(), n, img)) << n;
    EXPECT_TRUE(img.px.empty());
    ASSERT_TRUE(decode(bmp.data(), bmp.size(), img));

    Bytes huge = bmp;  // claims 100000 x 100000 pixels
    huge[18] = 0xA0, huge[19] = 0x86, huge[20] = 0x01;
    huge[22] = 0xA0, huge[23] = 0x86, huge[24] = 0x01;
    EXPECT_FALSE(decode(huge.data(), huge.size(), img));
    Bytes offset = bmp;  // pixels said to lie past the end
    offset[10] = 0xFF, offset[11] = 0xFF, offset[12] = 0xFF, offset[13] = 0x7F;
    EXPECT_FALSE(decode(offset.data(), offset.size(), img));
    Bytes ico = icoFile({{4, dib(4, 4, 32, false, true, {}, std::vector<std::vector<unsigned>>(4, std::vector<unsigned>(4)))}});
    ico[18] = 0xFF, ico[19] = 0xFF, ico[20] = 0xFF;  // entry offset far away
    EXPECT_FALSE(decode(ico.data(), ico.size(), img));
    EXPECT_FALSE(decode(nullptr, 0, img));
    EXPECT_FALSE(decodeFile("/nonexistent/x.bmp", img));
}

TEST(Scale, NearestAndBox) {
    Rgba src;
    src.w = 4, src.h = 2;
    src.icon = true;
    src.px.assign(4 * 2 * 4, 0);
    auto set = [&](int x, int y, std::uint8_t r, std::uint8_t a) {
        std::uint8_t* p = src.at(x, y);
        p[0] = r, p[1] = 0, p[2] = 0, p[3] = a;
    };
    set(0, 0, 200, 255), set(1, 0, 100, 255), set(0, 1, 0, 0), set(1, 1, 50, 255);
    set(2, 0, 10, 255), set(3, 0, 10, 255), set(2, 1, 10, 255), set(3, 1, 10, 255);

    const Rgba box = scale(src, 2, 1, Scale::Box);
    ASSERT_EQ(box.w, 2);
    // The transparent pixel counts for alpha, not for colour.
    EXPECT_EQ(box.at(0, 0)[0], 117);  // (200 + 100 + 50) / 3, rounded
    EXPECT_EQ(box.at(0, 0)[3], (255 * 3 + 2) / 4);
    EXPECT_EQ(box.at(1, 0)[0], 10);

    const Rgba big = scale(src, 8, 4, Scale::Nearest);
    EXPECT_EQ(big.at(0, 0)[0], 200);
    EXPECT_EQ(big.at(1, 1)[0], 200);
    EXPECT_EQ(big.at(2, 1)[0], 100);
    EXPECT_EQ(big.at(2, 2)[0], 50);
    EXPECT_EQ(big.at(0, 3)[3], 0);
    EXPECT_EQ(scale(src, 0, 0, Scale::Box).w, 4);  // no size asked: unchanged
}

TEST(Scale, BoxWeighsPartlyCoveredPixels) {
    // Three pixels into two: the middle one is shared half and half.
    Rgba src;
    src.w = 3, src.h = 1;
    src.px = {0, 0, 0, 255, 90, 0, 0, 255, 240, 0, 0, 255};
    const Rgba out = scale(src, 2, 1, Scale::Box);
    EXPECT_EQ(out.at(0, 0)[0], 30);   // (0 * 1 + 90 * 0.5) / 1.5
    EXPECT_EQ(out.at(1, 0)[0], 190);  // (90 * 0.5 + 240 * 1) / 1.5
    EXPECT_EQ(out.at(1, 0)[3], 255);
}
