// The editor's pure rules: mouse mapping, the level text both ways, the XP
// figure and the shape of menu 102.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "draw.h"
#include "level.h"
#include "menu.h"
#include "editorstate.h"
#include "window.h"

namespace {

struct Mapped {
    int x, y;
    bool inside;
    int col, row;
};

TEST(EditorMouse, ClientPixelsToCells) {
    const Mapped cases[] = {
        {2, 2, true, 0, 0},       {701, 701, true, 99, 99}, {0, 0, true, 0, 0},
        {702, 5, false, 100, 0},  {8, 9, true, 0, 1},       {9, 8, true, 1, 0},
        {5, 702, false, 0, 100},  {-5, 3, false, -1, 0},    {779, 709, false, 111, 101},
    };
    for (const Mapped& m : cases) {
        int col = -7, row = -7;
        EXPECT_EQ(cellFromClient(m.x, m.y, col, row), m.inside) << m.x << "," << m.y;
        EXPECT_EQ(col, m.col) << m.x << "," << m.y;
        EXPECT_EQ(row, m.row) << m.x << "," << m.y;
    }
}

TEST(EditorLevelText, FormatIsCellsThenStartWithBlanks) {
    std::string grid(EDITOR_CELLS, 's');
    grid[0] = 'g';
    grid[9999] = static_cast<char>(0xE9);  // a Windows-1252 byte stays one byte
    grid[5000] = 0;                        // never filled: written as background
    std::string text = formatLevel(grid.data(), 12, 99);
    ASSERT_EQ(text.size(), 10000u + 7u);
    EXPECT_EQ(text.substr(10000), " 12 99 ");
    EXPECT_EQ(text[0], 'g');
    EXPECT_EQ(static_cast<unsigned char>(text[9999]), 0xE9);
    EXPECT_EQ(text[5000], 'a');
    EXPECT_EQ(text.find('\0'), std::string::npos);
}

TEST(EditorLevelText, ParseWholeShortAndDamagedFiles) {
    std::string cells(EDITOR_CELLS, 'q');
    LevelRead whole = parseLevel(true, {cells, "7", "42"});
    EXPECT_FALSE(whole.shortGrid || whole.startUnreadable || whole.startOutside);
    EXPECT_EQ(whole.grid, cells);
    EXPECT_EQ(whole.startCol, 7);
    EXPECT_EQ(whole.startRow, 42);

    // A longer token keeps its first 10,000 characters.
    LevelRead longer = parseLevel(true, {cells + "zzz", "0", "0"});
    EXPECT_EQ(longer.grid, cells);
    EXPECT_FALSE(longer.shortGrid);

    LevelRead shortOne = parseLevel(true, {"sgs"});
    EXPECT_TRUE(shortOne.shortGrid);
    EXPECT_TRUE(shortOne.startUnreadable);
    EXPECT_EQ(shortOne.grid.substr(0, 4), "sgsa");
    EXPECT_EQ(shortOne.grid.size(), static_cast<std::size_t>(EDITOR_CELLS));
    EXPECT_EQ(shortOne.grid.find_first_not_of('a', 3), std::string::npos);

    LevelRead words = parseLevel(true, {cells, "douze", "3x"});
    EXPECT_TRUE(words.startUnreadable);
    EXPECT_EQ(words.startCol, 0);
    EXPECT_EQ(words.startRow, 0);

    LevelRead outside = parseLevel(true, {cells, "-4", "100"});
    EXPECT_TRUE(outside.startOutside);
    EXPECT_FALSE(outside.startUnreadable);
    EXPECT_EQ(outside.startCol, 0);
    EXPECT_EQ(outside.startRow, 99);

    LevelRead huge = parseLevel(true, {cells, "99999999999999999999", "5"});
    EXPECT_TRUE(huge.startOutside);
    EXPECT_EQ(huge.startCol, 99);

    std::string withZero = cells;
    withZero[10] = '\0';
    EXPECT_EQ(parseLevel(true, {withZero, "1", "1"}).grid[10], 'a');

    LevelRead missing = parseLevel(false, {});
    EXPECT_FALSE(missing.opened);
    EXPECT_EQ(missing.grid, std::string(EDITOR_CELLS, 'a'));
}

TEST(EditorLevelText, FormatThenParseIsTheSameLevel) {
    std::string grid(EDITOR_CELLS, 'a');
    for (int k = 0; k < EDITOR_CELLS; k += 7) grid[k] = "sqdgki@#"[k % 8];
    std::string text = formatLevel(grid.data(), 99, 0);
    std::vector<std::string> tokens = {text.substr(0, 10000), "99", "0"};
    ASSERT_EQ(text.substr(10000), " 99 0 ");
    LevelRead back = parseLevel(true, tokens);
    EXPECT_EQ(back.grid, grid);
    EXPECT_EQ(back.startCol, 99);
    EXPECT_EQ(back.startRow, 0);
}

TEST(EditorXp, GuardsGhoulsKnights) {
    std::string grid(EDITOR_CELLS, 'a');
    EXPECT_EQ(levelXp(grid.data()), 0);
    grid[0] = 'g';
    grid[9999] = 'g';
    grid[500] = 'k';
    grid[77] = 'i';
    EXPECT_EQ(levelXp(grid.data()), 9);
    grid[1] = '@';
    grid[2] = 'G';
    grid[3] = 'K';
    EXPECT_EQ(levelXp(grid.data()), 9);
    EXPECT_EQ(levelXp(std::string(EDITOR_CELLS, 'i').data()), 40000);
}

// Walks the menu: the sub-menus, and every command once.
void collect(const platform::MenuEntry& entry, const std::string& path,
             std::map<int, std::string>& commands) {
    if (entry.children.empty()) {
        if (entry.id != 0) {
            EXPECT_EQ(commands.count(entry.id), 0u) << "twice: " << entry.id;
            commands[entry.id] = path + "/" + entry.text;
        }
        return;
    }
    for (const platform::MenuEntry& child : entry.children)
        collect(child, path + "/" + entry.text, commands);
}

TEST(EditorMenu, ToolsLiveInTheirSubMenusAndPlaceDistinctTiles) {
    const platform::MenuDef& menu = editorMenu();
    ASSERT_EQ(menu.size(), 1u);
    EXPECT_EQ(menu[0].text, "Menu");
    std::map<int, std::string> commands;
    for (const platform::MenuEntry& entry : menu) collect(entry, "", commands);

    std::set<char> tiles;
    int tools = 0;
    for (const auto& [id, path] : commands) {
        char tile = toolForCommand(id);
        if (!tile) continue;
        ++tools;
        EXPECT_TRUE(tiles.insert(tile).second) << path;
        EXPECT_EQ(path.rfind("/Menu/changer curseur/", 0), 0u) << path;
    }
    EXPECT_EQ(tools, 36);
    EXPECT_EQ(commands.at(40090), "/Menu/changer curseur/Armes/épée courte");
    EXPECT_EQ(commands.at(40095), "/Menu/changer curseur/Armes/Hache malefique");
    EXPECT_EQ(commands.at(40076), "/Menu/changer curseur/Mage Noir (x1)");
    EXPECT_EQ(toolForCommand(40076), '@');
    EXPECT_EQ(toolForCommand(40079), '#');
    EXPECT_EQ(toolForCommand(40052), '1');
    EXPECT_EQ(toolForCommand(40047), '6');
    EXPECT_EQ(toolForCommand(40055), 'z');
    EXPECT_EQ(tiles.count('j'), 0u);  // troubadours only in the built-in level
    EXPECT_EQ(tiles.count(START_TOOL), 0u);

    const std::map<int, std::string> others = {
        {CMD_SET_START, "/Menu/definir le pt. de depart"}, {CMD_UNDO, "/Menu/Annuler"},
        {CMD_REDRAW, "/Menu/Tout reaficher"},              {CMD_LOAD_LEVEL, "/Menu/Charger"},
        {CMD_SAVE_LEVEL, "/Menu/Sauvegarder"},             {CMD_QUIT_EDITOR, "/Menu/Quitter"},
    };
    for (const auto& [id, path] : others) {
        EXPECT_EQ(commands.at(id), path);
        EXPECT_EQ(toolForCommand(id), 0);
    }
    EXPECT_EQ(commands.size(), 36u + others.size());
}

}  // namespace
