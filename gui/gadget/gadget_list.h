// Gadget lists: each window whose list has been used keeps a GadgetListRecord in the property
// "Orv_GadgetStack_<module instance>" and is subclassed with GadgetListProc, which forgets the
// list when the window is destroyed. The current list decides which window new gadgets are
// created on; GadgetListUse (gadget_hooks.h) switches it.
#pragma once

#include <windows.h>

struct GadgetListRecord {
  HWND window;
  HWND savedParent;  // the current parent while this window's list is not current
  WNDPROC previousProc;
};

LRESULT CALLBACK GadgetListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The record of `window`'s list, or null when its list has never been used.
GadgetListRecord* GadgetListOf(HWND window);
