#include "scene.h"

#include "source.h"

#include <algorithm>
#include <initializer_list>
#include <cmath>
#include <map>
#include <sstream>
#include <stdexcept>

namespace assetgen {

namespace {

// Small deterministic generator so every build draws the same picture.
struct Rng {
    std::uint32_t s;
    explicit Rng(std::uint32_t seed) : s(seed * 2654435761u + 1) {}
    std::uint32_t next() {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        return s;
    }
    double unit() { return (next() & 0xFFFFFF) / double(0x1000000); }
};

Rgba mix(Rgba a, Rgba b, double t) {
    return rgb(static_cast<int>(a.r + (b.r - a.r) * t), static_cast<int>(a.g + (b.g - a.g) * t),
               static_cast<int>(a.b + (b.b - a.b) * t));
}
Rgba shade(Rgba c, double f) {
    auto s = [f](int v) { return std::clamp(static_cast<int>(v * f), 0, 255); };
    return rgb(s(c.r), s(c.g), s(c.b));
}
Rgba withAlpha(Rgba c, int a) {
    c.a = static_cast<std::uint8_t>(std::clamp(a, 0, 255));
    return c;
}

// 1-D value noise in [0, 1], for hills and stone texture.
double noise1(double x, std::uint32_t seed) {
    auto h = [seed](int i) {
        std::uint32_t v = static_cast<std::uint32_t>(i) * 374761393u + seed * 668265263u;
        v = (v ^ (v >> 13)) * 1274126177u;
        return ((v ^ (v >> 16)) & 0xFFFF) / 65535.0;
    };
    const int i = static_cast<int>(std::floor(x));
    const double t = x - i, u = t * t * (3 - 2 * t);
    return h(i) * (1 - u) + h(i + 1) * u;
}

struct Castle {
    Rgba stone, lit, dark;
};

// A block of masonry: stone courses with staggered joints, lit from the moon on the right.
void masonry(Picture& p, int x0, int y0, int x1, int y1, const Castle& c, int litSide) {
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const int course = (y - y0) / 6;
            const bool joint = (y - y0) % 6 == 5 || (x + course * 7) % 14 == 0;
            double f = 1.0;
            if (litSide > 0 && x >= x1 - 3) f = 1.35;
            if (litSide < 0 && x < x0 + 3) f = 1.35;
            Rgba col = joint ? c.dark : c.stone;
            if (!joint && ((x * 7 + y * 13) % 17 == 0)) col = shade(col, 0.9);
            p.at(x, y) = shade(col, f);
        }
}

void crenels(Picture& p, int x0, int x1, int top, const Castle& c) {
    for (int x = x0; x < x1; x += 10) {
        const int w = std::min(6, x1 - x);
        masonry(p, x, top - 7, x + w, top, c, 0);
        for (int i = x; i < x + w; ++i) p.at(i, top - 7) = c.lit;
    }
}

void litWindow(Picture& p, int x, int y, int w, int h, Rgba glow) {
    // Halo, then the pane with an arched top and a dark mullion.
    for (int j = -6; j < h + 6; ++j)
        for (int i = -6; i < w + 6; ++i) {
            const double dx = std::max({0, -i, i - w + 1}), dy = std::max({0, -j, j - h + 1});
            const double d = std::sqrt(dx * dx + dy * dy);
            if (d > 0 && d < 6) p.blend(x + i, y + j, withAlpha(glow, static_cast<int>(50 * (1 - d / 6))));
        }
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            const bool arch = j == 0 && (i == 0 || i == w - 1);
            if (arch) continue;
            Rgba col = mix(rgb(255, 236, 150), glow, static_cast<double>(j) / h);
            if (i == w / 2 && w >= 5) col = rgb(40, 24, 16);
            p.at(x + i, y + j) = col;
        }
}

}  // namespace

