// The input requester: a small modal dialog of the window class "InputRequester" with a
// one-line prompt, an entry field (masked with InputPassword) pre-filled with a default text,
// and an "OK" button. Enter or "OK" hands back the field's text; Escape, the close box and
// Alt+F4 hand back the empty text. The dialog follows the modal-ownership rule and runs a
// message loop of its own; one requester at a time.
#pragma once

#include "runtime/text.h"

// The entry field masks its characters (ES_PASSWORD). Other flag bits are ignored.
constexpr int InputPassword = 1;

// Control ids of the dialog, and the command ids of its accelerator table.
constexpr int InputPromptId = 0;
constexpr int InputFieldId = 10;
constexpr int InputOkId = 1000;      // the "OK" button and the Return key
constexpr int InputCancelId = 1001;  // the Escape key

// Shows the dialog and waits until it closes. Any text may be null. `shown`, when given, is set
// to whether the dialog could be shown at all: false when its window could not be created (no
// desktop), so that a caller can tell that empty result from a user's cancel. With InputPassword
// the result is a secret text (wiped when released), and the dialog wipes what it held of it:
// the block the answer was read into, and the field's own text before the field goes.
Text InputRequester(const wchar_t* title, const wchar_t* prompt, const wchar_t* defaultText, int flags = 0,
                    bool* shown = nullptr);
