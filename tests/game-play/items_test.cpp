// The bag: pick-ups within the weight limit, chests from known seeds, doors and
// keys, weapons, flasks, the harp; Enter on shops and troubadours; the captives.
#include <initializer_list>
#include <tuple>

#include "hero/interact.h"
#include "items/use.h"
#include "items/weight.h"
#include "play_fixture.h"
#include "shell/random.h"

using namespace play;

namespace {

constexpr int ROW = 49;  // the hero's row, on the floor of row 50
using Bag = std::vector<std::pair<int, int>>;  // item, count

const std::string REFUSAL = "owner=main icon=warning buttons=ok default=ok caption=\"Tu ne peux pas emporter cer "
                            "objet\" text=\"Libère de la place dans ton sac...               \" -> ok";

// Bags whose weight sits on the ceilings of the text.
const Bag KG_12_5 = {{3, 1}, {5, 3}, {8, 1}}, KG_13_0 = {{1, 1}, {5, 4}}, KG_13_5 = {{2, 1}, {5, 4}};
const Bag KG_14_0 = {{3, 1}, {5, 4}}, KG_14_001 = {{3, 1}, {5, 4}, {GOLD, 1}}, KG_14_9 = {{3, 1}, {5, 4}, {9, 9}};
const Bag KG_14_901 = {{3, 1}, {5, 4}, {9, 9}, {GOLD, 1}}, KG_14_95 = {{3, 1}, {5, 4}, {9, 9}, {10, 1}};
const Bag KG_14_951 = {{3, 1}, {5, 4}, {9, 9}, {10, 1}, {GOLD, 1}}, KG_14_995 = {{3, 1}, {5, 4}, {9, 9}, {GOLD, 95}};
const Bag KG_15_0 = {{5, 5}};

int buttonOf(int item) { return ITEM_TABLE[item].useId; }

class Items : public PlayTest {
protected:
    void SetUp() override {
        PlayTest::SetUp();
        floorRow(50);
        placeHero(ROW, 20);
        gs.maxLife = 100;
    }
    static void pack(const Bag& bag) {
        std::fill(std::begin(gs.inventory), std::end(gs.inventory), 0);
        for (auto [item, n] : bag) gs.inventory[item] = n;
        hl::clearTranscript();
    }
    // The hero placed on (ROW, col) over the tile, facing right; Enter.
    static void enterOn(int col, char tile) {
        put(ROW, col, std::string(1, tile));
        placeHero(ROW, col);
        actOnTile();
    }
    // The tile put in front of the hero, the transcript cleared.
    static void facing(char tile) {
        placeHero(ROW, 20);
        put(ROW, 21, std::string(1, tile));
        hl::clearTranscript();
    }
    static char ahead() { return gs.LevelGrid[ROW][21]; }
};

TEST_F(Items, EachItemIsTakenUpToItsCeilingAndOnlyWeaponsAndFlasksComplain) {
    struct Case {
        const Bag& bag; char tile; bool taken; Strings sounds;  // the sounds when taken
    };
    const Strings take = {"ramasse"}, flask = {"ramasse", "potion"}, no;
    const Case cases[] = {
        {KG_14_0, 'e', true, take},     {KG_14_001, 'e', false, no},  {KG_13_5, 'h', true, take},
        {KG_12_5, '8', true, take},     {KG_13_0, '8', false, no},  // 12.5 for the harp, not 13.5
        {KG_12_5, '7', true, take},     {KG_12_5, '9', false, no},    {KG_14_9, 'n', true, flask},
        {KG_14_901, 'n', false, no},    {KG_14_95, 'o', true, flask}, {KG_14_951, 'o', false, no},
        {KG_14_9, 'u', true, {"clé"}},  {KG_14_901, 'z', false, no},  {KG_13_0, 'p', true, take},
        {KG_14_0, 'p', false, no},
    };
    for (const Case& c : cases) {
        pack(c.bag);
        const int item = static_cast<int>(std::string_view(itemTileChars).find(c.tile));
        const int before = gs.inventory[item];
        gs.shield = 7;
        SCOPED_TRACE(std::string("tile ") + c.tile);
        enterOn(20, c.tile);
        EXPECT_EQ(gs.LevelGrid[ROW][20], c.taken ? 'a' : c.tile);
        EXPECT_EQ(gs.inventory[item], before + (c.taken ? 1 : 0));
        EXPECT_EQ(sounds(), c.taken ? c.sounds : Strings{});
        // The shield and the keys are left without a word.
        const bool silent = item == ITEM_SHIELD || item >= ITEM_FIRST_KEY;
        EXPECT_EQ(boxes(), c.taken || silent ? Strings{} : Strings{REFUSAL});
        EXPECT_EQ(gs.shield, item == ITEM_SHIELD && c.taken ? gs.shieldMax : 7);
    }
}

TEST_F(Items, ACorridorIsEmptiedUntilTheBagIsFullThenNothingMoreComes) {
    put(ROW, 20, "z99999epuc");
    pack({});
    for (int col = 20; col < 30; ++col) {
        placeHero(ROW, col);
        if (col != 29) actOnTile();  // the chest stays shut
    }
    EXPECT_EQ(std::string(&gs.LevelGrid[ROW][20], 10), "aaaaaaepuc");
    EXPECT_EQ(std::tuple(gs.inventory[16], gs.inventory[5], gs.inventory[1]), std::tuple(1, 5, 0));
    EXPECT_EQ(boxes(), Strings{REFUSAL});
    EXPECT_EQ(sounds(), (Strings{"clé", "ramasse", "ramasse", "ramasse", "ramasse", "ramasse"}));
    // A second key of a colour is taken off the floor and lost.
    pack({{11, 1}});
    enterOn(20, 'u');
    EXPECT_EQ(std::pair(gs.LevelGrid[ROW][20], gs.inventory[11]), std::pair('a', 1));
}

TEST_F(Items, ChestsGiveWhatTheSeedDrawsWithinTheWeightLimit) {
    struct Case {  // the seed's first draw % 14 - 3 is the chest's k
        unsigned seed; const Bag& bag; std::string text; int potions, elixirs, gold; char cell; Strings sounds;
    };
    const std::string heavy = "  Mais tu ne peut pas l'emporter";
    const Bag gold15 = {{GOLD, 15}}, none;
    const Case cases[] = {
        {14, none, "Tu as trouvé une potion!!!", 1, 0, 0, 'r', {"potion"}},                // k = -3
        {10, KG_15_0, "Tu as trouvé une potion!!!" + heavy, 0, 0, 0, 'n', {"potion"}},     // k = -2
        {6, KG_14_95, "Tu as trouvé un elixir!!!", 9, 2, 0, 'r', {"potion"}},              // k = -1
        {6, KG_14_951, "Tu as trouvé un elixir!!!" + heavy, 9, 1, 1, 'o', {"potion"}},
        {2, gold15, "Ce coffre était vide...", 0, 0, 15, 'r', {}},                         // k = 0
        {8, gold15, "Tu as trouvé 5 pieces d'or!!!", 0, 0, 20, 'r', {"tresor"}},           // k = 5
        {1, KG_14_995, "Tu as trouvé 10 pieces d'or!!!", 9, 0, 100, 'r', {"tresor"}},      // k = 10, 5 lost
        {1, KG_15_0, "Tu as trouvé 10 pieces d'or!!!", 0, 0, 0, 'r', {"tresor"}},          // all lost, not -1
    };
    const std::string tutorial = "owner=main icon=info buttons=ok default=ok caption=\"Tu viens de trouver un coffre:\"";
    bool first = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text + " seed " + std::to_string(c.seed));
        pack(c.bag);
        seedRandom(c.seed);
        enterOn(20, 'c');
        EXPECT_EQ(std::tuple(gs.inventory[9], gs.inventory[10], gs.inventory[GOLD]),
                  std::tuple(c.potions, c.elixirs, c.gold));
        EXPECT_EQ(gs.LevelGrid[ROW][20], c.cell);
        EXPECT_EQ(gs.view[gs.heroRow][gs.heroCol], c.cell);
        EXPECT_EQ(sounds(), c.sounds);
        const Strings shown = boxes();
        ASSERT_EQ(shown.size(), first ? 2u : 1u);
        EXPECT_EQ(first, shown[0].rfind(tutorial, 0) == 0) << shown[0];
        EXPECT_EQ(shown.back(), "owner=none icon=none buttons=ok default=ok caption=\"Coffre ouvert...\" text=\"" +
                                    c.text + "\" -> ok");
        first = false;
    }
    EXPECT_EQ(gs.tutoChest, 1);
    // An opened chest, an open door and the background do nothing.
    for (char tile : {'r', '(', 'a'}) {
        pack({});
        enterOn(20, tile);
        EXPECT_EQ(gs.LevelGrid[ROW][20], tile);
        EXPECT_TRUE(hl::transcript().empty()) << tile;
    }
}

