#include "resources/dlg_inventory.h"

#include "items/weight.h"

using platform::Align;
using platform::Ctl;

// Dialog units. The game draws into this dialog at pixel positions that were
// chosen for base units of 6 x 13 pixels: the life bar right of the life field,
// each item's picture between its label (ending at x = 106) and its count
// field (x = 125), the weight bar between the weight row and "Valider".
const platform::DialogDef& inventoryDialog() {
    static const platform::DialogDef dlg = [] {
        platform::DialogDef d{IDD_INVENTORY, "Inventaire", 231, 338, "MS Shell Dlg", 8, true, true, {}};
        auto add = [&d](platform::ControlDef c) { d.controls.push_back(std::move(c)); };
        add({Ctl::Label, -1, "Inventaire...", 7, 10, 217, 10, Align::Center});
        add({Ctl::Label, -1, "Vie : ", 7, 31, 20, 10});
        add({Ctl::ReadOnlyEdit, IDC_INV_LIFE, "", 27, 31, 38, 12, Align::Center});
        for (int i = ITEM_FIRST; i < ITEM_LAST; ++i) {
            const ItemInfo& item = ITEM_TABLE[i];
            const int y = INV_ROW_TOP + INV_ROW_STEP * i;
            add({Ctl::Label, -1, item.label, 7, y, 99, INV_ROW_HEIGHT, Align::Right});
            add({Ctl::ReadOnlyEdit, item.countId, "", 125, y, 26, INV_ROW_HEIGHT, Align::Center, false, true});
            add({Ctl::PushButton, item.useId, "Utiliser", 155, y, 33, INV_ROW_HEIGHT, Align::Left,
                 i == ITEM_SHIELD});
            add({Ctl::PushButton, item.dropId, "Jetter", 191, y, 33, INV_ROW_HEIGHT});
        }
        const ItemInfo& gold = ITEM_TABLE[ITEM_LAST];
        add({Ctl::Label, -1, gold.label, 7, 272, 99, INV_ROW_HEIGHT, Align::Right});
        add({Ctl::ReadOnlyEdit, gold.countId, "", 109, 272, 42, INV_ROW_HEIGHT, Align::Center, false, true});
        add({Ctl::Label, -1, "Piods total:", 18, 290, 38, 10});
        add({Ctl::ReadOnlyEdit, IDC_INV_WEIGHT, "", 56, 289, 42, 12});
        add({Ctl::Label, -1, "Kg                   maxi:15KG", 100, 290, 124, 10});
        add({Ctl::DefPushButton, IDC_INV_VALIDATE, "Valider", 7, 317, 217, 14});
        return d;
    }();
    return dlg;
}
