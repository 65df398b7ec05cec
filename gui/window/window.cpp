#include "gui/window/window.h"

#include <commctrl.h>
#include <ole2.h>

#include "gui/gadget/gadget_hooks.h"
#include "gui/not_handled.h"
#include "gui/window/event_queue.h"
#include "gui/window/menu.h"
#include "gui/window/navigation.h"
#include "runtime/common_controls.h"
#include "runtime/facility_state.h"
#include "runtime/linked_list.h"
#include "runtime/object_table.h"
#include "runtime/system_library.h"
#include "runtime/text.h"

namespace {

constexpr std::uint32_t kWindowTableCapacity = 16;
constexpr UINT kIconNotifyMessage = 12501;
constexpr UINT kGadgetParentMessage = 13120;
constexpr LONG_PTR kMenuControlId = -10000;
// WS_MINIMIZE | WS_MAXIMIZE | WS_MINIMIZEBOX | WS_MAXIMIZEBOX: what a tool window drops.
constexpr std::uint32_t kToolWindowDropped = 0x21030000;
constexpr std::uint32_t kOwnFlagBits = 0x7;

const wchar_t kWindowIdProperty[] = L"Orv_WindowID";
const wchar_t kFocusProperty[] = L"Orv_Focus";
const wchar_t kDropAcceptProperty[] = L"Orv_DropAccept";

struct WindowsState {
  ObjectTable* table;
  HINSTANCE instance;
  HICON icon;
  HCURSOR cursor;
  ListLinks* retiredClasses;  // RetiredClass blocks
};

// A window class whose window was still alive when WM_NCDESTROY tried to unregister it.
struct RetiredClass {
  std::int64_t number;
};

WindowsState* windowsState = nullptr;

// "WindowClass_%I64d" from the number: 12 units of prefix, up to 20 of number, the terminator.
struct ClassName {
  explicit ClassName(std::int64_t number) { FormatText(units, L"WindowClass_%I64d", number); }
  wchar_t units[40];
};

// The toolkit window a message is for: the receiving window or its nearest ancestor carrying
// "Orv_WindowID"; number -1 and no record when there is none.
struct Owner {
  std::int64_t number = -1;
  WindowRecord* record = nullptr;
  bool itself = false;  // the receiving window carries the property
};

// The last window found by its handle. Every message and every fetched message looks its
// window up, and reading a property is a round trip to the window server on some platforms;
// the entry is trusted only while the record of its number still holds that very handle, so a
// destroyed window or a reused number never gives a wrong answer.
struct HandleCache {
  HWND handle;
  std::int64_t number;
};
HandleCache handleCache{};

WindowRecord* CachedRecord(HWND window) {
  if (!window || window != handleCache.handle) return nullptr;
  WindowRecord* record = WindowRecordOf(handleCache.number);
  return record && record->handle == window ? record : nullptr;
}

std::int64_t WindowNumberFromProperty(HANDLE id) {
  return static_cast<std::int64_t>(reinterpret_cast<INT_PTR>(id)) - 1;
}

Owner FindOwner(HWND window) {
  Owner owner;
  if (WindowRecord* record = CachedRecord(window)) {
    owner.number = handleCache.number;
    owner.record = record;
    owner.itself = true;
    return owner;
  }
  for (HWND walk = window; walk; walk = GetParent(walk)) {
    if (HANDLE id = GetPropW(walk, kWindowIdProperty)) {
      owner.number = WindowNumberFromProperty(id);
      owner.record = WindowRecordOf(owner.number);
      owner.itself = walk == window;
      if (owner.record && owner.record->handle == walk) handleCache = HandleCache{walk, owner.number};
      break;
    }
  }
  return owner;
}

LRESULT Offer(HWND control, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!control) return static_cast<LRESULT>(NotHandled);
  return GadgetOfferMessage(control, window, message, wParam, lParam);
}

