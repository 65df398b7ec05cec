// Random input on the real RebootPC.exe, with the fast recording stand-in as
// system32\shutdown.exe: each seed starts the tool in an empty folder and drives it with a
// seeded sequence of typing, pasting, Tab, Backspace, Enter, clicks, moves, minimising, the About
// box, "Reset Credentials", requesters answered at random, quits and restarts. After every action:
// - the tool has ended only through Control+Q or a close, with exit code 0, and otherwise answers
//   (WM_NULL within 5 s);
// - every launch's argv is the three fields as they stood just before the submit, and after a
//   launch the form is reset with the focus in the name field; Enter with the focus on "Reset
//   Credentials" (after a Tab) asks the reset question instead and launches nothing;
// - the counter shows 512 minus the notice's length;
// - reboot.prefs parses, holding its six keys in order and the window's last position.
// Every failure names the seed and the action's index. REBOOTPC_RANDOM_SEEDS ("7 9") and
// REBOOTPC_RANDOM_ACTIONS (per seed) replay a failure: the sequence depends on the seed alone.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/app/evidence_session.h"
#include "tests/app/tool_driver.h"
#include "tests/support/win_test.h"

namespace {

using tooltest::TextOf;
using tooltest::ToolRun;
using wintest::Narrow;

constexpr int kDefaultActions = 600;
const std::uint32_t kDefaultSeeds[] = {1, 2, 3, 4, 5};
constexpr int kCounterLabel = 6;
constexpr int kResetButton = 8;
const char* const kPrefsKeys[] = {"FirstRun", "RebootX", "RebootY", "AdminName", "AdminPass", "Domain"};
const wchar_t* const kPrompts[] = {L"Domain required", L"Admin Name Required", L"Password required"};
// What is typed and pasted: quoting's hard cases, blanks, letters beyond ASCII.
const wchar_t kUnits[] = L"abcXYZ019 -_.\"\\/\u00fc\u20ac";

enum Action {
  Type, Paste, Tab, ShiftTab, Backspace, ClickField, Enter, ClickSubmit, Move, Drag, Minimise, About, Reset, Quit,
  Close, kActionCount
};
const char* const kActionNames[] = {"type", "paste", "Tab", "Shift+Tab", "Backspace", "click a field", "Enter",
                                    "click Submit", "move", "drag", "minimise", "About", "Reset Credentials",
                                    "Control+Q", "close"};
// How often each action is drawn, in the order above.
const int kWeights[] = {24, 6, 10, 4, 8, 10, 6, 6, 5, 1, 2, 2, 2, 1, 1};
static_assert(sizeof kWeights / sizeof kWeights[0] == kActionCount);

std::vector<std::uint32_t> SeedsFromEnvironment() {
  const std::wstring value = wintest::EnvironmentText(L"REBOOTPC_RANDOM_SEEDS");
  if (value.empty()) return std::vector<std::uint32_t>(std::begin(kDefaultSeeds), std::end(kDefaultSeeds));
  std::vector<std::uint32_t> seeds;
  std::wistringstream words(value);
  for (std::uint32_t seed = 0; words >> seed;) seeds.push_back(seed);
  return seeds;
}

// One seed's run: the tool in fresh folders, driven until the actions are done or one fails.
class RandomRun {
 public:
  explicit RandomRun(std::uint32_t seed) : seed_(seed), random_(seed), tail_(tooltest::SystemRecordFile()) {}

  // False after the first failure, which has been reported.
  bool Run(int actions) {
    if (!Start(true)) return false;
    for (index_ = 0; index_ < actions; ++index_) {
      action_ = Draw();
      if (!Act(action_) || !Check()) return false;
    }
    ++index_;
    return Finish(Quit);
  }

  int launches() const { return launches_; }
  int restarts() const { return restarts_; }

 private:
  bool Fail(const std::string& what) {
    ADD_FAILURE() << "seed " << seed_ << ", action " << index_ << " (" << kActionNames[action_] << "): " << what;
    return false;
  }

