// End to end, the real RebootPC.exe with the recording stand-in as system32\shutdown.exe: the
// ways to submit, Enter and Space on a focused button pressing that button alone, the arguments
// shutdown.exe receives for ordinary and hostile input, the form reset after success, the error
// box when shutdown.exe fails or is missing (fields kept, the box in front and owned by the main
// window, the hint for the common exit codes), shutdown.exe started hidden while the tool stays
// in front, answers and takes no input, one restart for one press however long Enter is held, and
// that a shutdown.exe planted in the tool's folder or the current folder never runs.
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/app/tool_fixture.h"

namespace {

using tooltest::Entry;
using tooltest::ExpectedArgv;
using tooltest::Show;
using tooltest::TextOf;
using wintest::Narrow;

std::wstring Counter(std::size_t left) {
  return L"User Notification:\r\n(" + std::to_wstring(left) + L" Chars Left)";
}

// Checks an error box's text: `what` and the computer; the system's description of `code` as
// FormatMessageW gives it, up to the line end the system puts after it (nothing of the text left
// out, nothing of the line end kept; a code the system has no text for, 1190 under Wine, gets a
// sentence of the tool's own); then, when `hintWord` is given, a paragraph of advice holding that
// word, and none otherwise; last the code.
void ExpectErrorText(const std::wstring& shown, const std::wstring& what, DWORD code, const wchar_t* hintWord) {
  const std::wstring head = what + L" \\\\srv9.\r\n\r\n";
  const std::wstring tail = L"\r\n\r\nError code: " + std::to_wstring(code);
  ASSERT_GE(shown.size(), head.size() + tail.size()) << Narrow(shown);
  EXPECT_EQ(Narrow(head), Narrow(shown.substr(0, head.size())));
  EXPECT_EQ(Narrow(tail), Narrow(shown.substr(shown.size() - tail.size())));
  const std::wstring body = shown.substr(head.size(), shown.size() - head.size() - tail.size());

  wchar_t* message = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
      reinterpret_cast<wchar_t*>(&message), 0, nullptr);
  std::wstring system = length ? std::wstring(message, length) : std::wstring();
  if (message) LocalFree(message);
  system.erase(system.find_last_not_of(L"\r\n ") + 1);
  const std::size_t paragraph = body.find(L"\r\n\r\n");
  const std::wstring description = body.substr(0, paragraph);
  const std::wstring advice = paragraph == std::wstring::npos ? std::wstring() : body.substr(paragraph + 4);
  if (system.empty()) {
    EXPECT_FALSE(description.empty()) << "no sentence for code " << code << " without a system text";
  } else {
    EXPECT_EQ(Narrow(system), Narrow(body.substr(0, system.size()))) << "not the system's description of " << code;
    EXPECT_EQ(system.size(), description.size()) << "more than the system's description: " << Narrow(body);
  }
  if (!hintWord) {
    EXPECT_EQ("", Narrow(advice)) << "advice for code " << code;
  } else {
    EXPECT_NE(advice.find(hintWord), std::wstring::npos)
        << "the advice for code " << code << " lacks \"" << Narrow(hintWord) << "\": " << Narrow(advice);
    EXPECT_EQ(advice.find_first_not_of(L"\r\n "), 0u) << "a line end was kept before the advice";
  }
}

// Whether a process runs from an image of this name (the stand-in while it runs).
bool ProcessRunning(const wchar_t* image) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  bool found = false;
  for (BOOL more = Process32FirstW(snapshot, &entry); more && !found; more = Process32NextW(snapshot, &entry)) {
    found = _wcsicmp(entry.szExeFile, image) == 0;
  }
  CloseHandle(snapshot);
  return found;
}

