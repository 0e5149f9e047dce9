#include "castle.h"

#include <deque>
#include <optional>
#include <unordered_map>

namespace castle {

namespace {

constexpr std::string_view START_CODES = "as#dqflt0)123456uvwxyzebm79hpnogki@jc";

bool isSolid(char c) { return c == 's' || c == '#'; }
bool carries(char c) { return c == 's' || c == '#' || c == 'q'; }
bool isDoor(char c) { return c >= '1' && c <= '6'; }
bool isEnemy(char c) { return c == 'g' || c == 'k' || c == 'i'; }
bool isOpenAir(char c) { return c == 'a' || c == 'l' || c == 't'; }
bool isWeapon(char c) { return std::string_view("ebm79h").find(c) != std::string_view::npos; }
bool isKey(char c) { return c >= 'u' && c <= 'z'; }

bool inCage(int row, int col) {
    for (const CageRow& r : CAGE)
        if (row == r.row && col >= r.left && col <= r.right) return true;
    return false;
}

bool inShield(int row, int col) {
    return row >= SHIELD_TOP && row <= SHIELD_BOTTOM && col >= SHIELD_LEFT && col <= SHIELD_RIGHT;
}

using Hero = HeroState;
using Outcome = PressResult;

struct Mover {
    Mover(const Grid& l, const Rules& r, bool harp) : level(l), rules(r), allowHarp(harp) {
        wallIndex.fill(-1);
        int n = 0;
        for (int row = 0; row < ROWS && n < MAX_BREAKABLE_WALLS; ++row)
            for (int col = 0; col < COLS && n < MAX_BREAKABLE_WALLS; ++col)
                if (level[row][col] == '#') wallIndex[row * COLS + col] = static_cast<std::int8_t>(n++);
    }

    const Grid& level;
    const Rules& rules;
    bool allowHarp;
    std::array<std::int8_t, ROWS * COLS> wallIndex;  // breakable wall number per cell, -1 for none
    Cell passedDoor{-1, -1};  // the door walked through by the last press, if any

    std::uint32_t wallFlag(int row, int col) const {
        if (row < 0 || row >= ROWS || col < 0 || col >= COLS) return 0;
        int n = wallIndex[row * COLS + col];
        return n < 0 ? 0 : WALL_BROKEN << n;
    }

    char at(const Hero& h, int row, int col) const {
        if (h.flags & wallFlag(row, col)) return 'a';  // shattered
        return worldCell(level, h.flags, row, col);
    }

    bool doorOpen(const Hero& h, char door) const {
        return (h.flags & (KEY1 << (door - '1'))) != 0;
    }

    // What the hero takes from the cell he comes to rest on.
    void takeWhatLies(Hero& h) const {
        char c = at(h, h.row, h.col);
        if (isKey(c)) h.flags |= KEY1 << (c - 'u');
        if (isWeapon(c)) h.flags |= ARMED;
        if (c == '8') h.flags |= HARP_CARRIED;
    }

    // Falls until something carries him. False when the fall kills or costs
    // more than the route may spend; lava at the end kills.
    bool fall(Hero& h) const {
        const int startRow = h.row;
        while (!carries(at(h, h.row + 1, h.col))) ++h.row;
        const int rows = h.row - startRow;
        if (rows > 2) {
            int cost = (rows - 2) * rules.bagKg;
            if (cost > rules.maxFallCost || rules.life - cost < 0) return false;
        }
        return at(h, h.row, h.col) != 'd';
    }

    // Where a jump or a fall may leave him: not on an enemy nor on the Mage,
    // whose fights only a walking step starts.
    bool restsWell(const Hero& h) const {
        char c = at(h, h.row, h.col);
        return !isEnemy(c) && c != '@';
    }

