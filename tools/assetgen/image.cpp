#include "image.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <set>
#include <stdexcept>

namespace assetgen {

Rgba parseHexColour(const std::string& hex) {
    if (hex.size() != 6 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        throw std::runtime_error("bad colour '" + hex + "'");
    unsigned long v = std::stoul(hex, nullptr, 16);
    return rgb(static_cast<int>((v >> 16) & 255), static_cast<int>((v >> 8) & 255), static_cast<int>(v & 255));
}

void Picture::blend(int x, int y, Rgba c) {
    if (!inside(x, y) || c.a == 0) return;
    Rgba& d = at(x, y);
    if (c.a == 255) {
        d = c;
        return;
    }
    const int a = c.a, ia = 255 - a;
    d.r = static_cast<std::uint8_t>((c.r * a + d.r * ia) / 255);
    d.g = static_cast<std::uint8_t>((c.g * a + d.g * ia) / 255);
    d.b = static_cast<std::uint8_t>((c.b * a + d.b * ia) / 255);
    d.a = static_cast<std::uint8_t>(a + d.a * ia / 255);
}

void Picture::fillRect(int x, int y, int rw, int rh, Rgba c) {
    for (int j = y; j < y + rh; ++j)
        for (int i = x; i < x + rw; ++i) blend(i, j, c);
}

void blit(Picture& dst, const Picture& src, int x, int y, int scale) {
    for (int j = 0; j < src.h; ++j)
        for (int i = 0; i < src.w; ++i) {
            const Rgba c = src.at(i, j);
            if (c.a == 0) continue;
            for (int sy = 0; sy < scale; ++sy)
                for (int sx = 0; sx < scale; ++sx) dst.blend(x + i * scale + sx, y + j * scale + sy, c);
        }
}

Picture composite(const Picture& under, const Picture& over) {
    Picture out = under;
    blit(out, over, 0, 0);
    return out;
}

Picture downscale(const Picture& src, int w, int h) {
    Picture out(w, h);
    const double fx = static_cast<double>(src.w) / w, fy = static_cast<double>(src.h) / h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            // Area average over the source box, with partial coverage at the edges.
            double r = 0, g = 0, b = 0, a = 0, area = 0;
            const double x0 = x * fx, x1 = (x + 1) * fx, y0 = y * fy, y1 = (y + 1) * fy;
            for (int sy = static_cast<int>(y0); sy < static_cast<int>(std::ceil(y1)) && sy < src.h; ++sy)
                for (int sx = static_cast<int>(x0); sx < static_cast<int>(std::ceil(x1)) && sx < src.w; ++sx) {
                    const double cov = (std::min<double>(sx + 1, x1) - std::max<double>(sx, x0)) *
                                       (std::min<double>(sy + 1, y1) - std::max<double>(sy, y0));
                    if (cov <= 0) continue;
                    const Rgba c = src.at(sx, sy);
                    const double ca = c.a / 255.0 * cov;
                    r += c.r * ca;
                    g += c.g * ca;
                    b += c.b * ca;
                    a += ca;
                    area += cov;
                }
            Rgba o;
            if (a > 0) {
                o.r = static_cast<std::uint8_t>(std::lround(r / a));
                o.g = static_cast<std::uint8_t>(std::lround(g / a));
                o.b = static_cast<std::uint8_t>(std::lround(b / a));
                o.a = static_cast<std::uint8_t>(std::lround(std::min(1.0, a / area) * 255));
            }
            out.at(x, y) = o;
        }
    // Raise the contrast a little: averaged pixel art goes muddy at a third of its size.
    for (Rgba& c : out.px) {
        auto boost = [](std::uint8_t v) {
            const double t = (v / 255.0 - 0.5) * 1.12 + 0.5;
            return static_cast<std::uint8_t>(std::clamp(std::lround(t * 255), 0L, 255L));
        };
        c.r = boost(c.r);
        c.g = boost(c.g);
        c.b = boost(c.b);
    }
    return out;
}

Picture itemCopy(const Picture& item, const Picture& background) {
    // Score each row by how many pixels differ from the background.
    std::vector<std::pair<int, int>> rows;  // (score, row)
    for (int y = 0; y < item.h; ++y) {
        int score = 0;
        for (int x = 0; x < item.w; ++x)
            if (!(item.at(x, y) == background.at(x, y))) ++score;
        rows.push_back({score, y});
    }
    // Prefer dropping rows from the edges when scores tie, so the object stays whole.
    std::stable_sort(rows.begin(), rows.end(), [&](auto a, auto b) {
        if (a.first != b.first) return a.first < b.first;
        auto edge = [&](int r) { return std::min(r, item.h - 1 - r); };
        return edge(a.second) < edge(b.second);
    });
    const int drop = item.h - 21;
    std::set<int> dropped;
    for (int i = 0; i < drop && i < static_cast<int>(rows.size()); ++i) dropped.insert(rows[i].second);
    Picture out(item.w, item.h - drop);
    int oy = 0;
    for (int y = 0; y < item.h; ++y) {
        if (dropped.count(y)) continue;
        for (int x = 0; x < item.w; ++x) out.at(x, oy) = item.at(x, y);
        ++oy;
    }
    return out;
}

int distinctColours(const Picture& p) {
    std::set<std::uint32_t> s;
    for (const Rgba& c : p.px) s.insert((c.r << 24) | (c.g << 16) | (c.b << 8) | c.a);
    return static_cast<int>(s.size());
}

namespace {

void put16(std::vector<std::uint8_t>& v, unsigned x) {
    v.push_back(x & 255);
    v.push_back((x >> 8) & 255);
}
void put32(std::vector<std::uint8_t>& v, std::uint32_t x) {
    put16(v, x & 0xFFFF);
    put16(v, x >> 16);
}
void put32be(std::vector<std::uint8_t>& v, std::uint32_t x) {
    v.push_back((x >> 24) & 255);
    v.push_back((x >> 16) & 255);
    v.push_back((x >> 8) & 255);
    v.push_back(x & 255);
}

// BITMAPINFOHEADER; for icons the height counts the colour and mask halves.
void infoHeader(std::vector<std::uint8_t>& v, int w, int h, int bpp, std::uint32_t imageSize) {
    put32(v, 40);
    put32(v, static_cast<std::uint32_t>(w));
    put32(v, static_cast<std::uint32_t>(h));
    put16(v, 1);
    put16(v, static_cast<unsigned>(bpp));
    put32(v, 0);  // BI_RGB
    put32(v, imageSize);
    put32(v, 2835);  // 72 dpi
    put32(v, 2835);
    put32(v, 0);
    put32(v, 0);
}

}  // namespace

std::vector<std::uint8_t> encodeBmp24(const Picture& p) {
    const int stride = (p.w * 3 + 3) & ~3;
    const std::uint32_t imageSize = static_cast<std::uint32_t>(stride * p.h);
    std::vector<std::uint8_t> v;
    v.push_back('B');
    v.push_back('M');
    put32(v, 14 + 40 + imageSize);
    put32(v, 0);
    put32(v, 14 + 40);
    infoHeader(v, p.w, p.h, 24, imageSize);
    for (int y = p.h - 1; y >= 0; --y) {
        for (int x = 0; x < p.w; ++x) {
            const Rgba c = p.at(x, y);
            v.push_back(c.b);
            v.push_back(c.g);
            v.push_back(c.r);
        }
        for (int pad = p.w * 3; pad < stride; ++pad) v.push_back(0);
    }
    return v;
}

std::vector<std::uint8_t> encodeIco(const std::vector<Picture>& images) {
    std::vector<std::vector<std::uint8_t>> bodies;
    for (const Picture& p : images) {
        const int maskStride = ((p.w + 31) / 32) * 4;
        const std::uint32_t colourSize = static_cast<std::uint32_t>(p.w * p.h * 4);
        const std::uint32_t maskSize = static_cast<std::uint32_t>(maskStride * p.h);
        std::vector<std::uint8_t> b;
        infoHeader(b, p.w, p.h * 2, 32, colourSize + maskSize);
        for (int y = p.h - 1; y >= 0; --y)
            for (int x = 0; x < p.w; ++x) {
                const Rgba c = p.at(x, y);
                b.push_back(c.b);
                b.push_back(c.g);
                b.push_back(c.r);
                b.push_back(c.a);
            }
        // AND mask: 1 = transparent, for readers that ignore the alpha channel.
        for (int y = p.h - 1; y >= 0; --y) {
            std::vector<std::uint8_t> row(static_cast<std::size_t>(maskStride), 0);
            for (int x = 0; x < p.w; ++x)
                if (p.at(x, y).a < 128) row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            b.insert(b.end(), row.begin(), row.end());
        }
        bodies.push_back(std::move(b));
    }
    std::vector<std::uint8_t> v;
    put16(v, 0);
    put16(v, 1);  // icon
    put16(v, static_cast<unsigned>(images.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        v.push_back(static_cast<std::uint8_t>(images[i].w >= 256 ? 0 : images[i].w));
        v.push_back(static_cast<std::uint8_t>(images[i].h >= 256 ? 0 : images[i].h));
        v.push_back(0);  // no palette
        v.push_back(0);
        put16(v, 1);   // planes
        put16(v, 32);  // bits per pixel
        put32(v, static_cast<std::uint32_t>(bodies[i].size()));
        put32(v, offset);
        offset += static_cast<std::uint32_t>(bodies[i].size());
    }
    for (const auto& b : bodies) v.insert(v.end(), b.begin(), b.end());
    return v;
}

std::vector<std::uint8_t> encodePng(const Picture& p) {
    std::vector<std::uint8_t> raw;
    raw.reserve(static_cast<std::size_t>(p.h) * (p.w * 3 + 1));
    for (int y = 0; y < p.h; ++y) {
        raw.push_back(0);  // no filter
        for (int x = 0; x < p.w; ++x) {
            const Rgba c = p.at(x, y);
            raw.push_back(c.r);
            raw.push_back(c.g);
            raw.push_back(c.b);
        }
    }
    uLongf zlen = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> z(zlen);
    if (compress2(z.data(), &zlen, raw.data(), static_cast<uLong>(raw.size()), 9) != Z_OK)
        throw std::runtime_error("png: compression failed");
    z.resize(zlen);

    std::vector<std::uint8_t> v = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    auto chunk = [&](const char* type, const std::vector<std::uint8_t>& data) {
        put32be(v, static_cast<std::uint32_t>(data.size()));
        std::vector<std::uint8_t> td(type, type + 4);
        td.insert(td.end(), data.begin(), data.end());
        v.insert(v.end(), td.begin(), td.end());
        put32be(v, static_cast<std::uint32_t>(crc32(0, td.data(), static_cast<uInt>(td.size()))));
    };
    std::vector<std::uint8_t> ihdr;
    put32be(ihdr, static_cast<std::uint32_t>(p.w));
    put32be(ihdr, static_cast<std::uint32_t>(p.h));
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});  // 8-bit RGB
    chunk("IHDR", ihdr);
    chunk("IDAT", z);
    chunk("IEND", {});
    return v;
}

void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (!f) throw std::runtime_error("cannot write " + path);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!f) throw std::runtime_error("error writing " + path);
}

}  // namespace assetgen
