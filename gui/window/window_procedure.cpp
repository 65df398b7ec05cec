#include "gui/window/window_procedure.h"

#include <ole2.h>

#include "gui/gadget/gadget_hooks.h"
#include "gui/not_handled.h"
#include "gui/window/busy_cursor.h"
#include "gui/window/event_queue.h"
#include "gui/window/navigation.h"
#include "gui/window/shortcut.h"
#include "gui/window/window_class.h"
#include "gui/window/window_record.h"

namespace {

constexpr UINT kIconNotifyMessage = 12501;
constexpr UINT kGadgetParentMessage = 13120;
constexpr LONG_PTR kMenuControlId = -10000;

LRESULT Offer(HWND control, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!control) return static_cast<LRESULT>(NotHandled);
  return GadgetOfferMessage(control, window, message, wParam, lParam);
}

LRESULT OnCommand(HWND window, const WindowOwner& owner, WPARAM wParam, LPARAM lParam) {
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
  } else if (!ShortcutFromHeldKey()) {
    EventPost(MenuEvent, LOWORD(wParam), owner.number, 0);
  }
  return 0;
}

LRESULT OnSize(const WindowOwner& owner, WPARAM wParam) {
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

LRESULT OnActivate(HWND window, const WindowOwner& owner, WPARAM wParam) {
  // Keys pressed or released while another window had the keyboard count from here on.
  KeyStateForget();
  if (LOWORD(wParam) != WA_INACTIVE) {
    WindowFocusGiveBack(window);
    EventPost(ActivateWindowEvent, 0, owner.number, 0);
  } else {
    WindowFocusRemember(window);
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

LRESULT OnNcDestroy(HWND window) {
  const std::int64_t number = WindowNumberOf(window);
  if (number == -1) return static_cast<LRESULT>(NotHandled);
  RemovePropW(window, FocusProperty);
  RemovePropW(window, WindowIdProperty);
  if (RemovePropW(window, DropAcceptProperty)) RevokeDragDrop(window);
  if (WindowRecord* record = WindowRecordOf(number)) ShortcutsRelease(record);
  WindowClassUnregister(number);
  WindowRecordRelease(number);
  EventQueueRemoveWindow(number);
  return 1;
}

LRESULT HandleMessage(HWND window, const WindowOwner& owner, UINT message, WPARAM wParam, LPARAM lParam) {
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
    case WM_SETCURSOR:
      return BusyCursorAnswer() ? TRUE : static_cast<LRESULT>(NotHandled);
    case WM_SYSCOLORCHANGE:
      if (owner.record) EnumChildWindows(window, SendSysColorChange, 0);
      return static_cast<LRESULT>(NotHandled);
    case WM_NCDESTROY:
      return OnNcDestroy(window);
    default:
      return static_cast<LRESULT>(NotHandled);
  }
}

}  // namespace

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const WindowOwner owner = WindowOwnerOf(window);
  const LRESULT result = HandleMessage(window, owner, message, wParam, lParam);
  SetLastError(0);
  if (result == static_cast<LRESULT>(NotHandled)) return DefWindowProcW(window, message, wParam, lParam);
  return result;
}

