// The input dialog, through real windows: a user thread finds it, types with real keystrokes
// and answers with real clicks and keys while the dialog's own loop runs on the main thread.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <ostream>
#include <string>

#include "gui/requester/input_requester.h"
#include "tests/gui/requester/modal_list_probe.h"
#include "tests/gui/requester/requester_driver.h"
#include "tests/support/win_test.h"

using reqtest::Answerer;
using reqtest::TestWindow;

namespace {

const DWORD kMainThread = GetCurrentThreadId();

using Dialog = reqtest::InputDialog;

Dialog FindDialog() { return reqtest::FindInputDialog(kMainThread); }

// Closes a dialog the user thread could not answer, so that the main thread never hangs.
void Rescue(const Dialog& dialog) {
  if (dialog.window && IsWindow(dialog.window)) {
    ADD_FAILURE() << "the dialog did not go on the user's answer";
    PostMessageW(dialog.window, WM_CLOSE, 0, 0);
  }
}

enum class Close { ClickOk, Enter, Escape, CloseBox, AltF4 };

bool Answer(const Dialog& dialog, Close how) {
  switch (how) {
    case Close::ClickOk:
      return reqtest::ClickUntilGone(dialog.button, dialog.window);
    case Close::Enter:
      wintest::PressKey(VK_RETURN);
      break;
    case Close::Escape:
      wintest::PressKey(VK_ESCAPE);
      break;
    case Close::AltF4:
      wintest::PressKey(VK_F4, false, false, true);
      break;
    case Close::CloseBox: {
      POINT box;
      if (!reqtest::FindCloseBox(dialog.window, &box)) return false;
      for (int attempt = 0; attempt < 5 && IsWindow(dialog.window); ++attempt) {
        wintest::ClickScreen(box.x, box.y);
        reqtest::WaitGone(dialog.window, 1000);
      }
      break;
    }
  }
  return reqtest::WaitGone(dialog.window);
}

struct AnswerCase {
  const char* name;
  const wchar_t* typed;
  Close how;
  const wchar_t* expected;
};

void PrintTo(const AnswerCase& c, std::ostream* out) { *out << c.name; }

class InputAnswers : public testing::TestWithParam<AnswerCase> {};

TEST_P(InputAnswers, ResultFollowsHowTheDialogWasClosed) {
  const AnswerCase& c = GetParam();
  TestWindow main(L"Main window");
  TestWindow other(L"Other window", 0, true, 300, 60);
  ASSERT_TRUE(wintest::BringToFront(main.get()));
  Dialog dialog;
  BOOL mainEnabledDuring = TRUE, otherEnabledDuring = TRUE;
  HWND owner = nullptr;
  bool gone = false;
  bool shown = false;
  Text result;
  {
    Answerer user([&] {
      dialog = FindDialog();
      if (!dialog.window) return;
      owner = GetWindow(dialog.window, GW_OWNER);
      mainEnabledDuring = IsWindowEnabled(main.get());
      otherEnabledDuring = IsWindowEnabled(other.get());
      if (dialog.focused) {
        wintest::TypeText(c.typed);
        wintest::WaitUntil([&] { return reqtest::WindowText(dialog.field) == c.typed; }, 1000);
        gone = Answer(dialog, c.how);
      }
      Rescue(dialog);
    });
    result = InputRequester(L"Domain required", L"Please enter your domain.", L"", 0, &shown);
  }
  ASSERT_NE(dialog.window, nullptr) << "no input dialog appeared";
  EXPECT_TRUE(shown) << "a dialog that was up counts as shown, however it was closed";
  EXPECT_TRUE(dialog.focused) << "the entry field did not get the keyboard focus";
  EXPECT_TRUE(gone);
  EXPECT_EQ(wintest::Narrow(result.c_str()), wintest::Narrow(c.expected));
  EXPECT_EQ(owner, main.get()) << "the dialog is owned by the program's foreground window";
  EXPECT_FALSE(mainEnabledDuring) << "the owner is disabled while the dialog is up";
  EXPECT_FALSE(otherEnabledDuring) << "the program's other windows are disabled while the dialog is up";
  EXPECT_TRUE(IsWindowEnabled(main.get()));
  EXPECT_TRUE(IsWindowEnabled(other.get()));
  EXPECT_EQ(reqtest::ModalEntryCount(kMainThread), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Closing, InputAnswers,
    testing::Values(AnswerCase{"OkClicked", L"CORP", Close::ClickOk, L"CORP"},
                    AnswerCase{"Enter", L"admin \u00e9\u00df", Close::Enter, L"admin \u00e9\u00df"},
                    AnswerCase{"OkClickedEmpty", L"", Close::ClickOk, L""},
                    AnswerCase{"EnterEmpty", L"", Close::Enter, L""},
                    AnswerCase{"EscapeWithText", L"typed", Close::Escape, L""},
                    AnswerCase{"CloseBoxWithText", L"typed", Close::CloseBox, L""},
                    AnswerCase{"AltF4WithText", L"typed", Close::AltF4, L""}),
    [](const testing::TestParamInfo<AnswerCase>& info) { return std::string(info.param.name); });

TEST(InputRequester, PasswordFieldMasksYetGivesThePlainText) {
  TestWindow main(L"Main window");
  ASSERT_TRUE(wintest::BringToFront(main.get()));
  LRESULT mask = 0;
  LONG_PTR style = 0;
  Text result;
  {
    Answerer user([&] {
      const Dialog dialog = FindDialog();
      if (!dialog.window) return;
      mask = SendMessageW(dialog.field, EM_GETPASSWORDCHAR, 0, 0);
      style = GetWindowLongPtrW(dialog.field, GWL_STYLE);
      if (dialog.focused) {
        wintest::TypeText(L"S3cr&t!");
        Answer(dialog, Close::Enter);
      }
      Rescue(dialog);
    });
    result = InputRequester(L"Password required", L"Please enter your admin password:", L"", InputPassword);
  }
  EXPECT_NE(mask, 0) << "the field shows its characters";
  EXPECT_TRUE(style & ES_PASSWORD);
  EXPECT_EQ(wintest::Narrow(result.c_str()), "S3cr&t!");
}

TEST(InputRequester, DefaultTextShownWithCaretAfterItAndNothingSelected) {
  TestWindow main(L"Main window");
  ASSERT_TRUE(wintest::BringToFront(main.get()));
  std::wstring shown;
  DWORD start = 99, end = 99;
  Text result;
  {
    Answerer user([&] {
      const Dialog dialog = FindDialog();
      if (!dialog.window) return;
      shown = reqtest::WindowText(dialog.field);
      SendMessageW(dialog.field, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
      if (dialog.focused) {
        // Typing goes where the caret is: after the default text, replacing nothing.
        wintest::TypeText(L"X");
        Answer(dialog, Close::ClickOk);
      }
      Rescue(dialog);
    });
    result = InputRequester(L"Title", L"Prompt", L"CORP", 0);
  }
  EXPECT_EQ(wintest::Narrow(shown), "CORP");
  EXPECT_EQ(start, 4u);
  EXPECT_EQ(end, 4u);
  EXPECT_EQ(wintest::Narrow(result.c_str()), "CORPX");
}

TEST(InputRequester, NullTextsLeaveCaptionPromptAndFieldEmpty) {
  TestWindow main(L"Main window");
  ASSERT_TRUE(wintest::BringToFront(main.get()));
  std::wstring caption = L"?", prompt = L"?", field = L"?";
  Text result;
  {
    Answerer user([&] {
      const Dialog dialog = FindDialog();
      if (!dialog.window) return;
      caption = reqtest::WindowText(dialog.window);
      prompt = reqtest::WindowText(dialog.prompt);
      field = reqtest::WindowText(dialog.field);
      Answer(dialog, Close::ClickOk);
      Rescue(dialog);
    });
    result = InputRequester(nullptr, nullptr, nullptr);
  }
  EXPECT_EQ(caption, L"");
  EXPECT_EQ(prompt, L"");
  EXPECT_EQ(field, L"");
  EXPECT_TRUE(result.empty());
}

TEST(InputRequester, TabMovesBetweenFieldAndButton) {
  TestWindow main(L"Main window");
  ASSERT_TRUE(wintest::BringToFront(main.get()));
  HWND afterTab = nullptr, afterSecondTab = nullptr, afterShiftTab = nullptr;
  Dialog dialog;
  {
    Answerer user([&] {
      dialog = FindDialog();
      if (!dialog.window) return;
      if (dialog.focused) {
        wintest::PressKey(VK_TAB);
        wintest::WaitUntil([&] { return reqtest::FocusOf(kMainThread) == dialog.button; }, 1000);
        afterTab = reqtest::FocusOf(kMainThread);
        wintest::PressKey(VK_TAB);
        wintest::WaitUntil([&] { return reqtest::FocusOf(kMainThread) == dialog.field; }, 1000);
        afterSecondTab = reqtest::FocusOf(kMainThread);
        wintest::PressKey(VK_TAB, false, true);
        wintest::WaitUntil([&] { return reqtest::FocusOf(kMainThread) == dialog.button; }, 1000);
        afterShiftTab = reqtest::FocusOf(kMainThread);
        Answer(dialog, Close::Escape);
      }
      Rescue(dialog);
    });
    InputRequester(L"Title", L"Prompt", L"");
  }
  EXPECT_EQ(afterTab, dialog.button) << "Tab from the field";
  EXPECT_EQ(afterSecondTab, dialog.field) << "Tab from the button";
  EXPECT_EQ(afterShiftTab, dialog.button) << "Shift+Tab from the field";
}

struct ControlLayout {
  const char* name;
  int id;
  const wchar_t* className;
  RECT rect;  // in the dialog's client area: left, top, right, bottom
  LONG_PTR style;
  LONG_PTR exStyle;
  const wchar_t* text;
};

struct ControlSeen {
  std::wstring className;
  RECT rect{};
  LONG_PTR style = 0, exStyle = 0;
  std::wstring text;
  HFONT font = nullptr;
};

struct DialogSeen {
  RECT rect{};
  LONG_PTR style = 0, exStyle = 0;
  std::wstring caption;
  UINT classStyle = 0;
  bool classIcon = false;
  bool classCursor = false;
  LONG_PTR background = 0;
  int classExtra = -1, windowExtra = -1;
  ControlSeen controls[3];
};

const ControlLayout kLayout[3] = {
    {"prompt", InputPromptId, L"Static", {10, 10, 290, 32}, 0x5000000B, 0, L"Please enter your domain."},
    {"entry field", InputFieldId, L"Edit", {10, 32, 285, 53}, 0x50010080, WS_EX_CLIENTEDGE, L"default"},
    {"OK button", InputOkId, L"Button", {110, 67, 190, 92}, 0x50010001, 0, L"OK"},
};

DialogSeen Inspect(const Dialog& dialog) {
  DialogSeen seen;
  GetWindowRect(dialog.window, &seen.rect);
  seen.style = GetWindowLongPtrW(dialog.window, GWL_STYLE);
  seen.exStyle = GetWindowLongPtrW(dialog.window, GWL_EXSTYLE);
  seen.caption = reqtest::WindowText(dialog.window);
  seen.classStyle = static_cast<UINT>(GetClassLongPtrW(dialog.window, GCL_STYLE));
  seen.classIcon = GetClassLongPtrW(dialog.window, GCLP_HICON) != 0;
  seen.classCursor = GetClassLongPtrW(dialog.window, GCLP_HCURSOR) != 0;
  seen.background = static_cast<LONG_PTR>(GetClassLongPtrW(dialog.window, GCLP_HBRBACKGROUND));
  seen.classExtra = static_cast<int>(GetClassLongPtrW(dialog.window, GCL_CBCLSEXTRA));
  seen.windowExtra = static_cast<int>(GetClassLongPtrW(dialog.window, GCL_CBWNDEXTRA));
  for (int i = 0; i < 3; ++i) {
    HWND control = GetDlgItem(dialog.window, kLayout[i].id);
    ControlSeen& c = seen.controls[i];
    c.className = reqtest::ClassName(control);
    GetWindowRect(control, &c.rect);
    MapWindowPoints(nullptr, dialog.window, reinterpret_cast<POINT*>(&c.rect), 2);
    c.style = GetWindowLongPtrW(control, GWL_STYLE);
    c.exStyle = GetWindowLongPtrW(control, GWL_EXSTYLE);
    c.text = reqtest::WindowText(control);
    c.font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  }
  return seen;
}

DialogSeen ShowAndInspect(const wchar_t* defaultText) {
  DialogSeen seen;
  Answerer user([&] {
    const Dialog dialog = FindDialog();
    if (!dialog.window) return;
    seen = Inspect(dialog);
    Answer(dialog, Close::Escape);
    Rescue(dialog);
  });
  InputRequester(L"Domain required", L"Please enter your domain.", defaultText);
  return seen;
}

TEST(InputRequester, GeometryClassAndControlsAsLaidOut) {
  TestWindow main(L"Main window");
  ASSERT_TRUE(wintest::BringToFront(main.get()));
  const DialogSeen seen = ShowAndInspect(L"default");

  // Centred on the work area of the owner's monitor.
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(main.get(), MONITOR_DEFAULTTONEAREST), &monitor));
  const RECT& work = monitor.rcWork;
  const int left = work.left + (work.right - work.left) / 2 - 150;
  const int top = work.top + (work.bottom - work.top) / 2 - 65;
  EXPECT_EQ(seen.rect.left, left);
  EXPECT_EQ(seen.rect.top, top);
  EXPECT_EQ(seen.rect.right - seen.rect.left, 300) << "outer width";
  EXPECT_EQ(seen.rect.bottom - seen.rect.top, 130) << "outer height";
  // The system adds WS_CLIPSIBLINGS to every top-level window and WS_EX_WINDOWEDGE to captioned ones.
  EXPECT_EQ(seen.style & ~static_cast<LONG_PTR>(WS_CLIPSIBLINGS), 0x10C80000);
  EXPECT_EQ(seen.exStyle & ~static_cast<LONG_PTR>(WS_EX_WINDOWEDGE), 0);
  EXPECT_EQ(seen.caption, L"Domain required");
  EXPECT_EQ(seen.classStyle, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));
  EXPECT_TRUE(seen.classIcon) << "the class carries the program's icon";
  EXPECT_TRUE(seen.classCursor);
  EXPECT_EQ(seen.background, COLOR_BTNFACE + 1);
  EXPECT_EQ(seen.classExtra, 0);
  EXPECT_EQ(seen.windowExtra, 0);

