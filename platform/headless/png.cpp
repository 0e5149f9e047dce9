// Framebuffers saved as PNG (8-bit RGB, zlib-compressed).
#include <zlib.h>

#include <string_view>

#include "backend.h"
#include "platform/files.h"

namespace platform::headless {

namespace {

void put32(std::vector<unsigned char>& v, std::uint32_t x) {
    for (int s = 24; s >= 0; s -= 8) v.push_back(static_cast<unsigned char>(x >> s));
}

void chunk(std::vector<unsigned char>& out, const char* type, const std::vector<unsigned char>& data) {
    put32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(0, out.data() + start, static_cast<uInt>(out.size() - start));
    put32(out, static_cast<std::uint32_t>(crc));
}

}  // namespace

bool savePng(Window w, const std::string& path) {
    if (!w || w->w <= 0 || w->h <= 0 || w->fb.empty()) return false;
    std::vector<unsigned char> raw;
    raw.reserve(static_cast<std::size_t>(w->h) * (w->w * 3 + 1));
    for (int y = 0; y < w->h; ++y) {
        raw.push_back(0);  // no filter
        for (int x = 0; x < w->w; ++x) {
            const std::uint32_t p = w->fb[static_cast<std::size_t>(y) * w->w + x];
            raw.push_back(static_cast<unsigned char>(p >> 16));
            raw.push_back(static_cast<unsigned char>(p >> 8));
            raw.push_back(static_cast<unsigned char>(p));
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<unsigned char> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK)
        return false;
    packed.resize(packedSize);

    std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<unsigned char> ihdr;
    put32(ihdr, static_cast<std::uint32_t>(w->w));
    put32(ihdr, static_cast<std::uint32_t>(w->h));
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB
    chunk(png, "IHDR", ihdr);
    chunk(png, "IDAT", packed);
    chunk(png, "IEND", {});

    // Written whole or not at all: a failed write keeps the picture that was there.
    return replaceFile(path, std::string_view(reinterpret_cast<const char*>(png.data()), png.size()));
}

}  // namespace platform::headless
