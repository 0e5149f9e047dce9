// Pictures in memory and the file formats assetgen writes (BMP, ICO, PNG).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

struct Rgba {
    std::uint8_t r = 0, g = 0, b = 0, a = 0;
    bool operator==(const Rgba&) const = default;
};

inline Rgba rgb(int r, int g, int b) {
    return {static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b), 255};
}
// "RRGGBB" hex; throws std::runtime_error on a malformed value.
Rgba parseHexColour(const std::string& hex);

struct Picture {
    int w = 0, h = 0;
    std::vector<Rgba> px;  // row-major, row 0 at the top

    Picture() = default;
    Picture(int width, int height, Rgba fill = {}) : w(width), h(height), px(static_cast<std::size_t>(width) * height, fill) {}
    Rgba& at(int x, int y) { return px[static_cast<std::size_t>(y) * w + x]; }
    const Rgba& at(int x, int y) const { return px[static_cast<std::size_t>(y) * w + x]; }
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h; }
    // Alpha-blends c over the pixel (no-op outside the picture).
    void blend(int x, int y, Rgba c);
    void fillRect(int x, int y, int rw, int rh, Rgba c);
};

// Draws src over dst at (x, y), scaled by an integer factor, honouring alpha.
void blit(Picture& dst, const Picture& src, int x, int y, int scale = 1);
// Pixels of over that are transparent show under (both the same size).
Picture composite(const Picture& under, const Picture& over);
// Box-filter downscale to w x h, weighting colours by alpha; then the result is
// sharpened towards the nearest source colour so small pixel art keeps crisp edges.
Picture downscale(const Picture& src, int w, int h);
// A 24 x 21 copy of a 24 x 24 item picture: drops the three rows carrying the
// least of the foreground (rows equal to the background first).
Picture itemCopy(const Picture& item, const Picture& background);
int distinctColours(const Picture& p);

std::vector<std::uint8_t> encodeBmp24(const Picture& p);
// One or more images in one icon file, each 32-bit BGRA with its AND mask.
std::vector<std::uint8_t> encodeIco(const std::vector<Picture>& images);
std::vector<std::uint8_t> encodePng(const Picture& p);

void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace assetgen
