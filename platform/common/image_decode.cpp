#include "image_decode.h"

#include <algorithm>
#include <cstdio>

#include "platform/files.h"

namespace platform::image {

namespace {

// A bounds-checked little-endian reader over a byte range.
struct Bytes {
    const std::uint8_t* p;
    std::size_t n;
    bool has(std::size_t off, std::size_t len) const { return off <= n && len <= n - off; }
    unsigned u8(std::size_t off) const { return p[off]; }
    unsigned u16(std::size_t off) const { return p[off] | (p[off + 1] << 8); }
    std::uint32_t u32(std::size_t off) const {
        return static_cast<std::uint32_t>(p[off]) | (static_cast<std::uint32_t>(p[off + 1]) << 8) |
               (static_cast<std::uint32_t>(p[off + 2]) << 16) |
               (static_cast<std::uint32_t>(p[off + 3]) << 24);
    }
};

// Position and width of the lowest set bit run of a channel mask.
void maskShift(std::uint32_t mask, int& shift, int& bits) {
    shift = 0;
    bits = 0;
    if (!mask) return;
    while (!(mask & 1u)) mask >>= 1, ++shift;
    while (mask & 1u) mask >>= 1, ++bits;
}

std::uint8_t maskValue(std::uint32_t v, std::uint32_t mask, int shift, int bits) {
    if (!bits) return 0;
    const std::uint32_t x = (v & mask) >> shift;
    const std::uint32_t max = bits >= 32 ? 0xFFFFFFFFu : ((1u << bits) - 1);
    return static_cast<std::uint8_t>((static_cast<std::uint64_t>(x) * 255 + max / 2) / max);
}

// Decodes a DIB (header, palette, pixels) starting at `off`; `pixOff` is where
// the pixels start when the file says so (0 = right after the palette). For an
// icon the header height counts the colour and mask halves and the AND mask
// follows the colours.
bool decodeDib(const Bytes& b, std::size_t off, std::size_t pixOff, bool icon, Rgba& out) {
    if (!b.has(off, 12)) return false;
    const std::uint32_t hdr = b.u32(off);
    long long w, h;
    unsigned bpp, compression = 0, paletteEntry = 4;
    std::uint32_t colorsUsed = 0;
    if (hdr == 12) {  // the old OS/2 core header
        w = b.u16(off + 4);
        h = static_cast<std::int16_t>(b.u16(off + 6));
        bpp = b.u16(off + 10);
        paletteEntry = 3;
    } else if (hdr >= 40 && b.has(off, hdr)) {
        w = static_cast<std::int32_t>(b.u32(off + 4));
        h = static_cast<std::int32_t>(b.u32(off + 8));
        bpp = b.u16(off + 14);
        compression = b.u32(off + 16);
        colorsUsed = b.u32(off + 32);
    } else {
        return false;
    }
    bool topDown = h < 0;
    if (topDown) h = -h;
    if (icon) h /= 2;
    if (w <= 0 || h <= 0 || w > MAX_SIDE || h > MAX_SIDE) return false;
    if (compression != 0 && compression != 3) return false;  // no RLE or embedded formats
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;

    std::uint32_t masks[4] = {0, 0, 0, 0};
    std::size_t after = off + hdr;
    if (bpp == 16) masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    if (bpp == 32) masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
    if (compression == 3) {
        if (bpp != 16 && bpp != 32) return false;
        // The masks sit inside the larger headers, or just after the 40-byte one.
        const std::size_t moff = off + 40;
        if (!b.has(moff, 12)) return false;
        for (int i = 0; i < 3; ++i) masks[i] = b.u32(moff + 4 * i);
        if (hdr >= 56 && b.has(moff, 16)) masks[3] = b.u32(moff + 12);
        if (hdr == 40) after += 12;
    } else if (bpp == 32 && hdr >= 56) {
        // BI_RGB 32-bit: the fourth byte is alpha only for icons (below).
    }

    std::vector<std::uint8_t> palette;  // r, g, b per entry
    if (bpp <= 8) {
        std::size_t count = colorsUsed ? colorsUsed : (1u << bpp);
        if (count > 256) return false;
        if (!b.has(after, count * paletteEntry)) return false;
        palette.resize(256 * 3, 0);
        for (std::size_t i = 0; i < count; ++i) {
            palette[i * 3 + 0] = static_cast<std::uint8_t>(b.u8(after + i * paletteEntry + 2));
            palette[i * 3 + 1] = static_cast<std::uint8_t>(b.u8(after + i * paletteEntry + 1));
            palette[i * 3 + 2] = static_cast<std::uint8_t>(b.u8(after + i * paletteEntry + 0));
        }
        after += count * paletteEntry;
    }
    const std::size_t start = pixOff ? pixOff : after;
    const std::size_t stride = ((static_cast<std::size_t>(w) * bpp + 31) / 32) * 4;
    if (!b.has(start, stride * static_cast<std::size_t>(h))) return false;

    int sh[4], bits[4];
    for (int i = 0; i < 4; ++i) maskShift(masks[i], sh[i], bits[i]);

    out.w = static_cast<int>(w);
    out.h = static_cast<int>(h);
    out.icon = icon;
    out.px.assign(static_cast<std::size_t>(w) * h * 4, 255);
    bool anyAlpha = false;
    for (int y = 0; y < out.h; ++y) {
        const std::size_t row = start + stride * static_cast<std::size_t>(topDown ? y : out.h - 1 - y);
        for (int x = 0; x < out.w; ++x) {
            std::uint8_t* d = out.at(x, y);
            if (bpp <= 8) {
                const std::size_t bit = static_cast<std::size_t>(x) * bpp;
                const unsigned byte = b.u8(row + bit / 8);
                const unsigned idx = (byte >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1);
                d[0] = palette[idx * 3], d[1] = palette[idx * 3 + 1], d[2] = palette[idx * 3 + 2];
            } else if (bpp == 24) {
                const std::size_t o = row + static_cast<std::size_t>(x) * 3;
                d[0] = static_cast<std::uint8_t>(b.u8(o + 2));
                d[1] = static_cast<std::uint8_t>(b.u8(o + 1));
                d[2] = static_cast<std::uint8_t>(b.u8(o));
            } else {
                const std::size_t o = row + static_cast<std::size_t>(x) * (bpp / 8);
                const std::uint32_t v = bpp == 16 ? b.u16(o) : b.u32(o);
                for (int c = 0; c < 3; ++c) d[c] = maskValue(v, masks[c], sh[c], bits[c]);
                if (bpp == 32 && icon && compression == 0) {
                    d[3] = static_cast<std::uint8_t>(v >> 24);
                    anyAlpha = anyAlpha || d[3] != 0;
                } else if (masks[3] && icon) {  // a bitmap stays opaque, whatever its alpha mask
                    d[3] = maskValue(v, masks[3], sh[3], bits[3]);
                    anyAlpha = true;
                }
            }
        }
    }
    if (icon) {
        // The AND mask (1 = transparent) rules unless the colours carry alpha.
        const std::size_t mstride = ((static_cast<std::size_t>(w) + 31) / 32) * 4;
        const std::size_t moff = start + stride * static_cast<std::size_t>(h);
        const bool haveMask = b.has(moff, mstride * static_cast<std::size_t>(h));
        if (!anyAlpha) {
            for (int y = 0; y < out.h; ++y)
                for (int x = 0; x < out.w; ++x) {
                    bool transparent = false;
                    if (haveMask) {
                        const std::size_t r = moff + mstride * static_cast<std::size_t>(topDown ? y : out.h - 1 - y);
                        transparent = (b.u8(r + x / 8) >> (7 - x % 8)) & 1;
                    }
                    out.at(x, y)[3] = transparent ? 0 : 255;
                }
        }
    }
    return true;
}

bool decodeIco(const Bytes& b, Rgba& out, int wantW, int wantH) {
    const unsigned count = b.u16(4);
    if (count == 0 || !b.has(6, 16u * count)) return false;
    // Best entry: the nearest size (or the largest when none is asked), then the most bits.
    int best = -1;
    long long bestScore = 0;
    for (unsigned i = 0; i < count; ++i) {
        const std::size_t e = 6 + 16 * i;
        const int w = b.u8(e) ? static_cast<int>(b.u8(e)) : 256;
        const int h = b.u8(e + 1) ? static_cast<int>(b.u8(e + 1)) : 256;
        const int bpp = static_cast<int>(b.u16(e + 6));
        const std::uint32_t off = b.u32(e + 12);
        if (!b.has(off, 4) || b.u32(off) == 0x474E5089u) continue;  // missing or PNG-compressed
        long long dist = wantW > 0 && wantH > 0 ? std::abs(w - wantW) + std::abs(h - wantH)
                                                : -(static_cast<long long>(w) * h);
        const long long score = dist * 64 - bpp;
        if (best < 0 || score < bestScore) best = static_cast<int>(i), bestScore = score;
    }
    if (best < 0) return false;
    const std::size_t e = 6 + 16 * static_cast<std::size_t>(best);
    const std::uint32_t off = b.u32(e + 12), len = b.u32(e + 8);
    if (!b.has(off, len)) return false;
    Bytes sub{b.p + off, len};
    return decodeDib(sub, 0, 0, true, out);
}

}  // namespace

bool decode(const std::uint8_t* data, std::size_t size, Rgba& out, int wantW, int wantH) {
    out = Rgba{};
    const Bytes b{data, size};
    if (!data || size < 6) return false;
    bool ok = false;
    if (b.u8(0) == 'B' && b.u8(1) == 'M' && b.has(0, 18)) {
        const std::uint32_t pixOff = b.u32(10);
        ok = pixOff != 0 && decodeDib(b, 14, pixOff, false, out);
    } else if (b.u16(0) == 0 && b.u16(2) == 1) {
        ok = decodeIco(b, out, wantW, wantH);
    }
    if (!ok) out = Rgba{};
    return ok;
}

bool decodeFile(const std::string& path, Rgba& out, int wantW, int wantH) {
    out = Rgba{};
    std::FILE* f = platform::openRegularFile(path);  // a pipe in place of a picture must not block
    if (!f) return false;
    std::vector<std::uint8_t> data;
    std::uint8_t buf[65536];
    std::size_t n;
    // Files above 256 MB are not pictures this program uses.
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0 && data.size() < (256u << 20))
        data.insert(data.end(), buf, buf + n);
    std::fclose(f);
    return decode(data.data(), data.size(), out, wantW, wantH);
}

