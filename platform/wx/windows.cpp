// Top-level windows: frame, canvas, menu bar, keys, mouse, the message loop,
// invalidation and Paint, timers.
#include <algorithm>
#include <set>

#include "internal.h"

namespace platform {
namespace wxb {
namespace {

std::vector<Window> live;  // every window not yet destroyed
bool anyHeld = false;      // some timer ticked during a pause
bool quitPosted = false;
int quitCode = 0;

wxColour wxc(Color c) { return wxColour(c.r, c.g, c.b); }

// One timer of a window. Timer objects are stopped but never deleted while
// the backend runs: a program may kill a timer from inside its own tick. The
// timers of a window that is gone are kept for the next windows to use, so
// dialogs opened and closed over and over do not pile them up.
class WinTimer : public wxTimer {
public:
    WinTimer(Window w, int id) : w_(w), id_(id) {}
    bool held = false;  // ticked during a pause

    void rebind(Window w, int id) {
        w_ = w;
        id_ = id;
        held = false;
    }

    void Notify() override {
        if (!w_->alive) return;
        if (inPause) {
            held = true;
            anyHeld = true;
            return;
        }
        send(w_, Msg::Timer, id_, 0);
        flushPaints();
    }
    void deliverHeld() {
        if (!held) return;
        held = false;
        if (w_->alive && IsRunning()) send(w_, Msg::Timer, id_, 0);
    }

private:
    Window w_;
    int id_;
};

std::map<std::pair<Window, int>, WinTimer*> timers;
std::vector<WinTimer*> spareTimers;  // stopped, of windows that are gone
std::size_t timersMade = 0;

// The client area of a frame: shows the backing store, takes the keyboard
// and the mouse.
class Canvas : public wxWindow {
public:
    Canvas(wxWindow* parent, Window w, const wxSize& size)
        : wxWindow(parent, wxID_ANY, wxDefaultPosition, size, wxWANTS_CHARS | wxBORDER_NONE),
          w_(w) {
        SetBackgroundStyle(wxBG_STYLE_PAINT);
        Bind(wxEVT_PAINT, &Canvas::onPaint, this);
        Bind(wxEVT_KEY_DOWN, &Canvas::onKeyDown, this);
        Bind(wxEVT_KEY_UP, &Canvas::onKeyUp, this);
        Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent& e) { mouse(e, Msg::LButtonDown); });
        Bind(wxEVT_LEFT_DCLICK, [this](wxMouseEvent& e) { mouse(e, Msg::LButtonDown); });
        Bind(wxEVT_LEFT_UP, [this](wxMouseEvent& e) { mouse(e, Msg::LButtonUp); });
        Bind(wxEVT_RIGHT_DOWN, [this](wxMouseEvent& e) { mouse(e, Msg::RButtonDown); });
        Bind(wxEVT_RIGHT_DCLICK, [this](wxMouseEvent& e) { mouse(e, Msg::RButtonDown); });
        Bind(wxEVT_MOTION, [this](wxMouseEvent& e) { mouse(e, Msg::MouseMove); });
    }
    bool AcceptsFocus() const override { return true; }

private:
    void onPaint(wxPaintEvent&) {
        wxPaintDC dc(this);
        blitBacking(w_, dc, GetUpdateRegion().GetBox());
    }
    void onKeyDown(wxKeyEvent& e) {
        int vk = vkOfEvent(e);
        if (e.AltDown()) {
            // System keys never reach the program; Alt+F4 closes the window.
            if (e.GetKeyCode() == WXK_F4) {
                send(w_, Msg::Close);
                flushPaints();
            }
            return;
        }
        if (!vk) return;
        send(w_, Msg::KeyDown, vk, 0);
        flushPaints();
    }
    void onKeyUp(wxKeyEvent& e) {
        int vk = vkOfEvent(e);
        if (!vk || e.AltDown()) return;
        send(w_, Msg::KeyUp, vk, 0);
        flushPaints();
    }
    void mouse(wxMouseEvent& e, Msg m) {
        e.Skip();  // focus handling
        if (m == Msg::LButtonDown && !HasFocus()) SetFocus();
        send(w_, m, e.GetX(), e.GetY());
        flushPaints();
    }

