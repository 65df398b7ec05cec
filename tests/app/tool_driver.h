// Drives the real RebootPC.exe from a test program: starts a copy of it in a scratch folder,
// finds its windows by class and title, reads its controls back across the process boundary
// (WM_GETTEXT, styles, EM_GETCUEBANNER through a buffer in the tool's process, focus through
// GetGUIThreadInfo), types and pastes as a user does, answers its requesters, and replaces the
// system folder's shutdown.exe by the recording stand-in so every launch is recorded.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/recorder_record.h"

namespace tooltest {

// The built programs, as Windows paths.
// A build path as a test program sees it: Unix paths of the cross build reach Wine through
// drive Z:.
std::wstring WindowsPath(const char* path);
std::wstring ToolExe();
std::wstring RecorderExe();

// The system folder's shutdown.exe and the stand-in's record and steering files beside it.
std::wstring SystemShutdown();
std::wstring SystemRecordFile();
std::wstring SystemSteerFile();
// Wine runs a native file in place of one of its own programs only when WINEDLLOVERRIDES holds
// "shutdown.exe=n" at the start of the process tree (the test's environment, set by ctest): a
// value set later with SetEnvironmentVariableW does not reach the loader of a child.
bool StandInPreferred();
// Puts the stand-in in place of system32\shutdown.exe, with no records and exit code 0; false
// when the copy failed.
bool InstallRecorder();
// Removes system32\shutdown.exe (the "no shutdown.exe at all" case).
bool RemoveSystemShutdown();
// The exit code the stand-in ends with from now on.
bool SteerRecorder(std::uint32_t exitCode);
std::vector<recorder::Record> Records();
// What shutdown.exe must receive for three field texts: the system folder's shutdown.exe, then
// /r /f /m \\<name> /t <timeout> -c <notice>, the timeout left out when it is empty.
std::vector<std::wstring> ExpectedArgv(const std::wstring& name, const std::wstring& timeout,
                                       const std::wstring& notice);
// The same arguments, the program's path compared as Windows compares file paths.
bool SameArgv(const std::vector<std::wstring>& expected, const std::vector<std::wstring>& got);
// "[a][b]..." with units outside printable ASCII as \uXXXX.
std::string Show(const std::vector<std::wstring>& arguments);

// Settings file bytes: the mark and its line end, then each "key = value" line.
std::string PrefsBytes(const std::vector<std::pair<std::string, std::string>>& lines);
// The file of a settled start: "FirstRun" 0, the window at (x, y), credentials admin / secret /
// CORP stored scrambled.
std::string SettledPrefs(const std::string& x, const std::string& y);
// Whether two texts are the same but for letter case (file paths, as Windows compares them).
bool SameTextIgnoringCase(const std::wstring& a, const std::wstring& b);
// ROT47 of an ASCII or UTF-8 text (bytes outside 33..126 stay).
std::string Rot47(const std::string& text);
std::string Utf8(const std::wstring& text);

// One run of the tool. Its program is a copy of `build` in `appFolder` as RebootPC.exe, its
// current folder `workFolder`.
class ToolRun {
 public:
  ToolRun(const std::wstring& appFolder, const std::wstring& workFolder, const std::wstring& build = ToolExe());
  ~ToolRun();
  ToolRun(const ToolRun&) = delete;
  ToolRun& operator=(const ToolRun&) = delete;

  bool started() const { return process_ != nullptr; }
  // Why the tool did not start: the step that failed and its error code.
  const std::string& startFailure() const { return startFailure_; }
  HANDLE process() const { return process_; }
  DWORD processId() const { return processId_; }

  // A visible top-level window of the tool with this class and title (null: any title).
  HWND FindWindowOf(const wchar_t* className, const wchar_t* title) const;
  HWND WaitWindow(const wchar_t* className, const wchar_t* title, DWORD milliseconds = 10000) const;
  HWND WaitMainWindow(DWORD milliseconds = 10000) const;
  // Waits for the process to end; false when it is still running.
  bool WaitExit(DWORD milliseconds, DWORD* exitCode) const;
  bool Running() const;
  // Returns once the tool's GUI thread has answered a message sent to its `window`. Outside a
  // requester the tool retrieves messages only in EventWait, and only when its event queue is
  // empty, so by then every event it had queued is handled. False when it did not answer.
  bool Settle(HWND window) const;

  // The control with the keyboard focus on the tool's GUI thread, or null.
  HWND Focus() const;
  // Whether `window` is the window in front, active on the tool's GUI thread, and `control`
  // has the focus there: where the admin's next key goes.
  bool InFrontWithFocus(HWND window, HWND control) const;
  // An edit control's cue text, read through a buffer in the tool's address space.
  std::wstring CueBanner(HWND edit) const;
  // The file of the module of this name loaded in the tool, or empty when none is.
  std::wstring LoadedModuleFile(const wchar_t* name) const;

 private:
  HANDLE process_ = nullptr;
  DWORD processId_ = 0;
  DWORD threadId_ = 0;
  std::string startFailure_;
};

// A control's text through WM_GETTEXT.
std::wstring TextOf(HWND window);
std::wstring ClassOf(HWND window);
// A child's window rectangle in its parent's client coordinates.
RECT RectInParent(HWND child);
// The static text of a message box (its control 0xFFFF).
std::wstring MessageBoxText(HWND box);

// Gives `control` of the tool the focus with a real click, retried while the click is lost.
bool ClickInto(const ToolRun& run, HWND control);
// A real click on a button; true once `effect` holds.
bool ClickButton(HWND button, const std::function<bool()>& effect);
// Drags the window by its caption, as a user would, when its close box is off the screen; false
// when the close box is still not on the screen.
bool ShowCloseBox(HWND window);
// A real click on the window's close box (found with WM_NCHITTEST along the caption, brought on
// the screen first); true once `effect` holds.
bool ClickCloseBox(HWND window, const std::function<bool()>& effect);
// Drags the window by its caption with the real mouse, by (dx, dy) pixels.
void DragCaption(HWND window, int dx, int dy);
// Puts the text on the clipboard and presses Ctrl+V.
bool PasteText(const std::wstring& text);
// Replaces a control's text by WM_SETTEXT, as automation does; false when the tool did not answer.
bool SetText(HWND control, const std::wstring& text);
// How a field's text is given: typed (Unicode keystrokes), pasted (Ctrl+V), or set (WM_SETTEXT).
enum class Entry { Type, Paste, Set };
// Replaces a field's text; typed or pasted as a user does: a click into it, End, Shift+Home, then
// the text (Delete for none). True once the field holds it.
bool EnterText(const ToolRun& run, HWND field, const std::wstring& text, Entry entry);

// Waits for the input requester with this title, types `answer` and presses Enter; returns
// false when it did not appear or did not close.
bool AnswerInput(const ToolRun& run, const wchar_t* title, const std::wstring& answer);
// Escape on the input requester with this title.
bool CancelInput(const ToolRun& run, const wchar_t* title);
// Waits for the message box with this title, returns its text in `text`, and presses `key`
// (VK_RETURN for OK, 'Y' / 'N' for Yes / No) until it closes.
bool AnswerMessageBox(const ToolRun& run, const wchar_t* title, WORD key, std::wstring* text = nullptr);

}  // namespace tooltest
