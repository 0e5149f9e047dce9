#include "resources/dlg_newgame.h"

#include "saves/newgame.h"  // PLAYER_NAME_MAX

using platform::Align;
using platform::Ctl;

// Dialog units (1.5 to 1.75 pixels wide and about 1.6 high each, depending on
// the dialog's font). The preview bar is drawn by the game at (130, 130) client
// pixels, from about (74, 80) units on the widest font: the colour buttons end
// before that, and the right part of the group is left free for the bar under
// "Aperçu:".
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
            {Ctl::Edit, IDC_NEWGAME_NAME, "", 32, 8, 160, 12, Align::Left, false, false, PLAYER_NAME_MAX},
            {Ctl::CheckBox, IDC_NEWGAME_CUSTOM, "Partie avec niveau personalisé...", 8, 25, 150, 10},
            {Ctl::GroupBox, -1, "Couleur:", 7, 40, 186, 70},
            {Ctl::Label, -1, "Rouge    Vert    Bleu", 10, 52, 100, 9},
            {Ctl::PushButton, IDC_NEWGAME_RED_PLUS, "+", 10, 62, 18, 12},
            {Ctl::PushButton, IDC_NEWGAME_RED_MINUS, "-", 10, 76, 18, 12},
            {Ctl::PushButton, IDC_NEWGAME_GREEN_PLUS, "+", 32, 62, 18, 12},
            {Ctl::PushButton, IDC_NEWGAME_GREEN_MINUS, "-", 32, 76, 18, 12},
            {Ctl::PushButton, IDC_NEWGAME_BLUE_PLUS, "+", 54, 62, 18, 12},
            {Ctl::PushButton, IDC_NEWGAME_BLUE_MINUS, "-", 54, 76, 18, 12},
            {Ctl::ReadOnlyEdit, IDC_NEWGAME_COLOUR, "", 10, 92, 62, 12, Align::Center},
            {Ctl::Label, -1, "Aperçu:", 80, 68, 50, 9},
            {Ctl::DefPushButton, IDC_NEWGAME_OK, "OK", 40, 118, 50, 14},
            {Ctl::PushButton, IDC_NEWGAME_CANCEL, "Annuler", 110, 118, 50, 14},
        },
    };
    return dlg;
}
