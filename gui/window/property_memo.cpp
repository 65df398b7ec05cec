#include "gui/window/property_memo.h"

HANDLE PropertyMemoGet(PropertyMemo* memo, HWND window) {
  if (window && window == memo->window) return memo->value;
  HANDLE value = GetPropW(window, memo->name);
  // Only a value of ours is worth remembering; a window without one may still get it later.
  if (value) {
    memo->window = window;
    memo->value = value;
  }
  return value;
}

bool PropertyMemoSet(PropertyMemo* memo, HWND window, HANDLE value) {
  if (!SetPropW(window, memo->name, value)) return false;
  memo->window = window;
  memo->value = value;
  return true;
}

HANDLE PropertyMemoRemove(PropertyMemo* memo, HWND window) {
  if (window == memo->window) {
    memo->window = nullptr;
    memo->value = nullptr;
  }
  return RemovePropW(window, memo->name);
}