    Window w_;
};

// The GTK menu bar of a wx bar: the parent of the items wx made for the popups.
void* findGtkBar(wxMenuBar* bar) {
    using ParentFn = void* (*)(void*);
    static auto parentOf = reinterpret_cast<ParentFn>(gtkSymbol("gtk_widget_get_parent"));
    if (!parentOf) return nullptr;
    for (std::size_t i = 0; i < bar->GetMenuCount(); ++i)
        if (bar->GetMenu(i)->m_owner) return parentOf(bar->GetMenu(i)->m_owner);
    return nullptr;
}

// After a menu command the keyboard belongs to the window again: the bar
// leaves its keyboard mode (GTK keeps a bar whose own item was clicked
// active, and the next arrow would walk its titles) and the canvas takes the
// focus. Done at once and again once GTK has finished the click's events.
void releaseMenuBar(Window w, bool later = true) {
    if (!w->alive || w->dialog) return;
    using DeactivateFn = void (*)(void*);
    static auto deactivate = reinterpret_cast<DeactivateFn>(gtkSymbol("gtk_menu_shell_deactivate"));
    if (w->gtkBar && deactivate) deactivate(w->gtkBar);
    if (w->surface && w->top && w->top->IsEnabled()) w->surface->SetFocus();
    if (later && wxTheApp) {
        wxTheApp->CallAfter([w] {
            if (isWindow(w)) releaseMenuBar(w, false);
        });
    }
}

// Menu bar entries that are commands themselves (no popup): wx has no such
// thing, so they are GTK menu items of our own placed in the bar. The keyboard
// (F10, then Enter) activates them the GTK way.
void runBarCommand(BarCommand* cmd) {
    Window w = cmd->w;
    releaseMenuBar(w);
    if (inPause || !w->alive) return;
    send(w, Msg::Command, cmd->id, 0);
    flushPaints();
    if (isWindow(w)) releaseMenuBar(w);
}

void onBarItemActivate(void*, void* data) { runBarCommand(static_cast<BarCommand*>(data)); }

// A click on such an item is the command, as on the bar of the original. GTK
// would take the press as the opening of the bar: a quick click leaves the bar
// active, in keyboard mode, without a command, and the next arrow key walks
// its titles. So the item keeps its left button presses to itself and runs
// the command on the release.
int onBarItemButton(void*, void* event, void* data) {
    using ButtonFn = int (*)(const void*, unsigned*);
    using TypeFn = int (*)(const void*);
    static auto button = reinterpret_cast<ButtonFn>(gtkSymbol("gdk_event_get_button"));
    static auto type = reinterpret_cast<TypeFn>(gtkSymbol("gdk_event_get_event_type"));
    unsigned b = 0;
    if (!button || !type || !button(event, &b) || b != 1) return 0;
    constexpr int GDK_BUTTON_RELEASE = 7;
    auto* cmd = static_cast<BarCommand*>(data);
    if (type(event) == GDK_BUTTON_RELEASE) runBarCommand(cmd);
    return 1;  // handled: the bar does not see it
}

void addBarCommand(Window w, std::size_t pos, const MenuEntry& e) {
    using NewItemFn = void* (*)(const char*);
    using InsertFn = void (*)(void*, void*, int);
    using ShowFn = void (*)(void*);
    using ConnectFn = unsigned long (*)(void*, const char*, void (*)(void*, void*), void*,
                                        void*, int);
    auto newItem = reinterpret_cast<NewItemFn>(gtkSymbol("gtk_menu_item_new_with_mnemonic"));
    auto insert = reinterpret_cast<InsertFn>(gtkSymbol("gtk_menu_shell_insert"));
    auto show = reinterpret_cast<ShowFn>(gtkSymbol("gtk_widget_show"));
    auto connect = reinterpret_cast<ConnectFn>(gtkSymbol("g_signal_connect_data"));
    if (!newItem || !insert || !show || !connect || !w->gtkBar) return;
    void* item = newItem(gtkMnemonic(e.text).c_str());
    w->barCommands.push_back(std::make_unique<BarCommand>(BarCommand{w, e.id, item, w->gtkBar}));
    BarCommand* cmd = w->barCommands.back().get();
    connect(item, "activate", onBarItemActivate, cmd, nullptr, 0);
    using ButtonHandler = void (*)(void*, void*);  // the signal's own signature is (widget, event, data)
    connect(item, "button-press-event", reinterpret_cast<ButtonHandler>(reinterpret_cast<void (*)()>(onBarItemButton)), cmd, nullptr, 0);
    connect(item, "button-release-event", reinterpret_cast<ButtonHandler>(reinterpret_cast<void (*)()>(onBarItemButton)), cmd, nullptr, 0);
    insert(w->gtkBar, item, static_cast<int>(pos));
    show(item);
}

// wx item ids of a frame's menu: MENU_ID_BASE + index into menuCommands.
constexpr int MENU_ID_BASE = 100;

void fillMenu(Window w, wxMenu* menu, const std::vector<MenuEntry>& entries) {
    for (const MenuEntry& e : entries) {
        if (!e.children.empty()) {
            auto* sub = new wxMenu;
            fillMenu(w, sub, e.children);
            menu->AppendSubMenu(sub, wxString::FromUTF8(e.text));
        } else if (e.id == 0 && e.text.empty()) {
            menu->AppendSeparator();
        } else {
            w->menuCommands.push_back(e.id);
            const int wxId = MENU_ID_BASE + static_cast<int>(w->menuCommands.size()) - 1;
            menu->Append(wxId, wxString::FromUTF8(e.text));
        }
    }
}

void buildMenu(Window w, wxFrame* frame, const MenuDef& def) {
    auto* bar = new wxMenuBar;
    std::vector<std::pair<std::size_t, const MenuEntry*>> commands;
    for (std::size_t i = 0; i < def.size(); ++i) {
        const MenuEntry& e = def[i];
        if (e.children.empty()) {
            commands.emplace_back(i, &e);
            continue;
        }
        auto* menu = new wxMenu;
        fillMenu(w, menu, e.children);
        bar->Append(menu, wxString::FromUTF8(e.text));
    }
    frame->SetMenuBar(bar);
    // A bar made only of commands needs a popup to find the GTK bar by.
    wxMenu* probe = nullptr;
    if (bar->GetMenuCount() == 0 && !commands.empty()) {
        probe = new wxMenu;
        bar->Append(probe, "-");
    }
    w->gtkBar = findGtkBar(bar);
    for (auto& [pos, e] : commands) addBarCommand(w, pos, *e);
    if (probe) delete bar->Remove(bar->GetMenuCount() - 1);
    frame->Bind(wxEVT_MENU, [w](wxCommandEvent& ev) {
        const std::size_t i = static_cast<std::size_t>(ev.GetId() - MENU_ID_BASE);
        if (ev.GetId() < MENU_ID_BASE || i >= w->menuCommands.size()) return;
        send(w, Msg::Command, w->menuCommands[i], 0);
        flushPaints();
        if (isWindow(w)) releaseMenuBar(w);
    });
}

void deliverPaint(Window w) {
    if (!w->alive || !w->paintPending || w->painting) return;
    w->painting = true;
    wxRegion area = w->invalid;
    bool erase = w->erase;
    w->invalid.Clear();
    w->paintPending = false;
    w->erase = false;
    if (erase && w->mem) {
        w->mem->SetPen(*wxTRANSPARENT_PEN);
        w->mem->SetBrush(wxBrush(wxc(BUTTON_FACE)));
        for (wxRegionIterator it(area); it; ++it) {
            w->mem->DrawRectangle(it.GetRect());
            w->drawn.Union(it.GetRect());
        }
    }
    send(w, Msg::Paint);
    if (w->alive) present(w);
    w->painting = false;
}

}  // namespace

