#include "font.h"

#include <algorithm>
#include <sstream>
#include <stdexcept>

namespace assetgen {

Font parseFont(const std::string& text, const std::string& file) {
    Font f;
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    char current = 0;
    auto fail = [&](const std::string& what) { throw std::runtime_error(file + ":" + std::to_string(lineNo) + ": " + what); };
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line.rfind("//", 0) == 0) continue;
        std::istringstream ls(line);
        std::string key;
        ls >> key;
        if (key == "height") {
            ls >> f.height;
        } else if (key == "advance-space") {
            ls >> f.space;
        } else if (key == "glyph") {
            std::string c;
            ls >> c;
            if (c.size() != 1) fail("glyph takes one character");
            current = c[0];
            f.glyphs[current] = {};
        } else if (line.find_first_not_of("#.") == std::string::npos) {
            if (!current) fail("grid row outside a glyph");
            Glyph& g = f.glyphs[current];
            if (g.rows.empty()) g.w = static_cast<int>(line.size());
            if (static_cast<int>(line.size()) != g.w) fail("rows of a glyph must be the same width");
            g.rows.push_back(line);
            if (static_cast<int>(g.rows.size()) > f.height) fail("glyph taller than the font");
        } else {
            fail("unknown line '" + line + "'");
        }
    }
    for (const auto& [c, g] : f.glyphs)
        if (static_cast<int>(g.rows.size()) != f.height)
            throw std::runtime_error(file + ": glyph '" + std::string(1, c) + "' has the wrong height");
    return f;
}

int textWidth(const Font& f, const std::string& s) {
    int w = 0;
    for (char c : s) {
        if (c == ' ') {
            w += f.space;
            continue;
        }
        auto it = f.glyphs.find(c);
        if (it == f.glyphs.end()) throw std::runtime_error(std::string("font has no glyph '") + c + "'");
        w += it->second.w + 1;
    }
    return w > 0 ? w - 1 : 0;
}

Picture renderMask(const Font& f, const std::string& s, int scale) {
    Picture m(textWidth(f, s) * scale, f.height * scale);
    int x = 0;
    for (char c : s) {
        if (c == ' ') {
            x += f.space;
            continue;
        }
        const Glyph& g = f.glyphs.at(c);
        for (int r = 0; r < f.height; ++r)
            for (int i = 0; i < g.w; ++i)
                if (g.rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(i)] == '#')
                    m.fillRect((x + i) * scale, r * scale, scale, scale, rgb(255, 255, 255));
        x += g.w + 1;
    }
    return m;
}

void drawText(Picture& dst, const Font& f, const std::string& s, int x, int y, const Lettering& st) {
    const Picture m = renderMask(f, s, st.scale);
    auto ink = [&](int i, int j) { return m.inside(i, j) && m.at(i, j).a != 0; };
    const int o = st.outlineWidth;
    // Shadow and outline first: every pixel within the outline distance of ink.
    for (int pass = 0; pass < 2; ++pass) {
        const int off = pass == 0 ? st.shadowOffset : 0;
        const Rgba col = pass == 0 ? st.shadow : st.outline;
        for (int j = -o; j < m.h + o; ++j)
            for (int i = -o; i < m.w + o; ++i) {
                bool near = false;
                for (int dj = -o; dj <= o && !near; ++dj)
                    for (int di = -o; di <= o && !near; ++di) near = ink(i + di, j + dj);
                if (near) dst.blend(x + i + off, y + j + off, col);
            }
    }
    for (int j = 0; j < m.h; ++j) {
        const double t = m.h > 1 ? static_cast<double>(j) / (m.h - 1) : 0;
        Rgba c = rgb(static_cast<int>(st.top.r + (st.bottom.r - st.top.r) * t),
                     static_cast<int>(st.top.g + (st.bottom.g - st.top.g) * t),
                     static_cast<int>(st.top.b + (st.bottom.b - st.top.b) * t));
        for (int i = 0; i < m.w; ++i) {
            if (!ink(i, j)) continue;
            // A light rim on the upper-left edge of each stroke gives the letters relief.
            Rgba p = c;
            if (!ink(i - 1, j) || !ink(i, j - 1)) p = rgb(std::min(255, c.r + 50), std::min(255, c.g + 50), std::min(255, c.b + 40));
            dst.blend(x + i, y + j, p);
        }
    }
}

}  // namespace assetgen
