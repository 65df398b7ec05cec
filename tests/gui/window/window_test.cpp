// Numbered windows: geometry of WindowOpen, its flag table, reopening a number, minimising,
// maximising and restoring, the focus kept across deactivation, and the cleanup that
// WM_NCDESTROY does however the window is destroyed.
#include <windows.h>

#include <gtest/gtest.h>

#include "gui/gadget/gadget_hooks.h"
#include "gui/window/event_queue.h"
#include "gui/window/menu.h"
#include "gui/window/shortcut.h"
#include "gui/window/window.h"
#include "tests/gui/window/window_test_support.h"
#include "tests/support/win_test.h"

namespace {

constexpr std::uint32_t kAppFlags = 0xCA0000;  // WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX

class WindowTest : public testing::Test {
 protected:
  void SetUp() override { DiscardEvents(); }
  void TearDown() override {
    WindowClose(-1);
    DiscardEvents();
  }
};

bool ClassExists(const wchar_t* name) {
  WNDCLASSEXW info{};
  info.cbSize = sizeof info;
  return GetClassInfoExW(GetModuleHandleW(nullptr), name, &info) != FALSE;
}

// What the platform says about desktop composition, asked the way the layer must ask.
int ExpectedFrameCorrection() {
  HMODULE dwm = LoadLibraryW(L"dwmapi.dll");
  if (!dwm) return 0;
  using CompositionEnabled = HRESULT(WINAPI*)(BOOL*);
  auto enabled = reinterpret_cast<CompositionEnabled>(
      reinterpret_cast<void (*)()>(GetProcAddress(dwm, "DwmIsCompositionEnabled")));
  BOOL on = FALSE;
  return enabled && SUCCEEDED(enabled(&on)) && on ? 5 : 0;
}

TEST_F(WindowTest, TheApplicationsWindowHasExactlyTheClientSizeAtTheFramePosition) {
  const std::int64_t height = 130 + MenuBarHeight();
  const std::int64_t result = WindowOpen(0, 100, 80, 320, height, L"Reboot PC", kAppFlags);
  HWND window = WindowHandle(0);
  ASSERT_TRUE(window);
  EXPECT_EQ(result, reinterpret_cast<std::int64_t>(window)) << "a chosen number returns the handle";
  const SIZE client = ClientSize(window);
  EXPECT_EQ(client.cx, 320);
  EXPECT_EQ(client.cy, height);
  const RECT frame = Frame(window);
  EXPECT_EQ(frame.left, 100);
  EXPECT_EQ(frame.top, 80);
  EXPECT_EQ(WindowLeft(0), 100) << "no sizing border, no correction";
  EXPECT_EQ(WindowTop(0), 80);

  wchar_t title[32] = {};
  GetWindowTextW(window, title, 32);
  EXPECT_STREQ(title, L"Reboot PC");
  const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
  EXPECT_EQ(style & kAppFlags, static_cast<LONG_PTR>(kAppFlags));
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MAXIMIZEBOX));
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(GetPropW(window, L"Orv_WindowID"), reinterpret_cast<HANDLE>(1));

  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  EXPECT_STREQ(className, L"WindowClass_0");
  EXPECT_EQ(GetClassLongPtrW(window, GCL_STYLE), static_cast<ULONG_PTR>(CS_DBLCLKS));
  EXPECT_EQ(GetClassLongPtrW(window, GCLP_HBRBACKGROUND), static_cast<ULONG_PTR>(COLOR_BTNFACE + 1));
  EXPECT_EQ(reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICON)),
            LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1)));
  EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrW(window, GCLP_HCURSOR)), LoadCursorW(nullptr, IDC_ARROW));

  const std::vector<Event> events = CollectEvents(300);
  EXPECT_TRUE(OfKind(events, MoveWindowEvent).empty()) << "opening queued " << Describe(events);
  EXPECT_TRUE(OfKind(events, SizeWindowEvent).empty()) << "opening queued " << Describe(events);
}

TEST_F(WindowTest, UnknownNumbersGiveZero) {
  EXPECT_EQ(WindowHandle(7), nullptr);
  EXPECT_EQ(WindowLeft(7), 0);
  EXPECT_EQ(WindowTop(7), 0);
  EXPECT_EQ(WindowHandle(-5), nullptr);
  WindowClose(7);  // nothing to close
}

