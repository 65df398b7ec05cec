#include "gui/requester/held_key_filter.h"

#include "gui/window/key_message.h"

namespace {

// A key-down without the repeat bit is a new press, but Wine resynchronises its key state when the
// focus moves to the box, and a held key's next repeat, or a key-up and the next repeat, can then
// come as a release and a new press (README.md's design notes). That repeat follows the key's last
// message within a repeat interval (33 ms at the fastest rate); a hand that lets go of a key and
// presses it again takes longer.
constexpr DWORD kResyncMilliseconds = 50;

// Milliseconds from one message time to a later one; 0 for a message queued before `from`.
DWORD Elapsed(DWORD from, DWORD to) {
  const auto elapsed = static_cast<LONG>(to - from);
  return elapsed > 0 ? static_cast<DWORD>(elapsed) : 0;
}

// The innermost HeldKeyHook of the thread.
HeldKeyHook* innermostHook = nullptr;

}  // namespace

HeldKeyFilter::HeldKeyFilter() {
  // Down on the keyboard now, whatever key messages the thread has taken.
  const DWORD now = GetTickCount();
  enter_ = HeldKey{GetAsyncKeyState(VK_RETURN) < 0, now};
  escape_ = HeldKey{GetAsyncKeyState(VK_ESCAPE) < 0, now};
}

HeldKeyFilter::HeldKey* HeldKeyFilter::KeyOf(WPARAM virtualKey) {
  if (virtualKey == VK_RETURN) return &enter_;
  if (virtualKey == VK_ESCAPE) return &escape_;
  return nullptr;
}

bool HeldKeyFilter::Holds(const MSG& message) {
  HeldKey* key = KeyOf(message.wParam);
  if (!key) return false;
  if (message.message == WM_KEYUP || message.message == WM_SYSKEYUP) {
    if (key->held) key->lastTime = message.time;
    return false;
  }
  if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
  const bool repeat = KeyDownRepeated(message);
  if (key->held) {
    key->held = repeat || Elapsed(key->lastTime, message.time) < kResyncMilliseconds;
    key->lastTime = message.time;
  }
  return key->held || repeat;
}

HeldKeyHook::HeldKeyHook() : outer_(innermostHook), hook_(nullptr) {
  // One hook serves them all: the hook of an outer one would ask the innermost again.
  if (!outer_) hook_ = SetWindowsHookExW(WH_MSGFILTER, FilterMessage, nullptr, GetCurrentThreadId());
  innermostHook = this;
}

HeldKeyHook::~HeldKeyHook() {
  innermostHook = outer_;
  if (hook_) UnhookWindowsHookEx(hook_);
}

// Non-zero drops the message. Codes below 0 and other modal loops (menus, scroll bars) go on down
// the chain unlooked at.
LRESULT CALLBACK HeldKeyHook::FilterMessage(int code, WPARAM wParam, LPARAM lParam) {
  if (code == MSGF_DIALOGBOX && innermostHook && innermostHook->filter_.Holds(*reinterpret_cast<const MSG*>(lParam))) {
    return 1;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
