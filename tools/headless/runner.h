// The headless runner: runs the game (or the level editor) on the headless
// backend from a script and prints the transcript and the state dump.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// args are the command-line arguments without the program name:
//   [--editor] [--gamedir DIR] SCRIPT
// Event lines and the final state dump go to out as they happen, messages to
// err. Returns the exit status: 0 at the end of the script, 2 for a bad
// command line, an unreadable script or a line that cannot apply.
int runHeadless(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Same with the script given as lines (for benchmarks and tests in process).
int runHeadlessLines(bool editor, const std::string& gameDir, const std::vector<std::string>& lines,
                     std::ostream& out, std::ostream& err);
