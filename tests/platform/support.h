// Helpers shared by the platform tests: scratch directories, whole files, and
// .bmp and .ico files built in memory.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace support {

namespace fs = std::filesystem;

// A fresh directory, removed with everything in it.
struct TempDir {
    fs::path path = [] {
        std::string t = (fs::temp_directory_path() / "qplatXXXXXX").string();
        return fs::path(mkdtemp(t.data()));
    }();
    ~TempDir() { fs::remove_all(path); }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
    long entries() const { return std::distance(fs::directory_iterator(path), fs::directory_iterator{}); }
};

inline std::string slurp(const fs::path& path) {
    std::stringstream s;
    s << std::ifstream(path, std::ios::binary).rdbuf();
    return s.str();
}

template <class Bytes>
void spit(const fs::path& path, const Bytes& b) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

using Bytes = std::vector<std::uint8_t>;
using PixelFn = std::function<std::uint32_t(int x, int y)>;

inline void put(Bytes& v, std::uint32_t x, int bytes = 4) {
    for (int i = 0; i < bytes; ++i) v.push_back(static_cast<std::uint8_t>(x >> (8 * i)));
}

// A DIB: value(x, y) is a palette index, or 0xAARRGGBB at 24 and 32 bits. An
// icon DIB has the doubled height and an AND mask (all opaque: the alpha decides).
inline Bytes dib(int w, int h, int bpp, const PixelFn& value, const std::vector<std::uint32_t>& palette = {},
                 bool topDown = false, bool icon = false) {
    Bytes v;
    put(v, 40), put(v, std::uint32_t(w)), put(v, std::uint32_t((topDown ? -1 : 1) * h * (icon ? 2 : 1)));
    put(v, 1, 2), put(v, std::uint32_t(bpp), 2), put(v, 0), put(v, 0), put(v, 0), put(v, 0);
    put(v, std::uint32_t(palette.size())), put(v, 0);
    for (std::uint32_t c : palette) put(v, c);
    auto rows = [&](int bits, const PixelFn& pixel) {  // rows padded to 4 bytes
        for (int i = 0; i < h; ++i) {
            const int y = topDown ? i : h - 1 - i;
            Bytes row(static_cast<std::size_t>((w * bits + 31) / 32 * 4), 0);
            for (int x = 0; x < w; ++x) {
                const std::uint32_t val = pixel(x, y);
                const int at = x * bits / 8;
                if (bits < 8) row[at] |= static_cast<std::uint8_t>(val << (8 - bits - x * bits % 8));
                else for (int k = 0; k < bits / 8; ++k) row[at + k] = static_cast<std::uint8_t>(val >> (8 * k));
            }
            v.insert(v.end(), row.begin(), row.end());
        }
    };
    rows(bpp, value);
    if (icon) rows(1, [](int, int) { return 0u; });
    return v;
}

inline Bytes bmpFile(const Bytes& d) {
    Bytes v{'B', 'M'};
    put(v, std::uint32_t(14 + d.size())), put(v, 0), put(v, 14 + 40 + 4u * d[32]);  // pixels after the palette
    v.insert(v.end(), d.begin(), d.end());
    return v;
}

inline Bytes icoFile(int side, const Bytes& d) {  // one square icon
    Bytes v;
    put(v, 0, 2), put(v, 1, 2), put(v, 1, 2);
    put(v, std::uint32_t(side * 0x101), 2), put(v, 0, 2), put(v, 1, 2), put(v, 32, 2);
    put(v, std::uint32_t(d.size())), put(v, 6 + 16);
    v.insert(v.end(), d.begin(), d.end());
    return v;
}

}  // namespace support
