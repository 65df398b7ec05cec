// What a fetched message is, as the keyboard layer and the requesters' loops ask it: a repeat, an
// input message, a message an accelerator table can translate. Stateless; includes nothing of the
// window layer.
#pragma once

#include <windows.h>

// A key-down the keyboard repeats while the key is held: bit 30 of lParam, the previous key
// state, is 1.
inline bool KeyDownRepeated(const MSG& message) {
  return (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) && (message.lParam & (KF_REPEAT << 16));
}

// Input from the user: keyboard (IME characters included), mouse and non-client mouse, raw input,
// touch and pointer.
inline bool IsInputMessage(UINT message) {
  // WM_TOUCH, then the non-client and client pointer messages of Windows 8 (WM_NCPOINTERUPDATE
  // to WM_POINTERHWHEEL), which the headers for Windows 7 leave out.
  constexpr UINT kLastPointerInput = 0x024F;
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || message == WM_IME_CHAR ||
         (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
         (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK) || message == WM_INPUT ||
         (message >= WM_TOUCH && message <= kLastPointerInput);
}

// Whether TranslateAcceleratorW can translate a message of this number at all: key-downs and
// characters. For any other message the table chosen makes no difference.
inline bool AcceleratorCanTranslate(UINT message) {
  return message == WM_KEYDOWN || message == WM_SYSKEYDOWN || message == WM_CHAR || message == WM_SYSCHAR;
}
