// End to end, the real RebootPC.exe: the first start's prompts and the file they leave, who may
// open that file, a start with a settings file, the stored position and its odd values, saving
// the position on move and close, quitting, and "Reset Credentials".
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <climits>
#include <string>

#include <gtest/gtest.h>

#include "tests/app/tool_fixture.h"
#include "tests/support/byte_dump.h"

namespace {

using tooltest::PrefsBytes;
using tooltest::Rot47;
using tooltest::SettledPrefs;
using tooltest::ToolRun;
using tooltest::TextOf;
using wintest::Narrow;

using bytedump::Shown;

POINT FramePosition(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return POINT{rect.left, rect.top};
}

// The same settings in a form the tool never writes ("key=value"), so that any save of the tool
// shows in the file.
std::string Untidy(const std::string& bytes) {
  std::string out;
  std::size_t from = 0;
  for (std::size_t at = bytes.find(" = "); at != std::string::npos; at = bytes.find(" = ", from)) {
    out.append(bytes, from, at - from).append("=");
    from = at + 3;
  }
  return out.append(bytes, from, std::string::npos);
}

bool QuitWithCtrlQ(const ToolRun& run, HWND main) {
  wintest::BringToFront(main);
  wintest::PressKey('Q', true);
  DWORD code = 99;
  if (!run.WaitExit(5000, &code)) return false;
  return code == 0;
}

// A new start in these folders opens the window's frame at (x, y), and ends on Control+Q.
void ExpectNextStartAt(const std::wstring& app, const std::wstring& work, LONG x, LONG y) {
  ToolRun again(app, work);
  HWND main = again.WaitMainWindow();
  ASSERT_NE(nullptr, main);
  EXPECT_EQ(x, FramePosition(main).x);
  EXPECT_EQ(y, FramePosition(main).y);
  EXPECT_TRUE(QuitWithCtrlQ(again, main));
}

// Who besides the user running this program, SYSTEM and the Administrators the file's DACL
// lets in, as SID strings; and whether an allow entry names the user. The tool runs as the same
// user as its test.
struct FileAccess {
  bool read = false;
  bool userAllowed = false;
  std::string others;
};

FileAccess AccessOf(const std::wstring& path) {
  FileAccess access;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                            nullptr, &descriptor) != ERROR_SUCCESS) {
    return access;
  }
  access.read = true;
  struct {
    TOKEN_USER user;
    BYTE sid[SECURITY_MAX_SID_SIZE];
  } user{};
  HANDLE token = nullptr;
  DWORD size = 0;
  OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
  GetTokenInformation(token, TokenUser, &user, sizeof user, &size);
  CloseHandle(token);
  if (!dacl) access.others = "no DACL: anyone";
  for (DWORD index = 0; dacl && index < dacl->AceCount; ++index) {
    void* entry = nullptr;
    if (!GetAce(dacl, index, &entry) || static_cast<ACE_HEADER*>(entry)->AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
    PSID sid = &static_cast<ACCESS_ALLOWED_ACE*>(entry)->SidStart;
    if (EqualSid(sid, user.user.User.Sid)) {
      access.userAllowed = true;
    } else if (!IsWellKnownSid(sid, WinLocalSystemSid) && !IsWellKnownSid(sid, WinBuiltinAdministratorsSid)) {
      wchar_t* text = nullptr;
      ConvertSidToStringSidW(sid, &text);
      access.others += " " + Narrow(text ? text : L"?");
      LocalFree(text);
    }
  }
  LocalFree(descriptor);
  return access;
}

using StartTest = ToolTest;
// A test of one start: Start() runs the tool, and the end quits it with Control+Q.
using RunningStartTest = RunningToolTest;

