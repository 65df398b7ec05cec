// Faults around reboot.prefs with the real RebootPC.exe: the file held open by another process
// without write sharing, a read-only file, a read-only folder, the file deleted while the tool
// runs, and hostile contents. The tool must start, read what it can, never crash, and save by the
// writer's rules without losing a line. The expected file after a save comes from a model of the
// file format written here from the format's rules, independent of the tool's store.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/app/evidence_session.h"
#include "tests/app/tool_driver.h"
#include "tests/support/byte_dump.h"
#include "tests/support/win_test.h"

namespace {

using tooltest::PrefsBytes;
using tooltest::Rot47;
using bytedump::Difference;

// --- The file format, as a reader and a writer see it -------------------------------------

struct Line {
  char kind;  // 'k' key, 'c' comment, 'g' group
  std::string key;
  std::string text;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

std::vector<Line> ParseModel(const std::string& bytes) {
  std::string text;
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    text = bytes.substr(3);
  } else {
    for (char c : bytes) {
      const auto b = static_cast<unsigned char>(c);
      if (b < 0x80) {
        text += c;
      } else {
        text += static_cast<char>(0xC0 + (b >> 6));
        text += static_cast<char>(0x80 + (b & 0x3F));
      }
    }
  }
  std::vector<Line> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    while (at < text.size() && IsBlank(text[at])) ++at;
    std::size_t end = at;
    while (end < text.size() && !IsLineEnd(text[end])) ++end;
    const std::string piece = text.substr(at, end - at);
    while (end < text.size() && IsLineEnd(text[end])) ++end;
    at = end;
    if (piece.empty()) continue;
    Line line;
    if (piece[0] == ';') {
      line.kind = 'c';
      line.text = piece.substr(piece.size() > 1 && piece[1] == ' ' ? 2 : 1);
    } else if (piece[0] == '[') {
      line.kind = 'g';
      const std::size_t close = piece.find(']', 1);
      line.text = piece.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    } else {
      line.kind = 'k';
      const std::size_t equals = piece.find('=');
      line.key = piece.substr(0, equals);
      while (!line.key.empty() && IsBlank(line.key.back())) line.key.pop_back();
      if (equals != std::string::npos) {
        std::size_t from = equals + 1;
        while (from < piece.size() && IsBlank(piece[from])) ++from;
        line.text = piece.substr(from);
      }
    }
    lines.push_back(line);
  }
  return lines;
}

bool SameKey(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto fold = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

// A write in the leading section: the first matching key line takes the new spelling and
// value in place; otherwise a new line goes after the section's last line.
void WriteModel(std::vector<Line>& lines, const std::string& key, const std::string& value) {
  std::size_t sectionEnd = 0;
  while (sectionEnd < lines.size() && lines[sectionEnd].kind != 'g') ++sectionEnd;
  for (std::size_t i = 0; i < sectionEnd; ++i) {
    if (lines[i].kind == 'k' && SameKey(lines[i].key, key)) {
      lines[i].key = key;
      lines[i].text = value;
      return;
    }
  }
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(sectionEnd), Line{'k', key, value});
}

std::string SaveModel(const std::vector<Line>& lines) {
  std::string out = "\xEF\xBB\xBF\r\n";
  for (const Line& line : lines) {
    if (line.kind == 'g') out += "[" + line.text + "]";
    else if (line.kind == 'c') out += "; " + line.text;
    else out += line.key + " = " + line.text;
    out += "\r\n";
  }
  return out;
}

// What a position save makes of the file `before`.
std::string AfterMove(const std::string& before, int x, int y) {
  std::vector<Line> lines = ParseModel(before);
  WriteModel(lines, "RebootX", std::to_string(x));
  WriteModel(lines, "RebootY", std::to_string(y));
  return SaveModel(lines);
}

std::string SettledPrefs() { return tooltest::SettledPrefs("30", "40"); }

// --- The fixture --------------------------------------------------------------------------------

