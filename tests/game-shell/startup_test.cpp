// The start-up sequence on the headless backend: paths, order of events in the
// transcript, start values, the generator's seed, the tile pictures, the sound
// operations.
#include <string>

#include "harness.h"
#include "shell/random.h"
#include "shell/startup.h"
#include "shell/statedump.h"
#include "sound/sound.h"
#include "world/scene.h"

using namespace shelltest;
namespace hl = platform::headless;

namespace {

class Startup : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        gs.GameDir.clear();
        gs.imagesDir.clear();
        gs.soundDir.clear();
        hl::setExecutablePath((dir / "Quelmar").string());
        writeFile("Reglages.cfg", "son=1,Musique=1,Rapidit\xE9=0");
    }
    std::string dumpValue(const std::string& dump, const std::string& name) {
        const std::size_t at = dump.find("\n" + name + "=");
        if (at == std::string::npos) return "<missing>";
        const std::size_t from = at + name.size() + 2;
        return dump.substr(from, dump.find('\n', from) - from);
    }
};

}  // namespace

TEST_F(Startup, OrderOfEventsFromTitleMusicToQuitNumber) {
    hl::setScript({"close"});
    EXPECT_EQ(quelmarMain(), 0);
    const auto& t = hl::transcript();
    const int place = lineIndex("window place 320 200 390 350");
    const int intro = lineIndex("music 4");
    const int launch = lineIndex("launch ");
    ASSERT_GE(place, 0);
    ASSERT_GT(intro, place) << "the title music comes after the window";
    ASSERT_GT(launch, intro) << "and before the music player";
    const std::string sons = dir.string() + "/sons/";
    EXPECT_EQ(t[static_cast<std::size_t>(launch)], "launch \"" + sons + "QuelmaR Son\" cwd=\"" + sons + "\"");
    EXPECT_EQ(t.back(), "music 100");
    EXPECT_EQ(readFile(dir / "sons" / "MusicCfg.cfg"), "musique:100");
    EXPECT_TRUE(linesWith("box ").empty());  // settings were there, the launch worked
}

TEST_F(Startup, MusicOffStillSendsTheQuitNumber) {
    writeFile("Reglages.cfg", "son=1,Musique=0,Rapidit\xE9=0");
    hl::setScript({"close"});
    quelmarMain();
    EXPECT_GE(lineIndex("music 0"), 0);
    EXPECT_EQ(lineIndex("music 4"), -1);
    EXPECT_EQ(hl::transcript().back(), "music 100");
}

TEST_F(Startup, FirstLaunchQuestionsComeBeforeTheWindow) {
    fs::remove("Reglages.cfg");
    hl::setScript({"close"});
    quelmarMain();
    const int question = lineIndex("caption=\"Réglages de premier lancement\"");
    ASSERT_GE(question, 0);
    EXPECT_NE(hl::transcript()[static_cast<std::size_t>(question)].find("owner=none"), std::string::npos);
    EXPECT_LT(lineIndex("Reglages..."), lineIndex("window place"));
}

TEST_F(Startup, PathsAndStartValues) {
    hl::setStartTime(1);
    hl::setScript({});
    EXPECT_THROW(quelmarMain(), hl::ScriptEnd);
    const std::string d = dir.string();
    EXPECT_EQ(gs.GameDir, d);
    EXPECT_EQ(gs.imagesDir, d + "/Images/");
    EXPECT_EQ(gs.soundDir, d + "/sons/");
    EXPECT_EQ(gs.heroRightIconPath, d + "/Images/hommed.ico");
    EXPECT_EQ(gs.heroLeftIconPath, d + "/Images/hommeg.ico");
    EXPECT_EQ(gs.heroFrontIconPath, d + "/Images/hommem.ico");
    EXPECT_EQ(gameRand(), 41) << "seeded with the time in seconds";

    const std::string dump = "\n" + gameStateDump();
    const std::pair<const char*, const char*> start[] = {
        {"heroCol", "7"},        {"heroRow", "5"},       {"viewLeft", "0"},      {"viewTop", "89"},
        {"heroFacing", "1"},     {"heroSideFacing", "1"}, {"lookMode", "0"},     {"life", "100"},
        {"maxLife", "0"},        {"shield", "50"},       {"shieldMax", "50"},    {"strength", "0"},
        {"enemyKind", "1"},      {"currentWeapon", "1"}, {"onTitleScreen", "1"}, {"customLevel", "0"},
        {"escapeMode", "0"},     {"creditsRolling", "0"}, {"creditsScrollY", "0"}, {"currentSlot", "0"},
        {"chosenSlot", "0"},     {"currentKey", "0"},    {"lastKey", "0"},       {"stepToggle", "0"},
        {"soundOn", "1"},        {"musicOn", "1"},       {"slowComputer", "0"},  {"playerName", ""},
        {"carriedWeight", "0"},  {"inventory", "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0"},
    };
    for (const auto& [name, value] : start) EXPECT_EQ(dumpValue(dump, name), value) << name;
    EXPECT_EQ(gs.enemyTaunts[2], " Ta mere va pleurer...");
    for (const std::string& taunt : gs.enemyTaunts) EXPECT_EQ(taunt.rfind(' ', 0), 0u) << taunt;
}

