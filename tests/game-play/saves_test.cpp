// Sauvegardes.sav byte for byte against files built here from the format, the
// slot dialogs, the quick save, and the file's faults.
#include <signal.h>
#include <sys/resource.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/files.h"
#include "items/weight.h"
#include "play_fixture.h"
#include "resources/dlg_slots.h"
#include "saves/slots.h"
#include "shell/statedump.h"

using namespace play;

namespace {

// One record as the format gives it, built without the game's code.
struct Record {
    std::string name;          // as stored: Windows-1252, spaces as 0xA4
    std::vector<int> numbers;  // the 28 numbers in file order
    std::vector<int> counts;   // inventory 0..17
    std::string grid;          // the 10,000 cells
};
std::string text(const Record& r) {
    std::string s = r.name;
    for (int n : r.numbers) s += " " + std::to_string(n);
    s += " ";
    for (int n : r.counts) s += " " + std::to_string(n);
    for (char c : r.grid) s += std::string(" ") + c;
    return s + " ";
}
std::string pattern(const char* tiles, int step) {
    std::string grid(GRID_CELLS, 'a');
    for (int k = 0; k < GRID_CELLS; ++k) grid[k] = tiles[(k * step / 7) % std::strlen(tiles)];
    return grid;
}

// The numbers in file order (see numberFields); all differ.
const Record KNIGHT = {"Le\xA4" "chevalier\xA4Sans\xA4Nom",
                       {3, 41, 170, 20, 30, 106, 107, 108, 109, 110, 111, 112, 113, 114, 115, 116, 7, -1, 8, 9, 40, 50, 6,
                        4, 77, 109, 12, 1},
                       {0, 1, 0, 2, 0, 0, 0, 1, 1, 3, 4, 1, 0, 0, 0, 0, 1, 250},
                       pattern("asq#d(gk", 3)};
const Record GAUVAIN = {"Sire\xA4Gauvain\xA4\xE9",
                        {2, 0, 10, 250, 40, 1, 0, 1, 1, 1, 0, 1, 1, 0, 0, 0, 100, 0, 0, 55, 85, 0, 14, 10, 200, 200, 0, 0},
                        {9, 0, 0, 0, 0, 1, 0, 0, 0, 5, 2, 0, 1, 0, 0, 0, 0, 3000},
                        pattern("as1q", 5)};
const Record EMPTY = {"(vide)", std::vector<int>(28, 0), std::vector<int>(18, 0), std::string(GRID_CELLS, 's')};

void writeBytes(const std::string& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}
std::string readBytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
std::string fileOf(std::initializer_list<Record> records) {
    std::string s;
    for (const Record& r : records) s += text(r);
    return s;
}

// The game's variables behind the 28 numbers, in file order.
std::vector<int*> numberFields() {
    return {&gs.currentWeapon, &gs.shield, &gs.favoriteBlue, &gs.favoriteRed, &gs.favoriteGreen, &gs.tutoSkills,
            &gs.tutoShop, &gs.tutoKnight, &gs.tutoChest, &gs.tutoFirstFight, &gs.tutoGuard, &gs.tutoGhoul,
            &gs.tutoInventory, &gs.tutoSpare2, &gs.tutoSave, &gs.tutoSpare1, &gs.strength, &gs.heroFacing,
            &gs.precision, &gs.resistance, &gs.viewLeft, &gs.viewTop, &gs.heroCol, &gs.heroRow, &gs.life,
            &gs.maxLife, &gs.protection, &gs.customLevel};
}
// The live game of KNIGHT.
void playKnight() {
    for (std::size_t k = 0; k < KNIGHT.numbers.size(); ++k) *numberFields()[k] = KNIGHT.numbers[k];
    std::ranges::copy(KNIGHT.counts, gs.inventory);
    std::memcpy(gs.LevelGrid, KNIGHT.grid.data(), GRID_CELLS);
    gs.playerName = "Le chevalier Sans Nom";
    std::tie(gs.savedViewLeft, gs.savedViewTop, gs.shieldMax) = std::tuple(40, 50, 62);
    refreshView();
}

// Which of the five slots hold a game.
std::string loadable() {
    std::string s;
    for (int k = 0; k < SLOT_COUNT; ++k) s += slotLoadable(k) ? '1' : '0';
    return s;
}

// The 15 fields a slot dialog shows once open, as "name/gold/xp" per slot.
Strings fields;
platform::WindowProc spied = nullptr;
long spyProc(platform::Window dlg, platform::Msg msg, long a, long b) {
    long result = spied(dlg, msg, a, b);
    if (msg == platform::Msg::InitDialog) {
        fields.clear();
        for (int s = 0; s < SLOT_COUNT; ++s)
            fields.push_back(hl::itemText(dlg, IDC_SLOT_NAME[s]) + "/" + hl::itemText(dlg, IDC_SLOT_GOLD[s]) + "/" +
                             hl::itemText(dlg, IDC_SLOT_XP[s]));
    }
    return result;
}

// What the window showed when the file was written: the clock, and the right
// and bottom edges of the black text and of its grey shadow.
long long writtenAt = -1;
std::pair<int, int> blackEnd, greyEnd;
void watchWrite(const std::string&, std::string_view) {
    writtenAt = hl::nowMs();
    blackEnd = greyEnd = {-1, -1};
    for (int y = 60; y < 140; ++y)
        for (int x = 60; x < 480; ++x) {
            const unsigned c = hl::pixel(gs.mainWindow, x, y);
            if (c != 0 && c != 0xC8C8C8) continue;
            auto& end = c == 0 ? blackEnd : greyEnd;
            end = {std::max(end.first, x), std::max(end.second, y)};
        }
}

class Saves : public PlayTest {
protected:
    static void run(const Strings& script, void (*command)()) {
        hl::setScript(script);
        command();
        EXPECT_TRUE(hl::scriptDone());
    }
};

}  // namespace

