// What the kinds' RequiredSize slots measure with: the control's device context with the
// control's own font selected, and the control's window text in a runtime-heap buffer.
#pragma once

#include <windows.h>

#include <cstdint>

#include "runtime/scoped.h"

// GetDC(control) with the font from WM_GETFONT selected; restored and released on destruction.
class ControlFontDC {
 public:
  explicit ControlFontDC(HWND control);
  ~ControlFontDC();
  ControlFontDC(const ControlFontDC&) = delete;
  ControlFontDC& operator=(const ControlFontDC&) = delete;
  HDC dc() const { return dc_.get(); }

 private:
  ScopedGetDC dc_;
  HGDIOBJ previousFont_;
};

// The control's window text in a buffer of (length + 1) units from the runtime heap, freed on
// destruction; units() is null when the buffer cannot be allocated.
class ControlText {
 public:
  explicit ControlText(HWND control);
  ControlText(const ControlText&) = delete;
  ControlText& operator=(const ControlText&) = delete;
  const wchar_t* units() const { return units_.get(); }
  int length() const { return length_; }

 private:
  int length_;
  ScopedMem<wchar_t> units_;
};
