// Death's reload or title screen whatever the cause; the Mage's defeat opening
// the gate, the countdown and the way out through column 0.
#include "hero/death.h"
#include "hero/movement.h"
#include "play_fixture.h"
#include "saves/slots.h"
#include "shell/mainwindow.h"
#include "world/screens.h"

using namespace play;

namespace {

class Death : public PlayTest {
protected:
    void SetUp() override {
        PlayTest::SetUp();
        fresh();
    }
    // A fresh game for each case, in the test's own folder.
    static void fresh() {
        hl::reset();
        gs = GameState{};
        dispatcherWindow();
        gs.onTitleScreen = 0;
        // Slot 1 holds a knight standing on a floor, at full life.
        SaveSlot& saved = gs.saveSlots[1];
        saved.name = "Perceval";
        std::tie(saved.life, saved.maxLife, saved.viewLeft, saved.viewTop, saved.heroCol, saved.heroRow) =
            std::tuple(90, 100, 10, 20, 7, 5);
        saved.grid.fill('s');
        gs.currentSlot = 1;
        // The castle's entrance, closed behind the hero: floor on row 99, the
        // stone at (98, 2); the hero at (98, 5).
        fill('a');
        floorRow(99);
        put(98, 2, "s");
        placeHero(98, 5, -1);
        hl::clearTranscript();
    }
};

}  // namespace

TEST_F(Death, EveryDeathOffersTheReloadOrTheTitleScreen) {
    const struct {
        const char* cause;
        void (*kill)();
    } causes[] = {
        {"lava", [] { put(98, 4, "d"), walkStep(-1); }},
        {"fall", [] {  // four rows down from a ledge with a heavy bag
             put(95, 5, "s");
             placeHero(94, 5, -1);
             std::tie(gs.life, gs.carriedWeight) = std::tuple(1, 14.0f);
             walkStep(-1);
         }},
        {"fight", heroDies},
        {"countdown", [] {
             std::tie(gs.escapeMode, gs.countdownMinutes, gs.countdownSeconds) = std::tuple(1, 0, 0);
             platform::setTimer(gs.mainWindow, MAIN_TIMER, ESCAPE_TICK_MS);
             hl::advance(ESCAPE_TICK_MS);
         }},
    };
    for (const auto& c : causes) {
        for (bool reload : {true, false}) {
            SCOPED_TRACE(testing::Message() << c.cause << (reload ? " reloaded" : " not reloaded"));
            fresh();
            hl::queueAnswer(reload ? platform::Answer::Yes : platform::Answer::No);
            c.kill();
            ASSERT_FALSE(boxes().empty());
            EXPECT_NE(boxes()[0].find("icon=question buttons=yesno default=yes caption=\"Vous etes mort.....\" "
                                      "text=\"Vous venez de mourir dans d'atroces soufrances...\\n\\nVoulez vous "
                                      "charger la dernière sauvegarde?\""),
                      std::string::npos);
            EXPECT_EQ(musics(), (Strings{"0", reload ? "1" : "4"}));
            EXPECT_EQ(gs.escapeMode, 0);
            if (reload) {
                EXPECT_EQ(std::tie(gs.playerName, gs.life, gs.viewLeft, gs.onTitleScreen),
                          std::tuple("Perceval", 90, 10, 0));
            } else {
                EXPECT_EQ(gs.onTitleScreen, 1);
                EXPECT_NE(lineIndex("window place 320 200 390 350"), -1);
            }
            hl::advance(10 * ESCAPE_TICK_MS);
            EXPECT_EQ(boxes().size(), 1u) << "one death only";
        }
    }
}