  for (int i = 0; i < 3; ++i) {
    const ControlLayout& want = kLayout[i];
    const ControlSeen& got = seen.controls[i];
    EXPECT_EQ(got.className, want.className) << want.name;
    EXPECT_EQ(got.rect.left, want.rect.left) << want.name;
    EXPECT_EQ(got.rect.top, want.rect.top) << want.name;
    EXPECT_EQ(got.rect.right, want.rect.right) << want.name;
    EXPECT_EQ(got.rect.bottom, want.rect.bottom) << want.name;
    EXPECT_EQ(got.style, want.style) << want.name << " style";
    EXPECT_EQ(got.exStyle, want.exStyle) << want.name << " extended style";
    EXPECT_EQ(got.text, want.text) << want.name << " text";
  }
}

TEST(InputRequester, ControlsShareTheMessageFontAcrossRequesters) {
  TestWindow main(L"Main window");
  ASSERT_TRUE(wintest::BringToFront(main.get()));
  const DialogSeen first = ShowAndInspect(L"");
  ASSERT_TRUE(wintest::BringToFront(main.get()));
  const DialogSeen second = ShowAndInspect(L"");

  const HFONT font = first.controls[0].font;
  ASSERT_NE(font, nullptr);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(first.controls[i].font, font) << kLayout[i].name << " of the first requester";
    EXPECT_EQ(second.controls[i].font, font) << kLayout[i].name << " of the second requester";
  }
  EXPECT_NE(font, static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
  LOGFONTW got{};
  ASSERT_NE(GetObjectW(font, sizeof got, &got), 0) << "the shared font was deleted";
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0));
  EXPECT_EQ(std::wstring(got.lfFaceName), std::wstring(metrics.lfMessageFont.lfFaceName));
  EXPECT_EQ(got.lfHeight, metrics.lfMessageFont.lfHeight);
  EXPECT_EQ(got.lfWeight, metrics.lfMessageFont.lfWeight);
}

