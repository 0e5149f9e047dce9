// The editor's menu, and editing sessions on the headless backend: in this process (what the author
// sees, what ends up in perso.niv, the level in the game) and through the runner as outside checks do.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "editor.h"
#include "editorstate.h"
#include "game/state.h"
#include "menu.h"
#include "platform/headless.h"
#include "support.h"
#include "world/level.h"

namespace {

namespace hl = platform::headless;
using namespace editortest;
using namespace ::testing;

// Every command once, by its path through the sub-menus.
void collect(const platform::MenuEntry& entry, const std::string& path, std::map<int, std::string>& commands) {
    for (const platform::MenuEntry& child : entry.children) collect(child, path + "/" + entry.text, commands);
    if (entry.children.empty() && entry.id != 0) {
        EXPECT_TRUE(commands.emplace(entry.id, path + "/" + entry.text).second) << "twice: " << entry.id;
    }
}

TEST(EditorMenu, ToolsLiveInTheirSubMenusAndPlaceDistinctTiles) {
    std::map<int, std::string> commands;
    for (const platform::MenuEntry& entry : editorMenu()) collect(entry, "", commands);
    std::set<char> tiles;
    for (const auto& [id, path] : commands)
        if (char tile = toolForCommand(id)) {
            EXPECT_TRUE(tiles.insert(tile).second) << path;
            EXPECT_THAT(path, StartsWith("/Menu/changer curseur/"));
        }
    EXPECT_EQ(tiles.size(), 36u);
    EXPECT_EQ(tiles.count('j') + tiles.count(START_TOOL), 0u);  // troubadours only in the built-in level
    EXPECT_EQ(commands.size(), 36u + 6);                        // the tools and these:
    EXPECT_THAT(commands, IsSupersetOf({Pair(CMD_SET_START, "/Menu/definir le pt. de depart"), Pair(CMD_UNDO, "/Menu/Annuler"),
                                        Pair(CMD_REDRAW, "/Menu/Tout reaficher"), Pair(CMD_LOAD_LEVEL, "/Menu/Charger"),
                                        Pair(CMD_SAVE_LEVEL, "/Menu/Sauvegarder"), Pair(CMD_QUIT_EDITOR, "/Menu/Quitter"),
                                        Pair(40095, "/Menu/changer curseur/Armes/Hache malefique")}));
}

struct Result {
    bool ended = false;  // in process: the editor ended before the script did
    std::vector<std::string> boxes, grids;  // every grid= line
    std::map<std::string, std::string> dump;  // the last value of each name=value line
    std::string start() { return dump["startCol"] + " " + dump["startRow"]; }
};

// A level with floor in row 50 and lava in the last cell.
const std::string SAMPLE = with(std::string(5000, 'a') + std::string(100, 's'), {{9999, 'd'}});

class Editor : public ::testing::Test {
protected:
    void SetUp() override {
        for (const std::string& d : {dir.path, platform::dirName(platform::executablePath())})
            writeEditorPictures(d, "asgqkid");
    }
    void TearDown() override { hl::reset(), resetEditorState(); }

    Result parse(Result r, const std::string& out) {
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);) {
            std::size_t eq = line.find('=');
            if (eq != std::string::npos && line.find(' ') > eq) r.dump[line.substr(0, eq)] = line.substr(eq + 1);
            if (line.rfind("box ", 0) == 0) r.boxes.push_back(line);
            if (line.rfind("grid=", 0) == 0) r.grids.push_back(line.substr(5));
        }
        return r;
    }
    // The editor in this process until the script ends.
    Result run(const std::string& text) {
        TearDown();
        hl::setScript(script(text));
        Result r;
        try { r.ended = (editorMain(), true); } catch (const hl::ScriptEnd&) {}
        std::string out;
        for (const std::string& line : hl::transcript()) out += line + "\n";
        return parse(r, out + editorStateDump());
    }
    // quelmar-headless --editor, the scratch directory as working and game directory.
    Result runner(const std::string& text) {
        std::string lines;
        for (const std::string& line : script(text)) lines += line + "\n";
        writeFile("script.txt", lines);
        int status = -1;
        std::string out = output("'" QUELMAR_HEADLESS "' --editor --gamedir '" + dir.path + "' script.txt", &status);
        EXPECT_EQ(status, 0) << out.substr(out.size() < 200 ? 0 : out.size() - 200);
        return parse({}, out);
    }
    void level(const std::string& cells, int col = 0, int row = 0) { writeFile("perso.niv", levelText(cells, col, row)); }
    unsigned pixelOf(int col, int row) const { return hl::pixel(hl::mainWindow(), mid(col), mid(row)); }

    ScratchDir dir;
};