TEST_F(Death, ADeathInTheEscapeStopsTheCountdownWhileTheQuestionIsOpen) {
    std::tie(gs.escapeMode, gs.countdownMinutes, gs.countdownSeconds) = std::tuple(1, 0, 1);
    platform::setTimer(gs.mainWindow, MAIN_TIMER, ESCAPE_TICK_MS);
    put(98, 4, "d");
    hl::queueAnswer(platform::Answer::No, 5 * ESCAPE_TICK_MS);  // five seconds to answer
    walkStep(-1);
    EXPECT_EQ(boxes().size(), 1u);
    EXPECT_EQ(std::tie(gs.escapeMode, gs.onTitleScreen, gs.countdownSeconds), std::tuple(0, 1, 1));
}

TEST_F(Death, AReloadWithoutASavedGameIsRefusedAndTheTitleComesBack) {
    const struct {
        int slot;
        const char* told;
    } cases[] = {{-1, "Aucun emplacement de sauvegarde par défaut n'a été choisi"},
                 {2, "L'emplacement 3 est vide"}};
    for (const auto& c : cases) {
        fresh();
        gs.currentSlot = c.slot;
        hl::queueAnswer(platform::Answer::Yes);
        heroDies();
        ASSERT_EQ(boxes().size(), 2u);
        EXPECT_NE(boxes()[1].find(c.told), std::string::npos) << boxes()[1];
        EXPECT_EQ(std::tie(gs.onTitleScreen, gs.life), std::tuple(1, 100));
        EXPECT_EQ(musics(), (Strings{"0", "4"}));
    }
}

TEST_F(Death, TheMagesDefeatDriesTheLavaOpensTheGateAndTheKnightEscapes) {
    for (int slow : {1, 0}) {
        fresh();
        gs.slowComputer = slow;
        for (auto [row, col] : {std::pair{0, 0}, {50, 50}, {99, 99}, {97, 60}}) gs.LevelGrid[row][col] = 'd';
        placeHero(50, 47);  // by the Mage, far from the gate
        const long long start = hl::nowMs();
        mageDefeated();
        // Waits: the pans over 41 and 44 views and the stone's 13 frames only with
        // "Ordi Rapide"; the last second always.
        EXPECT_EQ(hl::nowMs() - start, slow ? 1000 : (41 + 44) * 75 + 13 * 160 + 1000);
        for (auto [row, col] : {std::pair{0, 0}, {50, 50}, {99, 99}, {97, 60}}) EXPECT_EQ(gs.LevelGrid[row][col], '#');
        EXPECT_EQ(std::tuple(gs.LevelGrid[98][2], gs.LevelGrid[97][2]), std::tuple('a', 's'));
        EXPECT_EQ(std::tie(gs.viewLeft, gs.viewTop, gs.lookMode, gs.escapeMode), std::tuple(40, 45, 0, 1));
        EXPECT_EQ(gs.view[5][10], '#');
        const Strings b = boxes();
        ASSERT_EQ(b.size(), 2u);
        EXPECT_NE(b[0].find("icon=none buttons=ok default=ok caption=\"Felicitation, vous venez de battre le mage noir de "
                            "QuelmaR!!\" text=\"Felicitation, vous venez de battre le mage noir de QuelmaR!!\\n\\nMais "
                            "la princesse n'est pas là ???\""),
                  std::string::npos);
        EXPECT_NE(b[1].find("icon=warning buttons=ok default=ok caption=\"La princesse est en danger...\""),
                  std::string::npos);
        EXPECT_LT(lineIndex("sound pierre"), lineIndex("box owner=main icon=warning"));
        EXPECT_NE(lineIndex("timer set main 0 1000"), -1);
    }
}

// (Column 0 without an escape is just a cell: see the walking tests.)
TEST_F(Death, OnACustomLevelTheMagesDefeatEndsNothing) {
    gs.customLevel = 1;
    gs.LevelGrid[50][50] = 'd';
    mageDefeated();
    EXPECT_EQ(std::tuple(gs.LevelGrid[50][50], gs.LevelGrid[98][2], int(gs.escapeMode)), std::tuple('d', 's', 0));
    EXPECT_TRUE(hl::transcript().empty());
}