// The visible top-level windows of processes other than this one and `tool`.
std::set<HWND> OthersVisible(DWORD tool) {
  struct Search {
    DWORD tool;
    std::set<HWND> found;
  } search{tool, {}};
  EnumWindows(
      [](HWND window, LPARAM lParam) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lParam);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process != s->tool && process != GetCurrentProcessId() && IsWindowVisible(window)) s->found.insert(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HCURSOR CurrentCursor() {
  CURSORINFO cursor{};
  cursor.cbSize = sizeof cursor;
  return GetCursorInfo(&cursor) ? cursor.hCursor : nullptr;
}

class RebootTest : public RunningToolTest {
 protected:
  // Waits for one more record of the stand-in; false when none came.
  bool WaitRecord(std::size_t before, recorder::Record* record) {
    if (!wintest::WaitUntil([&] { return tooltest::Records().size() > before; }, 10000)) return false;
    *record = tooltest::Records().back();
    return true;
  }
  bool FormIsReset() const {
    return TextOf(Gadget(0)).empty() && TextOf(Gadget(4)) == L"30" && TextOf(Gadget(5)).empty() &&
           TextOf(Gadget(6)) == Counter(512) && run_->InFrontWithFocus(main_, Gadget(0));
  }
  // Once the error box is closed, the main window is in front again with the focus where the
  // admin pressed Enter.
  bool BackAfterTheBox(int field) const {
    return wintest::WaitUntil([&] { return run_->InFrontWithFocus(main_, Gadget(field)); }, 5000);
  }
  // The error box, in front and owned by the main window: where the admin's Enter goes.
  HWND ErrorBoxInFront() const {
    HWND box = run_->WaitWindow(L"#32770", L"Error");
    if (!box || GetWindow(box, GW_OWNER) != main_) return nullptr;
    return wintest::WaitUntil([&] { return GetForegroundWindow() == box; }, 3000) ? box : nullptr;
  }
};

TEST_F(RebootTest, EnterInEachFieldAndTheSubmitButtonRunTheSystemShutdownAndResetTheForm) {
  Start();
  struct Way {
    const char* label;
    int field;  // where Enter is pressed; -1: the Submit button
  };
  const Way ways[] = {{"Enter in the name", 0}, {"Enter in the timeout", 4}, {"Enter in the notice", 5},
                      {"Submit", -1}};
  for (const Way& way : ways) {
    ASSERT_TRUE(Fill(L"pc01", L"45", L"Maintenance", Entry::Type)) << way.label;
    const std::size_t before = tooltest::Records().size();
    if (way.field >= 0) {
      ASSERT_TRUE(tooltest::ClickInto(*run_, Gadget(way.field))) << way.label;
      wintest::PressKey(VK_RETURN);
    } else {
      ASSERT_TRUE(tooltest::ClickButton(Gadget(7), [&] { return tooltest::Records().size() > before; })) << way.label;
    }
    recorder::Record record;
    ASSERT_TRUE(WaitRecord(before, &record)) << way.label << ": shutdown.exe did not run";
    EXPECT_EQ(Show(ExpectedArgv(L"pc01", L"45", L"Maintenance")), Show(record.argv)) << way.label;
    EXPECT_EQ(Narrow(L"\"" + tooltest::SystemShutdown() + L"\" /r /f /m \\\\pc01 /t 45 -c \"Maintenance\""),
              Narrow(record.commandLine))
        << way.label;
    EXPECT_EQ(0, _wcsicmp(tooltest::SystemShutdown().c_str(), record.image.c_str())) << Narrow(record.image);
    EXPECT_EQ(0, _wcsicmp(work_.path().c_str(), record.folder.c_str())) << "ran in " << Narrow(record.folder);
    EXPECT_EQ(static_cast<DWORD>(SW_HIDE), record.showWindow) << way.label;
    EXPECT_TRUE(record.startupFlags & STARTF_USESHOWWINDOW) << way.label;
    EXPECT_TRUE(wintest::WaitUntil([&] { return FormIsReset(); }, 5000))
        << way.label << ": name [" << Narrow(TextOf(Gadget(0))) << "] timeout [" << Narrow(TextOf(Gadget(4)))
        << "] notice [" << Narrow(TextOf(Gadget(5))) << "] counter [" << Narrow(TextOf(Gadget(6))) << "]";
    EXPECT_EQ(nullptr, run_->FindWindowOf(L"#32770", nullptr)) << way.label << ": a box after success";
    // Nothing may take the activation after the program has ended either.
    wintest::Pump(500);
    EXPECT_TRUE(run_->InFrontWithFocus(main_, Gadget(0))) << way.label << ": the tool lost the foreground later";
  }
  EXPECT_EQ(4u, tooltest::Records().size());
}

// Enter on a focused button presses that button, as Space does: on "Reset Credentials" it asks
// the reset question and launches nothing; on "Submit" it launches once, with no second submit
// from the window's Enter shortcut (which would find the form reset and show an error box).
TEST_F(RebootTest, EnterOrSpaceOnAFocusedButtonPressesThatButtonAlone) {
  Start();
  for (const WORD key : {WORD{VK_RETURN}, WORD{VK_SPACE}}) {
    const char* label = key == VK_RETURN ? "Enter" : "Space";
    ASSERT_TRUE(Fill(L"pc01", L"45", L"Maintenance", Entry::Type)) << label;
    const std::size_t before = tooltest::Records().size();
    // Tab from the notice is "Reset Credentials", the next Tab "Submit".
    ASSERT_TRUE(tooltest::ClickInto(*run_, Gadget(5))) << label;
    wintest::PressKey(VK_TAB);
    ASSERT_TRUE(wintest::WaitUntil([&] { return run_->Focus() == Gadget(8); }, 2000)) << label;
    wintest::PressKey(key);
    std::wstring question;
    ASSERT_TRUE(tooltest::AnswerMessageBox(*run_, L"Reset Credentials", 'N', &question))
        << label << " on Reset Credentials: no reset question; launches " << tooltest::Records().size() - before;
    EXPECT_EQ(L"Do you wish to reset your admin credentials?", question);
    ASSERT_TRUE(run_->Settle(main_));
    EXPECT_EQ(before, tooltest::Records().size()) << label << " on Reset Credentials ran shutdown.exe";
    EXPECT_EQ(nullptr, run_->FindWindowOf(L"InputRequester", nullptr)) << label << ": No led to a prompt";
    EXPECT_EQ(L"pc01", TextOf(Gadget(0))) << label;
    EXPECT_EQ(L"45", TextOf(Gadget(4))) << label;
    EXPECT_EQ(L"Maintenance", TextOf(Gadget(5))) << label;

    ASSERT_TRUE(wintest::WaitUntil([&] { return run_->InFrontWithFocus(main_, Gadget(8)); }, 3000)) << label;
    wintest::PressKey(VK_TAB);
    ASSERT_TRUE(wintest::WaitUntil([&] { return run_->Focus() == Gadget(7); }, 2000)) << label;
    wintest::PressKey(key);
    recorder::Record record;
    ASSERT_TRUE(WaitRecord(before, &record)) << label << " on Submit: shutdown.exe did not run";
    EXPECT_EQ(Show(ExpectedArgv(L"pc01", L"45", L"Maintenance")), Show(record.argv)) << label;
    EXPECT_TRUE(wintest::WaitUntil([&] { return FormIsReset(); }, 5000)) << label << ": form not reset";
    wintest::Pump(500);
    EXPECT_EQ(before + 1, tooltest::Records().size()) << label << " on Submit: not exactly one launch";
    EXPECT_EQ(nullptr, run_->FindWindowOf(L"#32770", nullptr)) << label << " on Submit: a box after the launch";
  }
}

TEST_F(RebootTest, EveryFieldArrivesAsTyped) {
  Start();
  struct Case {
    const char* label;
    std::wstring name, timeout, notice;
    Entry entry;
  };
  std::wstring longNotice;
  while (longNotice.size() < 512) longNotice += L"\\\" /s\t";
  longNotice.resize(512);
  const Case cases[] = {
      {"ordinary", L"srv-01", L"30", L"Patch day, please save your work.", Entry::Type},
      {"name of one blank", L" ", L"30", L"x", Entry::Type},
      {"empty timeout", L"srv", L"", L"x", Entry::Type},
      {"timeout 5", L"srv", L"5", L"x", Entry::Type},
      {"timeout 999999", L"srv", L"999999", L"x", Entry::Type},
      {"IP address", L"10.1.2.3", L"30", L"x", Entry::Type},
      {"quotes", L"srv", L"30", L"say \"hi\" now", Entry::Paste},
      {"backslash before a quote", L"srv", L"30", L"a\\\"b \\\\\"c", Entry::Paste},
      {"trailing backslashes", L"srv", L"30", L"ends in \\\\", Entry::Paste},
      {"tabs", L"srv", L"30", L"a\tb\t", Entry::Paste},
      {"switches in the notice", L"srv", L"30", L"\" /s /m \\\\other", Entry::Paste},
      {"switches in the name", L"\" /s /m \\\\other", L"30", L"x", Entry::Paste},
      {"name with blanks and a trailing backslash", L"my pc\\", L"30", L"x", Entry::Paste},
      {"pasted timeout with a blank and a quote", L"srv", L"3 \"0", L"x", Entry::Paste},
      {"512 hostile characters", L"srv", L"30", longNotice, Entry::Paste},
      {"non-ASCII", L"h\u00f6st", L"30", L"Gr\u00fc\u00dfe \u20ac \U0001F600", Entry::Paste},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(Fill(c.name, c.timeout, c.notice, c.entry)) << c.label;
    const std::size_t before = tooltest::Records().size();
    ASSERT_TRUE(tooltest::ClickInto(*run_, Gadget(5))) << c.label;
    wintest::PressKey(VK_RETURN);
    recorder::Record record;
    ASSERT_TRUE(WaitRecord(before, &record)) << c.label << ": shutdown.exe did not run";
    EXPECT_EQ(Show(ExpectedArgv(c.name, c.timeout, c.notice)), Show(record.argv))
        << c.label << ": command line " << Narrow(record.commandLine);
    EXPECT_TRUE(wintest::WaitUntil([&] { return FormIsReset(); }, 5000)) << c.label << ": form not reset";
  }
}

TEST_F(RebootTest, MissingShutdownShowsTheErrorAndKeepsTheFields) {
  ASSERT_TRUE(tooltest::RemoveSystemShutdown());
  Start();
  ASSERT_TRUE(Fill(L"srv9", L"60", L"Planned restart", Entry::Type));
  ASSERT_TRUE(tooltest::ClickInto(*run_, Gadget(0)));
  wintest::PressKey(VK_RETURN);
  EXPECT_NE(nullptr, ErrorBoxInFront()) << "no error box in front, owned by the main window";
  std::wstring text;
  ASSERT_TRUE(tooltest::AnswerMessageBox(*run_, L"Error", VK_RETURN, &text)) << "no error box";
  ExpectErrorText(text, L"shutdown.exe could not be started to restart", ERROR_FILE_NOT_FOUND, nullptr);
  EXPECT_EQ(L"srv9", TextOf(Gadget(0)));
  EXPECT_EQ(L"60", TextOf(Gadget(4)));
  EXPECT_EQ(L"Planned restart", TextOf(Gadget(5)));
  EXPECT_TRUE(BackAfterTheBox(0));
  EXPECT_TRUE(tooltest::Records().empty());
}

// shutdown.exe waiting on a computer that is off: the tool must stay in front, show no window of
// another process, answer the system, and take neither keys nor a click on Submit meanwhile.
TEST_F(RebootTest, WhileShutdownRunsTheToolStaysInFrontAnswersAndTakesNoInput) {
  ASSERT_TRUE(wintest::WriteFileBytes(tooltest::SystemSteerFile(), recorder::RecorderSteering(0, 2500)));
  Start();
  ASSERT_TRUE(Fill(L"pc-off", L"30", L"Patch day", Entry::Type));
  const std::set<HWND> visibleBefore = OthersVisible(run_->processId());
  RECT submit{};
  GetWindowRect(Gadget(7), &submit);
  wintest::MoveMouseTo((submit.left + submit.right) / 2, (submit.top + submit.bottom) / 2);
  // A cursor handle belongs to the process that loaded it (under Wine), so the wait cursor is the
  // shape the tool shows all through the run, told from its shape before the run. That shape is
  // not the one to expect afterwards: Wine 10 at times applies a mouse move late, with the place
  // the pointer had before (the notice field's I-beam over the button), while after the wait the
  // tool asks the control under the pointer itself.
  const HCURSOR before = CurrentCursor();
  wintest::PressKey(VK_RETURN);
  ASSERT_TRUE(wintest::WaitUntil([] { return ProcessRunning(L"shutdown.exe"); }, 5000)) << "shutdown.exe did not start";

  // The admin, impatient: types into the focused field, presses Enter, clicks Submit; and a
  // tool posts a notification of Submit other than its click (a double click's).
  wintest::TypeText(L"abc");
  wintest::PressKey(VK_RETURN);
  wintest::ClickScreen((submit.left + submit.right) / 2, (submit.top + submit.bottom) / 2);
  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(7, BN_DOUBLECLICKED), reinterpret_cast<LPARAM>(Gadget(7)));
  wintest::MoveMouseTo((submit.left + submit.right) / 2, (submit.top + submit.bottom) / 2);
  int samples = 0, notInFront = 0, unanswered = 0;
  std::map<HCURSOR, int> shapes;
  std::set<std::string> appeared;
  while (ProcessRunning(L"shutdown.exe")) {
    ++samples;
    if (GetForegroundWindow() != main_) ++notInFront;
    for (HWND window : OthersVisible(run_->processId())) {
      if (!visibleBefore.count(window)) {
        appeared.insert("class " + Narrow(tooltest::ClassOf(window)) + " title " + Narrow(TextOf(window)));
      }
    }
    if (!Answers(1000)) ++unanswered;
    ++shapes[CurrentCursor()];
    Sleep(50);
  }
  EXPECT_GE(samples, 10) << "shutdown.exe ran too briefly to watch";
  EXPECT_EQ(0, notInFront) << "of " << samples << " samples";
  EXPECT_EQ(0, unanswered) << "of " << samples << " samples";
  const auto wait = std::max_element(shapes.begin(), shapes.end(),
                                     [](const auto& a, const auto& b) { return a.second < b.second; });
  ASSERT_NE(shapes.end(), wait);
  EXPECT_NE(before, wait->first) << "no wait cursor: the shape of before the run all through it";
  EXPECT_GE(wait->second, samples - 1) << "the wait cursor in only " << wait->second << " of " << samples << " samples";
  for (const std::string& window : appeared) ADD_FAILURE() << "a window of another process appeared: " << window;
  EXPECT_TRUE(wintest::WaitUntil([&] { return FormIsReset(); }, 5000))
      << "name [" << Narrow(TextOf(Gadget(0))) << "] notice [" << Narrow(TextOf(Gadget(5))) << "]";
  // Long enough for a second run to have started and ended.
  wintest::Pump(1500);
  EXPECT_EQ(1u, tooltest::Records().size()) << "the keys or the click given meanwhile started another restart";
  EXPECT_TRUE(FormIsReset()) << "name [" << Narrow(TextOf(Gadget(0))) << "]";
  EXPECT_EQ(nullptr, run_->FindWindowOf(L"#32770", nullptr)) << "a box came after the run: Submit acted again";
  EXPECT_NE(wait->first, CurrentCursor()) << "still the wait cursor";
}