  int Below(int bound) { return static_cast<int>(random_() % static_cast<std::uint32_t>(bound)); }

  Action Draw() {
    int total = 0;
    for (int weight : kWeights) total += weight;
    int pick = Below(total);
    int action = 0;
    while (pick >= kWeights[action]) pick -= kWeights[action++];
    return static_cast<Action>(action);
  }

  std::wstring RandomText(int longest) {
    std::wstring text(static_cast<std::size_t>(1 + Below(longest)), L' ');
    for (wchar_t& unit : text) unit = kUnits[Below(static_cast<int>(std::size(kUnits)) - 1)];
    return text;
  }

  HWND Field(int pick) const {
    const int numbers[] = {0, 4, 5};
    return GetDlgItem(main_, numbers[pick]);
  }

  // A first start answers the three questions at random: typed and Enter, or Escape.
  bool Start(bool first) {
    run_.reset();
    run_ = std::make_unique<ToolRun>(app_.path(), work_.path());
    if (!run_->started()) return Fail("the tool did not start: " + run_->startFailure());
    if (first) {
      for (const wchar_t* title : kPrompts) {
        const bool answered = Below(3) != 0 ? tooltest::AnswerInput(*run_, title, RandomText(8))
                                            : tooltest::CancelInput(*run_, title);
        if (!answered) return Fail("the first start's prompt \"" + Narrow(title) + "\" could not be answered");
      }
    }
    main_ = run_->WaitMainWindow();
    if (!main_) return Fail("no main window");
    return wintest::BringToFront(main_) || Fail("the main window could not be brought to the front");
  }

  // Ends the tool with Control+Q or a close; it must end with exit code 0 and leave the file with
  // its last position.
  bool Finish(Action how) {
    if (how == Close && !tooltest::ShowCloseBox(main_)) return Fail("the close box could not be brought on the screen");
    RECT frame{};
    GetWindowRect(main_, &frame);
    if (how == Quit) {
      wintest::BringToFront(main_);
      wintest::PressKey('Q', true);
    } else if (!tooltest::ClickCloseBox(main_, [&] { return !run_->Running(); })) {
      return Fail("the close box did not end the tool");
    }
    DWORD code = 99;
    if (!run_->WaitExit(5000, &code)) return Fail("the tool did not end");
    if (code != 0) return Fail("the tool ended with exit code " + std::to_string(code));
    return PrefsHold(frame.left, frame.top);
  }

