#include "hero/troubadours.h"

#include <cstdio>
#include <string>

#include "platform/platform.h"
#include "sound/sound.h"
#include "state.h"
#include "world/scene.h"

namespace {

using platform::BoxButtons;
using platform::BoxIcon;
using platform::BoxStyle;

constexpr const char* TALKS = "Un troubadour vous parle:";

// The captives' spokesman stands beside the orange door; the cell (60, 25) of
// the cage is empty once his friends are free.
constexpr int SPOKESMAN_KEY = 169260;
constexpr int CAGE_ROW = 60, CAGE_COL = 25;
constexpr int HARP_ROW = 60, HARP_COL = 26;

constexpr const char* THANKS =
    "Merci de nous avoir aidé.\nUtilise bien cette harpe et tu reusira a vaincre ce mage.\nBonne chance!";
constexpr const char* SOBS =
    "Snif... snif...\n\nLe Mage Noir a enfermé tous mes amis derrière cette porte orange,\n"
    "et je ne peux rien faire pour eux...\n\nToi qui es si courageux, trouve la clé orange "
    "et libère-les, je t'en supplie!";

struct Advice {
    int key;
    const char* caption;
    BoxStyle style;
    const char* text;
};

constexpr BoxStyle PLAIN{BoxButtons::Ok, BoxIcon::None};
constexpr BoxStyle INFO{BoxButtons::Ok, BoxIcon::Info};

// What each troubadour of the castle says, by the key of his cell.
constexpr Advice ADVICE[] = {
    {39984, TALKS, {BoxButtons::Ok, BoxIcon::None, false, false, true},
     "Bienvenue, noble chevalier, au château de Quelmar!\n\n"
     "Le terrible Mage Noir règne sur ces murs. Ses Chevaliers du mal, ses gardes et ses "
     "goules du désespoir le protègent.\n\n"
     "Nous, les troubadours, sommes cachés un peu partout dans le château: quand tu en croises "
     "un, arrête-toi à sa hauteur et appuie sur Entrée, il t'aidera de ses conseils.\n\n"
     "Mais fais vite, le temps presse!"},
    {83104, TALKS, PLAIN,
     "Attention, un peu plus loin s'ouvre une fosse remplie de lave!\n"
     "Si tu tombes dedans, tu meurs aussitôt.\n\n"
     "Pour la franchir, place-toi juste devant, tourné vers la lave, et appuie sur Espace "
     "pour sauter par-dessus. Entraîne-toi d'abord à sauter sur le sol ferme!\n\n"
     "Si tu meurs, tu reviendras à ta dernière sauvegarde: alors sauvegarde souvent, avec la "
     "touche S ou par le menu!"},
    {244902, "Un Toubadour vous parle:", PLAIN,
     "Méfie-toi, un garde t'attend juste devant!\n\n"
     "Il y en a partout dans le château. Ils sont armés de hallebardes et ne te laisseront "
     "pas passer: il faudra les combattre.\n\n"
     "Si tu n'as pas encore ramassé l'épée courte qui traîne derrière moi, retourne la "
     "chercher: sans arme, pas de combat!"},
    {301350, TALKS, PLAIN,
     "Tu vois cette échelle, juste devant?\n\n"
     "Pour monter, place-toi au pied de l'échelle et appuie sur la flèche du haut. Pour "
     "redescendre, appuie sur la flèche du bas.\n\n"
     "Et méfie-toi des chutes: tomber de haut fait mal, d'autant plus que ton sac est lourd!"},
    {576240, TALKS, PLAIN,
     "Cette porte jaune, juste à côté, est fermée à clé.\n\n"
     "Chaque porte ne s'ouvre qu'avec la clé de la couleur de sa serrure. Quand tu l'auras "
     "trouvée, place-toi face à la porte, ouvre ton inventaire (touche I ou menu Inventaire) "
     "et utilise la clé.\n\n"
     "N'oublie pas que ton sac ne peut pas porter plus de 15 Kg!"},
    {304558, TALKS, PLAIN,
     "Derrière ce garde se trouvent deux coffres: place-toi dessus et appuie sur Entrée pour "
     "les ouvrir.\n\n"
     "L'or que tu y trouveras se dépense à la boutique, sur ta gauche.\n\n"
     "Mais fais attention au poids: l'or aussi pèse dans ton sac!"},
    {594048, TALKS, INFO,
     "Derrière cette porte verte se trouve la chambre de la princesse.\n\n"
     "Trouve la clé verte pour l'ouvrir!"},
    {774384, TALKS, INFO,
     "La salle du trésor est par ici!\n\n"
     "Mais elle est gardée par un Chevalier du mal, et sa porte rouge est fermée à clé. "
     "Sois bien armé avant de t'y aventurer."},
    {9792, TALKS, INFO,
     "Voici la porte des appartements du Mage Noir.\n\n"
     "Il s'y abrite derrière un bouclier de lave que rien ne peut traverser... Mais essaie "
     "tous les objets que tu as trouvés: l'un d'eux pourrait bien en venir à bout!"},
};

constexpr const char* FREED_CAPTION = "Vous venez de libere les troubadours!!";
constexpr const char* FREED_TEXT =
    "Merci, merci chevalier! Sans toi, nous serions morts dans cette cage.\n\n"
    "Pour te remercier, nous te laissons notre harpe. Joue-la dans l'antichambre de la salle "
    "du Mage Noir: sa musique affaiblira les sorts qui le protègent.\n\n"
    "- Partez vite, mes amis, vous pouvez maintenant quitter le château sans danger!";

// The cage: row 56 from column 21, rows 58 and 60 from column 20, to column 27.
struct CageRow {
    int row, first;
};
constexpr CageRow CAGE[] = {{56, 21}, {58, 20}, {60, 20}};
constexpr int CAGE_LAST_COL = 27;

// The Mage's lava shield.
constexpr int SHIELD_FIRST_COL = 1, SHIELD_LAST_COL = 8;
constexpr int SHIELD_FIRST_ROW = 14, SHIELD_LAST_ROW = 18;

}  // namespace

