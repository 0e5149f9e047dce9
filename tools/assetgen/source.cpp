#include "source.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace assetgen {

std::string readText(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) throw std::runtime_error("cannot read " + path);
    std::ostringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

namespace {

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string cur;
    for (char ch : text) {
        if (ch == '\n') {
            if (!cur.empty() && cur.back() == '\r') cur.pop_back();
            lines.push_back(cur);
            cur.clear();
        } else {
            cur += ch;
        }
    }
    if (!cur.empty()) lines.push_back(cur);
    return lines;
}

std::string trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return "";
    const auto e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

// Reads h grid rows of w characters starting at lines[i]; advances i.
std::vector<std::string> readRows(const std::vector<std::string>& lines, std::size_t& i, int w, int h,
                                  const std::string& file) {
    std::vector<std::string> rows;
    for (int y = 0; y < h; ++y, ++i) {
        if (i >= lines.size()) throw std::runtime_error(file + ": grid ends after " + std::to_string(y) + " rows");
        const std::string& row = lines[i];
        if (static_cast<int>(row.size()) != w)
            throw std::runtime_error(file + ":" + std::to_string(i + 1) + ": row has " + std::to_string(row.size()) +
                                     " characters, expected " + std::to_string(w));
        rows.push_back(row);
    }
    return rows;
}

Picture render(const std::vector<std::string>& rows, const std::map<char, Rgba>& palette, const std::string& file) {
    if (rows.empty()) return {};
    Picture p(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
    for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < p.w; ++x) {
            const char ch = rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
            auto it = palette.find(ch);
            if (it == palette.end())
                throw std::runtime_error(file + ": '" + std::string(1, ch) + "' is not in the palette");
            p.at(x, y) = it->second;
        }
    return p;
}

std::string directoryOf(const std::string& file) {
    const auto slash = file.find_last_of('/');
    return slash == std::string::npos ? "." : file.substr(0, slash);
}

}  // namespace

PictureSource parsePictureSource(const std::string& text, const std::string& file) {
    PictureSource src;
    src.file = file;
    const auto lines = splitLines(text);
    std::map<char, Rgba> palette, inherited;
    int w = 0, h = 0;
    bool inPalette = false;
    bool haveGrid = false;
    for (std::size_t i = 0; i < lines.size();) {
        const std::string line = trim(lines[i]);
        const std::string where = file + ":" + std::to_string(i + 1);
        if (line.empty() || line.rfind("//", 0) == 0) {
            ++i;
            continue;
        }
        std::istringstream ls(line);
        std::string key;
        ls >> key;
        if (inPalette && key != "grid") {
            // "X RRGGBB" or "X none"; X is any single character.
            std::string value;
            ls >> value;
            if (key.size() != 1 || value.empty()) throw std::runtime_error(where + ": palette lines are 'X RRGGBB'");
            palette[key[0]] = value == "none" ? Rgba{} : parseHexColour(value);
            ++i;
            continue;
        }
        ++i;
        if (key == "tile") {
            ls >> src.tile;
        } else if (key == "item") {
            src.item = true;
        } else if (key == "editor-only") {
            src.editorOnly = true;
        } else if (key == "base") {
            ls >> src.base;
        } else if (key == "icon") {
            ls >> src.icon;
        } else if (key == "name") {
            ls >> src.name;
        } else if (key == "resource") {
            ls >> src.resource >> src.resourceSet;
            if (src.resourceSet != "game" && src.resourceSet != "editor")
                throw std::runtime_error(where + ": resource needs an id and 'game' or 'editor'");
        } else if (key == "like") {
            // like OTHER.pix: take the other picture's grid, size and palette; the
            // palette lines of this file then recolour it (doors and keys, for one).
            // "like OTHER.pix mirror" also flips it left to right.
            std::string other, how;
            ls >> other >> how;
            if (!how.empty() && how != "mirror") throw std::runtime_error(where + ": 'like FILE [mirror]'");
            const PictureSource o = loadPictureSource(directoryOf(file) + "/" + other);
            w = o.picture.w;
            h = o.picture.h;
            src.rows = o.rows;
            src.smallRows = o.smallRows;
            if (how == "mirror") {
                for (auto& r : src.rows) std::reverse(r.begin(), r.end());
                for (auto& r : src.smallRows) std::reverse(r.begin(), r.end());
            }
            inherited = o.palette;
            haveGrid = true;
        } else if (key == "size") {
            ls >> w >> h;
            if (w <= 0 || h <= 0 || w > 512 || h > 512) throw std::runtime_error(where + ": bad size");
        } else if (key == "palette") {
            inPalette = true;
        } else if (key == "grid") {
            inPalette = false;
            if (w == 0) throw std::runtime_error(where + ": grid before size");
            src.rows = readRows(lines, i, w, h, file);
            haveGrid = true;
        } else if (key == "small") {
            src.smallRows = readRows(lines, i, 7, 7, file);
        } else {
            throw std::runtime_error(where + ": unknown keyword '" + key + "'");
        }
    }
    if (!haveGrid) throw std::runtime_error(file + ": no grid");
    for (const auto& [ch, c] : palette) inherited[ch] = c;
    src.palette = inherited;
    src.picture = render(src.rows, src.palette, file);
    src.small = render(src.smallRows, src.palette, file);
    return src;
}

PictureSource loadPictureSource(const std::string& path) { return parsePictureSource(readText(path), path); }

}  // namespace assetgen
