#include "tests/app/tool_driver.h"

#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstring>

#include "tests/support/win_test.h"

#ifndef REBOOTPC_TOOL_EXE
#error "REBOOTPC_TOOL_EXE names the built RebootPC.exe"
#endif
#ifndef REBOOTPC_RECORDER_EXE
#error "REBOOTPC_RECORDER_EXE names the built recorder.exe"
#endif

namespace tooltest {

std::wstring WindowsPath(const char* path) {
  std::wstring wide;
  for (const char* c = path; *c != 0; ++c) wide += static_cast<wchar_t>(static_cast<unsigned char>(*c));
  if (!wide.empty() && wide[0] == L'/') wide = L"Z:" + wide;
  for (wchar_t& c : wide) {
    if (c == L'/') c = L'\\';
  }
  return wide;
}

namespace {

std::wstring SystemFolder() {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  return std::wstring(folder, length);
}

// Whether `copy` is what CopyFileW made of `original`: the same size and last write time.
bool SameCopy(const std::wstring& original, const std::wstring& copy) {
  WIN32_FILE_ATTRIBUTE_DATA from{};
  WIN32_FILE_ATTRIBUTE_DATA to{};
  return GetFileAttributesExW(original.c_str(), GetFileExInfoStandard, &from) != FALSE &&
         GetFileAttributesExW(copy.c_str(), GetFileExInfoStandard, &to) != FALSE &&
         from.nFileSizeLow == to.nFileSizeLow && from.nFileSizeHigh == to.nFileSizeHigh &&
         CompareFileTime(&from.ftLastWriteTime, &to.ftLastWriteTime) == 0;
}

struct EnumSearch {
  DWORD processId;
  const wchar_t* className;
  const wchar_t* title;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<EnumSearch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
  if (ClassOf(window) != search->className) return TRUE;
  if (search->title != nullptr && TextOf(window) != search->title) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

std::wstring ToolExe() { return WindowsPath(REBOOTPC_TOOL_EXE); }
std::wstring RecorderExe() { return WindowsPath(REBOOTPC_RECORDER_EXE); }
std::wstring SystemShutdown() { return SystemFolder() + L"\\shutdown.exe"; }
std::wstring SystemRecordFile() { return SystemFolder() + L"\\shutdown.record"; }
std::wstring SystemSteerFile() { return SystemFolder() + L"\\shutdown.steer"; }

bool StandInPreferred() {
  return wintest::EnvironmentText(L"WINEDLLOVERRIDES").find(L"shutdown.exe=n") != std::wstring::npos;
}

bool InstallRecorder() {
  DeleteFileW(SystemRecordFile().c_str());
  DeleteFileW(SystemSteerFile().c_str());
  return CopyFileW(RecorderExe().c_str(), SystemShutdown().c_str(), FALSE) != FALSE;
}

bool RemoveSystemShutdown() {
  DeleteFileW(SystemShutdown().c_str());
  return GetFileAttributesW(SystemShutdown().c_str()) == INVALID_FILE_ATTRIBUTES;
}

bool SteerRecorder(std::uint32_t exitCode) {
  return wintest::WriteFileBytes(SystemSteerFile(), recorder::RecorderSteering(exitCode));
}

std::vector<recorder::Record> Records() { return recorder::ReadRecords(SystemRecordFile()); }

std::vector<std::wstring> ExpectedArgv(const std::wstring& name, const std::wstring& timeout,
                                       const std::wstring& notice) {
  std::vector<std::wstring> argv = {SystemShutdown(), L"/r", L"/f", L"/m", L"\\\\" + name, L"/t"};
  if (!timeout.empty()) argv.push_back(timeout);
  argv.push_back(L"-c");
  argv.push_back(notice);
  return argv;
}

bool SameArgv(const std::vector<std::wstring>& expected, const std::vector<std::wstring>& got) {
  return !expected.empty() && expected.size() == got.size() && SameTextIgnoringCase(expected[0], got[0]) &&
         std::equal(expected.begin() + 1, expected.end(), got.begin() + 1);
}

std::string Show(const std::vector<std::wstring>& arguments) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (const std::wstring& argument : arguments) {
    out += '[';
    for (wchar_t unit : argument) {
      if (unit >= 0x20 && unit < 0x7f) {
        out += static_cast<char>(unit);
      } else {
        out += "\\u";
        for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(unit >> shift) & 0xf];
      }
    }
    out += ']';
  }
  return out;
}

std::string PrefsBytes(const std::vector<std::pair<std::string, std::string>>& lines) {
  std::string bytes = "\xEF\xBB\xBF\r\n";
  for (const auto& [key, value] : lines) bytes += key + " = " + value + "\r\n";
  return bytes;
}

std::string SettledPrefs(const std::string& x, const std::string& y) {
  return PrefsBytes({{"FirstRun", "0"},
                     {"RebootX", x},
                     {"RebootY", y},
                     {"AdminName", Rot47("admin")},
                     {"AdminPass", Rot47("secret")},
                     {"Domain", Rot47("CORP")}});
}

bool SameTextIgnoringCase(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

std::string Rot47(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    const auto unit = static_cast<unsigned char>(c);
    if (unit >= 33 && unit <= 126) c = static_cast<char>(33 + (unit + 14) % 94);
  }
  return out;
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                        nullptr);
  std::string out(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), bytes, nullptr, nullptr);
  return out;
}

