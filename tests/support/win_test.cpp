#include "tests/support/win_test.h"

#include <vector>

namespace wintest {

void Pump(DWORD milliseconds) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    const ULONGLONG now = GetTickCount64();
    if (now >= end) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
  }
}

bool WaitUntil(const std::function<bool()>& done, DWORD milliseconds) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  while (!done()) {
    if (GetTickCount64() >= end) return done();
    Pump(10);
  }
  return true;
}

bool BringToFront(HWND window) {
  // A process may take the foreground while it owns the last input event; a real Alt tap
  // gives it that right, as on Windows.
  for (int attempt = 0; attempt < 3; ++attempt) {
    SetForegroundWindow(window);
    if (WaitUntil([&] { return GetForegroundWindow() == window; }, 500)) return true;
    PressKey(VK_MENU);
  }
  return GetForegroundWindow() == window;
}

INPUT KeyInput(WORD virtualKey, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = virtualKey;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return input;
}

void SendKeyInputs(std::initializer_list<INPUT> inputs) {
  std::vector<INPUT> list(inputs);
  SendInput(static_cast<UINT>(list.size()), list.data(), sizeof(INPUT));
}

namespace {

void Send(std::vector<INPUT>& inputs) {
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  Pump(30);
}

}  // namespace

void SendKeyStrokes(WORD virtualKey, bool control, bool shift, bool alt) {
  std::vector<INPUT> inputs;
  if (control) inputs.push_back(KeyInput(VK_CONTROL, false));
  if (shift) inputs.push_back(KeyInput(VK_SHIFT, false));
  if (alt) inputs.push_back(KeyInput(VK_MENU, false));
  inputs.push_back(KeyInput(virtualKey, false));
  inputs.push_back(KeyInput(virtualKey, true));
  if (alt) inputs.push_back(KeyInput(VK_MENU, true));
  if (shift) inputs.push_back(KeyInput(VK_SHIFT, true));
  if (control) inputs.push_back(KeyInput(VK_CONTROL, true));
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void PressKey(WORD virtualKey, bool control, bool shift, bool alt) {
  SendKeyStrokes(virtualKey, control, shift, alt);
  Pump(30);
}

void HoldKey(WORD virtualKey, DWORD milliseconds) {
  constexpr DWORD kRepeatInterval = 33;
  for (DWORD held = 0; held < milliseconds; held += kRepeatInterval) {
    SendKeyInputs({KeyInput(virtualKey, false)});
    Pump(kRepeatInterval);
  }
  SendKeyInputs({KeyInput(virtualKey, true)});
  Pump(30);
}

void TypeText(const std::wstring& text) {
  std::vector<INPUT> inputs;
  for (wchar_t unit : text) {
    for (bool up : {false, true}) {
      INPUT input{};
      input.type = INPUT_KEYBOARD;
      input.ki.wScan = unit;
      input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
      inputs.push_back(input);
    }
  }
  Send(inputs);
}

namespace {

// A mouse event at a screen point. A button event carries the point too: one sent without it
// happens wherever the system has the cursor then, which under Wine can still be where an
// earlier click left it (the display reports the pointer's position late).
INPUT MouseAt(int screenX, int screenY, DWORD buttonFlags) {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = static_cast<LONG>((screenX * 65535LL + width / 2) / (width - 1));
  input.mi.dy = static_cast<LONG>((screenY * 65535LL + height / 2) / (height - 1));
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttonFlags;
  return input;
}

}  // namespace

void MoveMouseTo(int screenX, int screenY) {
  std::vector<INPUT> inputs{MouseAt(screenX, screenY, 0)};
  Send(inputs);
}

void PressMouseAt(int screenX, int screenY, bool down) {
  std::vector<INPUT> inputs{MouseAt(screenX, screenY, down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP)};
  Send(inputs);
}

void ClickScreen(int screenX, int screenY) {
  MoveMouseTo(screenX, screenY);
  std::vector<INPUT> inputs{MouseAt(screenX, screenY, MOUSEEVENTF_LEFTDOWN),
                            MouseAt(screenX, screenY, MOUSEEVENTF_LEFTUP)};
  Send(inputs);
}

void ClickClient(HWND window, int x, int y) {
  POINT point{x, y};
  ClientToScreen(window, &point);
  ClickScreen(point.x, point.y);
}

ScratchFolder::ScratchFolder() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  static unsigned counter = 0;
  for (;;) {
    path_ = std::wstring(temp) + L"rebootpc-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter);
    if (CreateDirectoryW(path_.c_str(), nullptr)) break;
  }
}

namespace {
void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryW(folder.c_str());
}
}  // namespace

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

ScopedCurrentFolder::ScopedCurrentFolder(const std::wstring& folder) {
  wchar_t current[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, current);
  previous_ = current;
  SetCurrentDirectoryW(folder.c_str());
}

ScopedCurrentFolder::~ScopedCurrentFolder() { SetCurrentDirectoryW(previous_.c_str()); }

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
  return out;
}

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder = path;
  return folder.substr(0, folder.find_last_of(L'\\'));
}

}  // namespace wintest
