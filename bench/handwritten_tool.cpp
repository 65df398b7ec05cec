// The honest start-up and footprint baseline: the tool's start-up work written by hand in plain
// Win32, with none of our runtime. Same manifest and imported DLLs (but ADVAPI32, which the tool
// imports for the settings file it creates and ole32 loads into both anyway), comctl32 loaded
// from the system at run time, CoInitialize and InitCommonControlsEx; the same window (class, style,
// client size, position), the File and Help menus attached and detached, the same three
// accelerators, the eight controls with the tool's classes, styles, texts, font, cue texts and
// limit; reboot.prefs read with one ReadFile and written back once, as the tool's first position
// save does; then an idle loop with the same working-set trim after every message. Enter (the
// accelerator) does the submit's work by hand: the three fields read, the system folder's
// shutdown.exe started hidden with the same command line, waited for, the form reset.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <initializer_list>

namespace {

using InitCommonControlsExProc = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
using SetDefaultDllDirectoriesProc = BOOL(WINAPI*)(DWORD);

constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kLabel = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_NOPREFIX;
constexpr DWORD kEdit = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kButton = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_PUSHBUTTON;

struct Control {
  int id;
  const wchar_t* className;
  DWORD style;
  DWORD exStyle;
  int x, y, width, height;
  const wchar_t* text;
};

const Control kControls[] = {
    {2, L"Static", kLabel, 0, 5, 14, 60, 20, L"PC Name:"},
    {0, L"Edit", kEdit, WS_EX_CLIENTEDGE, 65, 12, 240, 20, L""},
    {3, L"Static", kLabel, 0, 5, 48, 164, 20, L"Timeout in seconds (30-1800):"},
    {4, L"Edit", kEdit | ES_NUMBER, WS_EX_CLIENTEDGE, 170, 45, 50, 20, L"30"},
    {5, L"Edit", kEdit, WS_EX_CLIENTEDGE, 105, 77, 200, 20, L""},
    {6, L"Static", kLabel, 0, 5, 76, 100, 30, L"User Notification:\r\n(512 Chars Left)"},
    {8, L"Button", kButton, 0, 10, 115, 105, 25, L"Reset Credentials"},
    {7, L"Button", kButton, 0, 221, 115, 85, 25, L"Submit"},
};

HWND mainWindow = nullptr;
bool positionSaved = false;
HWND lastFocus = nullptr;
char prefs[4096];
DWORD prefsSize = 0;

void SavePosition() {
  HANDLE file = CreateFileW(L"reboot.prefs", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, prefs, prefsSize, &written, nullptr);
  SetEndOfFile(file);
  CloseHandle(file);
}

void Append(wchar_t* to, const wchar_t* text) { lstrcatW(to, text); }

void Submit(HWND window) {
  wchar_t name[256], timeout[32], notice[513];
  GetDlgItemTextW(window, 0, name, 256);
  GetDlgItemTextW(window, 4, timeout, 32);
  GetDlgItemTextW(window, 5, notice, 513);
  if (!name[0] || !notice[0]) return;
  wchar_t program[MAX_PATH];
  const UINT folder = GetSystemDirectoryW(program, MAX_PATH - 14);
  if (folder == 0 || folder >= MAX_PATH - 14) return;
  lstrcatW(program, L"\\shutdown.exe");
  wchar_t commandLine[MAX_PATH + 900] = L"\"";
  for (const wchar_t* piece : {static_cast<const wchar_t*>(program), L"\" /r /f /m \\\\", static_cast<const wchar_t*>(name),
                               L" /t ", static_cast<const wchar_t*>(timeout), L" -c \"", static_cast<const wchar_t*>(notice), L"\""}) {
    Append(commandLine, piece);
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS | CREATE_NEW_CONSOLE, nullptr,
                      nullptr, &startup, &process)) {
    return;
  }
  CloseHandle(process.hThread);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exitCode = 1;
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hProcess);
  if (exitCode != 0) return;
  SetDlgItemTextW(window, 0, L"");
  SetDlgItemTextW(window, 4, L"30");
  SetDlgItemTextW(window, 5, L"");
  SetDlgItemTextW(window, 6, L"User Notification:\r\n(512 Chars Left)");
  SetFocus(GetDlgItem(window, 0));
}

