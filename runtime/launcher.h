// The program launcher: starts an external program with a parameter text, optionally in a given
// working directory, hidden, waited for, and with pipes to its standard input, output and error.
// Direct creation (CreateProcessW with a command line built here) comes first; when it fails and
// no redirection was asked for, the Windows shell (ShellExecuteExW) is asked instead. Programs
// started with LaunchKeep are kept as LaunchedProgram records in a process-wide list; their
// exit code can be read and they can be released. Nothing here shows a message.
#pragma once

#include <windows.h>

#include <cstdint>

#include "runtime/object_table.h"

constexpr std::uint32_t LaunchWait = 1;        // wait, without time limit, until the program has ended
constexpr std::uint32_t LaunchHidden = 2;      // SW_HIDE, no app-starting cursor; a new console without pipes
constexpr std::uint32_t LaunchKeep = 4;        // return a LaunchedProgram instead of 1
constexpr std::uint32_t LaunchReadOutput = 8;  // with LaunchKeep: pipe from the child's standard output
constexpr std::uint32_t LaunchWriteInput = 16;  // with LaunchKeep: pipe to the child's standard input
constexpr std::uint32_t LaunchReadError = 32;  // with LaunchKeep: pipe from the child's standard error
constexpr std::uint32_t LaunchChainInput = 64;  // standard input from chainFrom's output pipe

// A program started with LaunchKeep. Its handles belong to the record until ProgramFree.
struct LaunchedProgram {
  HANDLE process;
  HANDLE inputWrite;  // parent's ends of the pipes, or null
  HANDLE outputRead;
  HANDLE errorRead;
  std::uint32_t flags;  // the launch flags as passed
};

// Start-up step: the program table and the lock of the launched-program list. Runs once; a
// second call changes nothing.
void LauncherInit();

// Starts `program` with `parameters` (each may be null). An empty or null `directory` means the
// current one. Returns 0 on failure, 1 on success without LaunchKeep, and with LaunchKeep the
// new LaunchedProgram's address (the value the Program* operations below take). `chainFrom` is
// used only with LaunchChainInput: a kept program whose output pipe becomes the standard input.
// LaunchWait returns only when the child has ended, so with an output or error pipe a child that
// writes more than the pipe buffer holds never ends: read such pipes without LaunchWait.
// On failure (0) nothing was started, and the thread's last error says why: the memory the
// launch needed could not be had (ERROR_NOT_ENOUGH_MEMORY), CreateProcessW's reason, or
// ShellExecuteExW's when the shell was tried too.
std::int64_t ProgramLaunch(const wchar_t* program, const wchar_t* parameters, const wchar_t* directory,
                           std::uint32_t flags, std::int64_t chainFrom = 0);
std::int64_t ProgramLaunch(const wchar_t* program, const wchar_t* parameters, const wchar_t* directory);
std::int64_t ProgramLaunch(const wchar_t* program);

// The record of a kept program, or null when `program` is no record of the launched-program
// list (0, 1, a freed record, any other value).
LaunchedProgram* ProgramRecord(std::int64_t program);
// The exit code (0 to 0xFFFFFFFF) of a kept program that has ended; -1 when it is still running,
// has no process handle (the shell may start none) or is unknown.
std::int64_t ProgramExitCode(std::int64_t program);
// Closes a kept program's handles and removes it from the list; unknown values are ignored.
void ProgramFree(std::int64_t program);

// The numbered-program table (records of 8 bytes holding one handle) and its free procedure,
// which closes the handle of a live record and releases the number.
ObjectTable* LauncherProgramTable();
void ProgramTableFree(ObjectNumber number);
