#include "gui/gadget/gadget_list.h"

#include <iterator>

#include "gui/gadget/gadget_hooks.h"
#include "gui/gadget/gadget_registry.h"
#include "gui/window/property_memo.h"
#include "runtime/memory.h"
#include "runtime/text.h"

namespace {

// "Orv_GadgetStack_%I64i" from the program's instance handle (GetModuleHandleW(nullptr) names
// the executable, whichever module asks), formatted on first use.
wchar_t listPropertyName[48];
PropertyMemo listMemo{listPropertyName, nullptr, nullptr};

// The gadget-list property's memo, which GadgetListProc reads for every message.
PropertyMemo* ListMemo() {
  if (!listPropertyName[0]) {
    FormatText(listPropertyName, std::size(listPropertyName), L"Orv_GadgetStack_%I64i",
               reinterpret_cast<long long>(GetModuleHandleW(nullptr)));
  }
  return &listMemo;
}

}  // namespace

GadgetListRecord* GadgetListOf(HWND window) {
  return static_cast<GadgetListRecord*>(PropertyMemoGet(ListMemo(), window));
}

HWND GadgetListUse(HWND window) {
  GadgetState* state = GadgetStateGet();
  if (!state) return nullptr;
  HWND previous = state->currentParent;
  if (!window) return previous;
  if (previous) {
    if (GadgetListRecord* saved = GadgetListOf(previous)) saved->savedParent = state->currentParent;
  }
  if (auto* record = GadgetListOf(window)) {
    state->currentParent = record->savedParent;
    return previous;
  }
  auto* record = static_cast<GadgetListRecord*>(RuntimeAlloc(sizeof(GadgetListRecord)));
  // Without its record the window cannot be told apart from one whose list was never used;
  // leave the current list as it was.
  if (!record) return previous;
  record->window = window;
  record->savedParent = window;
  if (!PropertyMemoSet(ListMemo(), window, record)) {
    RuntimeFree(record);
    return previous;
  }
  record->previousProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GadgetListProc)));
  state->currentParent = window;
  return previous;
}

LRESULT CALLBACK GadgetListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  GadgetListRecord* record = GadgetListOf(window);
  if (!record || !record->previousProc) return DefWindowProcW(window, message, wParam, lParam);
  const WNDPROC previous = record->previousProc;
  if (message == WM_NCDESTROY) {
    GadgetState* state = GadgetStateGet();
    if (state && state->currentParent == window) state->currentParent = nullptr;
    PropertyMemoRemove(ListMemo(), window);
    RuntimeFree(record);
  }
  return CallWindowProcW(previous, window, message, wParam, lParam);
}
