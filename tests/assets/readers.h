// Independent readers of the generated files, written from the file formats rather
// than from assetgen's encoders, so an encoder fault shows up as a failed read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace assettest {

std::vector<std::uint8_t> readBytes(const std::string& path);

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator<(const Rgb& o) const { return r != o.r ? r < o.r : g != o.g ? g < o.g : b < o.b; }
    bool operator==(const Rgb&) const = default;
};

// A 24-bit uncompressed BMP; ok is false (with why) when the file is not one.
struct Bmp {
    bool ok = false;
    std::string why;
    int w = 0, h = 0, bpp = 0;
    std::vector<Rgb> px;  // row 0 at the top
    Rgb at(int x, int y) const { return px[static_cast<std::size_t>(y * w + x)]; }
};
Bmp readBmp(const std::vector<std::uint8_t>& bytes);

// The first image of an icon file (32-bit BGRA with an AND mask).
struct Icon {
    bool ok = false;
    std::string why;
    int count = 0, w = 0, h = 0, bpp = 0;
    std::vector<std::uint8_t> alpha;  // per pixel, row 0 at the top
    std::vector<bool> maskTransparent;
};
Icon readIco(const std::vector<std::uint8_t>& bytes);

struct Wav {
    bool ok = false;
    std::string why;
    int channels = 0, rate = 0, bits = 0, format = 0;
    std::vector<std::int16_t> samples;
    double seconds() const { return rate ? static_cast<double>(samples.size()) / rate : 0; }
};
Wav readWav(const std::vector<std::uint8_t>& bytes);

}  // namespace assettest
