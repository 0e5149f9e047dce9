#include "resources/dlg_settings.h"

using platform::Align;
using platform::Ctl;

// Dialog units. The colour preview bar is drawn by the game at (132, 75) client
// pixels; the colour buttons end at x = 64 units, left of it even with a dialog
// font of two pixels a unit.
const platform::DialogDef& settingsPlayDialog() {
    static const platform::DialogDef dlg = {
        IDD_SETTINGS_PLAY,
        "Reglages:",
        200,
        160,
        "MS Shell Dlg",
        8,
        true,
        true,
        {
            {Ctl::Label, -1, "Réglages de 'La Malediction de QuelmaR'", 10, 7, 180, 10, Align::Center},
            {Ctl::GroupBox, -1, "Couleur Préférée:", 7, 22, 186, 60},
            {Ctl::Label, -1, "Rouge   Vert     Bleu", 10, 33, 100, 9},
            {Ctl::PushButton, IDC_RED_PLUS, "+", 10, 43, 16, 12},
            {Ctl::PushButton, IDC_RED_MINUS, "-", 10, 56, 16, 12},
            {Ctl::PushButton, IDC_GREEN_PLUS, "+", 29, 43, 16, 12},
            {Ctl::PushButton, IDC_GREEN_MINUS, "-", 29, 56, 16, 12},
            {Ctl::PushButton, IDC_BLUE_PLUS, "+", 48, 43, 16, 12},
            {Ctl::PushButton, IDC_BLUE_MINUS, "-", 48, 56, 16, 12},
            {Ctl::Label, IDC_COLOUR_TEXT, "0 - 0 - 0", 10, 70, 70, 9},
            {Ctl::GroupBox, -1, "Options:", 7, 88, 186, 44},
            {Ctl::CheckBox, IDC_SOUND, "Activer le son", 14, 100, 80, 10},
            {Ctl::CheckBox, IDC_MUSIC, "Activer la musique", 14, 115, 90, 10},
            {Ctl::CheckBox, IDC_FAST, "Ordi Rapide", 104, 100, 80, 10},
            {Ctl::DefPushButton, IDC_OK, "OK", 40, 140, 50, 14},
            {Ctl::PushButton, IDC_CANCEL, "Annuler", 110, 140, 50, 14},
        },
    };
    return dlg;
}

const platform::DialogDef& settingsTitleDialog() {
    static const platform::DialogDef dlg = {
        IDD_SETTINGS_TITLE,
        "Reglages:",
        200,
        96,
        "MS Shell Dlg",
        8,
        true,
        true,
        {
            {Ctl::Label, -1, "Réglages de 'La Malediction de QuelmaR'", 10, 7, 180, 10, Align::Center},
            {Ctl::GroupBox, -1, "Options:", 7, 22, 186, 44},
            {Ctl::CheckBox, IDC_SOUND, "Activer le son", 14, 34, 80, 10},
            {Ctl::CheckBox, IDC_MUSIC, "Activer la musique", 14, 49, 90, 10},
            {Ctl::CheckBox, IDC_FAST, "Ordi Rapide", 104, 34, 80, 10},
            {Ctl::DefPushButton, IDC_OK, "OK", 40, 75, 50, 14},
            {Ctl::PushButton, IDC_CANCEL, "Annuler", 110, 75, 50, 14},
        },
    };
    return dlg;
}