LRESULT CALLBACK ToolProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOVE:
      if (mainWindow && !positionSaved) {
        positionSaved = true;
        SavePosition();
      }
      return 0;
    case WM_ACTIVATE:
      // The focus back where it was, as the tool's window procedure does.
      if (LOWORD(wParam) == WA_INACTIVE) {
        lastFocus = GetFocus();
      } else if (lastFocus) {
        SetFocus(lastFocus);
      }
      return 0;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == 1 && HIWORD(wParam) == 1) DestroyWindow(window);
      if (LOWORD(wParam) == 3 && HIWORD(wParam) == 1) Submit(window);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  const auto restrictSearch = reinterpret_cast<SetDefaultDllDirectoriesProc>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
  if (restrictSearch) restrictSearch(LOAD_LIBRARY_SEARCH_SYSTEM32);
  HMODULE comctl32 = LoadLibraryExW(L"comctl32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  const auto initControls = reinterpret_cast<InitCommonControlsExProc>(
      reinterpret_cast<void (*)()>(GetProcAddress(comctl32, "InitCommonControlsEx")));
  INITCOMMONCONTROLSEX classes{sizeof classes, ICC_TAB_CLASSES | ICC_HOTKEY_CLASS | ICC_DATE_CLASSES |
                                                   ICC_USEREX_CLASSES | ICC_INTERNET_CLASSES};
  if (initControls) initControls(&classes);
  CoInitialize(nullptr);

  HANDLE file = CreateFileW(L"reboot.prefs", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    ReadFile(file, prefs, sizeof prefs, &prefsSize, nullptr);
    CloseHandle(file);
  }

  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = ToolProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = L"WindowClass_0";
  RegisterClassW(&windowClass);
  RECT frame{0, 0, 320, 130 + GetSystemMetrics(SM_CYMENU)};
  AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  HWND window = CreateWindowExW(0, L"WindowClass_0", L"Reboot PC", kStyle, 40, 40, frame.right - frame.left,
                                frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
  ShowWindow(window, SW_SHOWNORMAL);
  mainWindow = window;

  HMENU bar = CreateMenu();
  HMENU fileMenu = CreatePopupMenu();
  AppendMenuW(fileMenu, MF_STRING, 1, L"&Quit\tCtrl+Q");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(fileMenu), L"File");
  HMENU helpMenu = CreatePopupMenu();
  AppendMenuW(helpMenu, MF_STRING, 2, L"&About...\tCtrl+A");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(helpMenu), L"Help");
  SetMenu(window, bar);
  ACCEL shortcuts[] = {{FVIRTKEY | FCONTROL, 'Q', 1}, {FVIRTKEY | FCONTROL, 'A', 2}, {FVIRTKEY, VK_RETURN, 3}};
  HACCEL accelerators = CreateAcceleratorTableW(shortcuts, 3);
  SetMenu(window, nullptr);

  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
  for (const Control& c : kControls) {
    HWND control = CreateWindowExW(c.exStyle, c.className, c.text, c.style, c.x, c.y, c.width, c.height, window,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  SendDlgItemMessageW(window, 0, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(L"Enter Computer Name or IP"));
  SendDlgItemMessageW(window, 5, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(L"Enter Reason for Reboot"));
  SendDlgItemMessageW(window, 5, EM_LIMITTEXT, 512, 0);
  SetFocus(GetDlgItem(window, 0));

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
    if (TranslateAcceleratorW(window, accelerators, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  DestroyAcceleratorTable(accelerators);
  DeleteObject(font);
  CoUninitialize();
  return 0;
}
