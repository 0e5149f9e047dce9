// Decoding of .bmp and .ico files into RGBA pixels, and scaling, shared by the
// backends (internal to platform/). Every read is bounds-checked: a truncated
// or hostile file yields false, never a read past the buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform::image {

struct Rgba {
    int w = 0, h = 0;
    std::vector<std::uint8_t> px;  // r, g, b, a per pixel, rows top to bottom
    bool icon = false;             // came from an .ico (alpha meaningful)

    std::uint8_t* at(int x, int y) { return &px[(static_cast<std::size_t>(y) * w + x) * 4]; }
    const std::uint8_t* at(int x, int y) const {
        return &px[(static_cast<std::size_t>(y) * w + x) * 4];
    }
};

// Largest width or height accepted from a file.
constexpr int MAX_SIDE = 16384;

// A BMP (1/4/8-bit palette, 16, 24, 32-bit; bottom-up or top-down; BI_RGB or
// BI_BITFIELDS) or an ICO (32-bit with alpha, or fewer bits with the AND mask),
// decided by content. For an icon file the entry nearest to wantW x wantH is
// taken (0 = the largest). Bitmaps come out fully opaque.
bool decode(const std::uint8_t* data, std::size_t size, Rgba& out, int wantW = 0, int wantH = 0);
bool decodeFile(const std::string& path, Rgba& out, int wantW = 0, int wantH = 0);

enum class Scale { Nearest, Box };
// The image at w x h (the same image when the size matches). Box averages the
// source pixels each target pixel covers, weighted by covered area and alpha;
// when enlarging both ways it behaves as Nearest.
Rgba scale(const Rgba& src, int w, int h, Scale mode);

}  // namespace platform::image
