// The recording stand-in program (recorder.exe) and how tests read what it saw.
//
// Each run of the recorder appends one record to its record file: the file named by the
// environment variable REBOOTPC_RECORD_FILE, or else "<exe name without .exe>.record" beside the
// exe (so a copy installed as system32\shutdown.exe records to system32\shutdown.record). The
// record is one line of ASCII JSON ending in "\n", written with a single WriteFile on a handle
// opened with FILE_APPEND_DATA only, so runs that end at the same time never tear each other's
// records. Strings are JSON strings of UTF-16 units: '"' and '\' escaped with a backslash, every
// other unit outside printable ASCII written as \uXXXX, so any text (lone surrogates included)
// comes back unit for unit:
//
//   {"image":"C:\\...\\recorder.exe","pid":412,"commandLine":"\"recorder\" a b",
//    "argv":["recorder","a","b"],"folder":"C:\\work","showWindow":1,"startupFlags":1,
//    "priorityClass":32,"consoleProcesses":1,"stdin":"pipe","stdout":"pipe","stderr":"pipe",
//    "echoedBytes":5,"sleptMs":0,"exitCode":53}
//
// image: GetModuleFileNameW; commandLine: GetCommandLineW; argv: CommandLineToArgvW of it;
// folder: GetCurrentDirectoryW; showWindow and startupFlags: wShowWindow and dwFlags of
// GetStartupInfoW; priorityClass: GetPriorityClass; consoleProcesses: GetConsoleProcessList's
// count (0 without a console); stdin/stdout/stderr: the kind of each standard handle ("none",
// "pipe", "char", "disk", "unknown"); echoedBytes: bytes copied from stdin to stdout; sleptMs and
// exitCode: what the steering asked for.
//
// The run, in order: read the steering; copy stdin to stdout until end of file when stdin is a
// pipe given through STARTF_USESTDHANDLES (never a standard input merely passed down); write
// "recorder: stderr line\r\n" to stderr; sleep; append the record; then exit with the code, or
// end as a crash would (TerminateProcess with STATUS_ACCESS_VIOLATION, no unwinding, no crash
// dialog). The record is written last, so it exists once a waited-for run has ended.
//
// Steering: the file named by REBOOTPC_RECORDER_STEER, or else "<exe name without .exe>.steer"
// beside the exe, read afresh by every run so a test can change the behaviour while the parent
// keeps running. Lines "key=value": exit=<decimal or 0x hex, unsigned 32-bit>, sleep=<ms>,
// crash=1. A missing file or key means exit 0, no sleep, no crash. RecorderSteering builds it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include "tests/support/win_files.h"
#endif

namespace recorder {

struct Record {
  std::wstring image;
  std::uint32_t pid = 0;
  std::wstring commandLine;
  std::vector<std::wstring> argv;
  std::wstring folder;
  std::uint32_t showWindow = 0;
  std::uint32_t startupFlags = 0;
  std::uint32_t priorityClass = 0;
  std::uint32_t consoleProcesses = 0;
  std::string stdinKind;
  std::string stdoutKind;
  std::string stderrKind;
  std::uint64_t echoedBytes = 0;
  std::uint32_t sleptMs = 0;
  std::uint32_t exitCode = 0;
};

// The steering file's text for one behaviour.
inline std::string RecorderSteering(std::uint32_t exitCode, std::uint32_t sleepMs = 0, bool crash = false) {
  std::string text = "exit=" + std::to_string(exitCode) + "\nsleep=" + std::to_string(sleepMs) + "\n";
  if (crash) text += "crash=1\n";
  return text;
}

// The JSON string of a UTF-16 text, in the record's escaping.
inline std::string EncodeString(const std::wstring& text) {
  static const char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  for (wchar_t wide : text) {
    const auto unit = static_cast<std::uint16_t>(wide);
    if (unit == '"' || unit == '\\') {
      out += '\\';
      out += static_cast<char>(unit);
    } else if (unit >= 0x20 && unit < 0x7f) {
      out += static_cast<char>(unit);
    } else {
      out += "\\u";
      for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(unit >> shift) & 0xf];
    }
  }
  return out + "\"";
}

namespace detail {

struct Cursor {
  const std::string& line;
  std::size_t at = 0;
  bool ok = true;

