#include "resources/menu.h"

const platform::MenuDef& mainMenu() {
    static const platform::MenuDef menu = {
        {0,
         "Menu",
         {
             {CMD_NEW_GAME, "Nouveau jeu", {}},
             {0, "", {}},
             {CMD_SAVE, "Sauvegarder", {}},
             {CMD_LOAD, "Charger", {}},
             {0, "", {}},
             {CMD_OPTIONS, "Options", {}},
             {CMD_QUIT, "Quitter...", {}},
         }},
        {CMD_INVENTORY, "Inventaire", {}},
        {0,
         "?",
         {
             {CMD_CREDITS, "Credits", {}},
             {CMD_ABOUT, "A propos", {}},
             {CMD_HELP, "Aide", {}},
         }},
    };
    return menu;
}
