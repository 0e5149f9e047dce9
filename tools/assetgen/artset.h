// All the pictures of the game, loaded from their sources and written out.
#pragma once

#include "image.h"
#include "scene.h"
#include "source.h"

#include <map>
#include <string>
#include <vector>

namespace assetgen {

struct ArtSet {
    std::vector<PictureSource> pictures;  // tiles, icons and plain pictures
    std::vector<SceneSource> scenes;
    std::map<std::string, Picture> tiles;       // tile code -> 24 x 24 picture, bases applied
    std::map<std::string, Picture> smallTiles;  // tile code -> 7 x 7 picture
    std::map<std::string, Picture> itemCopies;  // tile code -> 24 x 21 picture
};

ArtSet loadArt(const std::string& sourceDir);
void writeArt(const ArtSet& art, const std::string& stage);
// Writes the C++ table of embedded resources of one program (set "game" or "editor").
void writeResourceSource(const ArtSet& art, const std::string& set, const std::string& table,
                         const std::string& count, const std::string& path);
Picture contactSheet(const ArtSet& art);

}  // namespace assetgen
