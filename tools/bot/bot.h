// A player of the built-in castle: it starts "Nouveau jeu" and plays through
// keys, menu commands, dialog buttons and box answers only, at a human pace on
// the virtual clock, deciding from what is on screen (the hero's cell, the
// dialog's controls, the boxes). Its inputs are written down as a script that
// quelmar-headless replays identically.
#pragma once

#include <string>
#include <vector>

#include "castle.h"

namespace bot {

struct Report {
    bool won = false;          // the credits rolled after the escape
    bool mageBeaten = false;
    int deaths = 0;
    std::vector<std::string> deathCauses;  // one per death: the enemy, or what else killed
    std::string stoppedBy;     // why the bot gave up, empty when it won
    std::vector<std::string> script;  // the whole run, opening lines included
    std::string output;        // the runner's transcript and final dump
    long long gameMs = 0;      // virtual time from the first line to the end
    int escapeSecondsLeft = -1;
    int lowestLife = 100;
    int potionsUsed = 0, elixirsUsed = 0;
    int gold = 0;
    int fights = 0;
    int row = 0, col = 0;      // where the knight stood at the end
};

// Plays one game with the generator seeded by `seed`, in the current working
// directory (the game writes its settings and saves there and reads niveau.niv),
// its pictures from gameDir.
// A careless player takes only what the way to the Mage needs (keys, weapons, the
// harp) and never shops.
Report play(unsigned seed, const std::string& gameDir, bool careless = false);
// The same in a new empty folder holding only a copy of `level` as niveau.niv:
// a first launch, no settings, no saves.
Report playInFreshFolder(unsigned seed, const std::string& gameDir, const std::string& level,
                         bool careless = false);

// Runs a script through the runner in process and returns its output; the second
// in the fresh folder playInFreshFolder uses.
std::string replay(const std::vector<std::string>& script, const std::string& gameDir);
std::string replayInFreshFolder(const std::vector<std::string>& script, const std::string& gameDir,
                                const std::string& level);

}  // namespace bot