// One press, one restart: Enter held 1.5 s in a field or on Submit over a stand-in failing after
// 300 ms: one launch, the error box still up, the fields as they were; over a stand-in that
// succeeds: one launch, the form reset, no box. A held letter still types. (Input posted during
// the run: the modal wait's own test.)
TEST_F(RebootTest, OnePressStartsOneRestartHoweverLongEnterIsHeld) {
  Start();
  ASSERT_TRUE(Fill(L"pc-road", L"60", L"", Entry::Type));
  ASSERT_TRUE(tooltest::ClickInto(*run_, Gadget(5)));
  wintest::HoldKey('T', 300);
  const std::wstring notice = TextOf(Gadget(5));
  ASSERT_GE(notice.size(), 2u) << "a held letter typed no repeats: [" << Narrow(notice) << "]";
  struct Way {
    const char* label;
    DWORD exitCode;  // of the stand-in
    int field;       // where the focus is before the run and after the box
  };
  const Way ways[] = {{"Enter held in the name field", 53, 0},
                      {"Enter held on Submit", 53, 7},
                      {"Enter held, and shutdown.exe succeeds", 0, 0}};
  for (const Way& way : ways) {
    ASSERT_TRUE(wintest::WriteFileBytes(tooltest::SystemSteerFile(), recorder::RecorderSteering(way.exitCode, 300)));
    const std::size_t before = tooltest::Records().size();
    // Submit is two Tabs from the notice.
    ASSERT_TRUE(tooltest::ClickInto(*run_, Gadget(way.field == 7 ? 5 : way.field))) << way.label;
    for (int tab = 0; way.field == 7 && tab < 2; ++tab) wintest::PressKey(VK_TAB);
    ASSERT_TRUE(wintest::WaitUntil([&] { return run_->Focus() == Gadget(way.field); }, 2000)) << way.label;
    wintest::HoldKey(VK_RETURN, 1500);
    if (way.exitCode == 0) {
      wintest::Pump(1000);  // time for a second run
      EXPECT_EQ(nullptr, run_->FindWindowOf(L"#32770", nullptr)) << way.label << ": a box after success";
      EXPECT_TRUE(FormIsReset()) << way.label;
      EXPECT_EQ(before + 1, tooltest::Records().size()) << way.label << ": not exactly one launch";
      continue;
    }
    HWND box = ErrorBoxInFront();
    ASSERT_NE(nullptr, box) << way.label << ": no error box in front, owned by the main window";
    wintest::Pump(500);
    EXPECT_TRUE(IsWindowVisible(box)) << way.label << ": the error box went by itself";
    ASSERT_TRUE(tooltest::AnswerMessageBox(*run_, L"Error", VK_RETURN)) << way.label;
    EXPECT_TRUE(BackAfterTheBox(way.field)) << way.label;
    wintest::Pump(1000);  // time for a second run
    EXPECT_EQ(before + 1, tooltest::Records().size()) << way.label << ": not exactly one launch";
    EXPECT_EQ(L"pc-road|60|" + notice, TextOf(Gadget(0)) + L"|" + TextOf(Gadget(4)) + L"|" + TextOf(Gadget(5)))
        << way.label;
  }
}

