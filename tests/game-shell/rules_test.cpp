// Pure rules of the shell: the generator and the bag's weight.
#include <gtest/gtest.h>

#include <vector>

#include "items/weight.h"
#include "shell/random.h"
#include "state.h"

TEST(Random, SequencesOfKnownSeedsAndDrawsModuloN) {
    const struct {
        unsigned seed;
        std::vector<int> values;
    } cases[] = {{1, {41, 18467, 6334, 26500, 19169}}, {0, {38, 7719}}, {1, {41}}};  // reseeding restarts
    for (const auto& c : cases) {
        seedRandom(c.seed);
        for (int expected : c.values) EXPECT_EQ(gameRand(), expected) << c.seed;
    }
    // A draw in 0..n-1 is the value modulo n; every value stays in 0..32767.
    seedRandom(1);
    EXPECT_EQ(gameRand() % 10, 1);
    EXPECT_EQ(gameRand() % 7, 18467 % 7);
    seedRandom(1234567u);
    for (int i = 0; i < 100000; ++i) {
        const int v = gameRand();
        ASSERT_TRUE(v >= 0 && v <= 32767) << v;
    }
}

TEST(Weight, TableQuirksAndSums) {
    const struct {
        std::vector<std::pair<int, int>> counts;  // item, count
        float kg;
    } cases[] = {
        {{{6, 1}}, 1.5f},                                          // the axe counts 1.5 kg despite its label
        {{{16, 1}}, 0.0f},                                         // the violet key weighs nothing
        {{{11, 1}, {12, 1}, {13, 1}, {14, 1}, {15, 1}}, 0.5f},     // the other keys 0.1 kg each
        {{{5, 3}, {GOLD, 1500}, {9, 10}, {10, 20}}, 12.5f},        // hammers, gold, potions, elixirs
    };
    for (const auto& c : cases) {
        gs = GameState{};
        for (auto [item, n] : c.counts) gs.inventory[item] = n;
        computeCarriedWeight();
        EXPECT_NEAR(gs.carriedWeight, c.kg, 1e-4f) << c.counts.size();
    }
}
