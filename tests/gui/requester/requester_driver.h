// What the requester tests share: plain top-level test windows, a worker thread with windows
// of its own, and the "user" who answers a requester from a second thread with real input
// while the requester's modal loop runs on the test's main thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace reqtest {

// A plain top-level window of the calling thread, destroyed with the object.
class TestWindow {
 public:
  explicit TestWindow(const wchar_t* title, DWORD exStyle = 0, bool visible = true, int x = 40, int y = 40);
  ~TestWindow();
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;
  HWND get() const { return window_; }
  // Forgets the window (after it was destroyed some other way).
  void Release() { window_ = nullptr; }

 private:
  HWND window_;
};

bool IsTopmost(HWND window);

// A thread with a visible window of its own that runs work on request, synchronously.
class WorkerThread {
 public:
  WorkerThread();
  ~WorkerThread();
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;
  // Runs `work` on the worker thread and waits for it.
  void Run(const std::function<void()>& work);
  HWND window() const { return window_; }
  DWORD id() const { return id_; }

 private:
  std::thread thread_;
  HWND window_ = nullptr;
  DWORD id_ = 0;
};

// Runs `answer` on a second thread; joined on destruction. A requester of the constructing
// thread still up a few seconds after `answer` returned (a dialog it could not find or close)
// fails the test and is ended at once with WM_QUIT, which ends the message box's and the input
// requester's loops alike, so the test never waits for the watchdog. The destructor takes that
// WM_QUIT out of the constructing thread's queue again.
class Answerer {
 public:
  explicit Answerer(std::function<void()> answer);
  ~Answerer();
  Answerer(const Answerer&) = delete;
  Answerer& operator=(const Answerer&) = delete;

 private:
  void EndLeftRequester();

  DWORD caller_;
  std::atomic<bool> quitPosted_{false};
  std::thread thread_;
};

// The first visible top-level window of `thread` with the class `className`, waited for.
HWND WaitForThreadWindow(DWORD thread, const wchar_t* className, DWORD milliseconds = 5000);

// The input requester of `thread` as the user found it, once its field had the focus.
struct InputDialog {
  HWND window = nullptr;
  HWND prompt = nullptr;
  HWND field = nullptr;
  HWND button = nullptr;
  bool focused = false;
};
InputDialog FindInputDialog(DWORD thread);
// Waits until `window` is gone; returns whether it went.
bool WaitGone(HWND window, DWORD milliseconds = 2000);
// Makes sure `window` is the foreground window, with real input if need be.
bool EnsureForeground(HWND window);
// Clicks the centre of a control until `window` goes (a click on a window just shown may be
// dropped), bringing `window` to the front first; returns whether it went.
bool ClickUntilGone(HWND control, HWND window);
// The screen point of the close box of a captioned window, found by hit testing.
bool FindCloseBox(HWND window, POINT* point);
// Window text and class name, for comparisons.
std::wstring WindowText(HWND window);
std::wstring ClassName(HWND window);
// The window that has the keyboard focus in `thread`.
HWND FocusOf(DWORD thread);

// Another program's window in front: the helper program beside the test, started and ended.
class FrontProgram {
 public:
  explicit FrontProgram(const wchar_t* title);
  ~FrontProgram();
  FrontProgram(const FrontProgram&) = delete;
  FrontProgram& operator=(const FrontProgram&) = delete;
  HWND window() const { return window_; }

 private:
  PROCESS_INFORMATION process_{};
  HWND window_ = nullptr;
};

}  // namespace reqtest
