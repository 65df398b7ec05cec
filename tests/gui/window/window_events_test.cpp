// The window procedure's message-to-event table, row by row with real messages, and the
// events that real input produces through SendInput: clicks, a mouse move that EventWait
// returns as a message number, the order of events across a modal message loop.
#include <windows.h>

#include <gtest/gtest.h>

#include "gui/window/event_queue.h"
#include "gui/window/window.h"
#include "tests/gui/window/window_test_support.h"
#include "tests/support/win_test.h"

namespace {

constexpr std::int64_t kWindow = 2;
constexpr std::uint32_t kAppFlags = 0xCA0000;
constexpr LONG_PTR kMenuControlId = -10000;

enum class Source { None, Gadget, MenuControl, NotifyFromChild, DeviceContext };

struct MessageRow {
  const char* name;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  Source source;
  std::vector<Event> expected;
  LRESULT result;
  bool checkResult;
};

class MessageTableTest : public testing::TestWithParam<MessageRow> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(WindowOpen(kWindow, 40, 40, 240, 120, L"events", kAppFlags));
    window_ = WindowHandle(kWindow);
    gadget_ = CreateWindowExW(0, L"BUTTON", L"g", WS_CHILD | WS_VISIBLE, 5, 5, 50, 20, window_,
                              reinterpret_cast<HMENU>(5), GetModuleHandleW(nullptr), nullptr);
    menuControl_ = CreateWindowExW(0, L"BUTTON", L"m", WS_CHILD | WS_VISIBLE, 60, 5, 50, 20, window_, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(menuControl_, GWLP_ID, kMenuControlId);
    DiscardEvents();
  }
  void TearDown() override {
    WindowClose(kWindow);
    DiscardEvents();
  }
  HWND window_ = nullptr;
  HWND gadget_ = nullptr;
  HWND menuControl_ = nullptr;
};

TEST_P(MessageTableTest, TranslatesTheMessage) {
  const MessageRow& row = GetParam();
  LPARAM lParam = row.lParam;
  NMHDR header{};
  HDC dc = nullptr;
  switch (row.source) {
    case Source::Gadget: lParam = reinterpret_cast<LPARAM>(gadget_); break;
    case Source::MenuControl: lParam = reinterpret_cast<LPARAM>(menuControl_); break;
    case Source::NotifyFromChild:
      header = NMHDR{gadget_, 5, static_cast<UINT>(-2)};
      lParam = reinterpret_cast<LPARAM>(&header);
      break;
    case Source::DeviceContext: dc = GetDC(window_); break;
    case Source::None: break;
  }
  const WPARAM wParam = dc ? reinterpret_cast<WPARAM>(dc) : row.wParam;
  const LRESULT result = SendMessageW(window_, row.message, wParam, lParam);
  if (dc) ReleaseDC(window_, dc);
  if (row.checkResult) {
    EXPECT_EQ(result, row.result);
  }
  const std::vector<Event> got = CollectEvents(100);
  EXPECT_EQ(got, row.expected) << "got " << Describe(got) << ", expected " << Describe(row.expected);
  EXPECT_TRUE(IsWindow(window_));
}