LRESULT OnCommand(HWND window, const Owner& owner, WPARAM wParam, LPARAM lParam) {
  if (lParam != 0) {
    auto* control = reinterpret_cast<HWND>(lParam);
    if (Offer(control, window, WM_COMMAND, wParam, lParam) != static_cast<LRESULT>(NotHandled)) return 0;
    const LONG_PTR id = GetWindowLongPtrW(control, GWLP_ID);
    if (id == kMenuControlId) {
      EventPost(MenuEvent, LOWORD(wParam), owner.number, 0);
    } else {
      EventPost(GadgetEvent, id, owner.number, HIWORD(wParam));
    }
  } else if (HIWORD(wParam) == 0) {
    EventPost(MenuEvent, static_cast<std::int64_t>(wParam), owner.number, 0);
  } else if (LOWORD(wParam) == NavigateNextCommand) {
    FocusNext(0);
  } else if (LOWORD(wParam) == NavigatePreviousCommand) {
    FocusNext(1);
  } else {
    EventPost(MenuEvent, LOWORD(wParam), owner.number, 0);
  }
  return 0;
}

LRESULT OnSize(const Owner& owner, WPARAM wParam) {
  if (!owner.itself || !owner.record || !owner.record->ready) return static_cast<LRESULT>(NotHandled);
  WindowRecord* record = owner.record;
  switch (wParam) {
    case SIZE_MINIMIZED:
      record->minMax = TRUE;
      EventPost(MinimizeWindowEvent, 0, owner.number, 0);
      return 0;
    case SIZE_MAXIMIZED:
      record->minMax = TRUE;
      EventPost(MaximizeWindowEvent, 0, owner.number, 0);
      EventPost(SizeWindowEvent, 0, owner.number, 0);
      return 0;
    case SIZE_RESTORED:
      if (record->minMax) {
        record->minMax = FALSE;
        EventPost(RestoreWindowEvent, 0, owner.number, 0);
      }
      break;
    default:
      break;
  }
  // A size run leaves one SizeWindowEvent, at the end of the queue.
  EventQueueRemove(SizeWindowEvent, 0, owner.number, 0);
  EventPost(SizeWindowEvent, 0, owner.number, 0);
  return 0;
}

LRESULT OnActivate(HWND window, const Owner& owner, WPARAM wParam) {
  if (LOWORD(wParam) != WA_INACTIVE) {
    // The remembered control gets the focus back; a handle that is no longer one of this
    // window's controls (destroyed, perhaps reused) is left alone.
    auto* focus = static_cast<HWND>(GetPropW(window, kFocusProperty));
    if (focus && IsChild(window, focus)) SetFocus(focus);
    EventPost(ActivateWindowEvent, 0, owner.number, 0);
  } else {
    SetPropW(window, kFocusProperty, GetFocus());
    KeyboardCues(window, 0);
    EventPost(DeactivateWindowEvent, 0, owner.number, 0);
  }
  // Not to DefWindowProcW, which would move the focus to the window itself.
  return 1;
}

BOOL CALLBACK SendSysColorChange(HWND child, LPARAM) {
  SendMessageW(child, WM_SYSCOLORCHANGE, 0, 0);
  return TRUE;
}

// UnregisterClassW fails while a window of the class exists, and during WM_NCDESTROY the
// window still does; such a class is unregistered once the window is gone.
void UnregisterWindowClass(std::int64_t number) {
  if (UnregisterClassW(ClassName(number).units, windowsState->instance)) return;
  if (GetLastError() != ERROR_CLASS_HAS_WINDOWS) return;
  auto* retired = static_cast<RetiredClass*>(
      ListAlloc(&windowsState->retiredClasses, sizeof(ListLinks) + sizeof(RetiredClass)));
  if (retired) retired->number = number;
}

void UnregisterRetiredClasses() {
  ListLinks* links = windowsState->retiredClasses;
  while (links) {
    ListLinks* next = links->next;
    auto* retired = static_cast<RetiredClass*>(ListItemOf(links));
    if (UnregisterClassW(ClassName(retired->number).units, windowsState->instance) ||
        GetLastError() != ERROR_CLASS_HAS_WINDOWS) {
      ListFree(&windowsState->retiredClasses, retired);
    }
    links = next;
  }
}

