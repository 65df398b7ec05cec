#include "gui/gadget/gadget.h"

#include "gui/gadget/gadget_registry.h"
#include "gui/window/event_queue.h"
#include "gui/window/window_record.h"

namespace {

GadgetRecord* Find(ObjectNumber number) {
  return static_cast<GadgetRecord*>(ObjectTableLookup(GadgetTableGet(), number));
}

}  // namespace

HWND GadgetHandle(ObjectNumber number) {
  GadgetRecord* record = Find(number);
  return record ? record->control : nullptr;
}

void GadgetSetFocus(ObjectNumber number) {
  if (number == AnyNumber) {
    SetFocus(nullptr);
    return;
  }
  GadgetRecord* record = Find(number);
  if (!record) return;
  if (record->kind->takeFocus) {
    record->kind->takeFocus(record);
  } else {
    SetFocus(record->control);
  }
  // What the window's next activation restores is "Orv_Focus" (the window procedure's
  // WM_ACTIVATE), stored there when it last lost the activation. On a window of a thread that
  // is not in the foreground, SetFocus activates it for the thread alone; should the activation
  // that brings it to the foreground later be announced again, the control last asked for must
  // win over the one that had the focus when the window lost it.
  HWND window = GetAncestor(record->control, GA_ROOT);
  if (GetForegroundWindow() != window && GetPropW(window, WindowIdProperty)) {
    SetPropW(window, FocusProperty, record->control);
  }
}

Text GadgetGetText(ObjectNumber number) {
  GadgetRecord* record = Find(number);
  if (!record) return Text();
  if (record->kind->getText) return record->kind->getText(record);
  const int length = GetWindowTextLengthW(record->control);
  wchar_t* buffer = TextScratch(static_cast<std::size_t>(length));
  if (!buffer) return Text();
  buffer[0] = L'\0';
  // The text may have become shorter since its length was asked: keep what was read.
  const int read = GetWindowTextW(record->control, buffer, length + 1);
  return Text(buffer, read);
}

void GadgetSetText(ObjectNumber number, const wchar_t* text) {
  GadgetRecord* record = Find(number);
  if (!record) return;
  if (!text) text = L"";
  // EN_UPDATE / EN_CHANGE arrive while the text is replaced; none of them becomes an event.
  EventSuspend();
  if (record->kind->setText) {
    record->kind->setText(record, text);
  } else {
    SetWindowTextW(record->control, text);
  }
  EventResume();
}

void GadgetSetAttribute(ObjectNumber number, std::int32_t attribute, std::int64_t value) {
  GadgetRecord* record = Find(number);
  if (record && record->kind->setAttribute) record->kind->setAttribute(record, attribute, value);
}
