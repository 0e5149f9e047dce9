// castle-bot: plays the built-in castle and prints how far it got.
//   castle-bot play SEED [SCRIPT_OUT]   one game, its script written out
//   castle-bot table FIRST COUNT        many seeds, one line each and a summary
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "bot.h"

int main(int argc, char** argv) {
    std::ifstream in(CASTLE_SOURCE, std::ios::binary);
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    castle::Grid grid;
    std::string error;
    if (!castle::parseText(text, grid, error)) {
        std::cerr << error << '\n';
        return 2;
    }
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "play" && argc > 2) {
        const bot::Report r = bot::play(grid, static_cast<unsigned>(std::stoul(argv[2])), QUELMAR_STAGE_DIR);
        std::printf("seed %s: %s deaths=%d fights=%d time=%llds lowest life=%d escape left=%ds gold=%d at (%d, %d) %s\n",
                    argv[2], r.won ? "won" : "lost", r.deaths, r.fights, r.gameMs / 1000, r.lowestLife,
                    r.escapeSecondsLeft, r.gold, r.row, r.col, r.stoppedBy.c_str());
        if (argc > 3) {
            std::ofstream s(argv[3]);
            for (const auto& l : r.script) s << l << '\n';
            std::ofstream o(std::string(argv[3]) + ".out");
            o << r.output;
        }
        return r.won ? 0 : 1;
    }
    std::cerr << "usage: castle-bot play SEED [SCRIPT_OUT]\n";
    return 2;
}
