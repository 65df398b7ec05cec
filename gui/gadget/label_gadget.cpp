#include "gui/gadget/label_gadget.h"

#include "gui/gadget/gadget_color.h"
#include "gui/gadget/gadget_measure.h"
#include "gui/gadget/gadget_registry.h"
#include "gui/not_handled.h"

namespace {

constexpr DWORD kLabelStyle = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_NOPREFIX;  // 0x50020080

std::int64_t LabelParentMessage(GadgetRecord* record, HWND, UINT message, WPARAM wParam, LPARAM) {
  if (message != WM_CTLCOLORSTATIC) return NotHandled;
  return GadgetColorMessage(record, reinterpret_cast<HDC>(wParam), COLOR_BTNFACE);
}

// The text rectangle DrawTextW computes (several lines too), plus the border.
void LabelRequiredSize(GadgetRecord* record, std::int32_t* width, std::int32_t* height) {
  *width = 0;
  *height = 0;
  const ControlText text(record->control);
  if (!text.units()) return;
  const ControlFontDC dc(record->control);
  RECT bounds{0, 0, 0, 0};
  DrawTextW(dc.dc(), text.units(), text.length(), &bounds, DT_CALCRECT | DT_NOPREFIX);
  *width = bounds.right;
  *height = bounds.bottom;
  if (GetWindowLongPtrW(record->control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) {
    *width += 2 * GetSystemMetrics(SM_CXEDGE);
    *height += 2 * GetSystemMetrics(SM_CYEDGE);
  } else {
    *width += 2;
    *height += 2;
  }
}

void FillLabelSlots(GadgetKindTable* table) {
  table->parentMessage = LabelParentMessage;
  table->freeKindData = GadgetColorFree;
  table->setColor = GadgetColorSet;
  table->getColor = GadgetColorGet;
  table->requiredSize = LabelRequiredSize;
}

void LabelKindStep(GadgetRecord* record, HWND) {
  record->frontColor = DefaultColor;
  record->backColor = DefaultColor;
}

GadgetKind labelKind{{}, false, LabelKind, FillLabelSlots};

}  // namespace

std::int64_t GadgetCreateLabel(ObjectNumber number, int x, int y, int width, int height, const wchar_t* text,
                               std::uint32_t flags) {
  const GadgetCreation creation{L"Static", flags | kLabelStyle, (flags >> 8) & WS_EX_CLIENTEDGE, LabelKindStep};
  return GadgetCreateControl(&labelKind, creation, number, x, y, width, height, text);
}