Rgba scale(const Rgba& src, int w, int h, Scale mode) {
    if (w <= 0 || h <= 0 || (w == src.w && h == src.h) || src.w <= 0 || src.h <= 0) return src;
    Rgba out;
    out.w = w;
    out.h = h;
    out.icon = src.icon;
    out.px.resize(static_cast<std::size_t>(w) * h * 4);
    const double fx = static_cast<double>(src.w) / w, fy = static_cast<double>(src.h) / h;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            std::uint8_t* d = out.at(x, y);
            if (mode == Scale::Nearest || (fx <= 1.0 && fy <= 1.0)) {
                // Nearest: the source pixel under the target pixel's centre.
                const int sx = static_cast<int>((2LL * x + 1) * src.w / (2LL * w));
                const int sy = static_cast<int>((2LL * y + 1) * src.h / (2LL * h));
                std::copy_n(src.at(sx, sy), 4, d);
                continue;
            }
            // Box: every source pixel the target pixel covers, weighted by the
            // area covered and by its alpha, so transparent pixels do not darken edges.
            const double x0 = x * fx, x1 = x0 + fx, y0 = y * fy, y1 = y0 + fy;
            double r = 0, g = 0, bl = 0, a = 0, area = 0;
            for (int sy = static_cast<int>(y0); sy < src.h && sy < y1; ++sy) {
                const double wy = std::min<double>(sy + 1, y1) - std::max<double>(sy, y0);
                for (int sx = static_cast<int>(x0); sx < src.w && sx < x1; ++sx) {
                    const double wgt = wy * (std::min<double>(sx + 1, x1) - std::max<double>(sx, x0));
                    const std::uint8_t* s = src.at(sx, sy);
                    r += wgt * s[0] * s[3], g += wgt * s[1] * s[3], bl += wgt * s[2] * s[3];
                    a += wgt * s[3], area += wgt;
                }
            }
            auto byte = [](double v) { return static_cast<std::uint8_t>(std::clamp(v + 0.5, 0.0, 255.0)); };
            d[0] = a > 0 ? byte(r / a) : 0;
            d[1] = a > 0 ? byte(g / a) : 0;
            d[2] = a > 0 ? byte(bl / a) : 0;
            d[3] = area > 0 ? byte(a / area) : 0;
        }
    }
    return out;
}

}  // namespace platform::image