TEST(InputRequester, QuitMessageClosesAsEscapeAndIsPostedAgain) {
  TestWindow main(L"Main window");
  TestWindow other(L"Other window", 0, true, 300, 60);
  ASSERT_TRUE(wintest::BringToFront(main.get()));
  Dialog dialog;
  Text result(L"not set");
  {
    Answerer user([&] {
      dialog = FindDialog();
      if (!dialog.window) return;
      if (dialog.focused) wintest::TypeText(L"typed");
      PostThreadMessageW(kMainThread, WM_QUIT, 42, 0);
      reqtest::WaitGone(dialog.window);
      Rescue(dialog);
    });
    result = InputRequester(L"Title", L"Prompt", L"");
  }
  ASSERT_NE(dialog.window, nullptr);
  EXPECT_FALSE(IsWindow(dialog.window)) << "the dialog outlived the quit message";
  EXPECT_TRUE(result.empty());
  EXPECT_TRUE(IsWindowEnabled(main.get()));
  EXPECT_TRUE(IsWindowEnabled(other.get()));
  EXPECT_EQ(reqtest::ModalEntryCount(kMainThread), 0);
  MSG message{};
  ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit message was swallowed";
  EXPECT_EQ(message.wParam, 42u);
}

TEST(InputRequester, OwnerDestroyedUnderTheDialogLeavesNothingDisabled) {
  TestWindow main(L"Main window");
  TestWindow other(L"Other window", 0, true, 300, 60);
  ASSERT_TRUE(wintest::BringToFront(main.get()));
  // The timer fires in the dialog's own loop and destroys the owner, which takes the owned
  // dialog with it without the close steps.
  static HWND owner;
  owner = main.get();
  Dialog dialog;
  Text result;
  {
    Answerer user([&] {
      dialog = FindDialog();
      if (!dialog.window) return;
      if (dialog.focused) wintest::TypeText(L"typed");
      reqtest::WaitGone(dialog.window, 5000);
      Rescue(dialog);
    });
    SetTimer(nullptr, 0, 1500, [](HWND, UINT, UINT_PTR timer, DWORD) {
      KillTimer(nullptr, timer);
      DestroyWindow(owner);
    });
    result = InputRequester(L"Title", L"Prompt", L"");
  }
  main.Release();
  ASSERT_NE(dialog.window, nullptr);
  EXPECT_FALSE(IsWindow(owner));
  EXPECT_TRUE(result.empty());
  EXPECT_TRUE(IsWindowEnabled(other.get())) << "a window stayed disabled after the dialog went";
  EXPECT_EQ(reqtest::ModalEntryCount(kMainThread), 0);
}

