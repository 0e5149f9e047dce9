// assetgen: turns the text sources of assets/ into the game's pictures and sounds.
//   assetgen SOURCES STAGE GAME_RES.cpp EDITOR_RES.cpp [--sheet SHEET.png] [--no-sound]
//     [--levels LEVELS.txt]
// Pictures go to STAGE/Images and STAGE/imagese, sounds to STAGE/sons; the two .cpp
// files embed the program resources (rewritten only when their bytes change).
#include "artset.h"
#include "image.h"
#include "sound.h"

#include <cstdio>
#include <exception>
#include <string>

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: assetgen SOURCES STAGE GAME_RES.cpp EDITOR_RES.cpp [--sheet FILE.png] [--no-sound] [--levels FILE]\n");
        return 2;
    }
    const std::string sources = argv[1], stage = argv[2];
    std::string sheet, levels;
    bool sound = true;
    for (int i = 5; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--sheet" && i + 1 < argc) sheet = argv[++i];
        else if (a == "--levels" && i + 1 < argc) levels = argv[++i];
        else if (a == "--no-sound") sound = false;
        else {
            std::fprintf(stderr, "assetgen: unknown option %s\n", a.c_str());
            return 2;
        }
    }
    try {
        const assetgen::ArtSet art = assetgen::loadArt(sources);
        assetgen::writeArt(art, stage);
        assetgen::writeResourceSource(art, "game", "QUELMAR_GAME_RESOURCES", "QUELMAR_GAME_RESOURCE_COUNT", argv[3]);
        assetgen::writeResourceSource(art, "editor", "QUELMAR_EDITOR_RESOURCES", "QUELMAR_EDITOR_RESOURCE_COUNT", argv[4]);
        if (!sheet.empty()) assetgen::writeFile(sheet, assetgen::encodePng(assetgen::contactSheet(art)));
        if (sound) assetgen::writeSounds(sources, stage, levels);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "assetgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