LRESULT OnNcDestroy(HWND window) {
  HANDLE id = GetPropW(window, kWindowIdProperty);
  if (!id) return static_cast<LRESULT>(NotHandled);
  const std::int64_t number = WindowNumberFromProperty(id);
  RemovePropW(window, kFocusProperty);
  RemovePropW(window, kWindowIdProperty);
  if (RemovePropW(window, kDropAcceptProperty)) RevokeDragDrop(window);
  if (WindowRecord* record = WindowRecordOf(number)) ShortcutsRelease(record);
  if (windowsState) {
    UnregisterWindowClass(number);
    ObjectTableRelease(windowsState->table, number);
  }
  EventQueueRemoveWindow(number);
  return 1;
}

LRESULT HandleMessage(HWND window, const Owner& owner, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      return OnCommand(window, owner, wParam, lParam);
    case WM_CLOSE:
      // Closing is the application's decision: the window stays.
      if (owner.itself) EventPost(CloseWindowEvent, owner.number, owner.number, 0);
      return 0;
    case WM_MOVE:
      if (owner.itself && owner.record && owner.record->ready) {
        EventPost(MoveWindowEvent, owner.number, owner.number, 0);
      }
      return 0;
    case WM_SIZE:
      return OnSize(owner, wParam);
    case WM_ACTIVATE:
      return OnActivate(window, owner, wParam);
    case WM_ERASEBKGND:
      EventPost(RepaintEvent, 0, owner.number, 0);
      return static_cast<LRESULT>(NotHandled);
    case WM_TIMER:
      if (!owner.record) return static_cast<LRESULT>(NotHandled);
      EventPost(TimerEvent, static_cast<std::int64_t>(wParam), owner.number, 0);
      return 0;
    case WM_LBUTTONUP:
      EventPost(LeftClickEvent, 0, owner.number, 0);
      return 0;
    case WM_LBUTTONDBLCLK:
      EventPost(LeftDoubleClickEvent, 0, owner.number, 0);
      return 0;
    case WM_RBUTTONUP:
      EventPost(RightClickEvent, 0, owner.number, 0);
      return 0;
    case kIconNotifyMessage: {
      std::int64_t subtype = -1;
      switch (lParam) {
        case WM_LBUTTONUP: subtype = 0; break;
        case WM_RBUTTONUP: subtype = 1; break;
        case WM_LBUTTONDBLCLK: subtype = 2; break;
        case WM_RBUTTONDBLCLK: subtype = 3; break;
        default: break;
      }
      if (subtype >= 0) EventPost(IconNotifyEvent, static_cast<std::int64_t>(wParam), owner.number, subtype);
      // Wakes an EventWait blocked in GetMessageW.
      PostMessageW(window, WM_NULL, 0, 0);
      return 0;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      return Offer(header ? header->hwndFrom : nullptr, window, message, wParam, lParam);
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case kGadgetParentMessage:
      return Offer(reinterpret_cast<HWND>(lParam), window, message, wParam, lParam);
    case WM_GETMINMAXINFO:
      if (!owner.record) return static_cast<LRESULT>(NotHandled);
      if (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) {
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize.x = 1;
      }
      return 0;
    case WM_SYSCOLORCHANGE:
      if (owner.record) EnumChildWindows(window, SendSysColorChange, 0);
      return static_cast<LRESULT>(NotHandled);
    case WM_NCDESTROY:
      return OnNcDestroy(window);
    default:
      return static_cast<LRESULT>(NotHandled);
  }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const Owner owner = FindOwner(window);
  const LRESULT result = HandleMessage(window, owner, message, wParam, lParam);
  SetLastError(0);
  if (result == static_cast<LRESULT>(NotHandled)) return DefWindowProcW(window, message, wParam, lParam);
  return result;
}

