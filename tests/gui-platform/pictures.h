// Small .bmp, .ico and .wav files made on the spot for the backend's tests
// and benchmarks.
#pragma once

#include <cstdint>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace pictures {

using Bytes = std::vector<unsigned char>;

// Little-endian fields of `size` bytes each.
inline void put(Bytes& b, int size, std::initializer_list<long long> values) {
    for (long long v : values)
        for (int i = 0; i < size; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

// 0xAARRGGBB of pixel (x, y), top row first.
using PixelFn = std::function<std::uint32_t(int x, int y)>;

// A 24-bit bottom-up bitmap file.
inline Bytes bmp(int w, int h, const PixelFn& px) {
    const int stride = (w * 3 + 3) & ~3;
    Bytes b{'B', 'M'};
    put(b, 4, {54 + stride * h, 0, 54, 40, w, h});
    put(b, 2, {1, 24});
    put(b, 4, {0, 0, 0, 0, 0, 0});
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) put(b, 3, {px(x, y)});
        b.resize(b.size() + stride - w * 3, 0);
    }
    return b;
}

// An icon file with one 32-bit image (alpha from the pixel function) and
// its AND mask.
inline Bytes ico(int w, int h, const PixelFn& px) {
    const int maskStride = ((w + 31) / 32) * 4;
    Bytes b;
    put(b, 2, {0, 1, 1});
    put(b, 1, {w, h, 0, 0});
    put(b, 2, {1, 32});
    put(b, 4, {40 + w * h * 4 + maskStride * h, 22, 40, w, h * 2});
    put(b, 2, {1, 32});
    put(b, 4, {0, 0, 0, 0, 0, 0});
    for (int y = h - 1; y >= 0; --y)
        for (int x = 0; x < w; ++x) put(b, 4, {px(x, y)});
    for (int y = h - 1; y >= 0; --y) {
        Bytes row(maskStride, 0);
        for (int x = 0; x < w; ++x)
            if ((px(x, y) >> 24) == 0) row[x / 8] |= 0x80 >> (x % 8);
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

// A mono 16-bit PCM wave of a square tone.
inline Bytes wav(int ms, int rate = 22050) {
    const int n = rate * ms / 1000;
    Bytes b{'R', 'I', 'F', 'F'};
    put(b, 4, {36 + n * 2});
    b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put(b, 4, {16});
    put(b, 2, {1, 1});
    put(b, 4, {rate, rate * 2});
    put(b, 2, {2, 16});
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    put(b, 4, {n * 2});
    for (int i = 0; i < n; ++i) put(b, 2, {(i / 25) % 2 ? 0x2000 : 0xE000});
    return b;
}

inline bool write(const std::string& path, const Bytes& b) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    return static_cast<bool>(out);
}

}  // namespace pictures
