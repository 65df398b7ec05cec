#include "gui/requester/message_requester.h"

#include <windows.h>

#include "gui/requester/held_key_filter.h"
#include "gui/requester/modal_ownership.h"

std::int64_t MessageRequest(const wchar_t* title, const wchar_t* text, std::uint32_t flags) {
  HWND owner = ModalOwner();
  const HeldKeyHook heldKeys;
  // MessageBoxW disables the owner itself while the box is up.
  const ModalWindowsDisabled disabled(nullptr);
  // MessageBoxW takes the message before the caption; a failure gives 0.
  return MessageBoxW(owner, text, title, flags);
}
