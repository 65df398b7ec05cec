#include "gui/requester/modal_wait.h"

#include "gui/requester/modal_ownership.h"
#include "gui/window/key_message.h"
#include "gui/window/navigation.h"

namespace {

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

// A WM_QUIT the wait took: the caller's loop is to end on it after the wait.
struct QuitTaken {
  bool taken;
  int exitCode;
};

// Input is taken from the queue and dropped, whatever queue it came through (typed, clicked, or
// posted to a control the way automation tools send keys); taking it also lets the system send
// WM_SETCURSOR for the pointer's moves. Everything else is dispatched as the event loop would.
void HandleAllButInput(QuitTaken* quit) {
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      *quit = QuitTaken{true, static_cast<int>(message.wParam)};
    } else if (!IsInputMessage(message.message)) {
      DispatchMessageW(&message);
    }
  }
}

void WaitTakingNoInput(HANDLE object, QuitTaken* quit) {
  HWND owner = ModalOwner();
  const WaitCursorShown cursor;
  const CommandsRefused refused;
  const FocusKept focus(owner);
  const ModalWindowsDisabled disabled(owner);
  while (MessageWaiting(object)) HandleAllButInput(quit);
  // What came in after the last look, before the object was signalled.
  HandleAllButInput(quit);
}

}  // namespace

void ModalWait(HANDLE object) {
  if (WaitForSingleObject(object, 0) != WAIT_TIMEOUT) return;
  QuitTaken quit{};
  WaitTakingNoInput(object, &quit);
  // The thread took key messages that EventWait did not see.
  KeyStateForget();
  if (quit.taken) PostQuitMessage(quit.exitCode);
}
