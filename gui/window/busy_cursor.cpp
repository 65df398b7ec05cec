#include "gui/window/busy_cursor.h"

namespace {

bool busyCursorOn = false;

// What the system does when the pointer moves: the window under it is asked for its shape.
void AskShapeUnderPointer() {
  POINT pointer{};
  if (!GetCursorPos(&pointer)) return;
  HWND under = WindowFromPoint(pointer);
  if (!under || GetWindowThreadProcessId(under, nullptr) != GetCurrentThreadId()) return;
  const LRESULT hit = SendMessageW(under, WM_NCHITTEST, 0, MAKELPARAM(pointer.x, pointer.y));
  SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(hit, WM_MOUSEMOVE));
}

}  // namespace

void BusyCursorSet(bool busy) {
  busyCursorOn = busy;
  AskShapeUnderPointer();
}

bool BusyCursorAnswer() {
  if (!busyCursorOn) return false;
  SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  return true;
}