// Sessions through the runner: the grid, start cell and tool of the last dump.
TEST_F(Editor, RunnerMouseEdgesDragsAnnulerAndTheStartPointTool) {
    const std::string floor = with("", {{5000, 's'}}), walls(10000, 's');
    const struct { std::string cells; int col, row; const char* script; std::string grid, startAndTool; } rows[] = {
        // (2, 2) then (0, 0): both cell (0, 0); (701, 701): cell (99, 99); (702, 5) outside.
        {"", 50, 50, "click 2,2; menu 40064; click 701,701; menu 40042; click 0,0; menu 40043; click 702,5",
         with("", {{0, 'q'}, {9999, 'g'}}), "50 50 d"},
        {floor, 0, 0, "drag @0,50 @1,50 @2,51", with(floor, {{5001, 's'}, {5102, 's'}}), "0 0 s"},
        {floor, 0, 0, "drag @0,50 @1,50 @2,51; menu 40068", floor, "0 0 s"},
        {"", 0, 0, "menu 40042; menu 40081; drag @5,6 @6,6", with("", {{606, 'q'}}), "5 6 q"},
        {"", 0, 0, "menu 40081; menu 40081; click @9,9; mouse rdown @1,0", with("", {}), "9 9 \xC2\xB2"},
        {walls, 0, 0, "menu 40081; mouse rdown @3,4", with(walls, {{403, 'a'}}), "0 0 \xC2\xB2"}};
    for (const auto& r : rows) {
        level(r.cells, r.col, r.row);
        Result out = runner(r.script);
        EXPECT_EQ(out.dump["grid"], r.grid) << r.script;
        EXPECT_EQ(out.start() + " " + out.dump["currentTool"], r.startAndTool) << r.script;
    }
}

TEST_F(Editor, RunnerSaveTwiceWithTheStartMovedWritesTheBytes) {
    const std::string cells = with("\xE9", {});  // Windows-1252 "é" stays one byte
    level(cells, 3, 4);
    Result r = runner("menu 40057; menu 40081; click @99,0; menu 40064; click @0,99; menu 40057");
    EXPECT_EQ(readFile("perso.niv"), with(cells, {{9900, 'g'}}) + " 99 0 ");
    EXPECT_THAT(r.boxes, Contains(HasSubstr("caption=\"Editeur \" text=\"sauvegardé\"")).Times(2));
    EXPECT_EQ(r.dump["grid"].substr(0, 2), "\xC3\xA9");
}

TEST_F(Editor, RunnerXpFigureOfTwoGuardsAGhoulAndAKnight) {
    level(with("", {{10, 'g'}, {20, 'i'}}));
    EXPECT_EQ(runner("menu 40064; click @50,50; menu 40065; click @60,60").dump["levelXp"], "9");
}

TEST_F(Editor, ScreenFollowsEveryEdit) {
    level(SAMPLE, 8, 50);
    run("click 0,0; mouse rdown @8,50;"              // (0, 0) is cell (0, 0); the start cell cleared
        "menu 40043; drag @6,50 @7,50 @8,50 @9,50;"  // a lava stroke over the start cell
        "menu 40081; click @20,30; menu 40055; mouse ldown @30,50");  // 'z' has no picture
    // At (8, 50) the old marker is gone, the cell's own picture back; at (30, 50) not the old floor.
    const unsigned face = platform::BUTTON_FACE.r << 16 | platform::BUTTON_FACE.g << 8 | platform::BUTTON_FACE.b;
    for (auto [col, row, want] : {std::tuple{0, 0, colorOf('s')}, {8, 50, colorOf('d')}, {9, 50, colorOf('d')}, {30, 50, face}})
        EXPECT_EQ(pixelOf(col, row), want) << col << "," << row;

    // Whatever the system erased comes back at the next paint.
    platform::invalidate(hl::mainWindow(), nullptr, true);
    platform::updateWindow(hl::mainWindow());
    for (auto [col, row, want] : {std::tuple{40, 50, colorOf('s')}, {40, 40, colorOf('a')}, {99, 99, colorOf('d')},
                                  {20, 30, MARKER}})
        EXPECT_EQ(pixelOf(col, row), want) << col << "," << row;
}

TEST_F(Editor, AnnulerUndoesTheLastStrokeOnlyAndNothingBeforeAPress) {
    level(SAMPLE, 4, 5);
    // The right button takes no undo copy.
    EXPECT_EQ(run("menu 40068; mouse rdown @10,50; menu 40068").dump["grid"], with(SAMPLE, {{5010, 'a'}}));
    Result r = run("menu 40043; drag @10,49 @11,49; menu 40045; drag @20,50 @21,50; menu 40068; menu 40068");
    EXPECT_EQ(r.dump["grid"], with(SAMPLE, {{4910, 'd'}, {4911, 'd'}}));
    for (auto [col, row, tile] : {std::tuple{21, 50, 's'}, {11, 49, 'd'}}) EXPECT_EQ(pixelOf(col, row), colorOf(tile)) << col;
}

