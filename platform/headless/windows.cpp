// The headless backend: windows, the scripted message loops, modal dialogs,
// message boxes, timers on a virtual clock, process services and the transcript.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <deque>
#include <memory>
#include <sstream>

#include "backend.h"
#include "platform/files.h"

namespace platform {

using headless::ScriptEnd;
using headless::ScriptError;
using namespace headless::detail;

namespace {

struct Timer {
    Window w;
    int id;
    int period;
    long long due;
};

struct ScriptLine {
    int number;
    std::string text;
};

struct QueuedAnswer {
    Answer answer;
    int line;            // script line that queued it, 0 from the API
    long long openMs;    // virtual time the box stays open before the answer
};

struct Backend {
    std::vector<std::unique_ptr<WindowRec>> windows;  // every window ever made (handles stay valid)
    Window main = nullptr;
    std::vector<Window> dialogs;  // open modal dialogs, innermost last
    std::vector<Timer> timers;
    long long now = 0;
    long long startSeconds = 0;
    std::vector<ScriptLine> script;
    std::size_t next = 0;
    int lastNumber = 0;
    bool commandSeen = false;  // a command other than `seed` has run
    int currentLine = 0;
    std::deque<QueuedAnswer> answers;
    std::function<void()> feeder;          // kept across reset()
    headless::BoxAdvisor boxAdvisor;       // kept across reset()
    std::vector<std::string> transcript;
    std::function<void(const std::string&)> sink;
    std::function<std::string()> dumper;
    bool quitPosted = false;
    int quitCode = 0;
    std::string exePath;
    const ResourceBlob* resources = nullptr;
    std::size_t resourceCount = 0;
};

Backend& B() {
    static Backend b;
    return b;
}

bool live(Window w) { return w && w->alive; }

std::string windowName(Window w) {
    if (w && w->dialog) return "dlg:" + std::to_string(w->dialogId);
    return "main";
}

void musicObserver(const std::string& path, std::string_view bytes) {
    const auto slash = path.find_last_of('/');
    if (path.compare(slash == std::string::npos ? 0 : slash + 1, std::string::npos, "MusicCfg.cfg") != 0)
        return;
    std::string s(bytes);
    const auto at = s.find("musique:");
    std::string value = at == std::string::npos ? s : s.substr(at + 8);
    const auto first = value.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) value.clear();
    else value = value.substr(first, value.find_first_of(" \t\r\n", first) - first);
    headless::transcribe("music " + value);
}

// Installs the write observer as soon as the backend is linked in.
[[maybe_unused]] const bool observerInstalled = (setFileWriteObserver(musicObserver), true);

Rect unite(const Rect& a, const Rect& b) {
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

void resizeFramebuffer(Window w, int cw, int ch) {
    cw = std::max(cw, 0);
    ch = std::max(ch, 0);
    std::vector<std::uint32_t> fb(static_cast<std::size_t>(cw) * ch, pack(BUTTON_FACE));
    for (int y = 0; y < std::min(ch, w->h); ++y)
        for (int x = 0; x < std::min(cw, w->w); ++x)
            fb[static_cast<std::size_t>(y) * cw + x] = w->fb[static_cast<std::size_t>(y) * w->w + x];
    w->fb = std::move(fb);
    w->w = cw;
    w->h = ch;
}

long send(Window w, Msg m, long a = 0, long b = 0) {
    if (!live(w) || !w->proc) return 0;
    return w->proc(w, m, a, b);
}

// Paints every window that asked for it (once each per call).
void deliverPaints() {
    for (std::size_t i = 0; i < B().windows.size(); ++i) {
        Window w = B().windows[i].get();
        if (live(w) && w->invalid) updateWindow(w);
    }
}

// Fires, once each, the timers that fell due while nobody was looking (after a
// pause), as a system that coalesces timer messages does.
void fireOverdue() {
    std::vector<std::pair<Window, int>> due;
    for (Timer& t : B().timers)
        if (t.due <= B().now) due.emplace_back(t.w, t.id);
    for (const auto& entry : due) {
        const Window w = entry.first;  // plain names: clang 14 lambdas cannot capture bindings
        const int id = entry.second;
        auto it = std::find_if(B().timers.begin(), B().timers.end(),
                               [&](const Timer& t) { return t.w == w && t.id == id; });
        if (it == B().timers.end() || it->due > B().now) continue;
        it->due = B().now + it->period;
        send(w, Msg::Timer, id);
        deliverPaints();
    }
}

void idle() {
    deliverPaints();
    fireOverdue();
}

[[noreturn]] void fail(const std::string& what) { throw ScriptError(B().currentLine, what); }

// Splits a line into words; the rest of the line after `keep` words is kept whole
// in the last element (for `type ID TEXT`).
std::vector<std::string> words(const std::string& s) {
    std::vector<std::string> out;
    std::istringstream in(s);
    std::string w;
    while (in >> w) out.push_back(w);
    return out;
}

long long parseNumber(const std::string& s, long long lo, long long hi) {
    if (s.empty()) fail("number expected");
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(s.c_str(), &end, 10);
    if (errno || *end || v < lo || v > hi) fail("bad number \"" + s + "\"");
    return v;
}

int parseKey(const std::string& name) {
    static const std::pair<const char*, int> named[] = {
        {"Left", vk::LEFT},   {"Right", vk::RIGHT}, {"Up", vk::UP},         {"Down", vk::DOWN},
        {"Enter", vk::RETURN}, {"Space", vk::SPACE}, {"Escape", vk::ESCAPE},
    };
    for (auto& [n, code] : named)
        if (name == n) return code;
    if (name.size() == 2 && name[0] == 'F' && name[1] >= '1' && name[1] <= '9')
        return vk::F1 + (name[1] - '1');
    if (name.size() == 1 && ((name[0] >= '0' && name[0] <= '9') || (name[0] >= 'A' && name[0] <= 'Z')))
        return name[0];
    fail("unknown key \"" + name + "\"");
}

bool menuHas(const MenuDef& menu, int id) {
    for (const MenuEntry& e : menu) {
        if (e.children.empty() ? (e.id == id && id != 0) : menuHas(e.children, id)) return true;
    }
    return false;
}

Control* findControl(Window dlg, int id) {
    if (!dlg) return nullptr;
    for (Control& c : dlg->controls)
        if (c.def.id == id && id != -1) return &c;
    return nullptr;
}

Control& controlFor(Window dlg, const std::string& idText) {
    if (!dlg) fail("no dialog is open");
    const int id = static_cast<int>(parseNumber(idText, INT_MIN, INT_MAX));
    Control* c = findControl(dlg, id);
    if (!c) fail("dialog " + std::to_string(dlg->dialogId) + " has no control " + idText);
    return *c;
}

void redrawControl(Window dlg, const Control& c) {
    if (live(dlg)) drawControl(dlg, c);
}

int defaultButton(Window dlg) {
    for (const Control& c : dlg->controls)
        if (c.def.kind == Ctl::DefPushButton) return c.def.id;
    return 1;
}

void pressKey(Window target, int key, bool down, bool up) {
    if (target->dialog) {
        // In a dialog Enter presses the default button and Escape cancels;
        // other keys go to the focused control and change nothing here.
        if (!down) return;
        if (key == vk::RETURN) {
            // A disabled default button is not pressed, as with the system's dialogs.
            const int id = defaultButton(target);
            const Control* c = findControl(target, id);
            if (!c || c->enabled) send(target, Msg::Command, id);
        } else if (key == vk::ESCAPE) send(target, Msg::Command, 2);
        return;
    }
    if (down) send(target, Msg::KeyDown, key);
    if (up && live(target)) send(target, Msg::KeyUp, key);
}

void clickControl(Window dlg, Control& c) {
    if (!c.enabled) fail("control " + std::to_string(c.def.id) + " is disabled");
    switch (c.def.kind) {
        case Ctl::CheckBox:
            c.checked = !c.checked;
            redrawControl(dlg, c);
            [[fallthrough]];
        case Ctl::PushButton:
        case Ctl::DefPushButton:
            send(dlg, Msg::Command, c.def.id);
            break;
        default:
            fail("control " + std::to_string(c.def.id) + " is not a button");
    }
}

std::string quoted(std::string_view s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if (c == '"') out += "\\\"";
        else if (c == '\\') out += "\\\\";
        else out += c;
    }
    return out + "\"";
}

// One line of `controls`: id, kind, text, then its state.
std::string controlLine(const Control& c) {
    static const char* const kinds[] = {"button", "default", "check", "edit",
                                        "readonly", "combo", "label", "group"};
    std::string line = "control " + std::to_string(c.def.id) + " " +
                       kinds[static_cast<int>(c.def.kind)] + " " + quoted(c.text);
    if (c.checked && c.def.kind == Ctl::CheckBox) line += " checked";
    if (!c.enabled) line += " disabled";
    if (c.def.kind == Ctl::ComboBox) {
        line += " selected=" + std::to_string(c.selection) + " items=";
        for (std::size_t i = 0; i < c.items.size(); ++i) line += (i ? "," : "") + quoted(c.items[i]);
    }
    return line;
}

// Takes the next script line (skipping blanks and comments) or throws ScriptEnd.
ScriptLine takeLine() {
    Backend& b = B();
    for (;;) {
        while (b.next < b.script.size()) {
            ScriptLine l = b.script[b.next++];
            if (!l.text.empty() && l.text.back() == '\r') l.text.pop_back();
            const auto first = l.text.find_first_not_of(" \t");
            if (first == std::string::npos || l.text[first] == '#') continue;
            return l;
        }
        // A player program in the same process may go on writing the script.
        const std::size_t before = b.script.size();
        if (!b.feeder || (b.feeder(), b.script.size() == before)) break;
    }
    throw ScriptEnd{};
}

// Acts on one script line; `loopWindow` is the window whose loop took it.
void execute(const ScriptLine& line, Window loopWindow) {
    Backend& b = B();
    b.currentLine = line.number;
    const std::string& text = line.text;
    const auto start = text.find_first_not_of(" \t");
    const auto cmdEnd = text.find_first_of(" \t", start);
    const std::string cmd = text.substr(start, cmdEnd - start);
    std::string rest = cmdEnd == std::string::npos ? "" : text.substr(cmdEnd + 1);
    if (cmd != "type") {
        // A '#' at the start of a word begins a comment (not inside typed text).
        for (std::size_t i = 0; i < rest.size(); ++i)
            if (rest[i] == '#' && (i == 0 || rest[i - 1] == ' ' || rest[i - 1] == '\t')) {
                rest.resize(i);
                break;
            }
    }
    const std::vector<std::string> arg = words(rest);
    auto want = [&](std::size_t n) {
        if (arg.size() != n) fail("`" + cmd + "` takes " + std::to_string(n) + " argument(s)");
    };
    Window dlg = b.dialogs.empty() ? nullptr : b.dialogs.back();
    Window target = dlg ? dlg : (live(loopWindow) ? loopWindow : b.main);

    if (cmd == "seed") {
        want(1);
        if (b.commandSeen) fail("`seed` only before the first other command");
        b.startSeconds = parseNumber(arg[0], LLONG_MIN / 2, LLONG_MAX / 2);
        return;
    }
    b.commandSeen = true;
    if (cmd == "key" || cmd == "keydown" || cmd == "keyup") {
        want(1);
        const int key = parseKey(arg[0]);
        if (!live(target)) fail("no window for `" + cmd + "`");
        pressKey(target, key, cmd != "keyup", cmd != "keydown");
    } else if (cmd == "menu") {
        want(1);
        const int id = static_cast<int>(parseNumber(arg[0], INT_MIN, INT_MAX));
        if (dlg) fail("a dialog is open: the menu cannot be used");
        if (!live(target)) fail("no window for `menu`");
        if (!target->menu || !menuHas(*target->menu, id)) fail("the menu has no command " + arg[0]);
        send(target, Msg::Command, id);
    } else if (cmd == "click") {
        want(1);
        Control& c = controlFor(dlg, arg[0]);
        clickControl(dlg, c);
    } else if (cmd == "type") {
        // type ID TEXT: TEXT is the rest of the line after one separator.
        const auto idStart = rest.find_first_not_of(" \t");
        if (idStart == std::string::npos) fail("`type` takes a control id and a text");
        const auto idEnd = rest.find_first_of(" \t", idStart);
        const std::string id = rest.substr(idStart, idEnd - idStart);
        const std::string typed = idEnd == std::string::npos ? "" : rest.substr(idEnd + 1);
        Control& c = controlFor(dlg, id);
        if (c.def.kind != Ctl::Edit && c.def.kind != Ctl::ComboBox)
            fail("control " + id + " is not an editable field");
        if (!c.enabled) fail("control " + id + " is disabled");
        // A number field takes digits only, as the system's number style does.
        if (c.def.number && typed.find_first_not_of("0123456789") != std::string::npos)
            fail("control " + id + " takes digits only");
        c.text = typed;
        // A limited field takes its first characters only, as typing stops there.
        if (c.def.maxChars > 0) {
            int chars = 0;
            for (std::size_t i = 0; i < c.text.size(); ++i) {
                if ((static_cast<unsigned char>(c.text[i]) & 0xC0) == 0x80) continue;
                if (chars++ == c.def.maxChars) {
                    c.text.resize(i);
                    break;
                }
            }
        }
        if (c.def.kind == Ctl::ComboBox) c.selection = -1;
        redrawControl(dlg, c);
    } else if (cmd == "check") {
        want(2);
        Control& c = controlFor(dlg, arg[0]);
        if (c.def.kind != Ctl::CheckBox) fail("control " + arg[0] + " is not a check box");
        if (arg[1] != "on" && arg[1] != "off") fail("`check` wants on or off");
        if (c.checked != (arg[1] == "on")) clickControl(dlg, c);
    } else if (cmd == "select") {
        want(2);
        Control& c = controlFor(dlg, arg[0]);
        if (c.def.kind != Ctl::ComboBox) fail("control " + arg[0] + " is not a combo box");
        if (!c.enabled) fail("control " + arg[0] + " is disabled");
        const int n = static_cast<int>(parseNumber(arg[1], -1, static_cast<long long>(c.items.size()) - 1));
        c.selection = n;
        c.text = n < 0 ? "" : c.items[static_cast<std::size_t>(n)];
        redrawControl(dlg, c);
    } else if (cmd == "close") {
        want(0);
        if (dlg && !dlg->closeBox) fail("dialog " + std::to_string(dlg->dialogId) + " has no close box");
        if (dlg) send(dlg, Msg::Command, 2);
        else if (live(target)) send(target, Msg::Close);
        else fail("no window to close");
    } else if (cmd == "answer") {
        if (arg.size() != 1 && arg.size() != 2) fail("`answer` takes yes, no or ok and an optional time");
        Answer a;
        if (arg[0] == "yes") a = Answer::Yes;
        else if (arg[0] == "no") a = Answer::No;
        else if (arg[0] == "ok") a = Answer::Ok;
        else fail("`answer` wants yes, no or ok");
        const long long openMs = arg.size() == 2 ? parseNumber(arg[1], 0, 86'400'000) : 0;
        b.answers.push_back({a, line.number, openMs});
    } else if (cmd == "wait") {
        want(1);
        // At most a day at a time: a 10 ms timer already ticks 8.6 million times in it.
        headless::advance(parseNumber(arg[0], 0, 86'400'000));
    } else if (cmd == "mouse") {
        want(3);
        const int x = static_cast<int>(parseNumber(arg[1], INT_MIN / 2, INT_MAX / 2));
        const int y = static_cast<int>(parseNumber(arg[2], INT_MIN / 2, INT_MAX / 2));
        Msg m;
        if (arg[0] == "ldown") m = Msg::LButtonDown;
        else if (arg[0] == "lup") m = Msg::LButtonUp;
        else if (arg[0] == "rdown") m = Msg::RButtonDown;
        else if (arg[0] == "move") m = Msg::MouseMove;
        else fail("`mouse` wants ldown, lup, rdown or move");
        if (!live(target)) fail("no window for `mouse`");
        target->cursor = {x, y};
        send(target, m, x, y);
    } else if (cmd == "shot") {
        want(1);
        Window top = headless::topWindow();
        if (!top) fail("no window to take a picture of");
        deliverPaints();
        if (!headless::savePng(top, arg[0])) fail("cannot write " + arg[0]);
    } else if (cmd == "controls") {
        want(0);
        if (!dlg) fail("no dialog is open");
        for (const Control& c : dlg->controls) headless::transcribe(controlLine(c));
    } else if (cmd == "state") {
        want(0);
        const std::string dump = b.dumper ? b.dumper() : "";
        if (b.sink) {
            std::istringstream in(dump);
            std::string l;
            while (std::getline(in, l)) b.sink(l);
        }
    } else {
        fail("unknown command \"" + cmd + "\"");
    }
}

void runOneLine(Window loopWindow) {
    const ScriptLine line = takeLine();
    execute(line, loopWindow);
}

void killTimersOf(Window w) {
    std::erase_if(B().timers, [w](const Timer& t) { return t.w == w; });
}

}  // namespace