int menuItemId(Window w, int command) {
    for (std::size_t i = 0; i < w->menuCommands.size(); ++i)
        if (w->menuCommands[i] == command) return MENU_ID_BASE + static_cast<int>(i);
    return -1;
}

// Every record ever made stays owned here: a handle of a window that is gone
// still reads as dead (isWindow, a stopped timer's Notify), and the records are
// freed when the program ends. A dead record keeps only its flags.
std::vector<std::unique_ptr<WindowRec>> records;

Window newWindowRec() {
    auto* w = records.emplace_back(std::make_unique<WindowRec>()).get();
    live.push_back(w);
    return w;
}

void forgetWindow(Window w) {
    w->alive = false;
    live.erase(std::remove(live.begin(), live.end(), w), live.end());
    w->controls.clear();
    w->mem.reset();
    w->backing = wxNullBitmap;
    w->invalid.Clear();
}

Window windowOfWidget(wxWindow* win) {
    for (Window w : live)
        if (w->surface == win) return w;
    return nullptr;
}

Window windowOfTop(wxWindow* top) {
    if (!top) return nullptr;
    for (Window w : live)
        if (w->top == top) return w;
    return nullptr;
}

long send(Window w, Msg m, long a, long b) {
    if (!w || !w->alive) return 0;
    return w->proc ? w->proc(w, m, a, b) : defaultWindowProc(w, m, a, b);
}

void flushPaints() {
    if (inPause) return;
    deliverHeldTicks();
    deliverHeldKeyUps();
    std::vector<Window> pending;
    for (Window w : live)
        if (w->paintPending) pending.push_back(w);
    for (Window w : pending) deliverPaint(w);
}

