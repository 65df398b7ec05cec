// ModalWait on an event object over a real window with an edit, a button and an Enter shortcut:
// input given during the wait by any road changes nothing and queues nothing, a close request is
// queued, and afterwards the window is enabled, the focus back and the pointer the field's.
#include <windows.h>

#include <functional>
#include <thread>

#include <gtest/gtest.h>

#include "gui/gadget/button_gadget.h"
#include "gui/gadget/edit_gadget.h"
#include "gui/gadget/gadget.h"
#include "gui/requester/modal_wait.h"
#include "gui/window/event_queue.h"
#include "gui/window/shortcut.h"
#include "tests/gui/gadget/gadget_test_support.h"
#include "tests/support/win_test.h"

namespace {

struct Given {
  const char* name;
  std::function<void(HWND window, HWND field, HWND button)> give;  // on a second thread
  std::vector<Event> queued;                                        // events left, repaints and activation aside
};

TEST_F(GadgetWindowTest, ModalWaitDropsInputByAnyRoadAndQueuesACloseRequest) {
  HWND field = reinterpret_cast<HWND>(GadgetCreateEdit(1, 10, 10, 200, 22, L"kept"));
  HWND button = reinterpret_cast<HWND>(GadgetCreateButton(2, 10, 50, 80, 25, L"Go"));
  ASSERT_TRUE(field && button && ShortcutAdd(0, VK_RETURN, 3));
  ASSERT_TRUE(wintest::BringToFront(window_));
  RECT box{};
  GetWindowRect(field, &box);
  const POINT overField{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
  const Given rows[] = {
      {"typed keys", [](HWND, HWND, HWND) { wintest::TypeText(L"xy"); }, {}},
      {"a drag of the caption",
       [](HWND window, HWND, HWND) {
         RECT frame{};
         GetWindowRect(window, &frame);
         const int x = frame.left + 60, y = frame.top + GetSystemMetrics(SM_CYFIXEDFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
         wintest::PressMouseAt(x, y, true);
         wintest::PressMouseAt(x + 40, y + 30, false);
       },
       {}},
      {"a posted WM_CHAR", [](HWND, HWND edit, HWND) { PostMessageW(edit, WM_CHAR, L'x', 1); }, {}},
      {"a posted BM_CLICK", [](HWND, HWND, HWND go) { PostMessageW(go, BM_CLICK, 0, 0); }, {}},
      {"a posted WM_CLOSE", [](HWND window, HWND, HWND) { PostMessageW(window, WM_CLOSE, 0, 0); },
       {{CloseWindowEvent, 0, 0, 0}}},
  };
  for (const Given& row : rows) {
    SCOPED_TRACE(row.name);
    GadgetSetFocus(1);
    DiscardEvents();
    GetWindowRect(window_, &box);
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread user([&] {
      if (wintest::WaitUntil([&] { return !IsWindowEnabled(window_); }, 3000)) row.give(window_, field, button);
      wintest::MoveMouseTo(overField.x, overField.y);
      Sleep(300);
      SetEvent(done);  // always, so that the wait ends
    });
    ModalWait(done);
    user.join();
    CloseHandle(done);
    std::vector<Event> queued;
    for (const Event& event : CollectEvents(300)) {
      if (event.kind != RepaintEvent && event.kind != ActivateWindowEvent) queued.push_back(event);
    }
    EXPECT_EQ(queued, row.queued) << "got " << Describe(queued) << ", expected " << Describe(row.queued);
    wchar_t text[16] = {};
    GetWindowTextW(field, text, 16);
    EXPECT_STREQ(L"kept", text);
    RECT now{};
    GetWindowRect(window_, &now);
    EXPECT_TRUE(now.left == box.left && now.top == box.top) << "the window moved";
    EXPECT_TRUE(IsWindowEnabled(window_)) << "still disabled";
    EXPECT_EQ(field, GetFocus()) << "the focus is not back in the field";
    EXPECT_EQ(LoadCursorW(nullptr, IDC_IBEAM), GetCursor()) << "the pointer over the field is no I-beam";
  }
}

}  // namespace
