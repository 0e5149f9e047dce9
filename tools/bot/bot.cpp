#include "bot.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sstream>

#include "platform/headless.h"
#include "runner.h"
#include "state.h"

namespace hl = platform::headless;
using namespace castle;

namespace bot {

namespace {

// Human pace on the virtual clock.
constexpr int KEY_WAIT_MS = 200;     // before each key press
constexpr int ANSWER_WAIT_MS = 350;  // before each answer button of a fight
constexpr int BOX_OPEN_MS = 500;     // a box is read before it is answered
constexpr int MAX_LINES = 20000;     // a run that has not ended by then is stuck

constexpr int DLG_FIGHT = 111, DLG_WEAPON = 112, DLG_SHOP = 113, DLG_SKILLS = 115, DLG_NEWGAME = 119,
              DLG_BOSS = 123;
constexpr int FIGHT_BUTTONS[3] = {1032, 1033, 1034};
constexpr int BOSS_BUTTONS[5] = {1075, 1076, 1039, 1040, 1041};
constexpr int SKILL_BUTTONS[3] = {1032, 1034, 1033};  // strength, precision, resistance in turn
constexpr const char* SIGN = "/|\\";
// What the bot goes out of its way for: potions, elixirs, chests, the shield, weapons but
// the halberd (too heavy for what it brings), keys.
constexpr std::string_view WANTED = "nocpem79huvwxyz";
constexpr std::string_view TAKEN = "cnoebm79hp8uvwxyz";  // cells the knight empties with Enter

class Player {
public:
    Player(const Grid& source, unsigned seed) : world(afterIntro(source)), seed(seed) {}

    Report run(const std::string& gameDir) {
        std::vector<std::string> opening = {"seed " + std::to_string(seed),
                                            // the first launch: no sound, no music, a fast computer
                                            "answer no 500", "answer no 500", "answer yes 500", "answer ok 500"};
        for (auto& l : opening) report.script.push_back(l);
        hl::setScriptFeeder([this] { feed(); });
        hl::setBoxAdvisor([this](std::string_view caption, std::string_view text, bool yesNo) {
            return advise(caption, text, yesNo);
        });
        std::ostringstream out, err;
        runHeadlessLines(false, gameDir, opening, out, err);
        hl::setScriptFeeder(nullptr);
        hl::setBoxAdvisor(nullptr);
        report.output = out.str();
        if (!err.str().empty() && report.stoppedBy.empty()) report.stoppedBy = err.str();
        report.won = gs.creditsRolling || (report.mageBeaten && gs.onTitleScreen && !gs.escapeMode && gs.life > 0);
        report.gameMs = hl::nowMs();
        report.gold = gs.inventory[17];
        report.row = row();
        report.col = col();
        if (report.won) report.stoppedBy.clear();
        else if (report.stoppedBy.empty()) report.stoppedBy = "the script ended";
        return report;
    }

private:
    Grid world;
    unsigned seed;
    Report report;
    std::size_t seen = 0;         // transcript lines read so far
    std::vector<int> dialogs;     // open dialogs, topmost last
    std::vector<std::string> queue;  // lines decided, not yet given
    bool started = false;
    std::vector<Step> route;
    std::size_t next = 0;
    std::uint32_t held = 0;
    bool escaping = false;
    int lastLifeHealed = -1;
    int shopGold = -1000;  // gold left at the last shop
    bool shopping = false;
    int queueFor = 0;  // the dialog the queued lines are for, 0 the main window

    int row() const { return gs.viewTop + gs.heroRow; }
    int col() const { return gs.viewLeft + gs.heroCol; }

    void give(const std::string& line) {
        if (std::getenv("BOT_TRACE") && report.script.size() % 500 == 0)
            std::fprintf(stderr, "line %zu: %s at (%d, %d) dialogs %zu\n", report.script.size(), line.c_str(), row(), col(), dialogs.size());
        report.script.push_back(line);
        hl::appendScript({line});
    }
    void stop(const std::string& why) {
        if (report.stoppedBy.empty()) report.stoppedBy = why;
        queue.clear();
    }

