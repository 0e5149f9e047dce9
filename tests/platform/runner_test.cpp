// The headless runner as a black box: its command line, its output lines and
// its exit status.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

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

struct Result {
    int status = -1;
    std::vector<std::string> out;
    std::string err;
    bool has(const std::string& line) const { return std::find(out.begin(), out.end(), line) != out.end(); }
    std::string value(const std::string& name) const {
        for (const auto& l : out)
            if (l.rfind(name + "=", 0) == 0) return l.substr(name.size() + 1);
        return "<missing>";
    }
};

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class Runner : public ::testing::Test {
protected:
    void SetUp() override {
        std::string t = (fs::temp_directory_path() / "qrunXXXXXX").string();
        dir = mkdtemp(t.data());
        fs::create_directory(dir / "sons");  // the game writes sons/MusicCfg.cfg from its working directory
    }
    void TearDown() override { fs::remove_all(dir); }

    Result run(const std::string& script, const std::string& options = "") {
        std::ofstream(dir / "script.txt", std::ios::binary) << script;
        const std::string cmd = "cd '" + dir.string() + "' && '" QUELMAR_HEADLESS_EXE "' " + options +
                                " script.txt > out.txt 2> err.txt";
        Result r;
        const int raw = std::system(cmd.c_str());
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        std::istringstream in(slurp(dir / "out.txt"));
        for (std::string l; std::getline(in, l);) r.out.push_back(l);
        r.err = slurp(dir / "err.txt");
        return r;
    }
    fs::path dir;
};

}  // namespace

TEST_F(Runner, EndOfScriptPrintsTheStateDumpAndExitsZero) {
    const Result r = run("seed 12\n# nothing but the title screen\nwait 100\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    EXPECT_TRUE(r.has("window place 320 200 390 350"));
    EXPECT_TRUE(r.has("launch \"" QUELMAR_STAGE_DIR "/sons/QuelmaR Son\" cwd=\"" QUELMAR_STAGE_DIR "/sons/\""));
    // The title music is written to the control file under the working directory.
    EXPECT_TRUE(std::any_of(r.out.begin(), r.out.end(), [](auto& l) { return l.rfind("music ", 0) == 0; }));
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
    Result r = run("seed 1\nwait 10\n\nclick 1\nwait 10\n");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("line 4"), std::string::npos) << r.err;
    EXPECT_EQ(r.value("grid"), "<missing>");  // no dump after an error

    r = run("wait 10\nfly away\n");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("line 2"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("fly"), std::string::npos) << r.err;

    r = run("wait 1\nseed 5\n");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("line 2"), std::string::npos) << r.err;
}

TEST_F(Runner, BadCommandLinesExitTwo) {
    std::ofstream(dir / "s.txt") << "wait 1\n";
    for (const std::string opts : {"", "--bogus s.txt", "--gamedir", "s.txt other.txt"}) {
        const std::string cmd = "cd '" + dir.string() + "' && '" QUELMAR_HEADLESS_EXE "' " + opts + " > /dev/null 2>&1";
        const int raw = std::system(cmd.c_str());
        EXPECT_EQ(WEXITSTATUS(raw), 2) << opts;
    }
    const std::string cmd = "cd '" + dir.string() + "' && '" QUELMAR_HEADLESS_EXE "' missing.txt > /dev/null 2>&1";
    EXPECT_EQ(WEXITSTATUS(std::system(cmd.c_str())), 2);
}

TEST_F(Runner, GameDirOptionAndStateCommand) {
    fs::create_directories(dir / "jeu" / "sons");
    const Result r = run("\xEF\xBB\xBFstate\r\nwait 5\r\n", "--gamedir '" + (dir / "jeu").string() + "/'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.value("GameDir"), (dir / "jeu").string());
    EXPECT_TRUE(r.has("launch \"" + (dir / "jeu").string() + "/sons/QuelmaR Son\" cwd=\"" + (dir / "jeu").string() +
                      "/sons/\""));
    // `state` printed a whole dump before the one at the end.
    EXPECT_EQ(std::count_if(r.out.begin(), r.out.end(), [](auto& l) { return l.rfind("grid=", 0) == 0; }), 2);
}

TEST(RunnerInProcess, SeedStartsTheGeneratorFromN) {
    // The game writes its settings into the working directory: use a scratch one.
    std::string t = (fs::temp_directory_path() / "qseedXXXXXX").string();
    const fs::path scratch = mkdtemp(t.data());
    const fs::path before = fs::current_path();
    fs::current_path(scratch);
    auto drawsAfter = [](const std::vector<std::string>& script) {
        std::ostringstream out, err;
        EXPECT_EQ(runHeadlessLines(false, QUELMAR_STAGE_DIR, script, out, err), 0) << err.str();
        std::vector<int> draws;
        for (int i = 0; i < 6; ++i) draws.push_back(gameRand());
        return draws;
    };
    const auto a = drawsAfter({"# seeded", "seed 1234", "wait 10"});
    const auto b = drawsAfter({"seed 1234", "wait 10"});
    const auto c = drawsAfter({"seed 99", "wait 10"});
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    // Without a seed the game starts from the clock of the machine.
    const auto d = drawsAfter({"wait 10"});
    const auto e = drawsAfter({"seed 0", "wait 10"});
    EXPECT_NE(d, e);
    fs::current_path(before);
    fs::remove_all(scratch);
}
