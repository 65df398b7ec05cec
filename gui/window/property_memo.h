// Window properties the toolkit alone writes, read through a one-entry memo: the subclass
// procedures read theirs for every message, and Wine answers each GetPropW with a round trip
// to its server (tens of microseconds). The property itself stays on the window, as before,
// for anyone who looks; the value set or read last for a window stands until the toolkit sets
// or removes that property again through the same memo.
#pragma once

#include <windows.h>

struct PropertyMemo {
  HWND window;  // null: nothing remembered
  HANDLE value;
};

// The property `name` of `window`: from the memo when it holds that window, else read.
HANDLE PropertyMemoGet(PropertyMemo* memo, HWND window, const wchar_t* name);
// SetPropW, remembered when it succeeds.
bool PropertyMemoSet(PropertyMemo* memo, HWND window, const wchar_t* name, HANDLE value);
// RemovePropW; the memo forgets `window`. Returns the value removed (null when there was none).
HANDLE PropertyMemoRemove(PropertyMemo* memo, HWND window, const wchar_t* name);
