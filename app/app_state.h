// AppState: the application's globals in one process-wide record, cleared at entry before
// anything else happens. The numbers the application addresses its objects by are here too.
#pragma once

#include <windows.h>

#include <cstdint>

#include "runtime/text.h"

struct AppState {
  HANDLE appHeap;           // the runtime heap, created first and destroyed last
  HINSTANCE instanceHandle;  // the program's own module
  std::int64_t exitCode;     // 0; 1 when the main window could not be opened
  Text aboutText;
  Text windowTitle;
  std::int64_t windowWidth;   // client width
  std::int64_t windowHeight;  // client height before the menu-bar allowance
  std::int64_t windowX;       // where the main window's frame opens
  std::int64_t windowY;
  std::int64_t quitRequested;
  std::int64_t charsLeft;  // 512 at rest; see UpdateCharsLeft
  std::int32_t eventKind;  // the last value of EventWait
  std::int64_t resetAnswer;
  Text pcName;  // the three fields as read by the last submit
  Text timeoutText;
  Text reasonText;
};

extern AppState app;

// The main window, its menu, its menu items and its gadgets.
constexpr std::int64_t MainWindow = 0;
constexpr std::int64_t MainMenu = 0;
constexpr std::int32_t QuitItem = 1;
constexpr std::int32_t AboutItem = 2;
constexpr std::int32_t SubmitItem = 3;  // the Enter key only; no menu entry
constexpr std::int64_t NameField = 0;
constexpr std::int64_t NameLabel = 2;
constexpr std::int64_t TimeoutLabel = 3;
constexpr std::int64_t TimeoutField = 4;
constexpr std::int64_t NoticeField = 5;
constexpr std::int64_t CounterLabel = 6;
constexpr std::int64_t SubmitButton = 7;
constexpr std::int64_t ResetButton = 8;

// The notification text's limit in UTF-16 units, and the counter's base.
constexpr std::int64_t NoticeLimit = 512;
// The settings file, relative to the current folder.
constexpr const wchar_t* SettingsFileName = L"reboot.prefs";
