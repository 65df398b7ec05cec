// The wait cursor of a busy GUI thread. While it is on, the window layer's windows answer
// WM_SETCURSOR with the system's wait cursor, for themselves and for the controls on them (a
// control's default WM_SETCURSOR asks its parent first), disabled windows included (the system
// sends them WM_SETCURSOR with HTERROR).
#pragma once

#include <windows.h>

// Turns the wait cursor on, or off again; calls nest, and the cursor is on until the outermost
// BusyCursorEnd. Each shows the shape at once when the pointer is over a window of this thread:
// the system asks for a shape again only when the pointer moves.
void BusyCursorBegin();
void BusyCursorEnd();
// For the window procedure: sets the wait cursor and returns true while it is on.
bool BusyCursorAnswer();
