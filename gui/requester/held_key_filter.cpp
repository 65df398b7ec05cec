#include "gui/requester/held_key_filter.h"

#include "gui/window/key_message.h"

namespace {

// Wine resynchronises its key state when the focus moves to the box, and a held key it has not
// seen go down on the display gets a key-up there, between two of its repeats (README.md's
// design notes). The next repeat follows within a repeat interval (33 ms at the fastest rate); a
// hand that lets go of a key and presses it again takes longer.
constexpr DWORD kResyncMilliseconds = 50;

// Milliseconds from one message time to a later one; 0 for a message queued before `from`.
DWORD Elapsed(DWORD from, DWORD to) {
  const auto elapsed = static_cast<LONG>(to - from);
  return elapsed > 0 ? static_cast<DWORD>(elapsed) : 0;
}

// SPI_GETKEYBOARDDELAY: 0 to 3, a quarter of a second more each, from 250 ms.
DWORD KeyboardRepeatDelay() {
  UINT delay = 3;
  SystemParametersInfoW(SPI_GETKEYBOARDDELAY, 0, &delay, 0);
  return (delay > 3 ? 4 : delay + 1) * 250;
}

// The innermost HeldKeyHook of the thread.
HeldKeyHook* innermostHook = nullptr;

}  // namespace

HeldKeyFilter::HeldKeyFilter() : repeatDelay_(KeyboardRepeatDelay()) {
  // Down on the keyboard now, whatever key messages the thread has taken.
  const DWORD now = GetTickCount();
  enter_ = HeldKey{GetAsyncKeyState(VK_RETURN) < 0, false, now};
  escape_ = HeldKey{GetAsyncKeyState(VK_ESCAPE) < 0, false, now};
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
    if (key->held) {
      key->upTaken = true;
      key->lastTime = message.time;
    }
    return false;
  }
  if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
  if (key->held) {
    const DWORD silence = Elapsed(key->lastTime, message.time);
    key->held = key->upTaken ? silence < kResyncMilliseconds : silence <= repeatDelay_;
    key->upTaken = false;
    key->lastTime = message.time;
  }
  return key->held || KeyDownRepeated(message);
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
