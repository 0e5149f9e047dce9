#include "bot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>

#include <unistd.h>

#include "platform/headless.h"
#include "runner.h"
#include "state.h"

namespace hl = platform::headless;
using namespace castle;

namespace bot {

namespace {

// Human pace on the virtual clock.
constexpr int KEY_WAIT_MS = 200;     // before each key press, and each click that is no answer
constexpr int ANSWER_WAIT_MS = 350;  // before each answer button of a fight
constexpr int BOX_OPEN_MS = 500;     // a box is read before it is answered
constexpr int MAX_LINES = 60000;     // a run that has not ended by then is stuck
constexpr int MAX_DEATHS = 12;

constexpr int DLG_FIGHT = 111, DLG_WEAPON = 112, DLG_SHOP = 113, DLG_SKILLS = 115, DLG_NEWGAME = 119,
              DLG_DEFAULT_SLOT = 122, DLG_BOSS = 123;
constexpr int FIGHT_BUTTONS[3] = {1032, 1033, 1034};
constexpr int BOSS_BUTTONS[5] = {1075, 1076, 1039, 1040, 1041};
constexpr int SKILL_STRENGTH = 1032, SKILL_RESISTANCE = 1033, SKILL_PRECISION = 1034;
constexpr const char* SIGN = "/|\\";

constexpr int POTION = 9, ELIXIR = 10, SHIELD = 8, HARP = 7;
constexpr int POTION_PRICE = 40, SHIELD_PRICE = 150;

// What a blow of each weapon does (the fight's weapon table): base, divisor of the
// 0..99 draw, fumble threshold, strength bonus.
struct WeaponStats {
    int base, divisor, hitChance, strengthBonus;
};
constexpr WeaponStats WEAPONS[7] = {{0, 1, 100, 0},   {1, 7, 20, 5},  {5, 7, 20, 6},  {18, 4, 50, 8},
                                    {30, 7, 24, 12}, {40, 6, 60, 15}, {70, 2, 30, 30}};
constexpr double WEAPON_KG[7] = {0, 1.0, 1.5, 2.0, 2.5, 3.0, 2.5};

// The mean damage of one blow with the hero's skills.
double blowDamage(int w, int strength, int precision) {
    const WeaponStats& s = WEAPONS[w];
    double mean = 0;
    for (int r = 0; r < 100; ++r) mean += r / s.divisor;
    mean = mean / 100 + s.base;
    const double fumble = (s.hitChance + 1) / 100.0;
    const double saved = std::min(precision + 1, 100) / 100.0;
    return mean * (1 - fumble * (1 - saved)) + s.strengthBonus * std::min(strength, 100) / 100.0;
}

// What the bot knows of its enemies: the most life they start with, their mean
// blow once misses are counted, their hardest blow.
struct FoeStats {
    int lifeMax;
    double tickMean;
    int maxBlow;
};
FoeStats foeStats(char tile) {
    switch (tile) {
        case 'g': return {69, 9.5 * 0.89, 19};
        case 'k': return {99, 26.5 * 0.84, 36};
        default: return {144, 39.5 * 0.79, 49};
    }
}
char foeTile(int enemyKind) { return enemyKind == 1 ? 'g' : enemyKind == 2 ? 'k' : 'i'; }
bool isFoe(char c) { return c == 'g' || c == 'k' || c == 'i'; }

class Player {
public:
    Player(unsigned seed, bool careless) : seed(seed), careless(careless) {}

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
        report.won = gs.creditsRolling != 0 && report.mageBeaten;
        report.gameMs = hl::nowMs();
        report.gold = gs.inventory[GOLD];
        report.row = row();
        report.col = col();
        if (report.won) report.stoppedBy.clear();
        else if (report.stoppedBy.empty()) report.stoppedBy = "the script ended";
        return report;
    }

private:
    Grid world{};
    unsigned seed;
    bool careless;  // only what the way needs: keys, weapons, the harp; no potion hunting, no shops
    Report report;
    std::size_t seen = 0;            // transcript lines read so far
    std::vector<int> dialogs;        // open dialogs, topmost last
    std::vector<std::string> queue;  // lines decided, not yet given
    bool started = false;
    std::vector<Step> route;
    std::size_t next = 0;
    std::uint32_t held = 0;
    bool escaping = false;
    bool shopping = false;
    bool saved = false;         // a save was made since the last fight
    int saves = 0;              // saves made in the whole game
    bool reloaded = false;      // the last death was answered with a reload
    int queueFor = 0;           // the dialog the queued lines are for, 0 the main window
    int replans = 0;            // plans made again in a row because a press did not go as planned
    bool fallback = false;      // the route goes through enemies too strong: nothing else is left
    char fighting = 0;          // the enemy of the fight under way, 0 out of fights
    bool errandsDone = false;   // nothing was left to take: from then on, the Mage
    bool lastShopDone = false;  // the purse was spent for the Mage