SceneSource parseScene(const std::string& text, const std::string& file, const std::string& fontDir) {
    SceneSource sc;
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    std::map<std::string, Font> fonts;
    Castle castle{rgb(52, 56, 82), rgb(120, 126, 160), rgb(30, 32, 50)};
    auto fail = [&](const std::string& what) { throw std::runtime_error(file + ":" + std::to_string(lineNo) + ": " + what); };
    auto colour = [&](std::istream& ls) {
        std::string h;
        ls >> h;
        return parseHexColour(h);
    };
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream ls(line);
        std::string cmd;
        if (!(ls >> cmd) || cmd.rfind("//", 0) == 0) continue;
        Picture& p = sc.picture;
        if (cmd != "size" && p.w == 0) fail("size must come first");
        if (cmd == "size") {
            int w = 0, h = 0;
            ls >> w >> h;
            if (w <= 0 || h <= 0 || w > 4096 || h > 4096) fail("bad size");
            p = Picture(w, h, rgb(0, 0, 0));
        } else if (cmd == "name") {
            ls >> sc.name;
        } else if (cmd == "resource") {
            ls >> sc.resource >> sc.resourceSet;
        } else if (cmd == "sky") {
            // sky TOP BOTTOM: vertical gradient over the whole picture.
            const Rgba a = colour(ls), b = colour(ls);
            for (int y = 0; y < p.h; ++y)
                for (int x = 0; x < p.w; ++x) p.at(x, y) = mix(a, b, static_cast<double>(y) / (p.h - 1));
        } else if (cmd == "stars") {
            // stars COUNT SEED YMAX
            int n = 0, seed = 0, ymax = 0;
            ls >> n >> seed >> ymax;
            Rng r(static_cast<std::uint32_t>(seed));
            for (int k = 0; k < n; ++k) {
                const int x = static_cast<int>(r.unit() * p.w), y = static_cast<int>(r.unit() * ymax);
                const int b = 120 + static_cast<int>(r.unit() * 135);
                p.blend(x, y, rgb(b, b, std::min(255, b + 20)));
                if (r.unit() < 0.12) {  // a few brighter stars with a small cross
                    for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
                        p.blend(x + dx, y + dy, withAlpha(rgb(200, 210, 255), 110));
                }
            }
        } else if (cmd == "moon") {
            // moon X Y R COLOUR: a disc with a soft halo and a few darker seas.
            int cx = 0, cy = 0, rad = 0;
            ls >> cx >> cy >> rad;
            const Rgba c = colour(ls);
            for (int y = cy - rad * 3; y <= cy + rad * 3; ++y)
                for (int x = cx - rad * 3; x <= cx + rad * 3; ++x) {
                    const double d = std::hypot(x - cx, y - cy);
                    if (d <= rad) {
                        double f = 1.0 - 0.18 * ((x - cx) + (y - cy)) / (2.0 * rad);
                        if (std::hypot(x - cx + rad * 0.3, y - cy + rad * 0.2) < rad * 0.3) f *= 0.86;
                        if (std::hypot(x - cx - rad * 0.35, y - cy - rad * 0.3) < rad * 0.22) f *= 0.88;
                        p.blend(x, y, shade(c, f));
                    } else if (d < rad * 3) {
                        p.blend(x, y, withAlpha(c, static_cast<int>(60 * std::pow(1 - (d - rad) / (rad * 2), 2))));
                    }
                }
        } else if (cmd == "hills") {
            // hills COLOUR BASEY AMPLITUDE SEED: a noisy horizon filled down to the bottom.
            const Rgba c = colour(ls);
            int base = 0, amp = 0, seed = 0;
            ls >> base >> amp >> seed;
            for (int x = 0; x < p.w; ++x) {
                const double n = noise1(x / 40.0, static_cast<std::uint32_t>(seed)) * 0.7 +
                                 noise1(x / 11.0, static_cast<std::uint32_t>(seed) + 9) * 0.3;
                const int top = base - static_cast<int>(n * amp);
                for (int y = std::max(0, top); y < p.h; ++y)
                    p.at(x, y) = y == top ? shade(c, 1.5) : shade(c, 1.0 - 0.3 * (y - top) / double(p.h));
            }
        } else if (cmd == "stone") {
            // stone BODY LIT JOINT: colours of the masonry that follows.
            castle.stone = colour(ls);
            castle.lit = colour(ls);
            castle.dark = colour(ls);
        } else if (cmd == "wall") {
            // wall X0 X1 TOP BOTTOM: a curtain wall with battlements.
            int x0 = 0, x1 = 0, top = 0, bottom = 0;
            ls >> x0 >> x1 >> top >> bottom;
            masonry(p, x0, top, x1, bottom, castle, 0);
            crenels(p, x0, x1, top, castle);
        } else if (cmd == "tower") {
            // tower CX WIDTH TOP BOTTOM [roof HEIGHT COLOUR]: a round-looking tower.
            int cx = 0, w = 0, top = 0, bottom = 0;
            ls >> cx >> w >> top >> bottom;
            const int x0 = cx - w / 2, x1 = x0 + w;
            masonry(p, x0, top, x1, bottom, castle, 1);
            // Cylinder shading: darker at the left edge, lit at the right.
            for (int y = top; y < bottom; ++y)
                for (int x = x0; x < x1; ++x) {
                    const double t = static_cast<double>(x - x0) / (w - 1);
                    p.at(x, y) = shade(p.at(x, y), 0.7 + 0.5 * t);
                }
            std::string opt;
            if (ls >> opt && opt == "roof") {
                int rh = 0;
                ls >> rh;
                const Rgba rc = colour(ls);
                for (int y = 0; y < rh; ++y) {
                    const double half = (w / 2 + 3) * static_cast<double>(y + 1) / rh;
                    for (int x = static_cast<int>(cx - half); x <= static_cast<int>(cx + half); ++x) {
                        const double t = (x - (cx - half)) / (2 * half + 1);
                        Rgba col = shade(rc, 0.6 + 0.7 * t);
                        if (y % 5 == 4) col = shade(col, 0.75);  // slate courses
                        p.blend(x, top - rh + y, col);
                    }
                }
                p.fillRect(cx, top - rh - 8, 1, 8, rgb(30, 20, 20));  // the pennant's pole
                p.fillRect(cx + 1, top - rh - 8, 6, 3, colour(ls));
            } else {
                crenels(p, x0 - 2, x1 + 2, top, castle);
            }
        } else if (cmd == "window") {
            // window X Y W H GLOW
            int x = 0, y = 0, w = 0, h = 0;
            ls >> x >> y >> w >> h;
            litWindow(p, x, y, w, h, colour(ls));
        } else if (cmd == "gate") {
            // gate CX BOTTOM W H: an arched gateway with a raised portcullis.
            int cx = 0, bottom = 0, w = 0, h = 0;
            ls >> cx >> bottom >> w >> h;
            for (int y = bottom - h; y < bottom; ++y)
                for (int x = cx - w / 2; x < cx + w / 2; ++x) {
                    const double dx = (x - cx + 0.5) / (w / 2.0), dy = (bottom - h + w / 2.0 - y) / (w / 2.0);
                    if (y < bottom - h + w / 2 && dx * dx + dy * dy > 1) continue;
                    Rgba col = rgb(14, 10, 14);
                    if ((x - cx + w) % 4 == 0 && y < bottom - h / 3) col = rgb(70, 60, 54);
                    if ((bottom - y) % 5 == 0 && y < bottom - h / 3) col = rgb(70, 60, 54);
                    p.at(x, y) = col;
                }
        } else if (cmd == "rect") {
            // rect X Y W H COLOUR ALPHA
            int x = 0, y = 0, w = 0, h = 0, a = 255;
            ls >> x >> y >> w >> h;
            const Rgba c = colour(ls);
            ls >> a;
            p.fillRect(x, y, w, h, withAlpha(c, a));
        } else if (cmd == "vignette") {
            // vignette STRENGTH: darkens the corners.
            double s = 0;
            ls >> s;
            for (int y = 0; y < p.h; ++y)
                for (int x = 0; x < p.w; ++x) {
                    const double dx = (x - p.w / 2.0) / (p.w / 2.0), dy = (y - p.h / 2.0) / (p.h / 2.0);
                    const double f = 1 - s * std::clamp((dx * dx + dy * dy - 0.4) / 1.6, 0.0, 1.0);
                    p.at(x, y) = shade(p.at(x, y), f);
                }
        } else if (cmd == "parchment") {
            // parchment LIGHT DARK SEED: mottled paper with darkened, burnt edges.
            const Rgba a = colour(ls), b = colour(ls);
            int seed = 0;
            ls >> seed;
            for (int y = 0; y < p.h; ++y)
                for (int x = 0; x < p.w; ++x) {
                    const double n = noise1(x / 23.0 + y * 0.37, seed) * 0.5 + noise1(y / 17.0 + x * 0.21, seed + 3) * 0.5;
                    p.at(x, y) = mix(a, b, 0.15 + 0.35 * n);
                }
        } else if (cmd == "text") {
            // text FONT SCALE X|center Y TOP BOTTOM OUTLINE SHADOW "words"
            std::string font, xs;
            int scale = 1, y = 0;
            ls >> font >> scale >> xs >> y;
            Lettering st;
            st.scale = scale;
            st.top = colour(ls);
            st.bottom = colour(ls);
            st.outline = colour(ls);
            st.shadow = withAlpha(colour(ls), 160);
            st.outlineWidth = std::max(1, scale / 2);
            st.shadowOffset = scale;
            std::string rest;
            std::getline(ls, rest);
            const auto q0 = rest.find('"'), q1 = rest.rfind('"');
            if (q0 == std::string::npos || q1 == q0) fail("text needs quoted words");
            const std::string words = rest.substr(q0 + 1, q1 - q0 - 1);
            if (!fonts.count(font)) fonts[font] = parseFont(readText(fontDir + "/" + font + ".font"), font);
            const Font& f = fonts[font];
            const int x = xs == "center" ? (p.w - textWidth(f, words) * scale) / 2 : std::stoi(xs);
            drawText(p, f, words, x, y, st);
        } else {
            fail("unknown command '" + cmd + "'");
        }
    }
    if (sc.picture.w == 0) throw std::runtime_error(file + ": empty scene");
    return sc;
}

}  // namespace assetgen
