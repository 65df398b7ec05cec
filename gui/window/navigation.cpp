#include "gui/window/navigation.h"

#include "gui/window/key_message.h"
#include "gui/window/window_record.h"

namespace {

// Whether a modifier was down when the key state was last read; it holds until the next input
// message.
struct ModifierMemo {
  bool known;
  bool down;
};
ModifierMemo modifiers{};

struct NavigationStep {
  HWND start;
  HWND previous;
  bool takeNext;
  bool done;
};

bool IsTabStop(HWND window) {
  return IsWindowEnabled(window) && IsWindowVisible(window) && (GetWindowLongPtrW(window, GWL_STYLE) & WS_TABSTOP);
}

BOOL CALLBACK VisitForward(HWND window, LPARAM context) {
  auto* step = reinterpret_cast<NavigationStep*>(context);
  if (!IsTabStop(window)) return TRUE;
  if (step->takeNext) {
    SetFocus(window);
    step->takeNext = false;
    return FALSE;
  }
  if (!step->start) {
    SetFocus(window);
    return FALSE;
  }
  if (window == step->start) step->takeNext = true;
  return TRUE;
}

BOOL CALLBACK VisitBackward(HWND window, LPARAM context) {
  auto* step = reinterpret_cast<NavigationStep*>(context);
  if (!IsTabStop(window)) return TRUE;
  if (window == step->start && step->previous) {
    SetFocus(step->previous);
    step->done = true;
    return FALSE;
  }
  step->previous = window;
  return TRUE;
}

}  // namespace

void FocusNext(int backwards) {
  HWND active = GetActiveWindow();
  HWND focus = GetFocus();
  HWND container = active;
  NavigationStep step{};
  if (focus && IsChild(active, focus)) {
    step.start = focus;
    // Composite controls are one stop: the step starts from the outermost one around the
    // focus, and inside an MDI child only that child's controls are visited.
    for (HWND walk = focus; walk; walk = GetParent(walk)) {
      wchar_t className[50] = {};
      GetClassNameW(walk, className, 50);
      if (lstrcmpW(className, L"MDI_ChildClass") == 0) {
        container = walk;
        if (walk == focus) step.start = nullptr;
      } else if (lstrcmpW(className, L"ComboBoxEx32") == 0) {
        if (GetWindowLongPtrW(walk, GWL_STYLE) & CBS_SIMPLE) step.start = walk;
      } else if (lstrcmpW(className, L"SysIPAddress32") == 0) {
        step.start = walk;
      }
    }
  }
  if (!container) return;
  const LPARAM context = reinterpret_cast<LPARAM>(&step);
  if (!backwards) {
    EnumChildWindows(container, VisitForward, context);
    // The start was the last tab stop: wrap to the first.
    if (step.takeNext) EnumChildWindows(container, VisitForward, context);
    return;
  }
  EnumChildWindows(container, VisitBackward, context);
  if (!step.done && step.previous) SetFocus(step.previous);
}

void KeyboardCues(HWND window, int show) {
  constexpr LRESULT kHidden = UISF_HIDEFOCUS | UISF_HIDEACCEL;
  const LRESULT state = SendMessageW(window, WM_QUERYUISTATE, 0, 0);
  if (show) {
    if (state & kHidden) SendMessageW(window, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, kHidden), 0);
  } else if ((state & kHidden) != kHidden) {
    SendMessageW(window, WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, kHidden), 0);
  }
}

bool PressFocusedButton(HWND active, const MSG& message) {
  // Alt+Enter arrives as WM_SYSKEYDOWN; Control+Enter and Shift+Enter stay the shortcuts' keys.
  if (message.message != WM_KEYDOWN || message.wParam != VK_RETURN) return false;
  if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_SHIFT) < 0) return false;
  HWND focus = GetFocus();
  if (!focus || !IsChild(active, focus) || !WindowRecordFromHandle(active)) return false;
  // The dialog manager's rule (IsDialogMessageW): Enter on a control that says it is a push
  // button (WM_GETDLGCODE) presses that button, whatever else Enter is bound to. A push button
  // itself acts on Space only, so it is clicked here: BM_CLICK gives it the button-down and -up
  // a click gives, and its parent the one BN_CLICKED, which is that button's gadget event.
  if (!(SendMessageW(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) return false;
  // A held Enter presses the button once: its repeats are taken and do nothing.
  if (!KeyDownRepeated(message)) SendMessageW(focus, BM_CLICK, 0, 0);
  return true;
}

KeyState KeyStateRead() {
  KeyState state{};
  GetKeyboardState(state.keys);
  modifiers = ModifierMemo{true, state.ModifierDown()};
  return state;
}

void KeyStateAfterDispatch(UINT message) {
  // The dispatch of an input message may have run a loop of its own (a menu, a move, a
  // requester) that took key messages past EventWait.
  if (IsInputMessage(message)) modifiers.known = false;
}

void KeyStateForget() { modifiers.known = false; }

void KeyboardCuesWhileModifierDown() {
  if (!modifiers.known) KeyStateRead();
  if (!modifiers.down) return;
  if (HWND active = GetActiveWindow()) KeyboardCues(active, 1);
}

void WindowFocusRemember(HWND window) {
  if (WindowNumberOf(window) == -1) return;
  // When none of its controls has the focus (the window lost it when it was disabled), the
  // control kept before stays.
  HWND focus = GetFocus();
  if (focus && IsChild(window, focus)) SetPropW(window, FocusProperty, focus);
}

void WindowFocusGiveBack(HWND window) {
  if (WindowNumberOf(window) == -1 || GetActiveWindow() != window) return;
  // A handle that is no longer one of this window's controls (destroyed, perhaps reused) is
  // left alone.
  auto* focus = static_cast<HWND>(GetPropW(window, FocusProperty));
  if (focus && IsChild(window, focus)) SetFocus(focus);
}
