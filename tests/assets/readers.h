// Readers of the generated files, independent of assetgen's encoders so an
// encoder fault shows up as a failed read: pictures through the programs' own
// decoder (what the game will see) plus their header fields, and wave files.
#pragma once

#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "image_decode.h"

namespace assettest {

using Bytes = std::vector<std::uint8_t>;
using Rgb = std::array<int, 3>;

inline Bytes readBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}
// n bytes little-endian at `at`, 0 past the end.
inline std::uint32_t le(const Bytes& b, std::size_t at, int n) {
    std::uint32_t v = 0;
    for (int k = 0; k < n; ++k) v |= at + k < b.size() ? std::uint32_t{b[at + k]} << (8 * k) : 0;
    return v;
}

struct Pic {
    bool ok = false;  // decoded, and a 24-bit BMP or an icon whose first image is 32-bit with a mask
    int w = 0, h = 0;
    std::vector<Rgb> px;               // row 0 at the top
    std::vector<int> alpha;            // per pixel
    std::vector<bool> maskClear;       // icons: the AND mask says transparent
    Rgb at(int x, int y) const { return px[static_cast<std::size_t>(y * w + x)]; }
};

inline Pic readPicture(const Bytes& b) {
    Pic p;
    platform::image::Rgba img;
    if (!platform::image::decode(b.data(), b.size(), img)) return p;
    p.w = img.w, p.h = img.h;
    for (std::size_t k = 0; k < img.px.size(); k += 4)
        p.px.push_back({img.px[k], img.px[k + 1], img.px[k + 2]}), p.alpha.push_back(img.px[k + 3]);
    if (!img.icon) {
        p.ok = b[0] == 'B' && le(b, 2, 4) == b.size() && le(b, 28, 2) == 24 && le(b, 30, 4) == 0;
        return p;
    }
    const std::size_t image = le(b, 18, 4), stride = (p.w + 31) / 32 * 4, mask = image + 40 + 4u * p.w * p.h;
    p.ok = b[6] == p.w && le(b, image + 14, 2) == 32 && mask + stride * p.h <= b.size();
    for (int y = 0; y < p.h && p.ok; ++y)  // rows bottom-up, one bit a pixel
        for (int x = 0; x < p.w; ++x) p.maskClear.push_back(b[mask + (p.h - 1 - y) * stride + x / 8] >> (7 - x % 8) & 1);
    return p;
}

struct Wav {
    bool ok = false;
    int format = 0, channels = 0, rate = 0, bits = 0;
    std::vector<std::int16_t> samples;
    double seconds() const { return rate ? static_cast<double>(samples.size()) / rate : 0; }
};

// The plain 44-byte header: RIFF, "fmt " of 16 bytes, then "data" to the end.
inline Wav readWav(const Bytes& b) {
    Wav w;
    auto tag = [&](std::size_t at) { return at + 4 <= b.size() ? std::string(b.begin() + at, b.begin() + at + 4) : ""; };
    if (tag(0) != "RIFF" || tag(8) != "WAVE" || tag(12) != "fmt " || le(b, 16, 4) != 16 || tag(36) != "data" ||
        le(b, 4, 4) + 8 != b.size() || le(b, 40, 4) + 44 != b.size())
        return w;
    w.format = le(b, 20, 2), w.channels = le(b, 22, 2), w.rate = le(b, 24, 4), w.bits = le(b, 34, 2);
    w.ok = le(b, 28, 4) == static_cast<std::uint32_t>(w.rate * w.channels * w.bits / 8);
    for (std::size_t i = 44; i + 1 < b.size(); i += 2) w.samples.push_back(static_cast<std::int16_t>(le(b, i, 2)));
    return w;
}

}  // namespace assettest
