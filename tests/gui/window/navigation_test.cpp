// Keyboard navigation: the order of tab stops, wrapping at both ends, skipped labels and
// disabled, hidden or non-tab-stop controls, no focused control, composite controls stepped
// over as a whole, MDI children as containers; and the keyboard cues shown and hidden.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include "gui/window/event_queue.h"
#include "gui/window/shortcut.h"
#include "gui/window/navigation.h"
#include "gui/window/window.h"
#include "tests/gui/window/window_test_support.h"
#include "tests/support/win_test.h"

namespace {

constexpr std::uint32_t kAppFlags = 0xCA0000;

HWND Child(HWND parent, const wchar_t* className, int y, DWORD style) {
  return CreateWindowExW(0, className, L"", WS_CHILD | style, 5, y, 150, 20, parent, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

// Tab stops A, E, F among controls that are no tab stops.
class NavigationTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(WindowOpen(0, 50, 50, 300, 260, L"navigation", kAppFlags));
    window_ = WindowHandle(0);
    label_ = Child(window_, L"STATIC", 0, WS_VISIBLE);
    a_ = Child(window_, L"EDIT", 22, WS_VISIBLE | WS_TABSTOP | WS_BORDER);
    disabled_ = Child(window_, L"EDIT", 44, WS_VISIBLE | WS_TABSTOP | WS_DISABLED | WS_BORDER);
    hidden_ = Child(window_, L"EDIT", 66, WS_TABSTOP | WS_BORDER);
    noTabStop_ = Child(window_, L"BUTTON", 88, WS_VISIBLE);
    e_ = Child(window_, L"EDIT", 110, WS_VISIBLE | WS_TABSTOP | WS_BORDER);
    f_ = Child(window_, L"BUTTON", 132, WS_VISIBLE | WS_TABSTOP);
    ASSERT_TRUE(wintest::BringToFront(window_));
    DiscardEvents();
  }
  void TearDown() override {
    WindowClose(-1);
    DiscardEvents();
  }
  HWND window_ = nullptr;
  HWND label_ = nullptr, a_ = nullptr, disabled_ = nullptr, hidden_ = nullptr, noTabStop_ = nullptr;
  HWND e_ = nullptr, f_ = nullptr;
};

std::string Name(HWND window) { return std::to_string(reinterpret_cast<std::uintptr_t>(window)); }

TEST_F(NavigationTest, StepsThroughTheTabStopsAndWraps) {
  struct Row {
    HWND from;
    int backwards;
    HWND to;
  };
  const Row rows[] = {
      {a_, 0, e_}, {e_, 0, f_}, {f_, 0, a_}, {a_, 1, f_}, {f_, 1, e_}, {e_, 1, a_}, {noTabStop_, 1, f_}, {label_, 1, f_},
  };
  for (const Row& row : rows) {
    SetFocus(row.from);
    FocusNext(row.backwards);
    EXPECT_EQ(GetFocus(), row.to) << "from " << Name(row.from) << " backwards " << row.backwards;
  }
}

// Key-downs posted with and without the repeat bit (bit 30), as a held key gives them, through
// EventWait: Enter bound as a shortcut in a field, Enter on a focused button, Tab.
TEST_F(NavigationTest, ARepeatedKeyDownFiresNoShortcutAndPressesNoButtonButTabMoves) {
  ShortcutAdd(0, VK_RETURN, 3);
  struct Row {
    HWND focus;
    WORD key;
    bool repeat;
    std::size_t shortcuts, clicks;
    HWND focusAfter;
  };
  const Row rows[] = {{a_, VK_RETURN, false, 1, 0, a_}, {a_, VK_RETURN, true, 0, 0, a_},
                      {f_, VK_RETURN, false, 0, 1, f_}, {f_, VK_RETURN, true, 0, 0, f_},
                      {a_, VK_TAB, true, 0, 0, e_}};
  for (const Row& row : rows) {
    SetFocus(row.focus);
    DiscardEvents();
    PostMessageW(row.focus, WM_KEYDOWN, row.key, row.repeat ? 0x40000001 : 1);
    const std::vector<Event> events = CollectEvents(100);
    std::size_t clicks = 0;
    for (const Event& event : OfKind(events, GadgetEvent)) clicks += event.subtype == Clicked;
    const std::string label = Name(row.focus) + " key " + std::to_string(row.key) + (row.repeat ? " repeated" : "");
    EXPECT_EQ(OfKind(events, MenuEvent).size(), row.shortcuts) << label << ": " << Describe(events);
    EXPECT_EQ(clicks, row.clicks) << label << ": " << Describe(events);
    EXPECT_EQ(GetFocus(), row.focusAfter) << label;
  }
}

TEST_F(NavigationTest, AForwardStepFromANonTabStopMovesNothing) {
  SetFocus(noTabStop_);
  FocusNext(0);
  EXPECT_EQ(GetFocus(), noTabStop_);
}

TEST_F(NavigationTest, WithoutAFocusedControlTabTakesTheFirstAndShiftTabTheLast) {
  SetFocus(nullptr);
  FocusNext(0);
  EXPECT_EQ(GetFocus(), a_);
  SetFocus(nullptr);
  FocusNext(1);
  EXPECT_EQ(GetFocus(), f_);
  SetFocus(window_);  // the window itself is no descendant of itself
  FocusNext(0);
  EXPECT_EQ(GetFocus(), a_);
}

TEST_F(NavigationTest, RealTabAndShiftTabGoThroughTheAcceleratorTable) {
  SetFocus(a_);
  const std::vector<Event> events = KeyEvents(VK_TAB);
  EXPECT_EQ(GetFocus(), e_);
  EXPECT_TRUE(OfKind(events, MenuEvent).empty()) << "navigation produced " << Describe(events);
  KeyEvents(VK_TAB);
  EXPECT_EQ(GetFocus(), f_);
  KeyEvents(VK_TAB);
  EXPECT_EQ(GetFocus(), a_) << "Tab on the last stop wraps to the first";
  KeyEvents(VK_TAB, false, true);
  EXPECT_EQ(GetFocus(), f_) << "Shift+Tab on the first stop wraps to the last";
}

TEST_F(NavigationTest, ControlsThatBecomeTabStopsJoinTheOrder) {
  EnableWindow(disabled_, TRUE);
  ShowWindow(hidden_, SW_SHOW);
  SetFocus(a_);
  FocusNext(0);
  EXPECT_EQ(GetFocus(), disabled_);
  FocusNext(0);
  EXPECT_EQ(GetFocus(), hidden_);
  FocusNext(0);
  EXPECT_EQ(GetFocus(), e_);
}

TEST_F(NavigationTest, AWindowWithoutTabStopsKeepsItsFocus) {
  ASSERT_TRUE(WindowOpen(1, 400, 50, 200, 100, L"bare", kAppFlags));
  HWND bare = WindowHandle(1);
  HWND label = Child(bare, L"STATIC", 0, WS_VISIBLE);
  ASSERT_TRUE(wintest::BringToFront(bare));
  SetFocus(label);
  FocusNext(0);
  EXPECT_EQ(GetFocus(), label);
  FocusNext(1);
  EXPECT_EQ(GetFocus(), label);
}

TEST_F(NavigationTest, AnIpAddressControlIsOneStop) {
  HWND address = CreateWindowExW(0, WC_IPADDRESSW, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 5, 160, 150, 22, window_,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_TRUE(address) << "no SysIPAddress32 class";
  // Forward from a field inside it goes to the stop after the whole control.
  HWND field = GetWindow(address, GW_CHILD);
  ASSERT_TRUE(field);
  SetFocus(field);
  ASSERT_EQ(GetFocus(), field);
  FocusNext(0);
  EXPECT_EQ(GetFocus(), a_) << "the control was the last stop: wrap";
  SetFocus(field);
  FocusNext(1);
  EXPECT_EQ(GetFocus(), f_);
}

LRESULT CALLBACK MdiChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(NavigationTest, InsideAnMdiChildOnlyItsControlsAreVisited) {
  RegisterWindowClass(L"MDI_ChildClass", MdiChildProc);
  HWND child = CreateWindowExW(0, L"MDI_ChildClass", L"", WS_CHILD | WS_VISIBLE, 170, 0, 120, 80, window_, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  ASSERT_TRUE(child);
  HWND inner1 = Child(child, L"EDIT", 0, WS_VISIBLE | WS_TABSTOP | WS_BORDER);
  HWND inner2 = Child(child, L"EDIT", 30, WS_VISIBLE | WS_TABSTOP | WS_BORDER);
  SetFocus(inner1);
  FocusNext(0);
  EXPECT_EQ(GetFocus(), inner2);
  FocusNext(0);
  EXPECT_EQ(GetFocus(), inner1) << "wraps inside the MDI child";
  FocusNext(1);
  EXPECT_EQ(GetFocus(), inner2);
}

// Records WM_CHANGEUISTATE and answers WM_QUERYUISTATE with a chosen state.
struct CueRecorder {
  WNDPROC previous = nullptr;
  LRESULT state = 0;
  std::vector<WPARAM> changes;
};
CueRecorder* recorder = nullptr;

LRESULT CALLBACK RecordCues(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_QUERYUISTATE) return recorder->state;
  if (message == WM_CHANGEUISTATE) recorder->changes.push_back(wParam);
  return CallWindowProcW(recorder->previous, window, message, wParam, lParam);
}

class KeyboardCuesTest : public NavigationTest {
 protected:
  void SetUp() override {
    NavigationTest::SetUp();
    recorder = &cues_;
    cues_.previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordCues)));
  }
  void TearDown() override {
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(cues_.previous));
    recorder = nullptr;
    NavigationTest::TearDown();
  }
  CueRecorder cues_;
};

