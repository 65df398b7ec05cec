#include "gui/window/menu.h"

#include <richedit.h>

#include "gui/window/navigation.h"
#include "gui/window/window.h"
#include "runtime/facility_state.h"
#include "runtime/memory.h"
#include "runtime/object_table.h"

namespace {

constexpr std::uint32_t kMenuTableCapacity = 16;
constexpr int kMenuStackDepth = 64;
constexpr BYTE kPlainKey = FVIRTKEY | FNOINVERT;

const wchar_t kMenuCallbackProperty[] = L"orv_menu_callback";
const wchar_t kHotkeyProperty[] = L"Orv_Hotkey";

struct MenuRecord {
  HMENU bar;  // first: a record is alive while it is non-null
  HWND window;
};

struct MenuState {
  ObjectTable* table;
  MenuRecord* current;
  HMENU fill;
  HMENU parents[kMenuStackDepth];
  std::int32_t depth;
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

LRESULT CALLBACK MenuWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto previous = reinterpret_cast<WNDPROC>(GetPropW(window, kMenuCallbackProperty));
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
    RemovePropW(window, kMenuCallbackProperty);
  }
  if (!previous) return DefWindowProcW(window, message, wParam, lParam);
  return CallWindowProcW(previous, window, message, wParam, lParam);
}

void RebuildTable(WindowRecord* record) {
  if (record->acceleratorTable) DestroyAcceleratorTable(record->acceleratorTable);
  record->acceleratorTable = CreateAcceleratorTableW(record->acceleratorEntries, record->acceleratorCount);
}

// The thread's key state, read once: on some platforms every GetKeyState is a round trip to
// the window server, and the state does not change between the reads.
struct KeyState {
  BYTE keys[256];
  bool Down(int key) const { return (keys[key] & 0x80) != 0; }
  bool ModifierDown() const { return Down(VK_CONTROL) || Down(VK_SHIFT) || Down(VK_MENU); }
};

KeyState ReadKeyState() {
  KeyState state{};
  GetKeyboardState(state.keys);
  return state;
}

bool BeginsWith(const wchar_t* text, const wchar_t* prefix) {
  for (; *prefix; ++text, ++prefix) {
    if (*text != *prefix) return false;
  }
  return true;
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
  if (window && !GetPropW(window, kMenuCallbackProperty)) {
    const LONG_PTR previous =
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(MenuWindowProc));
    SetPropW(window, kMenuCallbackProperty, reinterpret_cast<HANDLE>(previous));
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
  AppendMenuW(menuState->fill, MF_POPUP, reinterpret_cast<UINT_PTR>(dropDown), title ? title : L"");
  menuState->parents[menuState->depth++] = menuState->fill;
  menuState->fill = dropDown;
  if (current && current->window) SetMenu(current->window, current->bar);
}

void MenuAddItem(std::int32_t item, const wchar_t* text) {
  if (!menuState) return;
  AppendMenuW(menuState->fill, MF_STRING, static_cast<UINT_PTR>(static_cast<UINT>(item)), text ? text : L"");
  MenuRecord* current = menuState->current;
  if (current && current->window) SetMenu(current->window, current->bar);
}

void MenuHide(std::int64_t number, std::int64_t hide) {
  MenuRecord* record = MenuRecordOf(number);
  if (!record || !record->window) return;
  SetMenu(record->window, hide ? nullptr : record->bar);
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

HACCEL ShortcutAdd(std::int64_t window, std::uint32_t shortcut, std::int64_t item) {
  WindowRecord* record = WindowRecordOf(window);
  if (!record) return nullptr;
  BYTE flags = kPlainKey;
  if (shortcut & ShortcutShift) flags |= FSHIFT;
  if (shortcut & ShortcutControl) flags |= FCONTROL;
  if (shortcut & ShortcutAlt) flags |= FALT;
  const WORD key = static_cast<WORD>(shortcut & 0xFFFF);
  const WORD command = static_cast<WORD>(item & 0xFFFF);

  ACCEL* match = nullptr;
  for (std::int32_t index = 0; index < record->acceleratorCount && !match; ++index) {
    ACCEL& entry = record->acceleratorEntries[index];
    if (entry.key == key && entry.fVirt == flags) match = &entry;
  }
  if (match) {
    match->cmd = command;
  } else {
    // One entry more; when the heap cannot grow the array the old bindings stay as they were.
    auto* grown = static_cast<ACCEL*>(RuntimeRealloc(
        record->acceleratorEntries, sizeof(ACCEL) * static_cast<std::size_t>(record->acceleratorCount + 1)));
    if (!grown) return record->acceleratorTable;
    record->acceleratorEntries = grown;
    grown[record->acceleratorCount++] = ACCEL{flags, key, command};
  }
  RebuildTable(record);
  return record->acceleratorTable;
}

void ShortcutsInitNavigation(WindowRecord* record) {
  auto* entries = static_cast<ACCEL*>(RuntimeAlloc(sizeof(ACCEL) * 2));
  if (!entries) return;
  entries[0] = ACCEL{kPlainKey, VK_TAB, NavigateNextCommand};
  entries[1] = ACCEL{static_cast<BYTE>(kPlainKey | FSHIFT), VK_TAB, NavigatePreviousCommand};
  record->acceleratorEntries = entries;
  record->acceleratorCount = 2;
  RebuildTable(record);
}

void ShortcutsRelease(WindowRecord* record) {
  if (!record->acceleratorEntries) return;
  RuntimeFree(record->acceleratorEntries);
  record->acceleratorEntries = nullptr;
  record->acceleratorCount = 0;
  if (record->acceleratorTable) DestroyAcceleratorTable(record->acceleratorTable);
  record->acceleratorTable = nullptr;
}

HACCEL AcceleratorsFor(HWND active) {
  HWND focus = GetFocus();
  // A toolkit window of this process: it carries "Orv_WindowID" and its record holds it.
  WindowRecord* record = WindowRecordFromHandle(active);
  bool tabTaken = false;
  if (record) {
    tabTaken = true;
    for (std::int32_t index = 0; index < record->acceleratorCount; ++index) {
      const ACCEL& entry = record->acceleratorEntries[index];
      if (entry.key == VK_TAB && entry.cmd == NavigateNextCommand) tabTaken = false;
    }
  }
  const KeyState keys = ReadKeyState();
  if (focus && keys.Down(VK_TAB) && !keys.ModifierDown() && !tabTaken) {
    wchar_t className[16] = {};
    GetClassNameW(focus, className, 16);
    // An editable rich-edit or Scintilla control takes Tab as text.
    if (BeginsWith(className, L"RichE") || BeginsWith(className, L"RICHE")) {
      const LRESULT options = SendMessageW(focus, EM_GETOPTIONS, 0, 0);
      if (!(options & ECO_READONLY)) return nullptr;
    } else if (lstrcmpW(className, L"Scintilla") == 0) {
      return nullptr;
    }
  }
  if (active && keys.ModifierDown()) KeyboardCues(active, 1);
  // A hot-key control captures every combination itself.
  if (focus && GetPropW(focus, kHotkeyProperty)) return nullptr;
  return record ? record->acceleratorTable : nullptr;
}

bool AcceleratorCanTranslate(UINT message) {
  return message == WM_KEYDOWN || message == WM_SYSKEYDOWN || message == WM_CHAR || message == WM_SYSCHAR;
}

void KeyboardCuesWhileModifierDown() {
  if (!ReadKeyState().ModifierDown()) return;
  if (HWND active = GetActiveWindow()) KeyboardCues(active, 1);
}