std::vector<MessageRow> MessageRows() {
  const std::int64_t w = kWindow;
  return {
      {"Close", WM_CLOSE, 0, 0, Source::None, {{CloseWindowEvent, w, w, 0}}, 0, true},
      {"Move", WM_MOVE, 0, MAKELPARAM(7, 9), Source::None, {{MoveWindowEvent, w, w, 0}}, 0, true},
      {"SizeRestored", WM_SIZE, SIZE_RESTORED, 0, Source::None, {{SizeWindowEvent, 0, w, 0}}, 0, true},
      {"SizeMaxShow", WM_SIZE, SIZE_MAXSHOW, 0, Source::None, {{SizeWindowEvent, 0, w, 0}}, 0, true},
      {"SizeMinimized", WM_SIZE, SIZE_MINIMIZED, 0, Source::None, {{MinimizeWindowEvent, 0, w, 0}}, 0, true},
      {"SizeMaximized", WM_SIZE, SIZE_MAXIMIZED, 0, Source::None,
       {{MaximizeWindowEvent, 0, w, 0}, {SizeWindowEvent, 0, w, 0}}, 0, true},
      {"EraseBackground", WM_ERASEBKGND, 0, 0, Source::DeviceContext, {{RepaintEvent, 0, w, 0}}, 1, true},
      {"Timer", WM_TIMER, 7, 0, Source::None, {{TimerEvent, 7, w, 0}}, 0, true},
      {"LeftButtonUp", WM_LBUTTONUP, 0, MAKELPARAM(3, 3), Source::None, {{LeftClickEvent, 0, w, 0}}, 0, true},
      {"LeftDoubleClick", WM_LBUTTONDBLCLK, 0, 0, Source::None, {{LeftDoubleClickEvent, 0, w, 0}}, 0, true},
      {"RightButtonUp", WM_RBUTTONUP, 0, 0, Source::None, {{RightClickEvent, 0, w, 0}}, 0, true},
      {"LeftButtonDownNoEvent", WM_LBUTTONDOWN, 0, 0, Source::None, {}, 0, false},
      {"IconLeftUp", 12501, 9, WM_LBUTTONUP, Source::None, {{IconNotifyEvent, 9, w, 0}}, 0, true},
      {"IconLeftDouble", 12501, 9, WM_LBUTTONDBLCLK, Source::None, {{IconNotifyEvent, 9, w, 2}}, 0, true},
      {"IconRightUp", 12501, 9, WM_RBUTTONUP, Source::None, {{IconNotifyEvent, 9, w, 1}}, 0, true},
      {"IconRightDouble", 12501, 9, WM_RBUTTONDBLCLK, Source::None, {{IconNotifyEvent, 9, w, 3}}, 0, true},
      {"IconMouseMoveNoEvent", 12501, 9, WM_MOUSEMOVE, Source::None, {}, 0, true},
      {"MenuChoice", WM_COMMAND, 42, 0, Source::None, {{MenuEvent, 42, w, 0}}, 0, true},
      {"Accelerator", WM_COMMAND, MAKEWPARAM(77, 1), 0, Source::None, {{MenuEvent, 77, w, 0}}, 0, true},
      {"NavigationNextNoEvent", WM_COMMAND, MAKEWPARAM(64001, 1), 0, Source::None, {}, 0, true},
      {"NavigationPreviousNoEvent", WM_COMMAND, MAKEWPARAM(64002, 1), 0, Source::None, {}, 0, true},
      {"MenuItem64001IsAMenuEvent", WM_COMMAND, 64001, 0, Source::None, {{MenuEvent, 64001, w, 0}}, 0, true},
      {"GadgetChange", WM_COMMAND, MAKEWPARAM(5, 768), 0, Source::Gadget, {{GadgetEvent, 5, w, 768}}, 0, true},
      {"GadgetUpdate", WM_COMMAND, MAKEWPARAM(5, 1024), 0, Source::Gadget, {{GadgetEvent, 5, w, 1024}}, 0, true},
      {"GadgetClick", WM_COMMAND, MAKEWPARAM(5, BN_CLICKED), 0, Source::Gadget, {{GadgetEvent, 5, w, 0}}, 0, true},
      {"ControlMinus10000IsAMenuEvent", WM_COMMAND, MAKEWPARAM(3, BN_CLICKED), 0, Source::MenuControl,
       {{MenuEvent, 3, w, 0}}, 0, true},
      {"Activate", WM_ACTIVATE, WA_ACTIVE, 0, Source::None, {{ActivateWindowEvent, 0, w, 0}}, 1, true},
      {"ClickActivate", WM_ACTIVATE, WA_CLICKACTIVE, 0, Source::None, {{ActivateWindowEvent, 0, w, 0}}, 1, true},
      {"Deactivate", WM_ACTIVATE, WA_INACTIVE, 0, Source::None, {{DeactivateWindowEvent, 0, w, 0}}, 1, true},
      {"NotifyFromANonGadget", WM_NOTIFY, 5, 0, Source::NotifyFromChild, {}, 0, true},
      {"AppMessageNoEvent", WM_APP + 1, 0, 0, Source::None, {}, 0, true},
  };
}

INSTANTIATE_TEST_SUITE_P(Rows, MessageTableTest, testing::ValuesIn(MessageRows()),
                         [](const testing::TestParamInfo<MessageRow>& info) { return std::string(info.param.name); });

class WindowEventsTest : public MessageTableTest {};

