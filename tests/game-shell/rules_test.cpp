// Pure rules of the shell: the generator and the bag's weight.
#include <gtest/gtest.h>

#include <string>

#include "items/weight.h"
#include "shell/random.h"
#include "state.h"

TEST(Random, SequencesOfKnownSeeds) {
    seedRandom(1);
    const int seed1[] = {41, 18467, 6334, 26500, 19169};
    for (int expected : seed1) EXPECT_EQ(gameRand(), expected);

    seedRandom(0);
    EXPECT_EQ(gameRand(), 38);
    EXPECT_EQ(gameRand(), 7719);

    // Reseeding restarts the sequence, and every value stays in 0..32767.
    seedRandom(1);
    EXPECT_EQ(gameRand(), 41);
    seedRandom(1234567u);
    for (int i = 0; i < 100000; ++i) {
        int v = gameRand();
        ASSERT_GE(v, 0);
        ASSERT_LE(v, 32767);
    }
}

TEST(Random, DrawsModuloN) {
    // A draw in 0..n-1 is the value modulo n.
    seedRandom(1);
    EXPECT_EQ(gameRand() % 10, 1);
    EXPECT_EQ(gameRand() % 10, 7);
    EXPECT_EQ(gameRand() % 7, 6334 % 7);
}

class Weight : public ::testing::Test {
protected:
    void SetUp() override { gs = GameState{}; }
};

TEST_F(Weight, TableQuirksAndSums) {
    gs.inventory[6] = 1;  // the axe counts 1.5 kg despite its label
    computeCarriedWeight();
    EXPECT_FLOAT_EQ(gs.carriedWeight, 1.5f);

    gs = GameState{};
    gs.inventory[16] = 1;  // the violet key weighs nothing
    computeCarriedWeight();
    EXPECT_FLOAT_EQ(gs.carriedWeight, 0.0f);
    for (int k = 11; k <= 15; ++k) gs.inventory[k] = 1;
    computeCarriedWeight();
    EXPECT_NEAR(gs.carriedWeight, 0.5f, 1e-5f);

    gs = GameState{};
    gs.inventory[5] = 3;      // 9 kg of hammers
    gs.inventory[GOLD] = 1500;  // 1.5 kg of gold
    gs.inventory[9] = 10;     // 1 kg of potions
    gs.inventory[10] = 20;    // 1 kg of elixirs
    computeCarriedWeight();
    EXPECT_NEAR(gs.carriedWeight, 12.5f, 1e-4f);

    // The value is kept until the next computation.
    gs.inventory[5] = 0;
    EXPECT_NEAR(gs.carriedWeight, 12.5f, 1e-4f);
}
