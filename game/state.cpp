#include "state.h"

GameState gs;
