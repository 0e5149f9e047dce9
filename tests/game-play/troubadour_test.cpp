// The troubadours' words by the hero's cell, the captives freed, and the harp
// against the Mage's lava shield.
#include "hero/troubadours.h"
#include "play_fixture.h"

using namespace play;

namespace {

class Troubadours : public PlayTest {
protected:
    // The one box shown, without its text.
    static std::string talkAt(int row, int col) {
        placeHero(row, col);
        hl::clearTranscript();
        talkToTroubadour(positionKey());
        EXPECT_EQ(sounds(), Strings{"harpe"});
        const Strings shown = boxes();
        if (shown.size() != 1) return "boxes: " + std::to_string(shown.size());
        return shown[0].substr(0, shown[0].find(" text="));
    }
    static std::string textOf(const std::string& line) {
        const auto from = line.find(" text=\"") + 7;
        return line.substr(from, line.rfind("\" -> ") - from);
    }
};

TEST_F(Troubadours, EachPlaceHasItsWordsFromBothOfItsCells) {
    const std::string talks = "caption=\"Un troubadour vous parle:\"";
    const std::string plain = "owner=main icon=none buttons=ok default=ok ", info = "owner=main icon=info buttons=ok default=ok ";
    struct Place {
        int row, col;
        std::string box;
    } places[] = {
        {98, 4, plain + talks},   {98, 8, plain + talks},  {98, 21, plain + "caption=\"Un Toubadour vous parle:\""},
        {98, 25, plain + talks},  {98, 42, plain + talks}, {89, 29, plain + talks},
        {84, 52, info + talks},   {78, 68, info + talks},  {18, 16, info + talks},
    };
    Strings texts;
    for (const Place& p : places) {
        SCOPED_TRACE(testing::Message() << p.row << ", " << p.col);
        EXPECT_EQ(talkAt(p.row, p.col), p.box);
        const std::string text = textOf(boxes()[0]);
        EXPECT_EQ(talkAt(p.col, p.row), p.box);
        EXPECT_EQ(textOf(boxes()[0]), text);
        EXPECT_EQ(std::ranges::count(texts, text), 0) << "the same words twice";
        texts.push_back(text);
    }
    // Anywhere else a troubadour only gives his number, on a box of his own.
    EXPECT_EQ(talkAt(10, 10), "owner=none icon=none buttons=ok default=ok caption=\"info troubadour:\"");
    EXPECT_EQ(textOf(boxes()[0]), "troubadour n° 2000");
}

TEST_F(Troubadours, TheSpokesmanSobsUntilTheCaptivesAreFreedThenThanksWithTheHarp) {
    put(60, 25, "j");
    for (auto [row, col] : {std::pair{60, 31}, {31, 60}, {65, 28}, {28, 65}})
        EXPECT_EQ(talkAt(row, col), "owner=main icon=info buttons=ok default=ok caption=\"un troubadour vous parle:\"");

    // The cage and its surroundings: only rows 56, 58 and 60 of the cage empty.
    for (int r = 55; r <= 61; ++r) put(r, 18, "jjjjjjjjjjj");
    hl::clearTranscript();
    freeTroubadours();
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].rfind("owner=main icon=info buttons=ok default=ok caption=\"Vous venez de libere les troubadours!!\"", 0), 0u);
    const char* after[] = {"jjjjjjjjjjj", "jjjaaaaaaaj", "jjjjjjjjjjj", "jjaaaaaaaaj", "jjjjjjjjjjj", "jjaaaaaa8aj", "jjjjjjjjjjj"};
    for (int r = 55; r <= 61; ++r) EXPECT_EQ(std::string(&gs.LevelGrid[r][18], 11), after[r - 55]) << "row " << r;

    EXPECT_EQ(talkAt(60, 31), "owner=main icon=info buttons=ok default=ok caption=\"Un troubadour vous parle:\"");
    EXPECT_EQ(textOf(boxes()[0]),
              "Merci de nous avoir aidé.\\nUtilise bien cette harpe et tu reusira a vaincre ce mage.\\nBonne chance!");
}

TEST_F(Troubadours, TheHarpDriesTheShieldCellByCellAndOnlyIt) {
    for (int r = 12; r <= 20; ++r) put(r, 0, "dddddddddddd");
    placeHero(18, 9);
    const int before = hl::contextsTaken(gs.mainWindow);
    drawScene();
    const int perDrawing = hl::contextsTaken(gs.mainWindow) - before;
    ASSERT_GT(perDrawing, 0);

    for (bool lava : {true, false}) {
        SCOPED_TRACE(lava ? "lava" : "already dried");
        hl::clearTranscript();
        const int start = hl::contextsTaken(gs.mainWindow);
        playHarp();
        EXPECT_EQ(hl::contextsTaken(gs.mainWindow) - start, 40 * perDrawing);
        EXPECT_EQ(sounds(), Strings{"harpe"});
        for (int r = 12; r <= 20; ++r) {
            const bool shield = r >= 14 && r <= 18;
            EXPECT_EQ(std::string(&gs.LevelGrid[r][0], 12), shield ? "d########ddd" : "dddddddddddd") << "row " << r;
        }
        EXPECT_EQ(gs.view[3][3], '#') << "the view shows the dried cells";
    }
}

}  // namespace