void present(Window w) {
    if (!w->alive || !w->surface || w->drawn.IsEmpty()) return;
    wxRect r = w->drawn.Intersect(wxRect(0, 0, w->w, w->h));
    w->drawn = wxRect();
    if (r.IsEmpty()) return;
    // On X11 a frame's canvas is drawn into directly: the pixels go to the
    // server at once, without a round of GTK's paint machinery. Dialogs hold
    // controls over their client area, so they take the repaint path.
    static const bool x11 = wxGetDisplayInfo().type == wxDisplayX11;
    if (x11 && !w->dialog && w->surface->IsShownOnScreen()) {
        {
            wxClientDC dc(w->surface);
            blitBacking(w, dc, r);
        }
        using DisplayFn = void* (*)();
        using FlushFn = void (*)(void*);
        static auto display = reinterpret_cast<DisplayFn>(gtkSymbol("gdk_display_get_default"));
        static auto flush = reinterpret_cast<FlushFn>(gtkSymbol("gdk_display_flush"));
        if (display && flush) flush(display());
        return;
    }
    w->surface->RefreshRect(r, false);
    w->surface->Update();
}

void blitBacking(Window w, wxDC& target, const wxRect& area) {
    if (!w->alive || !w->mem) return;
    wxRect r = area.IsEmpty() ? wxRect(0, 0, w->w, w->h) : area;
    target.Blit(r.x, r.y, r.width, r.height, w->mem.get(), r.x, r.y);
}

void resizeBacking(Window w, int width, int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    wxBitmap fresh(width, height, 24);
    auto mem = std::make_unique<wxMemoryDC>(fresh);
    mem->SetBackground(wxBrush(wxc(BUTTON_FACE)));
    mem->Clear();
    if (w->mem) mem->Blit(0, 0, std::min(w->w, width), std::min(w->h, height), w->mem.get(), 0, 0);
    w->mem.reset();  // releases the old bitmap
    w->backing = fresh;
    w->mem = std::move(mem);
    w->w = width;
    w->h = height;
}

void stopTimers(Window w) {
    for (auto it = timers.begin(); it != timers.end();) {
        if (it->first.first != w) {
            ++it;
            continue;
        }
        it->second->Stop();
        it->second->held = false;
        spareTimers.push_back(it->second);
        it = timers.erase(it);
    }
}

std::size_t timerObjects() { return timersMade; }

void deliverHeldTicks() {
    if (!anyHeld) return;
    anyHeld = false;
    std::vector<WinTimer*> held;
    for (auto& [key, t] : timers)
        if (t->held) held.push_back(t);
    for (WinTimer* t : held) t->deliverHeld();
}

}  // namespace wxb

using namespace wxb;

long defaultWindowProc(Window w, Msg m, long, long) {
    if (m == Msg::Close) destroyWindow(w);
    return 0;
}

Window createWindow(const WindowInit& init) {
    ensureApp();
    Window w = newWindowRec();
    w->proc = init.proc;
    auto* frame = new wxFrame(nullptr, wxID_ANY, wxString::FromUTF8(init.title),
                              wxPoint(init.x, init.y), wxDefaultSize,
                              wxCAPTION | wxSYSTEM_MENU | wxMINIMIZE_BOX | wxCLOSE_BOX);
    frame->SetBackgroundColour(wxColour(BUTTON_FACE.r, BUTTON_FACE.g, BUTTON_FACE.b));
    w->top = frame;
    if (init.menu) buildMenu(w, frame, *init.menu);
    resizeBacking(w, init.clientW, init.clientH);
    auto* canvas = new Canvas(frame, w, wxSize(w->w, w->h));
    w->surface = canvas;
    frame->SetClientSize(w->w, w->h);
    frame->Move(init.x, init.y);
    if (init.smallIconId) setWindowIcon(w, init.smallIconId);
    frame->Bind(wxEVT_CLOSE_WINDOW, [w](wxCloseEvent& e) {
        if (e.CanVeto()) e.Veto();
        // Behind a modal dialog the window is disabled: its close box does nothing.
        if (w->top && !w->top->IsEnabled()) return;
        send(w, Msg::Close);
        flushPaints();
    });
    frame->Bind(wxEVT_ACTIVATE, [w](wxActivateEvent& e) {
        e.Skip();
        if (e.GetActive() && w->alive && w->surface) w->surface->SetFocus();
    });
    frame->Show();
    frame->Raise();  // takes the keyboard even without a window manager
    canvas->SetFocus();
    invalidate(w, nullptr, true);
    return w;
}

