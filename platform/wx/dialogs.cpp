// Modal dialogs built from templates, their controls, and message boxes.
#include <wx/combobox.h>
#include <wx/statbox.h>
#include <wx/valtext.h>
#include <wx/weakref.h>

#include <algorithm>
#include <cstring>

#include "internal.h"

namespace platform {
namespace wxb {
namespace {

// Dialog units to pixels by the dialog's font, as the system does: a
// horizontal unit is a quarter of the average character width, a vertical
// unit an eighth of the character height.
struct DialogUnits {
    int avgW = 6, charH = 13;
    explicit DialogUnits(wxWindow* win, const wxFont& font) {
        wxCoord w = 0, h = 0;
        win->GetTextExtent("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", &w, &h,
                           nullptr, nullptr, &font);
        if (w > 0) avgW = (w / 26 + 1) / 2;
        if (h > 0) charH = h;
    }
    int x(int du) const { return du * avgW / 4; }
    int y(int du) const { return du * charH / 8; }
};

long alignStyle(Align a, long left, long centre, long right) {
    return a == Align::Center ? centre : a == Align::Right ? right : left;
}

ControlRec* control(Window dlg, int id) {
    if (!dlg || !dlg->alive || !dlg->dialog) return nullptr;
    auto it = dlg->controls.find(id);
    return it == dlg->controls.end() ? nullptr : &it->second;
}

void command(Window dlg, int id) {
    if (!dlg->alive || dlg->ended) return;
    send(dlg, Msg::Command, id, 0);
    flushPaints();
}

void createControl(Window w, wxDialog* d, const ControlDef& c, const DialogUnits& du) {
    const wxPoint pos(du.x(c.x), du.y(c.y));
    const wxSize size(du.x(c.w), du.y(c.h));
    const wxString text = wxString::FromUTF8(c.text);
    const int id = c.id == -1 ? wxID_ANY : c.id;
    wxWindow* win = nullptr;
    switch (c.kind) {
        case Ctl::PushButton:
        case Ctl::DefPushButton: {
            auto* b = new wxButton(d, id, text, pos, size, wxBU_EXACTFIT);
            if (c.kind == Ctl::DefPushButton) {
                b->SetDefault();
                w->defaultId = c.id;
            }
            win = b;
            break;
        }
        case Ctl::CheckBox: win = new wxCheckBox(d, id, text, pos, size); break;
        case Ctl::Edit:
        case Ctl::ReadOnlyEdit: {
            long style = alignStyle(c.align, wxTE_LEFT, wxTE_CENTRE, wxTE_RIGHT);
            if (c.kind == Ctl::ReadOnlyEdit) style |= wxTE_READONLY;
            auto* t = new wxTextCtrl(d, id, text, pos, size, style);
            if (c.number) t->SetValidator(wxTextValidator(wxFILTER_DIGITS));
            if (c.maxChars > 0) t->SetMaxLength(static_cast<unsigned long>(c.maxChars));
            win = t;
            break;
        }
        case Ctl::ComboBox: {
            // The template height counts the drop-down list; the field keeps
            // its natural height.
            auto* cb = new wxComboBox(d, id, text, pos, wxSize(size.x, -1), 0, nullptr,
                                      wxCB_DROPDOWN);
            win = cb;
            break;
        }
        case Ctl::Label: {
            long style = alignStyle(c.align, wxALIGN_LEFT, wxALIGN_CENTRE_HORIZONTAL,
                                    wxALIGN_RIGHT) |
                         wxST_NO_AUTORESIZE;
            auto* s = new wxStaticText(d, id, text, pos, size, style);
            s->Wrap(size.x);
            win = s;
            break;
        }
        case Ctl::GroupBox: win = new wxStaticBox(d, id, text, pos, size); break;
    }
    if (!win) return;
    if (c.disabled) win->Disable();
    if (c.id != -1) w->controls[c.id] = ControlRec{c.kind, win, c.maxChars};
}

// Enter presses the focused push button, else the default button (the
// system's "OK", 1, when the template has none).
void pressEnter(Window w) {
    wxWindow* focus = wxWindow::FindFocus();
    for (auto& [id, c] : w->controls) {
        if (c.win == focus && (c.kind == Ctl::PushButton || c.kind == Ctl::DefPushButton)) {
            command(w, id);
            return;
        }
    }
    int id = w->defaultId ? w->defaultId : 1;
    ControlRec* c = control(w, id);
    if (c && !c->win->IsEnabled()) return;
    command(w, id);
}

}  // namespace
}  // namespace wxb

using namespace wxb;

int dialogBox(const DialogDef& def, Window owner, WindowProc proc) {
    ensureApp();
    Window w = newWindowRec();
    w->dialog = true;
    w->dialogId = def.id;
    w->proc = proc;
    wxWindow* parent = owner && owner->alive ? owner->top : nullptr;
    long style = 0;
    if (def.caption) style |= wxCAPTION | (def.closeBox ? (wxSYSTEM_MENU | wxCLOSE_BOX) : 0);
    else style |= wxBORDER_RAISED;
    auto* d = new wxDialog(parent, wxID_ANY, wxString::FromUTF8(def.title), wxDefaultPosition,
                           wxDefaultSize, style);
    w->top = d;
    w->surface = d;
    const wxWeakRef<wxDialog> widget(d);
    const wxFont font = dialogFont(def.font, def.fontSize);
    d->SetFont(font);
    d->SetBackgroundStyle(wxBG_STYLE_PAINT);
    const DialogUnits du(d, font);
    w->unitW = du.avgW;
    w->unitH = du.charH;
    resizeBacking(w, du.x(def.w), du.y(def.h));
    d->SetClientSize(w->w, w->h);
    // Group boxes first, so the controls inside them lie above them.
    for (const ControlDef& c : def.controls)
        if (c.kind == Ctl::GroupBox) createControl(w, d, c, du);
    for (const ControlDef& c : def.controls)
        if (c.kind != Ctl::GroupBox) createControl(w, d, c, du);
    if (parent) d->CentreOnParent();
    else d->Centre();

    d->Bind(wxEVT_PAINT, [w, d](wxPaintEvent&) {
        wxPaintDC dc(d);
        blitBacking(w, dc, d->GetUpdateRegion().GetBox());
    });
    d->Bind(wxEVT_BUTTON, [w](wxCommandEvent& e) { command(w, e.GetId()); });
    d->Bind(wxEVT_CHECKBOX, [w](wxCommandEvent& e) { command(w, e.GetId()); });
    d->Bind(wxEVT_CLOSE_WINDOW, [w](wxCloseEvent& e) {
        if (e.CanVeto()) e.Veto();
        command(w, 2);
    });
    d->Bind(wxEVT_CHAR_HOOK, [w](wxKeyEvent& e) {
        const int k = e.GetKeyCode();
        if (k == WXK_ESCAPE) {
            command(w, 2);
        } else if ((k == WXK_RETURN || k == WXK_NUMPAD_ENTER) && !e.HasAnyModifiers()) {
            pressEnter(w);
        } else {
            e.Skip();
        }
    });

    send(w, Msg::InitDialog);
    if (w->alive && !w->ended) {
        wxWindowDisabler others(d);
        d->Show();
        d->Raise();
        invalidate(w, nullptr, false);
        // A posted quit ends the dialog too; the owner's loop returns it next.
        runLoop([w] { return w->ended || !w->alive || quitPending(); });
    }
    const int code = w->endCode;
    if (w->alive) {
        send(w, Msg::Destroy);
        stopTimers(w);
        forgetWindow(w);
    }
    w->mem.reset();
    w->backing = wxBitmap();  // the record stays (handles are never reused), its pixels go
    w->surface = nullptr;
    w->top = nullptr;
    if (widget) {  // gone already when its owner's frame was deleted meanwhile
        widget->Hide();
        widget->Destroy();
    }
    if (owner && owner->alive && owner->top) {
        owner->top->Raise();
        if (!owner->dialog && owner->surface) owner->surface->SetFocus();
    }
    flushPaints();
    return code;
}

void endDialog(Window dlg, int code) {
    if (!dlg || !dlg->dialog || dlg->ended) return;
    dlg->ended = true;
    dlg->endCode = code;
    // As on Windows, an ended dialog leaves the screen at once, even when its
    // procedure goes on (the new game plays its opening scene from "OK").
    if (dlg->top) dlg->top->Hide();
    wxWakeUpIdle();
}

int dialogId(Window dlg) { return dlg && dlg->dialog ? dlg->dialogId : 0; }

Rect mapDialogRect(Window dlg, const Rect& u) {
    if (!dlg || !dlg->dialog) return u;
    auto x = [dlg](int v) { return v * dlg->unitW / 4; };
    auto y = [dlg](int v) { return v * dlg->unitH / 8; };
    return Rect{x(u.left), y(u.top), x(u.right), y(u.bottom)};
}

// A combo box is no text control: each kind is asked through its own class
// (wxDynamicCast would first cast the combo box to wxTextCtrl, which it is not).
void setItemText(Window dlg, int id, std::string_view utf8) {
    ControlRec* c = control(dlg, id);
    if (!c) return;
    const wxString s = wxString::FromUTF8(utf8.data(), utf8.size());
    switch (c->kind) {
        case Ctl::Edit:
        case Ctl::ReadOnlyEdit:
            // GTK refuses a whole text longer than the limit: the field takes its start.
            static_cast<wxTextCtrl*>(c->win)->ChangeValue(c->maxChars > 0 ? s.Left(c->maxChars) : s);
            break;
        case Ctl::ComboBox: static_cast<wxComboBox*>(c->win)->SetValue(s); break;
        case Ctl::Label: {
            auto* st = static_cast<wxStaticText*>(c->win);
            st->SetLabel(s);
            st->Wrap(st->GetSize().x);
            break;
        }
        default: c->win->SetLabel(s); break;
    }
}

std::string getItemText(Window dlg, int id) {
    ControlRec* c = control(dlg, id);
    if (!c) return {};
    wxString s;
    switch (c->kind) {
        case Ctl::Edit:
        case Ctl::ReadOnlyEdit: s = static_cast<wxTextCtrl*>(c->win)->GetValue(); break;
        case Ctl::ComboBox: s = static_cast<wxComboBox*>(c->win)->GetValue(); break;
        default: s = c->win->GetLabel(); break;
    }
    return std::string(s.utf8_str().data());
}

void setItemInt(Window dlg, int id, int value) { setItemText(dlg, id, std::to_string(value)); }

void checkItem(Window dlg, int id, bool on) {
    ControlRec* c = control(dlg, id);
    if (!c) return;
    if (c->kind == Ctl::CheckBox) static_cast<wxCheckBox*>(c->win)->SetValue(on);
}

bool isItemChecked(Window dlg, int id) {
    ControlRec* c = control(dlg, id);
    if (!c) return false;
    return c->kind == Ctl::CheckBox && static_cast<wxCheckBox*>(c->win)->GetValue();
}

void enableItem(Window dlg, int id, bool on) {
    ControlRec* c = control(dlg, id);
    if (c) c->win->Enable(on);
}

namespace {
wxComboBox* combo(Window dlg, int id) {
    ControlRec* c = control(dlg, id);
    return c && c->kind == Ctl::ComboBox ? static_cast<wxComboBox*>(c->win) : nullptr;
}
}  // namespace

void comboReset(Window dlg, int id) {
    if (auto* cb = combo(dlg, id)) cb->Clear();
}

void comboAdd(Window dlg, int id, std::string_view utf8) {
    if (auto* cb = combo(dlg, id)) cb->Append(wxString::FromUTF8(utf8.data(), utf8.size()));
}

void comboSelect(Window dlg, int id, int index) {
    auto* cb = combo(dlg, id);
    if (!cb) return;
    if (index < 0 || index >= static_cast<int>(cb->GetCount())) {
        cb->SetSelection(wxNOT_FOUND);
        cb->ChangeValue("");
    } else {
        cb->SetSelection(index);
    }
}

int comboSelection(Window dlg, int id) {
    auto* cb = combo(dlg, id);
    if (!cb) return -1;
    int sel = cb->GetSelection();
    // Text typed over a selection no longer names it.
    if (sel != wxNOT_FOUND && cb->GetValue() != cb->GetString(sel)) return -1;
    return sel == wxNOT_FOUND ? -1 : sel;
}

void comboSetDroppedSize(Window dlg, int id, int w, int h) {
    // GTK sizes the drop-down list to its items; only the width is ours.
    (void)h;
    if (auto* cb = combo(dlg, id)) cb->SetSize(wxSize(w, cb->GetSize().y));
}

// -------------------------------------------------------------- message boxes

void* wxb::shownMessageBox() {
    using ListFn = void* (*)();
    using TypeNameFn = const char* (*)(void*);
    using VisibleFn = int (*)(void*);
    using FreeFn = void (*)(void*);
    auto list = reinterpret_cast<ListFn>(gtkSymbol("gtk_window_list_toplevels"));
    auto typeName = reinterpret_cast<TypeNameFn>(gtkSymbol("g_type_name_from_instance"));
    auto visible = reinterpret_cast<VisibleFn>(gtkSymbol("gtk_widget_get_visible"));
    auto freeList = reinterpret_cast<FreeFn>(gtkSymbol("g_list_free"));
    if (!list || !typeName || !visible || !freeList) return nullptr;
    struct GList {
        void* data;
        GList* next;
        GList* prev;
    };
    auto* all = static_cast<GList*>(list());
    void* box = nullptr;
    for (GList* l = all; l; l = l->next)
        if (std::strcmp(typeName(l->data), "GtkMessageDialog") == 0 && visible(l->data))
            box = l->data;  // the last one listed is the newest
    freeList(all);
    return box;
}

namespace {

class PresentBox : public wxTimer {
public:
    PresentBox(BoxIcon icon, wxRect over) : icon_(icon), over_(over) {}

