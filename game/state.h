// The whole live state of the game: one plain record, one instance (gs).
// Every operation reads and writes it directly; nothing is locked or notified.
#pragma once

#include <array>
#include <string>

#include "platform/platform.h"

constexpr int GRID_ROWS = 100;
constexpr int GRID_COLS = 100;
constexpr int GRID_CELLS = GRID_ROWS * GRID_COLS;
constexpr int VIEW_ROWS = 11;
constexpr int VIEW_COLS = 15;
constexpr int VIEW_LEFT_MAX = GRID_COLS - VIEW_COLS;  // 85
constexpr int VIEW_TOP_MAX = GRID_ROWS - VIEW_ROWS;   // 89
constexpr int TILE_PX = 24;
constexpr int ITEM_COUNT = 18;  // inventory indexes 0..17
constexpr int GOLD = 17;        // inventory index of the gold pieces
constexpr int SLOT_COUNT = 5;
constexpr int TAUNT_COUNT = 10;

using TileCode = char;

// One saved game (five of them in saveSlots).
struct SaveSlot {
    int tutoFirstFight = 0, tutoGuard = 0, tutoGhoul = 0, tutoKnight = 0, tutoSpare1 = 0,
        tutoChest = 0, tutoSpare2 = 0, tutoShop = 0, tutoInventory = 0, tutoSkills = 0,
        tutoSave = 0;
    int viewLeft = 0, viewTop = 0, heroCol = 0, heroRow = 0;
    int strength = 0;
    int customLevel = 0;
    int precision = 0, resistance = 0, protection = 0;
    std::array<int, ITEM_COUNT> inventory{};
    int heroFacing = 0, shield = 0, currentWeapon = 0;
    int favoriteRed = 0, favoriteGreen = 0, favoriteBlue = 0;
    int life = 0, maxLife = 0;
    std::string name;                      // UTF-8, spaces as spaces
    std::array<char, GRID_CELLS> grid{};   // zero bytes until read or saved

    bool operator==(const SaveSlot&) const = default;
};

struct GameState {
    // Hero position and view
    int heroCol = 7;
    int heroRow = 5;
    int viewLeft = 0;
    int viewTop = 89;
    int heroFacing = 1;
    int heroSideFacing = 1;
    char view[VIEW_ROWS][VIEW_COLS] = {};
    char lookMode = 0;
    int savedViewLeft = 0, savedViewTop = 0;

    // The playing field, row-major: LevelGrid[r][c]
    char LevelGrid[GRID_ROWS][GRID_COLS] = {};

    // Vitals and skills
    int life = 100;
    int maxLife = 0;
    int shield = 50;
    int shieldMax = 50;
    int strength = 0, precision = 0, resistance = 0, protection = 0;
    int bonusPoints = 0;
    int favoriteRed = 0, favoriteGreen = 0, favoriteBlue = 0;
    std::string playerName;  // UTF-8, at most 59 characters

    // Inventory (ItemIndex 1..17) and the bag's weight in kilograms
    int inventory[ITEM_COUNT] = {};
    float carriedWeight = 0.0f;

    // Fight variables
    int enemyKind = 1;
    int currentWeapon = 1;
    int enemyLife = 0, enemyMaxLife = 0, enemyDamageBase = 0, enemyMissChance = 0, enemyMove = 0;
    char enemyLootTile = 0;
    int bossPhase = 0;
    int lastDamage = 0;
    char strengthHit = 0, precisionHit = 0;
    int weaponBaseDamage = 0, weaponDamageDivisor = 0, weaponHitChance = 0,
        weaponStrengthBonus = 0;
    std::array<std::string, TAUNT_COUNT> enemyTaunts;

    // Story and tutorial flags (saved in this order)
    int tutoFirstFight = 0, tutoGuard = 0, tutoGhoul = 0, tutoKnight = 0, tutoSpare1 = 0,
        tutoChest = 0, tutoSpare2 = 0, tutoShop = 0, tutoInventory = 0, tutoSkills = 0,
        tutoSave = 0;

    // Modes and screen state
    int onTitleScreen = 1;
    int customLevel = 0;
    int customStartCol = 0, customStartRow = 0;
    char escapeMode = 0;
    int countdownMinutes = 0, countdownSeconds = 0;
    char creditsRolling = 0;
    int creditsScrollY = 0;
    int currentSlot = 0;
    int chosenSlot = 0;
    int currentKey = 0, lastKey = 0;
    char stepToggle = 0;
    int loopK = 0;  // the shop: sell list entry (1..5) to select at the next refresh

    // Settings mirror (Reglages.cfg)
    int soundOn = 1;
    int musicOn = 1;
    int slowComputer = 1;

    // Colour being chosen in the new-game and settings dialogs
    int pickRed = 0, pickGreen = 0, pickBlue = 0;

    // Save slots
    std::array<SaveSlot, SLOT_COUNT> saveSlots;

    // Paths and handles, set once at start-up ('/' separated, UTF-8)
    std::string GameDir;
    std::string imagesDir;
    std::string soundDir;
    std::string heroLeftIconPath, heroFrontIconPath, heroRightIconPath;
    platform::Window mainWindow = nullptr;
    std::array<platform::Image, 256> tileBitmaps{};
    platform::Image creditsBitmap = nullptr;
};

extern GameState gs;
