#include "gui/requester/modal_wait.h"

#include "gui/requester/modal_ownership.h"
#include "gui/window/busy_cursor.h"
#include "gui/window/event_queue.h"
#include "gui/window/shortcut.h"
#include "gui/window/window_procedure.h"

namespace {

// The paired steps of the wait, each undone when its holder goes, in the reverse order of
// their making.

class WaitCursorShown {
 public:
  WaitCursorShown() { BusyCursorSet(true); }
  ~WaitCursorShown() { BusyCursorSet(false); }
  WaitCursorShown(const WaitCursorShown&) = delete;
  WaitCursorShown& operator=(const WaitCursorShown&) = delete;
};

class CommandsRefused {
 public:
  CommandsRefused() { EventRefuseCommands(); }
  ~CommandsRefused() { EventAcceptCommands(); }
  CommandsRefused(const CommandsRefused&) = delete;
  CommandsRefused& operator=(const CommandsRefused&) = delete;
};

class FocusKept {
 public:
  explicit FocusKept(HWND owner) : owner_(owner) { WindowFocusRemember(owner_); }
  ~FocusKept() { WindowFocusGiveBack(owner_); }
  FocusKept(const FocusKept&) = delete;
  FocusKept& operator=(const FocusKept&) = delete;

 private:
  HWND owner_;
};

class ModalState {
 public:
  ModalState() { ModalBegin(); }
  ~ModalState() { ModalEnd(); }
  ModalState(const ModalState&) = delete;
  ModalState& operator=(const ModalState&) = delete;
};

// ModalBegin leaves the owner to its requester, which disables it itself; here there is none.
// A disabled window gets no clicks, not even on its caption or close box. EnableWindow returns
// whether the window was disabled already, in which case it stays so.
class OwnerDisabled {
 public:
  explicit OwnerDisabled(HWND owner) : owner_(owner), disabledHere_(owner && !EnableWindow(owner, FALSE)) {}
  ~OwnerDisabled() {
    if (disabledHere_) EnableWindow(owner_, TRUE);
  }
  OwnerDisabled(const OwnerDisabled&) = delete;
  OwnerDisabled& operator=(const OwnerDisabled&) = delete;

 private:
  HWND owner_;
  bool disabledHere_;
};

// Waits until the object is signalled (false) or a message is waiting (true). Touch and pointer
// input (QS_TOUCH, QS_POINTER: Windows 8 and later) wake the wait too, so that it is dropped at
// once; an older system refuses those two bits (the wait fails), and is asked again without
// them. MsgWaitForMultipleObjectsEx reports a signalled object ahead of any message; a wait
// that fails altogether ends the wait rather than spinning.
bool MessageWaiting(HANDLE object) {
  constexpr DWORD kTouchAndPointer = 0x0800 | 0x1000;
  DWORD woken = MsgWaitForMultipleObjectsEx(1, &object, INFINITE, QS_ALLINPUT | kTouchAndPointer, MWMO_INPUTAVAILABLE);
  if (woken == WAIT_FAILED) woken = MsgWaitForMultipleObjectsEx(1, &object, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  return woken == WAIT_OBJECT_0 + 1;
}

// Input given during the wait is not for the form that follows it, whatever queue it came
// through: typed or clicked, or posted to a control the way automation tools send keys. It is
// taken from the queue and dropped; taking it also lets the system send WM_SETCURSOR for the
// pointer's moves, which the wait cursor answers. Everything else is handled as the event loop
// would: posted messages (the posted-event window's among them), timers and paints. Messages
// sent from other threads and processes are handled inside PeekMessageW itself.
void HandleAllButInput() {
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (!IsInputMessage(message.message)) DispatchMessageW(&message);
  }
}

void WaitTakingNoInput(HANDLE object) {
  HWND owner = ModalOwner();
  // Made first, undone last: the shape is asked for once every window is enabled again, so
  // that the pointer shows what the control under it shows (an I-beam over a field).
  const WaitCursorShown cursor;
  const CommandsRefused refused;
  const FocusKept focus(owner);
  const ModalState modal;
  const OwnerDisabled disabled(owner);
  while (MessageWaiting(object)) HandleAllButInput();
  // What came in after the last look, before the object was signalled.
  HandleAllButInput();
}

}  // namespace

void ModalWait(HANDLE object) {
  if (WaitForSingleObject(object, 0) != WAIT_TIMEOUT) return;
  WaitTakingNoInput(object);
  // The thread took key messages that EventWait did not see.
  KeyStateForget();
}