// ---------------------------------------------------------------- control of the backend

namespace headless {

void reset() {
    Backend& b = B();
    for (auto& w : b.windows) {
        w->alive = false;
        w->fb.clear();
        w->fb.shrink_to_fit();
    }
    b.main = nullptr;
    b.dialogs.clear();
    b.timers.clear();
    b.now = 0;
    b.startSeconds = 0;
    b.script.clear();
    b.next = 0;
    b.lastNumber = 0;
    b.commandSeen = false;
    b.currentLine = 0;
    b.answers.clear();
    b.transcript.clear();
    b.quitPosted = false;
    b.quitCode = 0;
    detail::freeAllImages();
    setFileWriteObserver(musicObserver);
}

void setScript(const std::vector<std::string>& lines) {
    B().script.clear();
    B().next = 0;
    B().lastNumber = 0;
    appendScript(lines);
}

void appendScript(const std::vector<std::string>& lines) {
    for (const std::string& l : lines) B().script.push_back({++B().lastNumber, l});
}

int nextLineNumber() {
    const Backend& b = B();
    for (std::size_t i = b.next; i < b.script.size(); ++i) {
        const std::string& t = b.script[i].text;
        const auto first = t.find_first_not_of(" \t\r");
        if (first != std::string::npos && t[first] != '#') return b.script[i].number;
    }
    return 0;
}

bool scriptDone() { return nextLineNumber() == 0; }

void runOpeningLines() {
    Backend& b = B();
    while (b.next < b.script.size()) {
        const std::string& t = b.script[b.next].text;
        std::istringstream in(t);
        std::string cmd;
        if (!(in >> cmd) || cmd[0] == '#') {
            ++b.next;
            continue;
        }
        if (cmd != "seed" && cmd != "answer") break;
        execute(takeLine(), nullptr);
        b.commandSeen = false;  // seeds and answers may mix in the opening
    }
}

void runScript() {
    while (!scriptDone()) {
        idle();
        runOneLine(B().main);
    }
    idle();
}

void setScriptFeeder(std::function<void()> feeder) { B().feeder = std::move(feeder); }
void setBoxAdvisor(BoxAdvisor advisor) { B().boxAdvisor = std::move(advisor); }

void queueAnswer(Answer a, long long openMs) { B().answers.push_back({a, 0, std::max(openMs, 0LL)}); }

long long nowMs() { return B().now; }

void advance(long long ms) {
    Backend& b = B();
    const long long target = b.now + std::max(ms, 0LL);
    deliverPaints();
    for (;;) {
        auto it = std::min_element(b.timers.begin(), b.timers.end(),
                                   [](const Timer& x, const Timer& y) { return x.due < y.due; });
        if (it == b.timers.end() || it->due > target) break;
        b.now = std::max(b.now, it->due);
        it->due = b.now + it->period;
        const Window w = it->w;
        const int id = it->id;
        send(w, Msg::Timer, id);  // may set or kill timers, open dialogs, pause
        deliverPaints();
    }
    b.now = std::max(b.now, target);
}

void setStartTime(long long seconds) { B().startSeconds = seconds; }

const std::vector<std::string>& transcript() { return B().transcript; }
void clearTranscript() { B().transcript.clear(); }
void setTranscriptSink(std::function<void(const std::string&)> sink) { B().sink = std::move(sink); }

void transcribe(const std::string& line) {
    B().transcript.push_back(line);
    if (B().sink) B().sink(line);
}

void setStateDumper(std::function<std::string()> dumper) { B().dumper = std::move(dumper); }

void setExecutablePath(const std::string& path) { B().exePath = path; }

Window mainWindow() { return live(B().main) ? B().main : nullptr; }

Window topWindow() {
    for (auto it = B().dialogs.rbegin(); it != B().dialogs.rend(); ++it)
        if (live(*it)) return *it;
    return mainWindow();
}

unsigned pixel(Window w, int x, int y) {
    if (!w || x < 0 || y < 0 || x >= w->w || y >= w->h || w->fb.empty()) return 0;
    return w->fb[static_cast<std::size_t>(y) * w->w + x];
}

std::string itemText(Window dlg, int id) {
    const Control* c = findControl(dlg, id);
    return c ? c->text : "";
}

std::vector<ControlView> dialogControls(Window dlg) {
    std::vector<ControlView> out;
    if (!live(dlg)) return out;
    for (const Control& c : dlg->controls)
        out.push_back({c.def.id, c.def.kind, c.text, c.checked, c.enabled, c.def.number,
                       static_cast<int>(c.items.size()), c.selection});
    return out;
}

bool hasCloseBox(Window dlg) { return live(dlg) && dlg->dialog && dlg->closeBox; }

int openDialogs() {
    return static_cast<int>(std::count_if(B().dialogs.begin(), B().dialogs.end(), live));
}

Rect windowPlace(Window w) {
    if (!w) return {};
    return {w->x, w->y, w->w, w->h};
}

int contextsTaken(Window w) { return w ? w->contexts : 0; }

}  // namespace headless

