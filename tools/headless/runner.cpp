#include "runner.h"

#include <ctime>
#include <fstream>

#include "platform/headless.h"
#include "platform/platform.h"
#include "shell/startup.h"
#include "shell/statedump.h"
#include "state.h"
#ifdef QUELMAR_HAVE_EDITOR
#include "editor.h"
#endif

extern const platform::ResourceBlob QUELMAR_GAME_RESOURCES[];
extern const std::size_t QUELMAR_GAME_RESOURCE_COUNT;
#ifdef QUELMAR_HAVE_EDITOR
extern const platform::ResourceBlob QUELMAR_EDITOR_RESOURCES[];
extern const std::size_t QUELMAR_EDITOR_RESOURCE_COUNT;
#endif

namespace hl = platform::headless;

namespace {

constexpr const char* USAGE = "usage: quelmar-headless [--editor] [--gamedir DIR] SCRIPT";

void printDump(const std::string& dump, std::ostream& out) {
    out << dump;
    if (!dump.empty() && dump.back() != '\n') out << '\n';
    out.flush();
}

}  // namespace

int runHeadlessLines(bool editor, const std::string& gameDir, const std::vector<std::string>& lines,
                     std::ostream& out, std::ostream& err) {
#ifndef QUELMAR_HAVE_EDITOR
    if (editor) {
        err << "quelmar-headless: this runner was built without the level editor\n";
        return 2;
    }
#endif
    hl::reset();
    gs = GameState{};
    if (!gameDir.empty()) {
        std::string dir = gameDir;
        while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
        hl::setExecutablePath(dir + "/quelmar-headless");
    } else {
        hl::setExecutablePath("");
    }
    hl::setTranscriptSink([&out](const std::string& line) {
        out << line << '\n';
        out.flush();
    });
    std::string (*dumper)() = gameStateDump;
    int (*entry)() = quelmarMain;
    platform::setResources(QUELMAR_GAME_RESOURCES, QUELMAR_GAME_RESOURCE_COUNT);
#ifdef QUELMAR_HAVE_EDITOR
    if (editor) {
        dumper = editorStateDump;
        entry = editorMain;
        platform::setResources(QUELMAR_EDITOR_RESOURCES, QUELMAR_EDITOR_RESOURCE_COUNT);
    }
#endif
    hl::setStateDumper(dumper);
    hl::setScript(lines);
    hl::setStartTime(static_cast<long long>(std::time(nullptr)));

    int status = 0;
    try {
        // The opening seed and answers take effect before the program starts:
        // it seeds its generator and may ask its first questions before its
        // loop takes any line.
        hl::runOpeningLines();
        entry();
        // The program ended by itself: lines left have nothing to apply to.
        if (const int left = hl::nextLineNumber())
            throw hl::ScriptError(left, "the program has ended");
        printDump(dumper(), out);
    } catch (const hl::ScriptEnd&) {
        printDump(dumper(), out);
    } catch (const hl::ScriptError& e) {
        out.flush();
        err << "quelmar-headless: line " << e.line << ": " << e.what() << '\n';
        status = 2;
    } catch (const std::exception& e) {
        out.flush();
        err << "quelmar-headless: the program failed: " << e.what() << '\n';
        status = 1;
    }
    hl::setTranscriptSink(nullptr);
    return status;
}

int runHeadless(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    bool editor = false;
    std::string gameDir, script;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--editor") {
            editor = true;
        } else if (args[i] == "--gamedir" && i + 1 < args.size()) {
            gameDir = args[++i];
        } else if (script.empty() && !args[i].empty() && args[i][0] != '-') {
            script = args[i];
        } else {
            err << USAGE << '\n';
            return 2;
        }
    }
    if (script.empty()) {
        err << USAGE << '\n';
        return 2;
    }
    std::ifstream in(script, std::ios::binary);
    if (!in) {
        err << "quelmar-headless: cannot read " << script << '\n';
        return 2;
    }
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    // A read that fails (a directory, an I/O error) is not the end of the script.
    if (in.bad()) {
        err << "quelmar-headless: cannot read " << script << '\n';
        return 2;
    }
    // A byte-order mark written by some editors is not part of the first command.
    if (!lines.empty() && lines[0].rfind("\xEF\xBB\xBF", 0) == 0) lines[0].erase(0, 3);
    return runHeadlessLines(editor, gameDir, lines, out, err);
}