ToolRun::ToolRun(const std::wstring& appFolder, const std::wstring& workFolder, const std::wstring& build) {
  const std::wstring program = appFolder + L"\\RebootPC.exe";
  // A restart in the same folder starts the copy already there. Overwriting it can fail for a
  // moment after the earlier run ended, while its image is still being unmapped.
  if (!SameCopy(build, program) &&
      !wintest::WaitUntil([&] { return CopyFileW(build.c_str(), program.c_str(), FALSE) != FALSE; }, 5000)) {
    startFailure_ = "copying the program failed, error " + std::to_string(GetLastError());
    return;
  }
  std::wstring commandLine = L"\"" + program + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION created{};
  // Now and then Wine 8 loses a new process before it has reported its start to the server (seen
  // twice in some hundreds of restarts): CreateProcessW then fails with ERROR_INTERNAL_ERROR,
  // before any code of the program has run. A user would start it again; so does the test.
  DWORD error = ERROR_INTERNAL_ERROR;
  for (int attempt = 0; attempt < 3 && error == ERROR_INTERNAL_ERROR; ++attempt) {
    error = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           workFolder.c_str(), &startup, &created)
                ? ERROR_SUCCESS
                : GetLastError();
  }
  if (error != ERROR_SUCCESS) {
    startFailure_ = "CreateProcessW failed, error " + std::to_string(error);
    return;
  }
  CloseHandle(created.hThread);
  process_ = created.hProcess;
  processId_ = created.dwProcessId;
  threadId_ = created.dwThreadId;
  WaitForInputIdle(process_, 5000);
}

ToolRun::~ToolRun() {
  if (!process_) return;
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
  // Let the desktop drop the windows of the ended process before the next test looks.
  wintest::Pump(100);
}

HWND ToolRun::FindWindowOf(const wchar_t* className, const wchar_t* title) const {
  EnumSearch search{processId_, className, title, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND ToolRun::WaitWindow(const wchar_t* className, const wchar_t* title, DWORD milliseconds) const {
  HWND found = nullptr;
  wintest::WaitUntil([&] { return (found = FindWindowOf(className, title)) != nullptr; }, milliseconds);
  return found;
}

HWND ToolRun::WaitMainWindow(DWORD milliseconds) const {
  HWND window = WaitWindow(L"WindowClass_0", L"Reboot PC", milliseconds);
  // The eight gadgets come after the window itself; the submit button is the last.
  if (window) wintest::WaitUntil([&] { return GetDlgItem(window, 7) != nullptr; }, milliseconds);
  return window;
}

bool ToolRun::WaitExit(DWORD milliseconds, DWORD* exitCode) const {
  const bool ended = wintest::WaitUntil([&] { return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; },
                                        milliseconds);
  if (ended && exitCode) GetExitCodeProcess(process_, exitCode);
  return ended;
}

bool ToolRun::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

bool ToolRun::Settle(HWND window) const {
  DWORD_PTR answer = 0;
  return Running() && SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer) != 0;
}

HWND ToolRun::Focus() const {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(threadId_, &info)) return nullptr;
  return info.hwndFocus;
}

bool ToolRun::InFrontWithFocus(HWND window, HWND control) const {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(threadId_, &info) && GetForegroundWindow() == window && info.hwndActive == window &&
         info.hwndFocus == control;
}