// ---------------------------------------------------------------- resources

void setResources(const ResourceBlob* table, std::size_t count) {
    B().resources = table;
    B().resourceCount = count;
}

Image loadResourceImage(int id) {
    for (std::size_t i = 0; i < B().resourceCount; ++i) {
        const ResourceBlob& r = B().resources[i];
        if (r.id != id) continue;
        auto img = std::make_unique<ImageRec>();
        if (!image::decode(r.data, r.size, img->img)) return nullptr;
        return headless::detail::keepImage(std::move(img));
    }
    return nullptr;
}

// ---------------------------------------------------------------- windows

long defaultWindowProc(Window w, Msg m, long, long) {
    if (m == Msg::Close) destroyWindow(w);
    return 0;
}

Window createWindow(const WindowInit& init) {
    auto rec = std::make_unique<WindowRec>();
    Window w = rec.get();
    w->proc = init.proc;
    w->title = init.title;
    w->x = init.x;
    w->y = init.y;
    w->menu = init.menu;
    resizeFramebuffer(w, init.clientW, init.clientH);
    w->invalid = true;
    w->dirty = {0, 0, w->w, w->h};
    w->erase = true;
    w->eraseAreas = {w->dirty};
    B().windows.push_back(std::move(rec));
    if (!live(B().main)) B().main = w;
    headless::transcribe("window place " + std::to_string(w->x) + " " + std::to_string(w->y) + " " +
                         std::to_string(w->w) + " " + std::to_string(w->h));
    return w;
}

