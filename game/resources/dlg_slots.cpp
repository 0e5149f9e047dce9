#include "resources/dlg_slots.h"

#include <string>

using platform::Ctl;

namespace {

// Dialog units. Each slot is one row inside its group box: the name field is
// the widest (59 characters scroll in it), gold and XP fit six digits.
constexpr int DLG_W = 330, DLG_H = 214;
constexpr int GROUP_TOP = 20, GROUP_STEP = 34, GROUP_H = 30;

platform::DialogDef slotDialog(int id, const char* title, const char* prompt, const char* button) {
    platform::DialogDef dlg{id, title, DLG_W, DLG_H, "MS Shell Dlg", 8, true, true, {}};
    dlg.controls.push_back({Ctl::Label, -1, prompt, 8, 6, 314, 10});
    for (int s = 0; s < SLOT_COUNT; ++s) {
        const int y = GROUP_TOP + s * GROUP_STEP;
        dlg.controls.push_back({Ctl::GroupBox, -1, "Emplacement " + std::to_string(s + 1), 7, y, 316, GROUP_H});
        dlg.controls.push_back({Ctl::Label, -1, "Nom:", 14, y + 14, 20, 9});
        dlg.controls.push_back({Ctl::ReadOnlyEdit, IDC_SLOT_NAME[s], "", 36, y + 12, 112, 12});
        dlg.controls.push_back({Ctl::Label, -1, "Pieces:", 154, y + 14, 26, 9});
        dlg.controls.push_back({Ctl::ReadOnlyEdit, IDC_SLOT_GOLD[s], "", 182, y + 12, 32, 12});
        dlg.controls.push_back({Ctl::Label, -1, "XP:", 220, y + 14, 14, 9});
        dlg.controls.push_back({Ctl::ReadOnlyEdit, IDC_SLOT_XP[s], "", 236, y + 12, 26, 12});
        dlg.controls.push_back({Ctl::PushButton, IDC_SLOT_BUTTON[s], button, 268, y + 11, 50, 14});
    }
    dlg.controls.push_back({Ctl::PushButton, IDC_SLOT_CANCEL, "Annuler", 140, DLG_H - 20, 50, 14});
    return dlg;
}

}  // namespace

const platform::DialogDef& saveSlotDialog() {
    static const platform::DialogDef dlg = slotDialog(
        IDD_SAVE_SLOT, "Sauvegarder une partie", "Selectionez la partie a sauvegarder:", "Sauvegarder");
    return dlg;
}

const platform::DialogDef& loadSlotDialog() {
    static const platform::DialogDef dlg =
        slotDialog(IDD_LOAD_SLOT, "Charger une partie", "Selectionez la partie a charger:", "Charger");
    return dlg;
}

const platform::DialogDef& defaultSlotDialog() {
    static const platform::DialogDef dlg =
        slotDialog(IDD_DEFAULT_SLOT, "Selectionez l'emplacement de sauvegarde par defaut...",
                   "Selectionez l'emplacement de sauvegarde par defaut...", "Selectionner");
    return dlg;
}
