#include "artset.h"

#include "font.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace assetgen {

namespace {

std::vector<fs::path> sourcesIn(const fs::path& dir, const std::string& ext) {
    std::vector<fs::path> out;
    if (!fs::is_directory(dir)) return out;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.is_regular_file() && e.path().extension() == ext) out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::uint8_t> iconBytes(const PictureSource& s) {
    std::vector<Picture> images = {s.picture};
    if (s.resource && s.picture.w > 16) images.push_back(downscale(s.picture, 16, 16));
    return encodeIco(images);
}

}  // namespace

ArtSet loadArt(const std::string& sourceDir) {
    ArtSet art;
    const fs::path root(sourceDir);
    for (const char* sub : {"tiles", "icons", "pictures"})
        for (const auto& p : sourcesIn(root / sub, ".pix")) art.pictures.push_back(loadPictureSource(p.string()));
    for (const auto& p : sourcesIn(root / "scenes", ".scene"))
        art.scenes.push_back(parseScene(readText(p.string()), p.string(), (root / "font").string()));

    // Tiles without a base first, then those drawn over another tile.
    std::map<std::string, const PictureSource*> byCode;
    for (const auto& s : art.pictures)
        if (!s.tile.empty()) {
            if (byCode.count(s.tile)) throw std::runtime_error(s.file + ": tile " + s.tile + " defined twice");
            byCode[s.tile] = &s;
        }
    std::function<Picture(const std::string&, int)> resolve = [&](const std::string& code, int depth) -> Picture {
        if (depth > 4) throw std::runtime_error("tile bases form a loop at " + code);
        auto it = byCode.find(code);
        if (it == byCode.end()) throw std::runtime_error("no source for tile base " + code);
        const PictureSource& s = *it->second;
        if (s.base.empty()) return s.picture;
        return composite(resolve(s.base, depth + 1), s.picture);
    };
    const Picture* slot = nullptr;
    for (const auto& s : art.pictures)
        if (s.name == "pas") slot = &s.picture;
    for (const auto& [code, s] : byCode) {
        Picture full = resolve(code, 0);
        if (!s->editorOnly) art.tiles[code] = full;
        if (s->editorOnly && full.w == 7 && full.h == 7) {
            art.smallTiles[code] = full;  // drawn at its own size
        } else if (s->small.w) {
            // A hand-drawn small version; its transparent pixels show the base's small copy.
            Picture small = s->small;
            if (!s->base.empty()) small = composite(downscale(resolve(s->base, 0), 7, 7), small);
            art.smallTiles[code] = small;
        } else {
            art.smallTiles[code] = downscale(full, 7, 7);
        }
        if (s->item) {
            // The copy shows the object alone in an empty slot of the item column (the
            // picture "pas"), so a full slot and an empty one read as the same frame.
            const Picture object = s->picture;
            const Picture cut = itemCopy(object, Picture(object.w, object.h));
            art.itemCopies[code] = slot && slot->w == cut.w && slot->h == cut.h ? composite(*slot, cut)
                                   : s->base.empty()                           ? cut
                                                                               : itemCopy(full, resolve(s->base, 0));
        }
    }
    return art;
}

void writeArt(const ArtSet& art, const std::string& stage) {
    const fs::path images = fs::path(stage) / "Images", small = fs::path(stage) / "imagese";
    fs::create_directories(images);
    fs::create_directories(small);
    for (const auto& [code, p] : art.tiles) writeFile((images / (code + ".bmp")).string(), encodeBmp24(p));
    for (const auto& [code, p] : art.smallTiles) writeFile((small / (code + ".bmp")).string(), encodeBmp24(p));
    for (const auto& [code, p] : art.itemCopies) writeFile((images / ("copie de " + code + ".bmp")).string(), encodeBmp24(p));
    for (const auto& s : art.pictures) {
        if (!s.icon.empty()) writeFile((images / (s.icon + ".ico")).string(), iconBytes(s));
        if (!s.name.empty()) writeFile((images / (s.name + ".bmp")).string(), encodeBmp24(s.picture));
    }
    for (const auto& sc : art.scenes)
        if (!sc.name.empty()) writeFile((images / (sc.name + ".bmp")).string(), encodeBmp24(sc.picture));
}

void writeResourceSource(const ArtSet& art, const std::string& set, const std::string& table,
                         const std::string& count, const std::string& path) {
    std::vector<std::pair<int, std::vector<std::uint8_t>>> blobs;
    for (const auto& s : art.pictures)
        if (s.resource && s.resourceSet == set) blobs.push_back({s.resource, iconBytes(s)});
    for (const auto& sc : art.scenes)
        if (sc.resource && sc.resourceSet == set) blobs.push_back({sc.resource, encodeBmp24(sc.picture)});
    std::sort(blobs.begin(), blobs.end());

    std::ostringstream o;
    o << "// Generated by assetgen from assets/: do not edit.\n#include \"platform/platform.h\"\n\n#include <cstddef>\n\nnamespace {\n";
    for (const auto& [id, bytes] : blobs) {
        o << "const unsigned char res" << id << "[] = {";
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (i % 24 == 0) o << "\n";
            o << static_cast<int>(bytes[i]) << ",";
        }
        o << "\n};\n";
    }
    o << "}  // namespace\n\nextern const platform::ResourceBlob " << table << "[];\nextern const std::size_t " << count
      << ";\n\nconst platform::ResourceBlob " << table << "[] = {\n";
    for (const auto& [id, bytes] : blobs) o << "    {" << id << ", res" << id << ", sizeof res" << id << "},\n";
    if (blobs.empty()) o << "    {0, nullptr, 0},\n";
    o << "};\nconst std::size_t " << count << " = " << blobs.size() << ";\n";

    // Leave the file alone when nothing changed, so the programs do not relink.
    const std::string text = o.str();
    std::ifstream old(path, std::ios::binary);
    if (old) {
        std::ostringstream ss;
        ss << old.rdbuf();
        if (ss.str() == text) return;
    }
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << text;
    if (!f) throw std::runtime_error("cannot write " + path);
}

}  // namespace assetgen
