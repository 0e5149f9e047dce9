// Picture sources: a header of keywords, a palette and a grid of characters.
#pragma once

#include "image.h"

#include <map>
#include <string>
#include <vector>

namespace assetgen {

struct PictureSource {
    std::string file;           // where it came from, for messages
    std::string tile;           // tile code (one byte, or the UTF-8 "²"), empty if none
    bool item = false;          // also written as the 24 x 21 "copie de" copy
    bool editorOnly = false;    // only in the 7-pixel set
    std::string base;           // tile code drawn under transparent pixels
    std::string icon;           // icon file name without ".ico", empty if none
    int resource = 0;           // embedded resource id, 0 if none
    std::string resourceSet;    // "game" or "editor"
    std::string name;           // plain picture name (pas, credits ...), written as name.bmp
    std::map<char, Rgba> palette;
    std::vector<std::string> rows, smallRows;  // the character grids as written
    Picture picture;
    Picture small;              // hand-drawn 7 x 7 version, empty when derived
};

// Parses one source; throws std::runtime_error with file and line on a fault.
PictureSource parsePictureSource(const std::string& text, const std::string& file);
PictureSource loadPictureSource(const std::string& path);

std::string readText(const std::string& path);

}  // namespace assetgen