  void SkipBlanks() {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
  }
  bool Take(char c) {
    SkipBlanks();
    if (at < line.size() && line[at] == c) {
      ++at;
      return true;
    }
    return false;
  }
  void Expect(char c) {
    if (!Take(c)) ok = false;
  }
  std::wstring String() {
    std::wstring out;
    Expect('"');
    while (ok && at < line.size() && line[at] != '"') {
      char c = line[at++];
      if (c != '\\') {
        out += static_cast<wchar_t>(static_cast<unsigned char>(c));
        continue;
      }
      if (at >= line.size()) break;
      c = line[at++];
      switch (c) {
        case 'u': {
          if (at + 4 > line.size()) {
            ok = false;
            break;
          }
          unsigned value = 0;
          for (int i = 0; i < 4; ++i) {
            const char h = line[at++];
            value <<= 4;
            if (h >= '0' && h <= '9') value |= static_cast<unsigned>(h - '0');
            else if (h >= 'a' && h <= 'f') value |= static_cast<unsigned>(h - 'a' + 10);
            else if (h >= 'A' && h <= 'F') value |= static_cast<unsigned>(h - 'A' + 10);
            else ok = false;
          }
          out += static_cast<wchar_t>(value);
          break;
        }
        default: out += static_cast<wchar_t>(static_cast<unsigned char>(c)); break;
      }
    }
    Expect('"');
    return out;
  }
  std::uint64_t Number() {
    SkipBlanks();
    const std::size_t start = at;
    std::uint64_t value = 0;
    while (at < line.size() && line[at] >= '0' && line[at] <= '9') value = value * 10 + static_cast<unsigned>(line[at++] - '0');
    if (at == start) ok = false;
    return value;
  }
};

inline std::string Ascii(const std::wstring& text) { return std::string(text.begin(), text.end()); }

}  // namespace detail

// Parses one record line; false when it is not a whole record.
inline bool ParseRecord(const std::string& line, Record& record) {
  detail::Cursor cursor{line};
  record = Record{};
  cursor.Expect('{');
  bool first = true;
  while (cursor.ok && !cursor.Take('}')) {
    if (!first) cursor.Expect(',');
    first = false;
    const std::string key = detail::Ascii(cursor.String());
    cursor.Expect(':');
    if (!cursor.ok) break;
    if (key == "argv") {
      cursor.Expect('[');
      bool firstArg = true;
      while (cursor.ok && !cursor.Take(']')) {
        if (!firstArg) cursor.Expect(',');
        firstArg = false;
        record.argv.push_back(cursor.String());
      }
    } else if (key == "image") record.image = cursor.String();
    else if (key == "commandLine") record.commandLine = cursor.String();
    else if (key == "folder") record.folder = cursor.String();
    else if (key == "stdin") record.stdinKind = detail::Ascii(cursor.String());
    else if (key == "stdout") record.stdoutKind = detail::Ascii(cursor.String());
    else if (key == "stderr") record.stderrKind = detail::Ascii(cursor.String());
    else if (key == "pid") record.pid = static_cast<std::uint32_t>(cursor.Number());
    else if (key == "showWindow") record.showWindow = static_cast<std::uint32_t>(cursor.Number());
    else if (key == "startupFlags") record.startupFlags = static_cast<std::uint32_t>(cursor.Number());
    else if (key == "priorityClass") record.priorityClass = static_cast<std::uint32_t>(cursor.Number());
    else if (key == "consoleProcesses") record.consoleProcesses = static_cast<std::uint32_t>(cursor.Number());
    else if (key == "echoedBytes") record.echoedBytes = cursor.Number();
    else if (key == "sleptMs") record.sleptMs = static_cast<std::uint32_t>(cursor.Number());
    else if (key == "exitCode") record.exitCode = static_cast<std::uint32_t>(cursor.Number());
    else cursor.ok = false;  // a key this parser does not know: not our record format
  }
  cursor.SkipBlanks();
  return cursor.ok && cursor.at == line.size();
}

// Every whole record in a record file's text, oldest first. A line that does not parse (none
// should) is skipped and counted in `*broken` when given.
inline std::vector<Record> ParseRecords(const std::string& text, std::size_t* broken = nullptr) {
  std::vector<Record> records;
  if (broken) *broken = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    Record record;
    if (ParseRecord(line, record)) records.push_back(std::move(record));
    else if (broken && !line.empty()) ++*broken;
    start = end + 1;
  }
  return records;
}

#ifdef _WIN32
// The records in a record file; none when it does not exist. A run may append meanwhile.
inline std::vector<Record> ReadRecords(const std::wstring& path, std::size_t* broken = nullptr) {
  return ParseRecords(wintest::ReadFileBytes(path), broken);
}

// The writing side, for the stand-ins themselves. The running exe's own path.
inline std::wstring ImagePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD got = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (got < path.size()) {
      path.resize(got);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

// Appends with FILE_APPEND_DATA alone: every WriteFile then lands at the end of file as one
// piece, so records of runs ending together do not interleave. Another run may hold the file
// open for a moment (sharing is full, but an antivirus or a reader on Windows may not be), so
// a failed open is retried briefly.
inline void AppendRecord(const std::wstring& path, const std::string& line) {
  for (int attempt = 0; attempt < 200; ++attempt) {
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
      CloseHandle(file);
      return;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION && error != ERROR_ACCESS_DENIED) return;
    Sleep(5);
  }
}
#endif

}  // namespace recorder
