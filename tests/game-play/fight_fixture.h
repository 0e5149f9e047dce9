// Shared set-up of the fight tests: an armed hero on a floor with an enemy in
// front of him, and a model of the game's generator that predicts the fights.
#pragma once

#include <cstdint>
#include <functional>

#include "combat/fight.h"
#include "hero/movement.h"
#include "play_fixture.h"
#include "resources/dlg_fight.h"
#include "shell/mainwindow.h"
#include "shell/random.h"

namespace play {

// The generator as the rules know it: 0..32767, drawn as value % n.
struct Rng {
    std::uint32_t s;
    int operator()(int n) {
        s = s * 214013u + 2531011u;
        return static_cast<int>((s >> 16) & 0x7FFF) % n;
    }
};

// One hero blow with weapon w (1..6): damage, marks and the sound's number.
struct Blow {
    int damage;
    bool strength, precision;
    int sound;
};
inline Blow heroBlowModel(Rng& r, int w, int strength, int precision) {
    static const int base[] = {0, 1, 5, 18, 30, 40, 70}, divisor[] = {1, 7, 7, 4, 7, 6, 2},
                     fumble[] = {0, 20, 20, 50, 24, 60, 30}, bonus[] = {0, 5, 6, 8, 12, 15, 30};
    Blow b{r(100) / divisor[w] + base[w], false, false, 0};
    if (r(100) <= fumble[w]) {
        if (r(100) > precision) b.damage = 0;
        else b.precision = true;
    }
    if (r(100) < strength) b.damage += bonus[w], b.strength = true;
    b.sound = r(7);
    return b;
}
inline std::string blowText(const Blow& b) {
    std::string t = b.damage == 0 ? "Vous ratez votre coup!!"
                                  : "Vous attaquez et infligez " + std::to_string(b.damage) + " points de degats!";
    return t + (b.strength ? " (Force) " : "") + (b.precision ? " (Ratrapage) " : "");
}
// An enemy's blow (0 when missed) after its sound's number.
inline int enemyBlowModel(Rng& r, int base, int miss, int* sound = nullptr) {
    const int s = r(7);
    if (sound) *sound = s;
    const int d = r(20) + base;
    return r(100) <= miss ? 0 : d;
}
// The Mage's blow: no sound.
inline int mageBlowModel(Rng& r) {
    const int d = r(55) + 15;
    return r(100) <= 20 ? 0 : d;
}
// The first seed from 1 on whose draws the test accepts.
inline unsigned seedWhere(const std::function<bool(Rng&)>& test) {
    for (unsigned s = 1;; ++s) {
        Rng r{s};
        if (test(r)) return s;
    }
}

class FightTest : public PlayTest {
protected:
    void SetUp() override {
        PlayTest::SetUp();
        dispatcherWindow();
        floorRow(50);
        placeHero(49, 20);
        gs.inventory[1] = 1;
        std::tie(gs.life, gs.maxLife, gs.shield, gs.shieldMax) = std::tuple(100, 100, 50, 50);
        gs.tutoFirstFight = gs.tutoGuard = gs.tutoGhoul = gs.tutoKnight = gs.tutoSkills = 1;
        for (int i = 0; i < TAUNT_COUNT; ++i) gs.enemyTaunts[i] = "raillerie " + std::to_string(i);
        hl::clearTranscript();
    }
    // A new backend and main window (a test that left a dialog open goes on).
    static void fresh() {
        hl::reset();
        dispatcherWindow();
        hl::clearTranscript();
    }
    // Steps onto the tile with the generator at seed, the script playing in the
    // dialogs. True when the script ran out inside a dialog, which stays open
    // for the test to read.
    static bool stepOnto(char tile, unsigned seed, const Strings& script) {
        put(49, 21, std::string(1, tile));
        placeHero(49, 20);
        seedRandom(seed);
        hl::clearTranscript();
        hl::setScript(script);
        try {
            walkStep(1);
        } catch (const hl::ScriptEnd&) {
            return true;
        }
        return false;
    }
    static std::string text(int id) { return hl::itemText(hl::topWindow(), id); }
    static int count(std::string_view prefix) {
        return static_cast<int>(std::ranges::count_if(hl::transcript(), [&](const std::string& l) {
            return l.rfind(prefix, 0) == 0;
        }));
    }
};

}  // namespace play
