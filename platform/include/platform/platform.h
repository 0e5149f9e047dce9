// The platform layer: the small Win32-shaped interface that the game, the editor
// and the music player are written against. One header, several backends:
//   platform/wx        real windows (wxWidgets 3.2, GTK3) + SDL2_mixer sound
//   platform/headless  scripted windows, virtual clock, framebuffers, transcript
// Which backend a program gets is decided by what it links.
//
// Conventions:
// - All text crossing this interface is UTF-8. Files are bytes (see files.h).
// - Coordinates are client pixels, origin top-left. Rectangles exclude their
//   right and bottom edges, as on Windows.
// - Handles are opaque pointers; a null handle is "none" and is always safe to
//   pass to a drawing or freeing call (it does nothing).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct WindowRec;
using Window = WindowRec*;  // a top-level window or a modal dialog; null = no owner

// ---------------------------------------------------------------- messages

enum class Msg {
    Paint,        // the window must be painted (after an erase if one was asked)
    Close,        // close box / Alt+F4 of a top-level window
    Destroy,      // the window is being destroyed
    KeyDown,      // a = virtual key; auto-repeat arrives as repeated KeyDowns
    KeyUp,        // a = virtual key
    Command,      // a = menu command or control id (dialogs: Escape/close box = 2)
    Timer,        // a = timer id
    LButtonDown,  // a = x, b = y (client pixels)
    LButtonUp,
    RButtonDown,
    MouseMove,
    InitDialog,   // first message a dialog procedure receives
};

using WindowProc = long (*)(Window, Msg, long a, long b);

// What the system does with a message the program does not handle: Close
// destroys the window; everything else returns 0.
long defaultWindowProc(Window, Msg, long a, long b);

// Virtual-key codes, with their Windows values. Digits and letters are their
// upper-case ASCII codes ('0'..'9', 'A'..'Z').
namespace vk {
constexpr int RETURN = 0x0D;
constexpr int ESCAPE = 0x1B;
constexpr int SPACE = 0x20;
constexpr int LEFT = 0x25;
constexpr int UP = 0x26;
constexpr int RIGHT = 0x27;
constexpr int DOWN = 0x28;
constexpr int F1 = 0x70;  // F1..F9 are F1 + 0..8
constexpr int F9 = 0x78;
}  // namespace vk

// ---------------------------------------------------------------- geometry, colour

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
};
struct Point {
    int x = 0, y = 0;
};
struct Color {
    std::uint8_t r = 0, g = 0, b = 0;
};
// Like the Win32 RGB macro: only the low byte of each part counts (256 -> 0, 260 -> 4).
constexpr Color rgb(int r, int g, int b) {
    return Color{static_cast<std::uint8_t>(r & 0xFF), static_cast<std::uint8_t>(g & 0xFF),
                 static_cast<std::uint8_t>(b & 0xFF)};
}
constexpr Color BUTTON_FACE = rgb(236, 233, 216);  // window background ("button face")

// ---------------------------------------------------------------- resources as tables

// A menu: entries in order. An entry with children is a popup (sub-menu); an
// entry with id 0 and empty text is a separator; any other entry is a command.
struct MenuEntry {
    int id = 0;
    std::string text;
    std::vector<MenuEntry> children;
};
using MenuDef = std::vector<MenuEntry>;

enum class Ctl {
    PushButton,
    DefPushButton,  // the default button (Enter presses it)
    CheckBox,
    Edit,          // editable one-line field
    ReadOnlyEdit,  // read-only field
    ComboBox,      // drop-down combo box with an edit field
    Label,         // static text
    GroupBox,
};
enum class Align { Left, Center, Right };

// One control of a dialog template; position and size in dialog units.
struct ControlDef {
    Ctl kind = Ctl::Label;
    int id = -1;  // -1 for labels and group boxes nobody talks to
    std::string text;
    int x = 0, y = 0, w = 0, h = 0;
    Align align = Align::Left;
    bool disabled = false;
    bool number = false;  // edit field holding a number
    int maxChars = 0;     // edit field: the most characters it takes, 0 = no limit
};

// A dialog template; size in dialog units, converted to pixels with its own font.
struct DialogDef {
    int id = 0;
    std::string title;
    int w = 0, h = 0;
    std::string font = "MS Shell Dlg";
    int fontSize = 8;
    bool caption = true;   // has a title bar
    bool closeBox = true;  // title bar has a close box
    std::vector<ControlDef> controls;
};

// Bitmap and icon resources embedded in a program (bytes of a .bmp or .ico file).
struct ResourceBlob {
    int id = 0;
    const unsigned char* data = nullptr;
    std::size_t size = 0;
};
// Called once at start-up by each program with its own table (it must stay alive).
void setResources(const ResourceBlob* table, std::size_t count);

// ---------------------------------------------------------------- windows

struct WindowInit {
    std::string className;  // kept for the record ("std")
    std::string title;
    int x = 0, y = 0;                // outer position on screen
    int clientW = 0, clientH = 0;    // size of the client area
    const MenuDef* menu = nullptr;   // menu bar, or none
    WindowProc proc = nullptr;
    int smallIconId = 0;             // icon resource shown in the title bar, 0 = default
};