    int row() const { return gs.viewTop + gs.heroRow; }
    int col() const { return gs.viewLeft + gs.heroCol; }
    char realCell(int r, int c) const { return gs.LevelGrid[r][c]; }

    void give(const std::string& line) {
        report.script.push_back(line);
        hl::appendScript({line});
    }
    void stop(const std::string& why) {
        if (report.stoppedBy.empty()) report.stoppedBy = why;
        queue.clear();
    }
    static std::string wait(int ms) { return "wait " + std::to_string(ms); }

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
            else if (w2 == "end" && !dialogs.empty())
                dialogs.erase(std::find(dialogs.rbegin(), dialogs.rend(), id).base() - 1);
        }
    }

    std::optional<std::pair<platform::Answer, long long>> advise(std::string_view caption, std::string_view,
                                                                 bool yesNo) {
        bool yes = false;
        if (yesNo) {
            // Saving before a fight, selling a last weapon, and reloading after a death.
            const bool death = caption.find("mort") != std::string_view::npos;
            if (death) {
                ++report.deaths;
                report.deathCauses.push_back(fighting == 'g'   ? "a guard"
                                             : fighting == 'k' ? "a ghoul"
                                             : fighting == 'i' ? "an evil knight"
                                             : fighting == '@' ? "the Black Mage"
                                             : escaping        ? "the countdown"
                                                               : "a fall or lava");
                yes = gs.currentSlot >= 0 && report.deaths <= MAX_DEATHS && saves > 0;
                reloaded = yes;
            }
            yes = yes || caption == "Estes vous sur?" || caption == "Attention";
        }
        const platform::Answer a = !yesNo ? platform::Answer::Ok : yes ? platform::Answer::Yes : platform::Answer::No;
        const std::string line =
            std::string("answer ") + (!yesNo ? "ok" : yes ? "yes" : "no") + " " + std::to_string(BOX_OPEN_MS);
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
        if (queue.empty()) {
            if (!dialogs.empty()) inDialog(dialogs.back());
            else onMap();
        }
        if (!queue.empty()) {
            give(queue.front());
            queue.erase(queue.begin());
        }
    }

    void press(const std::string& key) { queue.insert(queue.end(), {wait(KEY_WAIT_MS), "key " + key}); }
    void clickAfter(int ms, int id) { queue.insert(queue.end(), {wait(ms), "click " + std::to_string(id)}); }

    int bestWeapon() const {
        int best = 0;
        for (int w = 1; w <= 6; ++w)
            if (gs.inventory[w] > 0 &&
                (best == 0 || blowDamage(w, gs.strength, gs.precision) > blowDamage(best, gs.strength, gs.precision)))
                best = w;
        return best;
    }

    // The life a standard fight with this enemy is expected to cost, clicking at
    // the answer pace: it strikes at the opening and every 1.2 s.
    double expectedLoss(char foe) const {
        const int w = bestWeapon();
        if (w == 0) return 1e9;
        const FoeStats f = foeStats(foe);
        const double blows = std::ceil(f.lifeMax / blowDamage(w, gs.strength, gs.precision));
        return (1 + std::floor(blows * ANSWER_WAIT_MS / 1200.0)) * f.tickMean;
    }
    // Life to spend: the bar topped up with potions, the shield, and some elixirs.
    double lifeToSpend() const {
        const double topped = std::min(gs.maxLife, gs.life + 20 * gs.inventory[POTION]);
        return topped + (gs.inventory[SHIELD] ? gs.shield : 0) + 6.0 * std::min(gs.inventory[ELIXIR], 4);
    }
    bool canFight(char foe) const { return lifeToSpend() - expectedLoss(foe) >= 1.5 * foeStats(foe).maxBlow; }

    void inDialog(int id) {
        const platform::Window dlg = hl::topWindow();
        switch (id) {
            case DLG_NEWGAME:
                queue = {"type 1064 Bot", "click 1"};
                break;
            case DLG_DEFAULT_SLOT:
                clickAfter(ANSWER_WAIT_MS, 1032);  // the first slot, for the saves before fights
                break;
            case DLG_FIGHT: {
                const int maxBlow = foeStats(foeTile(gs.enemyKind)).maxBlow;
                if (gs.life <= maxBlow && gs.inventory[ELIXIR] > 0) {
                    ++report.elixirsUsed;
                    clickAfter(KEY_WAIT_MS, 1042);
                } else if (gs.life <= maxBlow && gs.inventory[POTION] > 0) {
                    queue = {wait(KEY_WAIT_MS), "close"};  // step back, heal, and come again
                } else {
                    answer(dlg, FIGHT_BUTTONS, 3);
                }
                break;
            }
            case DLG_BOSS:
                if (gs.life <= gs.maxLife - 20 && gs.inventory[POTION] > 0) {
                    ++report.potionsUsed;
                    clickAfter(KEY_WAIT_MS, 1077);
                } else if (gs.life <= gs.maxLife - 13 && gs.inventory[ELIXIR] > 0 && gs.inventory[POTION] == 0) {
                    ++report.elixirsUsed;
                    clickAfter(KEY_WAIT_MS, 1078);
                } else {
                    answer(dlg, BOSS_BUTTONS, 5);
                }
                break;
            case DLG_WEAPON: {
                const int w = std::max(1, bestWeapon());
                queue = {wait(KEY_WAIT_MS), "select 1054 " + std::to_string(w - 1), wait(KEY_WAIT_MS), "click 1"};
                break;
            }
            case DLG_SKILLS:
                // Precision saves fumbles, strength adds the weapon's bonus, resistance
                // lengthens the bar the Mage must empty: two, two and one.
                clickAfter(ANSWER_WAIT_MS, 4 * gs.resistance < gs.precision + gs.strength ? SKILL_RESISTANCE
                                           : gs.precision <= gs.strength                ? SKILL_PRECISION
                                                                                        : SKILL_STRENGTH);
                break;
            case DLG_SHOP:
                shop();
                break;
            default:
                queue = {wait(KEY_WAIT_MS), "close"};
                break;
        }
    }

    void answer(platform::Window dlg, const int* buttons, int n) {
        for (int i = 0; i < n; ++i)
            if (hl::itemText(dlg, buttons[i]) == SIGN) return clickAfter(ANSWER_WAIT_MS, buttons[i]);
        queue = {wait(ANSWER_WAIT_MS)};
    }

    // Sells every weapon the best one makes useless, then buys a shield when there
    // is none and potions with the rest, within what the bag may carry (light
    // enough for the harp while it is still to be taken).
    void shop() {
        const std::string w = wait(KEY_WAIT_MS);
        int gold = gs.inventory[GOLD];
        double kg = gs.carriedWeight;
        const int best = bestWeapon();
        for (int weapon = 1; weapon <= 5; ++weapon) {
            if (weapon == best || gs.inventory[weapon] == 0) continue;
            constexpr int PRICE[6] = {0, 30, 40, 60, 80, 180};
            queue.insert(queue.end(), {w, "select 1056 " + std::to_string(weapon - 1)});
            for (int n = 0; n < gs.inventory[weapon]; ++n) {
                queue.insert(queue.end(), {w, "click 1057"});
                gold += PRICE[weapon];
                kg -= WEAPON_KG[weapon];
            }
        }
        const double limit = gs.inventory[HARP] > 0 || harpBehind() ? 14.8 : 12.3;
        // Before the Mage, a worn shield is made new again if potions still come with it.
        const bool worn = errandsDone && gs.shield < gs.shieldMax / 2 && gold >= SHIELD_PRICE + 4 * POTION_PRICE;
        if (errandsDone) lastShopDone = true;
        if ((gs.inventory[SHIELD] == 0 || worn) && gold >= SHIELD_PRICE + POTION_PRICE && kg + 1.5 + 0.15 <= limit) {
            queue.insert(queue.end(), {w, "select 1055 5", w, "click 1058"});
            gold -= SHIELD_PRICE;
            kg += 1.5;
        }
        if (gold >= POTION_PRICE) queue.insert(queue.end(), {w, "select 1055 6"});
        for (; gold >= POTION_PRICE && kg + 0.1 + 0.04 <= limit; gold -= POTION_PRICE, kg += 0.1 - 0.04)
            queue.insert(queue.end(), {w, "click 1058"});
        queue.insert(queue.end(), {w, "click 2"});
    }

    // The harp is no longer to be taken: carried, or the Mage's shield already dried.
    bool harpBehind() const { return realCell(SHIELD_BOTTOM, SHIELD_LEFT) != 'd'; }

    // The castle as it is now, and what the hero holds.
    void look() {
        for (int r = 0; r < ROWS; ++r)
            for (int c = 0; c < COLS; ++c) world[r][c] = realCell(r, c);
        held = 0;
        if (bestWeapon() > 0) held |= ARMED;
        for (int k = 0; k < 6; ++k)
            if (gs.inventory[11 + k] > 0) held |= KEY1 << k;
        if (gs.inventory[HARP] > 0) held |= HARP_CARRIED;
        if (harpBehind()) held |= SHIELD_DRIED;
        if (gs.escapeMode) held |= MAGE_DEAD;
    }

    // Worth a detour: potions, elixirs, chests, a shield when none is carried,
    // keys, the harp, and a weapon better than the best one carried.
    bool wanted(char c) const {
        if (careless && std::string_view("uvwxyz8em79h").find(c) == std::string_view::npos) return false;
        switch (c) {
            case 'n': return gs.carriedWeight <= 14.9f;
            case 'o': return gs.carriedWeight <= 14.95f;
            case 'c': return true;
            case 'p': return gs.inventory[SHIELD] == 0;
            case '8': return gs.inventory[HARP] == 0;
            case 'u': case 'v': case 'w': case 'x': case 'y': case 'z': return gs.inventory[11 + (c - 'u')] == 0;
            case 'e': case 'm': case '7': case '9': case 'h': {
                const int weapon = c == 'e' ? 1 : c == 'm' ? 3 : c == '7' ? 4 : c == '9' ? 5 : 6;
                const int best = bestWeapon();
                return gs.inventory[weapon] == 0 &&
                       (best == 0 || weapon == 5 || weapon == 6 ||
                        blowDamage(weapon, gs.strength, gs.precision) > blowDamage(best, gs.strength, gs.precision));
            }
            default: return false;
        }
    }
    // A shop when the purse is full, when potions run out, and once more on the
    // way to the Mage to spend everything.
    bool wantShop() const {
        if (careless) return false;
        const int gold = gs.inventory[GOLD], potions = gs.inventory[POTION];
        return gold >= SHIELD_PRICE + POTION_PRICE ||
               (gold >= POTION_PRICE && (potions < 4 || (errandsDone && !lastShopDone)));
    }

    void onMap() {
        if (!started) {
            started = true;
            queue.push_back("menu 40011");
            return;
        }
        if (gs.onTitleScreen) {
            if (gs.creditsRolling) return;  // the end: no more lines
            return stop("back on the title screen after " + std::to_string(report.deaths) + " deaths");
        }
        if (reloaded) {  // a death answered with a reload: the castle is as saved
            reloaded = saved = false;
            route.clear();
        }
        if (gs.escapeMode && !escaping) {
            escaping = true;
            report.mageBeaten = true;
            route.clear();
        }
        if (gs.escapeMode) report.escapeSecondsLeft = gs.countdownMinutes * 60 + gs.countdownSeconds;
        look();
        const char here = world[row()][col()];
        if (!isFoe(here)) fighting = 0;
        // Back from a fight left to heal: potions, then the same enemy again.
        if (isFoe(here)) {
            if (heal()) return;
            return press(gs.heroFacing < 0 ? "Left" : "Right");
        }
        if (!escaping && gs.life < 30 && heal()) return;
        if (wanted(here) || (shopping && here == '0')) {
            if (here == '0') shopping = false;
            return press("Enter");
        }
        if (next > 0 && next <= route.size() && (route[next - 1].row != row() || route[next - 1].col != col())) {
            route.clear();  // off the route (a fall, a reload): plan again
            if (++replans > 20) return stop("stuck at (" + std::to_string(row()) + ", " + std::to_string(col()) + ")");
        }
        if (route.empty() || next >= route.size()) {
            planNext();
            if (route.empty()) return;
        }
        followRoute();
    }

    // One potion (or elixir) when the bar has room for all of it (no question
    // asked then); false when none helps.
    bool heal() {
        if (gs.inventory[POTION] > 0 && gs.life <= gs.maxLife - 20) {
            ++report.potionsUsed;
            press("F8");
            return true;
        }
        if (gs.inventory[ELIXIR] > 0 && gs.life <= gs.maxLife - 13) {
            ++report.elixirsUsed;
            press("F9");
            return true;
        }
        return false;
    }

    void setRoute(const std::vector<Step>& r) {
        route = r;
        next = 0;
    }

    // The next errand: the nearest thing worth taking that can be reached now
    // without an enemy too strong for the hero, a shop when the purse is full,
    // and the Mage once there is nothing left.
    void planNext() {
        const Rules rules{.bagKg = 15, .maxFallCost = 0};
        if (escaping) {
            const SearchResult r = search(world, {row(), col()}, gs.heroFacing, held, {Goal::Exit, {}}, rules);
            if (!r.found) return stop("no way out from (" + std::to_string(row()) + ", " + std::to_string(col()) + ")");
            return setRoute(r.route);
        }
        fallback = false;
        Grid safe = world;
        for (auto& line : safe)
            for (char& c : line)
                if (isFoe(c) && !canFight(c)) c = '#';  // neither walked through nor jumped
        const bool shop = wantShop();
        // Keys, better weapons and the harp first: they open the way to the axe
        // and make every later fight cheaper. Then the nearest of the rest.
        if (!errandFound(safe, rules, [this](char c) { return wanted(c) && std::string_view("uvwxyz8em79h").find(c) != std::string_view::npos; }) &&
            !errandFound(safe, rules, [this, shop](char c) { return wanted(c) || (shop && c == '0'); }) &&
            // What lies behind enemies too strong for now is still better taken before the Mage.
            !(fallback = errandFound(world, rules, [this, shop](char c) { return wanted(c) || (shop && c == '0'); }))) {
            if (!errandsDone) {
                errandsDone = true;  // from now on the purse goes on potions for the Mage
                if (wantShop()) return planNext();
            }
            // Nothing left to take: the Mage, through enemies too strong if need be.
            SearchResult r = search(safe, {row(), col()}, gs.heroFacing, held, {Goal::Mage, {}}, rules);
            fallback = !r.found;
            if (!r.found) r = search(world, {row(), col()}, gs.heroFacing, held, {Goal::Mage, {}}, rules);
            if (!r.found) return stop("no route from (" + std::to_string(row()) + ", " + std::to_string(col()) + ")");
            setRoute(r.route);
        }
    }

    // Breadth first over the presses: a route to the nearest cell whose tile
    // `want` accepts. False when there is none.
    template <class Want>
    bool errandFound(const Grid& safe, const Rules& rules, Want want) {
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
                if (pressOnce(safe, rules, h, a) != PressResult::Moved) continue;
                h.flags = held;
                if (seenState[index(h)]) continue;
                seenState[index(h)] = 1;
                nodes.push_back({static_cast<int>(i), a, h});
                if (want(world[h.row][h.col])) {
                    found = static_cast<int>(nodes.size()) - 1;
                    break;
                }
            }
        }
        if (found < 0) return false;
        std::vector<Step> r;
        for (int n = found; nodes[n].parent >= 0; n = nodes[n].parent) {
            const HeroState& h = nodes[n].hero;
            r.insert(r.begin(), Step{nodes[n].action, h.row, h.col, h.facing, h.flags});
        }
        const HeroState& end = nodes[found].hero;
        shopping = world[end.row][end.col] == '0';
        setRoute(r);
        return true;
    }

    void followRoute() {
        const Step& s = route[next];
        const int d = s.action == Action::Left ? -1 : s.action == Action::Right ? 1 : 0;
        if (d != 0 && d == gs.heroFacing) {
            const char front = world[row()][col() + d];
            if (front >= '1' && front <= '6') return press(std::string(1, front));  // the key of that colour
            if (isFoe(front) && !canFight(front) && gs.inventory[POTION] == 0 && !fallback) {
                planNext();  // too weak for it now: elsewhere first
                if (route.empty() || ++replans > 20) return stop("no way on from (" + std::to_string(row()) + ", " + std::to_string(col()) + ")");
                return followRoute();
            }
            if (isFoe(front) || front == '@') {
                const double needed = front == '@' ? gs.maxLife : expectedLoss(front) + foeStats(front).maxBlow + 10;
                if (gs.life < needed && heal()) return;
                // A save before each fight, for the reload if it goes wrong; not when
                // the fight looks lost already, so that a reload goes back further.
                if (!saved && !escaping && (front == '@' || canFight(front))) {
                    saved = true;
                    ++saves;
                    return press("S");
                }
                saved = false;
                fighting = front;
                ++report.fights;
                if (std::getenv("BOT_TRACE"))  // for tuning: a line a fight, on stderr
                    std::fprintf(stderr, "fight %c at (%d, %d) life %d/%d shield %d potions %d elixirs %d weapon %d s%d p%d r%d\n",
                                 front, row(), col() + d, gs.life, gs.maxLife, gs.inventory[SHIELD] ? gs.shield : 0,
                                 gs.inventory[POTION], gs.inventory[ELIXIR], bestWeapon(), gs.strength,
                                 gs.precision, gs.resistance);
            }
        }
        ++next;
        if (next > 1) replans = 0;
        switch (s.action) {
            case Action::Left: press("Left"); break;
            case Action::Right: press("Right"); break;
            case Action::Up: press("Up"); break;
            case Action::Down: press("Down"); break;
            case Action::Jump: press("Space"); break;
            case Action::Harp: press("F7"); break;
            case Action::Strike: press("F" + std::to_string(std::max(1, bestWeapon()))); break;
            case Action::None: break;
        }
    }
};

}  // namespace

