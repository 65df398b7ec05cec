#include "app/main_window.h"

#include <windows.h>
#include <commctrl.h>

#include "app/app_state.h"
#include "gui/gadget/button_gadget.h"
#include "gui/gadget/edit_gadget.h"
#include "gui/gadget/gadget.h"
#include "gui/gadget/label_gadget.h"
#include "gui/window/menu.h"
#include "gui/window/monitor_work_area.h"
#include "gui/window/shortcut.h"
#include "gui/window/window.h"

namespace {

// A caption with the system menu and the minimise box; no maximise box, no sizing border.
constexpr std::uint32_t MainWindowStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
static_assert(MainWindowStyle == 0xCA0000);

// A grey hint in an empty edit field, kept while the field has the focus (wParam TRUE).
void SetCue(std::int64_t gadget, const wchar_t* cue) {
  SendMessageW(GadgetHandle(gadget), EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(cue));
}

}  // namespace

Text CounterText(std::int64_t charsLeft) {
  const Text count = NumberToText(charsLeft);
  return TextJoin({L"User Notification:\r\n(", count.c_str(), L" Chars Left)"});
}

bool MainWindowOpen() {
  // CreateWindowExW opens a window where it is told, on no monitor if need be: the stored
  // position may be on a monitor unplugged since, a laptop's dock, a larger remote session; and
  // 0, 0 may be under a taskbar at the top or the left. The frame is placed wholly in a work area.
  RECT frame{0, 0, static_cast<LONG>(app.windowWidth), static_cast<LONG>(app.windowHeight + MenuBarHeight())};
  AdjustWindowRectEx(&frame, MainWindowStyle, FALSE, 0);
  const POINT at = WorkAreaPosition(app.windowX, app.windowY, frame.right - frame.left, frame.bottom - frame.top);
  app.windowX = at.x;
  app.windowY = at.y;
  if (WindowOpen(MainWindow, app.windowX, app.windowY, app.windowWidth, app.windowHeight + MenuBarHeight(),
                 app.windowTitle.c_str(), MainWindowStyle) == 0) {
    return false;
  }

  MenuCreate(MainMenu, WindowHandle(MainWindow));
  MenuAddTitle(L"File");
  MenuAddItem(QuitItem, L"&Quit\tCtrl+Q");
  MenuAddTitle(L"Help");
  MenuAddItem(AboutItem, L"&About...\tCtrl+A");

  ShortcutAdd(MainWindow, ShortcutControl | 'Q', QuitItem);
  ShortcutAdd(MainWindow, ShortcutControl | 'A', AboutItem);
  ShortcutAdd(MainWindow, VK_RETURN, SubmitItem);

  // The menus exist only as the shortcuts' targets. Detaching the bar gives its height back to
  // the client area, which the button row below 130 relies on.
  MenuHide(MainMenu, 1);

  GadgetCreateLabel(NameLabel, 5, 14, 60, 20, L"PC Name:", 0);
  GadgetCreateEdit(NameField, 65, 12, 240, 20, L"", 0);
  SetCue(NameField, L"Enter Computer Name or IP");
  GadgetCreateLabel(TimeoutLabel, 5, 48, 164, 20, L"Timeout in seconds (30-1800):", 0);
  GadgetCreateEdit(TimeoutField, 170, 45, 50, 20, L"30", ES_NUMBER);
  GadgetCreateEdit(NoticeField, 105, 77, 200, 20, L"", 0);
  SetCue(NoticeField, L"Enter Reason for Reboot");
  GadgetSetAttribute(NoticeField, MaxLength, NoticeLimit);
  GadgetCreateLabel(CounterLabel, 5, 76, 100, 30, CounterText(app.charsLeft).c_str(), 0);
  // Screen readers name an edit field by the label just before it in the z-order, and the
  // counter is the notice field's label. Labels are no tab stops: the tab order stays.
  SetWindowPos(GadgetHandle(CounterLabel), GadgetHandle(TimeoutField), 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
  GadgetCreateButton(ResetButton, 10, 115, 105, 25, L"Reset Credentials", 0);
  GadgetCreateButton(SubmitButton, 221, 115, 85, 25, L"Submit", 0);

  GadgetSetFocus(NameField);
  return true;
}
