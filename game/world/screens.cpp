#include "world/screens.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "items/weight.h"
#include "shell/window.h"
#include "sound/sound.h"
#include "state.h"
#include "world/scene.h"

namespace {

std::string format(const char* fmt, int a) {
    char buf[64];
    std::snprintf(buf, sizeof buf, fmt, a);
    return buf;
}

std::string format(const char* fmt, int a, int b) {
    char buf[64];
    std::snprintf(buf, sizeof buf, fmt, a, b);
    return buf;
}

// Inventory index shown in each row of the item column, and the row's tile.
constexpr int COLUMN_ITEMS[15] = {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13, 14, 15, 16};
constexpr const char* COLUMN_TILES = "uebm79h8nouvwxyz";  // character i for row i

struct CreditLine {
    int x, offset;
    const char* text;
};

// Thirteen lines, each at most 35 characters; those after the title are kept
// short enough to fit the 390-pixel window from x = 60 in the credits font.
constexpr CreditLine CREDIT_LINES[13] = {
    {40, 0, "'La Malediction de QuelmaR' V1.2"},
    {60, 30, "Par le Studio Quelmar"},
    {60, 70, "Senario: le studio"},
    {60, 90, "Graphismes: l'atelier"},
    {60, 110, "Programmation: l'équipe"},
    {60, 130, "Test: les testeurs"},
    {60, 160, "Remerciements:"},
    {60, 180, "Au projet Quelmar"},
    {60, 200, "Aux outils libres"},
    {60, 220, "À tous les joueurs !"},
    {60, 420, "Voir aideQuelmaR.html"},
    {60, 450, "mail: voir l'aide"},
    {60, 503, "Merci ! - 03/2006"},
};

// The name's place in the panel: from its left edge to a gap before "Pieces:".
constexpr int NAME_X = 25, NAME_RIGHT = 259;

// The longest start of the name (whole characters) that fits its place.
std::string nameThatFits(platform::Dc dc, std::string name) {
    while (!name.empty() && NAME_X + platform::textWidth(dc, name) > NAME_RIGHT) {
        std::size_t cut = name.size() - 1;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
        name.resize(cut);
    }
    return name;
}

void pause(int ms) {
    if (gs.slowComputer == 0) platform::pauseMs(ms);
}

}  // namespace

BarColour lifeBarColour(int life) {
    return BarColour{std::clamp(200 - life, 0, 255), std::clamp(life + 55, 0, 255), 0};
}

int weightGrams(float kg) { return static_cast<int>((kg + 0.0005) * 1000); }

int weightBarPixels(float kg) { return static_cast<int>(kg * 10); }

std::string countdownText(int minutes, int seconds) { return format("%d:%d", minutes, seconds); }

void paintStatusPanel(platform::Dc dc) {
    platform::Window w = gs.mainWindow;
    int fr = gs.favoriteRed, fg = gs.favoriteGreen, fb = gs.favoriteBlue;

    // Both bands are painted whole over their own background, whatever the
    // paint request erased: transparent text drawn over itself would thicken.
    const platform::Rect client = platform::clientRect(w);
    for (const platform::Rect& band : {platform::Rect{0, PANEL_TOP, client.right, client.bottom},
                                       platform::Rect{COLUMN_LEFT, 0, client.right, PANEL_TOP}})
        platform::rectangle(dc, band, platform::BUTTON_FACE, platform::BUTTON_FACE);

    platform::textOut(dc, 6, 270, format("Vie : %d / %d   ", gs.life, gs.maxLife));
    BarColour bar = lifeBarColour(gs.life);
    drawBar(w, 130, 273, gs.maxLife, gs.life, bar.red, bar.green, bar.blue);

    platform::textOut(dc, 6, 290, format("Bouclier: %d/%d   ", gs.shield, gs.shieldMax));
    drawBar(w, 130, 293, gs.shieldMax, gs.shield, fr, fg, fb);

    computeCarriedWeight();
    platform::textOut(dc, 6, 310, format("Poids: %d", weightGrams(gs.carriedWeight)));
    drawBar(w, 130, 313, 150, weightBarPixels(gs.carriedWeight), fr, fg, fb);

    platform::textOut(dc, 265, 330, format("Pieces: %d", gs.inventory[GOLD]));
    platform::textOut(dc, NAME_X, 330, nameThatFits(dc, gs.playerName));

    platform::textOut(dc, 11, 355, format("Force:%d          ", gs.strength));
    platform::textOut(dc, 121, 355, format("Résistance:%d          ", gs.resistance));
    platform::textOut(dc, 231, 355, format("Precision:%d          ", gs.precision));
    platform::textOut(dc, 341, 355, format("Protection:%d          ", gs.protection));
    const int skills[4] = {gs.strength, gs.resistance, gs.precision, gs.protection};
    for (int k = 0; k < 4; ++k) drawBar(w, 10 + 110 * k, 370, 100, skills[k], fr, fg, fb);

    for (int i = 1; i <= 15; ++i) {
        int y = 23 * i - 20;
        platform::textOut(dc, 376, y, i <= 9 ? format("F%d  : ", i) : format("  %d  : ", i - 9));
        int count = gs.inventory[COLUMN_ITEMS[i - 1]];
        std::string path = gs.imagesDir;
        if (count != 0) {
            path += "copie de ";
            path += COLUMN_TILES[i];
            path += ".bmp";
        } else {
            path += "pas.bmp";
        }
        platform::Image picture = platform::loadImage(path, 24, 21);
        platform::drawImage(dc, picture, 410, y);
        platform::freeImage(picture);
        if (count != 0) platform::textOut(dc, 445, y, format("x %d", count));
    }

    if (gs.escapeMode) {
        platform::setBkTransparent(dc, false);
        platform::textOut(dc, 290, 310, countdownText(gs.countdownMinutes, gs.countdownSeconds));
        platform::setBkTransparent(dc, true);
    }
}

