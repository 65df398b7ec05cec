// The fixture every end-to-end test of the tool shares: the recording stand-in in place of
// system32\shutdown.exe, an app folder for the tool's copy and a work folder that is its current
// folder (where reboot.prefs lives), and the usual settled settings file.
#pragma once

#include <windows.h>

#include <memory>
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
    ASSERT_TRUE(wintest::WriteFileBytes(PrefsPath(), tooltest::SettledPrefs(x, y)));
  }

  wintest::ScratchFolder app_;
  wintest::ScratchFolder work_;
};

// The same with the settled file (window at 30, 40) and the tool run by Start(); at the end a
// tool still running is quit with Control+Q, which must end it with exit code 0.
class RunningToolTest : public ToolTest {
 protected:
  void SetUp() override {
    ToolTest::SetUp();
    WriteSettledPrefs("30", "40");
  }
  void TearDown() override {
    if (run_ && run_->Running() && main_) {
      wintest::BringToFront(main_);
      wintest::PressKey('Q', true);
      DWORD code = 99;
      EXPECT_TRUE(run_->WaitExit(5000, &code)) << "Control+Q did not end the tool";
      EXPECT_EQ(0u, code);
    }
    run_.reset();
  }
  void Start() {
    run_ = std::make_unique<tooltest::ToolRun>(app_.path(), work_.path());
    ASSERT_TRUE(run_->started()) << run_->startFailure();
    main_ = run_->WaitMainWindow();
    ASSERT_NE(nullptr, main_);
    ASSERT_TRUE(wintest::BringToFront(main_));
  }
  HWND Gadget(int number) const { return GetDlgItem(main_, number); }
  // The tool's GUI thread takes a message within `milliseconds`.
  bool Answers(DWORD milliseconds) const {
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_NORMAL, milliseconds, &answer) != 0;
  }
  bool SetField(int number, const std::wstring& text, tooltest::Entry entry) {
    return tooltest::EnterText(*run_, Gadget(number), text, entry);
  }
  // The name, timeout and notice fields.
  bool Fill(const std::wstring& name, const std::wstring& timeout, const std::wstring& notice, tooltest::Entry entry) {
    return SetField(0, name, entry) && SetField(4, timeout, entry) && SetField(5, notice, entry);
  }

  std::unique_ptr<tooltest::ToolRun> run_;
  HWND main_ = nullptr;
};
