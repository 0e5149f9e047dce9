#include "menu.h"

#include <iterator>

namespace {

struct ToolEntry {
    int command;
    const char* text;
    char tile;
};

constexpr ToolEntry WEAPON_TOOLS[] = {
    {40090, "épée courte", 'e'},        {40091, "Hallebarde", 'b'},
    {40092, "Masse d'arme", 'm'},       {40093, "épée noire maudite", '7'},
    {40094, "marteau enchanté", '9'},   {40095, "Hache malefique", 'h'},
};

constexpr ToolEntry OTHER_TOOLS[] = {
    {40033, "boutique1", '0'},
    {40034, "boutique2", ')'},
    {40035, "clé1", 'u'},
    {40036, "clé2", 'v'},
    {40037, "clé3", 'w'},
    {40038, "clé4", 'x'},
    {40039, "clé5", 'y'},
    {40055, "clé6", 'z'},
    {40064, "Garde", 'g'},
    {40065, "Goule du desespoir", 'k'},
    {40063, "Chevalier du mal", 'i'},
    {40076, "Mage Noir (x1)", '@'},
    {40052, "porte1", '1'},
    {40051, "porte2", '2'},
    {40050, "porte3", '3'},
    {40049, "porte4", '4'},
    {40048, "porte5", '5'},
    {40047, "porte6", '6'},
    {40041, "coffre", 'c'},
    {40042, "echelle", 'q'},
    {40079, "Lave seche", '#'},
    {40043, "lave", 'd'},
    {40044, "fenetre", 'f'},
    {40045, "fond", 'a'},
    {40046, "liere", 'l'},
    {40053, "sol", 's'},
    {40054, "torche", 't'},
    {40072, "Potion", 'n'},
    {40073, "Elixir", 'o'},
    {40077, "Bouclier", 'p'},
};

template <std::size_t N>
void addTools(std::vector<platform::MenuEntry>& into, const ToolEntry (&tools)[N]) {
    for (const ToolEntry& tool : tools) into.push_back({tool.command, tool.text, {}});
}

platform::MenuDef buildMenu() {
    platform::MenuEntry weapons{0, "Armes", {}};
    addTools(weapons.children, WEAPON_TOOLS);
    platform::MenuEntry tools{0, "changer curseur", {weapons}};
    addTools(tools.children, OTHER_TOOLS);
    platform::MenuEntry top{0, "Menu", {}};
    top.children = {
        tools,
        {CMD_SET_START, "definir le pt. de depart", {}},
        {0, "", {}},
        {CMD_UNDO, "Annuler", {}},
        {CMD_REDRAW, "Tout reaficher", {}},
        {0, "", {}},
        {CMD_LOAD_LEVEL, "Charger", {}},
        {CMD_SAVE_LEVEL, "Sauvegarder", {}},
        {0, "", {}},
        {CMD_QUIT_EDITOR, "Quitter", {}},
    };
    return {top};
}

}  // namespace

const platform::MenuDef& editorMenu() {
    static const platform::MenuDef menu = buildMenu();
    return menu;
}

char toolForCommand(int command) {
    for (const ToolEntry& tool : WEAPON_TOOLS)
        if (tool.command == command) return tool.tile;
    for (const ToolEntry& tool : OTHER_TOOLS)
        if (tool.command == command) return tool.tile;
    return 0;
}
