// The standard fight predicted from the seed: the shield, the victory and its
// reward, closing, the weapon choice and the skill points.
#include "combat/skills.h"
#include "combat/weapons.h"
#include "fight_fixture.h"
#include "items/weight.h"
#include "resources/dlg_skills.h"

using namespace play;

namespace {

struct Kind {
    char tile;
    int kind, lifeBase, lifeSpread, damageBase, miss, points;
    char loot;
    const char* name;
};
const Kind GUARD{'g', 1, 40, 30, 0, 10, 1, 'b', "un garde."};
const Kind GHOUL{'k', 2, 70, 30, 17, 15, 3, 'a', "une goule du désespoir."};
const Kind KNIGHT{'i', 3, 105, 40, 30, 20, 5, '7', "un Chevalier du mal."};
const int BUTTONS[] = {0, IDC_FIGHT_MOVE1, IDC_FIGHT_MOVE2, IDC_FIGHT_MOVE3};
std::string click(int move) { return "click " + std::to_string(BUTTONS[move]); }
std::string lost(int d) { return d ? "Vous perdez " + std::to_string(d) + " points de vie." : "L'ennemi a raté son coup!"; }

// The draws of an opening up to its first blow.
struct Opening {
    int taunt, enemyLife, sign, blow, sound;
};
Opening opening(Rng& r, const Kind& k) {
    Opening o{k.kind != 2 ? r(10) : -1, 0, 0, 0, 0};
    o.enemyLife = r(k.lifeSpread) + k.lifeBase;
    o.sign = r(3) + 1;
    o.blow = enemyBlowModel(r, k.damageBase, k.miss, &o.sound);
    return o;
}
std::string tauntBox(int i) {
    return "owner=main icon=none buttons=ok default=ok caption=\"Vous allez vous battre:\" text=\"raillerie " +
           std::to_string(i) + "\" -> ok";
}

}  // namespace

TEST_F(FightTest, EveryKindOpensAndFightsAsTheSeedPredicts) {
    for (const Kind& k : {GUARD, GHOUL, KNIGHT})
        for (auto [strength, precision] : {std::pair{30, 40}, {100, 100}}) {
            SCOPED_TRACE(testing::Message() << k.tile << " strength " << strength);
            std::tie(gs.life, gs.maxLife, gs.shield, gs.strength, gs.precision) = std::tuple(200, 200, 50, strength, precision);
            gs.inventory[ITEM_SHIELD] = 1;
            // The escape countdown runs in the main window meanwhile.
            std::tie(gs.escapeMode, gs.countdownMinutes, gs.countdownSeconds) = std::tuple(1, 2, 30);
            platform::setTimer(gs.mainWindow, 0, 1000);
            // Three rounds of a wrong click, a right one and a tick of the enemy,
            // from the first seed whose enemy lives through them.
            Strings script, swords;
            Opening o{};
            int enemyLife = 0, life = 0, shield = 0;
            std::string hero, enemy;
            const unsigned seed = seedWhere([&](Rng& r) {
                o = opening(r, k);
                script = {"click 1"};
                swords.clear();
                std::tie(enemyLife, life, shield) = std::tuple(o.enemyLife, 200, 50);
                auto strike = [&](int d, int sound) {
                    if (k.kind != 2) swords.push_back("épée " + std::to_string(sound));
                    shield -= d;
                    if (shield < 0) life += shield, shield = 0;
                    enemy = lost(d);
                };
                strike(o.blow, o.sound);
                for (int round = 0; round < 3; ++round) {
                    script.insert(script.end(), {click(o.sign % 3 + 1), click(o.sign), "wait 1200"});
                    const Blow b = heroBlowModel(r, 1, strength, precision);
                    EXPECT_TRUE(strength < 100 || (b.strength && b.damage > 0));
                    swords.push_back("épée " + std::to_string(b.sound));
                    std::tie(enemyLife, hero, o.sign) = std::tuple(enemyLife - b.damage, blowText(b), r(3) + 1);
                    int sound = 0;
                    const int d = enemyBlowModel(r, k.damageBase, k.miss, &sound);
                    strike(d, sound);
                }
                return enemyLife > 0 && life > 0;
            });
            ASSERT_TRUE(stepOnto(k.tile, seed, script));

            EXPECT_EQ(boxes(), k.kind == 2 ? Strings{} : Strings{tauntBox(o.taunt)});
            Strings heardSwords;
            for (const std::string& s : sounds())
                if (s.rfind("épée", 0) == 0) heardSwords.push_back(s);
            EXPECT_EQ(heardSwords, swords);
            EXPECT_EQ(std::tie(gs.enemyLife, gs.enemyMaxLife, gs.enemyMove, gs.life, gs.shield),
                      std::tie(enemyLife, o.enemyLife, o.sign, life, shield));
            EXPECT_EQ(std::tuple(gs.bonusPoints, gs.enemyLootTile, gs.enemyDamageBase, gs.enemyMissChance),
                      std::tuple(k.points, k.loot, k.damageBase, k.miss));
            EXPECT_EQ(std::vector<std::string>({text(1035), text(1036), text(1037), text(1043), text(1044)}),
                      (Strings{k.name, std::to_string(enemyLife), std::to_string(life), std::to_string(shield), "Epée Courte"}));
            EXPECT_EQ(Strings({text(1038), text(1039)}), Strings({hero, enemy}));
            for (int m = 1; m <= 3; ++m) EXPECT_EQ(text(BUTTONS[m]), m == o.sign ? "/|\\" : " ");
            EXPECT_EQ(count("timer set dlg:111 0 1200"), 1);
            EXPECT_EQ(std::pair(gs.countdownMinutes, gs.countdownSeconds), std::pair(2, 27));
            fresh();
        }
}

