#include "gui/window/property_memo.h"

HANDLE PropertyMemoGet(PropertyMemo* memo, HWND window, const wchar_t* name) {
  if (window && window == memo->window) return memo->value;
  HANDLE value = GetPropW(window, name);
  // Only a value of ours is worth remembering; a window without one may still get it later.
  if (value) *memo = PropertyMemo{window, value};
  return value;
}

bool PropertyMemoSet(PropertyMemo* memo, HWND window, const wchar_t* name, HANDLE value) {
  if (!SetPropW(window, name, value)) return false;
  *memo = PropertyMemo{window, value};
  return true;
}

HANDLE PropertyMemoRemove(PropertyMemo* memo, HWND window, const wchar_t* name) {
  if (window == memo->window) *memo = PropertyMemo{};
  return RemovePropW(window, name);
}
