// The inventory dialog on the headless backend: its fields, the pictures and
// bars at their pixels, and which buttons close it with which code.
#include <string>
#include <tuple>
#include <vector>

#include "harness.h"
#include "items/inventory.h"
#include "items/weight.h"
#include "resources/dlg_inventory.h"
#include "shell/random.h"

using namespace shelltest;

namespace {

constexpr unsigned BLACK = 0x000000, WHITE = 0xFFFFFF, FAVOURITE = 0x1E28AA;

// What the dialog showed after its opening and after each command.
struct Seen {
    std::vector<std::string> fields;  // counts 1..17, life, weight
    std::vector<unsigned> pixels;
};
std::vector<Seen> seen;
std::vector<std::pair<int, int>> probes;

long watching(platform::Window dlg, platform::Msg msg, long a, long b) {
    const long result = inventoryDialogProc(dlg, msg, a, b);
    if (msg == platform::Msg::InitDialog || msg == platform::Msg::Command) {
        Seen s;
        for (int i = ITEM_FIRST; i <= ITEM_LAST; ++i) s.fields.push_back(hl::itemText(dlg, ITEM_TABLE[i].countId));
        s.fields.push_back(hl::itemText(dlg, IDC_INV_LIFE));
        s.fields.push_back(hl::itemText(dlg, IDC_INV_WEIGHT));
        for (auto [x, y] : probes) s.pixels.push_back(hl::pixel(dlg, x, y));
        seen.push_back(s);
    }
    return result;
}

class Inventory : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        writePictures();
        writeBmp(dir / "Images" / "copie de p.bmp", 24, 21, copyColour('p'));
        openMain(true);
        std::tie(gs.favoriteRed, gs.favoriteGreen, gs.favoriteBlue) = std::tuple(0x1E, 0x28, 0xAA);
        restock();
    }
    // The hero on grid (55, 47) facing right with a full bag and 60 of 100 life.
    void restock() {
        corridor();
        std::tie(gs.life, gs.maxLife, gs.shield) = std::tuple(60, 100, 50);
        for (auto [item, n] : {std::pair{1, 1}, {6, 1}, {7, 1}, {8, 1}, {9, 2}, {11, 1}, {16, 1}, {GOLD, 15}})
            gs.inventory[item] = n;
        seen.clear();
        probes.clear();
    }
    // Runs the dialog on the script; returns its end code and whether lines were left.
    static std::pair<int, bool> run(const std::vector<std::string>& script) {
        hl::setScript(script);
        hl::clearTranscript();
        const int code = platform::dialogBox(inventoryDialog(), gs.mainWindow, watching);
        return {code, !hl::scriptDone()};
    }
    static char& heroCell() { return gs.LevelGrid[55][47]; }
    static char& front() { return gs.LevelGrid[55][48]; }
};

TEST_F(Inventory, FieldsPicturesAndBarsLieOnTheRowsAndAPotionRefreshesThem) {
    // Each picture's corners, the life bar (60 of 100), the weight bar (trunc(20 x 5.815) = 116 of
    // 300), and where the life bar ends after the potion (80).
    for (int i = 1; i <= 16; ++i) probes.insert(probes.end(), {{162, 23 * i + 51}, {185, 23 * i + 71}});
    probes.insert(probes.end(), {{110, 52}, {170, 57}, {171, 57}, {211, 62}, {212, 57}, {23, 495}, {139, 500},
                                 {140, 500}, {324, 505}, {325, 500}, {190, 57}, {191, 57}});
    EXPECT_EQ(run({"click 1029", "click 2"}), std::pair(2, false));
    ASSERT_EQ(seen.size(), 3u);
    const std::vector<std::string> counts = {"1", "0", "0", "0", "0", "1", "1", "1", "2", "0", "1", "0", "0", "0", "0", "1", "15"};
    std::vector<std::string> fields = counts;
    fields.insert(fields.end(), {"60/100", "5.815        "});
    EXPECT_EQ(seen[0].fields, fields);
    fields[8] = "1";
    std::tie(fields[17], fields[18]) = std::tuple("80/100", "5.715        ");
    EXPECT_EQ(seen[1].fields, fields) << "the potion keeps it open and refreshed";
    std::vector<unsigned> want;
    for (int i = 1; i <= 16; ++i) want.insert(want.end(), 2, copyColour(itemTileChars[i]));
    want.insert(want.end(), {BLACK, 0x8C7300, WHITE, BLACK, 0xECE9D8, BLACK, FAVOURITE, WHITE, BLACK, 0xECE9D8, WHITE, WHITE});
    EXPECT_EQ(seen[0].pixels, want);
    EXPECT_EQ(std::vector(seen[1].pixels.end() - 2, seen[1].pixels.end()), (std::vector<unsigned>{0x788700, WHITE}));
    EXPECT_EQ(linesWith("caption=\"Tutoriel sur ton inventaire:\"").size(), 1u);
    run({"click 2"});
    EXPECT_TRUE(linesWith("Tutoriel").empty()) << "once per game";
}

TEST_F(Inventory, ButtonsCloseItOnlyWhenTheFieldChanged) {
    using platform::Answer;
    struct Case {
        std::string click;
        char hero, ahead;
        std::vector<Answer> answers;
        int code;  // 2: it stayed open until "Valider"
        char heroAfter, aheadAfter;
    };
    const Case cases[] = {
        {"1019", 'a', '#', {}, 0, 'a', '#'},  {"1019", 'a', 's', {}, 2, 'a', 's'},  // seed 0 draws 38: no luck
        {"1026", 'a', 'a', {}, 0, 'a', 'a'},  {"1032", 'a', '1', {}, 1032, 'a', '('},
        {"1032", 'a', '2', {}, 2, 'a', '2'},  {"1020", 'a', 'a', {}, 1020, 'e', 'a'},
        {"1020", 't', 'a', {}, 2, 't', 'a'},  {"1052", 'a', 'a', {}, 1052, 'z', 'a'},  // not on a torch
        {"1044", 'a', 'a', {Answer::No}, 2, 'a', 'a'},
        {"1044", 'a', 'a', {Answer::Yes}, 1044, 'a', 'a'},  // destroyed, not put down
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.click + " on " + c.hero + " before " + c.ahead);
        restock();
        seedRandom(0);
        gs.tutoInventory = 1;
        std::tie(heroCell(), front()) = std::tuple(c.hero, c.ahead);
        refreshView();
        for (Answer a : c.answers) hl::queueAnswer(a);
        const auto [code, left] = run({"click " + c.click, "click 2"});
        EXPECT_EQ(code, c.code);
        EXPECT_EQ(left, c.code != 2);
        EXPECT_EQ(std::pair(heroCell(), front()), std::pair(c.heroAfter, c.aheadAfter));
        EXPECT_EQ(gs.view[gs.heroRow][gs.heroCol], c.heroAfter);
    }
    EXPECT_EQ(std::tuple(gs.shield, gs.inventory[ITEM_SHIELD]), std::tuple(0, 0));
    EXPECT_EQ(linesWith("caption=\"Titre de la boite de dialogue\"")[0],
              "box owner=main icon=warning buttons=yesno default=no caption=\"Titre de la boite de dialogue\" "
              "text=\"Si vous jettez votre bouclier, vous ne\\npourez pas revenir le chercher.\\n\\nCette action "
              "est irreversible,\\n\\nVoulez vous quand même continuer?\" -> yes");
}

}  // namespace
