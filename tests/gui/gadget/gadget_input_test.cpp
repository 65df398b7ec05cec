// Gadgets driven by real input (SendInput): the gadget events by subtype for focus, typing,
// overflow and clicks, ES_NUMBER, MaxLength, and Ctrl+A in an edit with and without a window
// shortcut on the same keys.
#include <windows.h>

#include <gtest/gtest.h>

#include "gui/gadget/button_gadget.h"
#include "gui/gadget/edit_gadget.h"
#include "gui/gadget/gadget.h"
#include "gui/gadget/gadget_registry.h"
#include "gui/window/event_queue.h"
#include "gui/window/shortcut.h"
#include "tests/gui/gadget/gadget_test_support.h"
#include "tests/support/win_test.h"

namespace {

using Subtypes = std::vector<std::int64_t>;

class InputTest : public GadgetWindowTest {
 protected:
  void SetUp() override {
    GadgetWindowTest::SetUp();
    ASSERT_TRUE(wintest::BringToFront(window_));
  }

  // A real click into the gadget's control; a click on a window just shown is sometimes
  // dropped, so it is repeated until `landed` holds.
  void ClickGadget(ObjectNumber number, const std::function<bool()>& landed) {
    HWND control = GadgetHandle(number);
    RECT bounds;
    GetWindowRect(control, &bounds);
    POINT centre{(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2};
    ScreenToClient(window_, &centre);
    for (int attempt = 0; attempt < 3 && !landed(); ++attempt) {
      wintest::ClickClient(window_, centre.x, centre.y);
      wintest::WaitUntil(landed, 500);
    }
    ASSERT_TRUE(landed()) << "the click on gadget " << number << " had no effect";
  }

  // Types into the focused control, letting EventWait dispatch (and translate shortcuts).
  std::vector<GadgetTestEvent> Type(const std::wstring& text) {
    wintest::TypeText(text);
    return CollectGadgetEvents(100);
  }

  DWORD Selection(ObjectNumber number) {
    return static_cast<DWORD>(SendMessageW(GadgetHandle(number), EM_GETSEL, 0, 0));
  }
};

using wintest::KeyInput;
using wintest::SendKeyInputs;

TEST_F(InputTest, ClickingIntoAnEditAndLeavingItGiveFocusEventsAndNotifications) {
  ASSERT_NE(GadgetCreateEdit(1, 10, 10, 200, 22, L"first"), 0);
  ASSERT_NE(GadgetCreateEdit(2, 10, 50, 200, 22, L"second"), 0);
  GadgetSetFocus(2);
  CollectGadgetEvents(50);

  ClickGadget(1, [] { return GetFocus() == GadgetHandle(1); });
  std::vector<GadgetTestEvent> got = CollectGadgetEvents(100);
  EXPECT_EQ(GadgetSubtypes(got, 1), (Subtypes{FocusGained, EN_SETFOCUS})) << "got " << Describe(got);
  EXPECT_EQ(GadgetSubtypes(got, 2), (Subtypes{FocusLost, EN_KILLFOCUS})) << "got " << Describe(got);
  for (const GadgetTestEvent& event : got) EXPECT_EQ(event.window, 0) << "events carry window 0";

  ClickGadget(2, [] { return GetFocus() == GadgetHandle(2); });
  got = CollectGadgetEvents(100);
  EXPECT_EQ(GadgetSubtypes(got, 1), (Subtypes{FocusLost, EN_KILLFOCUS})) << "got " << Describe(got);
  EXPECT_EQ(GadgetSubtypes(got, 2), (Subtypes{FocusGained, EN_SETFOCUS})) << "got " << Describe(got);
}

TEST_F(InputTest, TypingGivesUpdateThenChangeAndOverflowGivesMaxText) {
  ASSERT_NE(GadgetCreateEdit(1, 10, 10, 200, 22, nullptr), 0);
  GadgetSetFocus(1);
  CollectGadgetEvents(50);
  std::vector<GadgetTestEvent> got = Type(L"x");
  EXPECT_EQ(GadgetSubtypes(got, 1), (Subtypes{EN_UPDATE, ContentChanged})) << "got " << Describe(got);

  GadgetSetAttribute(1, MaxLength, 3);
  got = Type(L"yz");
  EXPECT_EQ(GadgetGetText(1).c_str(), std::wstring(L"xyz"));
  got = Type(L"w");
  EXPECT_EQ(GadgetGetText(1).c_str(), std::wstring(L"xyz")) << "the fourth character is refused";
  // Wine's edit follows EN_MAXTEXT with EN_UPDATE and EN_CHANGE; Windows sends EN_MAXTEXT alone.
  const Subtypes subtypes = GadgetSubtypes(got, 1);
  ASSERT_FALSE(subtypes.empty()) << "got " << Describe(got);
  EXPECT_EQ(subtypes.front(), EN_MAXTEXT) << "got " << Describe(got);
}

TEST_F(InputTest, SettingTheTextFromTheProgramGivesNoEventsTypingDoes) {
  ASSERT_NE(GadgetCreateEdit(1, 10, 10, 200, 22, L"start"), 0);
  GadgetSetFocus(1);
  CollectGadgetEvents(50);
  GadgetSetText(1, L"replaced");
  std::vector<GadgetTestEvent> got = CollectGadgetEvents(100);
  EXPECT_TRUE(GadgetSubtypes(got, 1).empty()) << "got " << Describe(got);
  got = Type(L"!");
  EXPECT_EQ(GadgetSubtypes(got, 1), (Subtypes{EN_UPDATE, ContentChanged})) << "got " << Describe(got);
}

TEST_F(InputTest, ClickingAButtonGivesOneEventWithSubtypeZero) {
  ASSERT_NE(GadgetCreateEdit(1, 10, 10, 200, 22, L"edit"), 0);
  ASSERT_NE(GadgetCreateButton(7, 10, 60, 85, 25, L"Submit"), 0);
  GadgetSetFocus(1);
  CollectGadgetEvents(50);
  std::vector<GadgetTestEvent> got;
  ClickGadget(7, [&] {
    const std::vector<GadgetTestEvent> more = CollectGadgetEvents(30);
    got.insert(got.end(), more.begin(), more.end());
    return !GadgetSubtypes(got, 7).empty();
  });
  const std::vector<GadgetTestEvent> after = CollectGadgetEvents(100);
  got.insert(got.end(), after.begin(), after.end());
  EXPECT_EQ(GadgetSubtypes(got, 7), (Subtypes{BN_CLICKED})) << "got " << Describe(got);
}

struct NumberRow {
  const char* name;
  std::uint32_t flags;
  const wchar_t* typed;
  const wchar_t* kept;
};

class NumberStyleTest : public InputTest, public testing::WithParamInterface<NumberRow> {};

TEST_P(NumberStyleTest, TypedCharactersAreKeptOrRefused) {
  ASSERT_NE(GadgetCreateEdit(4, 10, 10, 100, 22, nullptr, GetParam().flags), 0);
  GadgetSetFocus(4);
  Type(GetParam().typed);
  EXPECT_EQ(wintest::Narrow(GadgetGetText(4).c_str()), wintest::Narrow(GetParam().kept));
}

INSTANTIATE_TEST_SUITE_P(Rows, NumberStyleTest,
                         testing::Values(NumberRow{"DigitsOnly", ES_NUMBER, L"1a2b3", L"123"},
                                         NumberRow{"Anything", 0, L"1a2b3", L"1a2b3"}),
                         [](const testing::TestParamInfo<NumberRow>& info) { return std::string(info.param.name); });

TEST_F(InputTest, MaxLengthZeroLimitsToOneCharacter) {
  ASSERT_NE(GadgetCreateEdit(5, 10, 10, 200, 22, nullptr), 0);
  GadgetRecord* record = GadgetFromHandle(GadgetHandle(5));
  ASSERT_NE(record, nullptr);
  GadgetSetAttribute(5, MaxLength, 0);
  EXPECT_EQ(SendMessageW(GadgetHandle(5), EM_GETLIMITTEXT, 0, 0), 1);
  EXPECT_EQ(record->kind->getAttribute(record, MaxLength), 1);
  GadgetSetAttribute(5, MaxLength, -20);
  EXPECT_EQ(record->kind->getAttribute(record, MaxLength), 1);
  GadgetSetFocus(5);
  Type(L"ab");
  EXPECT_EQ(GadgetGetText(5).c_str(), std::wstring(L"a"));

  GadgetSetAttribute(5, MaxLength, 512);
  EXPECT_EQ(record->kind->getAttribute(record, MaxLength), 512);
  GadgetSetAttribute(5, 2, 7);  // no such attribute: nothing changes
  EXPECT_EQ(record->kind->getAttribute(record, MaxLength), 512);
  EXPECT_EQ(record->kind->getAttribute(record, 2), 0);
}

// Select-all requests (EM_SETSEL 0, -1) that reach the control from above every subclass.
int selectAllRequests = 0;
WNDPROC belowCounter = nullptr;

LRESULT CALLBACK CountSelectAll(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == EM_SETSEL && wParam == 0 && lParam == -1) ++selectAllRequests;
  return CallWindowProcW(belowCounter, control, message, wParam, lParam);
}

TEST_F(InputTest, CtrlASelectsTheWholeTextOnceAndAAloneTypesTheLetter) {
  ASSERT_NE(GadgetCreateEdit(1, 10, 10, 200, 22, nullptr), 0);
  belowCounter = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(GadgetHandle(1), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountSelectAll)));
  selectAllRequests = 0;
  GadgetSetFocus(1);
  Type(L"hello");
  wintest::PressKey('A');
  CollectGadgetEvents(50);
  EXPECT_EQ(GadgetGetText(1).c_str(), std::wstring(L"helloa")) << "A without Ctrl types the letter";
  EXPECT_EQ(Selection(1), MAKELONG(6, 6));
  EXPECT_EQ(selectAllRequests, 0);

  // Ctrl and A held: the first key-down selects everything ...
  SendKeyInputs({KeyInput(VK_CONTROL, false), KeyInput('A', false)});
  CollectGadgetEvents(100);
  EXPECT_EQ(Selection(1), MAKELONG(0, 6));
  EXPECT_EQ(selectAllRequests, 1);
  // ... and auto-repeats of A (key-downs with the key already down, lParam bit 30) do not
  // ask again. (Wine's edit class also selects everything on the Ctrl+A character itself.)
  SendKeyInputs({KeyInput('A', false), KeyInput('A', false), KeyInput('A', false)});
  CollectGadgetEvents(100);
  EXPECT_EQ(selectAllRequests, 1) << "a repeated key-down asked to select again";
  SendKeyInputs({KeyInput('A', true), KeyInput(VK_CONTROL, true)});
  CollectGadgetEvents(50);
  EXPECT_EQ(GadgetGetText(1).c_str(), std::wstring(L"helloa")) << "Ctrl+A typed nothing";

  // Released and pressed again: a new first press. (Ctrl is read with GetAsyncKeyState when
  // the key-down is handled, so the keys are released only after that.)
  SendKeyInputs({KeyInput(VK_CONTROL, false), KeyInput('A', false)});
  CollectGadgetEvents(100);
  SendKeyInputs({KeyInput('A', true), KeyInput(VK_CONTROL, true)});
  CollectGadgetEvents(50);
  EXPECT_EQ(selectAllRequests, 2);
}

