#include "combat/skills.h"

#include "combat/bars.h"
#include "resources/dlg_skills.h"
#include "state.h"

using platform::Msg;
using platform::Window;

namespace {

constexpr const char* SKILLS_TUTORIAL =
    "Tu viens de gagner des points de compétence ! Choisis les qualités dans lesquelles "
    "tu veux être le meilleur :\n\n"
    "Force : tu as autant de chances sur cent d'ajouter un bonus à tes dégâts que tu as "
    "de points de Force.\n"
    "Résistance : chaque point augmente ta vie maximale.\n"
    "Précision : tu as autant de chances sur cent de rattraper un coup raté que tu as "
    "de points de Précision.\n\n"
    "Bâtis ta stratégie sur ces qualités, et le Mage Noir n'a qu'à bien se tenir !";

void drawSkillBars(Window dlg) {
    const int skills[] = {gs.strength, gs.resistance, gs.precision, gs.protection};
    for (int i = 0; i < 4; ++i)
        drawDialogBar(dlg, skillPointsDialog().fontSize, 75, 25 * (i + 1), 200, 2 * skills[i],
                      gs.favoriteRed, gs.favoriteGreen, gs.favoriteBlue);
}

// After the opening and after every "+".
void commonTail(Window dlg) {
    if (gs.tutoSkills == 0) {
        gs.tutoSkills = 1;
        platform::messageBox(gs.mainWindow, SKILLS_TUTORIAL, "Tu viens de gagner des competences:",
                             platform::BoxStyle{.icon = platform::BoxIcon::Info});
    }
    platform::setItemInt(dlg, IDC_SKILL_POINTS_LEFT, gs.bonusPoints);
    if (gs.bonusPoints < 1) {
        platform::endDialog(dlg, 0);
        return;
    }
    drawSkillBars(dlg);
}

void addPoint(int id) {
    int* skill = id == IDC_SKILL_STRENGTH     ? &gs.strength
                 : id == IDC_SKILL_RESISTANCE ? &gs.resistance
                 : id == IDC_SKILL_PRECISION  ? &gs.precision
                                              : &gs.protection;
    if (*skill >= SKILL_MAX) return;  // a full skill takes nothing and costs nothing
    *skill += 1;
    gs.bonusPoints -= 1;
    if (id == IDC_SKILL_RESISTANCE) gs.life += 1;
    if (id == IDC_SKILL_PROTECTION) {
        gs.shieldMax += 1;
        if (gs.shield != 0) gs.shield += 1;  // a broken shield stays broken
    }
}

}  // namespace

long skillPointsDialogProc(Window dlg, Msg msg, long a, long) {
    switch (msg) {
        case Msg::InitDialog:
            gs.protection = gs.shieldMax - 50;
            commonTail(dlg);
            return 1;
        case Msg::Paint: drawSkillBars(dlg); return 0;
        case Msg::Command:
            if (a == IDC_SKILL_STRENGTH || a == IDC_SKILL_RESISTANCE || a == IDC_SKILL_PRECISION ||
                a == IDC_SKILL_PROTECTION) {
                addPoint(static_cast<int>(a));
                commonTail(dlg);
            } else if (a == 2) {
                platform::endDialog(dlg, 0);  // the points left are lost
            }
            return 1;
        default: return 0;
    }
}

void openSkillPoints() { platform::dialogBox(skillPointsDialog(), gs.mainWindow, skillPointsDialogProc); }