void placeWindow(Window w, int x, int y, int clientW, int clientH) {
    if (!w || !w->alive || !w->top) return;
    bool resized = clientW != w->w || clientH != w->h;
    if (resized) {
        resizeBacking(w, clientW, clientH);
        if (!w->dialog) w->surface->SetSize(w->w, w->h);
        w->top->SetClientSize(w->w, w->h);
    }
    w->top->Move(x, y);
    if (resized) invalidate(w, nullptr, true);
}

void destroyWindow(Window w) {
    if (!w || !w->alive) return;
    // As on Windows, the dialogs a window owns go first: their loops end
    // before the frame, when it goes, takes their widgets down with it.
    if (!w->dialog && w->top) {
        std::vector<Window> owned;
        for (Window d : live)
            if (d->dialog && d->top && d->top->GetParent() == w->top) owned.push_back(d);
        for (Window d : owned) destroyWindow(d);
        if (!w->alive) return;
    }
    send(w, Msg::Destroy);
    if (!w->alive) return;
    stopTimers(w);
    forgetWindow(w);
    if (w->dialog) {
        // The dialog's own loop ends and takes the window down.
        w->ended = true;
        return;
    }
    w->mem.reset();
    w->backing = wxBitmap();
    w->surface = nullptr;
    w->top->Hide();
    w->top->Destroy();
    w->top = nullptr;
    wxWakeUpIdle();
}

bool isWindow(Window w) {
    return w && std::find(live.begin(), live.end(), w) != live.end();
}

void setWindowIcon(Window w, int iconId) {
    if (!w || !w->alive || !w->top) return;
    Image icon = loadResourceImage(iconId);
    if (icon) {
        wxIcon i;
        i.CopyFromBitmap(icon->bmp);
        w->top->SetIcon(i);
    }
    freeImage(icon);
}

bool wxb::quitPending() { return quitPosted; }

void postQuit(int exitCode) {
    quitPosted = true;
    quitCode = exitCode;
    if (wxTheApp) wxWakeUpIdle();
}

int runMessageLoop(Window w) {
    ensureApp();
    runLoop([w] { return quitPosted || !isWindow(w); });
    if (quitPosted) {
        quitPosted = false;
        return quitCode;
    }
    return 0;
}

void invalidate(Window w, const Rect* area, bool erase) {
    if (!w || !w->alive) return;
    wxRect r(0, 0, w->w, w->h);
    if (area) {
        if (area->right <= area->left || area->bottom <= area->top) return;  // an empty area
        r = wxRect(area->left, area->top, area->right - area->left, area->bottom - area->top)
                .Intersect(wxRect(0, 0, w->w, w->h));
        if (r.IsEmpty()) return;
    }
    w->invalid.Union(r);
    w->paintPending = true;
    w->erase = w->erase || erase;
    wxWakeUpIdle();
}

void updateWindow(Window w) {
    if (!w || !w->alive) return;
    if (!inPause) deliverPaint(w);
    present(w);
}

Rect clientRect(Window w) {
    if (!w || !w->alive) return {};
    return Rect{0, 0, w->w, w->h};
}

Point cursorPos(Window w) {
    if (!w || !w->alive || !w->surface) return {};
    wxPoint p = w->surface->ScreenToClient(wxGetMousePosition());
    return Point{p.x, p.y};
}

void setTimer(Window w, int id, int ms) {
    if (!w || !w->alive) return;
    ensureApp();
    WinTimer*& t = timers[{w, id}];
    if (!t && !spareTimers.empty()) {
        t = spareTimers.back();
        spareTimers.pop_back();
        t->rebind(w, id);
    } else if (!t) {
        t = new WinTimer(w, id);
        ++timersMade;
    }
    t->held = false;
    t->Start(ms < 10 ? 10 : ms);
}

void killTimer(Window w, int id) {
    auto it = timers.find({w, id});
    if (it == timers.end()) return;
    it->second->Stop();
    it->second->held = false;
}

// -------------------------------------------------------------- device contexts

Dc getDc(Window w) {
    if (!usable(w)) return nullptr;
    ++w->dcRefs;
    auto* dc = new DcRec;
    dc->w = w;
    return dc;
}

void releaseDc(Dc dc) {
    if (!dc) return;
    Window w = dc->w;
    delete dc;
    if (--w->dcRefs == 0 && w->alive) present(w);
}

}  // namespace platform
