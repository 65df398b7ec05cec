// Keyboard navigation in the numbered windows, which are plain top-level windows rather than
// dialog boxes: Tab and Shift+Tab (the accelerator commands 64001 and 64002) move the focus
// through the enabled, visible WS_TABSTOP controls of the active window, wrapping at both ends
// and stepping over composite controls as a whole; and the window's keyboard cues (focus
// rectangles, mnemonic underlines) are shown while the keyboard is used and hidden when the
// window loses activation; and Enter on a focused push button presses that button.
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
