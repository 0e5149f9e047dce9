#include "shell/startup.h"

#include <filesystem>
#include <system_error>

#include "options/settings.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "resources/menu.h"
#include "saves/slots.h"
#include "shell/mainwindow.h"
#include "shell/random.h"
#include "shell/window.h"
#include "sound/sound.h"
#include "state.h"
#include "world/scene.h"

std::string getModuleDirectory() { return platform::dirName(platform::executablePath()); }

void buildPaths() {
    gs.GameDir = getModuleDirectory();
    gs.imagesDir = gs.GameDir + "/Images/";
    gs.heroRightIconPath = gs.GameDir + "/Images/hommed.ico";
    gs.heroLeftIconPath = gs.GameDir + "/Images/hommeg.ico";
    gs.heroFrontIconPath = gs.GameDir + "/Images/hommem.ico";
    gs.soundDir = gs.GameDir + "/sons/";
}

void fillEnemyTaunts() {
    gs.enemyTaunts = {
        " HA HA HA HA \nTu est donc le miserable qui tente de sauver la princesse!!\n\nTu est "
        "vraiment patetique...\n\nJe vais te reduire en boullie HAHAHA!!",
        " Es tu pret a mourir dans d'atroces soufances?",
        " Ta mere va pleurer...",
        " Je donnerais ta depouille comme dessert a la princesse!!",
        " Tien, un paysan veut ce battre contre moi.",
        " A ton avis es ce que les porc du chateau voudrons bien de tes tripes??",
        " La bourse et la vie...\n\n Je vais te prendre les deux..",
        " Même les vers ne voudrons pas de ton cadavre..",
        " A mon avis les vautours vont ce regaler...",
        " C'est domage, je vais salir mon arme avec ton sang...  j'espere que ca ne vas pas la "
        "rouiller!!",
    };
}

void startUp() {
    buildPaths();
    fillEnemyTaunts();
    // The picture folder is "Images" on every system (the name is case-sensitive here).
    gs.creditsBitmap = platform::loadImage(gs.imagesDir + "credits.bmp", 390, 350);
    seedRandom(static_cast<unsigned>(platform::timeSeconds()));
    readSaveFile();
    readSettings();
    loadTileBitmaps();

    platform::WindowInit principale;
    principale.className = "std";
    principale.title = MAIN_WINDOW_TITLE;
    principale.x = TITLE_WINDOW_X;
    principale.y = TITLE_WINDOW_Y;
    principale.clientW = TITLE_CLIENT_W;
    principale.clientH = TITLE_CLIENT_H;
    principale.menu = &mainMenu();
    principale.proc = mainWindowProc;
    principale.smallIconId = SMALL_ICON_ID;
    gs.mainWindow = platform::createWindow(principale);

    // The music player polls the control file in its working directory: it is
    // started in the folder where this game writes that file, under the
    // game's working directory (made when missing), wherever the game was
    // started from; it finds its wave files beside itself.
    std::error_code ec;
    const std::filesystem::path controlDir =
        std::filesystem::current_path(ec) / platform::dirName(MUSIC_CONTROL_FILE);
    std::filesystem::create_directory(controlDir, ec);

    // The player obeys the control file alone: started while the game cannot
    // write it, it could never be told to stop and would play on after the game.
    if (!selectMusic(MUSIC_INTRO)) {
        platform::messageBox(nullptr,
                             "Le fichier sons/MusicCfg.cfg ne peut pas être écrit dans le dossier du jeu: "
                             "le lecteur de musique n'est pas lancé.\nLa musique ne fonctionnera pas.",
                             "Erreur de lancement...",
                             platform::BoxStyle{platform::BoxButtons::Ok, platform::BoxIcon::Error});
    } else if (!platform::launchProgram(gs.soundDir + MUSIC_PLAYER_FILE, gs.soundDir, controlDir.string())) {
        platform::messageBox(nullptr,
                             "impossible de trouver l'application....\nLa musique ne fonctionera pas",
                             "Erreur de lancement...",
                             platform::BoxStyle{platform::BoxButtons::Ok, platform::BoxIcon::Error});
    }
}

int quelmarMain() {
    startUp();
    if (gs.mainWindow) platform::runMessageLoop(gs.mainWindow);
    selectMusic(MUSIC_QUIT);
    return 0;
}