std::wstring ToolRun::CueBanner(HWND edit) const {
  constexpr SIZE_T kUnits = 256;
  void* remote = VirtualAllocEx(process_, nullptr, kUnits * sizeof(wchar_t), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (!remote) return L"<no buffer>";
  std::wstring cue;
  DWORD_PTR answer = 0;
  if (SendMessageTimeoutW(edit, EM_GETCUEBANNER, reinterpret_cast<WPARAM>(remote), kUnits, SMTO_ABORTIFHUNG, 5000,
                          &answer) &&
      answer) {
    wchar_t local[kUnits] = {};
    SIZE_T got = 0;
    if (ReadProcessMemory(process_, remote, local, sizeof local, &got)) {
      local[kUnits - 1] = 0;
      cue = local;
    }
  }
  VirtualFreeEx(process_, remote, 0, MEM_RELEASE);
  return cue;
}

std::wstring ToolRun::LoadedModuleFile(const wchar_t* name) const {
  HMODULE modules[1024];
  DWORD bytes = 0;
  if (!EnumProcessModules(process_, modules, sizeof modules, &bytes)) return std::wstring();
  for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < 1024; ++i) {
    wchar_t baseName[MAX_PATH] = L"";
    wchar_t file[MAX_PATH] = L"";
    if (GetModuleBaseNameW(process_, modules[i], baseName, MAX_PATH) && SameTextIgnoringCase(baseName, name) &&
        GetModuleFileNameExW(process_, modules[i], file, MAX_PATH)) {
      return file;
    }
  }
  return std::wstring();
}

std::wstring TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return L"<no answer>";
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 5000,
                      &copied);
  text.resize(static_cast<std::size_t>(copied));
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = L"";
  GetClassNameW(window, name, 256);
  return name;
}

RECT RectInParent(HWND child) {
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::wstring MessageBoxText(HWND box) {
  HWND text = GetDlgItem(box, 0xFFFF);
  return text ? TextOf(text) : L"<no text control>";
}

bool ClickInto(const ToolRun& run, HWND control) {
  HWND top = GetAncestor(control, GA_ROOT);
  for (int attempt = 0; attempt < 4; ++attempt) {
    wintest::BringToFront(top);
    RECT rect{};
    GetClientRect(control, &rect);
    wintest::ClickClient(control, rect.right - 4, rect.bottom / 2);
    if (wintest::WaitUntil([&] { return run.Focus() == control; }, 1000)) return true;
  }
  return false;
}

bool ClickButton(HWND button, const std::function<bool()>& effect) {
  for (int attempt = 0; attempt < 4; ++attempt) {
    wintest::BringToFront(GetAncestor(button, GA_ROOT));
    RECT rect{};
    GetClientRect(button, &rect);
    wintest::ClickClient(button, rect.right / 2, rect.bottom / 2);
    if (wintest::WaitUntil(effect, 2000)) return true;
  }
  return false;
}

namespace {

// A point of the window's close box that is on the screen (WM_NCHITTEST along the caption), or
// {-1, -1} when none is.
POINT CloseBoxOnScreen(HWND window) {
  RECT frame{};
  GetWindowRect(window, &frame);
  const int right = std::min<int>(frame.right, GetSystemMetrics(SM_CXSCREEN)) - 2;
  for (int y = std::max<int>(frame.top, 0) + 2; y < frame.top + 40; y += 2) {
    for (int x = right; x > right - 80; x -= 2) {
      DWORD_PTR hit = 0;
      SendMessageTimeoutW(window, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, 2000, &hit);
      if (hit == HTCLOSE) return POINT{x, y};
    }
  }
  return POINT{-1, -1};
}

}  // namespace

bool ShowCloseBox(HWND window) {
  if (CloseBoxOnScreen(window).x >= 0) return true;
  RECT frame{};
  GetWindowRect(window, &frame);
  DragCaption(window, std::min<int>(0, GetSystemMetrics(SM_CXSCREEN) - frame.right), std::max<int>(0, -frame.top));
  return wintest::WaitUntil([&] { return CloseBoxOnScreen(window).x >= 0; }, 2000);
}

bool ClickCloseBox(HWND window, const std::function<bool()>& effect) {
  for (int attempt = 0; attempt < 4; ++attempt) {
    if (!ShowCloseBox(window)) return false;
    const POINT target = CloseBoxOnScreen(window);
    wintest::BringToFront(window);
    wintest::ClickScreen(target.x, target.y);
    if (wintest::WaitUntil(effect, 3000)) return true;
  }
  return false;
}

void DragCaption(HWND window, int dx, int dy) {
  RECT frame{};
  GetWindowRect(window, &frame);
  // A point of the caption away from its icon and buttons.
  POINT grip{frame.left + (frame.right - frame.left) / 2, frame.top + 4};
  for (int y = frame.top + 2; y < frame.top + 40; ++y) {
    DWORD_PTR hit = 0;
    SendMessageTimeoutW(window, WM_NCHITTEST, 0, MAKELPARAM(grip.x, y), SMTO_ABORTIFHUNG, 2000, &hit);
    if (hit == HTCAPTION) {
      grip.y = y + 4;
      break;
    }
  }
  wintest::BringToFront(window);
  wintest::MoveMouseTo(grip.x, grip.y);
  wintest::PressMouseAt(grip.x, grip.y, true);
  wintest::Pump(100);
  const int steps = 10;
  for (int i = 1; i <= steps; ++i) {
    wintest::MoveMouseTo(grip.x + dx * i / steps, grip.y + dy * i / steps);
    wintest::Pump(30);
  }
  wintest::PressMouseAt(grip.x + dx, grip.y + dy, false);
  wintest::Pump(200);
}

bool PasteText(const std::wstring& text) {
  const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!memory) return false;
  void* units = GlobalLock(memory);
  std::memcpy(units, text.c_str(), bytes);
  GlobalUnlock(memory);
  bool opened = false;
  for (int attempt = 0; attempt < 20 && !opened; ++attempt) {
    opened = OpenClipboard(nullptr) != FALSE;
    if (!opened) wintest::Pump(50);
  }
  if (!opened) {
    GlobalFree(memory);
    return false;
  }
  EmptyClipboard();
  const bool placed = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  CloseClipboard();
  if (!placed) {
    GlobalFree(memory);
    return false;
  }
  wintest::PressKey('V', true);
  return true;
}