TEST_F(RebootTest, PlantedShutdownInTheToolsFolderOrTheCurrentFolderNeverRuns) {
  ASSERT_TRUE(CopyFileW(tooltest::RecorderExe().c_str(), app_.File(L"shutdown.exe").c_str(), FALSE));
  ASSERT_TRUE(CopyFileW(tooltest::RecorderExe().c_str(), work_.File(L"shutdown.exe").c_str(), FALSE));
  Start();
  ASSERT_TRUE(Fill(L"pc01", L"30", L"x", Entry::Type));
  ASSERT_TRUE(tooltest::ClickInto(*run_, Gadget(0)));
  wintest::PressKey(VK_RETURN);
  recorder::Record record;
  ASSERT_TRUE(WaitRecord(0, &record));
  EXPECT_EQ(0, _wcsicmp(tooltest::SystemShutdown().c_str(), record.image.c_str())) << Narrow(record.image);
  EXPECT_TRUE(wintest::WaitUntil([&] { return FormIsReset(); }, 5000));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(app_.File(L"shutdown.record").c_str()))
      << "the shutdown.exe in the tool's folder ran";
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(work_.File(L"shutdown.record").c_str()))
      << "the shutdown.exe in the current folder ran";
}

// A failing shutdown.exe: the error box in front, owned by the main window, with the system's
// text, then advice for the exit codes a remote restart meets most (the computer as typed where
// it ends in a command; another code gets none), then the code. The fields and the counter stay
// through every failure, the focus goes back where Enter was pressed, and once shutdown.exe
// succeeds the form is reset.
TEST_F(RebootTest, ShutdownFailureShowsTheErrorWithAdviceAndKeepsTheFields) {
  Start();
  struct Failure {
    DWORD code;
    const wchar_t* hintWord;  // a word of the advice; null: no advice
    int field;                // where Enter is pressed, and where the focus must be after the box
    DWORD runs;               // milliseconds the stand-in takes
  };
  const Failure failures[] = {
      {53, L"firewall", 0, 2000},
      {1722, L"firewall", 0, 0},
      {5, L"administrator", 0, 0},
      {1190, L"shutdown /a /m \\\\srv9", 5, 0},
      {1115, L"shutdown /a /m \\\\srv9", 0, 0},
      {87, L"timeout", 0, 0},
      {ERROR_BAD_NET_NAME, nullptr, 0, 0},
  };
  ASSERT_TRUE(Fill(L"srv9", L"60", L"Planned restart", Entry::Type));
  for (const Failure& failure : failures) {
    const DWORD code = failure.code;
    ASSERT_TRUE(wintest::WriteFileBytes(tooltest::SystemSteerFile(), recorder::RecorderSteering(code, failure.runs)));
    const std::size_t before = tooltest::Records().size();
    ASSERT_TRUE(tooltest::ClickInto(*run_, Gadget(failure.field))) << "exit code " << code;
    wintest::PressKey(VK_RETURN);
    EXPECT_NE(nullptr, ErrorBoxInFront()) << "exit code " << code << ": no error box in front, owned by the main window";
    std::wstring text;
    ASSERT_TRUE(tooltest::AnswerMessageBox(*run_, L"Error", VK_RETURN, &text)) << "no error box for exit code " << code;
    ExpectErrorText(text, L"shutdown.exe reported an error for", code, failure.hintWord);
    ASSERT_EQ(before + 1, tooltest::Records().size());
    EXPECT_EQ(code, tooltest::Records().back().exitCode);
    EXPECT_EQ(Narrow(L"srv9|60|Planned restart|" + Counter(512 - 15)),
              Narrow(TextOf(Gadget(0)) + L"|" + TextOf(Gadget(4)) + L"|" + TextOf(Gadget(5)) + L"|" + TextOf(Gadget(6))))
        << "exit code " << code;
    EXPECT_TRUE(BackAfterTheBox(failure.field)) << "exit code " << code;
  }
  ASSERT_TRUE(tooltest::SteerRecorder(0));
  const std::size_t before = tooltest::Records().size();
  ASSERT_TRUE(tooltest::ClickInto(*run_, Gadget(5)));
  wintest::PressKey(VK_RETURN);
  recorder::Record record;
  ASSERT_TRUE(WaitRecord(before, &record));
  EXPECT_EQ(Show(ExpectedArgv(L"srv9", L"60", L"Planned restart")), Show(record.argv));
  EXPECT_TRUE(wintest::WaitUntil([&] { return FormIsReset(); }, 5000));
}

