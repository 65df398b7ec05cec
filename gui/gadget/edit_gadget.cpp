#include "gui/gadget/edit_gadget.h"

#include "gui/gadget/gadget_color.h"
#include "gui/gadget/gadget_measure.h"
#include "gui/gadget/gadget_record.h"
#include "gui/gadget/gadget_registry.h"
#include "gui/not_handled.h"
#include "gui/window/event_queue.h"

namespace {

constexpr DWORD kEditStyle = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL;  // 0x50030080
constexpr LPARAM kPreviousKeyState = 1 << 30;  // WM_KEYDOWN: the key was already down (auto-repeat)

// The "Edit" class procedure; every edit gadget has the same one.
WNDPROC editClassProc = nullptr;

void PostFocusEvent(HWND control, std::int64_t subtype) {
  const ObjectNumber identity = GadgetIdentityOf(control);
  if (identity == -1) return;  // torn down, or not yet registered
  EventPost(GadgetEvent, identity, GadgetWindowNumber(control), subtype);
}

std::int64_t EditParentMessage(GadgetRecord* record, HWND, UINT message, WPARAM wParam, LPARAM) {
  auto* const dc = reinterpret_cast<HDC>(wParam);
  if (message == WM_CTLCOLOREDIT) return GadgetColorMessage(record, dc, COLOR_WINDOW);
  // A read-only edit asks with WM_CTLCOLORSTATIC, and so does a disabled one, which keeps the
  // system's disabled look.
  if (message == WM_CTLCOLORSTATIC && IsWindowEnabled(record->control)) {
    return GadgetColorMessage(record, dc, COLOR_BTNFACE);
  }
  return NotHandled;
}

std::int64_t EditGetAttribute(GadgetRecord* record, std::int32_t attribute) {
  if (attribute != MaxLength) return 0;
  return SendMessageW(record->control, EM_GETLIMITTEXT, 0, 0);
}

void EditSetAttribute(GadgetRecord* record, std::int32_t attribute, std::int64_t value) {
  if (attribute != MaxLength) return;
  // EM_LIMITTEXT with 0 would lift the limit to the system maximum instead.
  SendMessageW(record->control, EM_LIMITTEXT, static_cast<WPARAM>(value < 1 ? 1 : value), 0);
}

// One line of text in the control's font: "Hg" covers ascenders and descenders.
void EditRequiredSize(GadgetRecord* record, std::int32_t* width, std::int32_t* height) {
  const ControlFontDC dc(record->control);
  SIZE extent{0, 0};
  GetTextExtentPoint32W(dc.dc(), L"Hg", 2, &extent);
  *width = 2 * GetSystemMetrics(SM_CXEDGE);
  *height = extent.cy + 2 * GetSystemMetrics(SM_CYEDGE);
}

void FillEditSlots(GadgetKindTable* table) {
  table->parentMessage = EditParentMessage;
  table->freeKindData = GadgetColorFree;
  table->getAttribute = EditGetAttribute;
  table->setAttribute = EditSetAttribute;
  table->setColor = GadgetColorSet;
  table->getColor = GadgetColorGet;
  table->requiredSize = EditRequiredSize;
}

// Installed on every edit gadget beneath GadgetSubclassProc; passes every message on to the
// "Edit" class procedure.
LRESULT CALLBACK EditSubclassProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETFOCUS:
      PostFocusEvent(control, FocusGained);
      break;
    case WM_KILLFOCUS:
      PostFocusEvent(control, FocusLost);
      break;
    case WM_KEYDOWN:
      // Posted, so that the selection follows the edit's own handling of the key.
      if (wParam == 'A' && !(lParam & kPreviousKeyState) && (GetAsyncKeyState(VK_CONTROL) & 0x8000)) {
        PostMessageW(control, EM_SETSEL, 0, -1);
      }
      break;
    default:
      break;
  }
  return CallWindowProcW(editClassProc, control, message, wParam, lParam);
}

void EditKindStep(GadgetRecord* record, HWND control) {
  editClassProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditSubclassProc)));
  record->frontColor = DefaultColor;
  record->backColor = DefaultColor;
}

GadgetKind editKind{{}, false, EditKind, FillEditSlots};

}  // namespace

std::int64_t GadgetCreateEdit(ObjectNumber number, int x, int y, int width, int height, const wchar_t* text,
                              std::uint32_t flags) {
  const GadgetCreation creation{L"Edit", flags | kEditStyle, (~flags >> 8) & WS_EX_CLIENTEDGE, EditKindStep};
  return GadgetCreateControl(&editKind, creation, number, x, y, width, height, text);
}
