// The main window "Reboot PC": its frame, its hidden File and Help menus with their shortcuts,
// its eight gadgets and the counter label's text.
#pragma once

#include <cstdint>

#include "runtime/text.h"

// Opens window 0 at (windowX, windowY), moved the least into a monitor's work area (and
// windowX, windowY with it), and builds its menus, shortcuts and gadgets, with the
// focus in the name field. False, with nothing built, when the window could not be opened (no
// desktop to open it on).
bool MainWindowOpen();
// The counter label's two lines: "User Notification:" and "(<count> Chars Left)".
Text CounterText(std::int64_t charsLeft);
