// The admin password leaves no copy in the process's heaps, through the real procedures: the
// first start's prompts (LoadSettings, PromptCredentials, the input requester typed into with
// SendInput) and their save, and a later start that reads the stored file. Every heap of the
// process (GetProcessHeaps) is walked, busy and free blocks alike, for the password in clear and
// scrambled with ROT47, each as UTF-16 and as UTF-8.
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <string>

#include <gtest/gtest.h>

#include "app/rot47.h"
#include "app/settings.h"
#include "gui/window/window.h"
#include "prefs/prefs.h"
#include "tests/gui/requester/requester_driver.h"
#include "tests/support/win_test.h"

namespace {

const DWORD kMainThread = GetCurrentThreadId();

// ASCII, so its UTF-8 form is a byte per unit. Short enough for the edit control's first buffer
// (15 units under Wine): a control that outgrows its buffer frees the old one holding the start
// of what was typed, which nothing outside the control can wipe. The test never holds it in a
// heap block: the typed pieces fit std::wstring's own storage.
constexpr wchar_t kPassword[] = L"Qv7#Lk2@Zp9!Xw";
constexpr std::size_t kUnits = sizeof kPassword / sizeof kPassword[0] - 1;
constexpr std::size_t kPiece = 7;

// The four forms of the password looked for, built on the stack.
struct Forms {
  const char* names[4] = {"clear UTF-16", "ROT47 UTF-16", "clear UTF-8", "ROT47 UTF-8"};
  wchar_t clear16[kUnits + 1] = {};
  wchar_t rot16[kUnits + 1] = {};
  char clear8[kUnits] = {};
  char rot8[kUnits] = {};

  Forms() {
    std::copy(kPassword, kPassword + kUnits + 1, clear16);
    std::copy(kPassword, kPassword + kUnits + 1, rot16);
    Rot47Apply(reinterpret_cast<char16_t*>(rot16));
    for (std::size_t i = 0; i < kUnits; ++i) {
      clear8[i] = static_cast<char>(clear16[i]);
      rot8[i] = static_cast<char>(rot16[i]);
    }
  }
  const unsigned char* Bytes(int form) const {
    const void* bytes[4] = {clear16, rot16, clear8, rot8};
    return static_cast<const unsigned char*>(bytes[form]);
  }
  std::size_t UnitBytes(int form) const { return form < 2 ? sizeof(wchar_t) : 1; }
};

// A freed block gives its first bytes to the heap's own bookkeeping, so a copy left in one is
// found by any run of this many units of the password.
constexpr std::size_t kRun = 6;

// How many bytes from `data` on, up to `size`, are committed and readable: under Wine 10 the walk
// can give a block whose size reaches into pages that are not committed, and reading there faults.
std::size_t ReadableBytes(const unsigned char* data, std::size_t size) {
  std::size_t readable = 0;
  MEMORY_BASIC_INFORMATION region{};
  while (readable < size && VirtualQuery(data + readable, &region, sizeof region) == sizeof region &&
         region.State == MEM_COMMIT && !(region.Protect & (PAGE_GUARD | PAGE_NOACCESS))) {
    readable = static_cast<std::size_t>(static_cast<const unsigned char*>(region.BaseAddress) + region.RegionSize - data);
  }
  return std::min(readable, size);
}

// One place a form was found. The walk allocates nothing: it holds the heaps locked, and a
// block allocated meanwhile would change what it walks.
struct Trace {
  int form;
  std::size_t unit;  // where in the password the run begins
  DWORD heap;
  const void* block;
  bool busy;
};

// Every block of the process's heaps that holds a run of one of the forms (the first 32).
std::string Traces(const Forms& forms) {
  HANDLE heaps[256];
  const DWORD heapCount = std::min<DWORD>(GetProcessHeaps(256, heaps), 256);
  Trace traces[32];
  int found = 0;
  for (DWORD heap = 0; heap < heapCount; ++heap) {
    if (!HeapLock(heaps[heap])) continue;
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(heaps[heap], &entry)) {
      if (entry.wFlags & (PROCESS_HEAP_REGION | PROCESS_HEAP_UNCOMMITTED_RANGE)) continue;
      const auto* data = static_cast<const unsigned char*>(entry.lpData);
      const unsigned char* const end = data + ReadableBytes(data, entry.cbData);
      // Each form once per block: the first run of it found there.
      for (int form = 0; form < 4 && found < 32; ++form) {
        const std::size_t run = kRun * forms.UnitBytes(form);
        for (std::size_t unit = 0; unit + kRun <= kUnits; ++unit) {
          const unsigned char* pattern = forms.Bytes(form) + unit * forms.UnitBytes(form);
          if (std::search(data, end, pattern, pattern + run) == end) continue;
          traces[found++] = Trace{form, unit, heap, entry.lpData, (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0};
          break;
        }
      }
    }
    HeapUnlock(heaps[heap]);
  }
  std::string report;
  for (int i = 0; i < found; ++i) {
    char line[160];
    wsprintfA(line, "\n  %s from unit %u in heap %lu, %s block at %p", forms.names[traces[i].form],
              static_cast<unsigned>(traces[i].unit), traces[i].heap, traces[i].busy ? "a busy" : "a free",
              traces[i].block);
    report += line;
  }
  return report;
}

// Answers the three prompts on the main thread as a user does: a domain, a name and the password
// typed, each with Enter.
void AnswerPrompts() {
  for (int prompt = 0; prompt < 3; ++prompt) {
    const reqtest::InputDialog dialog = reqtest::FindInputDialog(kMainThread);
    if (!dialog.focused) break;
    if (prompt < 2) {
      wintest::TypeText(prompt == 0 ? L"CORP" : L"admin");
    } else {
      wintest::TypeText(std::wstring(kPassword, kPiece));
      wintest::TypeText(std::wstring(kPassword + kPiece, kUnits - kPiece));
    }
    const int typed[] = {4, 5, static_cast<int>(kUnits)};
    wintest::WaitUntil([&] { return GetWindowTextLengthW(dialog.field) == typed[prompt]; }, 2000);
    wintest::PressKey(VK_RETURN);
    if (!reqtest::WaitGone(dialog.window)) {
      ADD_FAILURE() << "prompt " << prompt << " did not go on Enter";
      PostMessageW(dialog.window, WM_CLOSE, 0, 0);
    }
  }
}

TEST(CredentialsMemory, ThePasswordLeavesNoCopyInTheHeapsAfterThePromptsTheSaveAndALaterStart) {
  ControlsInit();  // the requester's field is the Common Controls 6 edit, as in the tool
  PrefsInit();
  wintest::ScratchFolder folder;
  const wintest::ScopedCurrentFolder current(folder.path());
  const Forms forms;
  ASSERT_EQ("", Traces(forms)) << "before anything was typed";

  {
    reqtest::Answerer user(AnswerPrompts);
    ASSERT_TRUE(LoadSettings());
  }
  EXPECT_EQ("", Traces(forms)) << "after the first start's prompts and save";

  ASSERT_TRUE(LoadSettings());
  EXPECT_EQ("", Traces(forms)) << "after a start that read the stored file";
  PrefsEnd();

  // The password did go through: the file holds its scrambled form. Read last, since the test's
  // own copies of the file would be found too.
  const std::string stored = wintest::ReadFileBytes(folder.File(L"reboot.prefs"));
  EXPECT_NE(std::string::npos, stored.find("AdminPass = " + std::string(forms.rot8, kUnits))) << stored;
}

}  // namespace
