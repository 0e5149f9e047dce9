// The Enter action and the items reaching the shop, the troubadours and the
// harp: the calls between the bag's code and theirs, on the headless backend.
#include <tuple>

#include "hero/interact.h"
#include "items/use.h"
#include "items/weight.h"
#include "play_fixture.h"

using namespace play;

namespace {

class Enter : public PlayTest {
protected:
    void SetUp() override {
        PlayTest::SetUp();
        floorRow(61);
        gs.maxLife = 100;
    }
};

TEST_F(Enter, ShopsAndTroubadoursAnswerTheirTilesAndNothingElseDoes) {
    for (auto [tile, dialogs, boxCount] : {std::tuple{'0', 1, 0}, {'j', 0, 1}, {')', 0, 0}}) {
        SCOPED_TRACE(std::string(1, tile));
        put(60, 40, std::string(1, tile));
        placeHero(60, 40);
        gs.tutoShop = 1;  // the shop's first-visit box aside
        hl::setScript({"close"});  // leaves the shop if one opens
        hl::clearTranscript();
        actOnTile();
        EXPECT_EQ(static_cast<int>(linesAfter("dialog open 113").size()), dialogs);
        EXPECT_EQ(static_cast<int>(boxes().size()), boxCount);
        EXPECT_EQ(gs.LevelGrid[60][40], tile);
    }
}

TEST_F(Enter, TheOrangeDoorFreesTheCaptivesOnlyFromTheirCorridor) {
    for (auto [col, frees] : {std::pair{28, false}, {29, true}, {32, true}, {33, false}}) {
        SCOPED_TRACE(col);
        put(60, 26, "a");
        put(60, col, "a5");
        placeHero(60, col);
        std::fill(std::begin(gs.inventory), std::end(gs.inventory), 0);
        gs.inventory[15] = 1;
        hl::clearTranscript();
        useItem(ITEM_TABLE[15].useId, nullptr);
        EXPECT_EQ(gs.LevelGrid[60][col + 1], '(');
        EXPECT_EQ(boxes().size(), frees ? 1u : 0u);
        EXPECT_EQ(gs.LevelGrid[60][26], frees ? '8' : 'a');
    }
}

TEST_F(Enter, TheHarpPlayedInItsPlaceDriesTheMagesLava) {
    for (int r = 14; r <= 18; ++r) put(r, 1, "dddddddd");
    put(19, 0, std::string(20, 's'));
    gs.inventory[7] = 1;
    placeHero(18, 9);
    useItem(ITEM_TABLE[7].useId, nullptr);
    for (int r = 14; r <= 18; ++r) EXPECT_EQ(std::string(&gs.LevelGrid[r][1], 8), "########") << r;
    EXPECT_TRUE(heard("harpe"));
}

}  // namespace