// This computer's own names and addresses ask first; Enter, on No by default, launches nothing
// and gives the name field its focus back, the fields as typed. A held Enter, the one that asked,
// does not answer the question.
using ThisComputerTest = RunningToolTest;

std::wstring OwnName(COMPUTER_NAME_FORMAT format) {
  wchar_t name[256];
  DWORD units = 256;
  return GetComputerNameExW(format, name, &units) ? std::wstring(name, units) : std::wstring();
}

TEST_F(ThisComputerTest, ItsNamesAskFirstAndEnterMeansNo) {
  Start();
  std::wstring lower = OwnName(ComputerNameNetBIOS);
  CharLowerW(lower.data());
  const std::wstring names[] = {OwnName(ComputerNameNetBIOS), lower, OwnName(ComputerNameDnsFullyQualified),
                                L"LocalHost", L"127.0.0.1", L"."};
  for (const std::wstring& name : names) {
    const bool holdEnter = &name == &names[0];
    ASSERT_FALSE(name.empty());
    SetWindowTextW(Gadget(0), name.c_str());
    SetWindowTextW(Gadget(5), L"Patch day");
    ASSERT_TRUE(tooltest::ClickInto(*run_, Gadget(5))) << Narrow(name);
    if (holdEnter) {
      wintest::HoldKey(VK_RETURN, 1500);
    } else {
      wintest::PressKey(VK_RETURN);
    }
    HWND box = run_->WaitWindow(L"#32770", L"Restart this computer?");
    ASSERT_NE(nullptr, box) << Narrow(name) << ": no question";
    EXPECT_TRUE(GetDlgItem(box, IDYES) && GetDlgItem(box, IDNO) && !GetDlgItem(box, IDOK)) << "not Yes and No";
    EXPECT_NE(std::wstring::npos, tooltest::MessageBoxText(box).find(L"\"" + name + L"\""))
        << Narrow(tooltest::MessageBoxText(box));
    EXPECT_TRUE(IsWindowVisible(box)) << Narrow(name) << ": the question went by itself";
    ASSERT_TRUE(tooltest::AnswerMessageBox(*run_, L"Restart this computer?", VK_RETURN)) << Narrow(name);
    EXPECT_TRUE(wintest::WaitUntil([&] { return run_->InFrontWithFocus(main_, Gadget(0)); }, 3000))
        << Narrow(name) << ": the focus is not back in the name field";
    EXPECT_EQ(name, TextOf(Gadget(0)));
    EXPECT_EQ(L"30", TextOf(Gadget(4)));
    EXPECT_EQ(L"Patch day", TextOf(Gadget(5)));
  }
  wintest::Pump(500);
  EXPECT_TRUE(tooltest::Records().empty()) << "shutdown.exe ran after No";
}

