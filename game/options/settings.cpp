#include "options/settings.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/files.h"
#include "resources/dlg_settings.h"
#include "saves/newgame.h"  // COLOUR_STEP, COLOUR_MAX: shared with the new-game dialog
#include "sound/sound.h"
#include "state.h"
#include "world/scene.h"

namespace {

// The file's own spelling, in Windows-1252 ("é" is the byte 0xE9).
const char* const KEY_SOUND = "son=";
const char* const KEY_MUSIC = ",Musique=";
const char* const KEY_SPEED = ",Rapidit\xE9=";

// Matches a literal then a decimal integer, like "%d" after a fixed text.
bool readField(const char*& p, const char* literal, int& out) {
    std::size_t n = std::strlen(literal);
    if (std::strncmp(p, literal, n) != 0) return false;
    p += n;
    errno = 0;
    char* end = nullptr;
    long value = std::strtol(p, &end, 10);
    if (end == p) return false;
    if (value > INT_MAX) value = INT_MAX;
    if (value < INT_MIN) value = INT_MIN;
    out = static_cast<int>(value);
    p = end;
    return true;
}

void showColourText(platform::Window dlg) {
    std::string text = std::to_string(gs.pickRed) + " - " + std::to_string(gs.pickGreen) +
                       " - " + std::to_string(gs.pickBlue);
    platform::setItemText(dlg, IDC_COLOUR_TEXT, text);
}

void drawPreview(platform::Window dlg) {
    if (gs.onTitleScreen == 0) drawBar(dlg, 132, 75, 80, 65, gs.pickRed, gs.pickGreen, gs.pickBlue);
}

platform::Answer ask(const char* question) {
    return platform::messageBox(nullptr, question, "Réglages de premier lancement",
                                platform::BoxStyle{platform::BoxButtons::YesNo});
}

}  // namespace

bool parseSettings(const std::string& token, int& sound, int& music, int& slow) {
    const char* p = token.c_str();
    return readField(p, KEY_SOUND, sound) && readField(p, KEY_MUSIC, music) &&
           readField(p, KEY_SPEED, slow);
}

int stepColour(int value, int delta) {
    value += delta;
    if (value >= COLOUR_MAX + COLOUR_STEP) value = COLOUR_MAX;
    if (value <= -COLOUR_STEP) value = 0;
    return value;
}

void readSettings() {
    std::vector<std::string> tokens;
    platform::readTokens(SETTINGS_FILE, tokens, 1, 4096);
    int sound = 0, music = 0, slow = 0;
    if (!tokens.empty() && parseSettings(tokens[0], sound, music, slow)) {
        gs.soundOn = sound != 0 ? 1 : 0;
        gs.musicOn = music != 0 ? 1 : 0;
        gs.slowComputer = slow != 0 ? 1 : 0;
        return;
    }
    gs.soundOn = 0;
    gs.musicOn = 0;
    gs.slowComputer = 1;
    if (ask("Voulez vous activer les bruitages sonores?") == platform::Answer::Yes) gs.soundOn = 1;
    if (ask("Voulez vous activer la musique?") == platform::Answer::Yes) gs.musicOn = 1;
    if (ask("Est-ce-que votre ordinateur est rapide (date d'apres 2001)?") ==
        platform::Answer::Yes)
        gs.slowComputer = 0;
    platform::messageBox(nullptr, "Vous pouvez modifier ces reglages dans le menu options...",
                         "Reglages...");
    writeSettings(nullptr);
}

bool writeSettings(platform::Window owner) {
    std::string line = KEY_SOUND + std::to_string(gs.soundOn) + KEY_MUSIC +
                       std::to_string(gs.musicOn) + KEY_SPEED + std::to_string(gs.slowComputer);
    if (platform::replaceFile(SETTINGS_FILE, line)) return true;
    // The previous file is intact; the settings chosen hold for this run only.
    platform::messageBox(owner,
                         "Les réglages n'ont pas pu être enregistrés: le fichier Reglages.cfg n'a pas pu "
                         "être écrit (disque plein ou protégé en écriture?).\n\nIls restent valables "
                         "jusqu'à la fermeture du jeu; le fichier précédent, s'il y en a un, est intact.",
                         "Erreur d'enregistrement...",
                         platform::BoxStyle{platform::BoxButtons::Ok, platform::BoxIcon::Error});
    return false;
}

void optionsCommand() {
    const platform::DialogDef& dlg =
        gs.onTitleScreen == 0 ? settingsPlayDialog() : settingsTitleDialog();
    platform::dialogBox(dlg, gs.mainWindow, settingsDialogProc);
}

long settingsDialogProc(platform::Window dlg, platform::Msg msg, long a, long) {
    switch (msg) {
        case platform::Msg::InitDialog:
            gs.pickRed = gs.favoriteRed;
            gs.pickGreen = gs.favoriteGreen;
            gs.pickBlue = gs.favoriteBlue;
            platform::checkItem(dlg, IDC_MUSIC, gs.musicOn != 0);
            platform::checkItem(dlg, IDC_SOUND, gs.soundOn != 0);
            platform::checkItem(dlg, IDC_FAST, gs.slowComputer == 0);
            if (gs.onTitleScreen == 0) showColourText(dlg);
            drawPreview(dlg);
            return 1;
        case platform::Msg::Paint:
            drawPreview(dlg);
            return 0;
        case platform::Msg::Command: {
            int* component = nullptr;
            int delta = COLOUR_STEP;
            switch (a) {
                case IDC_RED_PLUS: component = &gs.pickRed; break;
                case IDC_RED_MINUS: component = &gs.pickRed; delta = -COLOUR_STEP; break;
                case IDC_GREEN_PLUS: component = &gs.pickGreen; break;
                case IDC_GREEN_MINUS: component = &gs.pickGreen; delta = -COLOUR_STEP; break;
                case IDC_BLUE_PLUS: component = &gs.pickBlue; break;
                case IDC_BLUE_MINUS: component = &gs.pickBlue; delta = -COLOUR_STEP; break;
                case IDC_OK:
                    gs.musicOn = platform::isItemChecked(dlg, IDC_MUSIC) ? 1 : 0;
                    gs.soundOn = platform::isItemChecked(dlg, IDC_SOUND) ? 1 : 0;
                    gs.slowComputer = platform::isItemChecked(dlg, IDC_FAST) ? 0 : 1;
                    if (gs.onTitleScreen == 0) {
                        selectMusic(MUSIC_NORMAL);
                        gs.favoriteRed = gs.pickRed;
                        gs.favoriteGreen = gs.pickGreen;
                        gs.favoriteBlue = gs.pickBlue;
                    }
                    writeSettings(dlg);
                    platform::endDialog(dlg, IDC_OK);
                    return 1;
                case IDC_CANCEL:
                    platform::endDialog(dlg, IDC_CANCEL);
                    return 1;
                default: return 0;
            }
            *component = stepColour(*component, delta);
            showColourText(dlg);
            drawPreview(dlg);
            return 1;
        }
        default: return 0;
    }
}
