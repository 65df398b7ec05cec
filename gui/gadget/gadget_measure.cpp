#include "gui/gadget/gadget_measure.h"

#include "runtime/memory.h"

ControlFontDC::ControlFontDC(HWND control) : dc_(control), previousFont_(nullptr) {
  HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0));
  // A control without a font of its own draws with the system font, which the DC has already.
  if (dc_.get() && font) previousFont_ = SelectObject(dc_.get(), font);
}

ControlFontDC::~ControlFontDC() {
  if (previousFont_) SelectObject(dc_.get(), previousFont_);
}

ControlText::ControlText(HWND control)
    : length_(GetWindowTextLengthW(control)),
      units_(static_cast<wchar_t*>(RuntimeAlloc((static_cast<std::size_t>(length_) + 1) * sizeof(wchar_t)))) {
  length_ = units_.get() ? GetWindowTextW(control, units_.get(), length_ + 1) : 0;
}
