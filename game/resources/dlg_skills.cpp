#include "resources/dlg_skills.h"

using platform::Align;
using platform::Ctl;

// The four skill bars are drawn by the game between the labels and the "+".
const platform::DialogDef& skillPointsDialog() {
    static const platform::DialogDef dlg = {
        IDD_SKILL_POINTS,
        "Ajoutez vos points bonus",
        226,
        101,
        "MS Shell Dlg",
        8,
        true,
        true,
        {
            {Ctl::Label, -1, "Force", 24, 14, 19, 8},
            {Ctl::Label, -1, "Resistance", 7, 29, 36, 8},
            {Ctl::Label, -1, "Precision", 14, 44, 29, 8},
            {Ctl::Label, -1, "Protection", 9, 60, 34, 8},
            {Ctl::PushButton, IDC_SKILL_STRENGTH, "+", 193, 14, 26, 11},
            {Ctl::DefPushButton, IDC_SKILL_RESISTANCE, "+", 193, 29, 26, 11},
            {Ctl::PushButton, IDC_SKILL_PRECISION, "+", 193, 44, 26, 11},
            {Ctl::PushButton, IDC_SKILL_PROTECTION, "+", 193, 60, 26, 11},
            {Ctl::Label, -1, "Bonus restants:", 7, 79, 120, 15, Align::Right},
            {Ctl::ReadOnlyEdit, IDC_SKILL_POINTS_LEFT, "", 132, 79, 40, 15},
        },
    };
    return dlg;
}