    void Notify() override {
        // The box's own loop is running: the windows behind it get the
        // Paint they are owed, as under the original's box loop.
        flushPaints();
        using PresentFn = void (*)(void*);
        auto present = reinterpret_cast<PresentFn>(gtkSymbol("gtk_window_present"));
        void* box = present ? shownMessageBox() : nullptr;
        if (!box) return;
        showIcon(box);
        // Centred on its owner, or on the screen when it has none, at the
        // size it takes with its icon.
        using SizeFn = void (*)(void*, void*, int*);
        using MoveFn = void (*)(void*, int, int);
        auto preferred = reinterpret_cast<SizeFn>(gtkSymbol("gtk_widget_get_preferred_size"));
        auto move = reinterpret_cast<MoveFn>(gtkSymbol("gtk_window_move"));
        if (preferred && move) {
            int size[2] = {0, 0};  // a GtkRequisition: width, height
            preferred(box, nullptr, size);
            const wxRect area = over_.IsEmpty() ? wxGetClientDisplayRect() : over_;
            move(box, area.x + (area.width - size[0]) / 2, area.y + (area.height - size[1]) / 2);
        }
        present(box);
    }

private:
    // GTK no longer shows the kind of a box; the program's icon says it.
    void showIcon(void* box) {
        const char* name = icon_ == BoxIcon::Info       ? "dialog-information"
                           : icon_ == BoxIcon::Warning  ? "dialog-warning"
                           : icon_ == BoxIcon::Error    ? "dialog-error"
                           : icon_ == BoxIcon::Question ? "dialog-question"
                                                        : nullptr;
        if (!name) return;
        using ThemeFn = void* (*)();
        using HasFn = int (*)(void*, const char*);
        using ImageFn = void* (*)(const char*, int);
        using SetFn = void (*)(void*, void*);
        using ShowFn = void (*)(void*);
        auto theme = reinterpret_cast<ThemeFn>(gtkSymbol("gtk_icon_theme_get_default"));
        auto has = reinterpret_cast<HasFn>(gtkSymbol("gtk_icon_theme_has_icon"));
        auto image = reinterpret_cast<ImageFn>(gtkSymbol("gtk_image_new_from_icon_name"));
        auto set = reinterpret_cast<SetFn>(gtkSymbol("gtk_message_dialog_set_image"));
        auto show = reinterpret_cast<ShowFn>(gtkSymbol("gtk_widget_show"));
        if (!theme || !has || !image || !set || !show) return;
        std::string icon = name;
        if (!has(theme(), icon.c_str())) icon += "-symbolic";
        if (!has(theme(), icon.c_str())) return;
        constexpr int ICON_SIZE_DIALOG = 6;
        void* img = image(icon.c_str(), ICON_SIZE_DIALOG);
        set(box, img);
        show(img);
    }

