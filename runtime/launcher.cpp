#include "runtime/launcher.h"

#include <shellapi.h>

#include "runtime/facility_state.h"
#include "runtime/linked_list.h"
#include "runtime/memory.h"
#include "runtime/scoped.h"
#include "runtime/system_library.h"
#include "runtime/text.h"

namespace {

// The shell is needed only when direct creation fails. shell32 is large and slow to map (under
// Wine it doubles a small program's start), so it is loaded on that first use and not at every
// start of the tool.
using ShellExecuteExProc = BOOL(WINAPI*)(SHELLEXECUTEINFOW*);

ShellExecuteExProc ShellExecuteExEntry() {
  static const auto entry =
      SystemLibraryEntry<ShellExecuteExProc>(SystemLibraryLoad(L"shell32.dll"), "ShellExecuteExW");
  return entry;
}

constexpr std::uint32_t kProgramRecordSize = 8;
constexpr std::uint32_t kProgramTableGrowth = 4;
// Flags that ask for a redirection; any of them rules out the shell, which cannot redirect.
constexpr std::uint32_t kRedirectionFlags = LaunchReadOutput | LaunchWriteInput | LaunchReadError | LaunchChainInput;

// The sizes the x64 ABI gives these structures, which the launcher passes as they are.
static_assert(sizeof(SECURITY_ATTRIBUTES) == 24);
static_assert(sizeof(STARTUPINFOW) == 104);
static_assert(sizeof(SHELLEXECUTEINFOW) == 112);

struct LauncherState {
  ObjectTable* programTable;
  ListLinks* programs;  // the launched-program list, newest first
  CRITICAL_SECTION lock;
};

LauncherState* launcher = nullptr;

void CopyUnits(wchar_t*& to, const wchar_t* from, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) *to++ = from[i];
}

// A runtime-heap buffer of `units` UTF-16 units; null when it cannot be allocated.
wchar_t* TextBuffer(std::size_t units) { return static_cast<wchar_t*>(RuntimeAlloc(units * sizeof(wchar_t))); }

std::size_t Length(const wchar_t* text) { return static_cast<std::size_t>(TextLength(text)); }

// The parent keeps its pipe end; a duplicate made without inheritance replaces it so that the
// child, which inherits every inheritable handle, does not hold the parent's end open too (a
// reader would then never see end of file). If duplication fails the first handle stays.
void MakeNonInheritable(ScopedHandle& end) {
  HANDLE duplicate = nullptr;
  if (DuplicateHandle(GetCurrentProcess(), end.get(), GetCurrentProcess(), &duplicate, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
    end.Reset(duplicate);
  }
}

// Creates a pipe with inheritable ends; the parent's end is then made non-inheritable.
bool CreateRedirection(SECURITY_ATTRIBUTES& attributes, ScopedHandle& read, ScopedHandle& write, bool parentReads) {
  if (!CreatePipe(read.out(), write.out(), &attributes, 0)) {
    read.Release();
    write.Release();
    return false;
  }
  MakeNonInheritable(parentReads ? read : write);
  return true;
}

// The working directory for the shell: the given one, else the program's folder (up to and
// including its last backslash when that is not the first character), else none.
wchar_t* ShellDirectory(const wchar_t* program, const wchar_t* directory, wchar_t* folder) {
  if (directory && *directory) return const_cast<wchar_t*>(directory);
  const std::size_t length = Length(program);
  std::size_t last = 0;
  for (std::size_t i = 1; i < length; ++i) {
    if (program[i] == L'\\') last = i;
  }
  if (last == 0) return nullptr;
  wchar_t* to = folder;
  CopyUnits(to, program, last + 1);
  *to = 0;
  return folder;
}

// A kept program's record, had before anything is started so that a launch that returns 0 has
// started nothing. It is pushed zeroed (no process yet) at the front of the list at once, and
// unlinked again unless the launch hands it out.
class PendingRecord {
 public:
  explicit PendingRecord(bool wanted) : wanted_(wanted) {
    if (!wanted) return;
    const ScopedCritSec guard(&launcher->lock);
    record_ = static_cast<LaunchedProgram*>(ListAlloc(&launcher->programs, sizeof(ListLinks) + sizeof(LaunchedProgram)));
  }
  ~PendingRecord() {
    if (!record_) return;
    const ScopedCritSec guard(&launcher->lock);
    ListFree(&launcher->programs, record_);
  }
  PendingRecord(const PendingRecord&) = delete;
  PendingRecord& operator=(const PendingRecord&) = delete;

  // False when a record was wanted and could not be had.
  bool ready() const { return !wanted_ || record_; }
  std::int64_t HandOut(HANDLE process, ScopedHandle& inputWrite, ScopedHandle& outputRead, ScopedHandle& errorRead,
                       std::uint32_t flags) {
    LaunchedProgram* record = record_;
    record_ = nullptr;
    record->process = process;
    record->inputWrite = inputWrite.Release();
    record->outputRead = outputRead.Release();
    record->errorRead = errorRead.Release();
    record->flags = flags;
    return reinterpret_cast<std::int64_t>(record);
  }

 private:
  bool wanted_;
  LaunchedProgram* record_ = nullptr;
};

// The record whose address is `program`, searched under the caller's hold of the lock.
LaunchedProgram* FindProgram(std::int64_t program) {
  for (ListLinks* links = launcher->programs; links; links = links->next) {
    auto* record = static_cast<LaunchedProgram*>(ListItemOf(links));
    if (reinterpret_cast<std::int64_t>(record) == program) return record;
  }
  return nullptr;
}

// The standard input for a chained launch: an inheritable duplicate of the other program's
// output read end, which was made non-inheritable when it was created, so the child could not
// receive the original. The duplicate is the child's end, closed once the child holds it. False
// when `chainFrom` is no kept program or has no output pipe.
bool ChainedInput(std::int64_t chainFrom, ScopedHandle& inputRead) {
  if (chainFrom == 0) return false;
  const ScopedCritSec guard(&launcher->lock);
  const LaunchedProgram* chain = FindProgram(chainFrom);
  if (!chain || !chain->outputRead) return false;
  HANDLE duplicate = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), chain->outputRead, GetCurrentProcess(), &duplicate, 0, TRUE, DUPLICATE_SAME_ACCESS)) {
    return false;
  }
  inputRead.Reset(duplicate);
  return true;
}

}  // namespace