    // What the transcript says happened since the last look: dialogs opened and closed.
    void readTranscript() {
        const auto& t = hl::transcript();
        for (; seen < t.size(); ++seen) {
            std::istringstream in(t[seen]);
            std::string w1, w2;
            int id = 0;
            in >> w1 >> w2 >> id;
            if (w1 != "dialog") continue;
            if (w2 == "open") dialogs.push_back(id);
            else if (w2 == "end" && !dialogs.empty()) dialogs.erase(std::find(dialogs.rbegin(), dialogs.rend(), id).base() - 1);
        }
    }

    std::optional<std::pair<platform::Answer, long long>> advise(std::string_view caption, std::string_view text,
                                                                 bool yesNo) {
        (void)caption;
        (void)text;
        // Boxes keep their default answer, after being read.
        platform::Answer a = platform::Answer::Ok;
        if (yesNo) a = platform::Answer::No;
        const std::string line = std::string("answer ") + (yesNo ? "no" : "ok") + " " + std::to_string(BOX_OPEN_MS);
        // Before the line being played: replayed, the answer is queued before the box opens.
        report.script.insert(report.script.end() - (started ? 1 : 0), line);
        return std::pair{a, static_cast<long long>(BOX_OPEN_MS)};
    }

    void feed() {
        readTranscript();
        report.lowestLife = std::min(report.lowestLife, gs.life);
        if (report.script.size() > MAX_LINES) return stop("too many lines");
        if (!report.stoppedBy.empty()) return;
        // Lines decided for a window that is gone (the fight ended during the wait) are dropped.
        const int top = dialogs.empty() ? 0 : dialogs.back();
        if (top != queueFor) queue.clear();
        queueFor = top;
        if (!queue.empty()) {
            give(queue.front());
            queue.erase(queue.begin());
            return;
        }
        if (!dialogs.empty()) return inDialog(dialogs.back());
        onMap();
        if (!queue.empty()) {
            give(queue.front());
            queue.erase(queue.begin());
        }
    }

    void press(const std::string& key) {
        queue.push_back("wait " + std::to_string(KEY_WAIT_MS));
        queue.push_back("key " + key);
    }

    void inDialog(int id) {
        const platform::Window dlg = hl::topWindow();
        switch (id) {
            case DLG_NEWGAME:
                queue = {"type 1064 Bot", "click 1"};
                break;
            case DLG_FIGHT:
            case DLG_BOSS: {
                const bool boss = id == DLG_BOSS;
                if (gs.life <= 50 && gs.inventory[10] > 0) {  // an elixir first, as the warning advises
                    ++report.elixirsUsed;
                    queue = {"wait " + std::to_string(ANSWER_WAIT_MS), "click " + std::to_string(boss ? 1078 : 1042)};
                    break;
                }
                if (boss && gs.life <= 40 && gs.inventory[9] > 0) {
                    ++report.potionsUsed;
                    queue = {"wait " + std::to_string(ANSWER_WAIT_MS), "click 1077"};
                    break;
                }
                const int* buttons = boss ? BOSS_BUTTONS : FIGHT_BUTTONS;
                const int n = boss ? 5 : 3;
                int target = -1;
                for (int i = 0; i < n; ++i)
                    if (hl::itemText(dlg, buttons[i]) == SIGN) target = buttons[i];
                if (target < 0) {
                    queue = {"wait " + std::to_string(ANSWER_WAIT_MS)};
                    break;
                }
                queue = {"wait " + std::to_string(ANSWER_WAIT_MS), "click " + std::to_string(target)};
                break;
            }
            case DLG_WEAPON:
                queue = {"wait " + std::to_string(KEY_WAIT_MS), "click 1"};  // the best weapon comes first
                break;
            case DLG_SKILLS: {
                static int turn = 0;
                queue = {"wait " + std::to_string(ANSWER_WAIT_MS), "click " + std::to_string(SKILL_BUTTONS[turn++ % 3])};
                break;
            }
            case DLG_SHOP: {
                // A shield when there is none (it takes the blows first), then elixirs,
                // which work inside a fight; then out.
                int gold = gs.inventory[17];
                std::string w = "wait " + std::to_string(KEY_WAIT_MS);
                queue.clear();
                if (gs.inventory[8] == 0 && gold >= 200) {
                    queue.insert(queue.end(), {w, "select 1055 5", w, "click 1058"});
                    gold -= 150;
                }
                if (gold >= 25) {
                    queue.insert(queue.end(), {w, "select 1055 7"});
                    for (int n = 0; gold >= 25 && n < 20; ++n, gold -= 25) queue.insert(queue.end(), {w, "click 1058"});
                }
                shopGold = gold;
                queue.insert(queue.end(), {w, "click 2"});
                break;
            }
            default:
                queue = {"wait " + std::to_string(KEY_WAIT_MS), "close"};
                break;
        }
        give(queue.front());
        queue.erase(queue.begin());
    }