TEST_F(Saves, TheSaveShowsItsTextPausesAndWritesFiveRecordsByteForByte) {
    playKnight();
    gs.playerName = "";  // an empty name is stored as the proposed one
    platform::setFileWriteObserver(watchWrite);
    saveToSlot(2);
    EXPECT_TRUE(readBytes("Sauvegardes.sav") == fileOf({EMPTY, EMPTY, KNIGHT, EMPTY, EMPTY}));
    EXPECT_GE(writtenAt, SAVE_PAUSE_MS);
    EXPECT_GT(blackEnd.first, 200);
    EXPECT_EQ(greyEnd, std::pair(blackEnd.first + 2, blackEnd.second + 2)) << "the shadow, 2 pixels down and right";
    EXPECT_TRUE(boxes().empty());
    EXPECT_EQ(gs.saveSlots[2].name, "Le chevalier Sans Nom");
}

TEST_F(Saves, AFileBuiltFromTheFormatLoadsVariableByVariable) {
    writeBytes("Sauvegardes.sav", fileOf({EMPTY, GAUVAIN, KNIGHT, EMPTY, EMPTY}));
    std::tie(gs.onTitleScreen, gs.escapeMode, gs.shieldMax, gs.currentSlot) = std::tuple(1, 1, 999, 4);
    gs.inventory[0] = 0;
    run({"click 1034"}, loadCommand);
    std::vector<int> numbers;
    for (int* field : numberFields()) numbers.push_back(*field);
    EXPECT_EQ(numbers, KNIGHT.numbers);
    std::vector<int> counts = KNIGHT.counts;
    counts[0] = 0;  // index 0 is not loaded
    EXPECT_EQ(std::vector<int>(std::begin(gs.inventory), std::end(gs.inventory)), counts);
    EXPECT_EQ(std::string(&gs.LevelGrid[0][0], GRID_CELLS), KNIGHT.grid);
    EXPECT_EQ(std::string(gs.view[0], VIEW_COLS), KNIGHT.grid.substr(50 * GRID_COLS + 40, VIEW_COLS));
    EXPECT_EQ(std::tie(gs.playerName, gs.shieldMax, gs.currentSlot, gs.escapeMode, gs.onTitleScreen),
              std::tuple("Le chevalier Sans Nom", 62, 2, 0, 0));
    EXPECT_EQ(musics(), (Strings{"0", "1"}));
    EXPECT_NE(lineIndex("window place 321 200 480 400"), -1);

    // A name with its spaces and an accented letter, from the file's single bytes;
    // a game loaded while looking around (a reload after death) ends the look.
    gs.lookMode = 1;
    run({"click 1033"}, loadCommand);
    EXPECT_EQ(std::tie(gs.playerName, gs.shieldMax, gs.life, gs.lookMode), std::tuple("Sire Gauvain é", 50, 200, 0));
}

TEST_F(Saves, ASaveThenALoadOfTheSameSlotGivesEverythingBack) {
    playKnight();
    std::tie(gs.currentSlot, gs.chosenSlot) = std::tuple(3, 3);
    computeCarriedWeight();
    saveToSlot(3);
    const std::string before = gameStateDump();
    fill('k');  // another game in between
    std::tie(gs.life, gs.strength, gs.viewLeft, gs.heroRow, gs.shieldMax, gs.tutoSpare1) = std::tuple(5, 0, 0, 2, 50, 0);
    gs.inventory[5] = 4;
    gs.playerName = "autre";
    run({"click 1036"}, loadCommand);
    EXPECT_EQ(gameStateDump(), before);
}

