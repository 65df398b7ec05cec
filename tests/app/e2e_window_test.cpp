// End to end, the real RebootPC.exe: the main window as the user sees it (frame, hidden menu,
// the eight gadgets with their texts, places, styles, cue texts and limits, the focus), typing
// into its fields and the live counter, the About box, and the two validation boxes.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/app/tool_fixture.h"

namespace {

using tooltest::TextOf;
using tooltest::ToolRun;
using wintest::Narrow;

const wchar_t kAboutText[] =
    L"Reboot a remote PC.\r\nRebootPC " REBOOTPC_VERSION " by the RebootPC project.\r\n"
    L"Questions and bug reports: the RebootPC project's issue tracker";

std::wstring Counter(int left) { return L"User Notification:\r\n(" + std::to_wstring(left) + L" Chars Left)"; }

class WindowTest : public RunningToolTest {
 protected:
  void SetUp() override {
    RunningToolTest::SetUp();
    Start();
  }
  bool TypeInto(int number, const std::wstring& text) {
    if (!tooltest::ClickInto(*run_, Gadget(number))) return false;
    wintest::TypeText(text);
    return true;
  }
};

TEST_F(WindowTest, FrameIsTheFixedCaptionWindowWithTheMenuBarAllowanceAndNoMenuBar) {
  EXPECT_EQ(L"Reboot PC", TextOf(main_));
  RECT client{};
  GetClientRect(main_, &client);
  EXPECT_EQ(320, client.right);
  EXPECT_EQ(130 + GetSystemMetrics(SM_CYMENU), client.bottom);
  EXPECT_EQ(nullptr, GetMenu(main_)) << "a menu bar is shown";
  const LONG style = GetWindowLongW(main_, GWL_STYLE);
  EXPECT_EQ(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
            style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
  RECT frame{};
  GetWindowRect(main_, &frame);
  EXPECT_EQ(30, frame.left);
  EXPECT_EQ(40, frame.top);
  EXPECT_EQ(run_->Focus(), Gadget(0)) << "the focus is not in the name field";
}

TEST_F(WindowTest, EightGadgetsStandAsLaidOut) {
  struct Expected {
    int number;
    const wchar_t* kind;
    const wchar_t* text;
    RECT rect;
    const wchar_t* cue;
  };
  const Expected gadgets[] = {
      {2, L"Static", L"PC Name:", {5, 14, 65, 34}, nullptr},
      {0, L"Edit", L"", {65, 12, 305, 32}, L"Enter Computer Name or IP"},
      {3, L"Static", L"Timeout in seconds (30-1800):", {5, 48, 169, 68}, nullptr},
      {4, L"Edit", L"30", {170, 45, 220, 65}, L""},
      {5, L"Edit", L"", {105, 77, 305, 97}, L"Enter Reason for Reboot"},
      {6, L"Static", L"User Notification:\r\n(512 Chars Left)", {5, 76, 105, 106}, nullptr},
      {8, L"Button", L"Reset Credentials", {10, 115, 115, 140}, nullptr},
      {7, L"Button", L"Submit", {221, 115, 306, 140}, nullptr},
  };
  // The z-order among the window's children is the creation order, except that each edit
  // field stands just behind its label (the counter is the notice field's), as screen readers
  // name a field by the label before it.
  std::vector<int> order;
  for (HWND child = GetWindow(main_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    order.push_back(GetDlgCtrlID(child));
  }
  EXPECT_EQ((std::vector<int>{2, 0, 3, 4, 6, 5, 8, 7}), order);

  for (const Expected& g : gadgets) {
    HWND control = Gadget(g.number);
    ASSERT_NE(nullptr, control) << "gadget " << g.number;
    const std::wstring kind = tooltest::ClassOf(control);
    EXPECT_TRUE(kind.size() >= wcslen(g.kind) && _wcsicmp(kind.c_str() + kind.size() - wcslen(g.kind), g.kind) == 0)
        << "gadget " << g.number << " is a " << Narrow(kind);
    EXPECT_EQ(Narrow(g.text), Narrow(TextOf(control))) << "gadget " << g.number;
    const RECT at = tooltest::RectInParent(control);
    EXPECT_EQ(g.rect.left, at.left) << "gadget " << g.number;
    EXPECT_EQ(g.rect.top, at.top) << "gadget " << g.number;
    EXPECT_EQ(g.rect.right, at.right) << "gadget " << g.number;
    EXPECT_EQ(g.rect.bottom, at.bottom) << "gadget " << g.number;
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    EXPECT_EQ(WS_CHILD | WS_VISIBLE, style & (WS_CHILD | WS_VISIBLE)) << "gadget " << g.number;
    if (g.cue) {
      EXPECT_EQ(Narrow(g.cue), Narrow(run_->CueBanner(control))) << "gadget " << g.number;
      EXPECT_EQ(g.number == 4 ? ES_NUMBER : 0, style & ES_NUMBER) << "gadget " << g.number;
      EXPECT_EQ(0, style & ES_PASSWORD) << "gadget " << g.number;
    }
  }
  EXPECT_EQ(512, SendMessageW(Gadget(5), EM_GETLIMITTEXT, 0, 0));
}

TEST_F(WindowTest, TabVisitsTheFieldsAndButtonsInTheirOrder) {
  ASSERT_EQ(run_->Focus(), Gadget(0));
  for (int number : {4, 5, 8, 7, 0}) {
    wintest::PressKey(VK_TAB);
    EXPECT_TRUE(wintest::WaitUntil([&] { return run_->Focus() == Gadget(number); }, 2000))
        << "after Tab expected gadget " << number << ", got " << GetDlgCtrlID(run_->Focus());
  }
}

TEST_F(WindowTest, TimeoutFieldTakesOnlyTypedDigits) {
  // The last digit marks the end of the typing: once it shows, every key before it was handled.
  ASSERT_TRUE(TypeInto(4, L"a1-b 2x5"));
  EXPECT_TRUE(wintest::WaitUntil([&] { return TextOf(Gadget(4)) == L"30125"; }, 2000)) << Narrow(TextOf(Gadget(4)));
}

TEST_F(WindowTest, CounterFollowsTheNotificationText) {
  // Changes of the other fields leave it alone.
  ASSERT_TRUE(TypeInto(0, L"abc"));
  ASSERT_TRUE(TypeInto(4, L"9"));
  ASSERT_TRUE(wintest::WaitUntil([&] { return TextOf(Gadget(4)) == L"309"; }, 2000));
  ASSERT_TRUE(run_->Settle(main_));  // the change events of both fields are handled
  EXPECT_EQ(Counter(512), TextOf(Gadget(6)));
  ASSERT_TRUE(TypeInto(5, L"0123456789"));
  EXPECT_TRUE(wintest::WaitUntil([&] { return TextOf(Gadget(6)) == Counter(502); }, 3000))
      << Narrow(TextOf(Gadget(6)));
  for (int i = 0; i < 10; ++i) wintest::PressKey(VK_BACK);
  EXPECT_TRUE(wintest::WaitUntil([&] { return TextOf(Gadget(6)) == Counter(512); }, 3000))
      << Narrow(TextOf(Gadget(6)));
  EXPECT_EQ(L"", TextOf(Gadget(5)));
  // A character beyond U+FFFF counts as two units.
  wintest::TypeText(L"\U0001F600");
  EXPECT_TRUE(wintest::WaitUntil([&] { return TextOf(Gadget(6)) == Counter(510); }, 3000))
      << Narrow(TextOf(Gadget(6)));
}

TEST_F(WindowTest, PastingSixHundredCharactersKeepsFiveHundredTwelveAndShowsZero) {
  std::wstring text;
  for (int i = 0; i < 600; ++i) text += static_cast<wchar_t>(L'a' + i % 26);
  ASSERT_TRUE(tooltest::ClickInto(*run_, Gadget(5)));
  ASSERT_TRUE(tooltest::PasteText(text));
  EXPECT_TRUE(wintest::WaitUntil([&] { return TextOf(Gadget(6)) == Counter(0); }, 3000))
      << Narrow(TextOf(Gadget(6)));
  EXPECT_EQ(Narrow(text.substr(0, 512)), Narrow(TextOf(Gadget(5))));
  // Typing beyond the limit is refused; the counter stays at 0. Home, which moves the caret from
  // the end to the start, marks the end of the typing.
  wintest::TypeText(L"zz");
  wintest::PressKey(VK_HOME);
  EXPECT_TRUE(wintest::WaitUntil([&] { return LOWORD(SendMessageW(Gadget(5), EM_GETSEL, 0, 0)) == 0; }, 2000));
  ASSERT_TRUE(run_->Settle(main_));
  EXPECT_EQ(512u, TextOf(Gadget(5)).size());
  EXPECT_EQ(Counter(0), TextOf(Gadget(6)));
}

TEST_F(WindowTest, ControlAShowsAboutAlsoFromAnEditFieldWithoutSelectingItsText) {
  ASSERT_TRUE(TypeInto(0, L"hello"));
  ASSERT_TRUE(wintest::WaitUntil([&] { return TextOf(Gadget(0)) == L"hello"; }, 2000));
  wintest::PressKey('A', true);
  std::wstring about;
  ASSERT_TRUE(tooltest::AnswerMessageBox(*run_, L"About", VK_RETURN, &about)) << "no About box";
  EXPECT_EQ(Narrow(kAboutText), Narrow(about));
  ASSERT_TRUE(wintest::WaitUntil([&] { return run_->Focus() == Gadget(0); }, 2000)) << "the focus did not come back";
  DWORD start = 0, end = 0;
  SendMessageW(Gadget(0), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(5u, start) << "Control+A selected the field's text";
  EXPECT_EQ(5u, end);
  EXPECT_EQ(L"hello", TextOf(Gadget(0)));

  // The same from the window with the focus in the notification field.
  ASSERT_TRUE(tooltest::ClickInto(*run_, Gadget(5)));
  wintest::PressKey('A', true);
  ASSERT_TRUE(tooltest::AnswerMessageBox(*run_, L"About", VK_RETURN, &about));
  EXPECT_EQ(Narrow(kAboutText), Narrow(about));
}

TEST_F(WindowTest, ValidationNamesTheFirstMissingFieldAndChangesNothing) {
  struct Case {
    const wchar_t* name;
    const wchar_t* notice;
    const wchar_t* message;
  };
  const Case cases[] = {
      {L"", L"", L"You must enter a valid computer name!"},
      {L"", L"why", L"You must enter a valid computer name!"},
      {L"pc01", L"", L"You must notify the user of a reason for the reboot!"},
  };
  for (const Case& c : cases) {
    SetWindowTextW(Gadget(0), c.name);  // preset across the process; the tool sees the text as typed
    SetWindowTextW(Gadget(5), c.notice);
    ASSERT_TRUE(tooltest::ClickInto(*run_, Gadget(4)));
    wintest::PressKey(VK_RETURN);
    std::wstring text;
    ASSERT_TRUE(tooltest::AnswerMessageBox(*run_, L"Error", VK_RETURN, &text)) << Narrow(c.message);
    EXPECT_EQ(Narrow(c.message), Narrow(text));
    // Once the tool answers again it is back in its loop, or inside a second box.
    ASSERT_TRUE(run_->Settle(main_));
    EXPECT_EQ(nullptr, run_->FindWindowOf(L"#32770", nullptr)) << "a second box followed " << Narrow(c.message);
    EXPECT_EQ(c.name, TextOf(Gadget(0)));
    EXPECT_EQ(L"30", TextOf(Gadget(4)));
    EXPECT_EQ(c.notice, TextOf(Gadget(5)));
    EXPECT_TRUE(wintest::WaitUntil([&] { return run_->Focus() == Gadget(4); }, 2000)) << "the focus moved";
  }
  EXPECT_TRUE(tooltest::Records().empty()) << "shutdown.exe ran after a validation error";
}

}  // namespace