    Outcome walk(Hero& h, int d) {
        if (h.facing == d) {
            char front = at(h, h.row, h.col + d);
            if (isDoor(front) && !doorOpen(h, front)) {
                // Knocking on a locked door ends the step at once, fall included.
                const int row = h.row;
                if (!fall(h) || (h.row != row && !restsWell(h))) return Outcome::Lost;
                if (h.row == row) return Outcome::Nothing;
                takeWhatLies(h);
                return Outcome::Moved;
            }
            if (!isSolid(front)) {
                if (isDoor(front)) {
                    // The orange door opened from the spokesman's side frees the cage.
                    if (front == '5' && h.col >= ORANGE_DOOR_LEFT && h.col <= ORANGE_DOOR_RIGHT)
                        h.flags |= CAPTIVES_FREED;
                    passedDoor = {h.row, h.col + d};
                }
                h.col += d;
            }
        }
        h.facing = d;
        char here = at(h, h.row, h.col);
        if (here == '@') return Outcome::Mage;
        if (here == 'd') return Outcome::Lost;
        if (isEnemy(here) && !(h.flags & ARMED)) h.col -= h.facing;  // no weapon: pushed back
        if ((h.flags & MAGE_DEAD) && h.col == 0) return Outcome::Exit;
        const int row = h.row;
        if (!fall(h)) return Outcome::Lost;
        if (h.row != row && !restsWell(h)) return Outcome::Lost;
        takeWhatLies(h);
        return Outcome::Moved;
    }

    Outcome climbUp(Hero& h) const {
        if (h.facing != 0) h.side = h.facing;
        if (at(h, h.row, h.col) != 'q' || at(h, h.row - 1, h.col) == 's') return Outcome::Nothing;
        h.row -= 1;
        h.facing = at(h, h.row, h.col) == 'q' ? 0 : h.side;
        if (!restsWell(h)) return Outcome::Lost;
        takeWhatLies(h);
        return Outcome::Moved;
    }

    Outcome climbDown(Hero& h) const {
        if (h.facing != 0) h.side = h.facing;
        char below = at(h, h.row + 1, h.col);
        if (isOpenAir(below)) {
            if (!fall(h) || !restsWell(h)) return Outcome::Lost;
            h.facing = h.side;
        } else if (below == 'q') {
            h.row += 1;
            h.facing = 0;
            if (!restsWell(h)) return Outcome::Lost;
        } else {
            return Outcome::Nothing;
        }
        takeWhatLies(h);
        return Outcome::Moved;
    }

    Outcome jump(Hero& h) const {
        const int d = h.facing;
        if (isSolid(at(h, h.row - 1, h.col)) || at(h, h.row - 1, h.col + d) == 's')
            return Outcome::Nothing;
        char front = at(h, h.row, h.col + d);
        if (front == '#' || isEnemy(front)) return Outcome::Nothing;
        h.row -= 1;
        h.col += d;
        if (!isSolid(at(h, h.row, h.col + d)) && !isSolid(at(h, h.row + 1, h.col))) h.col += d;
        if (!fall(h) || !restsWell(h)) return Outcome::Lost;
        takeWhatLies(h);
        return Outcome::Moved;
    }

    Outcome harp(Hero& h) const {
        if (!allowHarp || !(h.flags & HARP_CARRIED) || (h.flags & SHIELD_DRIED)) return Outcome::Nothing;
        if (h.row != HARP_ROW || h.col < HARP_LEFT || h.col > HARP_RIGHT) return Outcome::Nothing;
        h.flags |= SHIELD_DRIED;
        return Outcome::Moved;
    }

    // A weapon against the dried lava in front: it gives way sooner or later.
    Outcome strike(Hero& h) const {
        if (!(h.flags & ARMED)) return Outcome::Nothing;
        std::uint32_t wall = wallFlag(h.row, h.col + h.facing);
        if (!wall || (h.flags & wall) || at(h, h.row, h.col + h.facing) != '#') return Outcome::Nothing;
        h.flags |= wall;
        const int row = h.row;
        if (!fall(h) || (h.row != row && !restsWell(h))) return Outcome::Lost;
        takeWhatLies(h);
        return Outcome::Moved;
    }