// Creates and shows a top-level window. Returns null on failure.
Window createWindow(const WindowInit&);
// Moves the window (outer position) and gives its client area this size.
void placeWindow(Window, int x, int y, int clientW, int clientH);
void destroyWindow(Window);  // sends Destroy, then the handle is dead
bool isWindow(Window);       // false once destroyed
// The title bar's small icon, from an embedded icon resource (see setResources).
void setWindowIcon(Window, int iconId);
void postQuit(int exitCode);
// Dispatches messages until the window is destroyed or quit is posted;
// returns the quit code (0 when the window was destroyed).
int runMessageLoop(Window);

// Marks the whole client area (area null) or a rectangle to be repainted; with
// erase the area is first filled with BUTTON_FACE. The Paint message arrives
// when the loop is idle, or at once with updateWindow.
void invalidate(Window, const Rect* area, bool erase);
void updateWindow(Window);
Rect clientRect(Window);     // {0, 0, width, height}
Point cursorPos(Window);     // mouse position in the window's client coordinates

// ---------------------------------------------------------------- modal dialogs

// Runs a modal dialog built from the template, owned by owner. The procedure
// receives InitDialog, then Command (control id; Escape and the close box give
// 2), Timer and Paint. Returns the code passed to endDialog.
int dialogBox(const DialogDef&, Window owner, WindowProc);
void endDialog(Window dlg, int code);
int dialogId(Window dlg);  // template id of a dialog, 0 for other windows
// A rectangle in the dialog's template units, in its client pixels as the
// backend placed the controls (with the dialog's own font). What a dialog
// draws at pixel positions is placed against its controls through it.
Rect mapDialogRect(Window dlg, const Rect& units);

void setItemText(Window dlg, int id, std::string_view utf8);
std::string getItemText(Window dlg, int id);
void setItemInt(Window dlg, int id, int value);  // "%d", signed
void checkItem(Window dlg, int id, bool on);
bool isItemChecked(Window dlg, int id);
void enableItem(Window dlg, int id, bool on);
void comboReset(Window dlg, int id);
void comboAdd(Window dlg, int id, std::string_view utf8);
void comboSelect(Window dlg, int id, int index);  // -1 = no selection
int comboSelection(Window dlg, int id);             // -1 = none (or text typed)
void comboSetDroppedSize(Window dlg, int id, int w, int h);  // pixels, not moved

// ---------------------------------------------------------------- message boxes

enum class BoxIcon { None, Info, Warning, Error, Question };
enum class BoxButtons { Ok, YesNo };
enum class Answer { Ok = 1, Yes = 6, No = 7 };
struct BoxStyle {
    BoxButtons buttons = BoxButtons::Ok;
    BoxIcon icon = BoxIcon::None;
    bool defaultNo = false;   // Yes/No with No preselected
    bool taskModal = false;
    bool foreground = false;
};
Answer messageBox(Window owner, std::string_view text, std::string_view caption, BoxStyle = {});

// ---------------------------------------------------------------- timers

// One timer per (window, id). Setting it again replaces the period; 0 ms (or
// anything below 10) means the shortest period the system allows (10 ms). Ticks keep coming while a
// modal dialog or a message box is open.
void setTimer(Window, int id, int ms);
void killTimer(Window, int id);

// ---------------------------------------------------------------- drawing

struct DcRec;
using Dc = DcRec*;
struct ImageRec;
using Image = ImageRec*;  // a bitmap or an icon (icons keep their transparency)
struct FontRec;
using Font = FontRec*;

// A device context draws into the window's backing store; what it draws is shown
// at once and survives until drawn over. Release every context taken.
Dc getDc(Window);
void releaseDc(Dc);

// Loads a .bmp or .ico file (decided by content) scaled to w x h; null if the
// file is missing or unreadable.
Image loadImage(const std::string& path, int w, int h);
// An embedded resource (see setResources) at its own size; null if unknown.
Image loadResourceImage(int id);
void freeImage(Image);
int imageWidth(Image);
int imageHeight(Image);
// Draws the image with its top-left corner at (x, y); transparent pixels of an
// icon leave what is below.
void drawImage(Dc, Image, int x, int y);

// Outline (1 pixel of pen colour) and fill of [left, right) x [top, bottom).
void rectangle(Dc, const Rect&, Color pen, Color brush);

// Text: default font is the system's UI font, black, transparent background.
// With an opaque background the text's cell is first filled with the
// background colour (white by default).
void setTextColor(Dc, Color);
void setBkTransparent(Dc, bool transparent);
void setBkColor(Dc, Color);
void textOut(Dc, int x, int y, std::string_view utf8);
// Width in pixels that textOut gives the text with the context's font.
int textWidth(Dc, std::string_view utf8);
// A font by face name; a missing face falls back to the system's choice.
// height in pixels, weight 0..1000 (400 normal, 700 bold).
Font createFont(std::string_view face, int height, int weight, bool antialias);
Font selectFont(Dc, Font);  // returns the previous one (null = default)
void deleteFont(Font);

// ---------------------------------------------------------------- process services

std::string executablePath();  // full path of the running program, '/' separated
long long timeSeconds();       // current time in seconds since the epoch
// Blocking pause: the screen keeps updating but no input, timer or other
// message is delivered during it.
void pauseMs(int ms);
// Starts a program without waiting. Returns false when it cannot be started.
bool launchProgram(const std::string& file, const std::string& params, const std::string& workDir);
// Opens a document with the desktop's viewer. Returns false on failure.
bool openDocument(const std::string& path);

// ---------------------------------------------------------------- sound

// Plays a wave file asynchronously; a new effect cuts the one playing. A
// missing file or no audio device plays nothing.
void playEffect(const std::string& path);

}  // namespace platform
