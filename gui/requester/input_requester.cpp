#include "gui/requester/input_requester.h"

#include <windows.h>

#include <cstddef>
#include <cstring>

#include "gui/requester/held_key_filter.h"
#include "gui/requester/modal_ownership.h"
#include "gui/window/monitor_work_area.h"
#include "runtime/memory.h"
#include "runtime/scoped.h"

namespace {

constexpr wchar_t kClassName[] = L"InputRequester";
constexpr int kWidth = 300;
constexpr int kHeight = 130;
constexpr DWORD kDialogStyle = WS_VISIBLE | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kPromptStyle = WS_CHILD | WS_VISIBLE | SS_SIMPLE;
constexpr DWORD kFieldStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON;

// Process-wide: one requester at a time. The font outlives every requester.
struct RequesterState {
  HFONT font;
  int done;  // set when the dialog window is destroyed; ends the modal loop
  ModalWindowsDisabled* windows;  // restored before the dialog goes
  HeldKeyFilter* heldKeys;
  HWND field;
  HWND prompt;
  HWND button;
};
RequesterState requester{};

// A main-heap copy of a text, or null for a null text.
wchar_t* HeapCopy(const wchar_t* text) {
  if (!text) return nullptr;
  const std::size_t units = static_cast<std::size_t>(TextLength(text)) + 1;
  auto* copy = static_cast<wchar_t*>(RuntimeAlloc(units * sizeof(wchar_t)));
  if (copy) std::memcpy(copy, text, units * sizeof(wchar_t));
  return copy;
}

void EnsureFont() {
  if (requester.font) return;
  requester.font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  // The size without iPaddedBorderWidth, which every Windows version since 2000 accepts.
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) {
    if (HFONT message = CreateFontIndirectW(&metrics.lfMessageFont)) requester.font = message;
  }
}

// Centred on the work area of the owner's monitor, or of the primary monitor without an owner:
// beside the window it belongs to, clear of the taskbar.
POINT CentredOnOwnersMonitor(HWND owner) {
  const RECT work = MonitorWorkArea(owner);
  return POINT{work.left + (work.right - work.left) / 2 - kWidth / 2,
               work.top + (work.bottom - work.top) / 2 - kHeight / 2};
}

// The owner and the other windows are enabled before the dialog goes, so that the system
// activates the owner rather than some other program's window.
void CloseDialog(HWND dialog) {
  requester.windows->Restore();
  DestroyWindow(dialog);
}

void TakeFieldText(HWND dialog) {
  auto* holder = reinterpret_cast<wchar_t**>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
  if (!holder) return;
  const int length = GetWindowTextLengthW(requester.field);
  auto* buffer = static_cast<wchar_t*>(RuntimeAlloc((static_cast<std::size_t>(length) + 1) * sizeof(wchar_t)));
  if (!buffer) return;  // taken as the empty result
  GetWindowTextW(requester.field, buffer, length + 1);
  RuntimeFreeWiped(*holder);
  *holder = buffer;
}

// Empties a password field unit by unit from the end, so that the control frees no buffer
// holding the password. The control frees its buffer as it is when destroyed, and replacing the
// whole text at once (WM_SETTEXT) first copies the old text into a block of its own that it
// frees as it is too (Wine's edit control does, for its undo buffer). Taking one unit off the end
// at a time leaves at most that one unit in such a block, and the control writes its terminator
// over each unit it takes off.
void EmptyPasswordField(HWND field) {
  if (!field || !(GetWindowLongPtrW(field, GWL_STYLE) & ES_PASSWORD)) return;
  for (int length = GetWindowTextLengthW(field); length > 0; --length) {
    SendMessageW(field, EM_SETSEL, static_cast<WPARAM>(length - 1), length);
    SendMessageW(field, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
  }
}

LRESULT CALLBACK RequesterProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      // The notification code is not looked at: a click and an accelerator both count.
      if (LOWORD(wParam) == InputOkId) {
        TakeFieldText(dialog);
        CloseDialog(dialog);
      } else if (LOWORD(wParam) == InputCancelId) {
        CloseDialog(dialog);
      }
      return 0;
    case WM_CLOSE:  // the close box and Alt+F4
      CloseDialog(dialog);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) SetFocus(requester.field);
      return 0;
    case WM_DESTROY:
      // The children are destroyed after their parent's WM_DESTROY: the field is still there.
      EmptyPasswordField(requester.field);
      // Fails while the window still exists, in which case the next requester finds the class
      // registered; the result is not examined.
      UnregisterClassW(kClassName, GetModuleHandleW(nullptr));
      requester.done = 1;
      return 0;
    default:
      return DefWindowProcW(dialog, message, wParam, lParam);
  }
}

