// Small .bmp, .ico and .wav files made on the spot for the backend's tests
// and benchmarks.
#pragma once

#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace pictures {

using Bytes = std::vector<unsigned char>;

inline void put16(Bytes& b, unsigned v) {
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}
inline void put32(Bytes& b, std::uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

// 0xAARRGGBB of pixel (x, y), top row first.
using PixelFn = std::function<std::uint32_t(int x, int y)>;

// A 24-bit bottom-up bitmap file.
inline Bytes bmp(int w, int h, const PixelFn& px) {
    const int stride = (w * 3 + 3) & ~3;
    Bytes b{'B', 'M'};
    put32(b, 54 + stride * h);
    put32(b, 0);
    put32(b, 54);
    put32(b, 40);
    put32(b, w);
    put32(b, h);
    put16(b, 1);
    put16(b, 24);
    for (int i = 0; i < 6; ++i) put32(b, 0);
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            std::uint32_t c = px(x, y);
            b.push_back(c & 0xFF);
            b.push_back((c >> 8) & 0xFF);
            b.push_back((c >> 16) & 0xFF);
        }
        for (int p = w * 3; p < stride; ++p) b.push_back(0);
    }
    return b;
}

// An icon file with one 32-bit image (alpha from the pixel function) and
// its AND mask.
inline Bytes ico(int w, int h, const PixelFn& px) {
    const int maskStride = ((w + 31) / 32) * 4;
    const std::uint32_t imageSize = 40 + w * h * 4 + maskStride * h;
    Bytes b;
    put16(b, 0);
    put16(b, 1);
    put16(b, 1);
    b.push_back(static_cast<unsigned char>(w));
    b.push_back(static_cast<unsigned char>(h));
    b.push_back(0);
    b.push_back(0);
    put16(b, 1);
    put16(b, 32);
    put32(b, imageSize);
    put32(b, 22);
    put32(b, 40);
    put32(b, w);
    put32(b, h * 2);
    put16(b, 1);
    put16(b, 32);
    for (int i = 0; i < 6; ++i) put32(b, 0);
    for (int y = h - 1; y >= 0; --y)
        for (int x = 0; x < w; ++x) put32(b, px(x, y));
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
    put32(b, 36 + n * 2);
    b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(b, 16);
    put16(b, 1);
    put16(b, 1);
    put32(b, rate);
    put32(b, rate * 2);
    put16(b, 2);
    put16(b, 16);
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    put32(b, n * 2);
    for (int i = 0; i < n; ++i) put16(b, (i / 25) % 2 ? 0x2000 : 0xE000);
    return b;
}

inline bool write(const std::string& path, const Bytes& b) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    return static_cast<bool>(out);
}

}  // namespace pictures