Report play(unsigned seed, const std::string& gameDir, bool careless) {
    Player p(seed, careless);
    return p.run(gameDir);
}

namespace {

// Runs `game` in a new folder holding only the castle and an empty sons/, always the
// same for one process, so that a game and its replay write the same transcript.
template <class Game>
auto inFreshFolder(const std::string& level, Game game) {
    namespace fs = std::filesystem;
    const fs::path before = fs::current_path();
    const fs::path dir = fs::temp_directory_path() / ("castle-bot-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "sons");
    fs::copy_file(level, dir / "niveau.niv");
    fs::current_path(dir);
    auto result = game();
    fs::current_path(before);
    fs::remove_all(dir);
    return result;
}

}  // namespace

Report playInFreshFolder(unsigned seed, const std::string& gameDir, const std::string& level, bool careless) {
    return inFreshFolder(level, [&] { return play(seed, gameDir, careless); });
}

std::string replayInFreshFolder(const std::vector<std::string>& script, const std::string& gameDir,
                                const std::string& level) {
    return inFreshFolder(level, [&] { return replay(script, gameDir); });
}

std::string replay(const std::vector<std::string>& script, const std::string& gameDir) {
    std::ostringstream out, err;
    runHeadlessLines(false, gameDir, script, out, err);
    return out.str() + err.str();
}

}  // namespace bot
