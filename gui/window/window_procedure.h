// The window procedure every numbered window shares: it turns messages into events, offers
// control notifications to the gadget layer first, remembers the focused control across
// deactivation and releases the window's bookkeeping on WM_NCDESTROY. Whatever it does not
// handle goes to DefWindowProcW.
#pragma once

#include <windows.h>

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
