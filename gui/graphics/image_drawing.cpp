#include "gui/graphics/image_drawing.h"

#include "runtime/common_controls.h"
#include "runtime/scoped.h"
#include "runtime/system_library.h"

namespace {

constexpr DWORD kVisualStylesVersion = 0x60000;  // comctl32 6.0

using IsAppThemedProc = BOOL(WINAPI*)();

struct ImageDrawing {
  HMODULE msimg32;
  AlphaBlendProc alphaBlend;
  DWORD commonControlsVersion;
  bool visualStyles;
};
ImageDrawing drawing{};

bool AppThemed() {
  // uxtheme is loaded only for this one question.
  const ScopedLibrary uxtheme(SystemLibraryLoad(L"uxtheme.dll"));
  const auto isAppThemed = SystemLibraryEntry<IsAppThemedProc>(uxtheme.get(), "IsAppThemed");
  return isAppThemed && isAppThemed();
}

}  // namespace

void ImageDrawingInit() {
  drawing.msimg32 = SystemLibraryLoad(L"msimg32.dll");
  drawing.alphaBlend = SystemLibraryEntry<AlphaBlendProc>(drawing.msimg32, "AlphaBlend");
  drawing.commonControlsVersion = CommonControlsVersion();
  drawing.visualStyles = AppThemed() && drawing.commonControlsVersion >= kVisualStylesVersion;
}

void ImageDrawingEnd() {
  if (drawing.msimg32) FreeLibrary(drawing.msimg32);
  drawing.msimg32 = nullptr;
  drawing.alphaBlend = nullptr;
}

AlphaBlendProc ImageDrawingAlphaBlend() { return drawing.alphaBlend; }

DWORD ImageDrawingCommonControlsVersion() { return drawing.commonControlsVersion; }

bool ImageDrawingVisualStyles() { return drawing.visualStyles; }