void LauncherInit() {
  if (launcher) return;
  launcher = static_cast<LauncherState*>(FacilityStateCreate(sizeof(LauncherState), nullptr));
  if (!launcher) return;
  launcher->programTable = ObjectTableCreate(kProgramRecordSize, kProgramTableGrowth, ProgramTableFree);
  InitializeCriticalSection(&launcher->lock);
}

ObjectTable* LauncherProgramTable() { return launcher ? launcher->programTable : nullptr; }

void ProgramTableFree(ObjectNumber number) {
  if (!launcher) return;
  auto* record = static_cast<HANDLE*>(ObjectTableLookup(launcher->programTable, number));
  if (!record) return;
  CloseHandle(*record);
  ObjectTableRelease(launcher->programTable, number);
}

std::int64_t ProgramLaunch(const wchar_t* program, const wchar_t* parameters, const wchar_t* directory,
                           std::uint32_t flags, std::int64_t chainFrom) {
  if (!launcher) return 0;
  if (!program) program = L"";
  if (!parameters) parameters = L"";
  if (directory && !*directory) directory = nullptr;
  const bool keep = (flags & LaunchKeep) != 0;

  SECURITY_ATTRIBUTES pipeAttributes{};
  pipeAttributes.nLength = sizeof pipeAttributes;
  pipeAttributes.bInheritHandle = TRUE;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  // A hidden program shows no window for the app-starting cursor to wait for: without
  // STARTF_FORCEOFFFEEDBACK Windows would show that cursor for seconds after it has ended.
  startup.dwFlags = STARTF_USESHOWWINDOW | ((flags & LaunchHidden) ? STARTF_FORCEOFFFEEDBACK : 0);
  BOOL inheritHandles = FALSE;
  const WORD showMode = (flags & LaunchHidden) ? SW_HIDE : SW_SHOWNORMAL;
  startup.wShowWindow = showMode;
  DWORD creationFlags = NORMAL_PRIORITY_CLASS | ((flags & LaunchHidden) ? CREATE_NEW_CONSOLE : 0);

  // The child's ends (closed once the child holds them) and the parent's ends (kept).
  ScopedHandle inputRead, inputWrite, outputRead, outputWrite, errorRead, errorWrite;
  bool redirected = false;

  if ((flags & LaunchChainInput) && ChainedInput(chainFrom, inputRead)) {
    startup.hStdInput = inputRead.get();
    redirected = true;
  } else if (keep && (flags & LaunchWriteInput)) {
    if (CreateRedirection(pipeAttributes, inputRead, inputWrite, false)) {
      startup.hStdInput = inputRead.get();
      redirected = true;
    }
  }
  if (keep && (flags & LaunchReadOutput) && CreateRedirection(pipeAttributes, outputRead, outputWrite, true)) {
    startup.hStdOutput = outputWrite.get();
    redirected = true;
  }
  if (keep && (flags & LaunchReadError) && CreateRedirection(pipeAttributes, errorRead, errorWrite, true)) {
    startup.hStdError = errorWrite.get();
    redirected = true;
  }
  if (redirected) {
    startup.dwFlags |= STARTF_USESTDHANDLES;
    inheritHandles = TRUE;
    creationFlags &= ~static_cast<DWORD>(CREATE_NEW_CONSOLE);
    if (!startup.hStdInput) startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    if (!startup.hStdOutput) startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    if (!startup.hStdError) startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  }

  // The command line: the program in double quotes unless it starts with one, then a blank and
  // the parameters only when there are any. CreateProcessW may write into it, so it is a copy.
  const std::size_t programLength = Length(program);
  const std::size_t parametersLength = Length(parameters);
  const ScopedMem<wchar_t> commandLine(TextBuffer(programLength + parametersLength + 4));
  const ScopedMem<wchar_t> folder(TextBuffer(programLength + 1));  // the shell's working folder, when it comes to that
  PendingRecord record(keep);
  if (!commandLine.get() || !folder.get() || !record.ready()) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  wchar_t* to = commandLine.get();
  if (program[0] == L'"') {
    CopyUnits(to, program, programLength);
  } else {
    *to++ = L'"';
    CopyUnits(to, program, programLength);
    *to++ = L'"';
  }
  if (parametersLength > 0) {
    *to++ = L' ';
    CopyUnits(to, parameters, parametersLength);
  }
  *to = 0;

  PROCESS_INFORMATION created{};
  if (CreateProcessW(nullptr, commandLine.get(), nullptr, nullptr, inheritHandles, creationFlags, nullptr, directory,
                     &startup, &created)) {
    inputRead.Close();
    outputWrite.Close();
    errorWrite.Close();
    CloseHandle(created.hThread);
    if (flags & LaunchWait) WaitForSingleObject(created.hProcess, INFINITE);
    if (keep) return record.HandOut(created.hProcess, inputWrite, outputRead, errorRead, flags);
    CloseHandle(created.hProcess);
    return 1;
  }

  // The caller reads why the launch failed from the last error: keep CreateProcessW's across
  // the clean-up.
  const DWORD creationError = GetLastError();
  inputRead.Close();
  inputWrite.Close();
  outputRead.Close();
  outputWrite.Close();
  errorRead.Close();
  errorWrite.Close();
  SetLastError(creationError);
  if (flags & kRedirectionFlags) return 0;

  SHELLEXECUTEINFOW shell{};
  shell.cbSize = sizeof shell;
  shell.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_DDEWAIT | SEE_MASK_FLAG_NO_UI;
  shell.lpFile = program;
  shell.lpParameters = parameters;
  shell.lpDirectory = ShellDirectory(program, directory, folder.get());
  shell.nShow = showMode;
  const ShellExecuteExProc shellExecute = ShellExecuteExEntry();
  if (!shellExecute || !shellExecute(&shell)) return 0;
  if ((flags & LaunchWait) && shell.hProcess) WaitForSingleObject(shell.hProcess, INFINITE);
  if (keep) return record.HandOut(shell.hProcess, inputWrite, outputRead, errorRead, flags);
  if (shell.hProcess) CloseHandle(shell.hProcess);
  return 1;
}

