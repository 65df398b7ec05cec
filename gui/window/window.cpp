#include "gui/window/window.h"

#include <commctrl.h>
#include <ole2.h>

#include "gui/gadget/gadget_hooks.h"
#include "gui/window/event_queue.h"
#include "gui/window/monitor_work_area.h"
#include "gui/window/shortcut.h"
#include "gui/window/window_class.h"
#include "gui/window/window_procedure.h"
#include "gui/window/window_record.h"
#include "runtime/common_controls.h"
#include "runtime/system_library.h"

namespace {

// WS_MINIMIZE | WS_MAXIMIZE | WS_MINIMIZEBOX | WS_MAXIMIZEBOX: what a tool window drops.
constexpr std::uint32_t kToolWindowDropped = 0x21030000;
constexpr std::uint32_t kOwnFlagBits = 0x7;

}  // namespace

void WindowsInit() {
  WindowTableCreate(WindowClose);
  WindowClassesInit();
}

void WindowsEnd() {
  WindowClose(-1);
  WindowClassesEnd();
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
      const auto enabled = SystemLibraryEntry<CompositionEnabled>(dwm, "DwmIsCompositionEnabled");
      BOOL on = FALSE;
      if (enabled && SUCCEEDED(enabled(&on)) && on) correction = 5;
    }
  }
  return correction;
}

std::int64_t WindowOpen(std::int64_t number, std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height,
                        const wchar_t* title, std::uint32_t flags) {
  WindowRecord* record = WindowRecordAllocate(number);
  WindowClassesUnregisterRetired();
  if (!record) return 0;
  const bool dynamic = number == -1;
  if (dynamic) number = ObjectIdentity(record);
  const WindowClassName className(number);
  WindowClassRegister(className, WindowProc);

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
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!handle) {
    WindowClassUnregister(number);
    WindowRecordRelease(number);
    return 0;
  }
  record->handle = handle;
  record->ready = FALSE;
  WindowIdentitySet(handle, number);

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

POINT WindowRestoredPosition(std::int64_t number) {
  WindowRecord* record = WindowRecordOf(number);
  if (!record) return POINT{0, 0};
  HWND handle = record->handle;
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if ((!IsIconic(handle) && !IsZoomed(handle)) || !GetWindowPlacement(handle, &placement)) {
    return POINT{static_cast<LONG>(WindowLeft(number)), static_cast<LONG>(WindowTop(number))};
  }
  POINT at = PlacementToScreen(handle, POINT{placement.rcNormalPosition.left, placement.rcNormalPosition.top});
  if (GetWindowLongPtrW(handle, GWL_STYLE) & WS_THICKFRAME) at.x += WindowFrameCorrection();
  return at;
}

void WindowClose(std::int64_t number) {
  if (number == -1) {
    WindowRecordReleaseAll();
    return;
  }
  WindowRecord* record = WindowRecordOf(number);
  if (!record) return;
  HWND handle = record->handle;
  if (HWND owner = GetWindow(handle, GW_OWNER)) SetActiveWindow(owner);
  // WM_NCDESTROY releases the class, the slot and the queued events.
  DestroyWindow(handle);
  WindowClassesUnregisterRetired();
  EventQueueRemoveWindow(number);
}