// "ï»¿" is the byte-order mark in Windows-1252: first in the file, the reader would skip it.
TEST_F(Saves, ANameThatWouldStartTheFileWithAByteOrderMarkKeepsItsPlace) {
    playKnight();
    gs.playerName = "\u00EF\u00BB\u00BFJo";
    saveToSlot(0);
    readSaveFile();
    EXPECT_EQ(gs.saveSlots[0].name, "?\u00BB\u00BFJo");
    EXPECT_TRUE(slotLoadable(0));
}

TEST_F(Saves, TheDialogsShowTheSlotsAndTheirMusicAndTutorial) {
    writeBytes("Sauvegardes.sav", fileOf({KNIGHT, EMPTY, GAUVAIN, EMPTY, EMPTY}));
    readSaveFile();
    const struct {
        const platform::DialogDef& dlg;
        platform::WindowProc proc;
        const char* knightXp;  // 7 + 8 + 9, and protection 12
    } dialogs[] = {{saveSlotDialog(), saveDialogProc, "36"}, {loadSlotDialog(), loadDialogProc, "36"},
                   {defaultSlotDialog(), defaultSlotDialogProc, "24"}};
    for (const auto& d : dialogs) {
        spied = d.proc;
        hl::setScript({"click 2"});
        platform::dialogBox(d.dlg, gs.mainWindow, spyProc);
        EXPECT_EQ(fields, (Strings{"Le chevalier Sans Nom/250/" + std::string(d.knightXp), "//",
                                   "Sire Gauvain é/3000/155", "//", "//"}));
        EXPECT_EQ(gs.chosenSlot, -1);
    }

    // The load dialog's music: silence while open, then the game's or the title's.
    const struct {
        int title;
        Strings script;
        Strings music;
        int titleAfter;
    } loads[] = {{1, {"click 2"}, {"0", "4"}, 1},
                 {0, {"click 2"}, {"0", "1"}, 0},
                 {1, {"click 1033", "click 1032"}, {"0", "1"}, 0}};  // an empty slot is refused first
    for (const auto& l : loads) {
        hl::clearTranscript();
        gs.onTitleScreen = l.title;
        run(l.script, loadCommand);
        EXPECT_EQ(musics(), l.music);
        EXPECT_EQ(gs.onTitleScreen, l.titleAfter);
        EXPECT_EQ(boxes().size(), l.script.size() - 1);
    }
    EXPECT_NE(boxes().at(0).find("caption=\"Emplacement vide...\" text=\"L'emplacement 2 est vide"), std::string::npos);

    // The save tutorial comes once, then saving into an empty slot asks nothing.
    gs.tutoSave = 0;
    hl::clearTranscript();
    run({"click 2"}, saveWithDialog);
    run({"click 1038"}, saveWithDialog);
    EXPECT_EQ(boxes().size(), 1u);
    EXPECT_NE(boxes()[0].find("caption=\"Tutoriel de sauvegarde:\""), std::string::npos);
    EXPECT_EQ(std::tie(gs.currentSlot, gs.tutoSave), std::tuple(4, 1));
    EXPECT_EQ(loadable(), "10101");
}

TEST_F(Saves, TheQuickSaveAsksAboutTheSlotNumberedFromOne) {
    playKnight();
    const struct {
        int slot;
        char escape;
        const char* asked;  // "" when nothing is asked
    } cases[] = {{0, 0, "emplacement 1??"}, {4, 0, "emplacement 5??"}, {-1, 0, ""}, {2, 1, ""}};
    for (const auto& c : cases) {
        std::tie(gs.currentSlot, gs.escapeMode) = std::tuple(c.slot, c.escape);
        hl::clearTranscript();
        if (*c.asked) hl::queueAnswer(platform::Answer::Yes);
        quickSave();
        ASSERT_EQ(boxes().size(), *c.asked ? 1u : 0u) << c.slot;
        EXPECT_EQ(lineIndex("box owner=main icon=info buttons=yesno default=yes caption=\"Estes vous sur?\" "
                            "text=\"Etes vous sur de vouloir sauvegarder a l'" + std::string(c.asked)) >= 0, *c.asked != 0);
    }
    hl::queueAnswer(platform::Answer::No);
    gs.escapeMode = 0;
    gs.currentSlot = 2;
    quickSave();
    EXPECT_EQ(loadable(), "10001");
}