void paintTitle(platform::Dc dc) {
    platform::Image title = platform::loadResourceImage(TITLE_BITMAP_ID);
    platform::drawImage(dc, title, 0, 0);
    platform::freeImage(title);
}

void playIntro() {
    platform::killTimer(gs.mainWindow, MAIN_TIMER);
    selectMusic(MUSIC_SILENCE);
    platform::messageBox(
        gs.mainWindow,
        "Vous êtes le prince d'un royaume du sud, et la fille du roi voisin vous "
        "était promise.\n\nMais le Mage Noir l'a enlevée le soir même des fiançailles "
        "et l'a enfermée au sommet de son château maudit.\n\nBien des chevaliers ont "
        "tenté de la délivrer ; aucun n'est revenu entier...\n\nVotre père a juré devant "
        "le sien que vous réussiriez. L'honneur et la paix des deux royaumes reposent "
        "désormais sur votre épée.\n\nVous voici au pied du château de Quelmar.\n\n"
        "Que l'aventure commence !!",
        "Bienvenue dans l'aventure...");
    platform::invalidate(gs.mainWindow, nullptr, true);
    platform::updateWindow(gs.mainWindow);

    for (gs.heroCol = 0; gs.heroCol < 5; ++gs.heroCol) {
        drawScene();
        pause(200);
    }

    gs.LevelGrid[97][2] = 'a';
    refreshView();
    playSound("pierre");
    for (int d = 0; d <= 24; d += 2) {
        drawScene();
        platform::Dc dc = platform::getDc(gs.mainWindow);
        platform::drawImage(dc, gs.tileBitmaps[static_cast<unsigned char>('s')], 48, 192 + d);
        platform::releaseDc(dc);
        pause(110);
    }

    gs.LevelGrid[98][2] = 's';
    refreshView();
    drawScene();
    platform::pauseMs(500);
}

void startCredits() {
    gs.creditsScrollY = CREDITS_START_Y;
    selectMusic(MUSIC_END);
    placeTitleWindow();
    gs.creditsRolling = 1;
    gs.onTitleScreen = 1;
    // The credits end the escape when the hero gets out: no countdown after them.
    gs.escapeMode = 0;
    platform::setTimer(gs.mainWindow, MAIN_TIMER, gs.slowComputer == 0 ? CREDITS_TICK_MS : 0);
}

void drawCreditsFrame() {
    platform::Dc dc = platform::getDc(gs.mainWindow);
    platform::Font font = platform::createFont("Matura MT Script Capitals", 27, 10, true);
    platform::Font previous = platform::selectFont(dc, font);
    platform::setBkTransparent(dc, true);

    platform::drawImage(dc, gs.creditsBitmap, 0, 0);
    for (const CreditLine& line : CREDIT_LINES)
        platform::textOut(dc, line.x, gs.creditsScrollY + line.offset, line.text);

    gs.creditsScrollY -= gs.slowComputer + 2;
    if (gs.creditsScrollY < CREDITS_END_Y) {
        gs.creditsRolling = 0;
        platform::killTimer(gs.mainWindow, MAIN_TIMER);
    }

    platform::selectFont(dc, previous);
    platform::deleteFont(font);
    platform::releaseDc(dc);
}

void showAbout() {
    const std::string rule(34, '_');
    std::string text = "La malediction de QuelmaR V1.2\n" + rule +
                       "\n \n"
                       "Par l'équipe du Studio Quelmar, le 11/11/2005\n"
                       "\n"
                       "mail: pas d'adresse, voir l'aide du jeu\n"
                       "Site: le projet Quelmar, voir l'aide du jeu\n" +
                       rule +
                       "\n"
                       "\n"
                       "Pour plus d'aide double cliquez sur \n"
                       "'aideQuelmaR.html' situé dans le dossier du jeu...";
    platform::messageBox(gs.mainWindow, text, "A Propos de...");
}