TEST_F(WindowEventsTest, IconNotifyWakesAWaitingEventWait) {
  SendMessageW(window_, 12501, 1, WM_LBUTTONUP);
  MSG message{};
  EXPECT_TRUE(PeekMessageW(&message, window_, WM_NULL, WM_NULL, PM_NOREMOVE)) << "no WM_NULL was posted";
  DiscardEvents();
}

TEST_F(WindowEventsTest, RestoreOnlyAfterMinimiseOrMaximise) {
  SendMessageW(window_, WM_SIZE, SIZE_RESTORED, 0);
  SendMessageW(window_, WM_SIZE, SIZE_MINIMIZED, 0);
  SendMessageW(window_, WM_SIZE, SIZE_RESTORED, 0);
  SendMessageW(window_, WM_SIZE, SIZE_RESTORED, 0);
  const std::vector<Event> got = CollectEvents(100);
  // Each size post first removes the queued ones, so the first SizeWindowEvent is gone.
  const std::vector<Event> expected{{MinimizeWindowEvent, 0, kWindow, 0},
                                    {RestoreWindowEvent, 0, kWindow, 0},
                                    {SizeWindowEvent, 0, kWindow, 0}};
  EXPECT_EQ(got, expected) << "got " << Describe(got);
}

TEST_F(WindowEventsTest, MovesCoalesceUntilTaken) {
  for (int step = 0; step < 5; ++step) SetWindowPos(window_, nullptr, 50 + step, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  std::vector<Event> moves = OfKind(CollectEvents(100), MoveWindowEvent);
  EXPECT_EQ(moves.size(), 1u) << Describe(moves);
  SetWindowPos(window_, nullptr, 80, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  moves = OfKind(CollectEvents(100), MoveWindowEvent);
  EXPECT_EQ(moves.size(), 1u) << "a move after the last one was taken is queued again";
  EXPECT_EQ(WindowLeft(kWindow), 80);
}

// A move made by another thread reaches the window as a sent message, which GetMessageW
// dispatches without returning. EventWait must still hand out the move at once, not only when
// some later input arrives (a late WM_APP marks "later" here).
TEST_F(WindowEventsTest, AMoveFromAnotherThreadIsReturnedWithoutFurtherInput) {
  constexpr UINT kLater = WM_APP + 7;
  struct Mover {
    HWND window;
    static DWORD WINAPI Run(void* parameter) {
      auto* mover = static_cast<Mover*>(parameter);
      Sleep(150);
      SetWindowPos(mover->window, nullptr, 91, 64, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      Sleep(2000);
      PostMessageW(mover->window, kLater, 0, 0);
      return 0;
    }
  } mover{window_};
  HANDLE thread = CreateThread(nullptr, 0, Mover::Run, &mover, 0, nullptr);
  std::int64_t first = 0;
  std::vector<std::int64_t> returned;
  for (int call = 0; call < 200 && first != MoveWindowEvent && first != kLater; ++call) {
    first = EventWait();
    returned.push_back(first);
  }
  EXPECT_EQ(first, MoveWindowEvent) << "EventWait returned " << testing::PrintToString(returned);
  WaitForSingleObject(thread, 5000);
  CloseHandle(thread);
  DiscardEvents();
  EXPECT_EQ(WindowLeft(kWindow), 91);
}

void MouseButton(DWORD down, DWORD up, int clicks) {
  std::vector<INPUT> inputs;
  for (int click = 0; click < clicks; ++click) {
    for (DWORD flag : {down, up}) {
      INPUT input{};
      input.type = INPUT_MOUSE;
      input.mi.dwFlags = flag;
      inputs.push_back(input);
    }
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// Real input can be dropped on a window just shown: retry once the effect is missing.
std::vector<Event> ClickAndCollect(HWND window, DWORD down, DWORD up, int clicks, std::int64_t kind) {
  std::vector<Event> found;
  for (int attempt = 0; attempt < 3 && found.empty(); ++attempt) {
    POINT point{150, 80};
    ClientToScreen(window, &point);
    wintest::MoveMouseTo(point.x, point.y);
    DiscardEvents();
    MouseButton(down, up, clicks);
    found = OfKind(CollectEvents(300), kind);
  }
  return found;
}

TEST_F(WindowEventsTest, RealClicksOnTheWindow) {
  ASSERT_TRUE(wintest::BringToFront(window_));
  struct Row {
    const char* name;
    DWORD down, up;
    int clicks;
    std::int64_t kind;
  };
  for (const Row& row : {Row{"left", MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, 1, LeftClickEvent},
                         Row{"right", MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, 1, RightClickEvent},
                         Row{"double", MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, 2, LeftDoubleClickEvent}}) {
    const std::vector<Event> got = ClickAndCollect(window_, row.down, row.up, row.clicks, row.kind);
    ASSERT_EQ(got.size(), 1u) << row.name << ": " << Describe(got);
    EXPECT_EQ(got[0], (Event{row.kind, 0, kWindow, 0})) << row.name;
    Sleep(GetDoubleClickTime() + 50);  // the next click is no double click
  }
}

TEST_F(WindowEventsTest, AMouseMoveIsReturnedAsItsMessageNumber) {
  ASSERT_TRUE(wintest::BringToFront(window_));
  bool seen = false;
  for (int attempt = 0; attempt < 3 && !seen; ++attempt) {
    DiscardEvents();
    EventPost(GadgetEvent, 8, kWindow, 0);
    ASSERT_EQ(EventWait(), GadgetEvent);
    POINT point{100 + attempt * 7, 60};
    ClientToScreen(window_, &point);
    std::vector<INPUT> inputs(1);
    inputs[0].type = INPUT_MOUSE;
    inputs[0].mi.dx = static_cast<LONG>((point.x * 65535LL + GetSystemMetrics(SM_CXSCREEN) / 2) /
                                        (GetSystemMetrics(SM_CXSCREEN) - 1));
    inputs[0].mi.dy = static_cast<LONG>((point.y * 65535LL + GetSystemMetrics(SM_CYSCREEN) / 2) /
                                        (GetSystemMetrics(SM_CYSCREEN) - 1));
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, inputs.data(), sizeof(INPUT));
    const ULONGLONG end = GetTickCount64() + 1000;
    MSG message;
    while (!seen && GetTickCount64() < end) {
      if (EventQueueLength() == 0 && !PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
        Sleep(5);
        continue;
      }
      const bool queued = EventQueueLength() > 0;
      const std::int64_t got = EventWait();
      if (!queued && got == WM_MOUSEMOVE) {
        seen = true;
        EXPECT_EQ(EventSubtype(), -1);
        EXPECT_EQ(EventGadgetNumber(), 8) << "the last event's object stays";
        EXPECT_EQ(EventQueueLength(), 0) << "a mouse move queued an event";
      }
    }
  }
  EXPECT_TRUE(seen) << "EventWait never returned 512";
}

struct ModalContext {
  HWND window;
  DWORD guiThread;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  if (lstrcmpW(name, L"#32770") == 0) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

DWORD WINAPI CloseDuringModal(void* context) {
  auto* modal = static_cast<ModalContext*>(context);
  HWND box = nullptr;
  for (int wait = 0; wait < 500 && !box; ++wait) {
    EnumThreadWindows(modal->guiThread, FindDialog, reinterpret_cast<LPARAM>(&box));
    if (!box) Sleep(10);
  }
  if (!box) return 1;
  PostMessageW(modal->window, WM_CLOSE, 0, 0);  // dispatched by the box's own loop
  Sleep(200);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  return 0;
}

TEST_F(WindowEventsTest, EventsWaitInOrderAcrossAModalLoop) {
  EventPost(MenuEvent, 2, kWindow, 0);
  ModalContext context{window_, GetCurrentThreadId()};
  HANDLE thread = CreateThread(nullptr, 0, CloseDuringModal, &context, 0, nullptr);
  MessageBoxW(window_, L"modal", L"modal", MB_OK);
  WaitForSingleObject(thread, 10000);
  DWORD code = 1;
  GetExitCodeThread(thread, &code);
  CloseHandle(thread);
  ASSERT_EQ(code, 0u) << "the message box was not found";
  ASSERT_GE(EventQueueLength(), 2);
  EXPECT_EQ(EventWait(), MenuEvent) << "the event posted before the modal loop comes first";
  EXPECT_EQ(EventMenuItem(), 2);
  const std::vector<Event> closes = OfKind(CollectEvents(100), CloseWindowEvent);
  ASSERT_EQ(closes.size(), 1u);
  EXPECT_EQ(closes[0].window, kWindow);
}

}  // namespace