void placeWindow(Window w, int x, int y, int clientW, int clientH) {
    if (!live(w)) return;
    w->x = x;
    w->y = y;
    if (clientW != w->w || clientH != w->h) {
        resizeFramebuffer(w, clientW, clientH);
        invalidate(w, nullptr, true);
    }
    headless::transcribe("window place " + std::to_string(x) + " " + std::to_string(y) + " " +
                         std::to_string(w->w) + " " + std::to_string(w->h));
}

void destroyWindow(Window w) {
    if (!live(w)) return;
    send(w, Msg::Destroy);
    w->alive = false;
    w->fb = {};  // the record stays (handles never dangle), its pixels go
    killTimersOf(w);
}

bool isWindow(Window w) { return live(w); }

// Nothing to show it on: the headless windows have no title bar.
void setWindowIcon(Window, int) {}

void postQuit(int exitCode) {
    B().quitPosted = true;
    B().quitCode = exitCode;
    headless::transcribe("quit");
}

int runMessageLoop(Window w) {
    Backend& b = B();
    for (;;) {
        if (b.quitPosted) {
            b.quitPosted = false;
            return b.quitCode;
        }
        if (!live(w)) return 0;
        idle();
        if (b.quitPosted || !live(w)) continue;
        runOneLine(w);
    }
}

