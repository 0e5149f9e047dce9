// The fights on the real backend under X: the bars of the standard, boss and
// skill dialogs lie on the rows of their templates whatever font the desktop
// gives, they show on screen, and the sign moves after a click.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "combat/fight.h"
#include "combat/skills.h"
#include "platform/platform.h"
#include "resources/dlg_fight.h"
#include "resources/dlg_skills.h"
#include "shell/random.h"
#include "state.h"
#include "testing.h"

using namespace platform;
namespace fs = std::filesystem;

namespace {

// The fill of a bar: where its colour lies in the dialog's backing store.
struct Fill {
    int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
    int midY() const { return (top + bottom) / 2; }
};
unsigned packed(int r, int g, int b) {
    return static_cast<unsigned>(std::clamp(r, 0, 255) << 16 | std::clamp(g, 0, 255) << 8 | std::clamp(b, 0, 255));
}
Fill find(Window dlg, unsigned colour) {
    const Rect client = clientRect(dlg);
    Fill f;
    for (int y = 0; y < client.bottom; ++y)
        for (int x = 0; x < client.right; ++x)
            if (wxtest::backingPixel(dlg, x, y) == colour)
                f = {std::min(f.left, x), std::min(f.top, y), std::max(f.right, x), std::max(f.bottom, y)};
    return f;
}

// The bar lies right of the control, on its row, and shows on screen.
void onRowOf(Window dlg, int id, unsigned colour, const char* what) {
    SCOPED_TRACE(what);
    const Fill f = find(dlg, colour);
    const Rect c = wxtest::controlRect(dlg, id);
    ASSERT_GE(f.right, 0) << "no bar";
    EXPECT_GE(f.left, c.right - 1);
    EXPECT_TRUE(f.midY() >= c.top && f.midY() < c.bottom) << f.midY() << " not in " << c.top << ".." << c.bottom;
    EXPECT_EQ(wxtest::screenPixel(dlg, f.left + 1, f.midY()), static_cast<long>(colour));
}
// The bar lies between two rows of controls and shows on screen.
void betweenRows(Window dlg, int above, int below, unsigned colour, const char* what) {
    SCOPED_TRACE(what);
    const Fill f = find(dlg, colour);
    ASSERT_GE(f.right, 0) << "no bar";
    EXPECT_LE(wxtest::controlRect(dlg, above).bottom, f.top - 1);
    EXPECT_LE(f.bottom + 1, wxtest::controlRect(dlg, below).top);
    EXPECT_EQ(wxtest::screenPixel(dlg, f.left + 1, f.midY()), static_cast<long>(colour));
}

// Runs fn on the dialog once it is on screen (polled every 50 ms, for 10 s).
void when(int id, std::function<void(Window)> fn, int tries = 200) {
    wxtest::after(50, [=] {
        Window w = wxtest::topDialog();
        if (w && dialogId(w) == id) fn(w);
        else if (tries > 0) when(id, fn, tries - 1);
        else ADD_FAILURE() << "dialog " << id << " never came";
    });
}

void shot(const std::string& name) {
    const std::string cmd = "import -window root '" QUELMAR_SHOT_DIR "/" + name + "' 2>/dev/null";
    if (std::system(cmd.c_str()) != 0) std::printf("no picture %s\n", name.c_str());
}

class FightGui : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
        home_ = fs::current_path();
        dir_ = fs::temp_directory_path() / ("quelmar-fight-gui-" + std::to_string(getpid()));
        fs::create_directories(dir_ / "sons");
        fs::current_path(dir_);
        gs = GameState{};
        gs.mainWindow = createWindow({.className = "std", .title = "Quelmar", .x = 40, .y = 40, .clientW = 480,
                                      .clientH = 400, .proc = defaultWindowProc});
        for (auto& row : gs.LevelGrid) std::fill(std::begin(row), std::end(row), 'a');
        std::tie(gs.life, gs.maxLife, gs.shield, gs.shieldMax, gs.onTitleScreen) = std::tuple(100, 100, 100, 100, 0);
        gs.inventory[1] = 1;
        gs.tutoFirstFight = gs.tutoGuard = gs.tutoGhoul = gs.tutoKnight = gs.tutoSkills = 1;
    }
    void TearDown() override {
        if (gs.mainWindow) destroyWindow(gs.mainWindow);
        if (!home_.empty()) fs::current_path(home_);
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    fs::path home_, dir_;
};

