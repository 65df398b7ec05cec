#include "gui/window/shortcut.h"

#include <richedit.h>

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

// The thread's key state, read once: on some platforms every GetKeyState is a round trip to
// the window server, and the state does not change between the reads.
struct KeyState {
  BYTE keys[256];
  bool Down(int key) const { return (keys[key] & 0x80) != 0; }
  bool ModifierDown() const { return Down(VK_CONTROL) || Down(VK_SHIFT) || Down(VK_MENU); }
};

// Whether a modifier was down when the key state was last read. The thread's key state changes
// only as the thread takes input messages from its queue (GetKeyState: "The key status returned
// from this function changes as a thread reads key messages from its message queue"), so it
// holds until the next input message and is not asked again for every posted or sent message in
// between.
struct ModifierMemo {
  bool known;
  bool down;
};
ModifierMemo modifiers{};

KeyState ReadKeyState() {
  KeyState state{};
  GetKeyboardState(state.keys);
  modifiers = ModifierMemo{true, state.ModifierDown()};
  return state;
}

// Set while ShortcutTranslate translates a repeated key-down.
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

bool ShortcutTranslate(HWND active, HACCEL table, MSG* message) {
  // TranslateAcceleratorW sends its WM_COMMAND before it returns.
  translatingHeldKey = KeyDownRepeated(*message);
  const bool translated = TranslateAcceleratorW(active, table, message) != 0;
  translatingHeldKey = false;
  return translated;
}

bool ShortcutFromHeldKey() { return translatingHeldKey; }

bool KeyDownRepeated(const MSG& message) {
  return (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) && (message.lParam & (KF_REPEAT << 16));
}

bool IsInputMessage(UINT message) {
  // WM_TOUCH, then the non-client and client pointer messages of Windows 8 (WM_NCPOINTERUPDATE
  // to WM_POINTERHWHEEL), which the headers for Windows 7 leave out.
  constexpr UINT kLastPointerInput = 0x024F;
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || message == WM_IME_CHAR ||
         (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
         (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK) || message == WM_INPUT ||
         (message >= WM_TOUCH && message <= kLastPointerInput);
}

bool AcceleratorCanTranslate(UINT message) {
  return message == WM_KEYDOWN || message == WM_SYSKEYDOWN || message == WM_CHAR || message == WM_SYSCHAR;
}

void KeyboardCuesWhileModifierDown() {
  if (!modifiers.known) ReadKeyState();
  if (!modifiers.down) return;
  if (HWND active = GetActiveWindow()) KeyboardCues(active, 1);
}

void KeyStateAfterDispatch(UINT message) {
  // The dispatch of an input message may have run a loop of its own (a menu, a move, a
  // requester) that took key messages past EventWait.
  if (IsInputMessage(message)) modifiers.known = false;
}

void KeyStateForget() { modifiers.known = false; }