TEST_F(Items, KeysOpenOnlyTheDoorOfTheirColourInFrontOfTheHero) {
    struct Case {
        int key, count, facing; char door; int doorCol; bool opens;
    };
    const Case cases[] = {
        {11, 1, 1, '1', 21, true},   {12, 1, 1, '1', 21, false},   // another colour
        {16, 1, -1, '6', 19, true},  {16, 1, 1, '6', 19, false},   // behind him
        {13, 1, 0, '3', 20, true},   {13, 1, 0, '3', 21, false},   // on a ladder: his own cell
        {14, 0, 1, '4', 21, false},  {14, 2, 1, '4', 21, false},   // no key, or a count other than 1
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.key) + " facing " + std::to_string(c.facing) + " door at " +
                     std::to_string(c.doorCol));
        put(ROW, 19, "aaa");
        put(ROW, c.doorCol, std::string(1, c.door));
        placeHero(ROW, 20, c.facing);
        pack({{c.key, c.count}});
        useItem(buttonOf(c.key), nullptr);  // its quick key
        EXPECT_EQ(gs.LevelGrid[ROW][c.doorCol], c.opens ? '(' : c.door);
        EXPECT_EQ(gs.view[gs.heroRow][gs.heroCol + c.doorCol - 20], gs.LevelGrid[ROW][c.doorCol]);
        EXPECT_EQ(sounds(), c.opens ? Strings{"porteouverte"} : c.count == 1 ? Strings{"utilclé"} : Strings{});
        EXPECT_EQ(gs.inventory[c.key], c.count);
    }
    // At the castle's left edge there is nothing in front, not the end of the row above.
    put(ROW - 1, 99, "1");
    put(ROW, 0, "a");
    placeHero(ROW, 0, -1);
    pack({{11, 1}});
    useItem(buttonOf(11), nullptr);
    EXPECT_EQ(gs.LevelGrid[ROW - 1][99], '1');
    EXPECT_EQ(sounds(), Strings{"utilclé"});

    // The blue door of the first hall, opened from (18, 11), shifts the view; the hero keeps his cell.
    for (auto [row, col, shifted] : {std::tuple{18, 11, true}, {18, 12, false}, {19, 11, false}}) {
        put(row, col, "a3");
        placeHero(row, col);
        const int left = gs.viewLeft;
        pack({{13, 1}});
        useItem(buttonOf(13), nullptr);
        EXPECT_EQ(std::tuple(gs.LevelGrid[row][col + 1], gridRow(), gridCol()), std::tuple('(', row, col));
        EXPECT_EQ(gs.viewLeft, shifted ? 1 : left) << row << "," << col;
        EXPECT_EQ(gs.view[gs.heroRow][gs.heroCol + 1], '(');
    }
}

