// The settings store on real files under Win32: opening (the three attempts), the name-only state
// of a file that could not be opened, creating, reading, writing, the exact save through the open
// handle, and sharing with another process (prefs_holder.exe).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "prefs/prefs.h"
#include "tests/prefs/prefs_test_support.h"
#include "tests/support/allocation_faults.h"
#include "tests/support/win_test.h"

namespace {

using namespace std::string_literals;
using prefstest::Shown;
using wintest::ReadFileBytes;
using wintest::WriteFileBytes;

const std::string kMark = "\xEF\xBB\xBF";

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Runs prefs_holder.exe. A holder started with "hold" keeps the file until destroyed.
class Holder {
 public:
  explicit Holder(const std::wstring& arguments, bool holds) {
    static int counter = 0;
    const std::wstring tag = std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++counter);
    const std::wstring readyName = L"prefs_holder_ready_" + tag;
    const std::wstring releaseName = L"prefs_holder_release_" + tag;
    ready_ = CreateEventW(nullptr, TRUE, FALSE, readyName.c_str());
    release_ = CreateEventW(nullptr, TRUE, FALSE, releaseName.c_str());
    std::wstring line = L"\"" + wintest::ProgramFolder() + L"\\prefs_holder.exe\" " + arguments;
    if (holds) line += L" " + readyName + L" " + releaseName;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
      CloseHandle(info.hThread);
      process_ = info.hProcess;
    }
    if (!process_) return;
    if (holds) {
      HANDLE both[] = {ready_, process_};
      holding_ = WaitForMultipleObjects(2, both, FALSE, 20000) == WAIT_OBJECT_0;
    }
  }
  ~Holder() {
    SetEvent(release_);
    if (process_) {
      WaitForSingleObject(process_, 20000);
      CloseHandle(process_);
    }
    CloseHandle(ready_);
    CloseHandle(release_);
  }
  Holder(const Holder&) = delete;
  Holder& operator=(const Holder&) = delete;

  bool holding() const { return holding_; }
  // Waits for the process to end; its exit code (the Win32 error of a failed open, 0 on success).
  DWORD ExitCode() {
    DWORD code = 0xFFFFFFFF;
    if (process_ && WaitForSingleObject(process_, 20000) == WAIT_OBJECT_0) GetExitCodeProcess(process_, &code);
    return code;
  }

 private:
  HANDLE process_ = nullptr;
  HANDLE ready_ = nullptr;
  HANDLE release_ = nullptr;
  bool holding_ = false;
};

// What another process gets when it tries to open the file: 0, or the error.
DWORD OtherProcessOpens(const std::wstring& path, const wchar_t* access, const wchar_t* share) {
  Holder tryer(L"try \"" + path + L"\" " + access + L" " + share, false);
  return tryer.ExitCode();
}

