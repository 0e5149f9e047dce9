// The editor's pure rules: the level text both ways and the shape of menu 102.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "level.h"
#include "menu.h"
#include "editorstate.h"

namespace {

// What the editor makes of damaged files (the whole-file cases are in the
// scenario and runner tests).
TEST(EditorLevelText, ParseDamagedFiles) {
    std::string cells(EDITOR_CELLS, 'q');
    LevelRead longer = parseLevel(true, {cells + "zzz", "0", "0"});
    EXPECT_EQ(longer.grid, cells);
    EXPECT_FALSE(longer.shortGrid || longer.startUnreadable || longer.startOutside);

    LevelRead words = parseLevel(true, {cells, "douze", "3x"});
    EXPECT_TRUE(words.startUnreadable);
    EXPECT_EQ(words.startCol + words.startRow, 0);

    LevelRead outside = parseLevel(true, {cells, "-4", "100"});
    EXPECT_TRUE(outside.startOutside);
    EXPECT_FALSE(outside.startUnreadable);
    EXPECT_EQ(outside.startCol, 0);
    EXPECT_EQ(outside.startRow, 99);
    EXPECT_EQ(parseLevel(true, {cells, "99999999999999999999", "5"}).startCol, 99);

    std::string withZero = cells;
    withZero[10] = '\0';
    EXPECT_EQ(parseLevel(true, {withZero, "1", "1"}).grid[10], 'a');
    // A never-filled cell is written as background, so the file stays one token.
    EXPECT_EQ(formatLevel(withZero.data(), 1, 1).substr(0, 12), "qqqqqqqqqqaq");
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
