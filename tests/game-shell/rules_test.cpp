// Pure rules of the shell: the generator and the bag's weight.
#include <gtest/gtest.h>

#include <vector>

#include "items/weight.h"
#include "shell/random.h"
#include "state.h"

TEST(Random, SequencesOfKnownSeeds) {
    // Reseeding restarts the sequence.
    for (auto [seed, values] : {std::pair{1u, std::vector{41, 18467, 6334, 26500, 19169}}, {0u, {38, 7719}}, {1u, {41}}}) {
        seedRandom(seed);
        for (int expected : values) EXPECT_EQ(gameRand(), expected) << seed;
    }
}

TEST(Weight, SumOfCountTimesWeight) {
    gs = GameState{};
    // The axe counts 1.5 kg despite its label, the violet key (16) nothing, the
    // other keys 0.1 kg, hammers 3 kg, a gold piece 1 g, potions 0.1, elixirs 0.05.
    for (auto [item, n] : {std::pair{6, 1}, {16, 1}, {11, 1}, {12, 1}, {13, 1}, {14, 1}, {15, 1}, {5, 3},
                           {GOLD, 1500}, {9, 10}, {10, 20}})
        gs.inventory[item] = n;
    computeCarriedWeight();
    EXPECT_NEAR(gs.carriedWeight, 14.5f, 1e-4f);
}
