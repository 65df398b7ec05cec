// The recording stand-in itself (recorder.exe, format in recorder_record.h): its records give
// back every UTF-16 unit, and runs that end together append whole records.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/recorder_record.h"
#include "tests/support/win_test.h"

namespace {

using recorder::Record;

TEST(Recorder, RecordEncodingKeepsEveryUnit) {
  const std::wstring texts[] = {L"", L"plain", L"\"quoted\" \\back\\", L"tab\tline\r\n",
                                std::wstring(1, wchar_t(0xD800)) + L"\u00e9\u4e2d"};
  for (const std::wstring& text : texts) {
    const std::string line =
        "{\"commandLine\":" + recorder::EncodeString(text) + ",\"argv\":[" + recorder::EncodeString(text) + "]}";
    for (char c : line) EXPECT_TRUE(c >= 0x20 && c < 0x7f) << "non-ASCII byte in " << line;
    Record record;
    ASSERT_TRUE(recorder::ParseRecord(line, record)) << line;
    EXPECT_EQ(record.commandLine, text);
    ASSERT_EQ(record.argv.size(), 1u);
    EXPECT_EQ(record.argv[0], text);
  }
  Record record;
  EXPECT_FALSE(recorder::ParseRecord("{\"commandLine\":\"cut", record));
  EXPECT_FALSE(recorder::ParseRecord("{\"unknown\":1}", record));
}

// A started run of the stand-in, waited for and closed with the object.
class RecorderRun {
 public:
  explicit RecorderRun(const std::wstring& arguments) {
    const std::wstring exe = wintest::ProgramFolder() + L"\\recorder.exe";
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &info)) {
      CloseHandle(info.hThread);
      process_ = info.hProcess;
    }
  }
  ~RecorderRun() {
    if (process_) CloseHandle(process_);
  }
  RecorderRun(const RecorderRun&) = delete;
  RecorderRun& operator=(const RecorderRun&) = delete;
  bool started() const { return process_ != nullptr; }
  bool Ended() const { return process_ && WaitForSingleObject(process_, 30000) == WAIT_OBJECT_0; }

 private:
  HANDLE process_ = nullptr;
};

TEST(Recorder, ConcurrentRunsAppendWholeRecords) {
  const wintest::ScratchFolder scratch;
  const std::wstring recordFile = scratch.File(L"runs.record");
  SetEnvironmentVariableW(L"REBOOTPC_RECORD_FILE", recordFile.c_str());
  SetEnvironmentVariableW(L"REBOOTPC_RECORDER_STEER", scratch.File(L"absent.steer").c_str());  // exit 0 at once
  std::vector<std::unique_ptr<RecorderRun>> runs;
  for (int i = 0; i < 24; ++i) runs.push_back(std::make_unique<RecorderRun>(L"run " + std::to_wstring(i)));
  for (const auto& run : runs) {
    EXPECT_TRUE(run->started());
    EXPECT_TRUE(run->Ended());
  }
  SetEnvironmentVariableW(L"REBOOTPC_RECORD_FILE", nullptr);
  SetEnvironmentVariableW(L"REBOOTPC_RECORDER_STEER", nullptr);

  std::size_t broken = 0;
  const std::vector<Record> records = recorder::ReadRecords(recordFile, &broken);
  EXPECT_EQ(broken, 0u) << "torn or foreign lines in the record file";
  ASSERT_EQ(records.size(), runs.size());
  std::vector<bool> seen(runs.size());
  for (const Record& record : records) {
    ASSERT_EQ(record.argv.size(), 3u);
    const auto index = static_cast<std::size_t>(std::stoi(record.argv[2]));
    ASSERT_LT(index, seen.size());
    EXPECT_FALSE(seen[index]);
    seen[index] = true;
  }
}

}  // namespace
