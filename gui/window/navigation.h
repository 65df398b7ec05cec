// Keyboard navigation in the numbered windows, which are plain top-level windows rather than
// dialog boxes: Tab and Shift+Tab (the accelerator commands 64001 and 64002) move the focus
// through the enabled, visible WS_TABSTOP controls of the active window, wrapping at both ends
// and stepping over composite controls as a whole; and the window's keyboard cues (focus
// rectangles, mnemonic underlines) are shown while the keyboard is used and hidden when the
// window loses activation; Enter on a focused push button presses that button; and the focused
// control of a window is kept across a time the window cannot hold the focus.
#pragma once

#include <windows.h>

// backwards 0: the next tab stop; 1: the previous one.
void FocusNext(int backwards);
// show != 0 shows the focus rectangles and mnemonic underlines, 0 hides them.
void KeyboardCues(HWND window, int show);
// For EventWait, before the window's shortcuts: when `message` is a plain Enter going down while
// a push button of the active numbered window has the focus, clicks that button and returns
// true; the message is then taken, and no shortcut bound to Enter sees it. A repeat of a held
// Enter is taken the same way but clicks nothing.
bool PressFocusedButton(HWND activeWindow, const MSG& message);

// The thread's key state as the keyboard layer reads it. It changes only as the thread takes
// input messages from its queue (GetKeyState), so whether a modifier is down is read again only
// after an input message (KeyStateAfterDispatch) or a change of activation (KeyStateForget): a
// read can be a round trip to the window server.
struct KeyState {
  BYTE keys[256];
  bool Down(int key) const { return (keys[key] & 0x80) != 0; }
  bool ModifierDown() const { return Down(VK_CONTROL) || Down(VK_SHIFT) || Down(VK_MENU); }
};
KeyState KeyStateRead();
void KeyStateAfterDispatch(UINT message);
void KeyStateForget();
// Shows the active window's keyboard cues while a modifier is down, for a message no accelerator
// can translate.
void KeyboardCuesWhileModifierDown();

// The focused control of a numbered window ("Orv_Focus"), across a deactivation or a time the
// window is disabled, which takes the focus from its controls. WindowFocusRemember keeps the
// control that has the focus, when it is one of the window's; WindowFocusGiveBack gives the kept
// control the focus again when the window is the active one, and otherwise leaves that to the
// window's next activation. Windows that are not numbered windows are left alone.
void WindowFocusRemember(HWND window);
void WindowFocusGiveBack(HWND window);
