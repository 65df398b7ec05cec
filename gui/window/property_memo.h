// A window property the toolkit alone writes, read through a one-entry memo: the subclass
// procedures read theirs for every message, and Wine answers each GetPropW with a round trip
// to its server. The property itself stays on the window for anyone who looks; the value set or
// read last for a window stands until the toolkit sets or removes the property again through
// the same memo.
#pragma once

#include <windows.h>

struct PropertyMemo {
  const wchar_t* name;  // the property this memo stands for
  HWND window;          // null: nothing remembered
  HANDLE value;
};

// The memo's property on `window`: from the memo when it holds that window, else read.
HANDLE PropertyMemoGet(PropertyMemo* memo, HWND window);
// SetPropW, remembered when it succeeds.
bool PropertyMemoSet(PropertyMemo* memo, HWND window, HANDLE value);
// RemovePropW; the memo forgets `window`. Returns the value removed (null when there was none).
HANDLE PropertyMemoRemove(PropertyMemo* memo, HWND window);
