// The program launcher against real child processes: the recording stand-in (recorder.exe,
// copied beside this program by the build) writes down how it was started, and its steering
// file decides how it ends.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "runtime/launcher.h"
#include "runtime/object_table.h"
#include "tests/support/allocation_faults.h"
#include "tests/support/recorder_record.h"
#include "tests/support/win_test.h"

namespace {

using recorder::Record;
using wintest::Narrow;
using wintest::ReadToEnd;

std::wstring RecorderExe() { return wintest::ProgramFolder() + L"\\recorder.exe"; }

bool HandleIsOpen(HANDLE handle) {
  DWORD info = 0;
  return GetHandleInformation(handle, &info) != 0;
}

bool IsInheritable(HANDLE handle) {
  DWORD info = 0;
  return GetHandleInformation(handle, &info) && (info & HANDLE_FLAG_INHERIT) != 0;
}

class LauncherTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    LauncherInit();
    // Children given this program's standard input (pipes set up for the other two) must not
    // wait on whatever the test runner connected it to: make it the NUL device.
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    SetStdHandle(STD_INPUT_HANDLE, CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                                               OPEN_EXISTING, 0, nullptr));
  }

  void SetUp() override {
    recordFile_ = scratch_.File(L"runs.record");
    steerFile_ = scratch_.File(L"recorder.steer");
    SetEnvironmentVariableW(L"REBOOTPC_RECORD_FILE", recordFile_.c_str());
    SetEnvironmentVariableW(L"REBOOTPC_RECORDER_STEER", steerFile_.c_str());
    Steer(0);
  }
  void TearDown() override {
    SetEnvironmentVariableW(L"REBOOTPC_RECORD_FILE", nullptr);
    SetEnvironmentVariableW(L"REBOOTPC_RECORDER_STEER", nullptr);
  }

  void Steer(std::uint32_t exitCode, std::uint32_t sleepMs = 0, bool crash = false) {
    ASSERT_TRUE(wintest::WriteFileBytes(steerFile_, recorder::RecorderSteering(exitCode, sleepMs, crash)));
  }
  std::vector<Record> Records() {
    std::size_t broken = 0;
    std::vector<Record> records = recorder::ReadRecords(recordFile_, &broken);
    EXPECT_EQ(broken, 0u) << "torn or foreign lines in the record file";
    return records;
  }
  // The one record a waited-for launch left.
  Record OnlyRecord() {
    std::vector<Record> records = Records();
    EXPECT_EQ(records.size(), 1u) << "records in " << Narrow(recordFile_);
    return records.empty() ? Record{} : records.front();
  }
  // A copy of the stand-in at `path` (folders made as needed, relative to the scratch folder).
  std::wstring InstallRecorder(const std::wstring& relative) {
    const std::wstring path = scratch_.File(relative);
    for (std::size_t at = path.find(L'\\', scratch_.path().size() + 1); at != std::wstring::npos; at = path.find(L'\\', at + 1)) {
      CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
    }
    EXPECT_TRUE(CopyFileW(RecorderExe().c_str(), path.c_str(), FALSE)) << Narrow(path);
    return path;
  }

  wintest::ScratchFolder scratch_;
  std::wstring recordFile_;
  std::wstring steerFile_;
};

