// The headless runner as a black box: its command line, its output lines and
// its exit status.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "runner.h"
#include "shell/random.h"

namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& p) {
    std::stringstream s;
    s << std::ifstream(p, std::ios::binary).rdbuf();
    return s.str();
}

fs::path scratchDir() {
    std::string t = (fs::temp_directory_path() / "qrunXXXXXX").string();
    return mkdtemp(t.data());
}

struct Result {
    int status = -1;
    std::vector<std::string> out;
    std::string err;
    long count(const std::string& prefix) const {
        return std::count_if(out.begin(), out.end(), [&](auto& l) { return l.rfind(prefix, 0) == 0; });
    }
    bool has(const std::string& line) const { return std::find(out.begin(), out.end(), line) != out.end(); }
    std::string value(const std::string& name) const {
        for (const auto& l : out)
            if (l.rfind(name + "=", 0) == 0) return l.substr(name.size() + 1);
        return "<missing>";
    }
};

class Runner : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directory(dir / "sons"); }  // the game writes sons/MusicCfg.cfg there
    void TearDown() override { fs::remove_all(dir); }

    // Runs the runner in the scratch directory with these arguments.
    Result runArgs(const std::string& args) {
        const std::string cmd = "cd '" + dir.string() + "' && '" QUELMAR_HEADLESS_EXE "' " + args + " > out.txt 2> err.txt";
        const int raw = std::system(cmd.c_str());
        Result r;
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        std::istringstream in(slurp(dir / "out.txt"));
        for (std::string l; std::getline(in, l);) r.out.push_back(l);
        r.err = slurp(dir / "err.txt");
        return r;
    }
    Result run(const std::string& script, const std::string& options = "") {
        std::ofstream(dir / "script.txt", std::ios::binary) << script;
        return runArgs(options + " script.txt");
    }
    fs::path dir = scratchDir();
};

}  // namespace

TEST_F(Runner, EndOfScriptPrintsTheStateDumpAndExitsZero) {
    const Result r = run("seed 12\n# nothing but the title screen\nwait 100\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    EXPECT_TRUE(r.has("window place 320 200 390 350"));
    EXPECT_TRUE(r.has("launch \"" QUELMAR_STAGE_DIR "/sons/QuelmaR Son\" cwd=\"" QUELMAR_STAGE_DIR "/sons/\""));
    // The title music is written to the control file under the working directory.
    EXPECT_GT(r.count("music "), 0);
    EXPECT_NE(slurp(dir / "sons" / "MusicCfg.cfg").find("musique:"), std::string::npos);
    EXPECT_EQ(r.value("onTitleScreen"), "1");
    EXPECT_EQ(r.value("GameDir"), QUELMAR_STAGE_DIR);
    const std::string inv = r.value("inventory");
    EXPECT_EQ(std::count(inv.begin(), inv.end(), ','), 17);
    // The dump comes last, after every event line.
    ASSERT_FALSE(r.out.empty());
    EXPECT_EQ(r.out.back().rfind("grid=", 0), 0u);
}

TEST_F(Runner, ALineThatCannotApplyExitsTwoNamingTheLine) {
    const std::pair<const char*, const char*> rows[] = {
        {"seed 1\nwait 10\n\nclick 1\nwait 10\n", "line 4"}, {"wait 10\nfly away\n", "line 2"},
        {"wait 1\nseed 5\n", "line 2"}};
    for (auto [script, line] : rows) {
        const Result r = run(script);
        EXPECT_EQ(r.status, 2) << script;
        EXPECT_NE(r.err.find(line), std::string::npos) << r.err;
        EXPECT_EQ(r.count("grid="), 0) << script;  // no dump after an error
    }
    EXPECT_NE(run("wait 10\nfly away\n").err.find("fly"), std::string::npos);
    std::ofstream(dir / "s.txt") << "wait 1\n";
    for (const char* args : {"", "--bogus s.txt", "--gamedir", "s.txt other.txt", "missing.txt"})
        EXPECT_EQ(runArgs(args).status, 2) << args;
}

TEST_F(Runner, GameDirOptionAndStateCommand) {
    const std::string jeu = (dir / "jeu").string();
    fs::create_directories(jeu + "/sons");
    const Result r = run("\xEF\xBB\xBFstate\r\nwait 5\r\n", "--gamedir '" + jeu + "/'");  // byte-order mark, CRLF
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.value("GameDir"), jeu);
    EXPECT_TRUE(r.has("launch \"" + jeu + "/sons/QuelmaR Son\" cwd=\"" + jeu + "/sons/\""));
    EXPECT_EQ(r.count("grid="), 2);  // `state` printed a whole dump before the one at the end
}

TEST(RunnerInProcess, SeedStartsTheGeneratorFromN) {
    // The game writes its settings into the working directory: use a scratch one.
    const fs::path scratch = scratchDir(), before = fs::current_path();
    fs::current_path(scratch);
    auto drawsAfter = [](const std::vector<std::string>& script) {
        std::ostringstream out, err;
        EXPECT_EQ(runHeadlessLines(false, QUELMAR_STAGE_DIR, script, out, err), 0) << err.str();
        std::vector<int> draws;
        for (int i = 0; i < 6; ++i) draws.push_back(gameRand());
        return draws;
    };
    const auto a = drawsAfter({"# seeded", "seed 1234", "wait 10"});
    EXPECT_EQ(a, drawsAfter({"seed 1234", "wait 10"}));
    EXPECT_NE(a, drawsAfter({"seed 99", "wait 10"}));
    // Without a seed the game starts from the clock of the machine.
    EXPECT_NE(drawsAfter({"wait 10"}), drawsAfter({"seed 0", "wait 10"}));
    fs::current_path(before);
    fs::remove_all(scratch);
}
