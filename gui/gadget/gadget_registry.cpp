#include "gui/gadget/gadget_hooks.h"

#include "gui/not_handled.h"

namespace {
HWND currentList = nullptr;
}

HWND GadgetListUse(HWND window) {
  HWND previous = currentList;
  if (window) currentList = window;
  return previous;
}

LRESULT GadgetOfferMessage(HWND, HWND, UINT, WPARAM, LPARAM) { return static_cast<LRESULT>(NotHandled); }
