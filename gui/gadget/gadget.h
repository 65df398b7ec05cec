// The gadget layer's application-facing operations: start-up and teardown, the native handle
// of a gadget, focus, text and attributes, and releasing gadgets. A gadget is a child control
// on a window, addressed by the number the application chose at creation, or by the dynamic
// identity a creation with AnyNumber returned. An unknown number makes every operation here do
// nothing (or answer 0 / no text). The creation operations are in the kinds' headers
// (label_gadget.h, edit_gadget.h, button_gadget.h).
#pragma once

#include <windows.h>

#include <cstdint>

#include "gui/gadget/gadget_record.h"
#include "runtime/object_table.h"
#include "runtime/text.h"

// Start-up step: brush cache lock, default font, gadget table, gadget state, common control
// classes. Runs after the window layer's start-up steps.
void GadgetInit();
// Teardown step. Gadgets die with their windows and the default font is left to process exit,
// so there is nothing to release here; it keeps its place in the teardown list.
void GadgetShutdown();

// The font every new gadget gets: the system's message-box font, or DEFAULT_GUI_FONT when the
// non-client metrics cannot be read. Null before GadgetInit.
HFONT DefaultGadgetFont();

// The gadget's control, or null for an unknown number.
HWND GadgetHandle(ObjectNumber number);
// AnyNumber removes the keyboard focus from every control.
void GadgetSetFocus(ObjectNumber number);
// The gadget's text as a new text; an unknown number produces no text (an empty Text that
// owns nothing).
Text GadgetGetText(ObjectNumber number);
// Replaces the gadget's text (null: the empty text) without queueing the change notifications
// the control sends meanwhile: setting a text from the program produces no ContentChanged.
void GadgetSetText(ObjectNumber number, const wchar_t* text);
void GadgetSetAttribute(ObjectNumber number, std::int32_t attribute, std::int64_t value);
// The gadget table's free procedure: destroys the gadget's control (its teardown releases the
// record); AnyNumber releases every gadget.
void GadgetFree(ObjectNumber number);
