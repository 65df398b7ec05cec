// Menu bars with drop-down titles and numbered items, detaching a bar again, the menu-bar
// height, and keyboard shortcuts: per-window Win32 accelerator tables binding key combinations
// to item numbers. Choosing an item and pressing its shortcut both arrive as MenuEvent. Every
// window's table also carries the Tab and Shift+Tab navigation commands, and AcceleratorsFor
// decides for each fetched message which table applies.
#pragma once

#include <windows.h>

#include <cstdint>

struct WindowRecord;

// Accelerator commands of the keyboard navigation; never a MenuEvent through a shortcut.
constexpr WORD NavigateNextCommand = 64001;
constexpr WORD NavigatePreviousCommand = 64002;

// Shortcut modifier bits, above the virtual-key code in the low 16 bits.
constexpr std::uint32_t ShortcutShift = 0x10000;
constexpr std::uint32_t ShortcutControl = 0x20000;
constexpr std::uint32_t ShortcutAlt = 0x40000;

// Start-up step: the menu table and the menu-building state.
void MenusInit();

// Returns the bar's handle, or for number -1 the new menu's number; 0 on failure.
std::int64_t MenuCreate(std::int64_t number, HWND window);
void MenuAddTitle(const wchar_t* title);
void MenuAddItem(std::int32_t item, const wchar_t* text);
void MenuHide(std::int64_t number, std::int64_t hide);
std::int64_t MenuBarHeight();
// The menu table's free procedure.
void MenuFree(std::int64_t number);
// The menu's bar, or null for an unknown number.
HMENU MenuHandle(std::int64_t number);

// Binds the shortcut on the window to the item; returns the window's new accelerator table, or
// null for an unknown window number.
HACCEL ShortcutAdd(std::int64_t window, std::uint32_t shortcut, std::int64_t item);
// The accelerator table EventWait translates the fetched message with, or null. While a
// modifier key is down it also shows the active window's keyboard cues.
HACCEL AcceleratorsFor(HWND activeWindow);
// Whether TranslateAcceleratorW can translate a message of this number at all (key-down and
// character messages). For any other message the table chosen makes no difference, so
// EventWait asks only KeyboardCuesWhileModifierDown, the part of AcceleratorsFor that acts on
// every message.
bool AcceleratorCanTranslate(UINT message);
void KeyboardCuesWhileModifierDown();

// For the window layer: a new window's two navigation entries, and releasing a window's
// entries and table when it is destroyed.
void ShortcutsInitNavigation(WindowRecord* record);
void ShortcutsRelease(WindowRecord* record);
