// Helpers of the editor's tests: scratch directory, files, one-colour 7 x 7 pictures, compact scripts.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "../platform/support.h"
#include "platform/files.h"

namespace editortest {

// A fresh directory under /tmp, the working directory until destruction.
struct ScratchDir {
    static std::string make(std::string name) { return mkdtemp(name.data()) ? name : ""; }
    std::string previous = std::filesystem::current_path().string(), path = make("/tmp/quelmar-editor-XXXXXX");
    ScratchDir() { std::filesystem::current_path(path); }
    ~ScratchDir() { std::error_code e; std::filesystem::current_path(previous, e), std::filesystem::remove_all(path, e); }
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

// The colour of each test picture as 0xRRGGBB (distinct per character), and the marker's.
inline unsigned colorOf(char tile) {
    const unsigned c = static_cast<unsigned char>(tile);
    return ((c * 37) % 200 + 20) << 16 | ((c * 91) % 200 + 30) << 8 | ((c * 53) % 180 + 40);
}
constexpr unsigned MARKER = 0xFFFF00;

// A 7 x 7 24-bit BMP of one colour.
inline std::string solidBmp(unsigned rgb) {
    const support::Bytes b = support::bmpFile(support::dib(7, 7, 24, [rgb](int, int) { return rgb; }));
    return {b.begin(), b.end()};
}

// 7 x 7 pictures for the characters and the marker "².bmp" in dir/imagese/, replaced
// atomically: tests side by side share those beside the test program.
inline void writeEditorPictures(const std::string& dir, const std::string& tiles) {
    std::filesystem::create_directories(dir + "/imagese");
    for (char tile : tiles)
        platform::replaceFile(dir + "/imagese/" + tile + ".bmp", solidBmp(colorOf(tile)));
    platform::replaceFile(dir + "/imagese/\xC2\xB2.bmp", solidBmp(MARKER));
}

// The cells padded with 'a' to 10,000, then the given cells changed.
inline std::string with(std::string cells, std::initializer_list<std::pair<int, char>> changes) {
    cells.resize(10000, 'a');
    for (auto [k, c] : changes) cells[k] = c;
    return cells;
}
// A perso.niv: the cells and " %d %d ".
inline std::string levelText(const std::string& cells, int col, int row) {
    return with(cells, {}) + " " + std::to_string(col) + " " + std::to_string(row) + " ";
}

// The client pixel at the middle of a cell's column or row.
inline int mid(int index) { return 2 + 7 * index + 3; }

// Script lines from "a; b; ...", where a point is "X,Y" (client pixels) or "@C,R" (the
// middle of cell (C, R)); "click P" presses and releases the left button at P, and
// "drag P1 ... Pn" presses at P1, moves through the others and releases at Pn.
inline std::vector<std::string> script(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream items(text);
    for (std::string item; std::getline(items, item, ';');) {
        std::istringstream in(item);
        std::vector<std::string> w;
        for (std::string word; in >> word;) {
            int x, y;
            const bool cell = word[0] == '@', point = std::sscanf(word.c_str() + cell, "%d,%d", &x, &y) == 2;
            w.push_back(!point ? word : cell ? std::to_string(mid(x)) + " " + std::to_string(mid(y)) : std::to_string(x) + " " + std::to_string(y));
        }
        if (w.empty()) continue;
        if (w[0] == "click" || w[0] == "drag") {
            lines.push_back("mouse ldown " + w[1]);
            for (std::size_t k = 2; k < w.size(); ++k) lines.push_back("mouse move " + w[k]);
            lines.push_back("mouse lup " + w.back());
            continue;
        }
        lines.push_back(w[0]);
        for (std::size_t k = 1; k < w.size(); ++k) lines.back() += " " + w[k];
    }
    return lines;
}

}  // namespace editortest
