// Helpers of the editor's tests: a scratch working directory, files, 7 x 7
// pictures of one colour per character, and compact script lines.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/platform.h"

namespace editortest {

// A fresh directory under /tmp, the working directory until destruction.
struct ScratchDir {
    static std::string make(std::string name) { return mkdtemp(name.data()) ? name : ""; }
    std::string previous = std::filesystem::current_path().string(), path = make("/tmp/quelmar-editor-XXXXXX");
    ScratchDir() { std::filesystem::current_path(path); }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::current_path(previous, ignored);
        std::filesystem::remove_all(path, ignored);
    }
};

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
inline void writeFile(const std::string& path, const std::string& bytes) { platform::replaceFile(path, bytes); }

// The standard output of a shell command; its exit status in *status.
inline std::string output(const std::string& command, int* status = nullptr) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[65536];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    int raw = pclose(pipe);
    if (status) *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return out;
}

// A 24-bit bottom-up BMP of w x h pixels of one colour.
inline std::string solidBmp(int w, int h, platform::Color c) {
    const unsigned row = (w * 3 + 3) & ~3;
    std::string s = "BM";
    for (auto [v, n] : {std::pair<unsigned, int>{54 + row * h, 4}, {0, 4}, {54, 4}, {40, 4}, {w, 4},
                        {h, 4}, {1, 2}, {24, 2}, {0, 4}, {row * h, 4}, {2835, 4}, {2835, 4}, {0, 4}, {0, 4}})
        for (int k = 0; k < n; ++k) s += static_cast<char>(v >> (8 * k));
    std::string line;
    for (int x = 0; x < w; ++x) line += {static_cast<char>(c.b), static_cast<char>(c.g), static_cast<char>(c.r)};
    line.resize(row, '\0');
    for (int y = 0; y < h; ++y) s += line;
    return s;
}

inline unsigned rgbValue(platform::Color c) { return c.r << 16 | c.g << 8 | c.b; }
// The colour of each test picture (distinct per character), and the marker's.
inline platform::Color tileColor(char tile) {
    unsigned char c = static_cast<unsigned char>(tile);
    return platform::rgb((c * 37) % 200 + 20, (c * 91) % 200 + 30, (c * 53) % 180 + 40);
}
inline unsigned colorOf(char tile) { return rgbValue(tileColor(tile)); }
constexpr platform::Color MARKER_COLOR{255, 255, 0};
const unsigned MARKER = rgbValue(MARKER_COLOR);

// 7 x 7 pictures for the characters and the start marker "².bmp" in dir/imagese/,
// replaced atomically: tests running side by side share the pictures beside
// the test program, and none may see a half-written file.
inline void writeEditorPictures(const std::string& dir, const std::string& tiles) {
    std::filesystem::create_directories(dir + "/imagese");
    for (char tile : tiles)
        platform::replaceFile(dir + "/imagese/" + tile + ".bmp", solidBmp(7, 7, tileColor(tile)));
    platform::replaceFile(dir + "/imagese/\xC2\xB2.bmp", solidBmp(7, 7, MARKER_COLOR));
}

// A perso.niv: the cells (padded with 'a' to 10,000) and " %d %d ".
inline std::string levelText(std::string cells, int col, int row) {
    cells.resize(10000, 'a');
    return cells + " " + std::to_string(col) + " " + std::to_string(row) + " ";
}

// The cells padded with 'a' to 10,000, then the given cells changed.
inline std::string with(std::string cells, std::initializer_list<std::pair<int, char>> changes) {
    cells.resize(10000, 'a');
    for (auto [k, c] : changes) cells[k] = c;
    return cells;
}

// The client pixel at the middle of a cell's column or row.
inline int mid(int index) { return 2 + 7 * index + 3; }

// The message box lines of a transcript.
inline std::vector<std::string> boxesOf(const std::vector<std::string>& transcript) {
    std::vector<std::string> out;
    for (const std::string& line : transcript)
        if (line.rfind("box ", 0) == 0) out.push_back(line);
    return out;
}

// Script lines from "a; b; ...", where "@C,R" is the middle of cell (C, R),
// "click X Y" presses and releases the left button, and "drag X1 Y1 ... Xn Yn"
// presses at the first point, moves through the others and releases at the last.
inline std::vector<std::string> script(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream items(text);
    for (std::string item, line; std::getline(items, item, ';'); line.clear()) {
        std::istringstream in(item);
        for (std::string w; in >> w;) {
            int c, r;
            bool cell = std::sscanf(w.c_str(), "@%d,%d", &c, &r) == 2;
            line += (line.empty() ? "" : " ") + (cell ? std::to_string(mid(c)) + " " + std::to_string(mid(r)) : w);
        }
        std::istringstream words(line);
        std::string verb;
        std::vector<std::string> at;
        if (!(words >> verb)) continue;
        if (verb != "click" && verb != "drag") lines.push_back(line);
        for (std::string x, y; (verb == "click" || verb == "drag") && words >> x >> y;) at.push_back(x + " " + y);
        if (at.empty()) continue;
        lines.push_back("mouse ldown " + at.front());
        for (std::size_t k = 1; k < at.size(); ++k) lines.push_back("mouse move " + at[k]);
        lines.push_back("mouse lup " + at.back());
    }
    return lines;
}

}  // namespace editortest
