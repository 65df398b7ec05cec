#include "gui/requester/held_key_filter.h"

#include <windows.h>

#include "gui/window/shortcut.h"

namespace {

// A key-up followed this soon by a key-down of the same key is no release: nobody lets go of a
// key and presses it again that fast, but a system resynchronising its key state sends such a
// key-up between two repeats.
constexpr DWORD kReleaseMilliseconds = 200;

// An answer key as the box has seen it.
struct AnswerKeyState {
  bool held;     // down when the box came, and not let go since
  bool upTaken;  // a key-up came while held: a release, unless a key-down follows at once
  DWORD upTime;  // its message time
};

// Process-wide: requesters do not nest.
struct HeldKeyFilterState {
  HHOOK hook;
  AnswerKeyState enter;
  AnswerKeyState escape;
};
HeldKeyFilterState filter{};

// Whether the message is a key-down of Enter or Escape that belongs to a press made before the
// box came, or a repeat: the dialog manager must not see it.
bool HeldAnswerKey(const MSG& message) {
  AnswerKeyState* key = message.wParam == VK_RETURN   ? &filter.enter
                        : message.wParam == VK_ESCAPE ? &filter.escape
                                                      : nullptr;
  if (!key) return false;
  if (message.message == WM_KEYUP || message.message == WM_SYSKEYUP) {
    if (key->held) *key = AnswerKeyState{true, true, message.time};
    return false;
  }
  if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
  if (KeyDownRepeated(message)) return true;
  if (key->held && (!key->upTaken || message.time - key->upTime < kReleaseMilliseconds)) {
    key->upTaken = false;
    return true;
  }
  key->held = false;
  return false;
}

// The hook's answer for the dialog manager: non-zero drops the message. Codes below 0 and other
// modal loops (menus, scroll bars) go on down the chain unlooked at.
LRESULT CALLBACK DropHeldAnswerKeys(int code, WPARAM wParam, LPARAM lParam) {
  if (code == MSGF_DIALOGBOX && HeldAnswerKey(*reinterpret_cast<const MSG*>(lParam))) return 1;
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

HeldKeyFilter::HeldKeyFilter() {
  // Down on the keyboard now, whatever key messages the thread has taken.
  filter.enter.held = GetAsyncKeyState(VK_RETURN) < 0;
  filter.escape.held = GetAsyncKeyState(VK_ESCAPE) < 0;
  filter.hook = SetWindowsHookExW(WH_MSGFILTER, DropHeldAnswerKeys, nullptr, GetCurrentThreadId());
}

HeldKeyFilter::~HeldKeyFilter() {
  if (filter.hook) UnhookWindowsHookEx(filter.hook);
  filter = HeldKeyFilterState{};
}
