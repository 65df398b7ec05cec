// Keyboard shortcuts: per-window Win32 accelerator tables binding key combinations to item
// numbers, which arrive as MenuEvent like a chosen menu item. Every window's table also
// carries the Tab and Shift+Tab navigation commands, and AcceleratorsFor decides for each
// message EventWait fetches which table applies.
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

// Binds the shortcut on the window to the item; returns the window's new accelerator table, or
// null for an unknown window number.
HACCEL ShortcutAdd(std::int64_t window, std::uint32_t shortcut, std::int64_t item);
// The accelerator table EventWait translates the fetched message with, or null. While a
// modifier key is down it also shows the active window's keyboard cues (KeyboardCues).
HACCEL AcceleratorsFor(HWND activeWindow);
// TranslateAcceleratorW with the table AcceleratorsFor chose, for EventWait. A repeat of a held
// key (KeyDownRepeated) still moves the focus (Tab, as in a dialog box) but fires no shortcut:
// one press, however long it is held, acts once. The window procedure asks ShortcutFromHeldKey
// while it handles the WM_COMMAND the translation sends; translations nest (a requester's loop
// inside a shortcut's command), and each answers for its own key.
bool ShortcutTranslate(HWND activeWindow, HACCEL table, MSG* message);
bool ShortcutFromHeldKey();

// For the window layer: a new window's two navigation entries, and releasing a window's
// entries and table when it is destroyed.
void ShortcutsInitNavigation(WindowRecord* record);
void ShortcutsRelease(WindowRecord* record);