TEST_F(FightTest, TheShieldTakesTheBlowFirstAndBreaksOnlyBelowZero) {
    struct Case {
        int shield, life, blow, wantShield, wantLife, wantItem;
        bool warned;
    } cases[] = {
        {10, 100, 25, 0, 85, 0, false}, {25, 100, 25, 0, 100, 1, false},  {30, 100, 0, 30, 100, 1, false},
        {0, 40, 17, 0, 23, 0, true},    {0, 26, 0, 0, 26, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.shield << " against " << c.blow);
        std::tie(gs.shield, gs.life, gs.inventory[ITEM_SHIELD]) = std::tuple(c.shield, c.life, c.shield ? 1 : 0);
        const unsigned seed = seedWhere([&](Rng& r) { return opening(r, GHOUL).blow == c.blow; });
        ASSERT_TRUE(stepOnto('k', seed, {"click 1"}));
        EXPECT_EQ(std::tie(gs.shield, gs.life, gs.inventory[ITEM_SHIELD]), std::tie(c.wantShield, c.wantLife, c.wantItem));
        EXPECT_EQ(text(1039), lost(c.blow));
        EXPECT_EQ(text(1045), c.warned ? std::string(61, '!') : " ");
        fresh();
    }
    // A first blow that kills ends the fight before anything is shown, for
    // good, and the death's question is the first box, after the fight's end.
    std::tie(gs.shield, gs.life) = std::tuple(0, 10);
    stepOnto('k', seedWhere([&](Rng& r) { return opening(r, GHOUL).blow > 10; }), {"click 1"});
    const int end = lineIndex("dialog end 111 0"), death = lineIndex("box owner=main icon=question buttons=yesno");
    EXPECT_LT(lineIndex("timer kill dlg:111 0"), end);
    EXPECT_LT(end, death);
    EXPECT_EQ(lineIndex("box "), death);
    EXPECT_GT(gs.enemyLife, 0);
}

