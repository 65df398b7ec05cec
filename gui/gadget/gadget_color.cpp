#include "gui/gadget/gadget_color.h"

#include "gui/gadget/brush_cache.h"
#include "gui/not_handled.h"

std::int64_t GadgetColorMessage(GadgetRecord* record, HDC dc, int defaultIndex) {
  std::int64_t result = NotHandled;
  if (record->frontColor != DefaultColor) {
    SetTextColor(dc, static_cast<COLORREF>(record->frontColor));
    if (record->backColor == DefaultColor) {
      SetBkColor(dc, GetSysColor(defaultIndex));
      result = reinterpret_cast<std::int64_t>(GetSysColorBrush(defaultIndex));
    }
  }
  if (record->backColor != DefaultColor) {
    SetBkColor(dc, static_cast<COLORREF>(record->backColor));
    result = reinterpret_cast<std::int64_t>(record->backBrush);
  }
  return result;
}

void GadgetColorSet(GadgetRecord* record, std::int32_t colorType, std::int32_t color) {
  if (colorType == FrontColor) {
    record->frontColor = color;
  } else if (colorType == BackColor) {
    if (record->backBrush) BrushCacheRelease(record->backBrush);
    record->backBrush = color == DefaultColor ? nullptr : BrushCacheGet(static_cast<std::uint32_t>(color));
    record->backColor = color;
  }
  RedrawWindow(record->control, nullptr, nullptr, RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE | RDW_FRAME);
}

std::int64_t GadgetColorGet(GadgetRecord* record, std::int32_t colorType) {
  if (colorType == FrontColor) return record->frontColor;
  if (colorType == BackColor) return record->backColor;
  return DefaultColor;
}

void GadgetColorFree(GadgetRecord* record) {
  if (record->backBrush) BrushCacheRelease(record->backBrush);
  record->backBrush = nullptr;
}
