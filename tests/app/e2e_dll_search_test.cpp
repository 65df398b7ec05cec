// End to end, the real RebootPC.exe: system DLLs that are no KnownDLLs (dwmapi, msimg32, and
// uxtheme, which comctl32 loads) are taken from the system only, never from the program's folder,
// where a copy may lie (a Downloads folder), and the common controls are the version 6 that the
// manifest asks for. Both where the system restricts the DLL search (SetDefaultDllDirectories) and,
// with a test build whose lookup of it finds nothing, where it cannot (Vista, 7 without update
// KB2533623). Windows' loader searches the application's folder first for such names; Wine does
// so once WINEDLLOVERRIDES prefers native ones ("n,b"), which ctest sets for this program.
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

// A file of the side-by-side assembly of Common Controls 6 that the manifest depends on, in the
// system's WinSxS folder ("amd64_microsoft.windows.common-controls_6595b64144ccf1df_6.0.<build>_...").
// The folder tells where the module came from also under Wine, whose copy there answers
// DllGetVersion with 5.81 like the system folder's (the two are one file).
bool CommonControls6(std::wstring file) {
  CharLowerW(file.data());
  return file.find(L"\\winsxs\\") != std::wstring::npos &&
         file.find(L"_microsoft.windows.common-controls_6595b64144ccf1df_6.") != std::wstring::npos;
}

TEST(DllSearch, CopiesBesideTheProgramAreNeverLoadedAndTheCommonControlsAreVersion6) {
  struct Build {
    const char* what;
    std::wstring program;
  };
  const Build builds[] = {
      {"RebootPC.exe", tooltest::ToolExe()},
      {"without SetDefaultDllDirectories", tooltest::WindowsPath(REBOOTPC_TOOL_WITHOUT_DLL_DIRECTORIES_EXE)},
  };
  const std::wstring marker = tooltest::WindowsPath(REBOOTPC_LOAD_MARKER_DLL);
  for (const Build& build : builds) {
    SCOPED_TRACE(build.what);
    wintest::ScratchFolder app;
    wintest::ScratchFolder work;
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
    ToolRun run(app.path(), work.path(), build.program);
    ASSERT_TRUE(run.started()) << run.startFailure();
    HWND main = run.WaitMainWindow();
    ASSERT_NE(nullptr, main) << "no main window";
    // The About box is the tool's one message box, the common controls' and themes' other user.
    ASSERT_TRUE(wintest::BringToFront(main));
    wintest::PressKey('A', true);
    EXPECT_TRUE(tooltest::AnswerMessageBox(run, L"About", VK_RETURN));
    EXPECT_TRUE(CommonControls6(run.LoadedModuleFile(L"comctl32.dll")))
        << "comctl32 from " << Narrow(run.LoadedModuleFile(L"comctl32.dll"));
    wintest::BringToFront(main);
    wintest::PressKey('Q', true);
    DWORD code = 99;
    EXPECT_TRUE(run.WaitExit(5000, &code));
    EXPECT_EQ(0u, code);

    for (const wchar_t* name : kPlanted) {
      EXPECT_FALSE(Exists(app.File(std::wstring(name) + L".loaded"))) << Narrow(name) << " was loaded from the program's folder";
    }
  }
}

}  // namespace
