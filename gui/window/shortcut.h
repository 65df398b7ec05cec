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
// modifier key is down it also shows the active window's keyboard cues.
HACCEL AcceleratorsFor(HWND activeWindow);
// TranslateAcceleratorW with the table AcceleratorsFor chose, for EventWait. A key held down
// repeats its key-down (KeyDownRepeated); such a repeat still moves the focus (Tab, as in a
// dialog box), but it fires no shortcut: one press, however long it is held, acts once. The
// window procedure asks ShortcutFromHeldKey while it handles the WM_COMMAND the translation
// sends.
bool ShortcutTranslate(HWND activeWindow, HACCEL table, MSG* message);
bool ShortcutFromHeldKey();
// A key-down the keyboard repeats while the key is held: bit 30 of lParam, "the previous key
// state", is 1 ("the key is down before the message is sent").
bool KeyDownRepeated(const MSG& message);
// Whether a message is input from the user: keyboard (IME characters included), mouse and
// non-client mouse, raw input, touch and pointer.
bool IsInputMessage(UINT message);
// Whether TranslateAcceleratorW can translate a message of this number at all (key-down and
// character messages). For any other message the table chosen makes no difference, so
// EventWait asks only KeyboardCuesWhileModifierDown, the part of AcceleratorsFor that acts on
// every message.
bool AcceleratorCanTranslate(UINT message);
// Shows the active window's cues while a modifier is down. The key state it goes by is read again
// only after an input message (KeyStateAfterDispatch) or a change of activation (KeyStateForget):
// it cannot change in between, and reading it is a round trip to the window server under Wine.
void KeyboardCuesWhileModifierDown();
void KeyStateAfterDispatch(UINT message);
void KeyStateForget();

// For the window layer: a new window's two navigation entries, and releasing a window's
// entries and table when it is destroyed.
void ShortcutsInitNavigation(WindowRecord* record);
void ShortcutsRelease(WindowRecord* record);
