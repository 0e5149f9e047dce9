// The shape of the editor's menu 102.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "editorstate.h"
#include "menu.h"

namespace {

// Every command once, by its path through the sub-menus.
void collect(const platform::MenuEntry& entry, const std::string& path, std::map<int, std::string>& commands) {
    for (const platform::MenuEntry& child : entry.children) collect(child, path + "/" + entry.text, commands);
    if (entry.children.empty() && entry.id != 0) {
        EXPECT_TRUE(commands.emplace(entry.id, path + "/" + entry.text).second) << "twice: " << entry.id;
    }
}

TEST(EditorMenu, ToolsLiveInTheirSubMenusAndPlaceDistinctTiles) {
    const platform::MenuDef& menu = editorMenu();
    ASSERT_EQ(menu.size(), 1u);
    std::map<int, std::string> commands;
    collect(menu[0], "", commands);

    std::set<char> tiles;
    for (const auto& [id, path] : commands)
        if (char tile = toolForCommand(id)) {
            EXPECT_TRUE(tiles.insert(tile).second) << path;
            EXPECT_EQ(path.rfind("/Menu/changer curseur/", 0), 0u) << path;
        }
    EXPECT_EQ(tiles.size(), 36u);
    EXPECT_EQ(tiles.count('j') + tiles.count(START_TOOL), 0u);  // troubadours only in the built-in level
    EXPECT_EQ(commands.at(40095), "/Menu/changer curseur/Armes/Hache malefique");

    const std::map<int, std::string> others = {
        {CMD_SET_START, "definir le pt. de depart"}, {CMD_UNDO, "Annuler"}, {CMD_REDRAW, "Tout reaficher"},
        {CMD_LOAD_LEVEL, "Charger"}, {CMD_SAVE_LEVEL, "Sauvegarder"}, {CMD_QUIT_EDITOR, "Quitter"}};
    for (const auto& [id, name] : others) {
        EXPECT_EQ(commands.at(id), "/Menu/" + name);
        EXPECT_EQ(toolForCommand(id), 0);
    }
    EXPECT_EQ(commands.size(), 36u + others.size());
}

}  // namespace