void invalidate(Window w, const Rect* area, bool erase) {
    if (!live(w)) return;
    Rect r = area ? *area : Rect{0, 0, w->w, w->h};
    r = {std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, w->w), std::min(r.bottom, w->h)};
    if (r.left >= r.right || r.top >= r.bottom) return;
    w->dirty = w->invalid ? unite(w->dirty, r) : r;
    w->invalid = true;
    if (erase) {
        if (!w->erase) w->eraseAreas.clear();
        w->eraseAreas.push_back(r);
        // Many areas before a paint: their bounding box will do.
        if (w->eraseAreas.size() > 16) {
            Rect all = w->eraseAreas.front();
            for (const Rect& a : w->eraseAreas) all = unite(all, a);
            w->eraseAreas = {all};
        }
        w->erase = true;
    }
}

void updateWindow(Window w) {
    if (!live(w) || !w->invalid) return;
    w->invalid = false;
    if (w->erase) {
        w->erase = false;
        for (const Rect& r : w->eraseAreas) fill(w, r, BUTTON_FACE);
        if (w->dialog)
            for (const Control& c : w->controls) drawControl(w, c);
    }
    send(w, Msg::Paint);
}

Rect clientRect(Window w) { return live(w) ? Rect{0, 0, w->w, w->h} : Rect{}; }

