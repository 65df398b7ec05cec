// One window class per numbered window, named "WindowClass_%I64d" from the window number, with
// the program's icon (resource 1), the arrow cursor and the button-face background. A class
// cannot be unregistered while a window of it exists, which during WM_NCDESTROY it still does;
// such a class is retired and unregistered later, once its window is gone.
#pragma once

#include <windows.h>

#include <cstdint>

// "WindowClass_%I64d" from the number: 12 units of prefix, up to 20 of number, the terminator.
struct WindowClassName {
  explicit WindowClassName(std::int64_t number);
  wchar_t units[40];
};

// Start-up and teardown: the icon and the cursor every class uses; the end also unregisters
// the retired classes whose windows are gone.
void WindowClassesInit();
void WindowClassesEnd();

// Registers the class `name` with the shared window procedure `procedure`.
void WindowClassRegister(const WindowClassName& name, WNDPROC procedure);
// Unregisters the number's class, or retires it while its window still exists.
void WindowClassUnregister(std::int64_t number);
// Unregisters the retired classes whose windows are gone.
void WindowClassesUnregisterRetired();
