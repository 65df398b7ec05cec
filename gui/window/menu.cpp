#include "gui/window/menu.h"

#include "gui/window/property_memo.h"
#include "runtime/facility_state.h"
#include "runtime/object_table.h"

namespace {

constexpr std::uint32_t kMenuTableCapacity = 16;
constexpr int kMenuStackDepth = 64;

// "orv_menu_callback": the subclassed window's previous procedure, which MenuWindowProc needs
// for every message.
PropertyMemo callbackMemo{L"orv_menu_callback", nullptr, nullptr};

struct MenuRecord {
  HMENU bar;  // first: a record is alive while it is non-null
  HWND window;
  bool barRedrawDue;  // the attached bar changed since it was last drawn (MenuBarsRedraw)
};

struct MenuState {
  ObjectTable* table;
  MenuRecord* current;
  HMENU fill;
  HMENU parents[kMenuStackDepth];
  std::int32_t depth;
  bool anyBarRedrawDue;  // some record's barRedrawDue is set
};

MenuState* menuState = nullptr;

MenuRecord* MenuRecordOf(std::int64_t number) {
  if (!menuState) return nullptr;
  return static_cast<MenuRecord*>(ObjectTableLookup(menuState->table, number));
}

// Releases a menu record; the building state forgets it when it was the current one, so that
// later titles and items never reach a freed record.
void ReleaseMenuRecord(std::int64_t number, MenuRecord* record) {
  if (menuState->current == record) {
    menuState->current = nullptr;
    menuState->fill = nullptr;
    menuState->depth = 0;
  }
  ObjectTableRelease(menuState->table, number);
}

// After a title or item was added: a bar that is not the window's menu yet is attached at once
// (SetMenu), so that it is there when the call returns. A bar already attached only needs
// drawing again when the bar itself changed (an item in a drop-down leaves it as it looks);
// that waits for MenuBarsRedraw, because every SetMenu or DrawMenuBar recomputes and repaints
// the window's frame (a resize and a caption repaint under Wine), and a menu is built one
// title and item at a time.
void AttachBarOrMarkRedraw(MenuRecord* record, bool barChanged) {
  if (!record || !record->window) return;
  if (GetMenu(record->window) != record->bar) {
    SetMenu(record->window, record->bar);
    record->barRedrawDue = false;
  } else if (barChanged) {
    record->barRedrawDue = true;
    menuState->anyBarRedrawDue = true;
  }
}

LRESULT CALLBACK MenuWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto previous = reinterpret_cast<WNDPROC>(PropertyMemoGet(&callbackMemo, window));
  if (message == WM_NCDESTROY) {
    // Windows destroys the attached bar with the window; its records go with it. A bar
    // detached by MenuHide is not the window's menu now and keeps its record.
    if (HMENU attached = GetMenu(window); attached && menuState) {
      ObjectTableFirst(menuState->table);
      std::int64_t number = 0;
      while (auto* record = static_cast<MenuRecord*>(ObjectTableNext(menuState->table, &number))) {
        if (record->bar == attached) ReleaseMenuRecord(number, record);
      }
    }
    PropertyMemoRemove(&callbackMemo, window);
  }
  if (!previous) return DefWindowProcW(window, message, wParam, lParam);
  return CallWindowProcW(previous, window, message, wParam, lParam);
}

}  // namespace

void MenusInit() {
  menuState = static_cast<MenuState*>(FacilityStateCreate(sizeof(MenuState), nullptr));
  if (menuState) menuState->table = ObjectTableCreate(sizeof(MenuRecord), kMenuTableCapacity, MenuFree);
}

std::int64_t MenuCreate(std::int64_t number, HWND window) {
  if (!menuState) return 0;
  auto* record = static_cast<MenuRecord*>(ObjectTableAllocate(menuState->table, number));
  if (!record) return 0;
  const bool dynamic = number == -1;
  if (dynamic) number = ObjectIdentity(record);
  HMENU bar = CreateMenu();
  if (!bar) {
    ObjectTableRelease(menuState->table, number);
    return 0;
  }
  record->bar = bar;
  record->window = window;
  menuState->current = record;
  menuState->fill = bar;
  if (window && !PropertyMemoGet(&callbackMemo, window)) {
    // The property comes first: MenuWindowProc hands every message to the procedure it names,
    // and a window subclassed without it would have all its messages end in DefWindowProcW.
    // The procedure is read before it is replaced (GetWindowLongPtrW), so that it is in place
    // before the subclass takes its first message.
    const LONG_PTR previous = GetWindowLongPtrW(window, GWLP_WNDPROC);
    if (previous && PropertyMemoSet(&callbackMemo, window, reinterpret_cast<HANDLE>(previous)) &&
        !SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(MenuWindowProc))) {
      PropertyMemoRemove(&callbackMemo, window);  // not subclassed after all
    }
  }
  return dynamic ? number : reinterpret_cast<std::int64_t>(bar);
}

void MenuAddTitle(const wchar_t* title) {
  if (!menuState) return;
  MenuRecord* current = menuState->current;
  if (menuState->depth != 0) {
    menuState->depth = 0;
    menuState->fill = current ? current->bar : nullptr;
  }
  HMENU dropDown = CreateMenu();
  if (!dropDown) return;
  // A drop-down that found no place (no current menu: AppendMenuW fails on a null menu) belongs
  // to no menu that could ever destroy it.
  if (!AppendMenuW(menuState->fill, MF_POPUP, reinterpret_cast<UINT_PTR>(dropDown), title ? title : L"")) {
    DestroyMenu(dropDown);
    return;
  }
  menuState->parents[menuState->depth++] = menuState->fill;
  const bool barChanged = menuState->fill == (current ? current->bar : nullptr);
  menuState->fill = dropDown;
  AttachBarOrMarkRedraw(current, barChanged);
}

void MenuAddItem(std::int32_t item, const wchar_t* text) {
  if (!menuState) return;
  AppendMenuW(menuState->fill, MF_STRING, static_cast<UINT_PTR>(static_cast<UINT>(item)), text ? text : L"");
  MenuRecord* current = menuState->current;
  AttachBarOrMarkRedraw(current, current && menuState->fill == current->bar);
}

void MenuHide(std::int64_t number, std::int64_t hide) {
  MenuRecord* record = MenuRecordOf(number);
  if (!record || !record->window) return;
  SetMenu(record->window, hide ? nullptr : record->bar);
  record->barRedrawDue = false;  // SetMenu has drawn the frame anew, with or without the bar
}

void MenuBarsRedraw() {
  if (!menuState || !menuState->anyBarRedrawDue) return;
  menuState->anyBarRedrawDue = false;
  ObjectTableFirst(menuState->table);
  std::int64_t number = 0;
  while (auto* record = static_cast<MenuRecord*>(ObjectTableNext(menuState->table, &number))) {
    if (!record->barRedrawDue) continue;
    record->barRedrawDue = false;
    if (record->window && GetMenu(record->window) == record->bar) DrawMenuBar(record->window);
  }
}

HMENU MenuHandle(std::int64_t number) {
  MenuRecord* record = MenuRecordOf(number);
  return record ? record->bar : nullptr;
}

std::int64_t MenuBarHeight() { return GetSystemMetrics(SM_CYMENU); }

void MenuFree(std::int64_t number) {
  MenuRecord* record = MenuRecordOf(number);
  if (!record) return;
  // Only this bar is detached: another menu attached to the window meanwhile stays.
  if (record->window && GetMenu(record->window) == record->bar) SetMenu(record->window, nullptr);
  DestroyMenu(record->bar);
  ReleaseMenuRecord(number, record);
}