Point cursorPos(Window w) { return w ? w->cursor : Point{}; }

// ---------------------------------------------------------------- dialogs

int dialogBox(const DialogDef& def, Window owner, WindowProc proc) {
    Backend& b = B();
    auto rec = std::make_unique<WindowRec>();
    Window d = rec.get();
    d->dialog = true;
    d->dialogId = def.id;
    d->proc = proc;
    d->title = def.title;
    d->owner = owner;
    d->closeBox = def.caption && def.closeBox;
    // Dialog units to pixels by the dialog's font: about 6 x 13 base units at 8 points.
    d->unitW = std::max(1, (6 * def.fontSize + 4) / 8);
    d->unitH = std::max(1, (13 * def.fontSize + 4) / 8);
    auto px = [d](int v) { return v * d->unitW / 4; };
    auto py = [d](int v) { return v * d->unitH / 8; };
    if (owner) d->x = owner->x + 20, d->y = owner->y + 20;
    resizeFramebuffer(d, px(def.w), py(def.h));
    for (const ControlDef& cd : def.controls) {
        Control c;
        c.def = cd;
        c.box = {px(cd.x), py(cd.y), px(cd.x + cd.w), py(cd.y + cd.h)};
        c.enabled = !cd.disabled;
        if (cd.kind != Ctl::ComboBox) c.text = cd.text;
        d->controls.push_back(std::move(c));
    }
    for (const Control& c : d->controls) drawControl(d, c);
    b.windows.push_back(std::move(rec));
    b.dialogs.push_back(d);
    headless::transcribe("dialog open " + std::to_string(def.id));

    struct Pop {  // leaves the dialog stack tidy even when the script ends inside
        Window d;
        ~Pop() {
            auto& s = B().dialogs;
            if (!s.empty() && s.back() == d && d->ended) s.pop_back();
        }
    } pop{d};

    send(d, Msg::InitDialog);
    if (!d->ended) {
        d->invalid = true;
        d->dirty = {0, 0, d->w, d->h};
    }
    while (!d->ended && live(d)) {
        if (b.quitPosted) {
            d->ended = true;  // quit ends the dialog; the owner's loop sees it next
            break;
        }
        idle();
        if (d->ended || !live(d)) break;
        runOneLine(d);
    }
    d->ended = true;
    d->alive = false;
    d->fb = {};
    killTimersOf(d);
    headless::transcribe("dialog end " + std::to_string(def.id) + " " + std::to_string(d->endCode));
    return d->endCode;
}