TEST(InputRequester, AnotherProgramInFrontMeansNoOwner) {
  TestWindow main(L"Main window");
  reqtest::FrontProgram front(L"Requester front program");
  ASSERT_NE(front.window(), nullptr);
  ASSERT_EQ(GetForegroundWindow(), front.window());
  HWND owner = reinterpret_cast<HWND>(1);
  BOOL mainEnabledDuring = TRUE;
  Text result;
  {
    Answerer user([&] {
      const Dialog dialog = FindDialog();
      if (!dialog.window) return;
      owner = GetWindow(dialog.window, GW_OWNER);
      mainEnabledDuring = IsWindowEnabled(main.get());
      // The other program can take the foreground back while the dialog is up (Wine hands it
      // back when this process's earlier windows go): the user then clicks into the dialog again
      // before going on.
      for (int attempt = 0; attempt < 3 && dialog.focused && IsWindow(dialog.window); ++attempt) {
        if (reqtest::WindowText(dialog.field) != L"abc") {
          SendMessageW(dialog.field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
          wintest::TypeText(L"abc");
        }
        if (GetForegroundWindow() == dialog.window && Answer(dialog, Close::Enter)) break;
        reqtest::EnsureForeground(dialog.window);
      }
      Rescue(dialog);
    });
    result = InputRequester(L"Title", L"Prompt", L"");
  }
  EXPECT_EQ(owner, nullptr);
  EXPECT_FALSE(mainEnabledDuring);
  EXPECT_TRUE(IsWindowEnabled(main.get()));
  EXPECT_EQ(wintest::Narrow(result.c_str()), "abc");
}

}  // namespace
