#include "resources/dlg_newgame.h"

using platform::Align;
using platform::Ctl;

// Dialog units (about 1.5 x 1.6 pixels each with the dialog's font). The preview
// bar is drawn by the game at (130, 130) client pixels, about (87, 80) units, so
// the right part of the colour group is left free for it under "Aperçu:".
const platform::DialogDef& newGameDialog() {
    static const platform::DialogDef dlg = {
        IDD_NEWGAME,
        "Nouvelle Partie",
        200,
        138,
        "MS Shell Dlg",
        8,
        true,
        true,
        {
            {Ctl::Label, -1, "Nom:", 8, 10, 22, 9},
            {Ctl::Edit, IDC_NEWGAME_NAME, "", 32, 8, 160, 12},
            {Ctl::CheckBox, IDC_NEWGAME_CUSTOM, "Partie avec niveau personalisé...", 8, 25, 150, 10},
            {Ctl::GroupBox, -1, "Couleur:", 7, 40, 186, 70},
            {Ctl::Label, -1, "Rouge    Vert    Bleu", 14, 52, 100, 9},
            {Ctl::PushButton, IDC_NEWGAME_RED_PLUS, "+", 14, 62, 18, 12},
            {Ctl::PushButton, IDC_NEWGAME_RED_MINUS, "-", 14, 76, 18, 12},
            {Ctl::PushButton, IDC_NEWGAME_GREEN_PLUS, "+", 40, 62, 18, 12},
            {Ctl::PushButton, IDC_NEWGAME_GREEN_MINUS, "-", 40, 76, 18, 12},
            {Ctl::PushButton, IDC_NEWGAME_BLUE_PLUS, "+", 66, 62, 18, 12},
            {Ctl::PushButton, IDC_NEWGAME_BLUE_MINUS, "-", 66, 76, 18, 12},
            {Ctl::ReadOnlyEdit, IDC_NEWGAME_COLOUR, "", 14, 92, 70, 12, Align::Center},
            {Ctl::Label, -1, "Aperçu:", 87, 68, 50, 9},
            {Ctl::DefPushButton, IDC_NEWGAME_OK, "OK", 40, 118, 50, 14},
            {Ctl::PushButton, IDC_NEWGAME_CANCEL, "Annuler", 110, 118, 50, 14},
        },
    };
    return dlg;
}