void RegisterRequesterClass(HINSTANCE instance) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = RequesterProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  windowClass.lpszClassName = kClassName;
  // Fails when the class is still registered from an earlier requester; that class serves.
  RegisterClassExW(&windowClass);
}

HWND CreateControl(HWND dialog, HINSTANCE instance, const wchar_t* className, const wchar_t* text,
                   DWORD style, DWORD exStyle, int x, int y, int width, int height, int id) {
  HWND control = CreateWindowExW(exStyle, className, text, style, x, y, width, height, dialog,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(requester.font), TRUE);
  return control;
}

// Runs until the dialog is destroyed. A quit message closes the dialog as Escape does and is
// posted again, so that the caller's own loop still ends.
void ModalLoop(HWND dialog, HACCEL accelerators) {
  while (!requester.done) {
    MSG message;
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      CloseDialog(dialog);
      if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    // Before the accelerators, which answer Enter and Escape here.
    if (requester.heldKeys->Holds(message)) continue;
    if (accelerators && TranslateAcceleratorW(dialog, accelerators, &message)) continue;
    if (IsDialogMessageW(dialog, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace

Text InputRequester(const wchar_t* title, const wchar_t* prompt, const wchar_t* defaultText, int flags, bool* shown) {
  // Heap copies of the caller's texts, freed when the call returns.
  const ScopedMem<wchar_t> titleCopy(HeapCopy(title));
  const ScopedMem<wchar_t> promptCopy(HeapCopy(prompt));
  const ScopedMem<wchar_t> defaultCopy(HeapCopy(defaultText));
  HINSTANCE instance = GetModuleHandleW(nullptr);

  EnsureFont();
  RegisterRequesterClass(instance);

  requester.done = 0;
  // Activation during CreateWindowExW already sends WM_ACTIVATE: no stale field gets the focus.
  requester.field = requester.prompt = requester.button = nullptr;
  HWND owner = ModalOwner();
  HeldKeyFilter heldKeys;
  requester.heldKeys = &heldKeys;
  ModalWindowsDisabled windows(owner);
  requester.windows = &windows;

  wchar_t* result = nullptr;  // filled by the window procedure when "OK" is chosen
  const POINT at = CentredOnOwnersMonitor(owner);
  HWND dialog = CreateWindowExW(0, kClassName, titleCopy.get(), kDialogStyle, at.x, at.y, kWidth, kHeight,
                                owner, nullptr, instance, nullptr);
  if (shown) *shown = dialog != nullptr;
  if (dialog) {
    SetWindowLongPtrW(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&result));
    requester.prompt = CreateControl(dialog, instance, L"STATIC", promptCopy.get(), kPromptStyle, 0,
                                     10, 10, 280, 22, InputPromptId);
    const DWORD fieldStyle = kFieldStyle | ((flags & InputPassword) ? ES_PASSWORD : 0);
    requester.field = CreateControl(dialog, instance, L"EDIT", nullptr, fieldStyle, WS_EX_CLIENTEDGE,
                                    10, 32, 275, 21, InputFieldId);
    SetFocus(requester.field);
    if (defaultCopy.get()) {
      SendMessageW(requester.field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(defaultCopy.get()));
      // The caret after the last character, nothing selected.
      const WPARAM end = static_cast<WPARAM>(TextLength(defaultCopy.get()));
      SendMessageW(requester.field, EM_SETSEL, end, static_cast<LPARAM>(end));
    }
    requester.button = CreateControl(dialog, instance, L"BUTTON", L"OK", kButtonStyle, 0,
                                     110, 67, 80, 25, InputOkId);

    ACCEL keys[2] = {{FVIRTKEY, VK_RETURN, InputOkId}, {FVIRTKEY, VK_ESCAPE, InputCancelId}};
    HACCEL accelerators = CreateAcceleratorTableW(keys, 2);
    SetForegroundWindow(dialog);
    BringWindowToTop(dialog);

    ModalLoop(dialog, accelerators);
    if (accelerators) DestroyAcceleratorTable(accelerators);
  }
  // Also covers a dialog that was never created, or that went without the close steps (its
  // owner destroyed it): nothing may stay disabled.
  windows.Restore();

  // A password's answer is a secret text, and the block it was read into is wiped.
  Text answer;
  if (result) {
    answer = (flags & InputPassword) ? Text::Secret(result, TextLength(result)) : Text(result);
    RuntimeFreeWiped(result);
  }
  return answer;
}
