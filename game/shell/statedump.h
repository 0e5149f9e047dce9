// The state dump of the headless runner: one "name=value" line per scalar of
// the game state, then the inventory and the grid.
#pragma once

#include <string>

std::string gameStateDump();