void RegisterWindowClass(const ClassName& name) {
  WNDCLASSW windowClass{};
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = windowsState->instance;
  windowClass.hIcon = windowsState->icon;
  windowClass.hCursor = windowsState->cursor;
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  windowClass.lpszClassName = name.units;
  RegisterClassW(&windowClass);
}

}  // namespace

void WindowsInit() {
  windowsState = static_cast<WindowsState*>(FacilityStateCreate(sizeof(WindowsState), nullptr));
  if (!windowsState) return;
  windowsState->table = ObjectTableCreate(sizeof(WindowRecord), kWindowTableCapacity, WindowClose);
  windowsState->instance = GetModuleHandleW(nullptr);
  windowsState->icon = LoadIconW(windowsState->instance, MAKEINTRESOURCEW(1));
  windowsState->cursor = LoadCursorW(nullptr, IDC_ARROW);
}

void WindowsEnd() {
  if (!windowsState) return;
  WindowClose(-1);
  UnregisterRetiredClasses();
  if (windowsState->icon) DestroyIcon(windowsState->icon);
  windowsState->icon = nullptr;
}

void ControlsInit() {
  CommonControlsInit(ICC_TAB_CLASSES | ICC_HOTKEY_CLASS | ICC_DATE_CLASSES | ICC_USEREX_CLASSES | ICC_INTERNET_CLASSES);
  CoInitialize(nullptr);
}

int WindowFrameCorrection() {
  static int correction = -1;
  if (correction < 0) {
    correction = 0;
    // Looked up at run time: dwmapi.dll is missing on some systems. The library stays loaded.
    if (HMODULE dwm = SystemLibraryLoad(L"dwmapi.dll")) {
      using CompositionEnabled = HRESULT(WINAPI*)(BOOL*);
      auto enabled = reinterpret_cast<CompositionEnabled>(
          reinterpret_cast<void (*)()>(GetProcAddress(dwm, "DwmIsCompositionEnabled")));
      BOOL on = FALSE;
      if (enabled && SUCCEEDED(enabled(&on)) && on) correction = 5;
    }
  }
  return correction;
}

WindowRecord* WindowRecordOf(std::int64_t number) {
  if (!windowsState) return nullptr;
  return static_cast<WindowRecord*>(ObjectTableLookup(windowsState->table, number));
}

WindowRecord* WindowRecordFromHandle(HWND window) {
  if (WindowRecord* record = CachedRecord(window)) return record;
  if (!window) return nullptr;
  HANDLE id = GetPropW(window, kWindowIdProperty);
  if (!id) return nullptr;
  const std::int64_t number = WindowNumberFromProperty(id);
  WindowRecord* record = WindowRecordOf(number);
  // A window of another process may carry the property too; it names none of ours.
  if (!record || record->handle != window) return nullptr;
  handleCache = HandleCache{window, number};
  return record;
}

