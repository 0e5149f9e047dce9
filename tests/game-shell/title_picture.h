// The title picture (bitmap resource 120, a 24-bit BMP) decoded from the
// game's own resources, as 0xRRGGBB row after row.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/platform.h"

extern const platform::ResourceBlob QUELMAR_GAME_RESOURCES[];
extern const std::size_t QUELMAR_GAME_RESOURCE_COUNT;

inline bool titlePicture(int& w, int& h, std::vector<unsigned>& rgb) {
    for (std::size_t i = 0; i < QUELMAR_GAME_RESOURCE_COUNT; ++i) {
        const unsigned char* d = QUELMAR_GAME_RESOURCES[i].data;
        if (QUELMAR_GAME_RESOURCES[i].id != 120) continue;
        auto u32 = [&](int o) { return static_cast<std::int32_t>(d[o] | d[o + 1] << 8 | d[o + 2] << 16 | d[o + 3] << 24); };
        if ((d[28] | d[29] << 8) != 24) return false;
        const int offset = u32(10), rawH = u32(22);
        w = u32(18);
        h = rawH < 0 ? -rawH : rawH;
        const int stride = (w * 3 + 3) & ~3;
        rgb.assign(static_cast<std::size_t>(w * h), 0);
        for (int y = 0; y < h; ++y) {
            const unsigned char* row = d + offset + (rawH < 0 ? y : h - 1 - y) * stride;
            for (int x = 0; x < w; ++x)
                rgb[static_cast<std::size_t>(y * w + x)] =
                    static_cast<unsigned>(row[3 * x + 2] << 16 | row[3 * x + 1] << 8 | row[3 * x]);
        }
        return true;
    }
    return false;
}