// ProgramLaunch("shutdown"-style bare name, parameters, "", LaunchWait), as the application calls
// it: the quoted name, one blank and the parameters character for character; the current folder;
// shown normally; no redirection; back only after the child has ended.
TEST_F(LauncherTest, ApplicationCallQuotesTheNameRunsInTheCurrentFolderAndWaits) {
  InstallRecorder(L"rbstandin.exe");
  wintest::ScopedCurrentFolder current(scratch_.path());
  const std::wstring parameters = L"/r /f /m \\\\pc-01 /t 30 -c \"Back in five\"";
  Steer(0, 1500);

  EXPECT_EQ(ProgramLaunch(L"rbstandin", parameters.c_str(), L"", LaunchWait), 1);
  // The stand-in writes its record after its sleep, just before it exits.
  const Record record = OnlyRecord();
  EXPECT_EQ(Narrow(record.commandLine), Narrow(L"\"rbstandin\" " + parameters));
  const std::vector<std::wstring> argv = {L"rbstandin", L"/r", L"/f", L"/m", L"\\\\pc-01", L"/t", L"30", L"-c", L"Back in five"};
  EXPECT_EQ(record.argv, argv);
  EXPECT_EQ(Narrow(record.folder), Narrow(scratch_.path()));
  EXPECT_EQ(record.showWindow, static_cast<std::uint32_t>(SW_SHOWNORMAL));
  EXPECT_EQ(record.startupFlags, static_cast<std::uint32_t>(STARTF_USESHOWWINDOW));
  EXPECT_EQ(record.priorityClass, static_cast<std::uint32_t>(NORMAL_PRIORITY_CLASS));
  EXPECT_EQ(record.sleptMs, 1500u);

  // The same call without LaunchWait returns while the child still sleeps.
  EXPECT_EQ(ProgramLaunch(L"rbstandin", parameters.c_str(), L"", 0), 1);
  EXPECT_EQ(Records().size(), 1u) << "the launch returned only after the child had ended";
  EXPECT_TRUE(wintest::WaitUntil([&] { return Records().size() == 2; }, 20000));
}

struct CommandLineCase {
  const char* name;
  const wchar_t* program;  // "$" stands for the stand-in's path in a folder with a blank
  const wchar_t* parameters;
  const wchar_t* commandLine;
  std::vector<std::wstring> argv;
};

std::wstring Expand(const wchar_t* text, const std::wstring& path) {
  if (!text) return {};
  std::wstring out;
  for (const wchar_t* p = text; *p; ++p) {
    if (*p == L'$') out += path;
    else out += *p;
  }
  return out;
}

TEST_F(LauncherTest, CommandLineQuotesOnlyAnUnquotedProgramAndAddsABlankOnlyBeforeParameters) {
  const std::wstring path = InstallRecorder(L"with blank\\rec.exe");
  const CommandLineCase cases[] = {
      {"plain path", L"$", L"a b", L"\"$\" a b", {L"$", L"a", L"b"}},
      {"empty parameters", L"$", L"", L"\"$\"", {L"$"}},
      {"null parameters", L"$", nullptr, L"\"$\"", {L"$"}},
      {"quoted program unchanged", L"\"$\"", L"x", L"\"$\" x", {L"$", L"x"}},
      {"quoted program with its own arguments", L"\"$\" own", L"", L"\"$\" own", {L"$", L"own"}},
      {"parameters passed unescaped", L"$", L"say \"hi there\" c:\\dir\\ \\\"q", L"\"$\" say \"hi there\" c:\\dir\\ \\\"q",
       {L"$", L"say", L"hi there", L"c:\\dir\\", L"\"q"}},
  };
  for (const CommandLineCase& c : cases) {
    SCOPED_TRACE(c.name);
    DeleteFileW(recordFile_.c_str());
    const std::wstring program = Expand(c.program, path);
    EXPECT_EQ(ProgramLaunch(program.c_str(), c.parameters, nullptr, LaunchWait), 1);
    const Record record = OnlyRecord();
    EXPECT_EQ(Narrow(record.commandLine), Narrow(Expand(c.commandLine, path)));
    std::vector<std::wstring> argv;
    for (const std::wstring& arg : c.argv) argv.push_back(Expand(arg.c_str(), path));
    EXPECT_EQ(record.argv, argv);
  }
}

TEST_F(LauncherTest, ShortFormsAndAGivenDirectory) {
  const std::wstring path = InstallRecorder(L"rec.exe");
  const std::wstring other = scratch_.File(L"other");
  ASSERT_TRUE(CreateDirectoryW(other.c_str(), nullptr));
  wintest::ScopedCurrentFolder current(scratch_.path());

  // The one-argument form: no parameters, the current folder, flags 0 (so no wait).
  EXPECT_EQ(ProgramLaunch(path.c_str()), 1);
  ASSERT_TRUE(wintest::WaitUntil([&] { return Records().size() == 1; }, 20000));
  // The three-argument form: a directory, flags 0.
  EXPECT_EQ(ProgramLaunch(path.c_str(), L"p", other.c_str()), 1);
  ASSERT_TRUE(wintest::WaitUntil([&] { return Records().size() == 2; }, 20000));
  const std::vector<Record> records = Records();
  EXPECT_EQ(Narrow(records[0].commandLine), Narrow(L"\"" + path + L"\""));
  EXPECT_EQ(Narrow(records[0].folder), Narrow(scratch_.path()));
  EXPECT_EQ(Narrow(records[1].commandLine), Narrow(L"\"" + path + L"\" p"));
  EXPECT_EQ(Narrow(records[1].folder), Narrow(other));
}

