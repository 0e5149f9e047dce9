// Start-up of wxWidgets, the pause, keys, and the process services.
#include <dlfcn.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <set>
#include <thread>
#include <utility>
#include <wx/evtloop.h>
#include <wx/fontenum.h>

#include "internal.h"
#include "platform/audio.h"
#include "platform/files.h"

extern char** environ;

namespace platform {
namespace wxb {

bool inPause = false;

namespace {

// Key releases that came during a pause, delivered once it is over (so a
// program that tracks held keys does not miss a release).
std::vector<std::pair<wxWindow*, int>> heldKeyUps;

class App : public wxApp {
public:
    // No command-line parsing: the programs take no options, and the tests'
    // own options must not upset wx.
    bool OnInit() override { return true; }
};

// Drops input while a pause runs, as the original's sleeps did; key releases
// are kept for later.
class PauseFilter : public wxEventFilter {
public:
    int FilterEvent(wxEvent& event) override {
        if (!inPause) return Event_Skip;
        const wxEventType t = event.GetEventType();
        if (t == wxEVT_KEY_UP) {
            auto* win = dynamic_cast<wxWindow*>(event.GetEventObject());
            int vk = vkOfEvent(static_cast<wxKeyEvent&>(event));
            if (win && vk) heldKeyUps.emplace_back(win, vk);
            return Event_Ignore;
        }
        if (t == wxEVT_KEY_DOWN || t == wxEVT_CHAR || t == wxEVT_CHAR_HOOK ||
            t == wxEVT_LEFT_DOWN || t == wxEVT_LEFT_UP || t == wxEVT_LEFT_DCLICK ||
            t == wxEVT_RIGHT_DOWN || t == wxEVT_RIGHT_UP || t == wxEVT_MIDDLE_DOWN ||
            t == wxEVT_MOTION || t == wxEVT_MOUSEWHEEL || t == wxEVT_MENU ||
            t == wxEVT_BUTTON || t == wxEVT_CHECKBOX || t == wxEVT_CLOSE_WINDOW)
            return Event_Ignore;
        return Event_Skip;
    }
};


// wx assertions would open a box of their own; a program must not stop on one.
void printAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                 const wxString& msg) {
    std::fprintf(stderr, "wx: %s:%d %s: %s %s\n", file.utf8_str().data(), line,
                 func.utf8_str().data(), cond.utf8_str().data(), msg.utf8_str().data());
}

// Buttons and fields as compact as the original's, so the template sizes hold
// their text (the default GTK theme pads them to 34 pixels high).
constexpr const char* COMPACT_CSS =
    "button { min-height: 0; min-width: 0; padding: 1px 4px; }"
    "entry { min-height: 0; padding: 0 3px; }"
    "combobox button { padding: 0 2px; }"
    "checkbutton { padding: 0; }"
    "checkbutton check { margin: 0 4px 0 0; }";

void applyCompactStyle() {
    using NewFn = void* (*)();
    using LoadFn = int (*)(void*, const char*, long, void**);
    using ScreenFn = void* (*)();
    using AddFn = void (*)(void*, void*, unsigned);
    auto newProvider = reinterpret_cast<NewFn>(gtkSymbol("gtk_css_provider_new"));
    auto load = reinterpret_cast<LoadFn>(gtkSymbol("gtk_css_provider_load_from_data"));
    auto screen = reinterpret_cast<ScreenFn>(gtkSymbol("gdk_screen_get_default"));
    auto add = reinterpret_cast<AddFn>(gtkSymbol("gtk_style_context_add_provider_for_screen"));
    if (!newProvider || !load || !screen || !add) return;
    void* provider = newProvider();
    void* scr = screen();
    if (!provider || !scr) return;
    load(provider, COMPACT_CSS, -1, nullptr);
    constexpr unsigned PRIORITY_APPLICATION = 600;
    add(scr, provider, PRIORITY_APPLICATION);
}

}  // namespace

void* gtkSymbol(const char* name) { return dlsym(RTLD_DEFAULT, name); }

void ensureApp() {
    static bool started = false;
    if (started) return;
    started = true;
    // A fake argv: our programs take no arguments and GTK must not eat any.
    static char name[] = "quelmar";
    static char* argv[] = {name, nullptr};
    int argc = 1;
    wxSetAssertHandler(printAssert);
    wxApp::SetInstance(new App);
    if (!wxEntryStart(argc, argv) || !wxTheApp || !wxTheApp->CallOnInit()) {
        std::fprintf(stderr, "Cannot open the display (is DISPLAY set?)\n");
        std::exit(1);
    }
    // GTK took the user's locale; numbers written into the data files must
    // keep the decimal point whatever the desktop's language.
    std::setlocale(LC_NUMERIC, "C");
    wxTheApp->SetExitOnFrameDelete(false);
    wxEvtHandler::AddFilter(new PauseFilter);  // for the whole run
    applyCompactStyle();
}

void deliverHeldKeyUps() {
    auto ups = std::move(heldKeyUps);
    heldKeyUps.clear();
    for (auto& [win, vk] : ups) {
        Window w = windowOfWidget(win);
        if (w) send(w, Msg::KeyUp, vk, 0);
    }
}

std::string gtkMnemonic(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&') {
                out += '&';
                ++i;
            } else {
                out += '_';
            }
        } else if (c == '_') {
            out += "__";
        } else {
            out += c;
        }
    }
    return out;
}

