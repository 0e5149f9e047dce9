// What must hold of the game state whenever a message loop takes an input:
// the checks the monkey makes after every event.
#pragma once

#include <array>
#include <string>

#include "state.h"

namespace monkey {

// The figures of the previous event that a rise of life must be explained by.
struct Before {
    int life = 0;
    int elixirs = 0, resistance = 0;
    std::array<std::array<int, 4>, SLOT_COUNT> slotPlaces{};  // view origin and hero of each save
};
Before before(const GameState& g);

// The bag's weight as the item table counts it, in double precision.
double bagKg(const GameState& g);

// The first invariant that does not hold, in words ("" when all hold).
std::string checkState(const GameState& g, const Before& previous);

}  // namespace monkey
