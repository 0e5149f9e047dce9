#include "shell/random.h"

#include <cstdint>

namespace {
std::uint32_t randState = 1;
}

int gameRand() {
    randState = randState * 214013u + 2531011u;
    return static_cast<int>((randState >> 16) & 0x7FFF);
}

void seedRandom(unsigned seed) { randState = seed; }
