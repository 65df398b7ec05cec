// The graphics support the runtime starts and tears down: the font and image tables, whose
// free procedures give the handles back to the system, and the image-drawing step.
#include <windows.h>

#include <commctrl.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include "gui/graphics/font_table.h"
#include "gui/graphics/image_drawing.h"
#include "gui/graphics/image_table.h"

namespace {

// The graphics support's start-up and teardown steps, in the tool's order.
class GraphicsEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    FontsInit();
    ImagesInit();
    ImageDrawingInit();
  }
  void TearDown() override {
    ImageDrawingEnd();
    ImagesEnd();
    FontsEnd();
  }
};

const testing::Environment* const environment = testing::AddGlobalTestEnvironment(new GraphicsEnvironment);

HFONT NewFont() {
  return CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma");
}

HBITMAP NewBitmap() {
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 4, 4);
  ReleaseDC(nullptr, screen);
  return bitmap;
}

HBITMAP NewDibSection() {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = 4;
  info.bmiHeader.biHeight = 4;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

HICON NewIcon() { return CopyIcon(LoadIconW(nullptr, IDI_APPLICATION)); }

bool IconAlive(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return false;
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return true;
}

TEST(FontTable, HoldsFontsByNumberAndDeletesThemWhenReleased) {
  HFONT first = NewFont();
  HFONT second = NewFont();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(FontStore(3, first), reinterpret_cast<std::int64_t>(first));
  EXPECT_EQ(FontHandle(3), first);
  EXPECT_EQ(FontStore(3, second), reinterpret_cast<std::int64_t>(second)) << "reusing the number";
  EXPECT_EQ(GetObjectType(first), 0u) << "the font that held the number is deleted";
  EXPECT_EQ(FontHandle(3), second);
  FontFree(3);
  EXPECT_EQ(GetObjectType(second), 0u);
  EXPECT_EQ(FontHandle(3), nullptr);
  FontFree(3);  // unknown now: nothing
  EXPECT_EQ(FontStore(4, nullptr), 0);
  EXPECT_EQ(FontHandle(4), nullptr);
}

TEST(FontTable, AnyNumberGivesAnIdentityAndReleasingAllDeletesEveryFont) {
  HFONT numbered = NewFont();
  HFONT dynamic = NewFont();
  ASSERT_NE(FontStore(70, numbered), 0) << "beyond the first growth step";
  const std::int64_t identity = FontStore(AnyNumber, dynamic);
  ASSERT_NE(identity, 0);
  EXPECT_NE(identity, reinterpret_cast<std::int64_t>(dynamic));
  EXPECT_EQ(FontHandle(identity), dynamic);
  FontFree(AnyNumber);
  EXPECT_EQ(GetObjectType(numbered), 0u);
  EXPECT_EQ(GetObjectType(dynamic), 0u);
  EXPECT_EQ(FontHandle(70), nullptr);
  EXPECT_EQ(FontHandle(identity), nullptr);
}

TEST(ImageTable, BitmapsAndDibSectionsAreDeletedAndIconsDestroyed) {
  HBITMAP bitmap = NewBitmap();
  HBITMAP dib = NewDibSection();
  HICON icon = NewIcon();
  ASSERT_NE(bitmap, nullptr);
  ASSERT_NE(dib, nullptr);
  ASSERT_TRUE(IconAlive(icon));
  EXPECT_EQ(ImageStore(0, bitmap, ImageBitmap), reinterpret_cast<std::int64_t>(bitmap));
  EXPECT_EQ(ImageStore(1, dib, ImageBitmap), reinterpret_cast<std::int64_t>(dib));
  const std::int64_t iconIdentity = ImageStore(AnyNumber, icon, ImageIcon);
  ASSERT_NE(iconIdentity, 0);
  EXPECT_EQ(ImageHandle(0), bitmap);
  EXPECT_EQ(ImageHandle(iconIdentity), icon);

  ImageFree(0);
  EXPECT_EQ(GetObjectType(bitmap), 0u);
  EXPECT_EQ(GetObjectType(dib), static_cast<DWORD>(OBJ_BITMAP)) << "the others stay";
  EXPECT_TRUE(IconAlive(icon));
  ImageFree(AnyNumber);
  EXPECT_EQ(GetObjectType(dib), 0u);
  EXPECT_FALSE(IconAlive(icon));
  EXPECT_EQ(ImageHandle(1), nullptr);
  EXPECT_EQ(ImageHandle(iconIdentity), nullptr);
}

TEST(ImageTable, ReusingANumberReleasesTheOldImageAndUnknownKindsAreRefused) {
  HICON icon = NewIcon();
  HBITMAP bitmap = NewBitmap();
  ASSERT_NE(ImageStore(5, icon, ImageIcon), 0);
  ASSERT_NE(ImageStore(5, bitmap, ImageBitmap), 0);
  EXPECT_FALSE(IconAlive(icon));
  EXPECT_EQ(ImageHandle(5), bitmap);
  HBITMAP stray = NewBitmap();
  EXPECT_EQ(ImageStore(6, stray, 9), 0);
  EXPECT_EQ(ImageHandle(6), nullptr);
  EXPECT_EQ(GetObjectType(stray), static_cast<DWORD>(OBJ_BITMAP)) << "a refused image stays the caller's";
  DeleteObject(stray);
  ImageFree(5);
  EXPECT_EQ(GetObjectType(bitmap), 0u);
}

TEST(ImageDrawing, KeepsAlphaBlendAndReportsTheCommonControlsVersion) {
  HMODULE msimg32 = GetModuleHandleW(L"msimg32.dll");
  ASSERT_NE(msimg32, nullptr) << "the start-up step keeps msimg32.dll loaded";
  EXPECT_EQ(reinterpret_cast<void*>(ImageDrawingAlphaBlend()),
            reinterpret_cast<void*>(GetProcAddress(msimg32, "AlphaBlend")));
  EXPECT_NE(ImageDrawingAlphaBlend(), nullptr);

  // The version as comctl32 itself answers DllGetVersion.
  HMODULE comctl32 = LoadLibraryW(L"comctl32.dll");
  ASSERT_NE(comctl32, nullptr);
  auto getVersion = reinterpret_cast<HRESULT(CALLBACK*)(DLLVERSIONINFO*)>(
      reinterpret_cast<void*>(GetProcAddress(comctl32, "DllGetVersion")));
  ASSERT_NE(getVersion, nullptr);
  DLLVERSIONINFO info{};
  info.cbSize = sizeof info;
  ASSERT_EQ(getVersion(&info), S_OK);
  FreeLibrary(comctl32);
  EXPECT_EQ(ImageDrawingCommonControlsVersion(), info.dwMajorVersion * 65536 + info.dwMinorVersion);
}

TEST(ImageDrawing, TeardownReleasesMsimg32) {
  HMODULE before = GetModuleHandleW(L"msimg32.dll");
  ASSERT_NE(before, nullptr);
  // One reference more, so that the module stays mapped and its reference count can be seen.
  HMODULE extra = LoadLibraryW(L"msimg32.dll");
  ImageDrawingEnd();
  EXPECT_EQ(ImageDrawingAlphaBlend(), nullptr);
  EXPECT_TRUE(FreeLibrary(extra));
  EXPECT_EQ(GetModuleHandleW(L"msimg32.dll"), nullptr) << "the step's own reference was released";
  ImageDrawingInit();
  EXPECT_NE(ImageDrawingAlphaBlend(), nullptr);
}

}  // namespace