int positionKey() {
    const int c = gs.viewLeft + gs.heroCol;
    const int r = gs.viewTop + gs.heroRow;
    return c * r * (c + r);
}

void talkToTroubadour(int key) {
    playSound("harpe");
    if (key == SPOKESMAN_KEY) {
        if (gs.LevelGrid[CAGE_ROW][CAGE_COL] == 'a')
            platform::messageBox(gs.mainWindow, THANKS, TALKS, INFO);
        else
            platform::messageBox(gs.mainWindow, SOBS, "un troubadour vous parle:", INFO);
        return;
    }
    for (const Advice& a : ADVICE) {
        if (a.key == key) {
            platform::messageBox(gs.mainWindow, a.text, a.caption, a.style);
            return;
        }
    }
    // A troubadour where the castle has no advice (a custom level): his key.
    char text[32];
    std::snprintf(text, sizeof text, "troubadour n° %d", key);
    platform::messageBox(nullptr, text, "info troubadour:", PLAIN);
}

void freeTroubadours() {
    platform::messageBox(gs.mainWindow, FREED_TEXT, FREED_CAPTION, INFO);
    for (const CageRow& cage : CAGE)
        for (int c = cage.first; c <= CAGE_LAST_COL; ++c) gs.LevelGrid[cage.row][c] = 'a';
    gs.LevelGrid[HARP_ROW][HARP_COL] = '8';
}

void playHarp() {
    playSound("harpe");
    // Column by column, so that the lava visibly hardens from left to right.
    for (int c = SHIELD_FIRST_COL; c <= SHIELD_LAST_COL; ++c)
        for (int r = SHIELD_FIRST_ROW; r <= SHIELD_LAST_ROW; ++r) {
            if (gs.LevelGrid[r][c] == 'd') gs.LevelGrid[r][c] = '#';
            refreshView();
            drawScene();
        }
}
