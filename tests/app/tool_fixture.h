// The fixture every end-to-end test of the tool shares: the recording stand-in in place of
// system32\shutdown.exe, an app folder for the tool's copy and a work folder that is its current
// folder (where reboot.prefs lives), and the usual settled settings file.
#pragma once

#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "tests/app/tool_driver.h"
#include "tests/support/win_test.h"

class ToolTest : public testing::Test {
 protected:
  void SetUp() override {
    // The stand-in is copied over system32\shutdown.exe: only ever in a Wine prefix.
    if (!GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) GTEST_SKIP() << "not under Wine";
    ASSERT_TRUE(tooltest::StandInPreferred()) << "WINEDLLOVERRIDES lacks shutdown.exe=n: Wine's own shutdown.exe would run";
    ASSERT_TRUE(tooltest::InstallRecorder()) << "cannot install the stand-in";
  }

  std::wstring PrefsPath() const { return work_.File(L"reboot.prefs"); }
  std::string PrefsOnDisk() const { return wintest::ReadFileBytes(PrefsPath()); }
  // A settings file as a second start finds it: credentials given, the window at (x, y).
  void WriteSettledPrefs(const std::string& x, const std::string& y) const {
    ASSERT_TRUE(wintest::WriteFileBytes(PrefsPath(), SettledPrefs(x, y)));
  }
  static std::string SettledPrefs(const std::string& x, const std::string& y) {
    return tooltest::PrefsBytes({{"FirstRun", "0"},
                                 {"RebootX", x},
                                 {"RebootY", y},
                                 {"AdminName", tooltest::Rot47("admin")},
                                 {"AdminPass", tooltest::Rot47("secret")},
                                 {"Domain", tooltest::Rot47("CORP")}});
  }

  wintest::ScratchFolder app_;
  wintest::ScratchFolder work_;
};
