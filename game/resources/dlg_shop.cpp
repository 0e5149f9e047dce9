#include "resources/dlg_shop.h"

using platform::Align;
using platform::Ctl;
using platform::ControlDef;

namespace {

// The left half repeats the inventory: one row per item 1..16, a right-aligned
// label ending at x 106 and the count at x 109, 14 units apart from y 48.
constexpr const char* ROW_LABELS[16] = {
    "Epée courte (1Kg)",      "Hallebarde (1.5Kg)",      "Masse d'arme (2Kg)",
    "Epée noire maudite (2.5Kg)", "Marteau enchanté (3Kg)", "Hache Malefique (2.5Kg)",
    "Harpe (1.5Kg)",          "Bouclier (1.5Kg)",        "Potions (0.1Kg)",
    "Elixirs (0.05Kg)",       "Clé jaune (0.1Kg)",       "Clé verte (0.1Kg)",
    "Clé bleue (0.1Kg)",      "Clé rouge (0.1Kg)",       "Clé orange (0.1Kg)",
    "Clé violette (0.1Kg)",
};

ControlDef countField(int id, int x, int y) {
    return {Ctl::ReadOnlyEdit, id, "", x, y, 42, 12, Align::Center, false, true};
}

platform::DialogDef build() {
    platform::DialogDef dlg{IDD_SHOP, "Inventaire", 353, 330, "MS Shell Dlg", 8, true, true, {}};
    auto& c = dlg.controls;
    c.push_back({Ctl::Label, -1, "Inventaire...", 6, 8, 100, 9});
    c.push_back({Ctl::Label, -1, "Vie : ", 6, 33, 100, 9, Align::Right});
    c.push_back({Ctl::ReadOnlyEdit, IDC_SHOP_LIFE, "", 109, 31, 42, 12, Align::Center});
    for (int i = 0; i < 16; ++i) {
        const int y = 48 + 14 * i;
        c.push_back({Ctl::Label, -1, ROW_LABELS[i], 6, y + 2, 100, 9, Align::Right});
        c.push_back(countField(IDC_SHOP_FIRST_COUNT + i, 109, y));
    }
    c.push_back({Ctl::Label, -1, "Pieces d'or (0.001Kg)", 176, 19, 100, 9, Align::Right});
    c.push_back(countField(IDC_SHOP_GOLD, 279, 17));

    c.push_back({Ctl::GroupBox, -1, "Acheter", 165, 39, 181, 119});
    c.push_back({Ctl::Label, -1, "Selectionez l'article à acheter", 177, 56, 158, 9});
    c.push_back({Ctl::ComboBox, IDC_SHOP_BUY_LIST, "", 177, 72, 158, 13});
    c.push_back({Ctl::PushButton, IDC_SHOP_BUY, "Acheter", 213, 94, 85, 42});

    c.push_back({Ctl::GroupBox, -1, "Vendre", 165, 170, 181, 116});
    c.push_back({Ctl::Label, -1, "Selectionez l'article a vendre", 177, 194, 158, 9});
    c.push_back({Ctl::ComboBox, IDC_SHOP_SELL_LIST, "", 177, 212, 158, 12});
    c.push_back({Ctl::PushButton, IDC_SHOP_SELL, "Vendre", 213, 236, 85, 42});

    // The weight is five characters followed by blanks: shown from the left.
    c.push_back({Ctl::Label, -1, "Piods total:", 4, 290, 50, 9, Align::Right});
    c.push_back({Ctl::ReadOnlyEdit, IDC_SHOP_WEIGHT, "", 56, 289, 42, 12});
    c.push_back({Ctl::Label, -1, "Kg                   maxi:15KG", 100, 290, 150, 9});
    c.push_back({Ctl::DefPushButton, IDC_SHOP_LEAVE, "Sortir de la boutique", 7, 309, 339, 14});
    return dlg;
}

}  // namespace

const platform::DialogDef& shopDialog() {
    static const platform::DialogDef dlg = build();
    return dlg;
}