TEST_F(Saves, AWriteThatFailsKeepsTheOldFileAndSaysSo) {
    const std::string old = fileOf({GAUVAIN, EMPTY, EMPTY, EMPTY, EMPTY});
    writeBytes("Sauvegardes.sav", old);
    readSaveFile();
    playKnight();
    // The disk takes no more than 20 kB: the new file cannot be written whole.
    rlimit before{};
    getrlimit(RLIMIT_FSIZE, &before);
    auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit small = before;
    small.rlim_cur = 20000;
    setrlimit(RLIMIT_FSIZE, &small);
    saveToSlot(1);
    setrlimit(RLIMIT_FSIZE, &before);
    signal(SIGXFSZ, oldHandler);

    EXPECT_TRUE(readBytes("Sauvegardes.sav") == old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), std::filesystem::directory_iterator()), 2)
        << "only the save and sons/ are left";
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_NE(boxes()[0].find("icon=error buttons=ok default=ok caption=\"Erreur de sauvegarde...\""), std::string::npos);
    EXPECT_EQ(loadable(), "10000") << "memory still mirrors the file";
}

TEST_F(Saves, CutAndCorruptFilesGiveTheSlotsReadWholeAndTheNextSaveMendsThem) {
    const Strings records = {text(KNIGHT), text(GAUVAIN), text(EMPTY), text(KNIGHT), text(GAUVAIN)};
    std::string whole;
    std::vector<std::size_t> ends;  // where each record's last cell ends
    for (const std::string& r : records) ends.push_back((whole += r).size() - 1);

    // Cut anywhere: a slot is read when its last cell made it into the file.
    std::vector<std::size_t> cuts = {0, 5, ends[0] - 1, ends[0], ends[0] + 3, ends[1], ends[3] + 1, whole.size() - 2};
    for (std::size_t cut = 7; cut < whole.size(); cut += 9973) cuts.push_back(cut);
    for (std::size_t cut : cuts) {
        writeBytes("Sauvegardes.sav", whole.substr(0, cut));
        readSaveFile();
        std::string want;
        for (int k = 0; k < SLOT_COUNT; ++k) want += k != 2 && ends[k] <= cut ? '1' : '0';
        EXPECT_EQ(loadable(), want) << "cut at " << cut;
    }

    // One token of slot 1 changed, taken out or doubled; the other slots stay readable.
    const std::size_t slot1 = records[0].size();
    const auto numberAt = [&](int k) {  // the offset of number k (0 = the first) of slot 1
        std::size_t p = slot1;
        for (int i = 0; i <= k; ++i) p = whole.find_first_not_of(' ', whole.find(' ', p));
        return p;
    };
    const struct {
        int number;
        std::string replacement;
    } faults[] = {
        {5, "x12"},      {20, "86"},        {21, "-1"},    {23, "11"},          {24, "1000001"}, {25, "201"},
        {17, "2"},       {16, "101"},       {25, "0"},     {30, "-3"},          {45, "99999"},   {24, "99999999999"},
        {0, "7 7"},      {40, ""},          {-1, ""},  // a token doubled, a count dropped, the name dropped
    };
    for (const auto& f : faults) {
        std::string bytes = whole;
        const std::size_t at = f.number < 0 ? slot1 : numberAt(f.number);
        const std::size_t end = bytes.find(' ', at) + 1;
        bytes.replace(at, end - at, f.replacement.empty() ? "" : f.replacement + " ");
        writeBytes("Sauvegardes.sav", bytes);
        readSaveFile();
        EXPECT_EQ(loadable(), "10011") << f.number << " " << f.replacement;
        EXPECT_EQ(gs.saveSlots[4].name, "Sire Gauvain é");
    }

    // The next save writes five whole records again.
    playKnight();
    saveToSlot(2);
    readSaveFile();
    EXPECT_EQ(loadable(), "10111");
    EXPECT_TRUE(readBytes("Sauvegardes.sav") == fileOf({KNIGHT, EMPTY, KNIGHT, KNIGHT, GAUVAIN}));

    // A slot the Windows game never saved: its numbers, without name nor cells.
    std::string neverSaved;
    for (int k = 0; k < 46; ++k) neverSaved += k == 28 ? "  0" : " 0";
    writeBytes("Sauvegardes.sav", records[0] + neverSaved + std::string(10001, ' ') + records[1] + records[2] + records[3]);
    readSaveFile();
    EXPECT_EQ(loadable(), "10101");
}

TEST_F(Saves, AMissingFileGivesEmptySlotsAndAWindowsNameIsFound) {
    readSaveFile();
    EXPECT_EQ(loadable(), "00000");
    writeBytes("sauvegardes.sav", fileOf({EMPTY, EMPTY, EMPTY, EMPTY, GAUVAIN}));
    readSaveFile();
    EXPECT_EQ(loadable(), "00001");
}
