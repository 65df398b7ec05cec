#include "app/reboot_request.h"

#include <windows.h>

#include <cstdint>

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/reboot_parameters.h"
#include "app/this_computer.h"
#include "gui/gadget/gadget.h"
#include "gui/requester/message_requester.h"
#include "gui/requester/modal_wait.h"
#include "runtime/launcher.h"
#include "runtime/system_library.h"
#include "runtime/text.h"

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 texts on Windows");

const char16_t* Units(const Text& text) { return reinterpret_cast<const char16_t*>(text.c_str()); }

Text BuildParameters() {
  const std::size_t length = RebootParametersBuild(Units(app.pcName), Units(app.timeoutText), Units(app.reasonText),
                                                   nullptr);
  wchar_t* buffer = TextScratch(length + 1);
  if (buffer == nullptr) return Text();
  RebootParametersBuild(Units(app.pcName), Units(app.timeoutText), Units(app.reasonText),
                        reinterpret_cast<char16_t*>(buffer));
  return Text(buffer, static_cast<std::int64_t>(length));
}

// FormatMessageW's text for a system error code, without its line end; empty when the system
// has none.
Text SystemMessage(DWORD code) {
  wchar_t* message = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
      reinterpret_cast<wchar_t*>(&message), 0, nullptr);
  if (length == 0 || message == nullptr) return Text();
  DWORD end = length;
  while (end > 0 && (message[end - 1] == L'\r' || message[end - 1] == L'\n' || message[end - 1] == L' ')) --end;
  Text text(message, end);
  LocalFree(message);
  return text;
}

// What to check next, for the exit codes of shutdown.exe a remote restart meets most. Only its
// exit codes get a hint: the same number from starting shutdown.exe means something else (5: this
// computer refused to run it; 87: a command line the system did not take). A hint that ends in a
// command is completed with \\<computer>, so that it can be copied and run as it stands.
struct ExitCodeHint {
  DWORD code;
  const wchar_t* text;
  bool endsInCommand;
};

constexpr const wchar_t* NetworkHint =
    L"Check the computer's name, that it is on and reachable from here, and that its firewall lets "
    L"remote administration in (on Windows, the File and Printer Sharing rules).";
constexpr const wchar_t* ScheduledHint =
    L"A restart or shutdown is already scheduled or under way there. A scheduled one is cancelled "
    L"with:\r\nshutdown /a /m ";

constexpr ExitCodeHint ExitCodeHints[] = {
    {ERROR_BAD_NETPATH, NetworkHint, false},
    {RPC_S_SERVER_UNAVAILABLE, NetworkHint, false},
    {ERROR_ACCESS_DENIED,
     L"The account running RebootPC needs administrator rights on that computer, with the right "
     L"\"Force shutdown from a remote system\". A local (non-domain) account is refused over the "
     L"network by Remote UAC unless that computer allows it (LocalAccountTokenFilterPolicy = 1).",
     false},
    {1190 /* ERROR_SHUTDOWN_IS_SCHEDULED */, ScheduledHint, true},
    {ERROR_SHUTDOWN_IN_PROGRESS, ScheduledHint, true},
    {ERROR_INVALID_PARAMETER,
     L"Check the timeout: shutdown.exe takes 0 to 315360000 seconds on current Windows (30-1800 is "
     L"this tool's advice). The notice may hold at most 512 characters.",
     false},
};

// The hint for an exit code of shutdown.exe; empty for a code without one.
Text HintForExitCode(DWORD code) {
  for (const ExitCodeHint& hint : ExitCodeHints) {
    if (hint.code != code) continue;
    if (!hint.endsInCommand) return hint.text;
    return TextJoin({hint.text, L"\\\\", app.pcName.c_str()});
  }
  return Text();
}

// What went wrong, for the admin: which computer, the system's explanation, what to check next
// when there is a hint, and the code to look up or quote. A code of 0 (the system gave no
// reason) is not shown as one.
void ShowFailure(const wchar_t* what, DWORD code, const Text& hint = Text()) {
  Text explanation = code == ERROR_SUCCESS ? Text(L"Windows gave no reason.") : SystemMessage(code);
  if (explanation.empty()) explanation = L"The system has no description for this code.";
  const Text advice = hint.empty() ? Text() : TextJoin({L"\r\n\r\n", hint.c_str()});
  const Text number = code == ERROR_SUCCESS ? Text() : TextJoin({L"\r\n\r\nError code: ", NumberToText(code).c_str()});
  const Text text = TextJoin(
      {what, L" \\\\", app.pcName.c_str(), L".\r\n\r\n", explanation.c_str(), advice.c_str(), number.c_str()});
  MessageRequest(L"Error", text.c_str(), MB_OK | MB_ICONERROR);
}

