// castle: turns the readable castle (data/niveau.txt) into the level file the
// game reads, and plays it to show the route from the gate to the Mage and back.
//   castle build niveau.txt niveau.niv
//   castle route niveau.txt
#include <cstdio>
#include <fstream>
#include <cstdlib>
#include <iostream>
#include <sstream>

#include "castle.h"

namespace {

bool readGrid(const char* path, castle::Grid& grid) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << path << ": cannot be read\n";
        return false;
    }
    std::stringstream text;
    text << in.rdbuf();
    std::string error;
    if (!castle::parseText(text.str(), grid, error)) {
        std::cerr << path << ": " << error << "\n";
        return false;
    }
    return true;
}

// Writes beside the target and renames, so a failed build never leaves half a level.
bool writeLevel(const char* path, const castle::Grid& grid) {
    std::string tmp = std::string(path) + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out << castle::toToken(grid);
        if (!out.flush()) {
            std::cerr << tmp << ": cannot be written\n";
            return false;
        }
    }
    if (std::rename(tmp.c_str(), path) != 0) {
        std::cerr << path << ": cannot be replaced\n";
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}

std::string describe(const castle::Grid& level, const castle::Step& s, std::uint32_t before) {
    std::ostringstream out;
    std::uint32_t gained = s.flags & ~before;
    const char* names[] = {"cle jaune", "cle verte", "cle bleue", "cle rouge", "cle orange",
                           "cle violette", "arme", "troubadours liberes", "harpe",
                           "bouclier de lave seche"};
    for (int i = 0; i < 10; ++i)
        if (gained & (1u << i)) out << " +" << names[i];
    if (gained & (((1u << castle::MAX_BREAKABLE_WALLS) - 1) * castle::WALL_BROKEN)) out << " +mur brise";
    char c = level[s.row][s.col];
    if (c == 'j') out << " troubadour";
    if (c == '0') out << " boutique";
    if (c == 'c') out << " coffre";
    return out.str();
}

// Prints where the shortest route gains something, meets a troubadour, a shop
// or a chest, with the presses needed so far.
void printRoute(const castle::Grid& level, const castle::SearchResult& r, std::uint32_t flags) {
    int n = 0;
    for (const castle::Step& s : r.route) {
        ++n;
        std::string what = describe(level, s, flags);
        flags = s.flags;
        if (!what.empty() || n == r.presses || std::getenv("CASTLE_STEPS"))
            std::cout << "  " << n << ": (" << s.row << ", " << s.col << ")" << what << "\n";
    }
}

int route(const char* path) {
    castle::Grid grid;
    if (!readGrid(path, grid)) return 1;
    castle::Grid play = castle::afterIntro(grid);
    castle::Rules rules;
    castle::Cell start{castle::START_ROW, castle::START_COL_AFTER_INTRO};
    castle::SearchResult toMage = castle::search(play, start, 1, 0, {castle::Goal::Mage, {}}, rules);
    if (!toMage.found) {
        std::cout << "the Mage cannot be reached (" << toMage.statesExplored << " states)\n";
        return 1;
    }
    std::cout << "to the Mage: " << toMage.presses << " presses (" << toMage.statesExplored
              << " states)\n";
    printRoute(play, toMage, 0);
    const castle::Step& last = toMage.route.back();
    castle::SearchResult out = castle::search(play, {last.row, last.col}, last.facing,
                                              last.flags | castle::MAGE_DEAD,
                                              {castle::Goal::Exit, {}}, rules);
    if (!out.found) {
        std::cout << "no way out after the Mage\n";
        return 1;
    }
    std::cout << "escape: " << out.presses << " presses\n";
    printRoute(play, out, last.flags | castle::MAGE_DEAD);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string cmd = argc > 1 ? argv[1] : "";
    if (cmd == "build" && argc == 4) {
        castle::Grid grid;
        if (!readGrid(argv[2], grid) || !writeLevel(argv[3], grid)) return 1;
        return 0;
    }
    if (cmd == "route" && argc == 3) return route(argv[2]);
    std::cerr << "usage: castle build niveau.txt niveau.niv | castle route niveau.txt\n";
    return 2;
}