TEST_F(FightTest, AMissedBlowStillCarriesTheStrengthBonus) {
    std::tie(gs.strength, gs.precision) = std::tuple(50, 0);
    int sign = 0;
    // With the short sword only a missed blow deals exactly the bonus.
    const unsigned seed = seedWhere([&](Rng& r) {
        sign = opening(r, GHOUL).sign;
        const Blow b = heroBlowModel(r, 1, 50, 0);
        return b.damage == 5 && b.strength;
    });
    ASSERT_TRUE(stepOnto('k', seed, {"click 1", click(sign)}));
    EXPECT_EQ(text(1038), "Vous attaquez et infligez 5 points de degats! (Force) ");
    EXPECT_EQ(std::tuple(gs.lastDamage, gs.strengthHit, gs.precisionHit), std::tuple(5, 1, 0));
}

TEST_F(FightTest, AVictoryLeavesTheLootPaysTheGoldWithinTheLimitAndOpensTheSkills) {
    // The axe with full skills kills in one blow; the bag weighs 14.99 kg with
    // 40 gold pieces for the last case.
    std::tie(gs.strength, gs.precision, gs.resistance, gs.protection) = std::tuple(100, 100, 7, 3);
    struct Case {
        Kind k;
        const char* sound;
        int reward, goldBefore, goldAfter;
    } cases[] = {{GUARD, "épée fin", -1, 15, 0}, {GHOUL, "mortGoule", -1, 15, 0}, {KNIGHT, "épée fin", 30, 40, 50}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.k.tile);
        std::fill(std::begin(gs.inventory), std::end(gs.inventory), 0);
        std::tie(gs.inventory[6], gs.inventory[GOLD], gs.shield, gs.shieldMax) = std::tuple(1, c.goldBefore, 50, 53);
        if (c.reward == 30) std::tie(gs.inventory[ITEM_SHIELD], gs.inventory[5], gs.inventory[ITEM_POTION], gs.inventory[ITEM_ELIXIR]) = std::tuple(1, 3, 29, 1);
        int sign = 0, reward = 0;
        const unsigned seed = seedWhere([&](Rng& r) {
            const Opening o = opening(r, c.k);
            sign = o.sign;
            const bool killed = heroBlowModel(r, 6, 100, 100).damage >= o.enemyLife;
            r(3);
            reward = r(50);
            return killed && (c.reward < 0 || reward == c.reward);
        });
        EXPECT_FALSE(stepOnto(c.k.tile, seed, {"click 1", click(sign), "close"}));
        EXPECT_EQ(std::pair(gs.LevelGrid[49][21], gs.view[gs.heroRow][gs.heroCol]), std::pair(c.k.loot, c.k.loot));
        EXPECT_EQ(gridCol(), 21);
        EXPECT_TRUE(heard(c.sound));
        EXPECT_EQ(musics(), (Strings{"2", "1"}));
        const std::string won = "owner=main icon=none buttons=ok default=ok caption=\"Vous venez de gagner le combat ! ! !\" "
                                "text=\"Felicitations: vous etes le vainqueur de ce combat.\\n\\nVous ramassez " +
                                std::to_string(reward) + " pieces sur l'ennemi !\\n et vous avez " + std::to_string(c.k.points) +
                                " points bonus a rajouter a vos competances.\" -> ok";
        EXPECT_EQ(boxes().back(), won);
        // The fight is over before the message, and the skills come after it.
        const int steps[] = {lineIndex("timer kill dlg:111"), lineIndex("dialog end 111 0"), lineIndex("box owner=main icon=none buttons=ok default=ok caption=\"Vous venez"),
                             lineIndex("dialog open 115")};
        EXPECT_TRUE(std::is_sorted(std::begin(steps), std::end(steps)) && steps[0] >= 0);
        EXPECT_EQ(gs.inventory[GOLD], c.reward < 0 ? c.goldBefore + reward : c.goldAfter);
        EXPECT_EQ(std::pair(gs.maxLife, gs.shieldMax), std::pair(107, 53));
    }
}