// The file is the admin's alone however the folder is shared: the one a first start creates and
// the one a save creates after it was deleted. Wine keeps of a descriptor what maps to Unix
// permissions, so what it reads back is checked, not a literal descriptor.
TEST_F(StartTest, TheSettingsFileTheToolCreatesOnlyItsUserSystemAndAdministratorsMayOpen) {
  ToolRun run(app_.path(), work_.path());
  ASSERT_TRUE(tooltest::CancelInput(run, L"Domain required"));
  ASSERT_TRUE(tooltest::CancelInput(run, L"Admin Name Required"));
  ASSERT_TRUE(tooltest::CancelInput(run, L"Password required"));
  HWND main = run.WaitMainWindow();
  ASSERT_NE(nullptr, main);
  ASSERT_TRUE(run.Settle(main));
  const auto expectItsUsersAlone = [&](const char* made) {
    const FileAccess access = AccessOf(PrefsPath());
    EXPECT_TRUE(access.read) << made << ": the file's DACL could not be read";
    EXPECT_TRUE(access.userAllowed) << made << ": no allow entry names the user";
    EXPECT_EQ("", access.others) << made << ": others may open the file";
  };
  expectItsUsersAlone("made by the first start");
  // The tool holds the file only while it saves.
  ASSERT_TRUE(wintest::WaitUntil([&] { return DeleteFileW(PrefsPath().c_str()) != 0; }, 3000));
  SetWindowPos(main, nullptr, 60, 70, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  const std::string saved = PrefsBytes({{"RebootX", "60"}, {"RebootY", "70"}});
  ASSERT_TRUE(wintest::WaitUntil([&] { return PrefsOnDisk() == saved; }, 5000)) << Shown(PrefsOnDisk());
  expectItsUsersAlone("made by a save after it was deleted");
  EXPECT_TRUE(QuitWithCtrlQ(run, main));
}

TEST_F(StartTest, FirstStartAsksThreeTimesBeforeTheWindowAndStoresTheAnswersScrambled) {
  ToolRun run(app_.path(), work_.path());
  ASSERT_TRUE(run.started()) << run.startFailure();

  HWND domain = run.WaitWindow(L"InputRequester", L"Domain required");
  ASSERT_NE(nullptr, domain) << "no domain prompt";
  EXPECT_EQ(nullptr, run.FindWindowOf(L"WindowClass_0", L"Reboot PC")) << "the main window came before the prompts";
  EXPECT_EQ(L"Please enter your domain.", TextOf(GetDlgItem(domain, 0)));
  // The six keys are on disk before the first prompt, "FirstRun" still 1.
  EXPECT_EQ(Shown(PrefsBytes({{"FirstRun", "1"},
                            {"RebootX", "0"},
                            {"RebootY", "0"},
                            {"AdminName", ""},
                            {"AdminPass", ""},
                            {"Domain", ""}})),
            Shown(PrefsOnDisk()));
  ASSERT_TRUE(tooltest::AnswerInput(run, L"Domain required", L"CORP-W\u00f6rk"));

  HWND name = run.WaitWindow(L"InputRequester", L"Admin Name Required");
  ASSERT_NE(nullptr, name) << "no admin name prompt after the domain";
  EXPECT_EQ(L"Please enter your domain admin name:", TextOf(GetDlgItem(name, 0)));
  EXPECT_EQ(nullptr, run.FindWindowOf(L"WindowClass_0", L"Reboot PC"));
  ASSERT_TRUE(tooltest::AnswerInput(run, L"Admin Name Required", L"admin"));

  HWND password = run.WaitWindow(L"InputRequester", L"Password required");
  ASSERT_NE(nullptr, password) << "no password prompt after the admin name";
  EXPECT_EQ(L"Please enter your admin password:", TextOf(GetDlgItem(password, 0)));
  EXPECT_NE(0, GetWindowLongW(GetDlgItem(password, 10), GWL_STYLE) & ES_PASSWORD) << "the password is not masked";
  EXPECT_EQ(nullptr, run.FindWindowOf(L"WindowClass_0", L"Reboot PC"));
  ASSERT_TRUE(tooltest::AnswerInput(run, L"Password required", L"P@ss w0rd!~"));

  HWND main = run.WaitMainWindow();
  ASSERT_NE(nullptr, main) << "no main window after the prompts";
  const POINT at = FramePosition(main);
  EXPECT_EQ(0, at.x);
  EXPECT_EQ(0, at.y);
  const std::string expected = PrefsBytes({{"FirstRun", "0"},
                                           {"RebootX", "0"},
                                           {"RebootY", "0"},
                                           {"AdminName", Rot47("admin")},
                                           {"AdminPass", Rot47("P@ss w0rd!~")},
                                           {"Domain", Rot47(tooltest::Utf8(L"CORP-W\u00f6rk"))}});
  EXPECT_EQ(Shown(expected), Shown(PrefsOnDisk()));
  // Control+Q quits without a question and without touching the file.
  ASSERT_TRUE(run.Settle(main));
  ASSERT_TRUE(wintest::WriteFileBytes(PrefsPath(), Untidy(expected)));
  EXPECT_TRUE(QuitWithCtrlQ(run, main));
  EXPECT_EQ(Shown(Untidy(expected)), Shown(PrefsOnDisk())) << "quitting saved the settings";
}

TEST_F(StartTest, CancellingEveryPromptStoresEmptyCredentialsAndTheNextStartAsksNothing) {
  {
    ToolRun run(app_.path(), work_.path());
    ASSERT_TRUE(tooltest::CancelInput(run, L"Domain required"));
    ASSERT_TRUE(tooltest::CancelInput(run, L"Admin Name Required"));
    ASSERT_TRUE(tooltest::CancelInput(run, L"Password required"));
    HWND main = run.WaitMainWindow();
    ASSERT_NE(nullptr, main);
    EXPECT_EQ(Shown(PrefsBytes({{"FirstRun", "0"},
                              {"RebootX", "0"},
                              {"RebootY", "0"},
                              {"AdminName", ""},
                              {"AdminPass", ""},
                              {"Domain", ""}})),
              Shown(PrefsOnDisk()));
    EXPECT_TRUE(QuitWithCtrlQ(run, main));
  }
  const std::string before = PrefsOnDisk();
  ToolRun second(app_.path(), work_.path());
  HWND main = second.WaitMainWindow();
  ASSERT_NE(nullptr, main) << "the second start did not open the window";
  EXPECT_EQ(nullptr, second.FindWindowOf(L"InputRequester", nullptr)) << "the second start asked again";
  // Its one save is the position it opened at, the stored one.
  ASSERT_TRUE(second.Settle(main));
  EXPECT_EQ(Shown(before), Shown(PrefsOnDisk())) << "the second start changed the settings";
  EXPECT_TRUE(QuitWithCtrlQ(second, main));
}

// Every stored position opens the frame wholly in the work area, moved no further than needed;
// one wholly in it stays.
TEST_F(StartTest, StoredPositionOpensTheWindowThereInTheWorkAreaWithAMinimisedPositionReplaced) {
  // Expected on the work area's near (left or top) or far (right or bottom) edge.
  constexpr LONG kNear = LONG_MIN;
  constexpr LONG kFar = LONG_MAX;
  struct Case {
    std::string x, y;
    LONG expectedX, expectedY;
  };
  const Case cases[] = {
      {"-32000", "-32000", 5, 5},
      {"-32000", "40", 5, 40},
      {"60", "-32000", 60, 5},
      {"-31999", "-31999", kNear, kNear},
      {"abc", "12abc", 0, 12},
      {"250", "+90", 250, 90},
      {"5000", "5000", kFar, kFar},
      {"-40", "-20", kNear, kNear},
  };
  RECT work{};
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  for (const Case& c : cases) {
    WriteSettledPrefs(c.x, c.y);
    ToolRun run(app_.path(), work_.path());
    HWND main = run.WaitMainWindow();
    ASSERT_NE(nullptr, main) << "stored " << c.x << ", " << c.y;
    RECT frame{};
    GetWindowRect(main, &frame);
    const LONG expectedX = c.expectedX == kNear ? work.left
                           : c.expectedX == kFar ? work.right - (frame.right - frame.left)
                                                 : c.expectedX;
    const LONG expectedY = c.expectedY == kNear ? work.top
                           : c.expectedY == kFar ? work.bottom - (frame.bottom - frame.top)
                                                 : c.expectedY;
    EXPECT_EQ(expectedX, frame.left) << "stored " << c.x << ", " << c.y;
    EXPECT_EQ(expectedY, frame.top) << "stored " << c.x << ", " << c.y;
    EXPECT_EQ(nullptr, run.FindWindowOf(L"InputRequester", nullptr));
    // Attaching and detaching the menu bar moves the client area after the window is open, which
    // the window reports as a move: the file then holds the position the window opened at.
    const std::string opened = SettledPrefs(std::to_string(expectedX), std::to_string(expectedY));
    EXPECT_TRUE(wintest::WaitUntil([&] { return PrefsOnDisk() == opened; }, 3000))
        << "stored " << c.x << ", " << c.y << ": " << Shown(PrefsOnDisk());
    // Control+Q saves nothing.
    ASSERT_TRUE(run.Settle(main));
    ASSERT_TRUE(wintest::WriteFileBytes(PrefsPath(), Untidy(opened)));
    EXPECT_TRUE(QuitWithCtrlQ(run, main)) << "stored " << c.x << ", " << c.y;
    EXPECT_EQ(Shown(Untidy(opened)), Shown(PrefsOnDisk())) << "stored " << c.x << ", " << c.y;
  }
}

// Minimised, the window is parked out of sight (Wine: the bottom-left corner; Windows: -32000);
// the saves on that move and on the close keep where it stood, and the next start opens there.
TEST_F(StartTest, ClosedWhileMinimisedKeepsWhereTheWindowStood) {
  WriteSettledPrefs("200", "150");
  const std::string stood = SettledPrefs("200", "150");
  {
    ToolRun run(app_.path(), work_.path());
    HWND main = run.WaitMainWindow();
    ASSERT_NE(nullptr, main);
    PostMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(wintest::WaitUntil([&] { return IsIconic(main) != FALSE; }, 5000)) << "not minimised";
    ASSERT_TRUE(run.Settle(main));
    EXPECT_EQ(Shown(stood), Shown(PrefsOnDisk())) << "the move to the parking place was saved";
    // Closed from the taskbar: the close saves again, over a file changed meanwhile.
    ASSERT_TRUE(wintest::WriteFileBytes(PrefsPath(), SettledPrefs("1", "2")));
    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    DWORD code = 99;
    ASSERT_TRUE(run.WaitExit(5000, &code));
    EXPECT_EQ(0u, code);
    EXPECT_EQ(Shown(stood), Shown(PrefsOnDisk())) << "the close saved the parking place";
  }
  ExpectNextStartAt(app_.path(), work_.path(), 200, 150);
}

TEST_F(StartTest, MovingSavesThePositionInPlaceAndClosingSavesItAndEndsWithCodeZero) {
  WriteSettledPrefs("40", "30");
  {
    ToolRun run(app_.path(), work_.path());
    HWND main = run.WaitMainWindow();
    ASSERT_NE(nullptr, main);
    ASSERT_EQ(40, FramePosition(main).x);

    SetWindowPos(main, nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const std::string moved = SettledPrefs("200", "150");
    EXPECT_TRUE(wintest::WaitUntil([&] { return PrefsOnDisk() == moved; }, 5000))
        << "after a move the file holds " << Shown(PrefsOnDisk());

    SetWindowPos(main, nullptr, 7, 9, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const std::string movedAgain = SettledPrefs("7", "9");
    EXPECT_TRUE(wintest::WaitUntil([&] { return PrefsOnDisk() == movedAgain; }, 5000))
        << "after a second move the file holds " << Shown(PrefsOnDisk());

    // Closing saves the position too: a file changed meanwhile gets it back. The file can read
    // as moved before the tool has closed it (the bytes are written before SetEndOfFile and
    // CloseHandle), and while open it shares reading only, so the write is retried.
    ASSERT_TRUE(wintest::WaitUntil([&] { return wintest::WriteFileBytes(PrefsPath(), SettledPrefs("1", "2")); }, 5000));
    ASSERT_TRUE(tooltest::ClickCloseBox(main, [&] { return !run.Running(); })) << "the close box did not end the tool";
    DWORD code = 99;
    ASSERT_TRUE(run.WaitExit(5000, &code));
    EXPECT_EQ(0u, code);
    EXPECT_EQ(Shown(movedAgain), Shown(PrefsOnDisk()));
  }
  ExpectNextStartAt(app_.path(), work_.path(), 7, 9);
}

TEST_F(RunningStartTest, DraggingTheCaptionSavesWhereTheWindowWasDropped) {
  WriteSettledPrefs("100", "100");
  Start();
  tooltest::DragCaption(main_, 150, 90);
  const POINT at = FramePosition(main_);
  EXPECT_EQ(250, at.x) << "the drag did not move the window by its distance";
  EXPECT_EQ(190, at.y);
  const std::string dropped = SettledPrefs(std::to_string(at.x), std::to_string(at.y));
  EXPECT_TRUE(wintest::WaitUntil([&] { return PrefsOnDisk() == dropped; }, 5000))
      << "window at " << at.x << ", " << at.y << "; file " << Shown(PrefsOnDisk());
}

TEST_F(RunningStartTest, MovingKeepsKeysTheToolDoesNotKnowWhereTheyStand) {
  const std::string before = "\xEF\xBB\xBF\r\n; kept\r\nDomain = x\r\nRebootY = 3\r\nColour = blue\r\nRebootX = 4\r\n[grp]\r\nRebootX = 99\r\n";
  ASSERT_TRUE(wintest::WriteFileBytes(PrefsPath(), before));
  Start();
  EXPECT_EQ(4, FramePosition(main_).x);
  SetWindowPos(main_, nullptr, 31, 32, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  const std::string after = "\xEF\xBB\xBF\r\n; kept\r\nDomain = x\r\nRebootY = 32\r\nColour = blue\r\nRebootX = 31\r\n[grp]\r\nRebootX = 99\r\n";
  EXPECT_TRUE(wintest::WaitUntil([&] { return PrefsOnDisk() == after; }, 5000)) << Shown(PrefsOnDisk());
}

TEST_F(RunningStartTest, ResetCredentialsNoChangesNothingAndYesAsksAgainAndReplacesInPlace) {
  WriteSettledPrefs("20", "20");
  Start();
  HWND reset = GetDlgItem(main_, 8);
  ASSERT_TRUE(run_->Settle(main_));
  const std::string before = Untidy(PrefsOnDisk());
  ASSERT_TRUE(wintest::WriteFileBytes(PrefsPath(), before));

  ASSERT_TRUE(tooltest::ClickButton(reset, [&] { return run_->FindWindowOf(L"#32770", L"Reset Credentials") != nullptr; }));
  std::wstring question;
  ASSERT_TRUE(tooltest::AnswerMessageBox(*run_, L"Reset Credentials", 'N', &question));
  EXPECT_EQ(L"Do you wish to reset your admin credentials?", question);
  ASSERT_TRUE(run_->Settle(main_));
  EXPECT_EQ(nullptr, run_->FindWindowOf(L"InputRequester", nullptr)) << "No led to a prompt";
  EXPECT_EQ(Shown(before), Shown(PrefsOnDisk())) << "No saved the settings";

  ASSERT_TRUE(tooltest::ClickButton(reset, [&] { return run_->FindWindowOf(L"#32770", L"Reset Credentials") != nullptr; }));
  ASSERT_TRUE(tooltest::AnswerMessageBox(*run_, L"Reset Credentials", 'Y'));
  ASSERT_TRUE(tooltest::AnswerInput(*run_, L"Domain required", L"NEWDOM"));
  ASSERT_TRUE(tooltest::AnswerInput(*run_, L"Admin Name Required", L"root"));
  ASSERT_TRUE(tooltest::AnswerInput(*run_, L"Password required", L"hunter2"));
  const std::string expected = PrefsBytes({{"FirstRun", "0"},
                                           {"RebootX", "20"},
                                           {"RebootY", "20"},
                                           {"AdminName", Rot47("root")},
                                           {"AdminPass", Rot47("hunter2")},
                                           {"Domain", Rot47("NEWDOM")}});
  EXPECT_TRUE(wintest::WaitUntil([&] { return PrefsOnDisk() == expected; }, 3000)) << Shown(PrefsOnDisk());
}


// A settings file that is there but cannot be read now is no first start: the credentials it
// holds are not asked for again, nothing is created or emptied, and the window opens at (0, 0).
TEST_F(StartTest, ASettingsFileThatCannotBeReadNowIsNoFirstStart) {
  struct Case {
    const char* label;
    bool folder;  // a folder named reboot.prefs, else the file held by another program unshared
  };
  for (const Case& c : {Case{"held without sharing", false}, Case{"a folder of that name", true}}) {
    SCOPED_TRACE(c.label);
    HANDLE held = INVALID_HANDLE_VALUE;
    std::string before;
    if (c.folder) {
      ASSERT_TRUE(CreateDirectoryW(PrefsPath().c_str(), nullptr));
    } else {
      WriteSettledPrefs("30", "40");
      before = PrefsOnDisk();
      held = CreateFileW(PrefsPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      ASSERT_NE(INVALID_HANDLE_VALUE, held);
    }
    {
      ToolRun run(app_.path(), work_.path());
      HWND main = run.WaitMainWindow();
      EXPECT_EQ(nullptr, run.FindWindowOf(L"InputRequester", nullptr)) << "the credentials were asked for";
      ASSERT_NE(nullptr, main);
      const POINT at = FramePosition(main);
      EXPECT_EQ(0, at.x);
      EXPECT_EQ(0, at.y);
      EXPECT_TRUE(QuitWithCtrlQ(run, main));
    }
    if (c.folder) {
      EXPECT_NE(0u, GetFileAttributesW(PrefsPath().c_str()) & FILE_ATTRIBUTE_DIRECTORY);
      EXPECT_TRUE(RemoveDirectoryW(PrefsPath().c_str()));
    } else {
      CloseHandle(held);
      EXPECT_EQ(Shown(before), Shown(PrefsOnDisk())) << "the held file changed";
      EXPECT_TRUE(DeleteFileW(PrefsPath().c_str()));
    }
  }
}

}  // namespace
