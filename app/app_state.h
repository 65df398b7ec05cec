// AppState: the application's globals, one process-wide record, cleared at entry.
#pragma once

#include <windows.h>

#include <cstdint>

#include "runtime/text.h"

struct AppState {
  HANDLE appHeap;
  HINSTANCE instanceHandle;
  std::int64_t exitCode;
  Text aboutText;
  Text windowTitle;
  std::int64_t windowWidth;
  std::int64_t windowHeight;
  std::int64_t windowX;
  std::int64_t windowY;
  std::int64_t quitRequested;
  std::int64_t charsLeft;
  std::int32_t eventKind;
  std::int64_t resetAnswer;
  Text pcName;
  Text timeoutText;
  Text reasonText;
};

extern AppState app;
