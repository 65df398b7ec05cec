#include "gui/gadget/gadget_measure.h"

#include "runtime/memory.h"

ControlFontDC::ControlFontDC(HWND control) : control_(control), dc_(GetDC(control)), previousFont_(nullptr) {
  HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0));
  // A control without a font of its own draws with the system font, which the DC has already.
  if (dc_ && font) previousFont_ = SelectObject(dc_, font);
}

ControlFontDC::~ControlFontDC() {
  if (!dc_) return;
  if (previousFont_) SelectObject(dc_, previousFont_);
  ReleaseDC(control_, dc_);
}

ControlText::ControlText(HWND control) : units_(nullptr), length_(0) {
  const int length = GetWindowTextLengthW(control);
  units_ = static_cast<wchar_t*>(RuntimeAlloc((static_cast<std::size_t>(length) + 1) * sizeof(wchar_t)));
  if (units_) length_ = GetWindowTextW(control, units_, length + 1);
}

ControlText::~ControlText() { RuntimeFree(units_); }