class PrefsFiles : public testing::Test {
 protected:
  void SetUp() override { PrefsInit(); }
  void TearDown() override {
    PrefsEnd();
    // DeleteFileW refuses read-only files; the scratch folder's cleanup must not.
    SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  const wchar_t* path() const { return path_.c_str(); }
  std::string Bytes() const { return ReadFileBytes(path_); }
  // A file of RebootX 3 and RebootY 4 that opens read-only: read, changed in memory only (a flush
  // keeps it current), and left as `bytes` by the close.
  void ExpectReadAndNeverWritten(const std::string& bytes) {
    ASSERT_NE(PrefsOpen(path()), 0);
    EXPECT_EQ(PrefsReadInteger(L"RebootX"), 3);
    PrefsWriteInteger(L"RebootX", 9);
    PrefsWriteString(L"Domain", L"d");
    EXPECT_EQ(PrefsReadInteger(L"RebootX"), 9) << "changes live in memory";
    PrefsFlush();
    EXPECT_EQ(PrefsReadInteger(L"RebootY"), 4) << "a flush of a read-only file keeps it current";
    PrefsClose();
    EXPECT_EQ(Shown(Bytes()), Shown(bytes));
  }

  wintest::ScratchFolder folder_;
  std::wstring path_ = folder_.File(L"reboot.prefs");
};

TEST_F(PrefsFiles, CreateThenCloseLeavesTheMarkAndOneLineEnd) {
  ASSERT_TRUE(WriteFileBytes(path_, "old content that must go\r\n"));
  ASSERT_NE(PrefsCreate(path()), 0);
  PrefsClose();
  EXPECT_EQ(Shown(Bytes()), Shown(kMark + "\r\n"));
}

TEST_F(PrefsFiles, TheFirstStartPatternOfTheTool) {
  ASSERT_NE(PrefsCreate(path()), 0);
  ASSERT_NE(PrefsOpen(path()), 0);
  EXPECT_EQ(Shown(Bytes()), Shown(kMark + "\r\n")) << "opening saves the created file first";
  PrefsWriteInteger(L"FirstRun", 1);
  PrefsWriteInteger(L"RebootX", 0);
  PrefsWriteInteger(L"RebootY", 0);
  PrefsWriteString(L"AdminName", L"");
  PrefsWriteString(L"AdminPass", L"");
  PrefsWriteString(L"Domain", L"");
  EXPECT_EQ(PrefsReadInteger(L"FirstRun", 0), 1);
  ASSERT_NE(PrefsOpen(path()), 0);
  const std::string six = kMark + "\r\nFirstRun = 1\r\nRebootX = 0\r\nRebootY = 0\r\nAdminName = \r\nAdminPass = \r\nDomain = \r\n";
  EXPECT_EQ(Shown(Bytes()), Shown(six)) << "the second open saves the six keys";
  PrefsWriteString(L"Domain", L"5@>2:?");
  PrefsWriteString(L"AdminName", L"25>:?");
  PrefsWriteString(L"AdminPass", L"");
  PrefsWriteInteger(L"FirstRun", 0);
  PrefsClose();
  EXPECT_EQ(Shown(Bytes()), Shown(kMark + "\r\nFirstRun = 0\r\nRebootX = 0\r\nRebootY = 0\r\nAdminName = 25>:?\r\n"
                                          "AdminPass = \r\nDomain = 5@>2:?\r\n"));
  PrefsClose();  // a second close does nothing
  EXPECT_EQ(PrefsReadInteger(L"FirstRun", 77), 77) << "no file is current";
}

TEST_F(PrefsFiles, APositionSaveReplacesValuesWhereTheyStand) {
  ASSERT_TRUE(WriteFileBytes(path_, kMark + "\r\nFirstRun = 0\r\nRebootX = 100\r\nRebootY = 200\r\nDomain = x\r\n[g]\r\nRebootX = 1\r\n"));
  ASSERT_NE(PrefsOpen(path()), 0);
  PrefsWriteInteger(L"RebootX", -32000);
  PrefsWriteInteger(L"rebooty", 5);
  PrefsClose();
  EXPECT_EQ(Shown(Bytes()), Shown(kMark + "\r\nFirstRun = 0\r\nRebootX = -32000\r\nrebooty = 5\r\nDomain = x\r\n[g]\r\nRebootX = 1\r\n"));
}

TEST_F(PrefsFiles, ReadsValuesAsTheToolNeedsThem) {
  ASSERT_TRUE(WriteFileBytes(path_, "  Key  =   value  \nnum=12abc\nneg = -5\nplus= +7\nhex=0x10\nword=abc\n"
                                    "big=99999999999999999999\nlatin=\xE9t\xE9\nREBOOTX = 7\n[grp]\nhidden=1\n"));
  ASSERT_NE(PrefsOpen(path()), 0);
  EXPECT_STREQ(PrefsReadString(L"Key").c_str(), L"value  ");
  EXPECT_STREQ(PrefsReadString(L"latin").c_str(), L"\u00E9t\u00E9");
  EXPECT_STREQ(PrefsReadString(L"missing", L"dflt").c_str(), L"dflt");
  EXPECT_STREQ(PrefsReadString(L"missing").c_str(), L"");
  EXPECT_STREQ(PrefsReadString(L"hidden", L"-").c_str(), L"-") << "keys after a group line are not seen";
  struct Case {
    const wchar_t* key;
    std::int64_t value;
  };
  const Case cases[] = {{L"num", 12}, {L"neg", -5}, {L"plus", 7}, {L"hex", 0}, {L"word", 0},
                        {L"big", std::numeric_limits<std::int64_t>::max()}, {L"RebootX", 7}, {L"missing", 42}};
  for (const Case& c : cases) EXPECT_EQ(PrefsReadInteger(c.key, 42), c.value) << wintest::Narrow(c.key);
  PrefsClose();
}

TEST_F(PrefsFiles, ClosingAFileOnlyReadLeavesItsBytesUntouched) {
  const std::string bytes = "a=1\nb=\xE9\n\n;c";
  ASSERT_TRUE(WriteFileBytes(path_, bytes));
  ASSERT_NE(PrefsOpen(path()), 0);
  EXPECT_EQ(PrefsReadInteger(L"a"), 1);
  PrefsClose();
  EXPECT_EQ(Shown(Bytes()), Shown(bytes));
  ASSERT_NE(PrefsOpen(path()), 0);
  ASSERT_NE(PrefsOpen(path()), 0) << "opening the same name again re-reads it";
  PrefsClose();
  EXPECT_EQ(Shown(Bytes()), Shown(bytes));
}

TEST_F(PrefsFiles, AReadOnlyFileIsReadAndNeverWritten) {
  const std::string bytes = "RebootX = 3\nRebootY = 4";
  ASSERT_TRUE(WriteFileBytes(path_, bytes));
  ASSERT_TRUE(SetFileAttributesW(path(), FILE_ATTRIBUTE_READONLY));
  // Wine keeps the attribute as the Unix mode bits, which do not stop root: this program runs
  // as an unprivileged user (tools/wine-run-unprivileged).
  HANDLE writer = CreateFileW(path(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
  ASSERT_EQ(writer, INVALID_HANDLE_VALUE) << "the read-only attribute stops no writer here (running as root?)";
  ExpectReadAndNeverWritten(bytes);
}

TEST_F(PrefsFiles, AFileOthersHoldWithoutWriteSharingIsReadThroughTheSecondAttempt) {
  const std::string bytes = "RebootX = 3\nRebootY = 4";
  ASSERT_TRUE(WriteFileBytes(path_, bytes));
  Holder holder(L"hold \"" + path_ + L"\" r r", true);
  ASSERT_TRUE(holder.holding()) << "exit code " << holder.ExitCode();
  HANDLE first = CreateFileW(path(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(first, INVALID_HANDLE_VALUE) << "the holder does not share write access";
  if (first != INVALID_HANDLE_VALUE) CloseHandle(first);
  ExpectReadAndNeverWritten(bytes);
}

TEST_F(PrefsFiles, AMissingFileWithWritesIsCreatedAtClose) {
  EXPECT_EQ(PrefsOpen(path()), 0);
  EXPECT_EQ(PrefsReadInteger(L"RebootX", 42), 42);
  EXPECT_STREQ(PrefsReadString(L"Domain", L"d").c_str(), L"d");
  PrefsWriteInteger(L"RebootX", 10);
  PrefsWriteInteger(L"RebootY", 20);
  EXPECT_EQ(PrefsReadInteger(L"RebootX", 42), 10) << "writes are held in memory";
  EXPECT_FALSE(Exists(path_)) << "nothing is created before the close";
  PrefsClose();
  EXPECT_EQ(Shown(Bytes()), Shown(kMark + "\r\nRebootX = 10\r\nRebootY = 20\r\n"));
}

TEST_F(PrefsFiles, AMissingFileWithoutWritesIsNotCreated) {
  EXPECT_EQ(PrefsOpen(path()), 0);
  ASSERT_EQ(PrefsOpen(path()), 0) << "a second open discards the unchanged name-only state";
  PrefsClose();
  EXPECT_FALSE(Exists(path_));
}

TEST_F(PrefsFiles, AnOpenOfAnotherNameSavesTheNameOnlyState) {
  const std::wstring other = folder_.File(L"other.prefs");
  EXPECT_EQ(PrefsOpen(path()), 0);
  PrefsWriteString(L"k", L"v");
  EXPECT_EQ(PrefsOpen(other.c_str()), 0);
  EXPECT_EQ(Shown(Bytes()), Shown(kMark + "\r\nk = v\r\n"));
  PrefsClose();
  EXPECT_FALSE(Exists(other));
}

TEST_F(PrefsFiles, AMissingFolderWritesNothing) {
  const std::wstring inMissing = folder_.File(L"no such folder\\reboot.prefs");
  EXPECT_EQ(PrefsOpen(inMissing.c_str()), 0);
  PrefsWriteInteger(L"RebootX", 1);
  PrefsClose();
  EXPECT_FALSE(Exists(folder_.File(L"no such folder")));
  EXPECT_EQ(PrefsCreate(inMissing.c_str()), 0);
  PrefsWriteInteger(L"RebootX", 1);  // ignored: no file is current
  PrefsClose();
  EXPECT_EQ(PrefsOpen(nullptr), 0);
  PrefsWriteInteger(L"RebootX", 1);
  PrefsClose();
}

TEST_F(PrefsFiles, ANameOnlySaveNeverReplacesAFileThatAppeared) {
  EXPECT_EQ(PrefsOpen(path()), 0);
  PrefsWriteInteger(L"RebootX", 1);
  ASSERT_TRUE(WriteFileBytes(path_, "Domain = keep\n"));
  PrefsClose();
  EXPECT_EQ(Shown(Bytes()), Shown("Domain = keep\n"));
}

TEST_F(PrefsFiles, AShorterRewriteCutsOffTheRest) {
  ASSERT_TRUE(WriteFileBytes(path_, kMark + "\r\nk = " + std::string(4000, 'x') + "\r\n\r\n\r\n   \r\n"));
  ASSERT_NE(PrefsOpen(path()), 0);
  PrefsWriteString(L"K", L"1");
  PrefsClose();
  EXPECT_EQ(Shown(Bytes()), Shown(kMark + "\r\nK = 1\r\n"));
}

TEST_F(PrefsFiles, FlushSavesAndKeepsTheFileOpen) {
  ASSERT_NE(PrefsCreate(path()), 0);
  PrefsWriteString(L"a", L"1");
  PrefsFlush();
  EXPECT_EQ(Shown(Bytes()), Shown(kMark + "\r\na = 1\r\n"));
  EXPECT_EQ(PrefsReadInteger(L"a"), 1);
  EXPECT_NE(OtherProcessOpens(path_, L"w", L"rw"), 0u) << "still held after the flush";
  PrefsWriteString(L"a", L"22");
  PrefsClose();
  EXPECT_EQ(Shown(Bytes()), Shown(kMark + "\r\na = 22\r\n"));
}

TEST_F(PrefsFiles, BothOptionBits) {
  ASSERT_NE(PrefsCreate(path(), PrefsTightEquals | PrefsSpaceBeforeGroups), 0);
  PrefsWriteString(L"k", L"v");
  PrefsClose();
  ASSERT_TRUE(WriteFileBytes(path_, Bytes() + "[a]\r\nx=1\r\n[b]\r\n"));
  ASSERT_NE(PrefsOpen(path(), PrefsTightEquals | PrefsSpaceBeforeGroups), 0);
  PrefsWriteInteger(L"n", -1);
  PrefsClose();
  EXPECT_EQ(Shown(Bytes()), Shown(kMark + "\r\nk=v\r\nn=-1\r\n[a]\r\nx=1\r\n\r\n[b]\r\n"));
}

TEST_F(PrefsFiles, TextsCrossAsUtf16AndAreStoredAsUtf8) {
  ASSERT_NE(PrefsCreate(path()), 0);
  PrefsWriteString(L"Domain", L"\u00DCn\u00EFc\u00F8d\u00E9 \u20AC\U0001F600  ");
  PrefsWriteString(L"Line", L"one\r\ntwo\nthree\r");
  PrefsWriteString(L"Lead", L"  x");
  PrefsWriteString(L"Null", nullptr);
  PrefsWriteInteger(L"Min", std::numeric_limits<std::int64_t>::min());
  PrefsClose();
  EXPECT_EQ(Shown(Bytes()), Shown(kMark + "\r\nDomain = \xC3\x9Cn\xC3\xAF" "c\xC3\xB8" "d\xC3\xA9 \xE2\x82\xAC\xF0\x9F\x98\x80  \r\n"
                                          "Line = one  two three \r\nLead =   x\r\nNull = \r\nMin = -9223372036854775808\r\n"));
  ASSERT_NE(PrefsOpen(path()), 0);
  EXPECT_STREQ(PrefsReadString(L"domain").c_str(), L"\u00DCn\u00EFc\u00F8d\u00E9 \u20AC\U0001F600  ");
  EXPECT_STREQ(PrefsReadString(L"Line").c_str(), L"one  two three ");
  EXPECT_STREQ(PrefsReadString(L"Lead").c_str(), L"x") << "blanks at the start of a value are not kept";
  EXPECT_EQ(PrefsReadInteger(L"Min"), std::numeric_limits<std::int64_t>::min());
  PrefsClose();
}

TEST_F(PrefsFiles, ZeroBytesAndInvalidUtf8SurviveALoadAndSave) {
  const std::string bytes = kMark + "\r\na\0b = 1\0\r\nbad = \xFF\xC3(\r\nk = x\r\n"s;
  ASSERT_TRUE(WriteFileBytes(path_, bytes));
  ASSERT_NE(PrefsOpen(path()), 0);
  EXPECT_STREQ(PrefsReadString(L"bad").c_str(), L"\uFFFD\uFFFD(");
  PrefsWriteString(L"k", L"y");
  PrefsClose();
  EXPECT_EQ(Shown(Bytes()), Shown(kMark + "\r\na\0b = 1\0\r\nbad = \xFF\xC3(\r\nk = y\r\n"s));
}

TEST_F(PrefsFiles, AnotherProcessCannotWriteTheFileWhileItIsOpen) {
  ASSERT_TRUE(WriteFileBytes(path_, "a=1"));
  ASSERT_NE(PrefsOpen(path()), 0);
  EXPECT_EQ(OtherProcessOpens(path_, L"w", L"rw"), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(OtherProcessOpens(path_, L"r", L"rw"), 0u) << "others may read it";
  PrefsClose();
  EXPECT_EQ(OtherProcessOpens(path_, L"w", L"rw"), 0u) << "released by the close";
}

TEST_F(PrefsFiles, AFileHeldForWritingIsReadThroughTheThirdAttemptAndIsReadOnly) {
  const std::string bytes = "RebootX = 12\n";
  ASSERT_TRUE(WriteFileBytes(path_, bytes));
  {
    Holder holder(L"hold \"" + path_ + L"\" w r", true);
    ASSERT_TRUE(holder.holding()) << "exit code " << holder.ExitCode();
    // The first two attempts deny others write access, which the holder already has.
    HANDLE first = CreateFileW(path(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE second = CreateFileW(path(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(first, INVALID_HANDLE_VALUE);
    EXPECT_EQ(second, INVALID_HANDLE_VALUE);
    if (first != INVALID_HANDLE_VALUE) CloseHandle(first);
    if (second != INVALID_HANDLE_VALUE) CloseHandle(second);

    ASSERT_NE(PrefsOpen(path()), 0);
    EXPECT_EQ(PrefsReadInteger(L"RebootX"), 12);
    PrefsWriteInteger(L"RebootX", 99);
    PrefsClose();
  }
  EXPECT_EQ(Shown(Bytes()), Shown(bytes)) << "a read-only file is never written";
}

TEST_F(PrefsFiles, AFileHeldExclusivelyIsNeverReplaced) {
  const std::string bytes = "Domain = keep\n";
  ASSERT_TRUE(WriteFileBytes(path_, bytes));
  {
    Holder holder(L"hold \"" + path_ + L"\" rw none", true);
    ASSERT_TRUE(holder.holding()) << "exit code " << holder.ExitCode();
    EXPECT_EQ(PrefsOpen(path()), 0);
    PrefsWriteInteger(L"RebootX", 1);
  }
  PrefsClose();  // the holder has let go: the file could now be replaced, and must not be
  EXPECT_EQ(Shown(Bytes()), Shown(bytes));
}

TEST_F(PrefsFiles, AFileThatCouldNotBeLoadedIsNeverOverwritten) {
  // The file's text buffer cannot be had (as for a file larger than memory), so the load fails.
  const std::string start = "RebootX = 12\nDomain = keep\n";
  ASSERT_TRUE(WriteFileBytes(path_, start));
  {
    const allocfault::Scope faults;
    allocfault::FailFrom(start.size());
    ASSERT_NE(PrefsOpen(path()), 0) << "the file exists and is current";
  }
  EXPECT_EQ(PrefsReadInteger(L"RebootX", -1), -1) << "it holds no lines";
  PrefsWriteInteger(L"RebootX", 5);
  PrefsClose();
  EXPECT_EQ(Shown(Bytes()), Shown(start)) << "not rewritten, not cut";
}

TEST_F(PrefsFiles, NothingHappensWithoutTheStartUpStep) {
  PrefsEnd();
  EXPECT_EQ(PrefsCreate(path()), 0);
  PrefsWriteInteger(L"a", 1);
  EXPECT_EQ(PrefsReadInteger(L"a", 3), 3);
  PrefsClose();
  EXPECT_FALSE(Exists(path_));
  PrefsInit();
  PrefsInit();  // a second start-up step keeps the record
  ASSERT_NE(PrefsCreate(path()), 0);
  PrefsWriteInteger(L"a", 1);
  PrefsEnd();  // the teardown step saves the changed file
  EXPECT_EQ(Shown(Bytes()), Shown(kMark + "\r\na = 1\r\n"));
  PrefsInit();
}

}  // namespace
