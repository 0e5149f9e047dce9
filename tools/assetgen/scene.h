// Large pictures (the title, the credits backdrop) composed from drawing commands.
#pragma once

#include "font.h"
#include "image.h"

#include <string>

namespace assetgen {

struct SceneSource {
    std::string name;         // written as Images/<name>.bmp when set
    int resource = 0;         // embedded bitmap id when not 0
    std::string resourceSet;  // "game" or "editor"
    Picture picture;
};

// fontDir is where "text" commands find their .font files.
SceneSource parseScene(const std::string& text, const std::string& file, const std::string& fontDir);

}  // namespace assetgen
