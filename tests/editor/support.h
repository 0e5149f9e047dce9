// Helpers of the editor's tests: a scratch working directory, files, 7 x 7
// pictures of one colour each, and running the editor on a script.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace editortest {

// Creates a fresh directory under /tmp and makes it the working directory;
// removes it and goes back on destruction.
struct ScratchDir {
    ScratchDir();
    ~ScratchDir();
    std::string path;
    std::string previous;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);

// A 24-bit bottom-up BMP of w x h pixels of one colour.
std::string solidBmp(int w, int h, platform::Color color);

// The colour each test picture has (distinct per character), and the marker's.
platform::Color tileColor(char tile);
constexpr platform::Color MARKER_COLOR{255, 255, 0};

// Writes 7 x 7 pictures for the given characters, and the start marker
// "².bmp", into dir/imagese/.
void writeEditorPictures(const std::string& dir, const std::string& tiles);

// A perso.niv: the grid (padded with 'a' to 10,000 cells) and " %d %d ".
std::string levelText(const std::string& cells, int col, int row);

unsigned rgbValue(platform::Color c);

}  // namespace editortest