    void plan(const Goal& goal) {
        held |= fromBag();
        const int facing = gs.heroFacing;
        SearchResult r = search(world, {row(), col()}, facing, held, goal, Rules{.bagKg = 15, .maxFallCost = 0});
        route = r.route;
        next = 0;
        if (!r.found) stop("no route from (" + std::to_string(row()) + ", " + std::to_string(col()) + ")");
    }

    void onMap() {
        if (!started) {
            started = true;
            queue.push_back("menu 40011");
            return;
        }
        if (gs.onTitleScreen) {
            if (report.mageBeaten || gs.creditsRolling) return;  // the end: no more lines
            if (gs.life <= 0) {
                ++report.deaths;
                return stop("died at (" + std::to_string(row()) + ", " + std::to_string(col()) + ")");
            }
            return stop("back on the title screen");
        }
        if (gs.escapeMode && !escaping) {
            escaping = true;
            report.mageBeaten = true;
            held |= MAGE_DEAD;
            for (auto& r : world) std::replace(r.begin(), r.end(), 'd', '#');
            world[STONE_BOTTOM_ROW][STONE_COL] = 'a';
            world[STONE_TOP_ROW][STONE_COL] = 's';
            plan({Goal::Exit, {}});
            return followRoute();
        }
        if (gs.escapeMode) report.escapeSecondsLeft = gs.countdownMinutes * 60 + gs.countdownSeconds;
        // Between fights, a potion when life runs low (F8), as the panel shows it.
        if (gs.life < 55 && gs.inventory[9] > 0 && lastLifeHealed != gs.life) {
            lastLifeHealed = gs.life;
            ++report.potionsUsed;
            return press("F8");
        }
        const char here = world[row()][col()];
        const bool errand = TAKEN.find(here) != std::string_view::npos || (shopping && here == '0');
        if (route.empty() || (next >= route.size() && !errand)) {
            planNext();
            if (route.empty()) return;
        }
        followRoute();
    }

    // The next errand: the nearest thing worth taking that can be reached now,
    // and the Mage once there is none left.
    // What the bag shows: a weapon, the keys, the harp.
    std::uint32_t fromBag() const {
        std::uint32_t f = 0;
        for (int w = 1; w <= 6; ++w)
            if (gs.inventory[w] > 0) f |= ARMED;
        for (int k = 0; k < 6; ++k)
            if (gs.inventory[11 + k] > 0) f |= KEY1 << k;
        if (gs.inventory[7] > 0) f |= HARP_CARRIED;
        return f;
    }

