// Control of the headless backend, for the headless runner and the tests.
// The backend is scripted: every message loop that runs (the main window's,
// a modal dialog's) takes the next script line and acts on it; pauses and
// timers advance a virtual clock; message boxes take queued answers; every
// box, sound, music write, dialog, placement, launch, timer and quit is
// written to the transcript as one line (the runner's output format).
#pragma once

#include <functional>
#include <optional>
#include <string_view>
#include <utility>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace platform::headless {

// Thrown out of a message loop when the script has no line left: the runner
// (or a test) catches it, then dumps the state. Everything still open stays
// open; reset() clears it.
struct ScriptEnd {};

// Thrown when a script line cannot apply (no dialog for `click`, unknown
// control id, unknown command, bad syntax). The runner exits with status 2.
struct ScriptError : std::runtime_error {
    int line;
    ScriptError(int lineNo, const std::string& what) : std::runtime_error(what), line(lineNo) {}
};

// Back to a fresh backend: no windows, no timers, clock at 0, empty script,
// answer queue and transcript, start time 0 seconds.
void reset();

// The script the loops take their lines from. Lines are numbered from 1 in
// the order given; empty lines and `#` comments are skipped but counted.
void setScript(const std::vector<std::string>& lines);
// Adds lines at the end of the script (tests building a scenario step by step).
void appendScript(const std::vector<std::string>& lines);
bool scriptDone();

// For a player program running in the same process (a bot): called when the
// script has no line left, it may append lines; when it appends none the
// script ends. A box that finds no queued answer asks the advisor, which may
// give one (and how long the box stays open) before the default is taken.
// Both survive reset(); pass nullptr to remove them.
void setScriptFeeder(std::function<void()> feeder);
using BoxAdvisor = std::function<std::optional<std::pair<Answer, long long>>(
    std::string_view caption, std::string_view text, bool yesNo)>;
void setBoxAdvisor(BoxAdvisor advisor);
// Number of the next line that is not blank or a comment, 0 when none is left.
int nextLineNumber();

// Takes the `seed` and `answer` lines that open the script (blank lines and
// comments among them), before the program starts: the seed sets the start
// time and the answers are queued for the first message boxes, even those the
// program shows before its loop takes a line.
void runOpeningLines();

// Runs script lines until the script ends, without a program loop (for tests
// that drive a window procedure directly). Returns normally at the end.
void runScript();

// Queues the answer of the next message box (Answer::Ok/Yes/No), like `answer`.
// With openMs the box stays open that long on the virtual clock before it is
// answered, timers firing meanwhile (`answer yes 3000`).
void queueAnswer(Answer, long long openMs = 0);

// Virtual clock in milliseconds since reset; timeSeconds() is the start time
// plus the clock's whole seconds.
long long nowMs();
void advance(long long ms);  // fires due timers in order of due time
void setStartTime(long long seconds);

// The transcript: every event line so far. The sink, when set, also receives
// each line as it is written (the runner prints them at once).
const std::vector<std::string>& transcript();
void clearTranscript();
void setTranscriptSink(std::function<void(const std::string&)>);
// Lets a program add its own event lines (music writes are added by the
// backend itself through the file write observer).
void transcribe(const std::string& line);

// What `state` prints: set by the runner to the program's state dump. The
// dump goes to the sink line by line; it is not part of the transcript.
void setStateDumper(std::function<std::string()>);

// What executablePath() returns (the runner makes GameDir its --gamedir this
// way); empty = the running program's own path.
void setExecutablePath(const std::string& path);

// Windows: the first top-level window created, and the topmost (the open
// modal dialog, if any, else the main window). Null when none.
Window mainWindow();
Window topWindow();
// The framebuffer of a window (client area), 0xRRGGBB per pixel.
unsigned pixel(Window, int x, int y);
bool savePng(Window, const std::string& path);
// Text last set in a dialog control ("" when unknown).
std::string itemText(Window dlg, int id);
// What a player sees of the controls of a dialog, in template order (what
// `controls` prints): for a player program that acts on whatever is open.
struct ControlView {
    int id = -1;
    Ctl kind = Ctl::Label;
    std::string text;
    bool checked = false, enabled = true;
    bool number = false;  // an edit field that takes digits only
    int items = 0, selection = -1;  // combo boxes
};
std::vector<ControlView> dialogControls(Window dlg);
bool hasCloseBox(Window dlg);
// How many modal dialogs are open, nested in one another.
int openDialogs();
// How many device contexts the program has taken on a window so far (each
// drawing takes one): tests count redraws with it.
int contextsTaken(Window);
// The outer position and client size last given to a window.
Rect windowPlace(Window);  // left = x, top = y, right = width, bottom = height

}  // namespace platform::headless
