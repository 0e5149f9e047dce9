// Start-up: paths, the order of events, start values, the seed, the sound
// operations, and the menus and their boxes through a whole scripted run.
#include <string>

#include "harness.h"
#include "shell/random.h"
#include "shell/startup.h"
#include "shell/statedump.h"
#include "sound/sound.h"

using namespace shelltest;

namespace {

class Startup : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        fresh();
        writeFile("Reglages.cfg", "son=1,Musique=1,Rapidit\xE9=0");
    }
    // A fresh backend and game state, the program in the test's directory.
    void fresh() {
        hl::reset();
        platform::setResources(QUELMAR_GAME_RESOURCES, QUELMAR_GAME_RESOURCE_COUNT);
        gs = GameState{};
        hl::setExecutablePath((dir / "Quelmar").string());
    }
    std::string music() const { return readFile(dir / "sons" / "MusicCfg.cfg"); }
};

}  // namespace

TEST_F(Startup, OrderOfEventsPathsAndStartValues) {
    hl::setStartTime(1);
    hl::setScript({"close"});  // the title window closed at once
    EXPECT_EQ(quelmarMain(), 0);
    // The window, then the title music, then the music player from sons/,
    // working where the game writes the control file.
    const std::string d = dir.string(), sons = d + "/sons/", images = "=" + d + "/Images/";
    expectInOrder({"window place 320 200 390 350", "music 4", "launch \"" + sons + "QuelmaR Son\" cwd=\"" + d + "/sons\""});
    EXPECT_EQ(hl::transcript().back(), "music 100");
    EXPECT_EQ(music(), "musique:100");
    EXPECT_TRUE(linesWith("box ").empty());  // settings were there, the launch worked

    EXPECT_EQ(gameRand(), 41) << "seeded with the time in seconds";
    const std::string dump = "\n" + gameStateDump();
    for (const std::string& line : {"GameDir=" + d, "imagesDir" + images, "soundDir=" + sons,
                                   "heroRightIconPath" + images + "hommed.ico", "heroLeftIconPath" + images + "hommeg.ico",
                                   "heroFrontIconPath" + images + "hommem.ico"})
        EXPECT_NE(dump.find("\n" + line + "\n"), std::string::npos) << line;
    for (const char* line : {"heroCol=7", "heroRow=5", "viewLeft=0", "viewTop=89", "heroFacing=1", "heroSideFacing=1",
                             "life=100", "maxLife=0", "shield=50", "shieldMax=50", "enemyKind=1", "currentWeapon=1",
                             "soundOn=1", "musicOn=1", "slowComputer=0",  // onTitleScreen: see the runner's tests
                             "inventory=0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0"})
        EXPECT_NE(dump.find("\n" + std::string(line) + "\n"), std::string::npos) << line;
    EXPECT_EQ(gs.enemyTaunts[2], " Ta mere va pleurer...");  // set at start-up

    // On a first launch the questions come before the window.
    fs::remove("Reglages.cfg");
    fresh();
    hl::setScript({"close"});
    EXPECT_EQ(quelmarMain(), 0);
    expectInOrder({"caption=\"Réglages de premier lancement\"", "Reglages...", "window place"});
}

TEST_F(Startup, SoundEffectsAndMusicNumbers) {
    gs.soundDir = dir.string() + "/sons/";
    for (const char* name : {"épée mur", "clé"}) playSound(name);
    gs.soundOn = 0;
    playSound("saut");
    EXPECT_EQ(linesWith("sound "), (std::vector<std::string>{"sound épée mur", "sound clé"}));

    // The track times musicOn, and 100 always for the quit number. (The file
    // under the working directory, not GameDir: see the runner's tests.)
    for (auto [on, track, text] : {std::tuple{1, MUSIC_FIGHT, "musique:2"}, {1, MUSIC_SHOP, "musique:3"},
                                   {0, MUSIC_NORMAL, "musique:0"}, {0, MUSIC_QUIT, "musique:100"}}) {
        gs.musicOn = on;
        selectMusic(track);
        EXPECT_EQ(music(), text) << track;
    }
}

TEST_F(Startup, MenusOnTheTitleScreenAndWhilePlaying) {
    std::string level(GRID_CELLS, 'a');
    level.replace(99 * GRID_COLS, GRID_COLS, GRID_COLS, 's');
    writeFile("niveau.niv", level);
    hl::setScript({
        "answer no", "menu 40002",  // quit asks on the title screen too
        "menu 40016",               // about box
        "menu 40012", "click 2",    // options: the title-screen dialog, cancelled
        "menu 40004",               // inventory: nothing on the title screen
        "menu 40007",               // save: nothing either
        "menu 40013",               // help
        "menu 40018", "wait 400",   // credits
        "menu 40011", "click 1",    // a new game on the built-in castle
        "close",                    // cancels the default-slot dialog once there is one, else
                                    // the close box's question, answered by its default No
        "menu 40018",               // credits while playing: only a box
        "menu 40012", "click 2",    // options: the playing dialog
        "answer no", "close",       // close box while playing: keep playing
        "answer yes", "menu 40002", // quit
    });
    EXPECT_EQ(quelmarMain(), 0);
    const std::string quit = "caption=\"Quelmar\" text=\"Etes vous sûr de vouloir quitter?\" -> ";
    expectInOrder({"owner=none icon=question buttons=yesno default=no " + quit + "no",
                   "owner=main icon=none buttons=ok default=ok caption=\"A Propos de...\" text=\"La malediction de "
                   "QuelmaR V1.2\\n" + std::string(34, '_') + "\\n \\n", "dialog open 124", "dialog end 124 2",
                             "open \"aideQuelmaR.html\"", "music 5", "window place 320 200 390 350",
                             "timer set main 0 40", "dialog open 119", "music 0",
                             "caption=\"Bienvenue dans l'aventure...\"", "sound pierre", "music 1",
                             "window place 321 200 480 400", "owner=main icon=none buttons=ok default=ok caption=\"Erreur...\" "
                   "text=\"Pouer afficher les credits, retournez a la page d'intro..\"", "dialog open 121",
                             "dialog end 121 2", "icon=info buttons=yesno default=no caption=\"La malediction de QuelmaR\" "
                   "text=\"Etes vous sûr de vouloir quitter?\\n\\n Toutes vos avancés depuis la dernière sauvegarde "
                   "seront perdus...\" -> no", quit + "yes", "music 100"},
                  lineIndex("launch "));
    // Playing on, the intro's walk done and the stone closing the gate.
    EXPECT_EQ(std::tuple(gs.onTitleScreen, gs.heroCol, gs.LevelGrid[98][2]), std::tuple(0, 5, 's'));
    const std::string about = linesWith("A Propos de...").at(0);  // eleven lines, the help file named
    EXPECT_EQ(std::count(about.begin(), about.end(), '\\'), 10) << about;
    for (const char* part : {"11/11/2005", "Pour plus d'aide double cliquez sur \\n'aideQuelmaR.html' situé dans le dossier du jeu..."})
        EXPECT_NE(about.find(part), std::string::npos) << part;
    EXPECT_EQ(linesWith("music 5").size(), 1u) << "credits rolled while playing";
    for (const char* never : {"caption=\"Niveau...\"", "dialog open 104", "dialog open 118"})
        EXPECT_TRUE(linesWith(never).empty()) << never;
}