    BoxIcon icon_;
    wxRect over_;  // the owner's place on screen, empty for none
};

}  // namespace

Answer messageBox(Window owner, std::string_view text, std::string_view caption, BoxStyle st) {
    ensureApp();
    long style = st.buttons == BoxButtons::YesNo ? wxYES_NO : wxOK;
    switch (st.icon) {
        case BoxIcon::None: style |= wxICON_NONE; break;
        case BoxIcon::Info: style |= wxICON_INFORMATION; break;
        case BoxIcon::Warning: style |= wxICON_WARNING; break;
        case BoxIcon::Error: style |= wxICON_ERROR; break;
        case BoxIcon::Question: style |= wxICON_QUESTION; break;
    }
    if (st.buttons == BoxButtons::YesNo && st.defaultNo) style |= wxNO_DEFAULT;
    wxWindow* parent = owner && owner->alive ? owner->top : nullptr;
    // The window that has the keyboard gets it back afterwards.
    Window hadFocus = nullptr;
    if (wxWindow* focus = wxWindow::FindFocus()) hadFocus = windowOfTop(wxGetTopLevelParent(focus));
    if (!hadFocus && owner && owner->alive) hadFocus = owner;
    wxMessageDialog box(parent, wxString::FromUTF8(text.data(), text.size()),
                        wxString::FromUTF8(caption.data(), caption.size()), style | wxCENTRE);
    // The game speaks French: so do its boxes' buttons.
    box.SetYesNoLabels(wxString::FromUTF8("&Oui"), wxString::FromUTF8("&Non"));
    // Once GTK has shown the box, give it the keyboard (without a window
    // manager nobody else does).
    wxWindow* over = parent ? parent : wxTheApp->GetTopWindow();
    PresentBox present(st.icon, over && over->IsShown() ? over->GetScreenRect() : wxRect());
    present.StartOnce(1);
    int r = box.ShowModal();
    Answer a = Answer::Ok;
    if (st.buttons == BoxButtons::YesNo) a = r == wxID_YES ? Answer::Yes : Answer::No;
    if (hadFocus && hadFocus->alive && hadFocus->top) {
        hadFocus->top->Raise();
        if (!hadFocus->dialog && hadFocus->surface) hadFocus->surface->SetFocus();
    }
    flushPaints();
    return a;
}

}  // namespace platform
