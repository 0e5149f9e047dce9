// The headless runner as a black box: its command line, its output lines and
// its exit status.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>

#include "runner.h"
#include "shell/random.h"
#include "support.h"

using support::slurp, support::TempDir;

namespace {

struct Result {
    int status = -1;
    std::vector<std::string> out;
    std::string err;
    long count(const std::string& prefix) const {
        return std::count_if(out.begin(), out.end(), [&](auto& l) { return l.rfind(prefix, 0) == 0; });
    }
    // The value in the last dump.
    std::string value(const std::string& name) const {
        for (auto l = out.rbegin(); l != out.rend(); ++l)
            if (l->rfind(name + "=", 0) == 0) return l->substr(name.size() + 1);
        return "<missing>";
    }
};

class Runner : public ::testing::Test {
protected:
    void SetUp() override { support::fs::create_directory(dir.path / "sons"); }  // the game writes its music there
    Result runArgs(const std::string& args) {
        const std::string cmd = "cd '" + dir.path.string() + "' && '" QUELMAR_HEADLESS_EXE "' " + args + ">out 2>err";
        const int raw = std::system(cmd.c_str());
        Result r{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, {}, slurp(dir / "err")};
        std::istringstream in(slurp(dir / "out"));
        for (std::string l; std::getline(in, l);) r.out.push_back(l);
        return r;
    }
    Result run(const std::string& script, const std::string& options = "") {
        support::spit(dir / "script.txt", script);
        return runArgs(options + " script.txt");
    }
    TempDir dir;
};

}  // namespace

TEST_F(Runner, EndOfScriptPrintsTheStateDumpAndExitsZero) {
    const Result r = run("seed 12\n# nothing but the title screen\nwait 100\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.value("GameDir"), QUELMAR_STAGE_DIR);  // the runner's own directory
    // The title music is written to the control file under the working directory.
    EXPECT_NE(slurp(dir / "sons/MusicCfg.cfg").find("musique:"), std::string::npos);
    EXPECT_EQ(r.value("onTitleScreen"), "1");
    ASSERT_FALSE(r.out.empty());
    EXPECT_EQ(r.out.back().rfind("grid=", 0), 0u);  // the dump comes last, after every event line

    // Another game directory; a byte-order mark and CRLF line ends; `state` prints
    // a whole dump before the one at the end.
    const std::string jeu = dir / "jeu";
    support::fs::create_directories(jeu + "/sons");
    const Result o = run("\xEF\xBB\xBFstate\r\nwait 5\r\n", "--gamedir '" + jeu + "/'");
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.value("GameDir"), jeu);
    EXPECT_EQ(o.count("launch \"" + jeu + "/sons/QuelmaR Son\" cwd=\"" + (dir / "sons") + "\""), 1);
    EXPECT_EQ(o.count("grid="), 2);
}

TEST_F(Runner, ALineThatCannotApplyExitsTwoNamingTheLine) {
    for (auto [script, message] : {std::pair{"seed 1\nwait 10\n\nclick 1\nwait 10\n", "line 4"},
                                   {"wait 10\nfly away\n", "line 2: unknown command \"fly\""},
                                   {"answer yes\nmenu 40002\nwait 10\n", "line 3: the program has ended"}}) {
        const Result r = run(script);
        EXPECT_EQ(r.status, 2) << script;
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
        EXPECT_EQ(r.count("grid="), 0) << script;  // no dump after an error
    }
    support::spit(dir / "s.txt", std::string("wait 1\n"));
    for (const char* args : {"", "--bogus s.txt", "--gamedir", "missing.txt", "."})  // "." cannot be read
        EXPECT_EQ(runArgs(args).status, 2) << args;
}