    void planNext() {
        held |= fromBag();
        const Rules rules{.bagKg = 15, .maxFallCost = 0};
        const bool wantShop = gs.inventory[17] >= 100 && gs.inventory[17] >= shopGold + 75;
        // Breadth first over the presses, with what he holds now: the first
        // cell reached that holds something wanted is the nearest errand.
        struct Node {
            int parent;
            Action action;
            HeroState hero;
        };
        std::vector<Node> nodes{{-1, Action::None, {row(), col(), gs.heroFacing, gs.heroSideFacing, held}}};
        std::vector<std::uint8_t> seenState(ROWS * COLS * 3 * 2);
        auto index = [](const HeroState& h) { return ((h.row * COLS + h.col) * 3 + h.facing + 1) * 2 + (h.side > 0); };
        seenState[index(nodes[0].hero)] = 1;
        int found = -1;
        for (std::size_t i = 0; i < nodes.size() && found < 0; ++i) {
            for (Action a : {Action::Left, Action::Right, Action::Up, Action::Down, Action::Jump}) {
                HeroState h = nodes[i].hero;
                const PressResult r = pressOnce(world, rules, h, a);
                if (r != PressResult::Moved) continue;
                h.flags = held;
                if (seenState[index(h)]) continue;
                seenState[index(h)] = 1;
                nodes.push_back({static_cast<int>(i), a, h});
                const char c = world[h.row][h.col];
                const bool start = h.row == nodes[0].hero.row && h.col == nodes[0].hero.col;
                if (!start && (WANTED.find(c) != std::string_view::npos || (wantShop && c == '0'))) {
                    found = static_cast<int>(nodes.size()) - 1;
                    break;
                }
            }
        }
        if (found >= 0) {
            route.clear();
            for (int n = found; nodes[n].parent >= 0; n = nodes[n].parent) {
                const HeroState& h = nodes[n].hero;
                route.insert(route.begin(), Step{nodes[n].action, h.row, h.col, h.facing, h.flags});
            }
            next = 0;
            const HeroState& end = nodes[found].hero;
            shopping = world[end.row][end.col] == '0';
            return;
        }
        plan({Goal::Mage, {}});
    }

    void followRoute() {
        // Off the route (a fight moved him, a fall): plan again from where he stands.
        if (next > 0 && (route[next - 1].row != row() || route[next - 1].col != col())) {
            if (escaping) plan({Goal::Exit, {}});
            else planNext();
            if (route.empty()) return;
        }
        char& here = world[row()][col()];
        if (shopping && here == '0' && next >= route.size()) {
            shopping = false;
            shopGold = gs.inventory[17];  // what is not spent there stays for the next shop
            press("Enter");
            return;
        }
        if (TAKEN.find(here) != std::string_view::npos) {
            press("Enter");
            here = 'a';
            if (next > 0) held |= route[next - 1].flags;
            return;
        }
        if (next > 0) held |= route[next - 1].flags;
        if (next >= route.size()) {
            planNext();
            if (route.empty()) return;
        }
        const Step& s = route[next];
        const int d = s.action == Action::Left ? -1 : s.action == Action::Right ? 1 : 0;
        if (d != 0 && d == gs.heroFacing) {
            char& front = world[row()][col() + d];
            if (front >= '1' && front <= '6') {
                press(std::string(1, front));  // the key of that colour opens it
                front = '(';
                return;
            }
            const bool foe = front == 'g' || front == 'k' || front == 'i' || front == '@';
            // Before a fight, potions up to the top of the life bar (each heals 20).
            if (foe && gs.inventory[9] > 0 && gs.life <= gs.maxLife - 20) {
                ++report.potionsUsed;
                return press("F8");
            }
            if (foe && gs.inventory[9] == 0 && gs.inventory[10] > 0 && gs.life <= gs.maxLife - 13) {
                ++report.elixirsUsed;
                return press("F9");
            }
            if (foe) {
                ++report.fights;
                if (std::getenv("BOT_TRACE"))
                    std::fprintf(stderr, "fight %c at (%d, %d) life %d potions %d elixirs %d weapon %d\n", front, row(),
                                 col() + d, gs.life, gs.inventory[9], gs.inventory[10], gs.currentWeapon);
                front = 'a';  // beaten, as far as the plan is concerned
            }
        }
        ++next;
        switch (s.action) {
            case Action::Left: press("Left"); break;
            case Action::Right: press("Right"); break;
            case Action::Up: press("Up"); break;
            case Action::Down: press("Down"); break;
            case Action::Jump: press("Space"); break;
            case Action::Harp: press("F7"); break;
            case Action::Strike: press("F" + std::to_string(std::max(1, gs.currentWeapon))); break;
            case Action::None: break;
        }
    }
};

}  // namespace

Report play(const Grid& castleSource, unsigned seed, const std::string& gameDir) {
    Player p(castleSource, seed);
    return p.run(gameDir);
}

std::string replay(const std::vector<std::string>& script, const std::string& gameDir) {
    std::ostringstream out, err;
    runHeadlessLines(false, gameDir, script, out, err);
    return out.str() + err.str();
}

}  // namespace bot
