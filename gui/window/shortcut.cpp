#include "gui/window/shortcut.h"

#include <richedit.h>

#include "gui/window/key_message.h"
#include "gui/window/navigation.h"
#include "gui/window/window_record.h"
#include "runtime/memory.h"

namespace {

constexpr BYTE kPlainKey = FVIRTKEY | FNOINVERT;

const wchar_t kHotkeyProperty[] = L"Orv_Hotkey";

void RebuildTable(WindowRecord* record) {
  if (record->acceleratorTable) DestroyAcceleratorTable(record->acceleratorTable);
  record->acceleratorTable = CreateAcceleratorTableW(record->acceleratorEntries, record->acceleratorCount);
}

// Whether the innermost translation under way is of a repeated key-down.
bool translatingHeldKey = false;

bool BeginsWith(const wchar_t* text, const wchar_t* prefix) {
  for (; *prefix; ++text, ++prefix) {
    if (*text != *prefix) return false;
  }
  return true;
}

}  // namespace

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
  const KeyState keys = KeyStateRead();
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

bool ShortcutTranslate(HWND active, HACCEL table, MSG* message) {
  // TranslateAcceleratorW sends its WM_COMMAND before it returns; a loop run by that command
  // translates keys of its own meanwhile.
  const bool outer = translatingHeldKey;
  translatingHeldKey = KeyDownRepeated(*message);
  const bool translated = TranslateAcceleratorW(active, table, message) != 0;
  translatingHeldKey = outer;
  return translated;
}

bool ShortcutFromHeldKey() { return translatingHeldKey; }
