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
    EXPECT_EQ((std::vector<std::string>{lines[0], lines[1], lines[2], lines[3], lines[13], lines[14]}),
              (std::vector<std::string>{"control -1 label \"Nom:\"", "control 1064 edit \"Brave \\\\o/ \\\"Jo\\\"\"",
                                        "control 1081 check \"Partie avec niveau personalisé...\" checked",
                                        "control -1 group \"Couleur:\"", "control 1 default \"OK\"", "control 2 button \"Annuler\""}));
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