TEST_F(Startup, TilePicturesOnlyForCodes34To123) {
    const fs::path images = dir / "Images";
    for (char code : std::string("\"s{|!")) writeBmp(images / (std::string(1, code) + ".bmp"), 24, 24, 0x101010);
    writeBmp(images / "a.bmp", 48, 48, 0x202020);  // scaled to 24 x 24
    gs.imagesDir = images.string() + "/";
    loadTileBitmaps();
    EXPECT_NE(gs.tileBitmaps['"'], nullptr);
    EXPECT_NE(gs.tileBitmaps['s'], nullptr);
    EXPECT_NE(gs.tileBitmaps['{'], nullptr);
    EXPECT_EQ(gs.tileBitmaps['|'], nullptr);  // 124: beyond the range
    EXPECT_EQ(gs.tileBitmaps['!'], nullptr);  // 33
    EXPECT_EQ(gs.tileBitmaps['q'], nullptr);  // no file
    ASSERT_NE(gs.tileBitmaps['a'], nullptr);
    EXPECT_EQ(platform::imageWidth(gs.tileBitmaps['a']), 24);
    EXPECT_EQ(platform::imageHeight(gs.tileBitmaps['a']), 24);
}

TEST_F(Startup, SoundEffectsAndMusicNumbers) {
    gs.soundDir = dir.string() + "/sons/";
    playSound("épée mur");
    playSound("clé");
    EXPECT_EQ(linesWith("sound ").size(), 2u);
    EXPECT_GE(lineIndex("sound épée mur"), 0);
    EXPECT_GE(lineIndex("sound clé"), 0);
    gs.soundOn = 0;
    playSound("saut");
    EXPECT_EQ(linesWith("sound ").size(), 2u);

    selectMusic(MUSIC_FIGHT);
    EXPECT_EQ(readFile(dir / "sons" / "MusicCfg.cfg"), "musique:2");
    gs.musicOn = 0;
    for (int track : {MUSIC_NORMAL, MUSIC_FIGHT, MUSIC_SHOP, MUSIC_INTRO, MUSIC_END}) {
        selectMusic(track);
        EXPECT_EQ(readFile(dir / "sons" / "MusicCfg.cfg"), "musique:0") << track;
    }
    selectMusic(MUSIC_QUIT);
    EXPECT_EQ(readFile(dir / "sons" / "MusicCfg.cfg"), "musique:100");

    // The control file is relative to the working directory, not to GameDir.
    fs::create_directories(dir / "elsewhere" / "sons");
    fs::current_path(dir / "elsewhere");
    gs.musicOn = 1;
    selectMusic(MUSIC_SHOP);
    EXPECT_EQ(readFile(dir / "elsewhere" / "sons" / "MusicCfg.cfg"), "musique:3");
    EXPECT_EQ(readFile(dir / "sons" / "MusicCfg.cfg"), "musique:100");
    fs::current_path(dir);
}

TEST_F(Startup, MenusOnTheTitleScreenAndWhilePlaying) {
    std::string level(GRID_CELLS, 'a');
    for (int c = 0; c < GRID_COLS; ++c) level[static_cast<std::size_t>(99 * GRID_COLS + c)] = 's';
    writeFile("niveau.niv", level);
    hl::setScript({
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
    const std::vector<std::string> expected = {
        "caption=\"A Propos de...\"",
        "dialog open 124",
        "dialog end 124 2",
        "open \"aideQuelmaR.html\"",
        "music 5",
        "window place 320 200 390 350",
        "timer set main 0 40",
        "dialog open 119",
        "music 0",
        "caption=\"Bienvenue dans l'aventure...\"",
        "sound pierre",
        "music 1",
        "window place 321 200 480 400",
        "caption=\"Erreur...\"",
        "dialog open 121",
        "dialog end 121 2",
        "caption=\"La malediction de QuelmaR\"",
        "caption=\"Quelmar\" text=\"Etes vous sûr de vouloir quitter?\" -> yes",
        "music 100",
    };
    int at = lineIndex("launch ");
    ASSERT_GE(at, 0);
    for (const std::string& text : expected) {
        const int next = lineIndex(text, at + 1);
        ASSERT_GT(next, at) << "missing or out of order: " << text;
        at = next;
    }
    EXPECT_EQ(gs.onTitleScreen, 0);
    EXPECT_EQ(gs.heroCol, 5);  // the intro's walk
    EXPECT_EQ(gs.LevelGrid[98][2], 's');  // the stone closed the gate
    EXPECT_EQ(gs.LevelGrid[97][2], 'a');
    EXPECT_EQ(linesWith("caption=\"Niveau...\"").size(), 0u);
    EXPECT_EQ(linesWith("dialog open 104").size(), 0u);
    EXPECT_EQ(linesWith("dialog open 118").size(), 0u);
}
