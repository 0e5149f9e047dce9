// The Black Mage's fight predicted from the seed: speeches and spell, potions
// and elixirs, the warning and the bars, an unarmed hero and a death.
#include "combat/boss.h"
#include "fight_fixture.h"
#include "items/weight.h"

using namespace play;

namespace {

const int BUTTONS[] = {0, IDC_BOSS_MOVE1, IDC_BOSS_MOVE2, IDC_BOSS_MOVE3, IDC_BOSS_MOVE4, IDC_BOSS_MOVE5};
std::string click(int move) { return "click " + std::to_string(BUTTONS[move]); }

std::string captionOf(const std::string& box) {
    const auto at = box.find("caption=\"") + 9;
    return box.substr(at, box.find('"', at) - at);
}

// A whole fight of an axe-bearing knight of strength and precision 100, at life
// 60, planned from the seed: one wrong and one right click a blow, one blow of
// the Mage after the third.
struct MageFight {
    Strings script = {"click 1"}, speeches;
    int mage = 1200, life = 60, shield = 50, blows = 0, reward = 0;
};
MageFight planMageFight(unsigned seed) {
    MageFight f;
    Rng r{seed};
    int sign = r(5) + 1, phase = 0;
    auto& [script, speeches, mage, life, shield, blows, reward] = f;
    while (mage > 0) {
        script.push_back(click(sign % 5 + 1));  // wrong: nothing happens
        script.push_back(click(sign));
        const Blow b = heroBlowModel(r, 6, 100, 100);
        mage -= b.damage;
        ++blows;
        if (mage <= 800 && phase == 0) phase = 1, speeches.push_back("Le Mage Noir vous parle:");
        if (mage <= 400 && phase == 1) phase = 2, mage = 1200, speeches.push_back("Le Mage noir lance un sort!!!");
        if (mage <= 400 && phase == 2) phase = 3, speeches.push_back("Le Mage Noir vous parle:");
        sign = r(5) + 1;
        if (script.size() == 7) {  // once, the Mage strikes
            script.push_back("wait 750");
            const int d = mageBlowModel(r);
            shield -= d;
        }
    }
    reward = r(50);
    return f;
}

void armForTheMage() {
    std::tie(gs.inventory[6], gs.strength, gs.precision, gs.life) = std::tuple(1, 100, 100, 60);
    // The first speech stays open five seconds: the Mage waits, the countdown does not.
    hl::queueAnswer(platform::Answer::Ok);
    hl::queueAnswer(platform::Answer::Ok, 5000);
}

}  // namespace

TEST_F(FightTest, TheMageSpeaksCastsHisSpellOnceAndDiesAsTheSeedPredicts) {
    armForTheMage();
    std::tie(gs.escapeMode, gs.countdownMinutes, gs.countdownSeconds, gs.customLevel) = std::tuple(1, 2, 30, 1);
    platform::setTimer(gs.mainWindow, 0, 1000);
    const unsigned seed = 77;
    const auto [script, speeches, mage, life, shield, blows, reward] = planMageFight(seed);
    EXPECT_FALSE(stepOnto('@', seed, script));

    Strings captions, owners;
    for (const std::string& b : boxes()) captions.push_back(captionOf(b)), owners.push_back(b.substr(0, b.find(' ')));
    Strings want = {"Le mage noir vous parle:"};
    want.insert(want.end(), speeches.begin(), speeches.end());
    want.insert(want.end(), {"Le Mage Noir agonise...", "Vous venez de gagner le combat ! ! !"});
    EXPECT_EQ(captions, want);
    Strings wantOwners(want.size() - 1, "owner=dlg:123");
    wantOwners.push_back("owner=main");
    EXPECT_EQ(owners, wantOwners);
    EXPECT_NE(boxes()[boxes().size() - 3].find("text=\"Non ce n'est pas possible, tu ne peu me battre...\""), std::string::npos);
    EXPECT_NE(boxes().back().find("Vous ramassez " + std::to_string(reward) + " pieces"), std::string::npos);
    // Every speech pauses the Mage and gives him a full period after it.
    std::size_t paused = 0;
    const Strings& t = hl::transcript();
    for (std::size_t i = 1; i + 1 < t.size(); ++i)
        paused += t[i].find("owner=dlg:123") != std::string::npos && t[i].find("Ainsi") == std::string::npos &&
                  t[i].find("agonise") == std::string::npos && t[i - 1] == "timer kill dlg:123 0" &&
                  t[i + 1] == "timer set dlg:123 0 750";
    EXPECT_EQ(paused, speeches.size());
    EXPECT_EQ(std::tuple(gs.bossPhase, gs.enemyKind, gs.enemyMaxLife, gs.enemyLife, gs.shield), std::tuple(3, 10, 1200, mage, std::max(shield, 0)));
    EXPECT_EQ(std::tuple(gs.LevelGrid[49][21], gs.maxLife, gs.life), std::tuple('a', 100, life + std::min(shield, 0)));
    EXPECT_EQ(lineIndex("dialog open 115"), -1);
    EXPECT_EQ(count("sound épée"), blows + 1);  // and the victory's: the Mage's blow is silent
    EXPECT_EQ(std::pair(gs.countdownMinutes, gs.countdownSeconds), std::pair(2, 25));
}