namespace {
struct KeyPair {
    int wx, vk;
};
constexpr KeyPair KEYS[] = {
    {WXK_LEFT, vk::LEFT},    {WXK_RIGHT, vk::RIGHT},      {WXK_UP, vk::UP},
    {WXK_DOWN, vk::DOWN},    {WXK_RETURN, vk::RETURN},    {WXK_NUMPAD_ENTER, vk::RETURN},
    {WXK_SPACE, vk::SPACE},  {WXK_ESCAPE, vk::ESCAPE},    {WXK_BACK, 0x08},
    {WXK_TAB, 0x09},         {WXK_SHIFT, 0x10},           {WXK_CONTROL, 0x11},
    {WXK_ALT, 0x12},         {WXK_PAGEUP, 0x21},          {WXK_PAGEDOWN, 0x22},
    {WXK_END, 0x23},         {WXK_HOME, 0x24},            {WXK_INSERT, 0x2D},
    {WXK_DELETE, 0x2E},      {WXK_NUMPAD_LEFT, vk::LEFT}, {WXK_NUMPAD_RIGHT, vk::RIGHT},
    {WXK_NUMPAD_UP, vk::UP}, {WXK_NUMPAD_DOWN, vk::DOWN},
};
}  // namespace

int vkFromWxKey(int k) {
    if (k >= '0' && k <= '9') return k;
    if (k >= 'A' && k <= 'Z') return k;
    if (k >= 'a' && k <= 'z') return k - 'a' + 'A';
    if (k >= WXK_F1 && k <= WXK_F12) return vk::F1 + (k - WXK_F1);
    if (k >= WXK_NUMPAD0 && k <= WXK_NUMPAD9) return 0x60 + (k - WXK_NUMPAD0);
    for (const KeyPair& p : KEYS)
        if (p.wx == k) return p.vk;
    return 0;
}

int vkOfEvent(const wxKeyEvent& e) {
    // The digit keys of the top row are '0'..'9' whatever the layout (on
    // AZERTY they type "&", "é"... unshifted), as virtual keys are; the X
    // server numbers them 10 to 19.
    const unsigned raw = e.GetRawKeyFlags();
    if (raw >= 10 && raw <= 19) return raw == 19 ? '0' : static_cast<int>('1' + raw - 10);
    return vkFromWxKey(e.GetKeyCode());
}

int wxKeyFromVk(int v) {
    if ((v >= '0' && v <= '9') || (v >= 'A' && v <= 'Z')) return v;
    if (v >= vk::F1 && v <= vk::F1 + 11) return WXK_F1 + (v - vk::F1);
    if (v >= 0x60 && v <= 0x69) return WXK_NUMPAD0 + (v - 0x60);
    for (const KeyPair& p : KEYS)
        if (p.vk == v) return p.wx;
    return 0;
}

// -------------------------------------------------------------- fonts

