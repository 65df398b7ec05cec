// End to end, the real RebootPC.exe: system DLLs that are no KnownDLLs (dwmapi, msimg32, and
// uxtheme, which comctl32 loads) are taken from the system only, never from the program's folder,
// where a copy may lie (a Downloads folder). Windows' loader searches the application's folder
// first for such names; Wine does so once WINEDLLOVERRIDES prefers native ones ("n,b"), which
// ctest sets for this program.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "tests/app/tool_driver.h"
#include "tests/support/win_test.h"

namespace {

using tooltest::ToolRun;
using wintest::Narrow;

const wchar_t* const kPlanted[] = {L"dwmapi.dll", L"msimg32.dll", L"uxtheme.dll"};

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST(DllSearch, CopiesBesideTheProgramAreNeverLoaded) {
  wintest::ScratchFolder app;
  wintest::ScratchFolder work;
  const std::wstring marker = tooltest::WindowsPath(REBOOTPC_LOAD_MARKER_DLL);
  for (const wchar_t* name : kPlanted) ASSERT_TRUE(CopyFileW(marker.c_str(), app.File(name).c_str(), FALSE));

  // The planted copies are what a bare-name load finds when it searches that folder: without
  // this, a test passing could mean only that the copies are never looked at.
  ASSERT_EQ(nullptr, GetModuleHandleW(L"dwmapi.dll"));
  ASSERT_TRUE(SetDllDirectoryW(app.path().c_str()));
  HMODULE probe = LoadLibraryW(L"dwmapi.dll");
  SetDllDirectoryW(nullptr);
  ASSERT_NE(nullptr, probe);
  FreeLibrary(probe);
  ASSERT_TRUE(Exists(app.File(L"dwmapi.dll.loaded"))) << "the planted dwmapi.dll was not found by a bare-name load";
  ASSERT_TRUE(DeleteFileW(app.File(L"dwmapi.dll.loaded").c_str()));

  ASSERT_TRUE(wintest::WriteFileBytes(work.File(L"reboot.prefs"),
                                      tooltest::PrefsBytes({{"FirstRun", "0"}, {"RebootX", "30"}, {"RebootY", "40"}})));
  ToolRun run(app.path(), work.path());
  ASSERT_TRUE(run.started());
  HWND main = run.WaitMainWindow();
  ASSERT_NE(nullptr, main) << "no main window";
  // The About box is the tool's one message box, the common controls' and themes' other user.
  ASSERT_TRUE(wintest::BringToFront(main));
  wintest::PressKey('A', true);
  EXPECT_TRUE(tooltest::AnswerMessageBox(run, L"About", VK_RETURN));
  wintest::BringToFront(main);
  wintest::PressKey('Q', true);
  DWORD code = 99;
  EXPECT_TRUE(run.WaitExit(5000, &code));
  EXPECT_EQ(0u, code);

  for (const wchar_t* name : kPlanted) {
    EXPECT_FALSE(Exists(app.File(std::wstring(name) + L".loaded"))) << Narrow(name) << " was loaded from the program's folder";
  }
}

}  // namespace
