// Soak: the real RebootPC.exe under sustained use, with the fast recording stand-in as
// system32\shutdown.exe. Submits: every recorded argv is exactly the field texts, and after a
// warm-up the tool's real resource counters stay within a small bound. Moves: every move
// rewrites reboot.prefs at once, and the file is exactly the expected one after each move.
//
// Counts: REBOOTPC_SOAK_SUBMITS (default 1000) and REBOOTPC_SOAK_MOVES (default 10000);
// tools/bench --soak runs 100,000 submits.
//
// The bound after warm-up, for any number of submits or moves (a leak of one handle, window or
// descriptor per run, or of a few hundred bytes per run, breaks it within the CI counts):
//   system handle table entries   +4     (a kept process handle per submit would be +1000)
//   windows                       +0
//   Linux open descriptors        +4
//   Linux RssAnon                 +1024 KiB
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/app/evidence_counters.h"
#include "tests/app/evidence_session.h"
#include "tests/app/tool_fixture.h"
#include "tests/support/wine_process.h"

namespace {

using evidence::ResourceSample;
using tooltest::TextOf;

constexpr std::int64_t kHandleBound = 4;
constexpr std::int64_t kWindowBound = 0;
constexpr std::int64_t kDescriptorBound = 4;
constexpr std::int64_t kRssAnonBoundKiB = 1024;
constexpr int kWarmUpRuns = 30;

// The largest growth of each real counter over the baseline.
struct Growth {
  std::int64_t handles = 0;
  std::int64_t windows = 0;
  std::int64_t descriptors = 0;
  std::int64_t rssAnonKiB = 0;

  void Note(const ResourceSample& base, const ResourceSample& now) {
    handles = std::max(handles, now.tableHandles - base.tableHandles);
    windows = std::max(windows, now.windows - base.windows);
    descriptors = std::max(descriptors, now.descriptors - base.descriptors);
    rssAnonKiB = std::max(rssAnonKiB, now.rssAnonKiB - base.rssAnonKiB);
  }
};

class SoakTest : public RunningToolTest {
 protected:
  void SetUp() override {
    RunningToolTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ASSERT_TRUE(evidence::InstallFastRecorder()) << "cannot install the fast stand-in";
    Start();
    linuxPid_ = wineproc::LinuxProcessOf(app_.File(L"RebootPC.exe"));
  }

  ResourceSample Sample() const { return evidence::Sample(run_->process(), run_->processId(), linuxPid_); }

  void Report(const char* what, int runs, const ResourceSample& base, const ResourceSample& last,
              const Growth& growth, double seconds) const {
    std::printf("%s: %d runs in %.1f s (%.1f ms each)\n  after warm-up: %s\n  at the end:    %s\n"
                "  largest growth: handles %lld, windows %lld, descriptors %lld, RssAnon %lld KiB\n",
                what, runs, seconds, 1000.0 * seconds / runs, evidence::Describe(base).c_str(),
                evidence::Describe(last).c_str(), static_cast<long long>(growth.handles),
                static_cast<long long>(growth.windows), static_cast<long long>(growth.descriptors),
                static_cast<long long>(growth.rssAnonKiB));
    std::fflush(stdout);
  }

  // `step` for the warm-up, then `runs` times (up to five failures), the counters sampled every
  // `every` runs: the report, and the growth within the bounds.
  void RunFlat(const char* what, long runs, int every, const std::function<bool(int)>& step) {
    for (int i = 0; i < kWarmUpRuns; ++i) ASSERT_TRUE(step(i)) << what << ": warm-up";
    const ResourceSample base = Sample();
    ResourceSample last = base;
    Growth growth;
    int failures = 0;
    const ULONGLONG start = GetTickCount64();
    for (int i = 0; i < runs && failures < 5; ++i) {
      if (!step(kWarmUpRuns + i)) ++failures;
      if (i % every == every - 1 || i + 1 == runs) {
        last = Sample();
        growth.Note(base, last);
      }
    }
    Report(what, static_cast<int>(runs), base, last, growth, static_cast<double>(GetTickCount64() - start) / 1000.0);
    EXPECT_EQ(0, failures) << what;
    ExpectWithinBounds(base, growth);
  }

  void ExpectWithinBounds(const ResourceSample& base, const Growth& growth) const {
    // A counter the platform did not give (-1) would make the comparison meaningless.
    EXPECT_GE(base.tableHandles, 0) << "the system handle table did not answer";
    EXPECT_GT(base.windows, 0);
    EXPECT_LE(growth.handles, kHandleBound) << "handle table entries grew";
    EXPECT_LE(growth.windows, kWindowBound) << "windows grew";
    if (linuxPid_ != 0) {
      EXPECT_LE(growth.descriptors, kDescriptorBound) << "open descriptors grew";
      EXPECT_LE(growth.rssAnonKiB, kRssAnonBoundKiB) << "anonymous resident memory grew";
    }
  }

