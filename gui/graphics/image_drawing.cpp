#include "gui/graphics/image_drawing.h"

#include "runtime/common_controls.h"
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

// A system library loaded only for one question, freed when the question has been asked.
class LibraryForQuery {
 public:
  explicit LibraryForQuery(const wchar_t* name) : module_(SystemLibraryLoad(name)) {}
  ~LibraryForQuery() {
    if (module_) FreeLibrary(module_);
  }
  LibraryForQuery(const LibraryForQuery&) = delete;
  LibraryForQuery& operator=(const LibraryForQuery&) = delete;
  template <typename Proc>
  Proc Find(const char* name) const {
    return SystemLibraryEntry<Proc>(module_, name);
  }

 private:
  HMODULE module_;
};

bool AppThemed() {
  const LibraryForQuery uxtheme(L"uxtheme.dll");
  const auto isAppThemed = uxtheme.Find<IsAppThemedProc>("IsAppThemed");
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
