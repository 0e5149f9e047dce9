#include "harness.h"

#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <sstream>

#include "shell/mainwindow.h"
#include "shell/window.h"
#include "world/scene.h"

extern const platform::ResourceBlob QUELMAR_GAME_RESOURCES[];
extern const std::size_t QUELMAR_GAME_RESOURCE_COUNT;

namespace shelltest {

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

void writeBmp(const fs::path& path, int w, int h, const std::function<unsigned(int, int)>& colour) {
    const unsigned stride = (static_cast<unsigned>(w) * 3 + 3) & ~3u;
    std::string s = "BM";
    put32(s, 54 + stride * static_cast<unsigned>(h));
    put32(s, 0);
    put32(s, 54);
    put32(s, 40);
    put32(s, static_cast<unsigned>(w));
    put32(s, static_cast<unsigned>(h));  // bottom-up
    put16(s, 1);
    put16(s, 24);
    for (int i = 0; i < 6; ++i) put32(s, 0);
    for (int y = h - 1; y >= 0; --y) {
        std::string row;
        for (int x = 0; x < w; ++x) {
            unsigned c = colour(x, y);
            row += static_cast<char>(c & 0xFF);
            row += static_cast<char>((c >> 8) & 0xFF);
            row += static_cast<char>((c >> 16) & 0xFF);
        }
        row.resize(stride, '\0');
        s += row;
    }
    writeFile(path, s);
}

void writeBmp(const fs::path& path, int w, int h, unsigned colour) {
    writeBmp(path, w, h, [colour](int, int) { return colour; });
}

void writeIco(const fs::path& path, int w, int h, const std::function<unsigned(int, int)>& argb) {
    const unsigned maskStride = ((static_cast<unsigned>(w) + 31) / 32) * 4;
    const unsigned imageSize = 40 + static_cast<unsigned>(w * h) * 4 + maskStride * static_cast<unsigned>(h);
    std::string s;
    put16(s, 0);
    put16(s, 1);  // icon
    put16(s, 1);  // one image
    s += static_cast<char>(w);
    s += static_cast<char>(h);
    s += '\0';
    s += '\0';
    put16(s, 1);
    put16(s, 32);
    put32(s, imageSize);
    put32(s, 22);
    put32(s, 40);
    put32(s, static_cast<unsigned>(w));
    put32(s, static_cast<unsigned>(2 * h));
    put16(s, 1);
    put16(s, 32);
    for (int i = 0; i < 6; ++i) put32(s, 0);
    for (int y = h - 1; y >= 0; --y)
        for (int x = 0; x < w; ++x) {
            unsigned c = argb(x, y);
            s += static_cast<char>(c & 0xFF);
            s += static_cast<char>((c >> 8) & 0xFF);
            s += static_cast<char>((c >> 16) & 0xFF);
            s += static_cast<char>((c >> 24) & 0xFF);
        }
    // AND mask: set (transparent) where alpha is 0.
    for (int y = h - 1; y >= 0; --y) {
        std::string row(maskStride, '\0');
        for (int x = 0; x < w; ++x)
            if ((argb(x, y) >> 24) == 0) row[static_cast<std::size_t>(x / 8)] |= static_cast<char>(0x80 >> (x % 8));
        s += row;
    }
    writeFile(path, s);
}

void writeFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path().empty() ? fs::path(".") : path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::vector<std::string> linesWith(const std::string& text) {
    std::vector<std::string> out;
    for (const std::string& line : platform::headless::transcript())
        if (line.find(text) != std::string::npos) out.push_back(line);
    return out;
}

int lineIndex(const std::string& text, int from) {
    const auto& lines = platform::headless::transcript();
    for (int i = from; i < static_cast<int>(lines.size()); ++i)
        if (lines[static_cast<std::size_t>(i)].find(text) != std::string::npos) return i;
    return -1;
}

bool titlePicture(int& w, int& h, std::vector<unsigned>& rgb) {
    for (std::size_t i = 0; i < QUELMAR_GAME_RESOURCE_COUNT; ++i) {
        const platform::ResourceBlob& blob = QUELMAR_GAME_RESOURCES[i];
        if (blob.id != 120) continue;
        const unsigned char* d = blob.data;
        auto u32 = [&](int o) {
            return static_cast<std::uint32_t>(d[o] | d[o + 1] << 8 | d[o + 2] << 16 | d[o + 3] << 24);
        };
        const int offset = static_cast<int>(u32(10));
        w = static_cast<int>(u32(18));
        const int rawH = static_cast<int>(u32(22));
        if ((d[28] | d[29] << 8) != 24) return false;
        h = rawH < 0 ? -rawH : rawH;
        const int stride = (w * 3 + 3) & ~3;
        rgb.assign(static_cast<std::size_t>(w * h), 0);
        for (int y = 0; y < h; ++y) {
            const unsigned char* row = d + offset + (rawH < 0 ? y : h - 1 - y) * stride;
            for (int x = 0; x < w; ++x)
                rgb[static_cast<std::size_t>(y * w + x)] =
                    static_cast<unsigned>(row[3 * x + 2] << 16 | row[3 * x + 1] << 8 | row[3 * x]);
        }
        return true;
    }
    return false;
}

unsigned copyColour(char code) {
    const unsigned k = static_cast<unsigned char>(code);
    return ((k * 37u) & 0xFF) << 16 | ((k * 91u) & 0xFF) << 8 | 0x40u;
}

void ShellTest::SetUp() {
    platform::headless::reset();
    platform::setResources(QUELMAR_GAME_RESOURCES, QUELMAR_GAME_RESOURCE_COUNT);
    gs = GameState{};
    oldCwd_ = fs::current_path();
    dir = fs::temp_directory_path() /
          ("quelmar-shell-" + std::to_string(getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir / "Images");
    fs::create_directories(dir / "sons");
    fs::current_path(dir);
    gs.GameDir = dir.string();
    gs.imagesDir = gs.GameDir + "/Images/";
    gs.soundDir = gs.GameDir + "/sons/";
    gs.heroRightIconPath = gs.imagesDir + "hommed.ico";
    gs.heroLeftIconPath = gs.imagesDir + "hommeg.ico";
    gs.heroFrontIconPath = gs.imagesDir + "hommem.ico";
}

void ShellTest::TearDown() {
    for (platform::Image& image : gs.tileBitmaps) {
        platform::freeImage(image);
        image = nullptr;
    }
    platform::freeImage(gs.creditsBitmap);
    gs.creditsBitmap = nullptr;
    platform::headless::reset();
    fs::current_path(oldCwd_);
    fs::remove_all(dir);
}

void ShellTest::writePictures() {
    const fs::path images = dir / "Images";
    writeBmp(images / "s.bmp", 24, 24, FLOOR_RGB);
    writeBmp(images / "a.bmp", 24, 24, AIR_RGB);
    writeBmp(images / "q.bmp", 24, 24, LADDER_RGB);
    auto hero = [](unsigned rgb) {
        return [rgb](int x, int y) {
            return x >= 6 && x < 18 && y >= 6 && y < 18 ? 0xFF000000u | rgb : 0u;
        };
    };
    writeIco(images / "hommed.ico", 24, 24, hero(HERO_RIGHT_RGB));
    writeIco(images / "hommeg.ico", 24, 24, hero(HERO_LEFT_RGB));
    writeIco(images / "hommem.ico", 24, 24, hero(HERO_FRONT_RGB));
    writeBmp(images / "pas.bmp", 24, 21, EMPTY_SLOT_RGB);
    for (char code : std::string("ebm79h8nouvwxyz"))
        writeBmp(images / ("copie de " + std::string(1, code) + ".bmp"), 24, 21, copyColour(code));
    loadTileBitmaps();
}

platform::Window ShellTest::openMain(bool playing) {
    platform::WindowInit init;
    init.className = "std";
    init.title = MAIN_WINDOW_TITLE;
    init.x = playing ? PLAY_WINDOW_X : TITLE_WINDOW_X;
    init.y = playing ? PLAY_WINDOW_Y : TITLE_WINDOW_Y;
    init.clientW = playing ? PLAY_CLIENT_W : TITLE_CLIENT_W;
    init.clientH = playing ? PLAY_CLIENT_H : TITLE_CLIENT_H;
    init.proc = mainWindowProc;
    gs.mainWindow = platform::createWindow(init);
    gs.onTitleScreen = playing ? 0 : 1;
    return gs.mainWindow;
}

void ShellTest::corridor(int viewLeft, int viewTop) {
    for (auto& row : gs.LevelGrid)
        for (char& cell : row) cell = 'a';
    gs.viewLeft = viewLeft;
    gs.viewTop = viewTop;
    gs.heroCol = 7;
    gs.heroRow = 5;
    gs.heroFacing = 1;
    for (int c = 0; c < GRID_COLS; ++c) gs.LevelGrid[viewTop + 6][c] = 's';
    refreshView();
}

unsigned ShellTest::px(int x, int y) const { return platform::headless::pixel(gs.mainWindow, x, y); }

}  // namespace shelltest
