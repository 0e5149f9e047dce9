// Test hooks of the wx backend (tests/gui-platform only): act on real windows
// the way a user would, and read back what they show. No wx types here.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "platform/platform.h"

namespace platform::wxtest {

// Presses a control of an open dialog through the toolkit's own "clicked"
// signal: a push button sends its command, a check box toggles first.
// False when the dialog has no such control.
bool click(Window dlg, int id);
// Types a key into the focused window through the X server (XTest), as the
// keyboard does: down, or up.
void key(int vk, bool down);
// Presses or releases a key by its X keycode (its place on the keyboard).
void rawKey(int x11Keycode, bool down);
// The symbol the X server's layout gives a keycode unshifted (an X keysym).
unsigned long keysymOf(int x11Keycode);
// Moves the mouse to a client point of a window and presses or releases the
// left button there, through the X server.
void mouse(Window w, int x, int y, bool down);
// Chooses a menu command of a window's menu bar through GTK's "activate"
// (an entry of a popup, or a command of the bar itself). False when unknown.
bool menuCommand(Window w, int id);
// The face a font was given ("" = the system's choice) and its cell height.
std::string fontFace(Font f);
int fontCellHeight(Font f);
// The close box of a window (the window manager's close request).
void closeBox(Window w);

// Pixel 0xRRGGBB of the window's backing store, and of what the X server
// shows in its client area (-1 when it cannot be read).
unsigned backingPixel(Window w, int x, int y);
long screenPixel(Window w, int x, int y);
// Outer position and client size of a window as the toolkit has it.
Rect screenPlace(Window w);
// The window that has the keyboard focus is the client area of w.
bool hasFocus(Window w);

// The newest template dialog on screen (the innermost modal one), null when none.
Window topDialog();
// A dialog control's rectangle in client pixels ({} when unknown).
Rect controlRect(Window dlg, int id);

// How many timer objects the backend has made so far.
std::size_t timerObjects();

// Runs the event loop for ms milliseconds of real time, delivering everything.
void runFor(int ms);
// Calls fn once, ms milliseconds from now, from whatever loop is running
// (a dialog's, a message box's, the main one).
void after(int ms, std::function<void()> fn);
// Ends the message box that is open, as a press of its button with this
// answer would (checked every 20 ms until one is open).
void answerBoxes(Answer a);

}  // namespace platform::wxtest
