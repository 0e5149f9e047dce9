// The shop driven through its dialog on the headless backend: what it shows,
// the two refusals of a purchase, selling, and the weight rules around gold.
#include <map>

#include "items/shop.h"
#include "play_fixture.h"

using namespace play;

namespace {

using Bag = std::map<int, int>;  // inventory index -> count; the rest is 0

constexpr int SWORD = 1, MACE = 3, BLACK_SWORD = 4, HAMMER = 5, SHIELD = 8, POTION = 9, ELIXIR = 10;

std::string box(const std::string& caption, const std::string& text, const std::string& tail = "-> ok",
                const std::string& style = "icon=none buttons=ok default=ok") {
    return "owner=dlg:113 " + style + " caption=\"" + caption + "\" text=\"" + text + "\" " + tail;
}
const std::string TOO_POOR =
    box("Vous nepouvez pas acheter cet article:", "   Tu n'as pas assez d'or pour acheter ca!!!");
const std::string TOO_HEAVY = box("Vous nepouvez pas acheter cet article:",
                                  "   Tu ne peut pas porter tout ca !!!\\n       Libère un peut de place dans ton sac...");
const std::string NOT_OWNED = box("Ca va pas la tête???", "Tu ne peut pas vendre un objet que tu ne possède pas!!!",
                                  "-> ok", "icon=info buttons=ok default=ok");
std::string lastOne(const char* answer) {
    return box("Attention", "ATTENTION:\\nc'est ton dernier article de ce genre:\\n\\nEs tu sur de vouloir le vendre?",
               std::string("-> ") + answer, "icon=warning buttons=yesno default=no");
}

// What the dialog shows after opening and after each buy or sell command.
struct Shown {
    int sellEntry;
    std::string sellText, gold, weight, life, buyText;
    int buyEntry;
};
std::vector<Shown> shown;

long watchingProc(platform::Window dlg, platform::Msg msg, long a, long b) {
    const long result = shopDialogProc(dlg, msg, a, b);
    if (msg == platform::Msg::InitDialog || (msg == platform::Msg::Command && a != IDC_SHOP_LEAVE))
        shown.push_back({platform::comboSelection(dlg, IDC_SHOP_SELL_LIST), hl::itemText(dlg, IDC_SHOP_SELL_LIST),
                         hl::itemText(dlg, IDC_SHOP_GOLD), hl::itemText(dlg, IDC_SHOP_WEIGHT),
                         hl::itemText(dlg, IDC_SHOP_LIFE), hl::itemText(dlg, IDC_SHOP_BUY_LIST),
                         platform::comboSelection(dlg, IDC_SHOP_BUY_LIST)});
    return result;
}

class Shop : public PlayTest {
protected:
    void SetUp() override {
        PlayTest::SetUp();
        gs.tutoShop = 1;
        std::tie(gs.shield, gs.shieldMax) = std::tuple(10, 60);
        shown.clear();
    }
    static void fillBag(const Bag& bag) {
        std::fill(std::begin(gs.inventory), std::end(gs.inventory), 0);
        for (auto [item, count] : bag) gs.inventory[item] = count;
    }
    static Bag bag() {
        Bag b;
        for (int i = 1; i < ITEM_COUNT; ++i)
            if (gs.inventory[i]) b[i] = gs.inventory[i];
        return b;
    }
    // Runs the shop over the script (which must leave it) and returns the boxes.
    static Strings visit(Strings script) {
        hl::clearTranscript();
        hl::setScript(script);
        EXPECT_EQ(platform::dialogBox(shopDialog(), gs.mainWindow, watchingProc), 0);
        EXPECT_TRUE(hl::scriptDone());
        return boxes();
    }
};

TEST_F(Shop, OpeningShowsTheBagAndTheTutorialOnceAndLeavingGivesTheMusicBack) {
    fillBag({{GOLD, 15}});
    std::tie(gs.life, gs.maxLife, gs.tutoShop) = std::tuple(37, 120, 0);
    hl::setScript({"key Escape"});
    openShop();
    EXPECT_EQ(musics(), (Strings{"3", "1"}));
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].rfind("owner=main icon=info buttons=ok default=ok "
                               "caption=\"Tu vient de rentrer dans une boutique:\"", 0), 0u);
    EXPECT_LT(lineIndex("music 3"), lineIndex("box "));
    EXPECT_NE(lineIndex("dialog end 113 0"), -1);
    EXPECT_EQ(gs.tutoShop, 1);

    // The second visit has no tutorial; the potion is proposed, the first
    // weapon to sell, and 15 gold pieces weigh 0.015 kg.
    gs.loopK = 4;
    EXPECT_TRUE(visit({"click 2"}).empty());
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].sellEntry, 0);
    EXPECT_EQ(std::tie(shown[0].sellText, shown[0].buyEntry), std::tuple("**** ******", 6));
    EXPECT_EQ(shown[0].buyText, "Potion" + std::string(39, ' ') + "40");
    EXPECT_EQ(shown[0].weight.substr(0, 6), "0.015 ");
    EXPECT_EQ(std::tie(shown[0].gold, shown[0].life), std::tuple("15", "37/120"));
}

