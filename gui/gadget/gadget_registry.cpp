#include "gui/gadget/gadget_registry.h"

#include <commctrl.h>
#include <ole2.h>

#include <cstddef>
#include <cstring>

#include "gui/gadget/gadget_hooks.h"
#include "gui/not_handled.h"
#include "gui/window/event_queue.h"
#include "gui/window/window_record.h"
#include "runtime/facility_state.h"

namespace {

constexpr std::uint32_t kGadgetTableGrowth = 50;
constexpr LONG_PTR kTornDown = -1;  // the window ID of a control whose gadget is gone

const wchar_t kIdProperty[] = L"Orv_ID";

struct Registry {
  void* state;  // the GadgetState facility record
  ObjectTable* table;
  HFONT defaultFont;  // each new gadget state's font
};
Registry registry{};

void InitState(void* record) {
  auto* state = static_cast<GadgetState*>(record);
  state->gadgetFont = registry.defaultFont;
}

LRESULT CALLBACK GadgetSubclassProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam);

// The last messages of a gadget's control: kind data, ID, properties, queued events, record,
// in that order, so that nothing can find the gadget half torn down.
void TearDown(HWND control, GadgetRecord* record, ObjectNumber identity) {
  if (record->kind->freeKindData) record->kind->freeKindData(record);
  SetWindowLongPtrW(control, GWLP_ID, kTornDown);
  RemovePropW(control, kIdProperty);
  if (RemovePropW(control, DropAcceptProperty)) RevokeDragDrop(control);
  EventQueueRemove(GadgetEvent, identity, -1, -1);
  ObjectTableRelease(registry.table, identity);
}

LRESULT CALLBACK GadgetSubclassProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  const ObjectNumber identity = GetWindowLongPtrW(control, GWLP_ID);
  if (identity == kTornDown) return DefWindowProcW(control, message, wParam, lParam);
  auto* record = static_cast<GadgetRecord*>(ObjectTableLookup(registry.table, identity));
  // Someone changed the window ID: the procedure to chain to is unknown.
  if (!record || record->control != control) return DefWindowProcW(control, message, wParam, lParam);
  const LRESULT result = CallWindowProcW(record->previousProc, control, message, wParam, lParam);
  if (message == WM_NCDESTROY) TearDown(control, record, identity);
  return result;
}

}  // namespace

void GadgetRegistryInit(HFONT font, ObjectFreeProc freeGadget) {
  registry.defaultFont = font;
  registry.table = ObjectTableCreate(sizeof(GadgetRecord), kGadgetTableGrowth, freeGadget);
  registry.state = FacilityStateCreate(sizeof(GadgetState), InitState);
}

GadgetState* GadgetStateGet() { return static_cast<GadgetState*>(FacilityStateGet(registry.state)); }

ObjectTable* GadgetTableGet() { return registry.table; }

std::int64_t GadgetCreateControl(GadgetKind* kind, const GadgetCreation& creation, ObjectNumber number, int x, int y,
                                 int width, int height, const wchar_t* text) {
  GadgetState* state = GadgetStateGet();
  if (!state) return 0;
  if (!kind->filled) {
    std::memset(&kind->table, 0, sizeof kind->table);
    kind->table.kindCode = kind->kindCode;
    kind->table.size = sizeof kind->table;
    kind->fillSlots(&kind->table);
    kind->filled = true;
  }
  // Created with ID -1 and without a parent list there is no parent, so CreateWindowExW fails.
  HWND control = CreateWindowExW(creation.exStyle, creation.className, text ? text : L"", creation.style, x, y, width,
                                 height, state->currentParent, reinterpret_cast<HMENU>(kTornDown),
                                 GetModuleHandleW(nullptr), nullptr);
  if (!control) return 0;
  // A number in use: the table first calls GadgetFree, whose teardown zeroes the record in
  // place, and hands the same record back.
  auto* record = static_cast<GadgetRecord*>(ObjectTableAllocate(registry.table, number));
  if (!record) {
    DestroyWindow(control);
    return 0;
  }
  if (creation.kindStep) creation.kindStep(record, control);
  return GadgetRegister(number, record, control, &kind->table);
}

std::int64_t GadgetRegister(ObjectNumber number, GadgetRecord* record, HWND control, const GadgetKindTable* kind) {
  record->control = control;
  record->kind = kind;
  const ObjectNumber identity = number == AnyNumber ? ObjectIdentity(record) : number;
  record->previousProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GadgetSubclassProc)));
  SetPropW(control, kIdProperty, reinterpret_cast<HANDLE>(identity));
  SetWindowLongPtrW(control, GWLP_ID, identity);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GadgetStateGet()->gadgetFont), TRUE);
  return number == AnyNumber ? identity : reinterpret_cast<std::int64_t>(control);
}

GadgetRecord* GadgetFromHandle(HWND control) {
  if (!control || !registry.table) return nullptr;
  // The window ID only names a candidate; what makes the answer right is that the record's
  // control is this very handle. A record holds its control from GadgetRegister until the
  // control's WM_NCDESTROY (TearDown), so its control is a live window, and no other window has
  // that handle meanwhile: a plain child whose ID happens to be a gadget number, or a control
  // given a gadget's ID by someone else, fails the check. "Orv_ID", a server round trip on
  // Wine, need not be read.
  const ObjectNumber identity = GetWindowLongPtrW(control, GWLP_ID);
  auto* record = static_cast<GadgetRecord*>(ObjectTableLookup(registry.table, identity));
  return record && record->control == control ? record : nullptr;
}

ObjectNumber GadgetIdentityOf(HWND control) { return GetWindowLongPtrW(control, GWLP_ID); }

std::int64_t GadgetWindowNumber(HWND control) { return WindowOwnerOf(control).number; }

LRESULT GadgetOfferMessage(HWND control, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  GadgetRecord* record = GadgetFromHandle(control);
  if (!record || !record->kind->parentMessage) return static_cast<LRESULT>(NotHandled);
  return static_cast<LRESULT>(record->kind->parentMessage(record, window, message, wParam, lParam));
}
