// The built-in castle as a level designer sees it: the readable source text
// (100 lines of 100 tile codes), the single-token level file made from it, and
// a search that plays the castle by the hero's movement rules to prove that it
// can be won.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace castle {

constexpr int ROWS = 100;
constexpr int COLS = 100;

// Hero start after the intro: he enters at (98, 0) and the intro walks him to
// column 5, facing right.
constexpr int START_ROW = 98;
constexpr int START_COL_AFTER_INTRO = 5;

// Cells the story of the built-in castle depends on.
constexpr int STONE_TOP_ROW = 97, STONE_BOTTOM_ROW = 98, STONE_COL = 2;
constexpr int SHIELD_TOP = 14, SHIELD_BOTTOM = 18, SHIELD_LEFT = 1, SHIELD_RIGHT = 8;
constexpr int HARP_ROW = 18, HARP_LEFT = 8, HARP_RIGHT = 11;
constexpr int HARP_DROP_ROW = 60, HARP_DROP_COL = 26;
constexpr int CAPTIVES_FREED_ROW = 60, CAPTIVES_FREED_COL = 25;
constexpr int ORANGE_DOOR_LEFT = 29, ORANGE_DOOR_RIGHT = 32;  // hero's column when opening

struct Cell {
    int row;
    int col;
    bool operator==(const Cell&) const = default;
};

// The ten troubadours whose words are written for their place.
constexpr std::array<Cell, 10> TROUBADOURS{{{98, 4}, {98, 8}, {98, 21}, {98, 25}, {98, 42},
                                            {89, 29}, {60, 31}, {84, 52}, {78, 68}, {18, 16}}};

// The captives' cage: the cells the freeing empties, by row.
struct CageRow {
    int row;
    int left;
    int right;
};
constexpr std::array<CageRow, 3> CAGE{{{56, 21, 27}, {58, 20, 27}, {60, 20, 27}}};

using Grid = std::array<std::array<char, COLS>, ROWS>;

// True for every code a level of the built-in castle may hold at the start:
// what the editor places, plus the troubadour. Codes the game makes itself
// (opened chest, open door, the harp) are not part of a fresh castle.
bool isStartCode(char c);

// Reads the source text: exactly 100 lines of exactly 100 codes (a final line
// break is optional, "\r\n" is accepted). On failure `error` says where.
bool parseText(std::string_view text, Grid& grid, std::string& error);
// The level file's content: the 10,000 codes row after row, no separator.
std::string toToken(const Grid& grid);

// What the search assumes of the hero's bag and life when it judges falls.
struct Rules {
    int bagKg = 10;        // whole kilograms, as the fall damage counts them
    int life = 100;        // life when the fall starts
    int maxFallCost = 30;  // a fall the route may take costs at most this much
};

// Strike: a weapon's quick key against the dried lava in front of the hero.
enum class Action : std::uint8_t { Left, Right, Up, Down, Jump, Harp, Strike, None };

// One step of a found route: the key pressed and where it left the hero.
struct Step {
    Action action;
    int row;
    int col;
    int facing;
    std::uint32_t flags;
};

// The world changes the search follows; they only ever get added.
enum Flag : std::uint32_t {
    KEY1 = 1u << 0,  // yellow, green, blue, red, orange, violet: KEY1 << (colour - 1)
    ARMED = 1u << 6,
    CAPTIVES_FREED = 1u << 7,
    HARP_CARRIED = 1u << 8,
    SHIELD_DRIED = 1u << 9,
    MAGE_DEAD = 1u << 10,
    WALL_BROKEN = 1u << 11,  // the n-th wall of dried lava of the fresh castle: WALL_BROKEN << n
};

// Walls of dried lava (`#`) in a fresh castle are meant to be shattered with a
// weapon; the search follows the first few of them, in reading order.
constexpr int MAX_BREAKABLE_WALLS = 4;

struct Goal {
    enum Kind { Stand, PassDoor, Mage, Exit } kind;
    Cell cell;
};

struct SearchResult {
    bool found = false;
    std::vector<Step> route;  // from the first press to the goal
    int presses = 0;
    std::size_t statesExplored = 0;
};

// Plays the castle from `start` (the hero standing there, facing `facing`) in
// the world described by `flags`, pressing the arrows, Space, and the harp key
// where the harp works, and taking what lies on the cells he stands on (keys,
// weapons, the harp). Doors open when their key is carried. Stops at the
// fewest presses that reach `goal`. `allowHarp` false forbids playing the harp.
SearchResult search(const Grid& level, Cell start, int facing, std::uint32_t flags,
                    const Goal& goal, const Rules& rules, bool allowHarp = true);

// Every state reachable from the start, for the "is anything reachable" checks.
struct Reach {
    std::vector<std::uint8_t> stood;   // per cell: the hero stood there at some point
    std::vector<std::uint8_t> passed;  // per door cell: the hero walked through it
    bool mage = false;                 // walked onto the Mage
    Cell mageCell{-1, -1};
    std::uint32_t mageFlags = 0;  // flags held when the Mage was first reached
    bool exit = false;            // a step into column 0 while escaping
    std::size_t states = 0;
};
Reach explore(const Grid& level, Cell start, int facing, std::uint32_t flags, const Rules& rules,
              bool allowHarp = true);

// The castle as the search sees it with `flags`: the intro's stone, the freed
// cage, the dried shield, and the Mage's defeat applied.
char worldCell(const Grid& level, std::uint32_t flags, int row, int col);

// The grid after the intro of a new game: the stone has dropped into (98, 2).
Grid afterIntro(const Grid& level);

const char* actionName(Action a);

// One press by the search's rules, for comparing them with the game's: the hero
// (grid cell, facing -1/0/+1, the side he turns back to from a ladder, flags)
// is moved in place. Lost: he died, or came to rest where the search does not
// follow him (on an enemy or the Mage without a fight).
struct HeroState {
    int row;
    int col;
    int facing;
    int side;
    std::uint32_t flags;
};
enum class PressResult { Moved, Lost, Nothing, Mage, Exit };
PressResult pressOnce(const Grid& level, const Rules& rules, HeroState& hero, Action a);

}  // namespace castle