TEST_F(Shop, BuyingPaysWithinTheGoldAndTheWeightCountsThePrice) {
    // The cases named in kg carry this too: 14.05 kg.
    const Bag heavy = {{HAMMER, 3}, {BLACK_SWORD, 2}, {ELIXIR, 1}};
    struct Case {
        const char* what;
        Bag before;
        std::string select;  // how the article is chosen
        Strings boxes;
        Bag after;
        int shield;
    } cases[] = {
        {"exactly the price", {{GOLD, 40}}, "select 1055 6", {}, {{POTION, 1}}, 10},
        {"one piece short", {{GOLD, 39}}, "select 1055 6", {TOO_POOR}, {{GOLD, 39}}, 10},
        {"the hammer", {{GOLD, 2000}}, "select 1055 4", {}, {{HAMMER, 1}, {GOLD, 200}}, 10},
        {"an elixir", {{GOLD, 30}}, "select 1055 7", {}, {{ELIXIR, 1}, {GOLD, 5}}, 10},
        {"a first shield", {{GOLD, 200}}, "select 1055 5", {}, {{SHIELD, 1}, {GOLD, 50}}, 60},
        {"a second shield", {{SHIELD, 1}, {GOLD, 150}}, "select 1055 5", {}, {{SHIELD, 1}}, 60},
        {"14.80 kg", {{POTION, 7}, {GOLD, 50}}, "select 1055 6", {}, {{POTION, 8}, {GOLD, 10}}, 10},
        {"14.90 kg", {{POTION, 8}, {GOLD, 50}}, "select 1055 6", {TOO_HEAVY}, {{POTION, 8}, {GOLD, 50}}, 10},
        {"too poor and 14.89 kg", {{POTION, 8}, {GOLD, 39}}, "select 1055 6", {TOO_POOR, TOO_HEAVY}, {{POTION, 8}, {GOLD, 39}}, 10},
        {"no article", {{GOLD, 90}}, "select 1055 -1", {}, {{GOLD, 90}}, 10},
        {"typed text", {{GOLD, 90}}, "type 1055 Potion", {}, {{GOLD, 90}}, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bag before = c.before, after = c.after;
        if (std::string_view(c.what).ends_with("kg")) {
            before.insert(heavy.begin(), heavy.end());
            after.insert(heavy.begin(), heavy.end());
        }
        fillBag(before);
        gs.shield = 10;
        EXPECT_EQ(visit({c.select, "click 1058", "click 2"}), c.boxes);
        EXPECT_EQ(bag(), after);
        EXPECT_EQ(gs.shield, c.shield);
        EXPECT_EQ(sounds(), Strings{"caisse"});
    }
}

TEST_F(Shop, SellingAsksForTheLastOneAndTheListFollowsEachCommand) {
    fillBag({{SWORD, 1}, {MACE, 1}, {GOLD, 100}});
    const std::string sword = "Epée courte" + std::string(29, ' ') + "30";
    const Strings seenBoxes = visit({"select 1056 2", "answer yes", "click 1057",  // the mace, the last one
                                     "click 1058",                                 // a potion: the list goes back to the sword
                                     "answer no", "click 1057",                    // kept
                                     "answer yes", "click 1057",                   // sold: no weapon left
                                     "click 1057",                                 // nothing to sell there
                                     "type 1056 Epée", "click 1057",               // nothing chosen
                                     "click 2"});
    EXPECT_EQ(seenBoxes, (Strings{lastOne("yes"), lastOne("no"), lastOne("yes"), NOT_OWNED, NOT_OWNED}));
    const std::vector<std::tuple<int, std::string, std::string>> want = {
        {0, sword, "100"},         {2, "**** ******", "160"}, {0, sword, "120"}, {0, sword, "120"},
        {0, "**** ******", "150"}, {0, "**** ******", "150"}, {-1, "Epée", "150"}};
    ASSERT_EQ(shown.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i)
        EXPECT_EQ(std::tie(shown[i].sellEntry, shown[i].sellText, shown[i].gold), want[i]) << "step " << i;
    EXPECT_EQ(bag(), (Bag{{POTION, 1}, {GOLD, 150}}));
}

TEST_F(Shop, GoldThatDoesNotFitInTheBagIsLeftAtTheSale) {
    // 14.5 kg without the gold: of the 530 pieces after the sale, 30 are too many.
    fillBag({{SWORD, 2}, {2, 1}, {HAMMER, 4}, {GOLD, 500}});
    visit({"select 1056 0", "click 1057", "click 2"});
    EXPECT_NEAR(gs.inventory[GOLD], 500, 1);
    EXPECT_LE(gs.carriedWeight, 15.0f);
    EXPECT_EQ(shown.back().weight.substr(0, 5), gs.inventory[GOLD] == 500 ? "15.00" : "14.99");
    // Over the limit even without gold (a bag from elsewhere): the gold goes, never below 0.
    fillBag({{SWORD, 2}, {HAMMER, 5}, {GOLD, 100}});
    visit({"select 1056 0", "click 1057", "click 2"});
    EXPECT_EQ(bag(), (Bag{{SWORD, 1}, {HAMMER, 5}}));
}

}  // namespace