TEST_F(ThisComputerTest, YesRestartsItOnceAndAnotherComputerAsksNothing) {
  Start();
  SetWindowTextW(Gadget(0), L"localhost");
  SetWindowTextW(Gadget(5), L"Patch day");
  ASSERT_TRUE(tooltest::ClickInto(*run_, Gadget(0)));
  wintest::PressKey(VK_RETURN);
  ASSERT_TRUE(tooltest::AnswerMessageBox(*run_, L"Restart this computer?", 'Y'));
  ASSERT_TRUE(wintest::WaitUntil([] { return tooltest::Records().size() == 1; }, 10000)) << "Yes launched nothing";
  EXPECT_EQ(L"\\\\localhost", tooltest::Records().back().argv.at(4));
  ASSERT_TRUE(wintest::WaitUntil([&] { return TextOf(Gadget(0)).empty(); }, 5000)) << "the form was not reset";
  ASSERT_TRUE(run_->Settle(main_));

  // No question holds up the launch for another computer.
  SetWindowTextW(Gadget(0), L"pc01");
  SetWindowTextW(Gadget(5), L"Patch day");
  ASSERT_TRUE(tooltest::ClickInto(*run_, Gadget(0)));
  wintest::PressKey(VK_RETURN);
  ASSERT_TRUE(wintest::WaitUntil([] { return tooltest::Records().size() == 2; }, 10000)) << "pc01 was not launched";
  EXPECT_EQ(L"\\\\pc01", tooltest::Records().back().argv.at(4));
  wintest::Pump(500);
  EXPECT_EQ(2u, tooltest::Records().size()) << "not one launch each";
}

}  // namespace