TEST_F(Items, WeaponsBreakDriedLavaAndFlasksByTheirOwnOdds) {
    // Seeds, and the N of the weapons for which their first draw % N is 1.
    const std::pair<unsigned, std::string> seeds[] = {{8, " 9 3 "}, {7, " 6 5 3 2 "}, {1, " 5 2 "},
                                                      {6, " 3 "},   {2, " 2 "},       {0, " "}};
    const int odds[7] = {0, 9, 6, 5, 3, 2, 2};
    for (int weapon = 1; weapon <= 6; ++weapon) {
        for (const auto& [seed, winners] : seeds) {
            const bool wins = winners.find(" " + std::to_string(odds[weapon]) + " ") != std::string::npos;
            for (char target : {'#', 'n', 'o'}) {
                SCOPED_TRACE("weapon " + std::to_string(weapon) + " seed " + std::to_string(seed) + " on " + target);
                facing(target);
                pack({{weapon, 1}});
                seedRandom(seed);
                useItem(buttonOf(weapon), nullptr);
                EXPECT_EQ(ahead(), wins ? 'a' : target);
                EXPECT_EQ(gs.view[gs.heroRow][gs.heroCol + 1], ahead());
                EXPECT_EQ(sounds(), target != '#' ? Strings{} : Strings{wins ? "potionbrise" : "épée mur"});
                EXPECT_EQ(gs.inventory[weapon], 1);
            }
        }
    }
}