// On the castle itself the Mage's defeat opens the escape: the gate's boxes
// follow the fight's, and the countdown starts from 2:30.
TEST_F(FightTest, OnTheCastleTheMagesDefeatStartsTheEscape) {
    armForTheMage();
    gs.customLevel = 0;
    const unsigned seed = 77;
    EXPECT_FALSE(stepOnto('@', seed, planMageFight(seed).script));
    EXPECT_EQ(captionOf(boxes().back()), "La princesse est en danger...");
    EXPECT_EQ(std::tuple(int(gs.escapeMode), gs.countdownMinutes, gs.countdownSeconds), std::tuple(1, 2, 30));
    EXPECT_GT(lineIndex("timer set main 0 1000"), lineIndex("dialog end 123 0"));
}

TEST_F(FightTest, PotionsAndElixirsStopAtMaxLifeAndTheWarningStartsAtSixty) {
    struct Case {
        int life, potions, elixirs;
        Strings clicks;
        int wantLife, wantPotions, wantElixirs;
        std::string message;
    } cases[] = {
        {95, 2, 1, {"click 1077"}, 100, 1, 1, "Vous utilisez une potion!! (+20 PV)"},
        {60, 1, 2, {"click 1078", "click 1077", "click 1077"}, 93, 0, 1, "Vous utilisez une potion!! (+20 PV)"},
        {61, 0, 0, {"click 1077", "click 1078"}, 61, 0, 0, ""},
        {130, 1, 0, {"click 1077"}, 130, 0, 0, "Vous utilisez une potion!! (+20 PV)"},  // elixirs of an earlier fight
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.life);
        std::tie(gs.life, gs.inventory[ITEM_POTION], gs.inventory[ITEM_ELIXIR], gs.resistance) = std::tuple(c.life, c.potions, c.elixirs, 0);
        Strings script = {"click 1"};
        script.insert(script.end(), c.clicks.begin(), c.clicks.end());
        ASSERT_TRUE(stepOnto('@', 3, script));
        EXPECT_EQ(std::tie(gs.life, gs.inventory[ITEM_POTION], gs.inventory[ITEM_ELIXIR]), std::tie(c.wantLife, c.wantPotions, c.wantElixirs));
        EXPECT_EQ(text(IDC_BOSS_HERO_RESULT), c.message);
        // The figure waits for the next blow; the bar shows the new life at once.
        EXPECT_EQ(text(IDC_BOSS_LIFE), "Votre vie:" + std::to_string(c.life));
        EXPECT_EQ(text(IDC_BOSS_POTIONS_LEFT), "Il vous reste " + std::to_string(c.wantPotions) + " Potions");
        EXPECT_EQ(text(IDC_BOSS_ELIXIRS_LEFT), "Il vous reste " + std::to_string(c.wantElixirs) + " Elixirs");
        EXPECT_EQ(text(IDC_BOSS_WARNING), c.life <= 60 ? std::string(61, '!') : "");
        const platform::Window dlg = hl::topWindow();
        const unsigned lifeColour = std::clamp(200 - c.wantLife, 0, 255) << 16 | std::clamp(c.wantLife + 55, 0, 255) << 8;
        EXPECT_EQ(hl::pixel(dlg, 165 + c.wantLife, 65), lifeColour);
        // The Mage's bar: full and red, 600 pixels long.
        EXPECT_EQ(std::tuple(hl::pixel(dlg, 166, 30), hl::pixel(dlg, 765, 30), hl::pixel(dlg, 766, 30)),
                  std::tuple(0xFF0000u, 0xFF0000u, 0x000000u));
        fresh();
    }
}

TEST_F(FightTest, TheMageWaitsForAnUnarmedHeroAndKillsAWeakOne) {
    // Unarmed: the list refuses, closes, and the fight ends as if closed.
    gs.inventory[1] = 0;
    EXPECT_FALSE(stepOnto('@', 3, {"click 1"}));
    EXPECT_EQ(std::tuple(gs.currentWeapon, gs.LevelGrid[49][21], gridCol()), std::tuple(0, '@', 21));
    EXPECT_EQ(boxes().size(), 2u);
    EXPECT_NE(lineIndex("dialog end 123 2"), -1);
    EXPECT_EQ(lineIndex("timer set dlg:123"), -1);

    // Armed but weak: the first blow that lands kills, and the fight is over for good.
    std::tie(gs.inventory[1], gs.life, gs.shield, gs.inventory[ITEM_SHIELD]) = std::tuple(1, 10, 5, 1);
    const unsigned seed = seedWhere([](Rng& r) {
        r(5);
        return mageBlowModel(r) > 15;
    });
    stepOnto('@', seed, {"click 1", "wait 750"});
    EXPECT_EQ(gs.enemyLife, 1200);
    EXPECT_LT(lineIndex("timer kill dlg:123 0"), lineIndex("dialog end 123 0"));
    EXPECT_EQ(lineIndex("box owner=dlg:123 icon=none buttons=ok default=ok caption=\"Le Mage Noir agonise"), -1);
}