std::int64_t ProgramLaunch(const wchar_t* program, const wchar_t* parameters, const wchar_t* directory) {
  return ProgramLaunch(program, parameters, directory, 0, 0);
}

std::int64_t ProgramLaunch(const wchar_t* program) { return ProgramLaunch(program, L"", L"", 0, 0); }

LaunchedProgram* ProgramRecord(std::int64_t program) {
  if (!launcher || program == 0) return nullptr;
  const ScopedCritSec guard(&launcher->lock);
  return FindProgram(program);
}

std::int64_t ProgramExitCode(std::int64_t program) {
  const LaunchedProgram* record = ProgramRecord(program);
  if (!record || !record->process) return -1;
  // GetExitCodeProcess alone cannot tell a running program from one that exited with
  // STILL_ACTIVE (259); the process object is signalled only once it has ended.
  if (WaitForSingleObject(record->process, 0) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  if (!GetExitCodeProcess(record->process, &code)) return -1;
  return code;
}

void ProgramFree(std::int64_t program) {
  if (!launcher || program == 0) return;
  LaunchedProgram kept;
  {
    // Found and unlinked in one go, so two threads freeing the same record cannot both close
    // its handles.
    const ScopedCritSec guard(&launcher->lock);
    LaunchedProgram* record = FindProgram(program);
    if (!record) return;
    kept = *record;
    ListFree(&launcher->programs, record);
  }
  for (HANDLE handle : {kept.process, kept.inputWrite, kept.outputRead, kept.errorRead}) {
    if (handle) CloseHandle(handle);
  }
}
