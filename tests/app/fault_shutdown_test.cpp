// Faults and bad input on the way to shutdown.exe, with the real RebootPC.exe: a shutdown.exe
// that takes 20 s (the tool waits, answering meanwhile, then resets the form), one that
// crashes (the error box, fields kept), and over a thousand generated field texts, each of which
// must reach shutdown.exe as exactly the text in the field.
#include <windows.h>

#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/app/evidence_session.h"
#include "tests/app/tool_fixture.h"

namespace {

using tooltest::Entry;
using tooltest::TextOf;

using ShutdownFaultTest = RunningToolTest;

TEST_F(ShutdownFaultTest, SlowShutdownIsWaitedForThenTheFormIsResetAndTheToolAnswersAgain) {
  ASSERT_TRUE(wintest::WriteFileBytes(tooltest::SystemSteerFile(), recorder::RecorderSteering(0, 20000)));
  Start();
  ASSERT_TRUE(Fill(L"pc-slow", L"60", L"Taking my time", Entry::Set));
  const ULONGLONG submitted = GetTickCount64();
  evidence::PostSubmit(main_);

  // While shutdown.exe waits on a computer that is off, the window answers the system.
  wintest::Pump(3000);
  EXPECT_TRUE(run_->Running());
  EXPECT_TRUE(Answers(1000)) << "the tool did not answer while shutdown.exe ran";
  EXPECT_TRUE(tooltest::Records().empty());

  ASSERT_TRUE(wintest::WaitUntil([] { return !tooltest::Records().empty(); }, 40000)) << "shutdown.exe never ended";
  ASSERT_TRUE(wintest::WaitUntil([&] { return evidence::FormIsReset(main_); }, 10000)) << "the form was not reset";
  const ULONGLONG waited = GetTickCount64() - submitted;
  EXPECT_GE(waited, 19500u) << "the form was reset before shutdown.exe had ended";
  const recorder::Record record = tooltest::Records().front();
  EXPECT_EQ(20000u, record.sleptMs);
  EXPECT_EQ(tooltest::Show(tooltest::ExpectedArgv(L"pc-slow", L"60", L"Taking my time")), tooltest::Show(record.argv));

  // It takes the next request.
  EXPECT_TRUE(Answers(2000));
  ASSERT_TRUE(tooltest::SteerRecorder(0));
  ASSERT_TRUE(Fill(L"pc-next", L"30", L"Again", Entry::Set));
  evidence::PostSubmit(main_);
  ASSERT_TRUE(wintest::WaitUntil([] { return tooltest::Records().size() == 2; }, 20000));
  EXPECT_TRUE(wintest::WaitUntil([&] { return evidence::FormIsReset(main_); }, 10000));
  EXPECT_EQ(tooltest::Show(tooltest::ExpectedArgv(L"pc-next", L"30", L"Again")), tooltest::Show(tooltest::Records().back().argv));
}

TEST_F(ShutdownFaultTest, CrashingShutdownShowsTheErrorBoxAndKeepsTheFields) {
  ASSERT_TRUE(wintest::WriteFileBytes(tooltest::SystemSteerFile(), recorder::RecorderSteering(0, 0, true)));
  Start();
  ASSERT_TRUE(Fill(L"pc-crash", L"45", L"It will crash", Entry::Set));
  evidence::PostSubmit(main_);
  std::wstring text;
  ASSERT_TRUE(tooltest::AnswerMessageBox(*run_, L"Error", VK_RETURN, &text)) << "no error box";
  EXPECT_NE(std::wstring::npos, text.find(L"\\\\pc-crash")) << wintest::Narrow(text);
  // STATUS_ACCESS_VIOLATION as the exit code.
  EXPECT_NE(std::wstring::npos, text.find(L"3221225477")) << wintest::Narrow(text);
  EXPECT_EQ(1u, tooltest::Records().size());
  EXPECT_EQ(L"pc-crash", TextOf(Gadget(0)));
  EXPECT_EQ(L"45", TextOf(Gadget(4)));
  EXPECT_EQ(L"It will crash", TextOf(Gadget(5)));
  EXPECT_TRUE(Answers(2000));
}

// --- Generated field texts ----------------------------------------------------------------------

// Units and pieces the quoting must survive: quotes, backslashes (alone, doubled, before a
// quote), blanks, tabs, slashes and switches, letters beyond ASCII and pairs beyond U+FFFF.
const wchar_t* const kPieces[] = {L"\"",  L"\\",       L"\\\"", L"\\\\", L" ",       L"\t",  L"  ",  L"/s",
                                  L"-c", L"a",        L"Z",    L"0",    L"\u00e9",  L"\u20ac", L"\U0001F600",
                                  L"\U0010FFFD", L"\\\\\"", L"x y", L"'", L"%PATH%", L"^&|<>"};
// Typed pieces: no tab (it moves the focus between fields, as it should).
const wchar_t* const kTypedPieces[] = {L"\"", L"\\", L"\\\"", L" ", L"/s", L"a", L"Z", L"0", L"\u00e9", L"\U0001F600"};

template <std::size_t N>
std::wstring Generate(std::mt19937& random, const wchar_t* const (&pieces)[N], std::size_t maxUnits) {
  std::wstring text;
  const std::size_t wanted = 1 + random() % maxUnits;
  while (text.size() < wanted) {
    const std::wstring piece = pieces[random() % N];
    if (text.size() + piece.size() > maxUnits) break;
    text += piece;
  }
  if (text.empty()) text = L"a";
  return text;
}

// A 512-unit notice, the field's limit, ending in a run of backslashes half the time.
std::wstring FullNotice(std::mt19937& random) {
  std::wstring text;
  while (text.size() < 512) {
    std::wstring piece = kPieces[random() % (sizeof kPieces / sizeof kPieces[0])];
    if (text.size() + piece.size() > 512) piece = L"q";
    text += piece;
  }
  if (random() % 2) text.replace(508, 4, L"\\\\\\\\");
  return text;
}

struct Request {
  std::wstring name;
  std::wstring timeout;
  std::wstring notice;
  Entry entry;
};

std::vector<Request> GenerateRequests(std::size_t count) {
  std::mt19937 random(1207);
  std::vector<Request> requests;
  for (std::size_t i = 0; i < count; ++i) {
    Request request;
    request.entry = i < 12 ? Entry::Type : i < 24 ? Entry::Paste : Entry::Set;
    if (request.entry == Entry::Type) {
      request.name = Generate(random, kTypedPieces, 24);
      request.notice = Generate(random, kTypedPieces, 60);
    } else {
      request.name = Generate(random, kPieces, 40);
      request.notice = i % 25 == 0 ? FullNotice(random) : Generate(random, kPieces, 120);
    }
    // Digits as a user types them, sometimes none; set directly (as a paste into the field
    // can) also blanks and quotes, which the quoting must carry too.
    const std::size_t digits = random() % 8;
    for (std::size_t d = 0; d < digits; ++d) request.timeout += static_cast<wchar_t>(L'0' + random() % 10);
    if (request.entry == Entry::Set && i % 7 == 0) request.timeout = Generate(random, kPieces, 12);
    requests.push_back(request);
  }
  return requests;
}

TEST_F(ShutdownFaultTest, EveryFieldTextArrivesAsExactlyOneArgument) {
  ASSERT_TRUE(evidence::InstallFastRecorder());
  Start();
  // Three field texts per request: 350 requests carry 1,050 generated values.
  const std::vector<Request> requests = GenerateRequests(350);
  evidence::RecordTail tail(tooltest::SystemRecordFile());
  int wrong = 0;
  for (std::size_t i = 0; i < requests.size() && wrong < 10; ++i) {
    const Request& request = requests[i];
    ASSERT_TRUE(Fill(request.name, request.timeout, request.notice, request.entry))
        << "request " << i << ": the fields did not take " << tooltest::Show({request.name, request.timeout, request.notice})
        << "\n  they hold " << tooltest::Show({TextOf(Gadget(0)), TextOf(Gadget(4)), TextOf(Gadget(5))});
    if (request.entry == Entry::Set) {
      evidence::PostSubmit(main_);
    } else {
      wintest::PressKey(VK_RETURN);
    }
    const std::vector<recorder::Record> records = tail.WaitTake(20000);
    ASSERT_FALSE(records.empty()) << "request " << i << ": shutdown.exe was not run";
    ASSERT_TRUE(wintest::WaitUntil([&] { return evidence::FormIsReset(main_); }, 10000)) << "request " << i;
    const std::vector<std::wstring> expected = tooltest::ExpectedArgv(request.name, request.timeout, request.notice);
    const std::vector<std::wstring> got = evidence::SplitCommandLine(records.front().commandLine);
    if (!tooltest::SameArgv(expected, got)) {
      ++wrong;
      ADD_FAILURE() << "request " << i << "\n  expected " << tooltest::Show(expected) << "\n  got      "
                    << tooltest::Show(got);
    }
    EXPECT_EQ(1u, records.size()) << "request " << i;
  }
  EXPECT_EQ(0, wrong);
}

}  // namespace
