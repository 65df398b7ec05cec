// Whole files, handles read to their end, and environment variables, with kernel32 alone: the
// test programs and the recording stand-in share them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace wintest {

// What a handle gives from where it stands until ReadFile gives nothing more: a file's rest, or
// a pipe's bytes until its writer closes it.
std::string ReadToEnd(HANDLE handle);
// A file's bytes from `offset` on, opened with full sharing so that a writer may go on meanwhile
// (/proc files, which report a size of 0, too); empty when it cannot be opened.
std::string ReadFileBytes(const std::wstring& path, std::uint64_t offset = 0);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);

// An environment variable's value; empty when it is not set.
std::wstring EnvironmentText(const wchar_t* name);
// A positive whole number from an environment variable, or `fallback` when there is none.
long EnvironmentNumber(const wchar_t* name, long fallback);

}  // namespace wintest
