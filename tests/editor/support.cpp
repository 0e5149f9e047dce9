#include "support.h"

#include "platform/files.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace editortest {

ScratchDir::ScratchDir() {
    char name[] = "/tmp/quelmar-editor-XXXXXX";
    if (!mkdtemp(name)) throw std::runtime_error("mkdtemp");
    path = name;
    previous = std::filesystem::current_path().string();
    std::filesystem::current_path(path);
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::current_path(previous, ignored);
    std::filesystem::remove_all(path, ignored);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

namespace {
void put16(std::string& s, unsigned v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
void put32(std::string& s, unsigned v) {
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
}
}  // namespace

std::string solidBmp(int w, int h, platform::Color color) {
    int rowBytes = (w * 3 + 3) & ~3;
    std::string s = "BM";
    put32(s, 54 + rowBytes * h);
    put32(s, 0);
    put32(s, 54);
    put32(s, 40);
    put32(s, static_cast<unsigned>(w));
    put32(s, static_cast<unsigned>(h));
    put16(s, 1);
    put16(s, 24);
    put32(s, 0);
    put32(s, static_cast<unsigned>(rowBytes * h));
    put32(s, 2835);
    put32(s, 2835);
    put32(s, 0);
    put32(s, 0);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            s += static_cast<char>(color.b);
            s += static_cast<char>(color.g);
            s += static_cast<char>(color.r);
        }
        s.append(static_cast<std::size_t>(rowBytes - w * 3), '\0');
    }
    return s;
}

platform::Color tileColor(char tile) {
    unsigned char c = static_cast<unsigned char>(tile);
    return platform::rgb((c * 37) % 200 + 20, (c * 91) % 200 + 30, (c * 53) % 180 + 40);
}

// Replaced atomically: tests running side by side share the pictures beside
// the test program, and none may see a half-written file.
void writeEditorPictures(const std::string& dir, const std::string& tiles) {
    std::filesystem::create_directories(dir + "/imagese");
    for (char tile : tiles)
        platform::replaceFile(dir + "/imagese/" + std::string(1, tile) + ".bmp",
                              solidBmp(7, 7, tileColor(tile)));
    platform::replaceFile(dir + "/imagese/\xC2\xB2.bmp", solidBmp(7, 7, MARKER_COLOR));
}

std::string levelText(const std::string& cells, int col, int row) {
    std::string grid = cells;
    grid.resize(10000, 'a');
    return grid + " " + std::to_string(col) + " " + std::to_string(row) + " ";
}

unsigned rgbValue(platform::Color c) {
    return (static_cast<unsigned>(c.r) << 16) | (static_cast<unsigned>(c.g) << 8) | c.b;
}

}  // namespace editortest
