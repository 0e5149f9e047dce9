#include "readers.h"

#include <fstream>
#include <iterator>

namespace assettest {

namespace {

std::uint32_t u16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return at + 2 <= b.size() ? b[at] | (b[at + 1] << 8) : 0;
}
std::uint32_t u32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return at + 4 <= b.size() ? u16(b, at) | (u16(b, at + 2) << 16) : 0;
}
std::int32_t s32(const std::vector<std::uint8_t>& b, std::size_t at) { return static_cast<std::int32_t>(u32(b, at)); }

}  // namespace

std::vector<std::uint8_t> readBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

Bmp readBmp(const std::vector<std::uint8_t>& b) {
    Bmp r;
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return r.why = "not a BMP", r;
    if (u32(b, 2) != b.size()) return r.why = "file size field is wrong", r;
    const std::uint32_t offset = u32(b, 10);
    if (u32(b, 14) < 40) return r.why = "no BITMAPINFOHEADER", r;
    r.w = s32(b, 18);
    const std::int32_t h = s32(b, 22);
    r.h = h < 0 ? -h : h;
    r.bpp = static_cast<int>(u16(b, 28));
    if (u16(b, 26) != 1 || u32(b, 30) != 0) return r.why = "planes or compression", r;
    if (r.bpp != 24) return r.why = "not 24-bit", r;
    const std::size_t stride = (static_cast<std::size_t>(r.w) * 3 + 3) & ~std::size_t{3};
    if (offset + stride * r.h > b.size()) return r.why = "pixel data is short", r;
    r.px.resize(static_cast<std::size_t>(r.w * r.h));
    for (int y = 0; y < r.h; ++y) {
        const std::size_t row = offset + stride * static_cast<std::size_t>(h < 0 ? y : r.h - 1 - y);
        for (int x = 0; x < r.w; ++x) {
            const std::size_t p = row + static_cast<std::size_t>(x) * 3;
            r.px[static_cast<std::size_t>(y * r.w + x)] = {b[p + 2], b[p + 1], b[p]};
        }
    }
    r.ok = true;
    return r;
}

Icon readIco(const std::vector<std::uint8_t>& b) {
    Icon r;
    if (b.size() < 22 || u16(b, 0) != 0 || u16(b, 2) != 1) return r.why = "not an icon", r;
    r.count = static_cast<int>(u16(b, 4));
    if (r.count < 1) return r.why = "no image", r;
    const std::uint32_t size = u32(b, 14), offset = u32(b, 18);
    if (offset + size > b.size() || size < 40) return r.why = "image outside the file", r;
    r.w = b[6] ? b[6] : 256;
    r.h = b[7] ? b[7] : 256;
    if (s32(b, offset + 4) != r.w || s32(b, offset + 8) != 2 * r.h) return r.why = "header size disagrees", r;
    r.bpp = static_cast<int>(u16(b, offset + 14));
    if (r.bpp != 32) return r.why = "not 32-bit", r;
    const std::size_t colour = offset + 40, maskStride = static_cast<std::size_t>((r.w + 31) / 32 * 4);
    const std::size_t mask = colour + static_cast<std::size_t>(r.w * r.h * 4);
    if (mask + maskStride * r.h > b.size()) return r.why = "mask is short", r;
    for (int y = 0; y < r.h; ++y)
        for (int x = 0; x < r.w; ++x) {
            const std::size_t row = static_cast<std::size_t>(r.h - 1 - y);
            r.alpha.push_back(b[colour + (row * r.w + x) * 4 + 3]);
            r.maskTransparent.push_back((b[mask + row * maskStride + x / 8] >> (7 - x % 8)) & 1);
        }
    r.ok = true;
    return r;
}

Wav readWav(const std::vector<std::uint8_t>& b) {
    Wav r;
    if (b.size() < 12 || std::string(b.begin(), b.begin() + 4) != "RIFF" || std::string(b.begin() + 8, b.begin() + 12) != "WAVE")
        return r.why = "not RIFF WAVE", r;
    if (u32(b, 4) + 8 != b.size()) return r.why = "RIFF size is wrong", r;
    bool haveFmt = false;
    for (std::size_t at = 12; at + 8 <= b.size();) {
        const std::string id(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at) + 4);
        const std::uint32_t len = u32(b, at + 4);
        if (at + 8 + len > b.size()) return r.why = "chunk " + id + " runs past the end", r;
        if (id == "fmt ") {
            r.format = static_cast<int>(u16(b, at + 8));
            r.channels = static_cast<int>(u16(b, at + 10));
            r.rate = static_cast<int>(u32(b, at + 12));
            r.bits = static_cast<int>(u16(b, at + 22));
            if (u32(b, at + 16) != static_cast<std::uint32_t>(r.rate * r.channels * r.bits / 8)) return r.why = "byte rate", r;
            haveFmt = true;
        } else if (id == "data") {
            if (!haveFmt) return r.why = "data before fmt", r;
            for (std::size_t i = 0; i + 1 < len; i += 2)
                r.samples.push_back(static_cast<std::int16_t>(u16(b, at + 8 + i)));
            r.ok = true;
        }
        at += 8 + len + (len & 1);
    }
    if (!r.ok) r.why = "no data chunk";
    return r;
}

}  // namespace assettest
