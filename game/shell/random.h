// The game's one random generator: a linear congruential generator, values 0..32767.
#pragma once

// Next value in 0..32767. Every rule draws 0..n-1 as gameRand() % n.
int gameRand();
// Restarts the sequence (start-up seeds it with the time in seconds).
void seedRandom(unsigned seed);
