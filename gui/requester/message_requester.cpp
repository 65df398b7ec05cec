#include "gui/requester/message_requester.h"

#include <windows.h>

#include "gui/requester/held_key_filter.h"
#include "gui/requester/modal_ownership.h"

std::int64_t MessageRequest(const wchar_t* title, const wchar_t* text, std::uint32_t flags) {
  HWND owner = ModalOwner();
  const HeldKeyFilter heldKeys;
  ModalBegin();
  // MessageBoxW takes the message before the caption. It disables the owner itself while the
  // box is up; a failure gives 0, and ModalEnd restores the windows all the same.
  const int button = MessageBoxW(owner, text, title, flags);
  ModalEnd();
  return button;
}