// A null program is the empty text: the command line starts with two quotes, which names no
// program, so creation fails and nothing is started.
TEST_F(LauncherTest, NullProgramStartsNothing) {
  InstallRecorder(L"rbstandin.exe");
  wintest::ScopedCurrentFolder current(scratch_.path());
  EXPECT_EQ(ProgramLaunch(nullptr, L"rbstandin", nullptr, LaunchWait | LaunchReadOutput), 0);
  EXPECT_EQ(ProgramLaunch(L"", L"rbstandin", nullptr, LaunchWait | LaunchReadOutput), 0);
  wintest::Pump(300);
  EXPECT_TRUE(Records().empty());
}

// A failed launch leaves why in the last error, for the caller's message: CreateProcessW's
// (file not found), also when pipes had been made and closed again.
TEST_F(LauncherTest, AFailedLaunchKeepsTheReasonInTheLastError) {
  wintest::ScopedCurrentFolder current(scratch_.path());
  const std::wstring missing = scratch_.File(L"no-such-program.exe");
  const std::uint32_t flagSets[] = {LaunchWait | LaunchKeep | LaunchReadOutput | LaunchReadError,
                                    LaunchWait | LaunchKeep | LaunchWriteInput, LaunchReadOutput};
  for (std::uint32_t flags : flagSets) {
    SetLastError(0);
    EXPECT_EQ(ProgramLaunch(missing.c_str(), L"/x", nullptr, flags), 0) << "flags " << flags;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND)) << "flags " << flags;
  }
  SetLastError(0);
  EXPECT_EQ(ProgramLaunch(missing.c_str(), L"/x", nullptr, LaunchWait | LaunchKeep), 0);
  EXPECT_NE(GetLastError(), 0u) << "the shell's failure is reported too";
}

// Whatever a launch needs is had before the program starts, so 0 always means nothing ran: with
// the allocations failing from the first, the second, ... on, each launch either runs the
// program and hands out its record, or returns 0 for want of memory and has started nothing.
TEST_F(LauncherTest, ALaunchThatFailsForWantOfMemoryHasStartedNothing) {
  const std::wstring program = InstallRecorder(L"rb.exe");
  for (long successes = 0; successes < 16; ++successes) {
    const std::size_t before = Records().size();
    std::int64_t launched = 0;
    DWORD error = 0;
    {
      const allocfault::Scope faults;
      allocfault::FailAfter(successes);
      SetLastError(0);
      launched = ProgramLaunch(program.c_str(), L"/x", nullptr, LaunchWait | LaunchKeep);
      error = GetLastError();
    }
    if (launched == 0) {
      EXPECT_EQ(error, static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY)) << successes << " allocations allowed";
      EXPECT_EQ(Records().size(), before) << "the program ran though the launch failed, " << successes
                                          << " allocations allowed";
      continue;
    }
    EXPECT_EQ(Records().size(), before + 1);
    EXPECT_EQ(ProgramExitCode(launched), 0);
    ProgramFree(launched);
    return;
  }
  ADD_FAILURE() << "no launch succeeded with 15 allocations allowed";
}

