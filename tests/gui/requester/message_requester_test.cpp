// The message box and the modal-ownership rule, through real windows: the box is found from a
// second thread and answered with real clicks and keys, as a user would.
#include <windows.h>

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "gui/requester/held_key_filter.h"
#include "gui/requester/message_requester.h"
#include "gui/requester/modal_ownership.h"
#include "tests/gui/requester/modal_list_probe.h"
#include "tests/gui/requester/requester_driver.h"
#include "tests/support/win_test.h"

using reqtest::Answerer;
using reqtest::TestWindow;

namespace {

const DWORD kMainThread = GetCurrentThreadId();

struct ChildSearch {
  std::wstring text;
  bool textFound = false;
  bool iconShown = false;
};

BOOL CALLBACK InspectChild(HWND child, LPARAM param) {
  auto* search = reinterpret_cast<ChildSearch*>(param);
  if (reqtest::ClassName(child) == L"Static") {
    if (reqtest::WindowText(child) == search->text) search->textFound = true;
    if ((GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child) &&
        SendMessageW(child, STM_GETICON, 0, 0) != 0) {
      search->iconShown = true;
    }
  }
  return TRUE;
}

// What the user saw while the box was up.
struct BoxSeen {
  HWND box = nullptr;
  HWND owner = nullptr;
  std::wstring caption;
  bool textShown = false;
  bool iconShown = false;
  bool hasOk = false, hasYes = false, hasNo = false;
  std::vector<BOOL> enabled;  // of the watched windows
  std::vector<bool> topmost;
  bool answered = false;
};

enum class Answer { ClickYes, ClickNo, ClickOk, KeyY, KeyN, KeyEnter };

// Finds the box of the main thread, notes what it shows and the state of `watched`, answers.
void AnswerBox(BoxSeen* seen, const std::wstring& text, Answer answer, std::vector<HWND> watched) {
  seen->box = reqtest::WaitForThreadWindow(kMainThread, L"#32770");
  if (!seen->box) return;
  wintest::Pump(100);
  seen->owner = GetWindow(seen->box, GW_OWNER);
  seen->caption = reqtest::WindowText(seen->box);
  ChildSearch children{text};
  EnumChildWindows(seen->box, InspectChild, reinterpret_cast<LPARAM>(&children));
  seen->textShown = children.textFound;
  seen->iconShown = children.iconShown;
  seen->hasOk = GetDlgItem(seen->box, IDOK) != nullptr;
  seen->hasYes = GetDlgItem(seen->box, IDYES) != nullptr;
  seen->hasNo = GetDlgItem(seen->box, IDNO) != nullptr;
  for (HWND window : watched) {
    seen->enabled.push_back(IsWindowEnabled(window));
    seen->topmost.push_back(reqtest::IsTopmost(window));
  }
  switch (answer) {
    case Answer::ClickYes: seen->answered = reqtest::ClickUntilGone(GetDlgItem(seen->box, IDYES), seen->box); break;
    case Answer::ClickNo: seen->answered = reqtest::ClickUntilGone(GetDlgItem(seen->box, IDNO), seen->box); break;
    case Answer::ClickOk: seen->answered = reqtest::ClickUntilGone(GetDlgItem(seen->box, IDOK), seen->box); break;
    case Answer::KeyY:
    case Answer::KeyN:
    case Answer::KeyEnter:
      reqtest::EnsureForeground(seen->box);
      wintest::PressKey(answer == Answer::KeyY ? 'Y' : answer == Answer::KeyN ? 'N' : VK_RETURN);
      seen->answered = reqtest::WaitGone(seen->box);
      break;
  }
  // Never leave the main thread stuck in the box.
  if (!seen->answered) PostMessageW(seen->box, WM_COMMAND, IDCANCEL, 0);
}

struct BoxCase {
  const char* name;
  std::uint32_t flags;
  Answer answer;
  std::int64_t expected;
  bool yesNo;
  bool icon;
};

void PrintTo(const BoxCase& c, std::ostream* out) { *out << c.name; }

class MessageBoxCases : public testing::TestWithParam<BoxCase> {};

TEST_P(MessageBoxCases, AnswerGivesButtonIdAndBoxIsOwnedByFrontWindow) {
  const BoxCase& c = GetParam();
  TestWindow main(L"Main window");
  ASSERT_TRUE(wintest::BringToFront(main.get()));
  const std::wstring text = L"Do you wish to reset your admin credentials?";
  BoxSeen seen;
  std::int64_t result = -1;
  {
    Answerer user([&] { AnswerBox(&seen, text, c.answer, {main.get()}); });
    result = MessageRequest(L"Reset Credentials", text.c_str(), c.flags);
  }
  ASSERT_NE(seen.box, nullptr) << "no message box appeared";
  EXPECT_TRUE(seen.answered) << "the box did not go on the user's answer";
  EXPECT_EQ(result, c.expected);
  EXPECT_EQ(seen.owner, main.get()) << "the box is owned by the program's foreground window";
  EXPECT_EQ(seen.caption, L"Reset Credentials") << "the title is the caption";
  EXPECT_TRUE(seen.textShown) << "the text is the box's message";
  EXPECT_EQ(seen.hasYes, c.yesNo);
  EXPECT_EQ(seen.hasNo, c.yesNo);
  EXPECT_EQ(seen.hasOk, !c.yesNo);
  EXPECT_EQ(seen.iconShown, c.icon);
  EXPECT_FALSE(seen.enabled.at(0)) << "the platform disables the owner while the box is up";
  EXPECT_TRUE(IsWindowEnabled(main.get())) << "the owner is enabled again afterwards";
  EXPECT_EQ(reqtest::ModalEntryCount(kMainThread), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, MessageBoxCases,
    testing::Values(BoxCase{"YesClicked", 36, Answer::ClickYes, IDYES, true, true},
                    BoxCase{"NoClicked", 36, Answer::ClickNo, IDNO, true, true},
                    BoxCase{"YesKey", 36, Answer::KeyY, IDYES, true, true},
                    BoxCase{"NoKey", 36, Answer::KeyN, IDNO, true, true},
                    BoxCase{"OkOnlyClicked", 0, Answer::ClickOk, IDOK, false, false},
                    BoxCase{"OkOnlyEnter", 0, Answer::KeyEnter, IDOK, false, false},
                    BoxCase{"ErrorClicked", 16, Answer::ClickOk, IDOK, false, true},
                    BoxCase{"ErrorEnter", 16, Answer::KeyEnter, IDOK, false, true}),
    [](const testing::TestParamInfo<BoxCase>& info) { return std::string(info.param.name); });

TEST(MessageRequest, TwoArgumentFormIsOkOnly) {
  TestWindow main(L"Main window");
  ASSERT_TRUE(wintest::BringToFront(main.get()));
  BoxSeen seen;
  std::int64_t result = -1;
  {
    Answerer user([&] { AnswerBox(&seen, L"About text", Answer::ClickOk, {}); });
    result = MessageRequest(L"About", L"About text");
  }
  EXPECT_EQ(result, IDOK);
  EXPECT_TRUE(seen.hasOk);
  EXPECT_FALSE(seen.hasYes);
  EXPECT_FALSE(seen.iconShown);
}

TEST(MessageRequest, AnotherProgramInFrontMeansNoOwnerAndAllWindowsDisabled) {
  TestWindow first(L"First window");
  TestWindow second(L"Second window", 0, true, 120, 120);
  reqtest::FrontProgram front(L"Requester front program");
  ASSERT_NE(front.window(), nullptr) << "the helper program's window did not appear";
  ASSERT_EQ(GetForegroundWindow(), front.window()) << "the helper program is not in front";
  ASSERT_EQ(ModalOwner(), nullptr);

  BoxSeen seen;
  std::int64_t result = -1;
  {
    Answerer user([&] { AnswerBox(&seen, L"Error text", Answer::ClickOk, {first.get(), second.get()}); });
    result = MessageRequest(L"Error", L"Error text", MB_ICONERROR);
  }
  ASSERT_NE(seen.box, nullptr);
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(seen.owner, nullptr) << "with another program in front the box has no owner";
  EXPECT_FALSE(seen.enabled.at(0)) << "first window enabled while the box was up";
  EXPECT_FALSE(seen.enabled.at(1)) << "second window enabled while the box was up";
  EXPECT_TRUE(IsWindowEnabled(first.get()));
  EXPECT_TRUE(IsWindowEnabled(second.get()));
}

TEST(MessageRequest, OwnerIsThisProgramsForegroundWindow) {
  TestWindow back(L"Back window");
  TestWindow front(L"Front window", 0, true, 120, 120);
  ASSERT_TRUE(wintest::BringToFront(front.get()));
  EXPECT_EQ(ModalOwner(), front.get());
  BoxSeen seen;
  {
    Answerer user([&] { AnswerBox(&seen, L"Text", Answer::KeyEnter, {back.get(), front.get()}); });
    MessageRequest(L"Title", L"Text", 0);
  }
  EXPECT_EQ(seen.owner, front.get());
  EXPECT_FALSE(seen.enabled.at(0)) << "a window other than the owner is disabled while the box is up";
  EXPECT_TRUE(IsWindowEnabled(back.get()));
  EXPECT_TRUE(IsWindowEnabled(front.get()));
}

// ModalBegin and ModalEnd on their own, over one window of every kind.
TEST(ModalOwnership, BeginRecordsVisibleWindowsAndEndRestoresExactlyWhatItChanged) {
  TestWindow front(L"Front");
  TestWindow plain(L"Plain", 0, true, 80, 80);
  TestWindow disabled(L"Disabled before", 0, true, 120, 120);
  TestWindow hidden(L"Hidden", 0, false, 160, 160);
  TestWindow topmost(L"Topmost", WS_EX_TOPMOST, true, 200, 200);
  reqtest::WorkerThread worker;
  EnableWindow(disabled.get(), FALSE);
  ASSERT_TRUE(wintest::BringToFront(front.get()));
  ASSERT_TRUE(reqtest::IsTopmost(topmost.get()));

  struct Expect {
    const char* name;
    HWND window;
    bool enabledDuring, topmostDuring, enabledAfter, topmostAfter;
  };
  const Expect table[] = {
      {"foreground window", front.get(), true, false, true, false},
      {"plain window", plain.get(), false, false, true, false},
      {"window disabled before", disabled.get(), false, false, false, false},
      {"hidden window", hidden.get(), true, false, true, false},
      {"topmost window", topmost.get(), false, false, true, true},
      {"other thread's window", worker.window(), true, false, true, false},
  };

  ModalBegin();
  wintest::Pump();
  EXPECT_EQ(reqtest::ModalEntryCount(kMainThread), 4) << "one entry per visible window of this thread";
  EXPECT_EQ(reqtest::ModalEntryCount(worker.id()), 0);
  for (const Expect& e : table) {
    EXPECT_EQ(IsWindowEnabled(e.window) != 0, e.enabledDuring) << e.name << " while modal";
    EXPECT_EQ(reqtest::IsTopmost(e.window), e.topmostDuring) << e.name << " while modal";
  }
  ModalEnd();
  wintest::Pump();
  EXPECT_EQ(reqtest::ModalEntryCount(kMainThread), 0);
  for (const Expect& e : table) {
    EXPECT_EQ(IsWindowEnabled(e.window) != 0, e.enabledAfter) << e.name << " afterwards";
    EXPECT_EQ(reqtest::IsTopmost(e.window), e.topmostAfter) << e.name << " afterwards";
  }
  EXPECT_FALSE(IsWindowVisible(hidden.get())) << "the hidden window was shown";
}

TEST(ModalOwnership, EndWithoutBeginDoesNothing) {
  TestWindow front(L"Front");
  TestWindow disabled(L"Disabled", 0, true, 120, 120);
  TestWindow topmost(L"Topmost", WS_EX_TOPMOST, true, 200, 200);
  EnableWindow(disabled.get(), FALSE);
  ASSERT_TRUE(wintest::BringToFront(front.get()));
  ModalEnd();
  wintest::Pump();
  EXPECT_TRUE(IsWindowEnabled(front.get()));
  EXPECT_FALSE(IsWindowEnabled(disabled.get()));
  EXPECT_TRUE(reqtest::IsTopmost(topmost.get()));
  EXPECT_TRUE(IsWindowEnabled(topmost.get()));
  EXPECT_EQ(reqtest::ModalEntryCount(kMainThread), 0);
}

TEST(ModalOwnership, EachThreadsEndHandlesOnlyItsOwnEntries) {
  TestWindow mine(L"Mine");
  TestWindow second(L"Mine too", 0, true, 120, 120);
  reqtest::WorkerThread worker;
  HWND workerSecond = nullptr;
  worker.Run([&] {
    workerSecond = CreateWindowExW(WS_EX_TOPMOST, L"RequesterTestWindow", L"Worker topmost",
                                   WS_OVERLAPPEDWINDOW | WS_VISIBLE, 400, 200, 200, 120, nullptr, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
  });
  ASSERT_TRUE(wintest::BringToFront(mine.get()));

  // The worker is not in front: both its windows are disabled by its ModalBegin.
  worker.Run([] { ModalBegin(); });
  ModalBegin();
  EXPECT_EQ(reqtest::ModalEntryCount(worker.id()), 2);
  EXPECT_EQ(reqtest::ModalEntryCount(kMainThread), 2);
  EXPECT_FALSE(IsWindowEnabled(second.get()));
  EXPECT_FALSE(IsWindowEnabled(worker.window()));
  EXPECT_FALSE(reqtest::IsTopmost(workerSecond));

  ModalEnd();
  EXPECT_EQ(reqtest::ModalEntryCount(kMainThread), 0);
  EXPECT_EQ(reqtest::ModalEntryCount(worker.id()), 2) << "this thread's ModalEnd took the worker's entries";
  EXPECT_TRUE(IsWindowEnabled(second.get()));
  EXPECT_FALSE(IsWindowEnabled(worker.window())) << "this thread's ModalEnd enabled the worker's window";
  EXPECT_FALSE(reqtest::IsTopmost(workerSecond));

  worker.Run([] { ModalEnd(); });
  EXPECT_EQ(reqtest::ModalEntryCount(worker.id()), 0);
  EXPECT_TRUE(IsWindowEnabled(worker.window()));
  EXPECT_TRUE(IsWindowEnabled(workerSecond));
  EXPECT_TRUE(reqtest::IsTopmost(workerSecond));
  worker.Run([&] { DestroyWindow(workerSecond); });
}

TEST(ModalOwnership, OneEndRestoresEntriesOfEveryEarlierBegin) {
  TestWindow front(L"Front");
  TestWindow plain(L"Plain", 0, true, 120, 120);
  ASSERT_TRUE(wintest::BringToFront(front.get()));
  ModalBegin();
  ModalBegin();  // finds the plain window already disabled: recorded, not disabled again
  EXPECT_EQ(reqtest::ModalEntryCount(kMainThread), 4);
  ModalEnd();
  EXPECT_EQ(reqtest::ModalEntryCount(kMainThread), 0);
  EXPECT_TRUE(IsWindowEnabled(plain.get()));
}

// A key message made up and given to the thread's message-filter hook as the dialog manager
// gives it; whether the hook kept it from the box.
struct KeyStep {
  UINT message;
  WORD key;
  bool repeat;
  DWORD after;  // ms after the filter started
  bool kept;
};

bool Filtered(const KeyStep& step, DWORD start) {
  MSG message{};
  message.message = step.message;
  message.wParam = step.key;
  message.lParam = step.repeat || step.message == WM_KEYUP ? 0x40000001 : 1;
  message.time = start + step.after;
  return CallMsgFilterW(&message, MSGF_DIALOGBOX) != 0;
}

// Enter down on the keyboard (through SendInput) while `run` runs, as when a press brought a box up.
template <typename Run>
void WithEnterDown(Run run) {
  wintest::SendKeyInputs({wintest::KeyInput(VK_RETURN, false)});
  wintest::WaitUntil([] { return GetAsyncKeyState(VK_RETURN) < 0; }, 1000);
  run();
  wintest::SendKeyInputs({wintest::KeyInput(VK_RETURN, true)});
  wintest::Pump(50);
}

TEST(HeldKeyHook, KeepsRepeatsAndTheHeldPressFromTheBoxAndLetsANewPressPass) {
  struct Row {
    const char* name;
    bool enterDown;  // when the filter starts
    std::vector<KeyStep> steps;
  };
  const Row rows[] = {
      {"repeats, then a new press",
       false,
       {{WM_KEYDOWN, VK_RETURN, true, 10, true}, {WM_KEYDOWN, VK_ESCAPE, true, 20, true},
        {WM_KEYDOWN, VK_RETURN, false, 30, false}}},
      {"other keys", true, {{WM_KEYDOWN, 'A', true, 10, false}, {WM_KEYDOWN, VK_SPACE, false, 20, false}}},
      {"the held press without the repeat bit soon after a message of it",
       true,
       {{WM_KEYDOWN, VK_RETURN, false, 20, true}, {WM_KEYDOWN, VK_RETURN, true, 50, true},
        {WM_KEYUP, VK_RETURN, false, 80, false}, {WM_KEYDOWN, VK_RETURN, false, 82, true},
        {WM_KEYUP, VK_RETURN, false, 100, false}, {WM_KEYDOWN, VK_RETURN, false, 170, false}}},
      {"its key-up lost, a press", true, {{WM_KEYDOWN, VK_RETURN, false, 70, false}}},
  };
  for (const Row& row : rows) {
    const auto check = [&] {
      const HeldKeyHook hook;
      const DWORD start = GetTickCount();
      for (const KeyStep& step : row.steps) {
        EXPECT_EQ(Filtered(step, start), step.kept) << row.name << ": the step at " << step.after << " ms";
      }
    };
    row.enterDown ? WithEnterDown(check) : check();
  }
}

TEST(HeldKeyHook, ANestedOneLeavesTheOutersStateAlone) {
  WithEnterDown([] {
    const HeldKeyHook outer;
    const DWORD start = GetTickCount();
    wintest::SendKeyInputs({wintest::KeyInput(VK_RETURN, true)});
    wintest::WaitUntil([] { return GetAsyncKeyState(VK_RETURN) >= 0; }, 1000);
    {
      const HeldKeyHook inner;
      EXPECT_FALSE(Filtered({WM_KEYDOWN, VK_RETURN, false, 20, false}, start)) << "a press in the inner one";
    }
    EXPECT_TRUE(Filtered({WM_KEYDOWN, VK_RETURN, false, 40, true}, start)) << "the outer one's held press";
  });
}

}  // namespace
