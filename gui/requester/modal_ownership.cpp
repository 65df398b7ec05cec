#include "gui/requester/modal_ownership.h"

#include "gui/window/busy_cursor.h"
#include "gui/window/event_queue.h"
#include "gui/window/navigation.h"

ListLinks* modalList = nullptr;

namespace {

ModalEntry* EntryOf(ListLinks* links) { return static_cast<ModalEntry*>(ListItemOf(links)); }

// EnumWindows callback: records each visible window of this thread, and disables it unless it is
// the foreground window (the owner, which the requester disables itself).
BOOL CALLBACK RecordAndDisableWindow(HWND window, LPARAM foreground) {
  if (GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId() || !IsWindowVisible(window)) {
    return TRUE;
  }
  // A window whose entry cannot be allocated is left as it is.
  auto* entry = static_cast<ModalEntry*>(ListAlloc(&modalList, sizeof(ListLinks) + sizeof(ModalEntry)));
  if (!entry) return TRUE;
  entry->threadId = GetCurrentThreadId();
  entry->window = window;
  if (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) entry->wasTopmost = 1;
  // The foreground window is the owner: MessageBoxW disables its owner itself, and the input
  // requester disables its owner on its own.
  if (window != reinterpret_cast<HWND>(foreground) && IsWindowEnabled(window)) {
    entry->disabledHere = 1;
    EnableWindow(window, FALSE);
  }
  return TRUE;
}

}  // namespace

HWND ModalOwner() {
  HWND foreground = GetForegroundWindow();
  if (!foreground) return nullptr;
  DWORD process = 0;
  GetWindowThreadProcessId(foreground, &process);
  return process == GetCurrentProcessId() ? foreground : nullptr;
}

void ModalBegin() {
  EnumWindows(RecordAndDisableWindow, reinterpret_cast<LPARAM>(GetForegroundWindow()));
  const DWORD thread = GetCurrentThreadId();
  for (ListLinks* links = modalList; links; links = links->next) {
    const ModalEntry* entry = EntryOf(links);
    if (entry->threadId == thread && entry->wasTopmost) {
      SetWindowPos(entry->window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
  }
}

void ModalEnd() {
  const DWORD thread = GetCurrentThreadId();
  for (ListLinks* links = modalList; links;) {
    ListLinks* following = links->next;
    ModalEntry* entry = EntryOf(links);
    if (entry->threadId == thread) {
      if (entry->disabledHere) EnableWindow(entry->window, TRUE);
      if (entry->wasTopmost) {
        SetWindowPos(entry->window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
      }
      ListFree(&modalList, entry);
    }
    links = following;
  }
}

WaitCursorShown::WaitCursorShown() { BusyCursorBegin(); }
WaitCursorShown::~WaitCursorShown() { BusyCursorEnd(); }

CommandsRefused::CommandsRefused() { EventRefuseCommands(); }
CommandsRefused::~CommandsRefused() { EventAcceptCommands(); }

FocusKept::FocusKept(HWND owner) : owner_(owner) { WindowFocusRemember(owner_); }
FocusKept::~FocusKept() { WindowFocusGiveBack(owner_); }

// EnableWindow returns whether the window was disabled already, in which case it stays so.
ModalWindowsDisabled::ModalWindowsDisabled(HWND owner) : owner_(owner), ownerDisabled_(false) {
  ModalBegin();
  ownerDisabled_ = owner_ && !EnableWindow(owner_, FALSE);
}

void ModalWindowsDisabled::Restore() {
  if (restored_) return;
  restored_ = true;
  if (ownerDisabled_) EnableWindow(owner_, TRUE);
  ModalEnd();
}
