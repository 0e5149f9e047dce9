// Test hooks of the wx backend (see testing.h).
#include "testing.h"

#include <wx/evtloop.h>
#include <wx/uiaction.h>

#include <chrono>

#include "internal.h"

namespace platform::wxtest {
namespace {

class OneShot : public wxTimer {
public:
    explicit OneShot(std::function<void()> fn) : fn_(std::move(fn)) {}
    void Notify() override {
        auto fn = std::move(fn_);
        fn_ = nullptr;
        if (fn) fn();
    }

private:
    std::function<void()> fn_;
};

void* widgetOf(wxWindow* w) { return w ? static_cast<void*>(w->GetHandle()) : nullptr; }

}  // namespace

bool click(Window dlg, int id) {
    if (!dlg || !dlg->alive) return false;
    auto it = dlg->controls.find(id);
    if (it == dlg->controls.end()) return false;
    using ClickedFn = void (*)(void*);
    auto clicked = reinterpret_cast<ClickedFn>(wxb::gtkSymbol("gtk_button_clicked"));
    if (!clicked || !widgetOf(it->second.win)) return false;
    clicked(widgetOf(it->second.win));
    return true;
}

void key(int vk, bool down) {
    wxUIActionSimulator sim;
    int k = wxb::wxKeyFromVk(vk);
    if (vk >= 'A' && vk <= 'Z') k = vk - 'A' + 'a';  // the key, not the shifted letter
    if (down) sim.KeyDown(k);
    else sim.KeyUp(k);
    wxYield();
}

void rawKey(int keycode, bool down) {
    using FakeKeyFn = int (*)(void*, unsigned, int, unsigned long);
    using FlushFn = int (*)(void*);
    auto fake = reinterpret_cast<FakeKeyFn>(wxb::gtkSymbol("XTestFakeKeyEvent"));
    auto flush = reinterpret_cast<FlushFn>(wxb::gtkSymbol("XFlush"));
    void* dpy = wxGetDisplayInfo().dpy;
    if (!fake || !flush || !dpy) return;
    fake(dpy, static_cast<unsigned>(keycode), down ? 1 : 0, 0);
    flush(dpy);
    wxYield();
}

unsigned long keysymOf(int keycode) {
    using KeysymFn = unsigned long (*)(void*, unsigned char, int, int);
    auto lookup = reinterpret_cast<KeysymFn>(wxb::gtkSymbol("XkbKeycodeToKeysym"));
    void* dpy = wxGetDisplayInfo().dpy;
    if (!lookup || !dpy) return 0;
    return lookup(dpy, static_cast<unsigned char>(keycode), 0, 0);
}

void mouse(Window w, int x, int y, bool down) {
    if (!w || !w->surface) return;
    wxUIActionSimulator sim;
    wxPoint p = w->surface->ClientToScreen(wxPoint(x, y));
    sim.MouseMove(p);
    wxYield();
    if (down) sim.MouseDown();
    else sim.MouseUp();
    wxYield();
}

bool menuCommand(Window w, int id) {
    if (!w || !w->alive || w->dialog) return false;
    using ActivateFn = void (*)(void*);
    auto activate = reinterpret_cast<ActivateFn>(wxb::gtkSymbol("gtk_menu_item_activate"));
    if (!activate) return false;
    for (auto& c : w->barCommands)
        if (c->id == id && c->item) {
            activate(c->item);
            return true;
        }
    auto* frame = dynamic_cast<wxFrame*>(w->top);
    wxMenuBar* bar = frame ? frame->GetMenuBar() : nullptr;
    const int wxId = wxb::menuItemId(w, id);
    wxMenuItem* item = bar && wxId >= 0 ? bar->FindItem(wxId) : nullptr;
    if (!item || !item->GetMenuItem()) return false;
    activate(item->GetMenuItem());
    return true;
}

std::string fontFace(Font f) {
    if (!f) return {};
    return std::string(f->font.GetFaceName().utf8_str().data());
}

int fontCellHeight(Font f) {
    if (!f) return 0;
    wxBitmap probe(1, 1);
    wxMemoryDC m(probe);
    m.SetFont(f->font);
    return m.GetCharHeight();
}

void closeBox(Window w) {
    if (w && w->alive && w->top) w->top->Close();
}

unsigned backingPixel(Window w, int x, int y) {
    if (!wxb::usable(w)) return 0;
    wxColour c;
    if (!w->mem->GetPixel(x, y, &c)) return 0;
    return (static_cast<unsigned>(c.Red()) << 16) | (c.Green() << 8) | c.Blue();
}

long screenPixel(Window w, int x, int y) {
    if (!w || !w->alive || !w->surface) return -1;
    if (w->top && !w->top->IsShown()) return -1;  // a hidden window shows nothing
    using GetWindowFn = void* (*)(void*);
    using FromWindowFn = void* (*)(void*, int, int, int, int);
    using PixelsFn = unsigned char* (*)(void*);
    using UnrefFn = void (*)(void*);
    auto getWindow = reinterpret_cast<GetWindowFn>(wxb::gtkSymbol("gtk_widget_get_window"));
    auto fromWindow = reinterpret_cast<FromWindowFn>(wxb::gtkSymbol("gdk_pixbuf_get_from_window"));
    auto pixels = reinterpret_cast<PixelsFn>(wxb::gtkSymbol("gdk_pixbuf_get_pixels"));
    auto unref = reinterpret_cast<UnrefFn>(wxb::gtkSymbol("g_object_unref"));
    if (!getWindow || !fromWindow || !pixels || !unref) return -1;
    void* gdkWindow = getWindow(widgetOf(w->surface));
    if (!gdkWindow) return -1;
    // The client area of a dialog starts below nothing (no menu); a frame's
    // canvas is its own GDK window.
    void* pb = fromWindow(gdkWindow, x, y, 1, 1);
    if (!pb) return -1;
    unsigned char* p = pixels(pb);
    long v = (static_cast<long>(p[0]) << 16) | (p[1] << 8) | p[2];
    unref(pb);
    return v;
}

Rect screenPlace(Window w) {
    if (!w || !w->alive || !w->top) return {};
    wxPoint p = w->top->GetPosition();
    wxSize s = w->surface ? w->surface->GetClientSize() : w->top->GetClientSize();
    return Rect{p.x, p.y, s.x, s.y};
}

Window topDialog() {
    Window found = nullptr;
    for (wxWindow* top : wxTopLevelWindows) {
        Window w = wxb::windowOfTop(top);
        if (w && w->dialog && w->alive && !w->ended && top->IsShown()) found = w;
    }
    return found;
}

Rect controlRect(Window dlg, int id) {
    if (!dlg || !dlg->alive) return {};
    auto it = dlg->controls.find(id);
    if (it == dlg->controls.end()) return {};
    wxRect r = it->second.win->GetRect();
    return Rect{r.x, r.y, r.x + r.width, r.y + r.height};
}

bool hasFocus(Window w) {
    return w && w->alive && w->surface && wxWindow::FindFocus() == w->surface;
}

std::size_t timerObjects() { return wxb::timerObjects(); }

void runFor(int ms) {
    wxb::ensureApp();
    bool done = false;
    OneShot stop([&done] { done = true; });
    stop.StartOnce(ms);
    wxb::runLoop([&done] { return done; });
}

void after(int ms, std::function<void()> fn) {
    wxb::ensureApp();
    auto* t = new OneShot(std::move(fn));  // lives on: it may fire inside a nested loop
    t->StartOnce(ms);
}

void answerBoxes(Answer a) {
    using ResponseFn = void (*)(void*, int);
    auto response = reinterpret_cast<ResponseFn>(wxb::gtkSymbol("gtk_dialog_response"));
    if (!response) return;
    void* box = wxb::shownMessageBox();
    if (!box) {
        after(20, [a] { answerBoxes(a); });
        return;
    }
    constexpr int RESPONSE_OK = -5, RESPONSE_YES = -8, RESPONSE_NO = -9;
    response(box, a == Answer::Yes ? RESPONSE_YES : a == Answer::No ? RESPONSE_NO : RESPONSE_OK);
}

}  // namespace platform::wxtest
