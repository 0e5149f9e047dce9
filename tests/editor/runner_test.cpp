// The editor through the headless runner, as an outside check would drive it:
// a script file in, the transcript and the final state dump out.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>

#include "support.h"

namespace {

using editortest::levelText;
using editortest::readFile;
using editortest::writeFile;

struct RunnerResult {
    int status = -1;
    std::vector<std::string> lines;
    std::map<std::string, std::string> dump;  // the last value of each name=value line
};

// Runs quelmar-headless --editor in the scratch directory (the working
// directory), with the scratch directory as the game directory.
RunnerResult runEditor(const editortest::ScratchDir& dir, const std::vector<std::string>& script) {
    std::string text;
    for (const std::string& line : script) text += line + "\n";
    writeFile(dir.path + "/script.txt", text);
    std::string command = std::string("'") + QUELMAR_HEADLESS + "' --editor --gamedir '" + dir.path +
                          "' '" + dir.path + "/script.txt'";
    RunnerResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    std::string out;
    char buffer[65536];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    int raw = pclose(pipe);
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        result.lines.push_back(line);
        std::size_t eq = line.find('=');
        if (eq != std::string::npos && line.find(' ') > eq)
            result.dump[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return result;
}

int mid(int index) { return 2 + 7 * index + 3; }
std::string at(int col, int row) { return std::to_string(mid(col)) + " " + std::to_string(mid(row)); }

class EditorRunner : public ::testing::Test {
protected:
    void SetUp() override { editortest::writeEditorPictures(dir.path, "asgqkid"); }
    editortest::ScratchDir dir;
};

TEST_F(EditorRunner, MouseEdgeCases) {
    writeFile(dir.path + "/perso.niv", levelText("", 50, 50));
    RunnerResult r = runEditor(dir, {"mouse ldown 2 2", "mouse lup 2 2", "menu 40064",
                                     "mouse ldown 701 701", "mouse lup 701 701", "menu 40042",
                                     "mouse ldown 0 0", "mouse lup 0 0", "menu 40043",
                                     "mouse ldown 702 5", "mouse lup 702 5"});
    ASSERT_EQ(r.status, 0);
    std::string expected(10000, 'a');
    expected[0] = 'q';     // (2, 2) then (0, 0): both row 0, column 0
    expected[9999] = 'g';  // (701, 701): row 99, column 99
    EXPECT_EQ(r.dump["grid"], expected);
    EXPECT_EQ(r.dump["currentTool"], "d");
}

TEST_F(EditorRunner, DragThenAnnuler) {
    std::string cells(10000, 'a');
    cells[5000] = 's';
    writeFile(dir.path + "/perso.niv", levelText(cells, 0, 0));
    RunnerResult dragged = runEditor(
        dir, {"mouse ldown " + at(0, 50), "mouse move " + at(1, 50), "mouse move " + at(2, 51),
              "mouse lup " + at(2, 51), "state", "menu 40068"});
    ASSERT_EQ(dragged.status, 0);
    std::size_t grids = 0;
    std::string first;
    for (const std::string& line : dragged.lines)
        if (line.rfind("grid=", 0) == 0 && grids++ == 0) first = line.substr(5);
    ASSERT_EQ(grids, 2u);
    std::string painted = cells;
    painted[5001] = 's';
    painted[5102] = 's';
    EXPECT_EQ(first, painted);
    EXPECT_EQ(dragged.dump["grid"], cells);
}

TEST_F(EditorRunner, StartPointTool) {
    writeFile(dir.path + "/perso.niv", levelText(std::string(10000, 'a'), 0, 0));
    RunnerResult once = runEditor(dir, {"menu 40042", "menu 40081", "mouse ldown " + at(5, 6),
                                        "mouse move " + at(6, 6), "mouse lup " + at(6, 6)});
    ASSERT_EQ(once.status, 0);
    EXPECT_EQ(once.dump["startCol"], "5");
    EXPECT_EQ(once.dump["startRow"], "6");
    EXPECT_EQ(once.dump["currentTool"], "q");
    EXPECT_EQ(once.dump["grid"].substr(600, 8), "aaaaaaqa");

    RunnerResult twice = runEditor(dir, {"menu 40081", "menu 40081", "mouse ldown " + at(9, 9),
                                         "mouse lup " + at(9, 9), "mouse rdown " + at(1, 0)});
    ASSERT_EQ(twice.status, 0);
    EXPECT_EQ(twice.dump["startCol"], "9");
    EXPECT_EQ(twice.dump["startRow"], "9");
    EXPECT_EQ(twice.dump["currentTool"], "²");
    EXPECT_EQ(twice.dump["grid"], std::string(10000, 'a'));

    writeFile(dir.path + "/perso.niv", levelText(std::string(10000, 's'), 0, 0));
    RunnerResult right = runEditor(dir, {"menu 40081", "mouse rdown " + at(3, 4)});
    EXPECT_EQ(right.dump["currentTool"], "²");
    EXPECT_EQ(right.dump["grid"][403], 'a');
    EXPECT_EQ(right.dump["startCol"], "0");
}

TEST_F(EditorRunner, SaveTwiceWithTheStartMovedWritesTheBytes) {
    std::string cells(10000, 'a');
    cells[0] = static_cast<char>(0xE9);  // Windows-1252 "é" stays one byte
    writeFile(dir.path + "/perso.niv", levelText(cells, 3, 4));
    RunnerResult r = runEditor(dir, {"menu 40057", "menu 40081", "mouse ldown " + at(99, 0),
                                     "mouse lup " + at(99, 0), "menu 40064",
                                     "mouse ldown " + at(0, 99), "mouse lup " + at(0, 99),
                                     "menu 40057"});
    ASSERT_EQ(r.status, 0);
    cells[9900] = 'g';
    EXPECT_EQ(readFile(dir.path + "/perso.niv"), cells + " 99 0 ");
    int saved = 0;
    for (const std::string& line : r.lines)
        if (line.rfind("box ", 0) == 0 && line.find("caption=\"Editeur \" text=\"sauvegardé\"") !=
                                              std::string::npos)
            ++saved;
    EXPECT_EQ(saved, 2);
    EXPECT_EQ(r.dump["grid"].substr(0, 2), "\xC3\xA9");
}

TEST_F(EditorRunner, XpFigureOfTwoGuardsAGhoulAndAKnight) {
    std::string cells(10000, 'a');
    cells[10] = 'g';
    cells[20] = 'i';
    writeFile(dir.path + "/perso.niv", levelText(cells, 0, 0));
    RunnerResult r = runEditor(dir, {"menu 40064", "mouse ldown " + at(50, 50),
                                     "mouse lup " + at(50, 50), "menu 40065",
                                     "mouse ldown " + at(60, 60), "mouse lup " + at(60, 60)});
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.dump["levelXp"], "9");
}

}  // namespace