TEST_F(WindowTest, DefaultPositionsAreChosenByWindows) {
  struct Row {
    std::int64_t x, y;
    std::uint32_t flags;
  };
  for (const Row row : {Row{WindowDefaultPosition, 40, kAppFlags}, Row{40, WindowDefaultPosition, kAppFlags},
                        Row{WindowDefaultPosition, WindowDefaultPosition, kAppFlags}}) {
    ASSERT_TRUE(WindowOpen(1, row.x, row.y, 200, 100, L"", row.flags));
    const RECT frame = Frame(WindowHandle(1));
    EXPECT_GT(frame.left, -1000) << "x " << row.x << " y " << row.y;
    EXPECT_GT(frame.top, -1000) << "x " << row.x << " y " << row.y;
    EXPECT_LT(frame.left, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_LT(frame.top, GetSystemMetrics(SM_CYSCREEN));
    if (row.x != WindowDefaultPosition) {
      EXPECT_NE(frame.left, row.x) << "y -65535 defaults x as well";
    }
  }
}

TEST_F(WindowTest, CentringMovesTheFrameToTheScreenCentre) {
  ASSERT_TRUE(WindowOpen(1, 3, 4, 200, 100, L"", kAppFlags | WindowCentered));
  const RECT frame = Frame(WindowHandle(1));
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  EXPECT_EQ(frame.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
  EXPECT_EQ(frame.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
  // y -65535 with a centring bit is no default position: the centring places the window.
  ASSERT_TRUE(WindowOpen(1, 3, WindowDefaultPosition, 200, 100, L"", kAppFlags | WindowCentered));
  EXPECT_EQ(Frame(WindowHandle(1)).top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
  // Bit 0x2 (centre on the parent) switches centring off: there is no parent.
  ASSERT_TRUE(WindowOpen(1, 30, 40, 200, 100, L"", kAppFlags | WindowCentered | WindowCenterOnParent));
  EXPECT_EQ(Frame(WindowHandle(1)).left, 30);
  EXPECT_EQ(Frame(WindowHandle(1)).top, 40);
}

struct FlagRow {
  const char* name;
  std::uint32_t flags;
  LONG_PTR styleSet;
  LONG_PTR styleClear;
  bool toolWindow;
  bool visible;
};

class WindowFlagTest : public WindowTest, public testing::WithParamInterface<FlagRow> {};

TEST_P(WindowFlagTest, TranslatesTheFlags) {
  const FlagRow& row = GetParam();
  ASSERT_TRUE(WindowOpen(2, 50, 60, 150, 90, L"flags", row.flags));
  HWND window = WindowHandle(2);
  const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
  EXPECT_EQ(style & row.styleSet, row.styleSet) << std::hex << "style " << style;
  EXPECT_EQ(style & row.styleClear, 0) << std::hex << "style " << style;
  EXPECT_EQ((GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0, row.toolWindow);
  EXPECT_EQ(IsWindowVisible(window) != FALSE, row.visible);
  if (!(row.flags & (WS_MINIMIZE | WS_MAXIMIZE))) {
    EXPECT_EQ(ClientSize(window).cx, 150);
    EXPECT_EQ(ClientSize(window).cy, 90);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WindowFlagTest,
    testing::Values(
        FlagRow{"NoStyleGetsACaption", 0, WS_CAPTION, WS_SYSMENU, false, true},
        FlagRow{"CentredOnlyGetsACaption", WindowCentered, WS_CAPTION, 0, false, true},
        FlagRow{"HiddenOnlyGetsACaption", WindowHidden, WS_CAPTION, WS_VISIBLE, false, false},
        FlagRow{"ToolWindowDropsMinMax", WindowTool | kAppFlags | WS_MAXIMIZEBOX, WS_CAPTION | WS_SYSMENU,
                WS_MINIMIZEBOX | WS_MAXIMIZEBOX, true, true},
        FlagRow{"ToolWindowAddsACaption", WindowTool | WS_POPUP | WS_BORDER, WS_CAPTION, 0, true, true},
        FlagRow{"NoGadgetListIsNoStyle", WindowNoGadgetList | kAppFlags, kAppFlags, 0, false, true},
        FlagRow{"NoActivateIsNoStyle", WindowNoActivate | kAppFlags, kAppFlags, WS_CLIPCHILDREN, false, true},
        FlagRow{"Hidden", WindowHidden | kAppFlags, kAppFlags, WS_VISIBLE, false, false},
        FlagRow{"Minimised", WS_MINIMIZE | kAppFlags, WS_MINIMIZE, 0, false, true},
        FlagRow{"Maximised", WS_MAXIMIZE | WS_OVERLAPPEDWINDOW, WS_MAXIMIZE, 0, false, true}),
    [](const testing::TestParamInfo<FlagRow>& info) { return std::string(info.param.name); });

TEST_F(WindowTest, ShowModesFollowTheFlags) {
  ASSERT_TRUE(WindowOpen(1, 10, 10, 150, 90, L"one", kAppFlags));
  EXPECT_TRUE(wintest::BringToFront(WindowHandle(1)));
  ASSERT_TRUE(WindowOpen(2, 200, 10, 150, 90, L"quiet", kAppFlags | WindowNoActivate));
  wintest::Pump(100);
  EXPECT_TRUE(IsWindowVisible(WindowHandle(2)));
  EXPECT_EQ(GetActiveWindow(), WindowHandle(1)) << "0x02000000 shows without activating";
  ASSERT_TRUE(WindowOpen(3, 10, 200, 150, 90, L"min", kAppFlags | WS_MINIMIZE));
  EXPECT_TRUE(IsIconic(WindowHandle(3)));
  ASSERT_TRUE(WindowOpen(4, 10, 200, 150, 90, L"max", WS_OVERLAPPEDWINDOW | WS_MAXIMIZE));
  EXPECT_TRUE(IsZoomed(WindowHandle(4)));
  const std::vector<Event> events = CollectEvents(200);
  EXPECT_TRUE(OfKind(events, MinimizeWindowEvent).empty()) << Describe(events);
  EXPECT_TRUE(OfKind(events, MaximizeWindowEvent).empty()) << Describe(events);
  // The minmax mark was set by the opening: restoring reports it.
  ShowWindow(WindowHandle(3), SW_RESTORE);
  std::vector<Event> restored = OfKind(CollectEvents(200), RestoreWindowEvent);
  ASSERT_EQ(restored.size(), 1u);
  EXPECT_EQ(restored[0].window, 3);
}

TEST_F(WindowTest, TheNoGadgetListFlagLeavesTheCurrentListAlone) {
  ASSERT_TRUE(WindowOpen(1, 10, 10, 150, 90, L"", kAppFlags));
  EXPECT_EQ(GadgetListUse(nullptr), WindowHandle(1));
  ASSERT_TRUE(WindowOpen(2, 10, 10, 150, 90, L"", kAppFlags | WindowNoGadgetList));
  EXPECT_EQ(GadgetListUse(nullptr), WindowHandle(1));
  ASSERT_TRUE(WindowOpen(3, 10, 10, 150, 90, L"", kAppFlags));
  EXPECT_EQ(GadgetListUse(nullptr), WindowHandle(3));
}

TEST_F(WindowTest, TheFrameCorrectionFollowsTheCompositionAnswer) {
  const int correction = ExpectedFrameCorrection();
  EXPECT_EQ(WindowFrameCorrection(), correction);
  ASSERT_TRUE(WindowOpen(1, 100, 70, 200, 100, L"sizable", WS_OVERLAPPEDWINDOW));
  EXPECT_EQ(Frame(WindowHandle(1)).left, 100 - correction);
  EXPECT_EQ(WindowLeft(1), 100);
  EXPECT_EQ(WindowTop(1), 70) << "the top is never corrected";
  EXPECT_EQ(ClientSize(WindowHandle(1)).cx, 200);
  EXPECT_EQ(ClientSize(WindowHandle(1)).cy, 100);
}

// Records the order in which windows are created and destroyed.
std::vector<std::pair<int, HWND>>* cbtLog = nullptr;
LRESULT CALLBACK CbtRecorder(int code, WPARAM wParam, LPARAM lParam) {
  if (cbtLog && (code == HCBT_CREATEWND || code == HCBT_DESTROYWND)) {
    cbtLog->push_back({code, reinterpret_cast<HWND>(wParam)});
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(WindowTest, ReopeningANumberDestroysTheOldWindowFirst) {
  ASSERT_TRUE(WindowOpen(0, 10, 10, 150, 90, L"first", kAppFlags));
  HWND first = WindowHandle(0);
  EventPost(MenuEvent, 1, 0, 0);
  EventPost(MenuEvent, 1, 5, 0);
  std::vector<std::pair<int, HWND>> log;
  cbtLog = &log;
  HHOOK hook = SetWindowsHookExW(WH_CBT, CbtRecorder, nullptr, GetCurrentThreadId());
  ASSERT_TRUE(WindowOpen(0, 10, 10, 150, 90, L"second", kAppFlags));
  UnhookWindowsHookEx(hook);
  cbtLog = nullptr;
  HWND second = WindowHandle(0);
  EXPECT_FALSE(IsWindow(first));
  EXPECT_NE(first, second);
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[0], std::make_pair(static_cast<int>(HCBT_DESTROYWND), first)) << "the old window goes first";
  EXPECT_EQ(log[1].first, HCBT_CREATEWND);
  // The old window's queued events went with it; another window's stay.
  const std::vector<Event> menus = OfKind(CollectEvents(100), MenuEvent);
  ASSERT_EQ(menus.size(), 1u) << Describe(menus);
  EXPECT_EQ(menus[0].window, 5);
}

TEST_F(WindowTest, NumberMinus1ChoosesTheNumber) {
  const std::int64_t number = WindowOpen(-1, 10, 10, 150, 90, L"dynamic", kAppFlags);
  ASSERT_NE(number, 0);
  HWND window = WindowHandle(number);
  ASSERT_TRUE(window);
  EXPECT_NE(number, reinterpret_cast<std::int64_t>(window));
  EXPECT_EQ(GetPropW(window, L"Orv_WindowID"), reinterpret_cast<HANDLE>(static_cast<INT_PTR>(number + 1)));
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  EXPECT_EQ(std::wstring(className), L"WindowClass_" + std::to_wstring(number));
  SendMessageW(window, WM_CLOSE, 0, 0);
  const std::vector<Event> closes = OfKind(CollectEvents(100), CloseWindowEvent);
  ASSERT_EQ(closes.size(), 1u);
  EXPECT_EQ(closes[0].object, number);
  EXPECT_EQ(closes[0].window, number);
  WindowClose(number);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(WindowHandle(number), nullptr);
  EXPECT_FALSE(ClassExists(className));
}

TEST_F(WindowTest, DestroyingTheWindowReleasesClassSlotAndQueuedEvents) {
  ASSERT_TRUE(WindowOpen(3, 10, 10, 150, 90, L"", kAppFlags));
  HWND window = WindowHandle(3);
  ShortcutAdd(3, ShortcutControl | 'Q', 1);
  DiscardEvents();
  EventPost(MenuEvent, 1, 3, 0);
  EventPost(MenuEvent, 2, 4, 0);
  EventPost(GadgetEvent, 1, 3, 768);
  // Not through WindowClose: WM_NCDESTROY must clean up on its own.
  DestroyWindow(window);
  EXPECT_EQ(WindowHandle(3), nullptr);
  EXPECT_EQ(WindowLeft(3), 0);
  const std::vector<Event> got = CollectEvents(100);
  const std::vector<Event> expected{{MenuEvent, 2, 4, 0}};
  EXPECT_EQ(got, expected) << "got " << Describe(got);
  // The class cannot go while its window exists; the layer's next call releases it.
  ASSERT_TRUE(WindowOpen(4, 10, 10, 150, 90, L"", kAppFlags));
  EXPECT_FALSE(ClassExists(L"WindowClass_3")) << "the class outlived its window";
  EXPECT_EQ(ShortcutAdd(3, 13, 3), nullptr) << "the slot was not released";
  // The number is free for a new window.
  ASSERT_TRUE(WindowOpen(3, 10, 10, 150, 90, L"", kAppFlags));
  EXPECT_TRUE(ClassExists(L"WindowClass_3"));
}

TEST_F(WindowTest, WindowCloseMinus1ClosesEveryWindow) {
  ASSERT_TRUE(WindowOpen(1, 10, 10, 150, 90, L"", kAppFlags));
  ASSERT_TRUE(WindowOpen(6, 10, 10, 150, 90, L"", kAppFlags));
  const std::int64_t dynamic = WindowOpen(-1, 10, 10, 150, 90, L"", kAppFlags);
  HWND windows[] = {WindowHandle(1), WindowHandle(6), WindowHandle(dynamic)};
  WindowClose(-1);
  for (HWND window : windows) EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(WindowHandle(dynamic), nullptr);
}

// The kinds that describe the window's size state, in the order taken.
std::vector<std::int64_t> SizeKinds(const std::vector<Event>& events, std::int64_t window) {
  std::vector<std::int64_t> kinds;
  for (const Event& event : events) {
    if (event.window == window &&
        (event.kind == MinimizeWindowEvent || event.kind == MaximizeWindowEvent || event.kind == RestoreWindowEvent ||
         event.kind == SizeWindowEvent)) {
      kinds.push_back(event.kind);
    }
  }
  return kinds;
}

TEST_F(WindowTest, MinimisingQueuesMinimizeAndMoveAndReportsThePlatformsPosition) {
  ASSERT_TRUE(WindowOpen(0, 100, 80, 320, 150, L"Reboot PC", kAppFlags));
  HWND window = WindowHandle(0);
  DiscardEvents();
  ShowWindow(window, SW_MINIMIZE);
  const std::vector<Event> events = CollectEvents(300);
  ASSERT_TRUE(IsIconic(window));
  EXPECT_EQ(OfKind(events, MinimizeWindowEvent).size(), 1u) << Describe(events);
  const std::vector<Event> moves = OfKind(events, MoveWindowEvent);
  ASSERT_FALSE(moves.empty()) << Describe(events);
  EXPECT_EQ(moves[0].object, 0);
  // Windows parks minimised windows at -32000; Wine's virtual desktop parks them elsewhere.
  const RECT frame = Frame(window);
  EXPECT_EQ(WindowLeft(0), frame.left);
  EXPECT_EQ(WindowTop(0), frame.top);
  EXPECT_TRUE(frame.left != 100 || frame.top != 80) << "the minimised window did not move";
  ShowWindow(window, SW_RESTORE);
  const std::vector<std::int64_t> kinds = SizeKinds(CollectEvents(300), 0);
  const std::vector<std::int64_t> expected{RestoreWindowEvent, SizeWindowEvent};
  EXPECT_EQ(kinds, expected);
  EXPECT_EQ(WindowLeft(0), 100);
  EXPECT_EQ(WindowTop(0), 80);
}

TEST_F(WindowTest, MaximiseAndRestoreComeInOrder) {
  ASSERT_TRUE(WindowOpen(1, 60, 50, 200, 120, L"sizable", WS_OVERLAPPEDWINDOW));
  HWND window = WindowHandle(1);
  DiscardEvents();
  ShowWindow(window, SW_MAXIMIZE);
  std::vector<std::int64_t> kinds = SizeKinds(CollectEvents(300), 1);
  std::vector<std::int64_t> expected{MaximizeWindowEvent, SizeWindowEvent};
  EXPECT_EQ(kinds, expected);
  // Size events still queued when the window is restored are replaced by one at the end.
  SendMessageW(window, WM_SIZE, SIZE_MAXIMIZED, 0);
  EventPost(MenuEvent, 4, 1, 0);
  ShowWindow(window, SW_RESTORE);
  const std::vector<Event> events = CollectEvents(300);
  kinds = SizeKinds(events, 1);
  expected = {MaximizeWindowEvent, RestoreWindowEvent, SizeWindowEvent};
  EXPECT_EQ(kinds, expected) << Describe(events);
  EXPECT_EQ(events.back().kind, SizeWindowEvent) << Describe(events);
  EXPECT_EQ(ClientSize(window).cx, 200);
}

HWND AddEdit(HWND parent, int y, DWORD extraStyle = 0) {
  return CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | extraStyle, 5, y, 100,
                         20, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
}

TEST_F(WindowTest, TheFocusComesBackAfterDeactivation) {
  ASSERT_TRUE(WindowOpen(0, 10, 10, 200, 120, L"main", kAppFlags));
  HWND window = WindowHandle(0);
  AddEdit(window, 5);
  HWND second = AddEdit(window, 35);
  ASSERT_TRUE(wintest::BringToFront(window));
  SetFocus(second);
  ASSERT_TRUE(WindowOpen(1, 300, 10, 150, 90, L"other", kAppFlags));
  ASSERT_TRUE(wintest::BringToFront(WindowHandle(1)));
  EXPECT_NE(GetFocus(), second);
  EXPECT_EQ(GetPropW(window, L"Orv_Focus"), second);
  ASSERT_TRUE(wintest::BringToFront(window));
  wintest::Pump(50);
  EXPECT_EQ(GetFocus(), second);
  const std::vector<Event> events = CollectEvents(100);
  const std::vector<Event> deactivations = OfKind(events, DeactivateWindowEvent);
  const std::vector<Event> activations = OfKind(events, ActivateWindowEvent);
  ASSERT_FALSE(deactivations.empty()) << Describe(events);
  ASSERT_FALSE(activations.empty()) << Describe(events);
  EXPECT_EQ(deactivations[0].window, 0);
}

TEST_F(WindowTest, TheCloseBoxQueuesCloseWindowEventAndTheWindowStays) {
  ASSERT_TRUE(WindowOpen(0, 10, 10, 200, 120, L"main", kAppFlags));
  HWND window = WindowHandle(0);
  ASSERT_TRUE(wintest::BringToFront(window));
  DiscardEvents();
  wintest::PressKey(VK_F4, false, false, true);  // Alt+F4: the system's close command
  std::vector<Event> closes = OfKind(CollectEvents(300), CloseWindowEvent);
  ASSERT_EQ(closes.size(), 1u);
  EXPECT_EQ(closes[0], (Event{CloseWindowEvent, 0, 0, 0}));
  PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  closes = OfKind(CollectEvents(300), CloseWindowEvent);
  EXPECT_EQ(closes.size(), 1u);
  EXPECT_TRUE(IsWindow(window));
  EXPECT_TRUE(IsWindowVisible(window));
}

TEST_F(WindowTest, AFailedCreationReleasesClassAndSlot) {
  // A top-level window cannot be a child: CreateWindowExW refuses it.
  EXPECT_EQ(WindowOpen(5, 10, 10, 100, 60, L"", WS_CHILD | WS_CAPTION), 0);
  EXPECT_EQ(WindowHandle(5), nullptr);
  EXPECT_FALSE(ClassExists(L"WindowClass_5"));
  EXPECT_EQ(ShortcutAdd(5, 13, 3), nullptr);
}

TEST_F(WindowTest, AToolWindowMayBeNarrowedToOnePixel) {
  ASSERT_TRUE(WindowOpen(1, 10, 10, 100, 60, L"", WindowTool | WS_THICKFRAME));
  ASSERT_TRUE(WindowOpen(2, 10, 10, 100, 60, L"", kAppFlags | WS_THICKFRAME));
  for (std::int64_t number : {1, 2}) {
    MINMAXINFO info{};
    info.ptMinTrackSize = {77, 33};
    EXPECT_EQ(SendMessageW(WindowHandle(number), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info)), 0);
    EXPECT_EQ(info.ptMinTrackSize.x, number == 1 ? 1 : 77) << "window " << number;
    EXPECT_EQ(info.ptMinTrackSize.y, 33);
  }
}

int sysColorChanges = 0;
LRESULT CALLBACK CountSysColorChange(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SYSCOLORCHANGE) ++sysColorChanges;
  return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(WindowTest, SystemColourChangesReachEveryDescendant) {
  RegisterWindowClass(L"SysColorCounter", CountSysColorChange);
  ASSERT_TRUE(WindowOpen(1, 10, 10, 200, 100, L"", kAppFlags));
  HWND child = CreateWindowExW(0, L"SysColorCounter", L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, WindowHandle(1),
                               nullptr, GetModuleHandleW(nullptr), nullptr);
  CreateWindowExW(0, L"SysColorCounter", L"", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20, child, nullptr,
                  GetModuleHandleW(nullptr), nullptr);
  sysColorChanges = 0;
  SendMessageW(WindowHandle(1), WM_SYSCOLORCHANGE, 0, 0);
  EXPECT_EQ(sysColorChanges, 2) << "the child and the grandchild";
}

}  // namespace