TEST_F(LauncherTest, HiddenWithoutPipesGetsANewConsoleAndHiddenWithPipesDoesNot) {
  const std::wstring path = InstallRecorder(L"rec.exe");

  EXPECT_EQ(ProgramLaunch(path.c_str(), L"", L"", LaunchWait | LaunchHidden), 1);
  Record record = OnlyRecord();
  EXPECT_EQ(record.showWindow, static_cast<std::uint32_t>(SW_HIDE));
  // A hidden program never gets the app-starting cursor.
  EXPECT_EQ(record.startupFlags, static_cast<std::uint32_t>(STARTF_USESHOWWINDOW | STARTF_FORCEOFFFEEDBACK));
  EXPECT_EQ(record.priorityClass, static_cast<std::uint32_t>(NORMAL_PRIORITY_CLASS));
  // CREATE_NEW_CONSOLE: the child is alone in a console of its own.
  EXPECT_EQ(record.consoleProcesses, 1u);

  DeleteFileW(recordFile_.c_str());
  const std::int64_t program = ProgramLaunch(path.c_str(), L"", L"", LaunchWait | LaunchHidden | LaunchKeep | LaunchReadOutput);
  ASSERT_NE(ProgramRecord(program), nullptr);
  record = OnlyRecord();
  EXPECT_EQ(record.showWindow, static_cast<std::uint32_t>(SW_HIDE));
  EXPECT_EQ(record.startupFlags,
            static_cast<std::uint32_t>(STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES | STARTF_FORCEOFFFEEDBACK));
  EXPECT_EQ(record.stdoutKind, "pipe");
  EXPECT_NE(record.consoleProcesses, 1u) << "no new console once a pipe is set up";
  ProgramFree(program);
}

TEST_F(LauncherTest, PipesCarryInputOutputAndErrorAndTheParentEndsAreNotInheritable) {
  const std::wstring path = InstallRecorder(L"rec.exe");
  const std::uint32_t flags = LaunchKeep | LaunchWriteInput | LaunchReadOutput | LaunchReadError;
  const std::int64_t program = ProgramLaunch(path.c_str(), L"", L"", flags);
  LaunchedProgram* record = ProgramRecord(program);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->flags, flags);
  for (HANDLE end : {record->inputWrite, record->outputRead, record->errorRead}) {
    ASSERT_NE(end, nullptr);
    EXPECT_FALSE(IsInheritable(end));
  }

  const std::string input = "line one\r\nline two\r\n";
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(record->inputWrite, input.data(), static_cast<DWORD>(input.size()), &written, nullptr));
  CloseHandle(record->inputWrite);
  record->inputWrite = nullptr;
  // End of file arrives only because the parent closed its copies of the child's ends.
  EXPECT_EQ(ReadToEnd(record->outputRead), input);
  EXPECT_EQ(ReadToEnd(record->errorRead), "recorder: stderr line\r\n");
  ASSERT_EQ(WaitForSingleObject(record->process, 20000), WAIT_OBJECT_0);

  const Record seen = OnlyRecord();
  EXPECT_EQ(seen.pid, GetProcessId(record->process)) << "the record holds another process";
  EXPECT_EQ(seen.stdinKind, "pipe");
  EXPECT_EQ(seen.stdoutKind, "pipe");
  EXPECT_EQ(seen.stderrKind, "pipe");
  EXPECT_EQ(seen.echoedBytes, input.size());
  EXPECT_EQ(seen.startupFlags, static_cast<std::uint32_t>(STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES));
  EXPECT_EQ(seen.showWindow, static_cast<std::uint32_t>(SW_SHOWNORMAL));
  ProgramFree(program);
}

TEST_F(LauncherTest, EachPipeAlone) {
  const std::wstring path = InstallRecorder(L"rec.exe");
  struct Case {
    std::uint32_t flag;
    const char* in;
    const char* out;
    const char* err;
  };
  for (const Case& c : {Case{LaunchWriteInput, "pipe", "", ""}, Case{LaunchReadOutput, "", "pipe", ""}, Case{LaunchReadError, "", "", "pipe"}}) {
    SCOPED_TRACE(c.flag);
    DeleteFileW(recordFile_.c_str());
    const std::int64_t program = ProgramLaunch(path.c_str(), L"", L"", LaunchKeep | c.flag);
    LaunchedProgram* record = ProgramRecord(program);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->inputWrite != nullptr, c.flag == LaunchWriteInput);
    EXPECT_EQ(record->outputRead != nullptr, c.flag == LaunchReadOutput);
    EXPECT_EQ(record->errorRead != nullptr, c.flag == LaunchReadError);
    if (record->inputWrite) {
      CloseHandle(record->inputWrite);
      record->inputWrite = nullptr;
    }
    if (record->outputRead) {
      EXPECT_EQ(ReadToEnd(record->outputRead), "");
    }
    if (record->errorRead) {
      EXPECT_EQ(ReadToEnd(record->errorRead), "recorder: stderr line\r\n");
    }
    ASSERT_EQ(WaitForSingleObject(record->process, 20000), WAIT_OBJECT_0);
    const Record seen = OnlyRecord();
    EXPECT_EQ(seen.startupFlags, static_cast<std::uint32_t>(STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES));
    if (*c.in) {
      EXPECT_EQ(seen.stdinKind, c.in);
    }
    if (*c.out) {
      EXPECT_EQ(seen.stdoutKind, c.out);
    }
    if (*c.err) {
      EXPECT_EQ(seen.stderrKind, c.err);
    }
    ProgramFree(program);
  }
}

