#include "gui/requester/modal_wait.h"

#include "gui/requester/modal_ownership.h"
#include "gui/window/busy_cursor.h"
#include "gui/window/shortcut.h"
#include "gui/window/window_record.h"

namespace {

// Keys and clicks given during the wait are not for the form that follows it: they are taken
// from the queue and dropped. Taking them also lets the system send WM_SETCURSOR for the
// pointer's moves, which the busy cursor answers.
void DropInput() {
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_INPUT)) {
  }
}

// Everything else is handled as the event loop would: posted messages (the posted-event
// window's among them), timers and paints. Messages sent from other threads and processes are
// handled inside PeekMessageW itself.
void DispatchAllButInput() {
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_POSTMESSAGE | PM_QS_PAINT | PM_QS_SENDMESSAGE)) {
    DispatchMessageW(&message);
  }
}

// The owner's focus back where it was. EnableWindow(FALSE) may have taken it away (a disabled
// window's controls cannot keep it); when the owner is no longer the active window (the admin
// switched to another program meanwhile), the control is left for its next activation to
// restore, which the window procedure's WM_ACTIVATE does from "Orv_Focus".
void RestoreFocus(HWND owner, HWND focus) {
  if (!owner || !focus || !IsChild(owner, focus)) return;
  if (GetActiveWindow() == owner) {
    SetFocus(focus);
  } else if (GetPropW(owner, WindowIdProperty)) {
    SetPropW(owner, FocusProperty, focus);
  }
}

}  // namespace

void ModalWait(HANDLE object) {
  if (WaitForSingleObject(object, 0) != WAIT_TIMEOUT) return;
  HWND owner = ModalOwner();
  HWND focus = GetFocus();
  ModalBegin();
  // ModalBegin leaves the owner to its requester, which disables it itself; here there is none.
  // A disabled window gets no clicks, not even on its caption or close box.
  const bool ownerDisabledHere = owner && !EnableWindow(owner, FALSE);
  BusyCursorSet(true);
  // MsgWaitForMultipleObjectsEx returns the object's index (0) once it is signalled, ahead of
  // any message; WAIT_OBJECT_0 + 1 means messages are waiting. A failed wait ends the wait too
  // rather than spinning.
  while (MsgWaitForMultipleObjectsEx(1, &object, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0 + 1) {
    DropInput();
    DispatchAllButInput();
  }
  DropInput();
  BusyCursorSet(false);
  if (ownerDisabledHere) EnableWindow(owner, TRUE);
  ModalEnd();
  RestoreFocus(owner, focus);
  // The thread took key messages that EventWait did not see.
  KeyStateForget();
}