void endDialog(Window dlg, int code) {
    if (!live(dlg) || !dlg->dialog || dlg->ended) return;
    dlg->ended = true;
    dlg->endCode = code;
}

int dialogId(Window dlg) { return dlg && dlg->dialog ? dlg->dialogId : 0; }

Rect mapDialogRect(Window dlg, const Rect& u) {
    if (!dlg || !dlg->dialog) return u;
    auto x = [dlg](int v) { return v * dlg->unitW / 4; };
    auto y = [dlg](int v) { return v * dlg->unitH / 8; };
    return Rect{x(u.left), y(u.top), x(u.right), y(u.bottom)};
}

void setItemText(Window dlg, int id, std::string_view utf8) {
    if (Control* c = findControl(dlg, id)) {
        c->text = std::string(utf8);
        if (c->def.kind == Ctl::ComboBox) c->selection = -1;
        redrawControl(dlg, *c);
    }
}

std::string getItemText(Window dlg, int id) {
    const Control* c = findControl(dlg, id);
    return c ? c->text : "";
}

void setItemInt(Window dlg, int id, int value) { setItemText(dlg, id, std::to_string(value)); }

void checkItem(Window dlg, int id, bool on) {
    if (Control* c = findControl(dlg, id)) {
        c->checked = on;
        redrawControl(dlg, *c);
    }
}

bool isItemChecked(Window dlg, int id) {
    const Control* c = findControl(dlg, id);
    return c && c->checked;
}

void enableItem(Window dlg, int id, bool on) {
    if (Control* c = findControl(dlg, id)) {
        c->enabled = on;
        redrawControl(dlg, *c);
    }
}

void comboReset(Window dlg, int id) {
    if (Control* c = findControl(dlg, id)) {
        c->items.clear();
        c->selection = -1;
        c->text.clear();
        redrawControl(dlg, *c);
    }
}

void comboAdd(Window dlg, int id, std::string_view utf8) {
    if (Control* c = findControl(dlg, id)) c->items.emplace_back(utf8);
}