TEST_F(LauncherTest, ChainedInputReadsTheOtherProgramsOutput) {
  const std::wstring path = InstallRecorder(L"rec.exe");
  const std::int64_t first = ProgramLaunch(path.c_str(), L"first", L"", LaunchKeep | LaunchWriteInput | LaunchReadOutput);
  ASSERT_NE(ProgramRecord(first), nullptr);
  const std::int64_t second = ProgramLaunch(path.c_str(), L"second", L"", LaunchKeep | LaunchChainInput | LaunchReadOutput, first);
  LaunchedProgram* chained = ProgramRecord(second);
  ASSERT_NE(chained, nullptr);
  EXPECT_EQ(chained->inputWrite, nullptr);

  LaunchedProgram* source = ProgramRecord(first);
  const std::string data = "through two programs\r\n";
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(source->inputWrite, data.data(), static_cast<DWORD>(data.size()), &written, nullptr));
  CloseHandle(source->inputWrite);
  source->inputWrite = nullptr;
  EXPECT_EQ(ReadToEnd(chained->outputRead), data);
  ASSERT_EQ(WaitForSingleObject(chained->process, 20000), WAIT_OBJECT_0);
  ASSERT_EQ(WaitForSingleObject(source->process, 20000), WAIT_OBJECT_0);

  const std::vector<Record> records = Records();
  ASSERT_EQ(records.size(), 2u);
  for (const Record& seen : records) {
    EXPECT_EQ(seen.stdinKind, "pipe") << Narrow(seen.commandLine);
    EXPECT_EQ(seen.echoedBytes, data.size()) << Narrow(seen.commandLine);
  }
  ProgramFree(second);
  ProgramFree(first);
}

// A document of a file type whose open command runs the stand-in: CreateProcessW rejects it
// (no executable), the shell opens it.
class ShellFallbackTest : public LauncherTest {
 protected:
  static constexpr const wchar_t* kExtension = L".rbpctest";
  static constexpr const wchar_t* kProgId = L"RebootPC.LauncherTestDocument";

  void SetUp() override {
    LauncherTest::SetUp();
    const std::wstring command = L"\"" + RecorderExe() + L"\" \"%1\" %*";
    ASSERT_EQ(RegSetKeyValueW(HKEY_CLASSES_ROOT, kExtension, nullptr, REG_SZ, kProgId, Bytes(kProgId)), ERROR_SUCCESS);
    const std::wstring commandKey = std::wstring(kProgId) + L"\\shell\\open\\command";
    ASSERT_EQ(RegSetKeyValueW(HKEY_CLASSES_ROOT, commandKey.c_str(), nullptr, REG_SZ, command.c_str(), Bytes(command.c_str())),
              ERROR_SUCCESS);
    document_ = scratch_.File(L"docs\\report.rbpctest");
    ASSERT_TRUE(CreateDirectoryW(scratch_.File(L"docs").c_str(), nullptr));
    ASSERT_TRUE(wintest::WriteFileBytes(document_, "not a program\r\n"));
  }
  void TearDown() override {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kExtension);
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
    LauncherTest::TearDown();
  }
  static DWORD Bytes(const wchar_t* text) { return static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)); }

  std::wstring document_;
};

TEST_F(ShellFallbackTest, OpensTheDocumentWithTheParametersInTheProgramsFolder) {
  wintest::ScopedCurrentFolder current(scratch_.path());
  EXPECT_EQ(ProgramLaunch(document_.c_str(), L"one two", L"", LaunchWait), 1);
  const Record record = OnlyRecord();
  const std::vector<std::wstring> argv = {RecorderExe(), document_, L"one", L"two"};
  EXPECT_EQ(record.argv, argv);
  EXPECT_EQ(Narrow(record.folder), Narrow(scratch_.File(L"docs")));
  EXPECT_EQ(record.showWindow, static_cast<std::uint32_t>(SW_SHOWNORMAL));
}

