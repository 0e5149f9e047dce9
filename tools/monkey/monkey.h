// The monkey: plays the real game in process on the headless backend with
// random but valid input (keys, menu commands, the mouse, clicks and typing
// in whatever dialog is open, box answers, waits), on the built-in castle and
// on random custom levels, and checks the game state after every event.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace monkey {

enum class Level { Castle, Random, Both };

struct Options {
    unsigned seed = 1;
    long events = 10000;
    Level level = Level::Both;  // Both: castle and random levels in turn, one run each
    long runEvents = 3000;      // a run (one start of the game) ends after this many
    std::string gameDir;        // Images/ and sons/ (the build's stage folder)
    std::string castleLevel;    // the niveau.niv copied into the work folder
    std::string workDir;        // the game's working folder (absolute), emptied before each run
    std::string scriptOut;      // where the script of a failing run goes
    bool quiet = false;         // no progress lines
};

struct Report {
    long events = 0;
    int runs = 0;
    int boxes = 0;
    std::map<int, int> dialogs;  // dialogs opened, by template id
    std::string violation;       // empty when every check held
    std::string details;         // the whole account of a violation, as printed
};

// Plays opt.events events.
Report play(const Options& opt);

// Replays a script written by play(), checking after every line; its custom
// level, when it had one, is read from SCRIPT.perso.niv.
Report replay(const std::string& scriptFile, const Options& opt);

// A random custom level in the perso.niv format: 10,000 tile codes, start column and row.
std::string randomLevel(unsigned seed);

}  // namespace monkey