// Asked before the computer the tool runs on is restarted: a slip, a habit or a pasted name must
// not end the admin's own work. No is the default button, so Enter keeps the computer running.
bool ThisComputerRestartConfirmed() {
  const Text text = TextJoin({L"\"", app.pcName.c_str(),
                              L"\" is this computer.\r\n\r\nRestarting it closes all its programs, RebootPC "
                              L"included, without saving their work, after the timeout."});
  return MessageRequest(L"Restart this computer?", text.c_str(), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

void ResetForm() {
  GadgetSetText(NameField, L"");
  GadgetSetText(TimeoutField, L"30");
  GadgetSetText(NoticeField, L"");
  GadgetSetFocus(NameField);
  app.charsLeft = NoticeLimit;
  GadgetSetText(CounterLabel, CounterText(app.charsLeft).c_str());
}

}  // namespace

void SubmitReboot() {
  app.pcName = GadgetGetText(NameField);
  app.timeoutText = GadgetGetText(TimeoutField);
  app.reasonText = GadgetGetText(NoticeField);

  if (TextEqual(app.pcName.c_str(), L"")) {
    MessageRequest(L"Error", L"You must enter a valid computer name!", MB_OK | MB_ICONERROR);
    return;
  }
  if (TextEqual(app.reasonText.c_str(), L"")) {
    MessageRequest(L"Error", L"You must notify the user of a reason for the reboot!", MB_OK | MB_ICONERROR);
    return;
  }
  if (IsThisComputer(app.pcName.c_str()) && !ThisComputerRestartConfirmed()) {
    GadgetSetFocus(NameField);
    return;
  }

  const Text parameters = BuildParameters();
  // The operating system's own shutdown.exe. A bare "shutdown" would be looked for in the
  // application's folder and the current folder (where reboot.prefs lives) before the system
  // folder, so a planted shutdown.exe there would run with the admin's rights.
  wchar_t program[MAX_PATH];
  if (!SystemFolderFile(L"shutdown.exe", program)) {
    ShowFailure(L"shutdown.exe could not be started to restart", GetLastError());
    return;
  }
  // Started hidden: shutdown.exe is a console program, and one started in a normal window gets
  // a console window that takes the activation from the tool; on Windows 11 the console host
  // even hands it to Windows Terminal, whose tab (perhaps in a terminal the admin has open)
  // keeps the keyboard afterwards. A program started with SW_HIDE is never handed over, and
  // its console window stays hidden. The launcher's LaunchHidden (SW_HIDE and a console of its
  // own) rather than CREATE_NO_WINDOW: the shell, tried when direct creation fails, honours the
  // same show state. Nothing is lost with the window: shutdown.exe writes only an error line,
  // and its exit code tells the tool what went wrong.
  // A launch that returns 0 has started nothing: everything it can fail at comes before the
  // process is created, and the last error says why.
  SetLastError(ERROR_SUCCESS);
  const std::int64_t launched = ProgramLaunch(program, parameters.c_str(), L"", LaunchHidden | LaunchKeep);
  const DWORD launchError = GetLastError();
  if (launched == 0) {
    ShowFailure(L"shutdown.exe could not be started to restart", launchError);
    return;
  }
  // A computer that is off keeps shutdown.exe in its connection attempts for 20 s and more:
  // the window waits painting and answering, with the wait cursor, and takes no input.
  if (const LaunchedProgram* record = ProgramRecord(launched); record && record->process) ModalWait(record->process);
  const std::int64_t exitCode = ProgramExitCode(launched);
  ProgramFree(launched);
  if (exitCode < 0) {
    // No exit code to read (the shell started no process): success cannot be confirmed.
    const Text text = TextJoin({L"shutdown.exe gave no result for \\\\", app.pcName.c_str(),
                                L".\r\n\r\nCheck whether the computer restarts before trying again."});
    MessageRequest(L"Error", text.c_str(), MB_OK | MB_ICONERROR);
    return;
  }
  if (exitCode != 0) {
    ShowFailure(L"shutdown.exe reported an error for", static_cast<DWORD>(exitCode),
                HintForExitCode(static_cast<DWORD>(exitCode)));
    return;
  }
  ResetForm();
}

void UpdateCharsLeft() {
  app.charsLeft -= TextLength(GadgetGetText(NoticeField).c_str());
  GadgetSetText(CounterLabel, CounterText(app.charsLeft).c_str());
  app.charsLeft = NoticeLimit;
}