    Outcome press(Hero& h, Action a) {
        passedDoor = {-1, -1};
        switch (a) {
            case Action::Left: return walk(h, -1);
            case Action::Right: return walk(h, 1);
            case Action::Up: return climbUp(h);
            case Action::Down: return climbDown(h);
            case Action::Jump: return jump(h);
            case Action::Harp: return harp(h);
            case Action::Strike: return strike(h);
            case Action::None: break;
        }
        return Outcome::Nothing;
    }
};

constexpr std::array<Action, 7> ACTIONS{Action::Left, Action::Right, Action::Up, Action::Down,
                                        Action::Jump, Action::Harp, Action::Strike};

// Breadth-first over hero states; the state of each flag set lives in its own
// table of cells x facings x sides.
class Explorer {
public:
    Explorer(const Grid& level, const Rules& rules, bool allowHarp)
        : mover_(level, rules, allowHarp) {}

    struct Node {
        Hero hero;
        int parent;
        Action action;
    };

    template <typename Visit>
    void run(Hero start, Visit&& visit) {
        enqueue(start, -1, Action::None);
        for (std::size_t i = 0; i < nodes_.size(); ++i) {
            for (Action a : ACTIONS) {
                Hero h = nodes_[i].hero;
                Outcome out = mover_.press(h, a);
                if (out == Outcome::Nothing || out == Outcome::Lost) continue;
                if (!visit(static_cast<int>(i), a, h, out, mover_.passedDoor)) return;
                if (out == Outcome::Moved) enqueue(h, static_cast<int>(i), a);
            }
        }
    }

    const std::vector<Node>& nodes() const { return nodes_; }

    std::vector<Step> routeTo(int node) const {
        std::vector<Step> steps;
        for (int i = node; i >= 0 && nodes_[i].parent >= 0; i = nodes_[i].parent) {
            const Hero& h = nodes_[i].hero;
            steps.push_back({nodes_[i].action, h.row, h.col, h.facing, h.flags});
        }
        return {steps.rbegin(), steps.rend()};
    }

private:
    static int slot(const Hero& h) {
        return ((h.row * COLS + h.col) * 3 + (h.facing + 1)) * 2 + (h.side > 0 ? 1 : 0);
    }

    void enqueue(const Hero& h, int parent, Action a) {
        auto& seen = seen_[h.flags];
        if (seen.empty()) seen.assign(ROWS * COLS * 6, 0);
        std::uint8_t& mark = seen[slot(h)];
        if (mark) return;
        mark = 1;
        nodes_.push_back({h, parent, a});
    }

    Mover mover_;
    std::vector<Node> nodes_;
    std::unordered_map<std::uint32_t, std::vector<std::uint8_t>> seen_;
};

Hero startHero(Cell start, int facing, std::uint32_t flags) {
    return {start.row, start.col, facing, facing < 0 ? -1 : 1, flags};
}

}  // namespace

bool isStartCode(char c) { return c != '\0' && START_CODES.find(c) != std::string_view::npos; }

bool parseText(std::string_view text, Grid& grid, std::string& error) {
    int row = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        std::string_view line = text.substr(pos, end == std::string_view::npos ? text.npos : end - pos);
        pos = end == std::string_view::npos ? text.size() : end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (row >= ROWS) {
            error = "more than 100 lines (line " + std::to_string(row + 1) + ")";
            return false;
        }
        if (line.size() != COLS) {
            error = "line " + std::to_string(row + 1) + " has " + std::to_string(line.size()) +
                    " codes, not 100";
            return false;
        }
        for (int c = 0; c < COLS; ++c) {
            if (!isStartCode(line[c])) {
                error = "line " + std::to_string(row + 1) + ", column " + std::to_string(c) +
                        ": '" + std::string(1, line[c]) + "' is not a tile code of the castle";
                return false;
            }
            grid[row][c] = line[c];
        }
        ++row;
    }
    if (row != ROWS) {
        error = "only " + std::to_string(row) + " lines, not 100";
        return false;
    }
    return true;
}

