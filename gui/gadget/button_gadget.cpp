#include "gui/gadget/button_gadget.h"

#include <windows.h>

#include "gui/gadget/gadget_measure.h"
#include "gui/gadget/gadget_record.h"
#include "gui/gadget/gadget_registry.h"

namespace {

constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_PUSHBUTTON;  // 0x50030000
constexpr std::int32_t kButtonTextPadding = 10;

std::int64_t ButtonGetState(GadgetRecord* record) { return SendMessageW(record->control, BM_GETCHECK, 0, 0) & 1; }

void ButtonSetState(GadgetRecord* record, std::int64_t value) {
  SendMessageW(record->control, BM_SETCHECK, value != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
}

void ButtonRequiredSize(GadgetRecord* record, std::int32_t* width, std::int32_t* height) {
  *width = 0;
  *height = 0;
  const ControlText text(record->control);
  if (!text.units()) return;
  const ControlFontDC dc(record->control);
  SIZE extent{0, 0};
  GetTextExtentPoint32W(dc.dc(), text.units(), text.length(), &extent);
  *width = extent.cx + 2 * GetSystemMetrics(SM_CXEDGE) + kButtonTextPadding;
  *height = ButtonRequiredHeight(extent.cy + 2 * GetSystemMetrics(SM_CYEDGE));
}

void FillButtonSlots(GadgetKindTable* table) {
  table->getState = ButtonGetState;
  table->setState = ButtonSetState;
  table->requiredSize = ButtonRequiredSize;
}

GadgetKind buttonKind{{}, false, ButtonKind, FillButtonSlots};

}  // namespace

std::int32_t ButtonRequiredHeight(std::int32_t textHeightWithEdges) {
  if (textHeightWithEdges < 18 || textHeightWithEdges >= 24) return textHeightWithEdges;
  const auto grown = static_cast<std::int32_t>(static_cast<float>(textHeightWithEdges) * 1.27f);
  return grown > 24 ? 24 : grown;
}

std::int64_t GadgetCreateButton(ObjectNumber number, int x, int y, int width, int height, const wchar_t* text,
                                std::uint32_t flags) {
  const GadgetCreation creation{L"Button", flags | kButtonStyle, 0, nullptr};
  return GadgetCreateControl(&buttonKind, creation, number, x, y, width, height, text);
}