TEST_F(FightTest, ClosingLeavesTheEnemyAndAStepBackOntoItFightsAgain) {
    for (int fight = 0; fight < 2; ++fight) {
        EXPECT_FALSE(stepOnto('g', 5 + fight, {"click 1", "close"}));
        Rng r{5u + fight};
        EXPECT_EQ(gs.enemyMaxLife, opening(r, GUARD).enemyLife);
        EXPECT_EQ(std::tuple(gs.LevelGrid[49][21], gridCol(), gs.bonusPoints), std::tuple('g', 21, 1));
        EXPECT_EQ(musics(), Strings{"2"});
        EXPECT_NE(lineIndex("dialog end 111 2"), -1);
        EXPECT_EQ(boxes().size(), 1u);  // the taunt only
    }
}

TEST_F(FightTest, ElixirsAndAChangeOfWeaponStopNoClockButTheEnemys) {
    std::tie(gs.inventory[5], gs.inventory[ITEM_ELIXIR]) = std::tuple(1, 2);
    gs.escapeMode = 1, gs.countdownMinutes = 2, gs.countdownSeconds = 30;
    platform::setTimer(gs.mainWindow, 0, 1000);
    ASSERT_TRUE(stepOnto('g', 9, {"click 1", "click 1042", "click 1042", "click 1042", "wait 600", "click 1040", "wait 5000",
                                  "select 1054 0", "click 1", "wait 1199"}));
    Rng r{9};
    const Opening o = opening(r, GUARD);
    const int afterBlow = 100 + std::min(0, 50 - o.blow);
    // Elixirs raise life above maxLife in a fight; the bar goes past its frame.
    EXPECT_EQ(gs.life, afterBlow + 26);
    EXPECT_EQ(Strings({text(1038), text(1046), text(1044)}), Strings({"Vous utilisez un elixir!! (+13 PV)", " ", "Epée Courte"}));
    EXPECT_EQ(hl::pixel(hl::topWindow(), 15 + 1 + gs.maxLife + 10, 83), 0x000000u | (std::clamp(200 - gs.life, 0, 255) << 16) | (std::clamp(gs.life + 55, 0, 255) << 8));
    // One blow at the opening and none since: the change took a full period.
    EXPECT_EQ(count("sound épée"), 1);
    const int kill = lineIndex("timer kill dlg:111 0");
    ASSERT_GT(kill, 0);
    EXPECT_EQ(hl::transcript()[kill + 1], "dialog open 112");
    EXPECT_EQ(std::pair(gs.countdownMinutes, gs.countdownSeconds), std::pair(2, 24));
    hl::appendScript({"wait 1"});
    hl::runScript();
    EXPECT_EQ(count("sound épée"), 2);
}

TEST_F(FightTest, TheWeaponListMasksWhatIsNotOwnedAndRefusesIt) {
    std::tie(gs.inventory[1], gs.inventory[2], gs.inventory[4]) = std::tuple(0, 1, 2);
    const Strings entries = {"**** ******",      "Hallebarde",       "***** * ****",
                             "Epeé noire maudite", "******* ********", "***** *********"};
    for (int i = -1; i < 6; ++i) {
        hl::setScript({i < 0 ? "# the best weapon comes first" : "select 1054 " + std::to_string(i)});
        EXPECT_THROW(chooseWeapon(gs.mainWindow), hl::ScriptEnd);
        EXPECT_EQ(text(IDC_WEAPON_LIST), entries[i < 0 ? 3 : i]);
        EXPECT_EQ(gs.currentWeapon, 4);
        fresh();
    }
    const std::string refused = "owner=dlg:112 icon=none buttons=ok default=ok caption=\"Erreur:\" "
                                "text=\"Tu ne possède pas cette arme...\" -> ok";
    hl::setScript({"select 1054 0", "click 1", "type 1054 Hache", "click 1", "key Escape", "select 1054 1", "click 1"});
    chooseWeapon(gs.mainWindow);
    EXPECT_EQ(gs.currentWeapon, 2);
    EXPECT_EQ(boxes(), Strings(2, refused));
    // With no weapon at all the list cannot hold the player: it closes empty-handed.
    std::fill(std::begin(gs.inventory), std::end(gs.inventory), 0);
    hl::clearTranscript();
    hl::setScript({"click 1"});
    chooseWeapon(gs.mainWindow);
    EXPECT_EQ(std::pair(gs.currentWeapon, boxes()), std::pair(0, Strings{refused}));
}