  bool Act(Action action) {
    if (action != Move && action != Minimise && !wintest::BringToFront(main_)) {
      return Fail("the main window could not be brought to the front");
    }
    switch (action) {
      case Type:
        wintest::TypeText(RandomText(12));
        return true;
      case Paste:
        return tooltest::PasteText(RandomText(40)) || Fail("the clipboard could not be filled");
      case Tab:
      case ShiftTab:
        wintest::PressKey(VK_TAB, false, action == ShiftTab);
        return true;
      case Backspace:
        wintest::PressKey(VK_BACK);
        return true;
      case ClickField:
        return tooltest::ClickInto(*run_, Field(Below(3))) || Fail("a click did not put the focus in the field");
      case Enter:
      case ClickSubmit:
        return Submit(action);
      case Move:
        SetWindowPos(main_, nullptr, Below(700), Below(600), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return true;
      case Drag: {
        const int wantedX = Below(201) - 100;
        const int wantedY = Below(201) - 100;
        // The window stays wholly on the screen, so that every later click lands on it.
        RECT frame{};
        GetWindowRect(main_, &frame);
        tooltest::DragCaption(main_, std::clamp<LONG>(wantedX, -frame.left, GetSystemMetrics(SM_CXSCREEN) - frame.right),
                              std::clamp<LONG>(wantedY, -frame.top, GetSystemMetrics(SM_CYSCREEN) - frame.bottom));
        return true;
      }
      case Minimise:
        ShowWindow(main_, SW_MINIMIZE);
        wintest::Pump(50);
        ShowWindow(main_, SW_RESTORE);
        return true;
      case About:
        wintest::PressKey('A', true);
        return tooltest::AnswerMessageBox(*run_, L"About", VK_RETURN) || Fail("no About box, or it did not close");
      case Reset:
        return ResetCredentials();
      case Quit:
      case Close:
        ++restarts_;
        return Finish(action) && Start(false);
      case kActionCount:
        break;
    }
    return Fail("no such action");
  }

  bool Submit(Action how) {
    // Enter on a focused "Reset Credentials" presses that button: the reset question, no launch.
    if (how == Enter && run_->Focus() == GetDlgItem(main_, kResetButton)) {
      tail_.Take();
      wintest::PressKey(VK_RETURN);
      return AnswerResetQuestion() && (tail_.Take().empty() || Fail("Enter on Reset Credentials ran shutdown.exe"));
    }
    const std::wstring name = TextOf(Field(0));
    const std::wstring timeout = TextOf(Field(1));
    const std::wstring notice = TextOf(Field(2));
    tail_.Take();
    if (how == Enter) {
      wintest::PressKey(VK_RETURN);
    } else {
      RECT rect{};
      HWND submit = GetDlgItem(main_, 7);
      GetClientRect(submit, &rect);
      wintest::ClickClient(submit, rect.right / 2, rect.bottom / 2);
    }
    if (name.empty() || notice.empty()) {
      std::wstring text;
      if (!tooltest::AnswerMessageBox(*run_, L"Error", VK_RETURN, &text)) return Fail("no error box for an empty field");
      const std::wstring expected = name.empty() ? L"You must enter a valid computer name!"
                                                 : L"You must notify the user of a reason for the reboot!";
      if (text != expected) return Fail("error box \"" + Narrow(text) + "\"");
      if (!tail_.Take().empty()) return Fail("shutdown.exe ran for an incomplete form");
      return true;
    }
    std::vector<recorder::Record> records = tail_.WaitTake(10000);
    if (records.empty()) return Fail("shutdown.exe was not run");
    if (!wintest::WaitUntil([&] { return evidence::FormIsReset(main_); }, 5000)) return Fail("the form was not reset");
    auto more = tail_.Take();
    records.insert(records.end(), more.begin(), more.end());
    if (records.size() != 1) return Fail("shutdown.exe ran " + std::to_string(records.size()) + " times");
    ++launches_;
    const std::vector<std::wstring> argv = evidence::SplitCommandLine(records.front().commandLine);
    const std::vector<std::wstring> expected = tooltest::ExpectedArgv(name, timeout, notice);
    if (!tooltest::SameArgv(expected, argv)) {
      return Fail("argv " + tooltest::Show(argv) + ", expected " + tooltest::Show(expected));
    }
    return wintest::WaitUntil([&] { return run_->Focus() == Field(0); }, 3000) ||
           Fail("the focus is not in the name field after the launch");
  }

  bool ResetCredentials() {
    if (!tooltest::ClickButton(GetDlgItem(main_, kResetButton),
                               [&] { return run_->FindWindowOf(L"#32770", L"Reset Credentials") != nullptr; })) {
      return Fail("no Reset Credentials box");
    }
    return AnswerResetQuestion();
  }

  // Yes or No at random; after Yes, each question answered or cancelled at random.
  bool AnswerResetQuestion() {
    const bool yes = Below(2) == 0;
    if (!tooltest::AnswerMessageBox(*run_, L"Reset Credentials", yes ? 'Y' : 'N')) return Fail("the box did not close");
    if (!yes) return true;
    for (const wchar_t* title : kPrompts) {
      const bool answered = Below(3) != 0 ? tooltest::AnswerInput(*run_, title, RandomText(8))
                                          : tooltest::CancelInput(*run_, title);
      if (!answered) return Fail("the prompt \"" + Narrow(title) + "\" could not be answered");
    }
    return true;
  }

  // The invariants that hold between any two actions.
  bool Check() {
    if (!run_->Running()) {
      DWORD code = 99;
      run_->WaitExit(0, &code);
      return Fail("the tool ended by itself, exit code " + std::to_string(code));
    }
    if (!run_->Settle(main_)) return Fail("the tool did not answer WM_NULL within 5 s");
    const auto counterRight = [&] {
      const std::wstring expected =
          L"User Notification:\r\n(" + std::to_wstring(512 - TextOf(Field(2)).size()) + L" Chars Left)";
      return TextOf(GetDlgItem(main_, kCounterLabel)) == expected;
    };
    if (!wintest::WaitUntil(counterRight, 2000)) {
      return Fail("the counter shows \"" + Narrow(TextOf(GetDlgItem(main_, kCounterLabel))) + "\" for a notice of " +
                  std::to_string(TextOf(Field(2)).size()) + " units");
    }
    RECT frame{};
    GetWindowRect(main_, &frame);
    return PrefsHold(frame.left, frame.top);
  }

  // reboot.prefs is the mark and its line end, then the six keys in order as "key = value"
  // lines, "FirstRun" 0 and the position (x, y).
  bool PrefsHold(int x, int y) {
    std::string bytes;
    std::string problem;
    const auto holds = [&] {
      bytes = wintest::ReadFileBytes(work_.File(L"reboot.prefs"));
      const auto wrong = [&](const std::string& why) {
        problem = why;
        return false;
      };
      const std::string head = "\xEF\xBB\xBF\r\n";
      if (bytes.compare(0, head.size(), head) != 0) return wrong("no mark and line end");
      std::size_t at = head.size();
      for (const char* key : kPrefsKeys) {
        const std::size_t end = bytes.find("\r\n", at);
        const std::string prefix = std::string(key) + " = ";
        if (end == std::string::npos || bytes.compare(at, prefix.size(), prefix) != 0) {
          return wrong(std::string("no line for ") + key + " where it belongs");
        }
        const std::string value = bytes.substr(at + prefix.size(), end - at - prefix.size());
        const std::string wanted = key == kPrefsKeys[0]   ? "0"
                                   : key == kPrefsKeys[1] ? std::to_string(x)
                                   : key == kPrefsKeys[2] ? std::to_string(y)
                                                          : value;
        if (value != wanted) return wrong(std::string(key) + " is " + value + ", expected " + wanted);
        at = end + 2;
      }
      return at == bytes.size() || wrong("more after the six keys");
    };
    return wintest::WaitUntil(holds, 2000) || Fail("reboot.prefs: " + problem + "\n" + bytes);
  }

  const std::uint32_t seed_;
  std::mt19937 random_;
  wintest::ScratchFolder app_;
  wintest::ScratchFolder work_;
  evidence::RecordTail tail_;
  std::unique_ptr<ToolRun> run_;
  HWND main_ = nullptr;
  int index_ = 0;
  Action action_ = Type;
  int launches_ = 0;
  int restarts_ = 0;
};

TEST(RandomInput, TheToolKeepsItsInvariantsUnderSeededRandomInput) {
  ASSERT_TRUE(tooltest::StandInPreferred()) << "WINEDLLOVERRIDES must hold shutdown.exe=n";
  ASSERT_TRUE(evidence::InstallFastRecorder()) << "cannot install the fast stand-in";
  const int actions = static_cast<int>(wintest::EnvironmentNumber(L"REBOOTPC_RANDOM_ACTIONS", kDefaultActions));
  for (const std::uint32_t seed : SeedsFromEnvironment()) {
    const ULONGLONG start = GetTickCount64();
    RandomRun run(seed);
    const bool passed = run.Run(actions);
    std::printf("seed %u: %s, %d launches, %d restarts, %.1f s\n", seed, passed ? "passed" : "FAILED", run.launches(),
                run.restarts(), static_cast<double>(GetTickCount64() - start) / 1000.0);
    std::fflush(stdout);
  }
}

}  // namespace
