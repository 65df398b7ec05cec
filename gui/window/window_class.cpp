#include "gui/window/window_class.h"

#include <iterator>

#include "runtime/facility_state.h"
#include "runtime/linked_list.h"
#include "runtime/text.h"

namespace {

struct WindowClassState {
  HINSTANCE instance;
  HICON icon;
  HCURSOR cursor;
  ListLinks* retired;  // RetiredClass blocks
};

// A window class whose window was still alive when WM_NCDESTROY tried to unregister it.
struct RetiredClass {
  std::int64_t number;
};

WindowClassState* classState = nullptr;

}  // namespace

WindowClassName::WindowClassName(std::int64_t number) { FormatText(units, std::size(units), L"WindowClass_%I64d", number); }

void WindowClassesInit() {
  classState = static_cast<WindowClassState*>(FacilityStateCreate(sizeof(WindowClassState), nullptr));
  if (!classState) return;
  classState->instance = GetModuleHandleW(nullptr);
  classState->icon = LoadIconW(classState->instance, MAKEINTRESOURCEW(1));
  classState->cursor = LoadCursorW(nullptr, IDC_ARROW);
}

void WindowClassesEnd() {
  if (!classState) return;
  WindowClassesUnregisterRetired();
  if (classState->icon) DestroyIcon(classState->icon);
  classState->icon = nullptr;
}

void WindowClassRegister(const WindowClassName& name, WNDPROC procedure) {
  if (!classState) return;
  WNDCLASSW windowClass{};
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = classState->instance;
  windowClass.hIcon = classState->icon;
  windowClass.hCursor = classState->cursor;
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  windowClass.lpszClassName = name.units;
  RegisterClassW(&windowClass);
}

void WindowClassUnregister(std::int64_t number) {
  if (!classState) return;
  if (UnregisterClassW(WindowClassName(number).units, classState->instance)) return;
  if (GetLastError() != ERROR_CLASS_HAS_WINDOWS) return;
  auto* retired =
      static_cast<RetiredClass*>(ListAlloc(&classState->retired, sizeof(ListLinks) + sizeof(RetiredClass)));
  if (retired) retired->number = number;
}

void WindowClassesUnregisterRetired() {
  if (!classState) return;
  ListLinks* links = classState->retired;
  while (links) {
    ListLinks* next = links->next;
    auto* retired = static_cast<RetiredClass*>(ListItemOf(links));
    if (UnregisterClassW(WindowClassName(retired->number).units, classState->instance) ||
        GetLastError() != ERROR_CLASS_HAS_WINDOWS) {
      ListFree(&classState->retired, retired);
    }
    links = next;
  }
}