wxString resolveFace(const wxString& face) {
    static std::map<wxString, wxString> cache;
    auto it = cache.find(face);
    if (it != cache.end()) return it->second;
    // Faces of the original's system and the installed faces that stand in
    // for them, best first.
    static const std::map<wxString, std::vector<wxString>> stand_ins = {
        {"Matura MT Script Capitals",
         {"Z003", "URW Chancery L", "TeX Gyre Chorus", "Purisa", "DejaVu Serif"}},
        {"MS Shell Dlg", {"DejaVu Sans", "Liberation Sans"}},
        {"MS Sans Serif", {"DejaVu Sans", "Liberation Sans"}},
        {"Tahoma", {"DejaVu Sans", "Liberation Sans"}},
        {"Arial", {"Liberation Sans", "Nimbus Sans", "DejaVu Sans"}},
        {"Times New Roman", {"Liberation Serif", "Nimbus Roman", "DejaVu Serif"}},
        {"Courier New", {"Liberation Mono", "Nimbus Mono PS", "DejaVu Sans Mono"}},
    };
    wxString found;
    if (!face.empty() && wxFontEnumerator::IsValidFacename(face)) {
        found = face;
    } else {
        auto s = stand_ins.find(face);
        if (s != stand_ins.end())
            for (const wxString& f : s->second)
                if (wxFontEnumerator::IsValidFacename(f)) {
                    found = f;
                    break;
                }
    }
    cache[face] = found;
    return found;
}

const wxFont& defaultFont() {
    // The desktop's UI face, at most 10 points: the programs place their
    // texts at fixed pixel positions made for the original's small font.
    static wxFont font = [] {
        wxFont f = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
        if (f.GetFractionalPointSize() > 10.0) f.SetPointSize(10);
        return f;
    }();
    return font;
}

wxFont dialogFont(const std::string& face, int points) {
    wxFont font = defaultFont();
    wxString f = resolveFace(wxString::FromUTF8(face));
    if (!f.empty()) font.SetFaceName(f);
    if (points > 0) font.SetPointSize(points);
    return font;
}

}  // namespace wxb

// -------------------------------------------------------------- process services

std::string executablePath() {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    return std::string(buf, static_cast<std::size_t>(n));
}

long long timeSeconds() { return static_cast<long long>(std::time(nullptr)); }

void pauseMs(int ms) {
    wxb::ensureApp();
    if (ms <= 0) return;
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    // Whatever the program drew is already on screen (each DC release shows
    // it); during the pause GTK may still redraw the windows from their
    // backing stores, but the programs get no message.
    wxb::inPause = true;
    {
        std::unique_ptr<wxGUIEventLoop> own;
        wxEventLoopBase* loop = wxEventLoopBase::GetActive();
        std::unique_ptr<wxEventLoopActivator> activate;
        if (!loop) {
            own = std::make_unique<wxGUIEventLoop>();
            activate = std::make_unique<wxEventLoopActivator>(own.get());
            loop = own.get();
        }
        for (auto now = Clock::now(); now < end; now = Clock::now()) {
            // Rounded up, so the pause is never cut short by a fraction.
            auto left = std::chrono::ceil<std::chrono::milliseconds>(end - now);
            loop->DispatchTimeout(static_cast<unsigned long>(left.count()));
        }
    }
    wxb::inPause = false;
    // What the pause held back (a tick, key releases, Paint) comes once the
    // program is back in a message loop, not from inside the pause.
    wxWakeUpIdle();
}

namespace {

// Splits parameter text as a program's command line is split: blanks
// separate arguments, double quotes group them.
std::vector<std::string> splitParams(const std::string& params) {
    std::vector<std::string> out;
    std::string cur;
    bool quoted = false, have = false;
    for (char c : params) {
        if (c == '"') {
            quoted = !quoted;
            have = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (have) out.push_back(cur);
            cur.clear();
            have = false;
        } else {
            cur += c;
            have = true;
        }
    }
    if (have) out.push_back(cur);
    return out;
}

// Starts argv[0] (searched in PATH when search is set) in workDir; the child
// is reaped by a thread of its own so it never lingers as a zombie.
bool spawn(const std::vector<std::string>& args, const std::string& workDir, bool search) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!workDir.empty()) posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
    pid_t pid = 0;
    int rc = search ? posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ)
                    : posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return false;
    std::thread([pid] {
        int status = 0;
        waitpid(pid, &status, 0);
    }).detach();
    return true;
}

bool isExecutableFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

bool isDirectory(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

bool launchProgram(const std::string& file, const std::string& params, const std::string& workDir) {
    if (!isExecutableFile(file)) return false;
    if (!workDir.empty() && !isDirectory(workDir)) return false;
    std::vector<std::string> args{file};
    for (std::string& p : splitParams(params)) args.push_back(std::move(p));
    return spawn(args, workDir, false);
}

bool openDocument(const std::string& path) {
    if (!fileExists(path)) return false;
    return spawn({"xdg-open", path}, {}, true);
}

void playEffect(const std::string& path) { audio::playEffect(path); }

}  // namespace platform