TEST_F(Runner, OpeningAnswersReachTheFirstLaunchQuestions) {
    // Answers among the opening seeds are queued before start-up; the first
    // launch asks its three questions before the loop takes a line.
    const Result r = run("answer no\nseed 3\n# the three questions\nanswer no\nanswer yes\nwait 10\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(slurp(dir / "Reglages.cfg"), "son=0,Musique=0,Rapidit\xE9=0");
    EXPECT_EQ(r.count("box "), 4);  // the three questions and the note that follows them
}

TEST_F(Runner, ControlsListsTheOpenDialogInTemplateOrder) {
    support::spit(dir / "Reglages.cfg", std::string("son=1,Musique=1,Rapidit\xE9=1"));
    const Result r = run("seed 1\nmenu 40011\ntype 1064 Brave \\o/ \"Jo\"\ncheck 1081 on\ncontrols\nclose\ncontrols\n");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("line 7: no dialog is open"), std::string::npos) << r.err;
    std::vector<std::string> lines;
    for (const auto& l : r.out)
        if (l.rfind("control ", 0) == 0) lines.push_back(l);
    ASSERT_EQ(lines.size(), 15u);
    EXPECT_EQ(lines[0], "control -1 label \"Nom:\"");
    EXPECT_EQ(lines[1], "control 1064 edit \"Brave \\\\o/ \\\"Jo\\\"\"");
    EXPECT_EQ(lines[2], "control 1081 check \"Partie avec niveau personalisé...\" checked");
    EXPECT_EQ(lines[3], "control -1 group \"Couleur:\"");
    EXPECT_EQ(lines[13], "control 1 default \"OK\"");
    EXPECT_EQ(lines[14], "control 2 button \"Annuler\"");
}

TEST_F(Runner, AScriptBeatsTheMageEscapesAndACancelledNewGameKeepsTheCountdown) {
    // A castle of one floor: the axe on the hero's start cell, the Mage beside it.
    std::string grid(10000, 'a');
    for (int c = 0; c < 100; ++c) grid[9900 + c] = 's';
    grid[9702] = 's';  // the gate's stone
    grid[9805] = 'h';
    grid[9806] = '@';
    support::spit(dir / "niveau.niv", grid);
    support::spit(dir / "Reglages.cfg", std::string("son=1,Musique=1,Rapidit\xE9=1"));
    const std::string start = "seed 4\nmenu 40011\nclick 1\nclick 1032\nkey Enter\nkey Right\nclick 1\n";
    // Every answer button in turn: a wrong one does nothing, and without a wait
    // the Mage never strikes. The first click that finds no dialog tells where
    // the Mage died.
    std::string clicks;
    for (int i = 0; i < 400; ++i) clicks += "click 1075\nclick 1076\nclick 1039\nclick 1040\nclick 1041\n";
    const Result probe = run(start + clicks);
    ASSERT_EQ(probe.status, 2) << "the Mage outlived 2000 clicks";
    const auto at = probe.err.find("line ");
    ASSERT_NE(at, std::string::npos) << probe.err;
    const int lastClick = std::stoi(probe.err.substr(at + 5)) - 1;
    std::string fight;
    std::istringstream lines(start + clicks);
    for (int n = 1; n <= lastClick; ++n) {
        std::string l;
        std::getline(lines, l);
        fight += l + "\n";
    }
    // A cancelled "Nouveau jeu" leaves the countdown running; then out by column 0.
    const Result r = run(fight + "wait 3000\nmenu 40011\nclick 2\nwait 2000\nstate\n"
                                 "key Left\nkey Left\nkey Left\nkey Left\nkey Left\nkey Left\nkey Left\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.count("box owner=main icon=warning buttons=ok default=ok caption=\"La princesse est en danger...\""), 1);
    // The dump taken after the cancel: still escaping, 2:25 left; the countdown
    // stops with the escape.
    EXPECT_EQ(r.count("escapeMode=1"), 1);
    EXPECT_EQ(r.count("countdownSeconds=25"), 2);
    EXPECT_EQ(r.value("escapeMode"), "0");
    EXPECT_EQ(r.value("creditsRolling"), "1");
    EXPECT_EQ(r.value("onTitleScreen"), "1");
}

TEST(RunnerInProcess, SeedStartsTheGeneratorFromN) {
    // The game writes its settings into the working directory: use a scratch one.
    const TempDir scratch;
    const auto before = support::fs::current_path();
    support::fs::current_path(scratch.path);
    auto drawsAfter = [](const std::vector<std::string>& script) {
        std::ostringstream out, err;
        EXPECT_EQ(runHeadlessLines(false, QUELMAR_STAGE_DIR, script, out, err), 0) << err.str();
        std::vector<int> draws;
        for (int i = 0; i < 6; ++i) draws.push_back(gameRand());
        return draws;
    };
    // (Without a seed the game starts from the clock: the game's own startup tests.)
    const auto a = drawsAfter({"seed 1234", "wait 10"});
    EXPECT_EQ(a, drawsAfter({"seed 1234", "wait 10"}));
    EXPECT_NE(a, drawsAfter({"seed 99", "wait 10"}));
    support::fs::current_path(before);
}
