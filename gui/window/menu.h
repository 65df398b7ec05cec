// Menu bars with drop-down titles and numbered items, detaching a bar again, and the menu-bar
// height. Choosing an item arrives as MenuEvent; keyboard shortcuts for the same items are
// shortcut.h's.
#pragma once

#include <windows.h>

#include <cstdint>

// Start-up step: the menu table and the menu-building state.
void MenusInit();

// Returns the bar's handle, or for number -1 the new menu's number; 0 on failure.
std::int64_t MenuCreate(std::int64_t number, HWND window);
// A title added to a bar that is not the window's menu yet attaches the bar at once. One added to
// a bar already attached is drawn before the next EventWait reads a message (MenuBarsRedraw):
// until then the bar is not laid out again, and GetMenuItemRect gives the new title an empty
// rectangle.
void MenuAddTitle(const wchar_t* title);
void MenuAddItem(std::int32_t item, const wchar_t* text);
void MenuHide(std::int64_t number, std::int64_t hide);
// Draws again every attached bar that gained a title (or an item of its own) since it was last
// drawn; EventWait calls it before it reads the next message.
void MenuBarsRedraw();
std::int64_t MenuBarHeight();
// The menu table's free procedure.
void MenuFree(std::int64_t number);
// The menu's bar, or null for an unknown number.
HMENU MenuHandle(std::int64_t number);
