#include "tests/gui/requester/requester_driver.h"

#include <vector>

#include <gtest/gtest.h>

#include "gui/requester/input_requester.h"
#include "tests/support/win_test.h"

namespace reqtest {

namespace {

constexpr wchar_t kTestClass[] = L"RequesterTestWindow";
constexpr UINT kRunWork = WM_APP + 1;

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kRunWork) {
    (*reinterpret_cast<const std::function<void()>*>(lParam))();
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterTestClass() {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = TestWindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
  windowClass.lpszClassName = kTestClass;
  RegisterClassExW(&windowClass);
}

struct ThreadWindowSearch {
  const wchar_t* className;
  HWND found;
};

BOOL CALLBACK MatchThreadWindow(HWND window, LPARAM search) {
  auto* wanted = reinterpret_cast<ThreadWindowSearch*>(search);
  if (IsWindowVisible(window) && ClassName(window) == wanted->className) {
    wanted->found = window;
    return FALSE;
  }
  return TRUE;
}

// A visible message box or input requester of `thread`, or null.
HWND RequesterOf(DWORD thread) {
  for (const wchar_t* className : {L"#32770", L"InputRequester"}) {
    ThreadWindowSearch search{className, nullptr};
    EnumThreadWindows(thread, MatchThreadWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
  }
  return nullptr;
}

}  // namespace

Answerer::Answerer(std::function<void()> answer)
    : caller_(GetCurrentThreadId()), thread_([this, answer = std::move(answer)] {
        answer();
        EndLeftRequester();
      }) {}

Answerer::~Answerer() {
  thread_.join();
  MSG quit;
  if (quitPosted_) PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

void Answerer::EndLeftRequester() {
  if (wintest::WaitUntil([&] { return RequesterOf(caller_) == nullptr; }, 3000)) return;
  ADD_FAILURE() << "the answering thread left a requester up; ending it";
  quitPosted_ = true;
  PostThreadMessageW(caller_, WM_QUIT, 0, 0);
}

TestWindow::TestWindow(const wchar_t* title, DWORD exStyle, bool visible, int x, int y) {
  RegisterTestClass();
  window_ = CreateWindowExW(exStyle, kTestClass, title, WS_OVERLAPPEDWINDOW, x, y, 240, 160, nullptr,
                            nullptr, GetModuleHandleW(nullptr), nullptr);
  if (visible) ShowWindow(window_, SW_SHOWNORMAL);
  wintest::Pump(20);
}

TestWindow::~TestWindow() {
  if (window_ && IsWindow(window_)) DestroyWindow(window_);
}

bool IsTopmost(HWND window) { return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

WorkerThread::WorkerThread() {
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  thread_ = std::thread([this, ready] {
    RegisterTestClass();
    window_ = CreateWindowExW(0, kTestClass, L"Worker window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 40, 200,
                              120, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    id_ = GetCurrentThreadId();
    SetEvent(ready);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    DestroyWindow(window_);
  });
  WaitForSingleObject(ready, 10000);
  CloseHandle(ready);
}

WorkerThread::~WorkerThread() {
  PostThreadMessageW(id_, WM_QUIT, 0, 0);
  thread_.join();
}

void WorkerThread::Run(const std::function<void()>& work) {
  SendMessageW(window_, kRunWork, 0, reinterpret_cast<LPARAM>(&work));
}

HWND WaitForThreadWindow(DWORD thread, const wchar_t* className, DWORD milliseconds) {
  ThreadWindowSearch search{className, nullptr};
  wintest::WaitUntil(
      [&] {
        EnumThreadWindows(thread, MatchThreadWindow, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      milliseconds);
  return search.found;
}

bool WaitGone(HWND window, DWORD milliseconds) {
  return wintest::WaitUntil([&] { return !IsWindow(window); }, milliseconds);
}

InputDialog FindInputDialog(DWORD thread) {
  InputDialog dialog;
  dialog.window = WaitForThreadWindow(thread, L"InputRequester");
  if (!dialog.window) return dialog;
  // The dialog is visible before its controls exist: wait for the last of them.
  wintest::WaitUntil([&] { return GetDlgItem(dialog.window, InputOkId) != nullptr; }, 2000);
  dialog.prompt = GetDlgItem(dialog.window, InputPromptId);
  dialog.field = GetDlgItem(dialog.window, InputFieldId);
  dialog.button = GetDlgItem(dialog.window, InputOkId);
  EnsureForeground(dialog.window);
  // Typed keys reach the field only while the dialog is also the foreground window.
  const auto fieldFocused = [&] {
    return GetForegroundWindow() == dialog.window && FocusOf(thread) == dialog.field;
  };
  dialog.focused = wintest::WaitUntil(fieldFocused, 2000);
  if (!dialog.focused) {
    // With another program in front the dialog may not have been let take the foreground: a
    // user clicks into it.
    RECT field{};
    GetWindowRect(dialog.field, &field);
    wintest::ClickScreen((field.left + field.right) / 2, (field.top + field.bottom) / 2);
    dialog.focused = wintest::WaitUntil(fieldFocused, 2000);
  }
  return dialog;
}

bool EnsureForeground(HWND window) {
  if (wintest::WaitUntil([&] { return GetForegroundWindow() == window; }, 1000)) return true;
  return wintest::BringToFront(window);
}

bool ClickUntilGone(HWND control, HWND window) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    // A window of another program may lie over the dialog: a user brings the dialog up first.
    if (GetForegroundWindow() != window) EnsureForeground(window);
    RECT rect;
    if (!GetWindowRect(control, &rect)) return WaitGone(window, 0);
    wintest::ClickScreen((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    if (WaitGone(window, 1000)) return true;
  }
  return false;
}

bool FindCloseBox(HWND window, POINT* point) {
  RECT rect;
  GetWindowRect(window, &rect);
  for (int y = rect.top + 1; y < rect.top + 40; y += 2) {
    for (int x = rect.right - 2; x > rect.right - 80; x -= 2) {
      const LRESULT hit = SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(x, y));
      if (hit == HTCLOSE) {
        // Aim at the middle of the box's row of pixels found so far.
        *point = POINT{x - 4, y + 4};
        if (SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(point->x, point->y)) != HTCLOSE) *point = POINT{x, y};
        return true;
      }
    }
  }
  return false;
}

std::wstring WindowText(HWND window) {
  wchar_t text[512] = {};
  SendMessageW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
  return text;
}

std::wstring ClassName(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

HWND FocusOf(DWORD thread) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(thread, &info)) return nullptr;
  return info.hwndFocus;
}

FrontProgram::FrontProgram(const wchar_t* title) {
  std::wstring command = L"\"" + wintest::ProgramFolder() + L"\\requester_front_window.exe\" \"" + title + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process_)) {
    return;
  }
  wintest::WaitUntil(
      [&] {
        window_ = FindWindowW(L"RequesterFrontWindow", title);
        return window_ != nullptr && IsWindowVisible(window_);
      },
      10000);
  if (window_) wintest::BringToFront(window_);
}

FrontProgram::~FrontProgram() {
  if (!process_.hProcess) return;
  if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process_.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(process_.hProcess, 1);
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

}  // namespace reqtest