TEST_F(ShellFallbackTest, WorkingDirectoryRule) {
  const std::wstring other = scratch_.File(L"other");
  ASSERT_TRUE(CreateDirectoryW(other.c_str(), nullptr));
  // A document in the current drive's root, named with its only backslash first.
  wchar_t root[4] = {scratch_.path()[0], L':', L'\\', 0};
  const std::wstring rootDocument = std::wstring(root) + L"rebootpc-launcher-test.rbpctest";
  ASSERT_TRUE(wintest::WriteFileBytes(rootDocument, "not a program\r\n"));
  wintest::ScopedCurrentFolder current(scratch_.path());

  struct Case {
    const char* name;
    std::wstring program;
    std::wstring directory;
    std::wstring folder;
  };
  const Case cases[] = {
      {"the folder of a program path", document_, L"", scratch_.File(L"docs")},
      {"a given directory wins", document_, other, other},
      {"no backslash: none, the current folder", L"docs/report.rbpctest", L"", scratch_.path()},
      {"only backslash first: none", L"\\rebootpc-launcher-test.rbpctest", L"", scratch_.path()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DeleteFileW(recordFile_.c_str());
    EXPECT_EQ(ProgramLaunch(c.program.c_str(), L"", c.directory.c_str(), LaunchWait), 1);
    EXPECT_EQ(Narrow(OnlyRecord().folder), Narrow(c.folder));
  }
  DeleteFileW(rootDocument.c_str());
}

TEST_F(ShellFallbackTest, KeptThroughTheShellHasItsProcessNoPipesAndItsExitCode) {
  Steer(53);
  const std::int64_t program = ProgramLaunch(document_.c_str(), L"", L"", LaunchWait | LaunchKeep | LaunchHidden);
  const LaunchedProgram* record = ProgramRecord(program);
  ASSERT_NE(record, nullptr);
  EXPECT_NE(record->process, nullptr);
  EXPECT_EQ(record->inputWrite, nullptr);
  EXPECT_EQ(record->outputRead, nullptr);
  EXPECT_EQ(record->errorRead, nullptr);
  EXPECT_EQ(record->flags, LaunchWait | LaunchKeep | LaunchHidden);
  EXPECT_EQ(ProgramExitCode(program), 53);
  EXPECT_EQ(OnlyRecord().showWindow, static_cast<std::uint32_t>(SW_HIDE));
  ProgramFree(program);
}

// Flags 8, 16, 32 and 64 rule out the shell whether or not a pipe was made; without LaunchKeep
// the first three make none.
TEST_F(ShellFallbackTest, RedirectionFlagsRuleOutTheShell) {
  const std::wstring path = InstallRecorder(L"rec.exe");
  for (std::uint32_t flag : {LaunchReadOutput, LaunchWriteInput, LaunchReadError, LaunchChainInput}) {
    SCOPED_TRACE(flag);
    DeleteFileW(recordFile_.c_str());
    EXPECT_EQ(ProgramLaunch(document_.c_str(), L"", L"", LaunchWait | flag), 0);
    EXPECT_EQ(ProgramLaunch(document_.c_str(), L"", L"", LaunchWait | LaunchKeep | flag), 0);
    wintest::Pump(200);
    EXPECT_TRUE(Records().empty()) << "the shell was asked";

    EXPECT_EQ(ProgramLaunch(path.c_str(), L"", L"", LaunchWait | flag), 1);
    const Record record = OnlyRecord();
    EXPECT_EQ(record.startupFlags, static_cast<std::uint32_t>(STARTF_USESHOWWINDOW)) << "a pipe was made";
  }
  DeleteFileW(recordFile_.c_str());
  EXPECT_EQ(ProgramLaunch(document_.c_str(), L"", L"", LaunchWait), 1) << "and without them the shell opens it";
  EXPECT_EQ(Records().size(), 1u);
}

TEST_F(LauncherTest, ExitCodeOfAKeptProgram) {
  const std::wstring path = InstallRecorder(L"rec.exe");
  for (std::uint32_t code : {0u, 53u, 1190u, 0xC0000005u}) {
    SCOPED_TRACE(code);
    Steer(code);
    const std::int64_t program = ProgramLaunch(path.c_str(), L"", L"", LaunchWait | LaunchKeep);
    ASSERT_NE(ProgramRecord(program), nullptr);
    EXPECT_EQ(ProgramExitCode(program), static_cast<std::int64_t>(code));
    ProgramFree(program);
  }
  Steer(7, 0, true);
  const std::int64_t crashed = ProgramLaunch(path.c_str(), L"", L"", LaunchWait | LaunchKeep);
  EXPECT_EQ(ProgramExitCode(crashed), static_cast<std::int64_t>(EXCEPTION_ACCESS_VIOLATION));
  ProgramFree(crashed);
}

TEST_F(LauncherTest, ExitCodeIsUnknownWhileRunningAndForValuesThatAreNoProgram) {
  const std::wstring path = InstallRecorder(L"rec.exe");
  Steer(STILL_ACTIVE, 1000);
  const std::int64_t program = ProgramLaunch(path.c_str(), L"", L"", LaunchKeep);
  ASSERT_NE(ProgramRecord(program), nullptr);
  EXPECT_EQ(ProgramExitCode(program), -1);
  ASSERT_EQ(WaitForSingleObject(ProgramRecord(program)->process, 20000), WAIT_OBJECT_0);
  // Exiting with 259 is told apart from running.
  EXPECT_EQ(ProgramExitCode(program), static_cast<std::int64_t>(STILL_ACTIVE));
  ProgramFree(program);
  for (std::int64_t value : {std::int64_t{0}, std::int64_t{1}, program, std::int64_t{-1}}) {
    EXPECT_EQ(ProgramExitCode(value), -1) << value;
    EXPECT_EQ(ProgramRecord(value), nullptr) << value;
  }
}

TEST_F(LauncherTest, ProgramFreeClosesItsHandlesAndLeavesTheOthers) {
  const std::wstring path = InstallRecorder(L"rec.exe");
  const std::int64_t older = ProgramLaunch(path.c_str(), L"", L"", LaunchWait | LaunchKeep);
  // Still running: it waits for input on the pipe until its write end is closed.
  const std::int64_t newer = ProgramLaunch(path.c_str(), L"", L"", LaunchKeep | LaunchWriteInput | LaunchReadOutput | LaunchReadError);
  LaunchedProgram* record = ProgramRecord(newer);
  ASSERT_NE(record, nullptr);
  const LaunchedProgram handles = *record;
  for (HANDLE handle : {handles.process, handles.inputWrite, handles.outputRead, handles.errorRead}) {
    EXPECT_TRUE(HandleIsOpen(handle));
  }

  ProgramFree(newer);
  EXPECT_EQ(ProgramRecord(newer), nullptr);
  for (HANDLE handle : {handles.process, handles.inputWrite, handles.outputRead, handles.errorRead}) {
    EXPECT_FALSE(HandleIsOpen(handle));
  }
  ASSERT_NE(ProgramRecord(older), nullptr) << "freeing one record keeps the others";
  EXPECT_EQ(ProgramExitCode(older), 0);
  ProgramFree(newer);  // a second release of the same value does nothing
  ProgramFree(older);
  EXPECT_EQ(ProgramRecord(older), nullptr);
  // The released child saw its input end and finished.
  EXPECT_TRUE(wintest::WaitUntil([&] { return Records().size() == 2; }, 20000));
}

TEST_F(LauncherTest, ProgramTableFreeClosesTheHandleOfALiveRecord) {
  ObjectTable* table = LauncherProgramTable();
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->recordSize, 8u);
  EXPECT_EQ(table->growthStep, 4u);
  EXPECT_EQ(table->freeProc, &ProgramTableFree);

  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  auto* slot = static_cast<HANDLE*>(ObjectTableAllocate(table, 6));
  ASSERT_NE(slot, nullptr);
  *slot = event;
  ProgramTableFree(5);  // not live: nothing happens
  EXPECT_TRUE(HandleIsOpen(event));
  ProgramTableFree(6);
  EXPECT_FALSE(HandleIsOpen(event));
  EXPECT_EQ(ObjectTableLookup(table, 6), nullptr);
}

}  // namespace
