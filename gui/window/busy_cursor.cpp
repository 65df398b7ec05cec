#include "gui/window/busy_cursor.h"

namespace {

int busyCursorDepth = 0;

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

void BusyCursorBegin() {
  ++busyCursorDepth;
  AskShapeUnderPointer();
}

void BusyCursorEnd() {
  --busyCursorDepth;
  AskShapeUnderPointer();
}

bool BusyCursorAnswer() {
  if (busyCursorDepth == 0) return false;
  SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  return true;
}
