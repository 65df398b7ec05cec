#include "app/settings.h"

#include <windows.h>

#include <cstring>

#include "app/app_state.h"
#include "app/rot47.h"
#include "gui/requester/input_requester.h"
#include "gui/window/window.h"
#include "prefs/prefs.h"

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 texts on Windows");

// The position the system reports for a minimised window; such a stored position is replaced.
constexpr std::int64_t MinimizedPosition = -32000;
constexpr std::int64_t MinimizedReplacement = 5;

// The text scrambled with ROT47, built in the text scratch buffer; empty when that cannot grow.
// A secret text gives a secret text, and the scratch buffer is wiped: it held the answer in
// clear, then scrambled, and is reused by every later text.
Text Rot47Scrambled(const Text& text) {
  const auto units = static_cast<std::size_t>(text.size());
  wchar_t* scrambled = TextScratch(units + 1);
  if (!scrambled) return Text();
  std::memcpy(scrambled, text.c_str(), (units + 1) * sizeof(wchar_t));
  Rot47Apply(reinterpret_cast<char16_t*>(scrambled));
  Text result = text.secret() ? Text::Secret(scrambled, text.size()) : Text(scrambled, text.size());
  SecureZeroMemory(scrambled, (units + 1) * sizeof(wchar_t));
  return result;
}

// One prompt's answer, scrambled as it is stored; false when no dialog could be shown at all
// (no desktop), so that the empty text is no answer of the user's.
bool Ask(const wchar_t* title, const wchar_t* prompt, int flags, Text& answer) {
  bool shown = false;
  answer = Rot47Scrambled(InputRequester(title, prompt, L"", flags, &shown));
  return shown;
}

}  // namespace

bool LoadSettings() {
  if (PrefsOpen(SettingsFileName)) {
    app.windowX = PrefsReadInteger(L"RebootX", 0);
    app.windowY = PrefsReadInteger(L"RebootY", 0);
    if (app.windowX == MinimizedPosition) app.windowX = MinimizedReplacement;
    if (app.windowY == MinimizedPosition) app.windowY = MinimizedReplacement;
    PrefsClose();
    return true;
  }
  // Only a file that is really not there makes a first start. One that exists but cannot be read
  // now (held by another program without sharing, access denied, a folder of that name) keeps its
  // credentials: no questions, and above all no PrefsCreate, which would empty it.
  const DWORD openError = GetLastError();
  if (openError != ERROR_FILE_NOT_FOUND && openError != ERROR_PATH_NOT_FOUND) {
    PrefsClose();
    return true;
  }
  const bool created = PrefsCreate(SettingsFileName) != 0;
  PrefsOpen(SettingsFileName);
  PrefsWriteInteger(L"FirstRun", 1);
  PrefsWriteInteger(L"RebootX", 0);
  PrefsWriteInteger(L"RebootY", 0);
  PrefsWriteString(L"AdminName", L"");
  PrefsWriteString(L"AdminPass", L"");
  PrefsWriteString(L"Domain", L"");
  const bool asked = PrefsReadInteger(L"FirstRun", 0) != 1 || PromptCredentials();
  PrefsClose();
  // A first start that could ask nothing has not happened: the next start, on a desktop, must
  // still be a first start. The file did not exist before this start created it.
  if (!asked && created) DeleteFileW(SettingsFileName);
  return asked;
}

bool PromptCredentials() {
  // Opening saves what is pending first, so the file is complete before the first prompt.
  PrefsOpen(SettingsFileName);
  Text domain;
  Text name;
  Text password;
  const bool asked = Ask(L"Domain required", L"Please enter your domain.", 0, domain) &&
                     Ask(L"Admin Name Required", L"Please enter your domain admin name:", 0, name) &&
                     Ask(L"Password required", L"Please enter your admin password:", InputPassword, password);
  if (asked) {
    PrefsWriteString(L"Domain", domain.c_str());
    PrefsWriteString(L"AdminName", name.c_str());
    PrefsWriteString(L"AdminPass", password.c_str());
    PrefsWriteInteger(L"FirstRun", 0);
  }
  // With nothing written the file is not rewritten.
  PrefsClose();
  return asked;
}

void SavePosition() {
  // Minimised, the window is parked where no one sees it (-32000 on Windows, the bottom-left
  // corner under Wine); where it stood is where it is restored to.
  const POINT at = WindowRestoredPosition(MainWindow);
  PrefsOpen(SettingsFileName);
  PrefsWriteInteger(L"RebootX", at.x);
  PrefsWriteInteger(L"RebootY", at.y);
  PrefsClose();
}
