// Internal state of the wx backend, shared by its source files.
//
// Every window (top-level frame or modal dialog) owns a backing bitmap of its
// client size, kept selected into one memory DC. Drawing goes into it and is
// shown at once; the screen is repainted from it whenever GTK asks, so nothing
// the program drew is lost when another window covers it. The program's own
// Paint message comes only from its invalidations (and the first showing).
#pragma once

#include <wx/wx.h>

#include <map>
#include <memory>
#include <vector>

#include "dc_state.h"
#include "platform/platform.h"

namespace platform {

struct ControlRec {
    Ctl kind = Ctl::Label;
    wxWindow* win = nullptr;
    int maxChars = 0;  // edit fields: the most characters, 0 = no limit
};

struct BarCommand {
    WindowRec* w = nullptr;
    int id = 0;
    void* item = nullptr;  // the GTK menu item
    void* bar = nullptr;   // the GTK menu bar holding it
};

struct WindowRec {
    bool alive = true;
    bool dialog = false;
    int dialogId = 0;
    WindowProc proc = nullptr;
    wxTopLevelWindow* top = nullptr;
    wxWindow* surface = nullptr;  // shows the backing store: the frame's canvas or the dialog
    int w = 1, h = 1;             // client size
    wxBitmap backing;
    std::unique_ptr<wxMemoryDC> mem;  // always holds backing
    int dcRefs = 0;
    wxRect drawn;  // drawn since last shown on screen
    // Pending Paint: the invalidated area and whether it is erased first.
    wxRegion invalid;
    bool paintPending = false;
    bool erase = false;
    bool painting = false;
    // Dialogs only.
    std::map<int, ControlRec> controls;
    int unitW = 6, unitH = 13;  // pixels of 4 horizontal and 8 vertical dialog units
    int defaultId = 0;
    bool ended = false;
    int endCode = 0;
    // Commands of the menu bar that have no popup (GTK items of our own).
    std::vector<std::unique_ptr<BarCommand>> barCommands;
    void* gtkBar = nullptr;  // the frame's GTK menu bar, null without a menu
    // Menu command ids by wx item id (wx wants ids below 32767, the
    // programs' commands are 40000 and up).
    std::vector<int> menuCommands;
};

struct ImageRec {
    wxBitmap bmp;
    bool icon = false;
};

struct FontRec {
    wxFont font;
    bool antialias = true;
};

namespace wxb {

// Starts wxWidgets on first use (programs call the platform from a plain main).
void ensureApp();

// True while pauseMs runs: input is dropped, timer ticks and key releases are
// held back until it ends, and no Paint message is delivered.
extern bool inPause;

// A quit has been posted and no message loop has returned it yet.
bool quitPending();

// Calls the window's procedure (or the default one). Dead windows get nothing.
long send(Window, Msg, long a = 0, long b = 0);
// Delivers what a pause held back, then the pending Paint messages of every
// window; called after each event handed to a program and by the loops.
void flushPaints();
// Shows what was drawn into the backing store since last time.
void present(Window);
// A dead or null window is not drawn into.
inline bool usable(Window w) { return w && w->alive && w->mem; }

// Creates the backing store of a window at its size (keeping the old pixels
// that still fit, the rest filled with the button face).
void resizeBacking(Window, int w, int h);
// Registers a new window record among the live ones.
Window newWindowRec();
void forgetWindow(Window);
// The window whose canvas (or dialog) is this widget; null when none.
Window windowOfWidget(wxWindow*);
// The window whose frame or dialog this top-level window is; null when none.
Window windowOfTop(wxWindow*);
// After a pause: the ticks and key releases it held back.
void deliverHeldTicks();
void deliverHeldKeyUps();
// The wx item id of a menu command of a frame, -1 when it has none.
int menuItemId(Window, int command);
// Stops every timer of a window that is going away (they are kept for reuse).
void stopTimers(Window);
// How many timer objects the backend has made so far.
std::size_t timerObjects();
// Repaints the backing store onto the screen inside a GTK draw handler.
void blitBacking(Window, wxDC& target, const wxRect& area);

// Runs one event loop iteration at a time until done() (a modal dialog's
// loop or the main one), delivering Paint messages between events.
template <class Done>
void runLoop(Done done);

// Resolves a face name to an installed face ("" = the system's choice).
wxString resolveFace(const wxString& face);
// The default font of device contexts: the system's UI font.
const wxFont& defaultFont();
// A font for a dialog template (face and point size).
wxFont dialogFont(const std::string& face, int points);

// Looks up a GTK or GLib function in the running process (GTK is loaded by
// wxWidgets; we do not link or include it ourselves). Null when missing.
void* gtkSymbol(const char* name);

// The newest message box GTK shows (a GtkMessageDialog), null when none.
void* shownMessageBox();

// A Windows menu label ("&Fichier") in GTK mnemonic form ("_Fichier").
std::string gtkMnemonic(const std::string& text);

// Windows virtual key of a wx key code, 0 when the programs have no use for it.
int vkFromWxKey(int wxKey);
// The virtual key of a key event (the key's place decides for the digits).
int vkOfEvent(const wxKeyEvent&);
int wxKeyFromVk(int vk);

}  // namespace wxb
}  // namespace platform

#include <wx/evtloop.h>

template <class Done>
void platform::wxb::runLoop(Done done) {
    wxGUIEventLoop loop;
    wxEventLoopActivator activate(&loop);
    flushPaints();
    while (!done()) {
        loop.Dispatch();
        flushPaints();
    }
}