  std::uint32_t linuxPid_ = 0;
};

// Field texts for submit `i`: ordinary ones mostly, hostile ones in between, so that quoting
// runs thousands of times too.
struct Fields {
  std::wstring name;
  std::wstring timeout;
  std::wstring notice;
};

Fields FieldsFor(int i) {
  static const wchar_t* const kNotices[] = {
      L"Maintenance window",
      L"say \"hi\" and save your work",
      L"ends in a backslash \\",
      L"a\\\"b \\\\\" c",
      L"tab\there",
      L"\" /s /m \\\\other",
      L"Gr\u00fc\u00dfe \U0001F600",
  };
  const std::wstring number = std::to_wstring(i);
  Fields fields;
  fields.name = (i % 5 == 3) ? L"pc " + number : L"pc-" + number;
  fields.timeout = std::to_wstring((i * 7) % 1801);
  fields.notice = std::wstring(kNotices[i % 7]) + L" #" + number;
  return fields;
}

TEST_F(SoakTest, SubmitsRecordExactArgumentsAndResourcesStayFlat) {
  const long submits = wintest::EnvironmentNumber(L"REBOOTPC_SOAK_SUBMITS", 1000);
  evidence::RecordTail tail(tooltest::SystemRecordFile());
  int keySubmits = 0;

  auto submit = [&](int i) {
    const Fields fields = FieldsFor(i);
    if (!Fill(fields.name, fields.timeout, fields.notice, tooltest::Entry::Set)) {
      ADD_FAILURE() << "submit " << i << ": the tool did not take the field texts";
      return false;
    }
    // Every 50th submit by a real Enter key in the focused name field, when the tool has the
    // foreground (a key sent elsewhere would be lost); the rest by the button.
    const bool byKey = i % 50 == 0 && wintest::BringToFront(main_) && run_->Focus() == Gadget(0);
    if (byKey) {
      ++keySubmits;
      wintest::PressKey(VK_RETURN);
    } else {
      evidence::PostSubmit(main_);
    }
    std::vector<recorder::Record> records = tail.WaitTake(30000);
    if (records.empty()) {
      ADD_FAILURE() << "submit " << i << (byKey ? " (Enter)" : " (Submit)") << ": shutdown.exe was not run";
      return false;
    }
    if (!wintest::WaitUntil([&] { return evidence::FormIsReset(main_); }, 10000)) {
      ADD_FAILURE() << "submit " << i << ": the form was not reset";
      return false;
    }
    auto more = tail.Take();
    records.insert(records.end(), more.begin(), more.end());
    EXPECT_EQ(1u, records.size()) << "submit " << i << " ran shutdown.exe " << records.size() << " times";
    const std::vector<std::wstring> argv = evidence::SplitCommandLine(records.front().commandLine);
    const std::vector<std::wstring> expected = tooltest::ExpectedArgv(fields.name, fields.timeout, fields.notice);
    const bool exact = tooltest::SameArgv(expected, argv);
    EXPECT_TRUE(exact) << "submit " << i << "\n  got      " << tooltest::Show(argv) << "\n  expected "
                       << tooltest::Show(expected);
    return exact;
  };

  RunFlat("submits", submits, 100, submit);
  std::printf("  %d of them by the Enter key\n", keySubmits);
  EXPECT_GT(keySubmits, 0) << "the tool never had the foreground for a submit by Enter";
}

TEST_F(SoakTest, MovesRewriteTheFileAtOnceAndResourcesStayFlat) {
  const long moves = wintest::EnvironmentNumber(L"REBOOTPC_SOAK_MOVES", 10000);
  const std::wstring prefs = work_.File(L"reboot.prefs");
  RECT frame{};
  GetWindowRect(main_, &frame);
  int x = frame.left;
  int y = frame.top;

  auto move = [&](int i) {
    // A new position every time: a move to where the window already is sends no WM_MOVE.
    int nextX = 10 + (i * 37) % 500;
    const int nextY = 10 + (i * 53) % 400;
    if (nextX == x && nextY == y) ++nextX;
    x = nextX;
    y = nextY;
    if (!SetWindowPos(main_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)) {
      ADD_FAILURE() << "move " << i << ": SetWindowPos failed (" << GetLastError() << ")";
      return false;
    }
    const std::string expected = tooltest::SettledPrefs(std::to_string(x), std::to_string(y));
    std::string bytes;
    const ULONGLONG deadline = GetTickCount64() + 5000;
    while ((bytes = wintest::ReadFileBytes(prefs)) != expected && GetTickCount64() < deadline) Sleep(1);
    EXPECT_EQ(expected, bytes) << "move " << i << " to (" << x << ", " << y << ")";
    return bytes == expected;
  };

  RunFlat("moves", moves, 1000, move);
}

}  // namespace