class PrefsFaultTest : public testing::Test {
 protected:
  void TearDown() override {
    Stop();
    SetFileAttributesW(Prefs().c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesW(work_.path().c_str(), FILE_ATTRIBUTE_NORMAL);
  }

  std::wstring Prefs() const { return work_.File(L"reboot.prefs"); }
  std::string OnDisk() const { return wintest::ReadFileBytes(Prefs()); }

  void Start() {
    run_ = std::make_unique<tooltest::ToolRun>(app_.path(), work_.path());
    ASSERT_TRUE(run_->started()) << run_->startFailure();
    main_ = run_->WaitMainWindow(20000);
    ASSERT_NE(nullptr, main_) << "no main window (a credential prompt would mean the file was taken as absent)";
  }
  // Ends the tool through its close handler (WM_CLOSE), which saves the position once more.
  void Stop() {
    if (run_ && run_->Running() && main_) {
      PostMessageW(main_, WM_CLOSE, 0, 0);
      DWORD code = 99;
      EXPECT_TRUE(run_->WaitExit(20000, &code)) << "the tool did not end on WM_CLOSE";
      EXPECT_EQ(0u, code);
    }
    run_.reset();
  }
  // Moves the main window as another program would.
  void Move(int x, int y) {
    ASSERT_TRUE(SetWindowPos(main_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
  }
  bool WaitFile(const std::string& expected, DWORD milliseconds = 10000) {
    return wintest::WaitUntil([&] { return OnDisk() == expected; }, milliseconds);
  }
  // The tool still answers and still has its window.
  bool Responsive() const { return run_->Settle(main_); }
  POINT Position() const {
    RECT frame{};
    GetWindowRect(main_, &frame);
    return POINT{frame.left, frame.top};
  }

  wintest::ScratchFolder app_;
  wintest::ScratchFolder work_;
  std::unique_ptr<tooltest::ToolRun> run_;
  HWND main_ = nullptr;
};

// --- Locked and read-only files -----------------------------------------------------------------

TEST_F(PrefsFaultTest, FileHeldOpenWithoutWriteSharingIsReadAndChangesAreDroppedSilently) {
  struct Holder {
    const char* label;
    DWORD access;
    DWORD share;
  };
  // Read access held: the tool's read-only open with read sharing succeeds. Write access held:
  // only its last attempt (read and write sharing) gets in.
  const Holder holders[] = {{"held for reading", GENERIC_READ, FILE_SHARE_READ},
                            {"held for writing", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ}};
  for (const Holder& holder : holders) {
    SCOPED_TRACE(holder.label);
    ASSERT_TRUE(wintest::WriteFileBytes(Prefs(), SettledPrefs()));
    HANDLE held = CreateFileW(Prefs().c_str(), holder.access, holder.share, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    Start();
    EXPECT_EQ(30, Position().x);
    EXPECT_EQ(40, Position().y);
    Move(111, 122);
    // Answering again, the tool has handled the move's event, save attempt included.
    EXPECT_TRUE(run_->Settle(main_));
    EXPECT_EQ(SettledPrefs(), OnDisk()) << "a change reached the held file";
    Stop();  // the close handler saves once more, and drops it again
    EXPECT_EQ(SettledPrefs(), OnDisk());
    CloseHandle(held);
  }
}

TEST_F(PrefsFaultTest, ReadOnlyFileIsReadAndNeverWritten) {
  ASSERT_TRUE(wintest::WriteFileBytes(Prefs(), SettledPrefs()));
  ASSERT_TRUE(SetFileAttributesW(Prefs().c_str(), FILE_ATTRIBUTE_READONLY));
  // Wine keeps the attribute as Unix permission bits, which a process running as root passes:
  // this program runs as an unprivileged user (tools/wine-run-unprivileged).
  HANDLE probe = CreateFileW(Prefs().c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (probe != INVALID_HANDLE_VALUE) CloseHandle(probe);
  ASSERT_EQ(probe, INVALID_HANDLE_VALUE) << "the read-only attribute stops no writer here (running as root?)";
  Start();
  EXPECT_EQ(30, Position().x);
  EXPECT_EQ(40, Position().y);
  for (int i = 0; i < 5; ++i) Move(100 + i, 90 + i);
  EXPECT_TRUE(run_->Settle(main_));
  EXPECT_EQ(SettledPrefs(), OnDisk());
  Stop();
  EXPECT_EQ(SettledPrefs(), OnDisk());
  EXPECT_NE(0u, GetFileAttributesW(Prefs().c_str()) & FILE_ATTRIBUTE_READONLY);
}

// The read-only attribute of a folder does not stop writing its files on Windows, and the save
// rewrites the file through its handle (never deleting and creating it), so saving goes on.
// Wine has no folder ACLs to deny more than that.
TEST_F(PrefsFaultTest, ReadOnlyFolderKeepsSavingInPlace) {
  ASSERT_TRUE(wintest::WriteFileBytes(Prefs(), SettledPrefs()));
  ASSERT_TRUE(SetFileAttributesW(work_.path().c_str(), FILE_ATTRIBUTE_READONLY));
  Start();
  EXPECT_EQ(30, Position().x);
  Move(150, 160);
  EXPECT_TRUE(WaitFile(AfterMove(SettledPrefs(), 150, 160))) << Difference(AfterMove(SettledPrefs(), 150, 160), OnDisk());
  EXPECT_TRUE(Responsive());
}

TEST_F(PrefsFaultTest, FileDeletedWhileRunningIsCreatedWithOnlyTheKeysThenWrittenInOrder) {
  ASSERT_TRUE(wintest::WriteFileBytes(Prefs(), SettledPrefs()));
  Start();
  ASSERT_TRUE(DeleteFileW(Prefs().c_str())) << "the tool keeps the file open between saves (error " << GetLastError()
                                            << ")";
  Move(210, 220);
  const std::string positionOnly = PrefsBytes({{"RebootX", "210"}, {"RebootY", "220"}});
  EXPECT_TRUE(WaitFile(positionOnly)) << Difference(positionOnly, OnDisk());

  // Deleted again, then the credentials saved: their keys in the order the prompts write them.
  ASSERT_TRUE(DeleteFileW(Prefs().c_str()));
  HWND reset = GetDlgItem(main_, 8);
  ASSERT_TRUE(tooltest::ClickButton(reset, [&] { return run_->FindWindowOf(L"#32770", L"Reset Credentials"); }));
  ASSERT_TRUE(tooltest::AnswerMessageBox(*run_, L"Reset Credentials", 'Y'));
  ASSERT_TRUE(tooltest::AnswerInput(*run_, L"Domain required", L"CORP"));
  ASSERT_TRUE(tooltest::AnswerInput(*run_, L"Admin Name Required", L"admin"));
  ASSERT_TRUE(tooltest::AnswerInput(*run_, L"Password required", L"secret"));
  const std::string credentialsOnly = PrefsBytes(
      {{"Domain", Rot47("CORP")}, {"AdminName", Rot47("admin")}, {"AdminPass", Rot47("secret")}, {"FirstRun", "0"}});
  EXPECT_TRUE(WaitFile(credentialsOnly)) << Difference(credentialsOnly, OnDisk());
  EXPECT_TRUE(Responsive());
}

// --- Hostile contents ---------------------------------------------------------------------------

std::string HostileRandom() { return evidence::RandomBytes(1 << 20, 20261207); }
std::string HostileLongLine() { return "Note = " + std::string(10 << 20, 'v'); }
// A literal's bytes, zero bytes inside included.
template <std::size_t N>
std::string Bytes(const char (&literal)[N]) {
  return std::string(literal, N - 1);
}

std::string HostileZeros() {
  return Bytes("\xEF\xBB\xBF\r\nRebootX = 1\0 2\r\nk\0ey = v\0al\0\r\n") + std::string(3, '\0') +
         Bytes("\r\n; \0comment\r\n[gr\0p]\r\nRebootY = 9\r\n");
}
std::string HostileLoneMark() { return "\xEF\xBB\xBF"; }
std::string HostileLatin1() {
  return "RebootX = 12\r\nName = Gr\xFC\xDF\xE9 \xA9\r\n; caf\xE9\r\n  \xFF\xFE = \xE0\r\n[gr\xFCp]\r\nRebootY = 9\n";
}
std::string HostileDuplicates() {
  std::string text = "\xEF\xBB\xBF\r\n";
  for (int i = 0; i < 100000; ++i) text += (i % 2 ? "rebootx = " : "RebootX = ") + std::to_string(i) + "\r\n";
  return text;
}

struct Hostile {
  const char* label;
  std::string (*bytes)();
  int x;  // where the tool must open: the first "RebootX" value, 0 when there is none
};

class HostileFileTest : public PrefsFaultTest, public testing::WithParamInterface<Hostile> {};

TEST_P(HostileFileTest, ToolStartsAndAMoveRewritesEveryLineByTheWritersRules) {
  const std::string before = GetParam().bytes();
  ASSERT_TRUE(wintest::WriteFileBytes(Prefs(), before));
  Start();
  const POINT opened = Position();
  EXPECT_EQ(GetParam().x, opened.x);
  // Attaching and detaching the menu bar at start move the client area, and every move after
  // the opening saves the position: so the start may already rewrite the file, by the same rules.
  const std::string startSave = AfterMove(before, opened.x, opened.y);
  ASSERT_TRUE(run_->Settle(main_));
  const std::string started = OnDisk();
  EXPECT_TRUE(started == before || started == startSave) << Difference(startSave, started);
  EXPECT_TRUE(Responsive());
  Move(123, 234);
  const std::string expected = AfterMove(before, 123, 234);
  EXPECT_TRUE(WaitFile(expected, 30000)) << Difference(expected, OnDisk());
  EXPECT_TRUE(Responsive());
  // What the store wrote reads back to the same lines: a second save changes nothing else.
  Move(124, 234);
  const std::string again = AfterMove(expected, 124, 234);
  EXPECT_TRUE(WaitFile(again, 30000)) << Difference(again, OnDisk());
}

INSTANTIATE_TEST_SUITE_P(Files, HostileFileTest,
                         testing::Values(Hostile{"random_1MB", HostileRandom, 0},
                                         Hostile{"single_line_10MB", HostileLongLine, 0},
                                         Hostile{"zero_bytes", HostileZeros, 1},
                                         Hostile{"lone_mark", HostileLoneMark, 0},
                                         Hostile{"iso_8859_1", HostileLatin1, 12},
                                         Hostile{"duplicate_keys_100000", HostileDuplicates, 0}),
                         [](const testing::TestParamInfo<Hostile>& info) { return std::string(info.param.label); });

// --- A move made by another program -------------------------------------------------------------

// SetWindowPos from another process reaches the tool as a sent message while it waits in
// GetMessageW, and its WM_MOVE is handled inside that sent message; GetMessageW does not return
// for it, so the move event it queues must still be taken without waiting for some later message.
// The WM_MOVE is sent here directly, so that no repaint of a really moved window wakes the tool
// by chance, and with the tool in the background no caret blinks in its edit field: nothing else
// arrives. The file is put back in a form the writer never produces, so the save is seen.
TEST_F(PrefsFaultTest, MoveEventSentByAnotherThreadIsSavedWithoutFurtherMessages) {
  ASSERT_TRUE(wintest::WriteFileBytes(Prefs(), SettledPrefs()));
  Start();
  HWND other = CreateWindowExW(0, L"STATIC", L"in front", WS_POPUP | WS_VISIBLE, 600, 500, 100, 50, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(nullptr, other);
  ASSERT_TRUE(wintest::BringToFront(other));
  // The start's own position save is done before the file is put back: a late one would write
  // what the move's save writes.
  ASSERT_TRUE(run_->Settle(main_));
  const std::string unsaved = "RebootX=30\r\nRebootY=40\r\nFirstRun=0\r\n";
  ASSERT_TRUE(wintest::WriteFileBytes(Prefs(), unsaved));
  const POINT at = Position();
  DWORD_PTR answer = 0;
  ASSERT_TRUE(SendMessageTimeoutW(main_, WM_MOVE, 0, MAKELPARAM(at.x, at.y), SMTO_NORMAL, 5000, &answer));
  const std::string expected = AfterMove(unsaved, at.x, at.y);
  EXPECT_TRUE(WaitFile(expected, 3000)) << "the move event waited in the queue for another message: "
                                        << Difference(expected, OnDisk());
  DestroyWindow(other);
}

}  // namespace