TEST_F(InputTest, AWindowShortcutOnCtrlATakesTheKeyBeforeTheEdit) {
  ASSERT_NE(ShortcutAdd(0, ShortcutControl | 'A', 2), nullptr);
  ASSERT_NE(GadgetCreateEdit(1, 10, 10, 200, 22, nullptr), 0);
  GadgetSetFocus(1);
  Type(L"hello");
  // Sent without the helpers' own message pump, so that EventWait fetches the keys and
  // translates them as in the tool.
  SendKeyInputs(
      {KeyInput(VK_CONTROL, false), KeyInput('A', false), KeyInput('A', true), KeyInput(VK_CONTROL, true)});
  const std::vector<GadgetTestEvent> got = CollectGadgetEvents(150);
  const std::vector<GadgetTestEvent> menus{{MenuEvent, 2, 0, 0}};
  std::vector<GadgetTestEvent> gotMenus;
  for (const GadgetTestEvent& event : got) {
    if (event.kind == MenuEvent) gotMenus.push_back(event);
  }
  EXPECT_EQ(gotMenus, menus) << "got " << Describe(got);
  EXPECT_EQ(Selection(1), MAKELONG(5, 5)) << "the edit never saw Ctrl+A";
  EXPECT_EQ(GadgetGetText(1).c_str(), std::wstring(L"hello"));
}

// Another program in front, the window deactivated with the focus in one field: the focus
// asked for meanwhile is what the window's next activation restores, not the field it had.
TEST_F(InputTest, FocusAskedForWhileAnotherProgramIsInFrontIsWhereTheWindowComesBackTo) {
  ASSERT_NE(GadgetCreateEdit(1, 10, 10, 200, 22, L"first"), 0);
  ASSERT_NE(GadgetCreateEdit(2, 10, 50, 200, 22, L"second"), 0);
  GadgetSetFocus(2);
  ASSERT_TRUE(wintest::BringToFront(GetDesktopWindow())) << "no other program could be put in front";
  CollectGadgetEvents(100);
  ASSERT_NE(GetForegroundWindow(), window_);

  GadgetSetFocus(1);
  EXPECT_EQ(GetPropW(window_, L"Orv_Focus"), GadgetHandle(1)) << "the next activation would restore "
                                                              << GetPropW(window_, L"Orv_Focus");
  ASSERT_TRUE(wintest::BringToFront(window_));
  CollectGadgetEvents(100);
  EXPECT_EQ(GetFocus(), GadgetHandle(1));
}

}  // namespace