std::string toToken(const Grid& grid) {
    std::string token;
    token.reserve(ROWS * COLS);
    for (const auto& row : grid) token.append(row.data(), COLS);
    return token;
}

char worldCell(const Grid& level, std::uint32_t flags, int row, int col) {
    if (row < 0 || row >= ROWS || col < 0 || col >= COLS) return 's';
    char c = level[row][col];
    if (flags & MAGE_DEAD) {
        if (row == STONE_BOTTOM_ROW && col == STONE_COL) return 'a';
        if (row == STONE_TOP_ROW && col == STONE_COL) return 's';
        if (c == 'd') return '#';
        if (c == '@') return 'a';
    }
    if ((flags & SHIELD_DRIED) && c == 'd' && inShield(row, col)) return '#';
    if (flags & CAPTIVES_FREED) {
        if (row == HARP_DROP_ROW && col == HARP_DROP_COL) return '8';
        if (inCage(row, col)) return 'a';
    }
    return c;
}

Grid afterIntro(const Grid& level) {
    Grid g = level;
    g[STONE_TOP_ROW][STONE_COL] = 'a';
    g[STONE_BOTTOM_ROW][STONE_COL] = 's';
    return g;
}

SearchResult search(const Grid& level, Cell start, int facing, std::uint32_t flags,
                    const Goal& goal, const Rules& rules, bool allowHarp) {
    SearchResult result;
    Explorer ex(level, rules, allowHarp);
    int reached = -1;
    Action last = Action::None;
    Hero atGoal{};
    ex.run(startHero(start, facing, flags),
           [&](int parent, Action a, const Hero& h, Outcome out, Cell door) {
               bool hit = false;
               switch (goal.kind) {
                   case Goal::Stand:
                       hit = out == Outcome::Moved && h.row == goal.cell.row && h.col == goal.cell.col;
                       break;
                   case Goal::PassDoor: hit = door == goal.cell; break;
                   case Goal::Mage: hit = out == Outcome::Mage; break;
                   case Goal::Exit: hit = out == Outcome::Exit; break;
               }
               if (!hit) return true;
               reached = parent;
               last = a;
               atGoal = h;
               return false;
           });
    result.statesExplored = ex.nodes().size();
    if (reached < 0) return result;
    result.found = true;
    result.route = ex.routeTo(reached);
    result.route.push_back({last, atGoal.row, atGoal.col, atGoal.facing, atGoal.flags});
    result.presses = static_cast<int>(result.route.size());
    return result;
}

Reach explore(const Grid& level, Cell start, int facing, std::uint32_t flags, const Rules& rules,
              bool allowHarp) {
    Reach reach;
    reach.stood.assign(ROWS * COLS, 0);
    reach.passed.assign(ROWS * COLS, 0);
    reach.stood[start.row * COLS + start.col] = 1;
    Explorer ex(level, rules, allowHarp);
    ex.run(startHero(start, facing, flags),
           [&](int, Action, const Hero& h, Outcome out, Cell door) {
               if (door.row >= 0) reach.passed[door.row * COLS + door.col] = 1;
               if (out == Outcome::Moved) reach.stood[h.row * COLS + h.col] = 1;
               if (out == Outcome::Mage && !reach.mage) {
                   reach.mage = true;
                   reach.mageCell = {h.row, h.col};
                   reach.mageFlags = h.flags;
               }
               if (out == Outcome::Exit) reach.exit = true;
               return true;
           });
    reach.states = ex.nodes().size();
    return reach;
}

PressResult pressOnce(const Grid& level, const Rules& rules, HeroState& hero, Action a) {
    Mover mover(level, rules, true);
    return mover.press(hero, a);
}

const char* actionName(Action a) {
    switch (a) {
        case Action::Left: return "gauche";
        case Action::Right: return "droite";
        case Action::Up: return "haut";
        case Action::Down: return "bas";
        case Action::Jump: return "saut";
        case Action::Harp: return "harpe";
        case Action::Strike: return "arme";
        case Action::None: break;
    }
    return "-";
}

}  // namespace castle