TEST_F(KeyboardCuesTest, ChangesTheStateOnlyWhenItDiffers) {
  struct Row {
    int show;
    LRESULT state;
    std::vector<WPARAM> sent;
  };
  const WPARAM clear = MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL);
  const WPARAM set = MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS | UISF_HIDEACCEL);
  EXPECT_EQ(clear, 0x30002u);
  EXPECT_EQ(set, 0x30001u);
  for (const Row& row : {Row{1, 0, {}}, Row{1, UISF_HIDEFOCUS, {clear}}, Row{1, UISF_HIDEACCEL, {clear}},
                         Row{1, 3, {clear}}, Row{0, 0, {set}}, Row{0, UISF_HIDEACCEL, {set}}, Row{0, 3, {}}}) {
    cues_.changes.clear();
    cues_.state = row.state;
    KeyboardCues(window_, row.show);
    EXPECT_EQ(cues_.changes, row.sent) << "show " << row.show << " state " << row.state;
  }
}

TEST_F(KeyboardCuesTest, AModifierKeyShowsTheCuesAndDeactivationHidesThem) {
  cues_.state = 3;
  SetFocus(a_);
  for (WORD key : {VK_MENU, VK_CONTROL, VK_SHIFT}) {
    cues_.changes.clear();
    // The modifier held down while a message is fetched.
    SendKeys(key == VK_MENU ? 'X' : 'Y', key == VK_CONTROL, key == VK_SHIFT, key == VK_MENU);
    CollectEvents(150);
    ASSERT_FALSE(cues_.changes.empty()) << "key " << key << " showed no cues";
    EXPECT_EQ(cues_.changes.front(), 0x30002u);
  }
  // Any message fetched while a modifier is held shows them, not only key messages.
  INPUT control{};
  control.type = INPUT_KEYBOARD;
  control.ki.wVk = VK_CONTROL;
  SendInput(1, &control, sizeof control);
  CollectEvents(100);
  cues_.changes.clear();
  PostMessageW(window_, WM_APP + 3, 0, 0);
  EXPECT_EQ(EventWait(), WM_APP + 3);
  control.ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(1, &control, sizeof control);
  CollectEvents(100);
  ASSERT_FALSE(cues_.changes.empty()) << "a message fetched with Control down showed no cues";
  EXPECT_EQ(cues_.changes.front(), 0x30002u);
  cues_.changes.clear();
  PostMessageW(window_, WM_APP + 3, 0, 0);
  EXPECT_EQ(EventWait(), WM_APP + 3);
  EXPECT_TRUE(cues_.changes.empty()) << "cues shown with no modifier down";

  cues_.changes.clear();
  cues_.state = 0;
  ASSERT_TRUE(WindowOpen(1, 400, 50, 200, 100, L"other", kAppFlags));
  ASSERT_TRUE(wintest::BringToFront(WindowHandle(1)));
  CollectEvents(100);
  ASSERT_FALSE(cues_.changes.empty()) << "deactivation hid no cues";
  EXPECT_EQ(cues_.changes.back(), 0x30001u);
}

// A shortcut without a modifier, so that only EventWait's step after the translation can show
// the cues (a held modifier would show them while the table is chosen).
TEST_F(KeyboardCuesTest, ATranslatedShortcutShowsTheCues) {
  ShortcutAdd(0, VK_F5, 1);
  SetFocus(a_);
  cues_.state = 3;
  cues_.changes.clear();
  const std::vector<Event> events = KeyEvents(VK_F5);
  EXPECT_EQ(OfKind(events, MenuEvent).size(), 1u);
  EXPECT_FALSE(cues_.changes.empty());
  // What the platform itself reports after the change (Wine answers 0).
  SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(cues_.previous));
  const LRESULT state = SendMessageW(window_, WM_QUERYUISTATE, 0, 0);
  EXPECT_EQ(state & (UISF_HIDEFOCUS | UISF_HIDEACCEL), 0) << "cues still hidden after they were shown";
  SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordCues));
}

}  // namespace
