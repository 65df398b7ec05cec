// The window table and the identity of native windows: one record per numbered window, the
// property "Orv_WindowID" (the window number plus 1, so that 0 means no toolkit window) that
// ties a native window to its number, and the lookups from a native handle to its window.
#pragma once

#include <windows.h>

#include <cstdint>

#include "runtime/object_table.h"

struct WindowRecord {
  HWND handle;  // first: a record is alive while it is non-null
  ACCEL* acceleratorEntries;
  HACCEL acceleratorTable;
  std::int32_t acceleratorCount;
  BOOL minMax;  // minimised or maximised
  BOOL ready;   // WindowOpen has finished
};

// The window properties of the window layer.
inline constexpr wchar_t WindowIdProperty[] = L"Orv_WindowID";
inline constexpr wchar_t FocusProperty[] = L"Orv_Focus";
inline constexpr wchar_t DropAcceptProperty[] = L"Orv_DropAccept";

// Start-up: the window table, whose records are released through `closeWindow`.
void WindowTableCreate(ObjectFreeProc closeWindow);
// The table's operations; without a table they find nothing and do nothing.
WindowRecord* WindowRecordAllocate(std::int64_t number);
void WindowRecordRelease(std::int64_t number);
void WindowRecordReleaseAll();

WindowRecord* WindowRecordOf(std::int64_t number);
// Marks `window` as the native window of `number`.
void WindowIdentitySet(HWND window, std::int64_t number);
// The number "Orv_WindowID" names on `window` itself, or -1 when it carries none.
std::int64_t WindowNumberOf(HWND window);

// The toolkit window a native window belongs to: the window itself or its nearest ancestor
// carrying "Orv_WindowID"; number -1 and no record when there is none.
struct WindowOwner {
  std::int64_t number = -1;
  WindowRecord* record = nullptr;
  bool itself = false;  // the window itself carries the property
};
WindowOwner WindowOwnerOf(HWND window);

// The record of a toolkit window of this process by its own handle (not its ancestors'): the
// window carries "Orv_WindowID" and the record of that number holds this very handle; else null.
WindowRecord* WindowRecordFromHandle(HWND window);
