// A small program of its own with one window, for the requester tests: it puts another
// program in front. The window's title is the first argument; closing the window ends it,
// and it ends by itself after a minute in case the test that started it did not survive.
#include <windows.h>

namespace {

LRESULT CALLBACK FrontProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY || message == WM_TIMER) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = FrontProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
  windowClass.lpszClassName = L"RequesterFrontWindow";
  RegisterClassExW(&windowClass);
  HWND window = CreateWindowExW(0, L"RequesterFrontWindow", argc > 1 ? argv[1] : L"Front program",
                                WS_OVERLAPPEDWINDOW | WS_VISIBLE, 500, 300, 260, 160, nullptr, nullptr,
                                windowClass.hInstance, nullptr);
  SetForegroundWindow(window);
  SetTimer(window, 1, 60000, nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