TEST_F(FightGui, TheFightsBarsLieOnTheirRowsAndTheSignMoves) {
    seedRandom(1);
    gs.enemyKind = 2;
    bool checked = false;
    when(IDD_WEAPON_CHOICE, [&](Window choice) {
        wxtest::click(choice, IDC_WEAPON_OK);
        when(IDD_FIGHT, [&](Window fight) {
            wxtest::after(300, [&, fight] {
                betweenRows(fight, IDC_FIGHT_ENEMY_NAME, IDC_FIGHT_ENEMY_LIFE,
                            packed(gs.enemyLife + 100, 200 - gs.enemyLife, 0), "enemy life");
                betweenRows(fight, IDC_FIGHT_ENEMY_LIFE, IDC_FIGHT_LIFE, packed(200 - gs.life, gs.life + 55, 0), "hero life");
                onRowOf(fight, IDC_FIGHT_SHIELD, packed(200 - 4 * gs.shield, 4 * gs.shield + 55, 0), "shield");
                shot("fight.png");
                // Clicks under the sign until it moves to another button.
                const int buttons[] = {IDC_FIGHT_MOVE1, IDC_FIGHT_MOVE2, IDC_FIGHT_MOVE3};
                auto sign = [fight, &buttons] {
                    return *std::ranges::find_if(buttons, [fight](int id) { return getItemText(fight, id) == "/|\\"; });
                };
                const int first = sign();
                for (int click = 0; click < 8 && sign() == first; ++click) {
                    const int before = gs.enemyLife;
                    wxtest::click(fight, first);
                    EXPECT_EQ(getItemText(fight, IDC_FIGHT_ENEMY_LIFE), std::to_string(gs.enemyLife));
                    EXPECT_LE(gs.enemyLife, before);
                }
                EXPECT_NE(sign(), first);
                wxtest::after(200, [&, fight] {
                    shot("fight-clicked.png");
                    checked = true;
                    wxtest::closeBox(fight);
                });
            });
        });
    });
    openFight();
    EXPECT_TRUE(checked);
}

TEST_F(FightGui, TheBossBarsLieOnTheirRows) {
    bool checked = false;
    wxtest::answerBoxes(Answer::Ok);  // the Mage's opening speech
    when(IDD_WEAPON_CHOICE, [&](Window choice) {
        wxtest::click(choice, IDC_WEAPON_OK);
        when(IDD_BOSS_FIGHT, [&](Window boss) {
            wxtest::after(300, [&, boss] {
                const unsigned mage = packed(gs.enemyLife * 255 / 1200, (1200 - gs.enemyLife) * 255 / 1200, 0);
                onRowOf(boss, IDC_BOSS_MAGE_LIFE, mage, "the Mage's life");
                EXPECT_EQ(find(boss, mage).right - find(boss, mage).left + 1, 600);
                onRowOf(boss, IDC_BOSS_LIFE, packed(200 - gs.life, gs.life + 55, 0), "hero life");
                onRowOf(boss, IDC_BOSS_SHIELD, packed(200 - 4 * gs.shield, 4 * gs.shield + 55, 0), "shield");
                shot("boss.png");
                checked = true;
                wxtest::closeBox(boss);
            });
        });
    });
    openBossFight();
    EXPECT_TRUE(checked);
}

}  // namespace

TEST_F(FightGui, TheSkillBarsLieOnTheRowsOfTheirButtons) {
    std::tie(gs.bonusPoints, gs.favoriteRed, gs.favoriteGreen, gs.favoriteBlue) = std::tuple(2, 200, 40, 90);
    std::tie(gs.strength, gs.resistance, gs.precision, gs.protection, gs.shieldMax) = std::tuple(10, 20, 30, 40, 90);
    bool checked = false;
    when(IDD_SKILL_POINTS, [&](Window skills) {
        wxtest::after(300, [&, skills] {
            // Each bar is as long as twice its skill, so it is told by its length.
            const int plus[] = {IDC_SKILL_STRENGTH, IDC_SKILL_RESISTANCE, IDC_SKILL_PRECISION, IDC_SKILL_PROTECTION};
            std::vector<Fill> fills(4);
            const Rect client = clientRect(skills);
            for (int y = 0; y < client.bottom; ++y) {
                int run = 0;
                for (int x = 0; x < client.right; ++x) run += wxtest::backingPixel(skills, x, y) == packed(200, 40, 90);
                if (run >= 20 && run <= 80 && run % 20 == 0) fills[run / 20 - 1] = {0, std::min(fills[run / 20 - 1].top, y), 0, y};
            }
            for (int i = 0; i < 4; ++i) {
                const Rect c = wxtest::controlRect(skills, plus[i]);
                EXPECT_TRUE(fills[i].midY() >= c.top && fills[i].midY() < c.bottom) << "skill " << i;
            }
            shot("skills.png");
            checked = true;
            wxtest::closeBox(skills);
        });
    });
    openSkillPoints();
    EXPECT_TRUE(checked);
}
