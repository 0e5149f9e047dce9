#include "items/weight.h"

#include <cstdio>

#include "state.h"

// The axe weighs 1.5 kg in the bag though its label says 2.5, and the violet key
// weighs nothing: the game has always counted them so.
const ItemInfo ITEM_TABLE[18] = {
    {"", 0.0f, 0, 0, 0, 0},
    {"Epée courte (1Kg)", 1.0f, 'e', 1002, 1019, 1020},
    {"Hallebarde (1.5Kg)", 1.5f, 'b', 1003, 1021, 1030},
    {"Masse d'arme (2Kg)", 2.0f, 'm', 1004, 1022, 1037},
    {"Epée noire maudite (2.5Kg)", 2.5f, '7', 1005, 1023, 1040},
    {"Marteau enchanté (3Kg)", 3.0f, '9', 1006, 1024, 1041},
    {"Hache Malefique (2.5Kg)", 1.5f, 'h', 1007, 1025, 1042},
    {"Harpe (1.5Kg)", 1.5f, '8', 1008, 1026, 1043},
    {"Bouclier (1.5Kg)", 1.5f, 'p', 1009, 1027, 1044},
    {"Potions (0.1Kg)", 0.1f, 'n', 1010, 1029, 1045},
    {"Elixirs (0.05Kg)", 0.05f, 'o', 1011, 1031, 1046},
    {"Clé jaune (0.1Kg)", 0.1f, 'u', 1012, 1032, 1047},
    {"Clé verte (0.1Kg)", 0.1f, 'v', 1013, 1033, 1048},
    {"Clé bleue (0.1Kg)", 0.1f, 'w', 1014, 1034, 1049},
    {"Clé rouge (0.1Kg)", 0.1f, 'x', 1015, 1035, 1050},
    {"Clé orange (0.1Kg)", 0.1f, 'y', 1016, 1036, 1051},
    {"Clé violette (0.1Kg)", 0.0f, 'z', 1017, 1038, 1052},
    {"Pieces d'or (0.001Kg)", 0.001f, 0, 1018, 0, 0},
};

// The weight field's text: "%f     " with everything from the sixth character
// on blanked ("1.500        ").
std::string weightFieldText(float kg) {
    char text[64];
    std::snprintf(text, sizeof text, "%f     ", static_cast<double>(kg));
    std::string s = text;
    for (std::size_t i = 5; i < s.size(); ++i) s[i] = ' ';
    return s;
}

void computeCarriedWeight() {
    float total = 0.0f;
    for (int i = ITEM_FIRST; i <= ITEM_LAST; ++i)
        total += static_cast<float>(gs.inventory[i]) * ITEM_TABLE[i].weight;
    gs.carriedWeight = total;
}