TEST_F(Items, LavaMeltsAWeaponAtEachStrikeAndWallsAndTheRestDrawNothing) {
    facing('d');
    pack({{3, 2}});
    for (int i = 0; i < 3; ++i) useItem(buttonOf(3), nullptr);  // the third finds none left
    EXPECT_EQ(gs.inventory[3], 0);
    EXPECT_EQ(sounds(), (Strings{"lave2", "lave2"}));
    EXPECT_EQ(ahead(), 'd');

    // Walls ring, anything else is a slash, and neither uses up a draw: the
    // strike on dried lava after them still gets the seed's first number.
    for (auto [tile, sound] :
         {std::pair{'s', "épée mur"}, {'a', "slash"}, {'g', "slash"}, {'1', "slash"}, {'e', "slash"}}) {
        facing(tile);
        pack({{1, 1}});
        seedRandom(8);
        useItem(buttonOf(1), nullptr);
        EXPECT_EQ(sounds(), Strings{sound});
        EXPECT_EQ(ahead(), tile);
        facing('#');
        useItem(buttonOf(1), nullptr);
        EXPECT_EQ(ahead(), 'a') << tile;
    }
    // Nothing carried, nothing done; ids of no usable item do nothing either.
    facing('#');
    pack({});
    gs.life = 10;
    for (int id : {buttonOf(1), buttonOf(7), buttonOf(9), buttonOf(10), buttonOf(ITEM_SHIELD), 1020, 0, 1039})
        useItem(id, nullptr);
    EXPECT_TRUE(hl::transcript().empty());
    EXPECT_EQ(std::pair(ahead(), gs.life), std::pair('#', 10));
}

TEST_F(Items, PotionsAndElixirsAskFirstWhenLifeIsAlreadyHigh) {
    using platform::Answer;
    struct Case {
        int item, life; Answer answer; bool asked; int lifeAfter, left;
    };
    const Case cases[] = {
        {9, 80, Answer::No, false, 100, 1},   {9, 81, Answer::Yes, true, 100, 1},
        {9, 81, Answer::No, true, 81, 2},     {9, 30, Answer::No, false, 50, 1},
        {10, 87, Answer::No, false, 100, 1},  {10, 88, Answer::Yes, true, 100, 1},
        {10, 88, Answer::No, true, 88, 2},    {10, 0, Answer::No, false, 13, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.item) + " at " + std::to_string(c.life));
        pack({{c.item, 2}});
        gs.life = c.life;
        if (c.asked) hl::queueAnswer(c.answer);
        useItem(buttonOf(c.item), nullptr);
        EXPECT_EQ(std::pair(gs.life, gs.inventory[c.item]), std::pair(c.lifeAfter, c.left));
        EXPECT_EQ(boxes().size(), c.asked ? 1u : 0u);
        EXPECT_EQ(lineIndex("box owner=main icon=info buttons=yesno default=no caption=\"Etes vous sur?\" "
                            "text=\"votre santé est deja haute:") >= 0, c.asked);
        EXPECT_EQ(heard("potion"), c.lifeAfter != c.life);
    }
}

TEST_F(Items, TheHarpDriesTheLavaOnlyFromItsPlace) {
    for (auto [row, col, dries] : {std::tuple{18, 7, false}, {18, 8, true}, {18, 11, true}, {18, 12, false},
                                   {17, 9, false}, {19, 9, false}}) {
        put(14, 1, "d");
        placeHero(row, col);
        pack({{7, 1}});
        useItem(buttonOf(7), nullptr);
        EXPECT_TRUE(heard("harpe"));
        EXPECT_EQ(gs.LevelGrid[14][1], dries ? '#' : 'd') << row << "," << col;
    }
}

TEST_F(Items, ShopsAndTroubadoursAnswerEnterOnTheirTilesAndNothingElseDoes) {
    gs.tutoShop = 1;  // the shop's first-visit box aside
    for (auto [tile, dialogs, boxCount] : {std::tuple{'0', 1, 0}, {'j', 0, 1}, {')', 0, 0}}) {
        SCOPED_TRACE(std::string(1, tile));
        hl::setScript({"close"});  // leaves the shop if one opens
        pack({});
        enterOn(40, tile);
        EXPECT_EQ(static_cast<int>(linesAfter("dialog open 113").size()), dialogs);
        EXPECT_EQ(static_cast<int>(boxes().size()), boxCount);
        EXPECT_EQ(gs.LevelGrid[ROW][40], tile);
    }
}

TEST_F(Items, TheOrangeDoorFreesTheCaptivesOnlyFromTheirCorridor) {
    for (auto [col, frees] : {std::pair{28, false}, {29, true}, {32, true}, {33, false}}) {
        SCOPED_TRACE(col);
        put(60, 26, "a");
        put(60, col, "a5");
        placeHero(60, col);
        pack({{15, 1}});
        useItem(buttonOf(15), nullptr);
        EXPECT_EQ(gs.LevelGrid[60][col + 1], '(');
        EXPECT_EQ(boxes().size(), frees ? 1u : 0u);
        EXPECT_EQ(gs.LevelGrid[60][26], frees ? '8' : 'a');
    }
}

}  // namespace