std::int64_t WindowOpen(std::int64_t number, std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height,
                        const wchar_t* title, std::uint32_t flags) {
  if (!windowsState) return 0;
  auto* record = static_cast<WindowRecord*>(ObjectTableAllocate(windowsState->table, number));
  UnregisterRetiredClasses();
  if (!record) return 0;
  const bool dynamic = number == -1;
  if (dynamic) number = ObjectIdentity(record);
  const ClassName className(number);
  RegisterWindowClass(className);

  std::uint32_t style = flags;
  const bool noGadgetList = style & WindowNoGadgetList;
  style &= ~WindowNoGadgetList;
  if ((style & ~(WindowCentered | WindowCenterOnParent | WindowHidden)) == 0) style |= WS_CAPTION;
  const bool hidden = style & WindowHidden;
  style &= ~WindowHidden;
  const bool noActivate = style & WindowNoActivate;
  DWORD extendedStyle = 0;
  if (style & WindowTool) {
    style &= ~kToolWindowDropped;
    style |= WS_CAPTION;
    extendedStyle = WS_EX_TOOLWINDOW;
  }

  RECT outer{0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
  AdjustWindowRectEx(&outer, style & ~kOwnFlagBits, FALSE, extendedStyle);
  const int outerWidth = outer.right - outer.left;
  const int outerHeight = outer.bottom - outer.top;

  const bool centred = style & WindowCentered;
  const bool centredOnParent = style & WindowCenterOnParent;
  int left = static_cast<int>(x);
  int top = static_cast<int>(y);
  if (x == WindowDefaultPosition || (y == WindowDefaultPosition && !centred && !centredOnParent)) {
    left = top = CW_USEDEFAULT;
  } else if ((style & WS_CAPTION) == WS_CAPTION && (style & WS_THICKFRAME)) {
    left -= WindowFrameCorrection();
  }

  HWND handle = CreateWindowExW(extendedStyle, className.units, title ? title : L"",
                                style & ~(kOwnFlagBits | WindowNoActivate), left, top, outerWidth, outerHeight,
                                nullptr, nullptr, windowsState->instance, nullptr);
  if (!handle) {
    UnregisterClassW(className.units, windowsState->instance);
    ObjectTableRelease(windowsState->table, number);
    return 0;
  }
  record->handle = handle;
  record->ready = FALSE;
  SetPropW(handle, kWindowIdProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(number + 1)));

  if (centred && !centredOnParent) {
    RECT frame{};
    GetWindowRect(handle, &frame);
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    int frameWidth = frame.right - frame.left;
    int frameHeight = frame.bottom - frame.top;
    if (frameWidth > screenWidth) frameWidth = screenWidth;
    if (frameHeight > screenHeight) frameHeight = screenHeight;
    SetWindowPos(handle, nullptr, (screenWidth - frameWidth) / 2, (screenHeight - frameHeight) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  if (!hidden) {
    int show = SW_SHOWNORMAL;
    if (style & WS_MAXIMIZE) {
      show = noActivate ? SW_SHOWNA : SW_MAXIMIZE;
    } else if (style & WS_MINIMIZE) {
      show = noActivate ? SW_SHOWMINNOACTIVE : SW_SHOWMINIMIZED;
    } else if (noActivate) {
      show = SW_SHOWNOACTIVATE;
    }
    ShowWindow(handle, show);
  }
  if (style & (WS_MINIMIZE | WS_MAXIMIZE)) record->minMax = TRUE;
  ShortcutsInitNavigation(record);
  if (!noGadgetList) GadgetListUse(handle);
  record->ready = TRUE;
  return dynamic ? number : reinterpret_cast<std::int64_t>(handle);
}

HWND WindowHandle(std::int64_t number) {
  WindowRecord* record = WindowRecordOf(number);
  return record ? record->handle : nullptr;
}

std::int64_t WindowLeft(std::int64_t number) {
  WindowRecord* record = WindowRecordOf(number);
  if (!record) return 0;
  RECT frame{};
  GetWindowRect(record->handle, &frame);
  std::int64_t left = frame.left;
  if (GetWindowLongPtrW(record->handle, GWL_STYLE) & WS_THICKFRAME) left += WindowFrameCorrection();
  return left;
}

std::int64_t WindowTop(std::int64_t number) {
  WindowRecord* record = WindowRecordOf(number);
  if (!record) return 0;
  RECT frame{};
  GetWindowRect(record->handle, &frame);
  return frame.top;
}

void WindowClose(std::int64_t number) {
  if (!windowsState) return;
  if (number == -1) {
    ObjectTableReleaseAll(windowsState->table);
    return;
  }
  WindowRecord* record = WindowRecordOf(number);
  if (!record) return;
  HWND handle = record->handle;
  if (HWND owner = GetWindow(handle, GW_OWNER)) SetActiveWindow(owner);
  // WM_NCDESTROY releases the class, the slot and the queued events.
  DestroyWindow(handle);
  UnregisterRetiredClasses();
  EventQueueRemoveWindow(number);
}
