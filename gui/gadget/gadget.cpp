#include "gui/gadget/gadget.h"

#include <cstddef>

#include "gui/gadget/brush_cache.h"
#include "gui/gadget/gadget_registry.h"
#include "gui/window/event_queue.h"
#include "gui/window/navigation.h"
#include "runtime/common_controls.h"

namespace {

constexpr DWORD kCommonControlClasses = 0xB48;  // tab, hot-key, date, ComboBoxEx, IP-address classes

// NONCLIENTMETRICSW as Windows before Vista knew it, without iPaddedBorderWidth: every version
// answers this size, while the full size fails on XP-era systems.
constexpr UINT kNonClientMetricsSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
static_assert(kNonClientMetricsSize == 500, "NONCLIENTMETRICSW without its last field is 500 bytes");

HFONT defaultFont = nullptr;

GadgetRecord* Find(ObjectNumber number) {
  return static_cast<GadgetRecord*>(ObjectTableLookup(GadgetTableGet(), number));
}

}  // namespace

void GadgetInit() {
  BrushCacheInit();
  defaultFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = kNonClientMetricsSize;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &metrics, 0)) {
    defaultFont = CreateFontIndirectW(&metrics.lfMessageFont);
  }
  GadgetRegistryInit(defaultFont, GadgetFree);
  CommonControlsInit(kCommonControlClasses);
}

void GadgetShutdown() {}

HFONT DefaultGadgetFont() { return defaultFont; }

void GadgetFree(ObjectNumber number) {
  if (number == AnyNumber) {
    ObjectTableReleaseAll(GadgetTableGet());
    return;
  }
  if (GadgetRecord* record = Find(number)) DestroyWindow(record->control);
}

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
  // The window's next activation gives the focus to the control it kept when it last lost the
  // activation. On a window of a thread that is not in the foreground, SetFocus activates it for
  // the thread alone; should the activation that brings it to the foreground later be announced
  // again, the control last asked for must win over the one kept before.
  HWND window = GetAncestor(record->control, GA_ROOT);
  if (GetForegroundWindow() != window) WindowFocusRemember(window);
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