void comboSelect(Window dlg, int id, int index) {
    Control* c = findControl(dlg, id);
    if (!c) return;
    if (index < 0 || index >= static_cast<int>(c->items.size())) {
        c->selection = -1;
        c->text.clear();
    } else {
        c->selection = index;
        c->text = c->items[static_cast<std::size_t>(index)];
    }
    redrawControl(dlg, *c);
}

int comboSelection(Window dlg, int id) {
    const Control* c = findControl(dlg, id);
    return c ? c->selection : -1;
}

void comboSetDroppedSize(Window, int, int, int) {
    // The drop-down list is never shown headless; its size changes nothing visible.
}

// ---------------------------------------------------------------- message boxes

Answer messageBox(Window owner, std::string_view text, std::string_view caption, BoxStyle style) {
    Backend& b = B();
    const bool yesNo = style.buttons == BoxButtons::YesNo;
    Answer answer = yesNo ? (style.defaultNo ? Answer::No : Answer::Yes) : Answer::Ok;
    const Answer deflt = answer;
    long long openMs = 0;
    if (b.answers.empty() && b.boxAdvisor) {
        if (auto advised = b.boxAdvisor(caption, text, yesNo)) b.answers.push_back({advised->first, b.currentLine, advised->second});
    }
    if (!b.answers.empty()) {
        const QueuedAnswer q = b.answers.front();
        b.answers.pop_front();
        const bool fits = yesNo ? q.answer != Answer::Ok : q.answer == Answer::Ok;
        if (!fits) {
            throw ScriptError(q.line, std::string("the answer does not fit the box \"") +
                                          std::string(caption) + "\" (buttons " +
                                          (yesNo ? "yes/no" : "ok") + ")");
        }
        answer = q.answer;
        openMs = q.openMs;
    }
    auto name = [](Answer a) { return a == Answer::Yes ? "yes" : a == Answer::No ? "no" : "ok"; };
    static const char* icons[] = {"none", "info", "warning", "error", "question"};
    std::string who = !owner ? "none" : owner->dialog ? "dlg:" + std::to_string(owner->dialogId) : "main";
    headless::transcribe("box owner=" + who + " icon=" + icons[static_cast<int>(style.icon)] +
                         " buttons=" + (yesNo ? "yesno" : "ok") + " default=" + name(deflt) +
                         " caption=" + quoted(caption) + " text=" + quoted(text) + " -> " +
                         name(answer));
    // While the box is read, time passes and timers keep firing (the box's own
    // modal loop dispatches them), possibly opening further boxes.
    if (openMs > 0) headless::advance(openMs);
    return answer;
}

// ---------------------------------------------------------------- timers

void setTimer(Window w, int id, int ms) {
    if (!live(w)) return;
    const int period = ms < 10 ? 10 : ms;  // the system's shortest period
    headless::transcribe("timer set " + windowName(w) + " " + std::to_string(id) + " " + std::to_string(ms));
    for (Timer& t : B().timers)
        if (t.w == w && t.id == id) {
            t.period = period;
            t.due = B().now + period;
            return;
        }
    B().timers.push_back({w, id, period, B().now + period});
}

void killTimer(Window w, int id) {
    if (!w) return;
    headless::transcribe("timer kill " + windowName(w) + " " + std::to_string(id));
    std::erase_if(B().timers, [&](const Timer& t) { return t.w == w && t.id == id; });
}

// ---------------------------------------------------------------- process services

std::string executablePath() {
    if (B().exePath.empty()) {
        char buf[4096];
        const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
        B().exePath = n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : "./quelmar-headless";
    }
    return B().exePath;
}

long long timeSeconds() { return B().startSeconds + B().now / 1000; }

void pauseMs(int ms) {
    // The screen is up to date, then time passes with no message delivered.
    deliverPaints();
    if (ms > 0) B().now += ms;
}

bool launchProgram(const std::string& file, const std::string&, const std::string& workDir) {
    headless::transcribe("launch " + quoted(file) + " cwd=" + quoted(workDir));
    return true;
}

bool openDocument(const std::string& path) {
    headless::transcribe("open " + quoted(path));
    return true;
}

void playEffect(const std::string& path) {
    std::string name = path.substr(path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/') + 1);
    if (name.size() >= 4 && name.compare(name.size() - 4, 4, ".wav") == 0) name.resize(name.size() - 4);
    headless::transcribe("sound " + name);
}

}  // namespace platform
