// The window procedure every numbered window shares: it turns messages into events, offers
// control notifications to the gadget layer first, remembers the focused control across
// deactivation and releases the window's bookkeeping on WM_NCDESTROY. Whatever it does not
// handle goes to DefWindowProcW.
#pragma once

#include <windows.h>

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The focused control of a numbered window across a time the window cannot keep the focus:
// disabling a window takes the focus from its controls. WindowFocusRemember remembers the
// control as a deactivation does ("Orv_Focus"); WindowFocusGiveBack gives it the focus again
// when the window is the active one, and otherwise leaves that to the window's next activation.
// Other windows are left alone.
void WindowFocusRemember(HWND window);
void WindowFocusGiveBack(HWND window);