// Each file is loaded as far as it can be, the author told what was wrong, and what
// was loaded saved again whole (never a zero byte, always " %d %d ").
TEST_F(Editor, LoadingAndSavingSayWhatHappenedAndSavingWritesWhole) {
    const std::string q(EDITOR_CELLS, 'q'), chosen = "text=\"Niveau chargé!\"";
    struct Row { std::string file, grid, start, box; };  // no file when empty; the box as a regular expression
    for (const Row& r : std::vector<Row>{{"", "", "0 0", "owner=none icon=info.*introuvable"},
                                         {"sgsq 3 x", "sgsq", "3 0", "icon=warning.*incomplet.*illisible"},
                                         {q + "zzz 0 0", q, "0 0", chosen},
                                         {q + " douze 3x", q, "0 0", "icon=warning.*illisible"},
                                         {q + " 12abc 7", q, "0 7", "illisible.*colonne 0, ligne 7"},
                                         {"\xEF\xBB\xBF" + q + " 1 2 ", q, "1 2", chosen},  // a text editor's mark
                                         // The same bytes as cells: written, they would read as the mark.
                                         {"\n\xEF\xBB\xBF" + q.substr(3) + " 1 2 ", "a\xBB\xBF" + q.substr(3), "1 2", chosen},
                                         {q + " -4 100", q, "0 99", "icon=warning.*hors de la grille"},
                                         {q + " 99999999999999999999 5", q, "99 5", "hors de la grille"},
                                         {with(q, {{10, '\0'}}) + " 1 1 ", with(q, {{10, 'a'}}), "1 1", chosen}}) {
        SCOPED_TRACE(r.file.substr(r.file.size() < 30 ? 0 : r.file.size() - 30));
        std::filesystem::remove("perso.niv");
        if (!r.file.empty()) writeFile("perso.niv", r.file);
        // What was loaded, as the file saved right away shows it.
        EXPECT_THAT(run("menu 40057").boxes, ElementsAre(ContainsRegex(r.box), HasSubstr("text=\"sauvegardé\"")));
        EXPECT_EQ(readFile("perso.niv"), with(r.grid, {}) + " " + r.start + " ");
    }

    // Charger replaces the edits with the file; with the file gone it keeps them.
    level(SAMPLE, 1, 2);
    Result loaded = run("click @0,0; menu 40058");
    EXPECT_EQ(loaded.dump["grid"], SAMPLE);
    EXPECT_THAT(loaded.boxes, ElementsAre(_, HasSubstr("caption=\"Editeur \" " + chosen)));
    std::filesystem::remove("perso.niv");
    Result kept = run("click @0,0; menu 40058");
    EXPECT_EQ(kept.dump["grid"][0], 's');
    EXPECT_THAT(kept.boxes, ElementsAre(_, HasSubstr("icon=error")));

    // A failed save says so, and leaves what was there.
    std::filesystem::remove("perso.niv");
    std::filesystem::create_directory("perso.niv");
    writeFile("perso.niv/keep", "x");
    Result failed = run("menu 40057");
    EXPECT_THAT(failed.boxes, ElementsAre(_, ContainsRegex("icon=error.*La sauvegarde a échoué")));
    EXPECT_EQ(readFile("perso.niv/keep"), "x");
}

TEST_F(Editor, QuitAndCloseAskFirst) {
    level("");
    Result no = run("answer no; menu 40003; close");  // the close box defaults to No
    EXPECT_FALSE(no.ended);
    const auto asked = HasSubstr("icon=question buttons=yesno default=no caption=\"Editeur \" "
                                 "text=\"Etes vous sûr de vouloir quitter?\" -> no");
    EXPECT_THAT(no.boxes, ElementsAre(_, asked, asked));
    EXPECT_TRUE(run("answer yes; menu 40003; menu 40057").ended);
    EXPECT_FALSE(hl::scriptDone());  // ended before the save line
    EXPECT_TRUE(run("answer yes; close").ended);
}

TEST_F(Editor, AnyKeyShowsTheCellUnderTheMouse) {
    level("");
    Result r = run("mouse move 702 5; key A; mouse move 0 0; key Space; mouse move 400 750; key F3");
    EXPECT_THAT(r.boxes, ElementsAre(_, HasSubstr("caption=\"Position:\" text=\" X:100,Y:0 \""),
                                     HasSubstr("text=\" X:0,Y:0 \""), HasSubstr("text=\" X:56,Y:106 \"")));
    EXPECT_EQ(r.dump["grid"], with("", {}));
}

// From nothing: a floor drawn by dragging, a guard, a start on the border;
// the game's loader then gives the same grid and start cell.
TEST_F(Editor, SavedLevelLoadsIntoTheGame) {
    Result r = run("menu 40053; drag @0,98 @50,98 @99,98; menu 40064; click @40,97; menu 40081; click @99,97;"
                   "menu 40057");
    EXPECT_EQ(r.dump["grid"], with("", {{9800, 's'}, {9850, 's'}, {9899, 's'}, {9740, 'g'}}));
    gs = GameState{};
    loadCustomLevel();
    EXPECT_EQ(std::string(&gs.LevelGrid[0][0], GRID_CELLS), r.dump["grid"]);
    EXPECT_EQ(std::to_string(gs.customStartCol) + " " + std::to_string(gs.customStartRow), "99 97");
}

}  // namespace