TEST_F(FightTest, SkillPointsAreSpentOneAtATimeUpToTheCap) {
    using Skills = std::array<int, 4>;  // strength, resistance, precision, protection
    struct Case {
        Skills skills;
        int points, shield, shieldMax;
        Strings script;
        Skills want;
        int wantPoints, wantShield, wantShieldMax, wantLife;
    } cases[] = {
        {{0, 0, 0, 0}, 1, 50, 50, {"click 1032"}, {1, 0, 0, 0}, 0, 50, 50, 100},
        {{100, 100, 100, 100}, 3, 20, 150, {"click 1032", "click 1033", "click 1034", "click 1036", "close"}, {100, 100, 100, 100}, 3, 20, 150, 100},
        {{0, 0, 0, 0}, 2, 0, 57, {"click 1036", "click 1036"}, {0, 0, 0, 9}, 0, 0, 59, 100},
        {{0, 0, 0, 0}, 1, 20, 50, {"click 1036"}, {0, 0, 0, 1}, 0, 21, 51, 100},
        {{0, 99, 0, 0}, 3, 50, 50, {"click 1033", "click 1033", "key Enter", "close"}, {0, 100, 0, 0}, 2, 50, 50, 101},
    };
    gs.tutoSkills = 0;
    for (const Case& c : cases) {
        std::tie(gs.strength, gs.resistance, gs.precision, gs.protection) = std::tuple(c.skills[0], c.skills[1], c.skills[2], c.skills[3]);
        std::tie(gs.bonusPoints, gs.shield, gs.shieldMax, gs.life, gs.maxLife) = std::tuple(c.points, c.shield, c.shieldMax, 100, 100);
        hl::setScript(c.script);
        openSkillPoints();
        EXPECT_TRUE(hl::scriptDone());
        EXPECT_EQ((Skills{gs.strength, gs.resistance, gs.precision, gs.protection}), c.want);
        // Resistance raises life at once; maxLife follows after the dialog, in winFight.
        EXPECT_EQ(std::tie(gs.bonusPoints, gs.shield, gs.shieldMax, gs.life, gs.maxLife),
                  std::tuple(c.wantPoints, c.wantShield, c.wantShieldMax, c.wantLife, 100));
    }
    EXPECT_EQ(gs.tutoSkills, 1);
    EXPECT_EQ(std::ranges::count(boxes(), "owner=main icon=info buttons=ok default=ok caption=\"Tu viens de gagner des competences:\"",
                                 [](const std::string& b) { return b.substr(0, b.find(" text=")); }), 1);

    // The bars: twice the skill in the favourite colour, at x = 75.
    std::tie(gs.favoriteRed, gs.favoriteGreen, gs.favoriteBlue, gs.strength, gs.resistance, gs.bonusPoints) = std::tuple(10, 20, 30, 3, 0, 5);
    hl::setScript({"click 1032"});
    EXPECT_THROW(openSkillPoints(), hl::ScriptEnd);
    const platform::Window dlg = hl::topWindow();
    EXPECT_EQ(std::vector<unsigned>({hl::pixel(dlg, 75, 25), hl::pixel(dlg, 83, 30), hl::pixel(dlg, 84, 30), hl::pixel(dlg, 76, 55), hl::pixel(dlg, 275, 30)}),
              std::vector<unsigned>({0x000000, 0x0A141E, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF}));
    EXPECT_EQ(text(IDC_SKILL_POINTS_LEFT), "4");
}