bool SetText(HWND control, const std::wstring& text) {
  DWORD_PTR answer = 0;
  return SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000,
                             &answer) != 0 &&
         answer == TRUE;
}

bool EnterText(const ToolRun& run, HWND field, const std::wstring& text, Entry entry) {
  if (entry == Entry::Set) return SetText(field, text);
  if (!ClickInto(run, field)) return false;
  wintest::PressKey(VK_END);
  wintest::PressKey(VK_HOME, false, true);
  if (text.empty()) {
    wintest::PressKey(VK_DELETE);
  } else if (entry == Entry::Type) {
    wintest::TypeText(text);
  } else if (!PasteText(text)) {
    return false;
  }
  return wintest::WaitUntil([&] { return TextOf(field) == text; }, 3000);
}

namespace {

// The input requester with this title, in front with the focus in its field; null when it did
// not come so.
HWND InputInFront(const ToolRun& run, const wchar_t* title) {
  HWND dialog = run.WaitWindow(L"InputRequester", title);
  if (!dialog) return nullptr;
  wintest::BringToFront(dialog);
  return wintest::WaitUntil([&] { return run.Focus() == GetDlgItem(dialog, 10); }, 2000) ? dialog : nullptr;
}

}  // namespace

bool AnswerInput(const ToolRun& run, const wchar_t* title, const std::wstring& answer) {
  HWND dialog = InputInFront(run, title);
  if (!dialog) return false;
  HWND field = GetDlgItem(dialog, 10);
  wintest::TypeText(answer);
  if (!wintest::WaitUntil([&] { return TextOf(field) == answer; }, 3000)) return false;
  wintest::PressKey(VK_RETURN);
  return wintest::WaitUntil([&] { return !IsWindow(dialog); }, 3000);
}

bool CancelInput(const ToolRun& run, const wchar_t* title) {
  HWND dialog = InputInFront(run, title);
  if (!dialog) return false;
  wintest::PressKey(VK_ESCAPE);
  return wintest::WaitUntil([&] { return !IsWindow(dialog); }, 3000);
}

bool AnswerMessageBox(const ToolRun& run, const wchar_t* title, WORD key, std::wstring* text) {
  HWND box = run.WaitWindow(L"#32770", title);
  if (!box) return false;
  if (text) *text = MessageBoxText(box);
  for (int attempt = 0; attempt < 3; ++attempt) {
    wintest::BringToFront(box);
    wintest::PressKey(key);
    if (wintest::WaitUntil([&] { return !IsWindow(box); }, 2000)) return true;
  }
  return false;
}

}  // namespace tooltest
