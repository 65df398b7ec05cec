#include "app/app_main.h"

#include <windows.h>

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/reboot_request.h"
#include "app/runtime_startup.h"
#include "app/settings.h"
#include "gui/requester/message_requester.h"
#include "gui/window/event_queue.h"
#include "runtime/memory.h"
#include "runtime/system_library.h"
#include "runtime/text.h"

AppState app;

namespace {

void Dispatch() {
  switch (app.eventKind) {
    case MenuEvent:
      switch (EventMenuItem()) {
        case AboutItem:
          MessageRequest(L"About", app.aboutText.c_str(), 0);
          break;
        case QuitItem:
          app.quitRequested = 1;
          break;
        case SubmitItem:
          if (EventSubtype() == Clicked) SubmitReboot();
          break;
        default:
          break;
      }
      break;
    case GadgetEvent:
      // A button acts on its click alone: any other notification of it (one an automation tool
      // posts, say) only informs, and passes the modal wait's refusal of what acts.
      switch (EventGadgetNumber()) {
        case SubmitButton:
          if (EventSubtype() == Clicked) SubmitReboot();
          break;
        case ResetButton:
          if (EventSubtype() != Clicked) break;
          app.resetAnswer = MessageRequest(L"Reset Credentials", L"Do you wish to reset your admin credentials?",
                                           MB_YESNO | MB_ICONQUESTION);
          if (app.resetAnswer == IDYES) PromptCredentials();
          break;
        case NoticeField:
          if (EventSubtype() == ContentChanged) UpdateCharsLeft();
          break;
        default:
          break;
      }
      break;
    case MoveWindowEvent:
      SavePosition();
      break;
    case CloseWindowEvent:
      SavePosition();
      app.quitRequested = 1;
      break;
    default:
      // Other kinds, and the numbers of Windows messages EventWait processed itself.
      break;
  }
}

}  // namespace

void TrimWorkingSet() { SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1)); }

void AppMain() {
  // Before anything can load a DLL: none may come from the program's or the current folder.
  DllSearchRestrict();
  app = AppState{};
  app.instanceHandle = GetModuleHandleW(nullptr);
  app.appHeap = RuntimeHeapCreate();

  RuntimeStartup();

  // REBOOTPC_VERSION comes from the build: project(RebootPC VERSION ...) in CMakeLists.txt.
  app.aboutText = TextJoin({L"Reboot a remote PC.\r\n",
                            L"RebootPC " REBOOTPC_VERSION " by the RebootPC project.\r\n",
                            L"Questions and bug reports: the RebootPC project's issue tracker"});
  app.windowTitle = L"Reboot PC";
  app.windowHeight = 130;
  app.windowWidth = 320;
  app.quitRequested = 0;
  app.charsLeft = NoticeLimit;

  // A first start that could not ask its questions ends as a start without a window does.
  if (LoadSettings() && MainWindowOpen()) {
    do {
      app.eventKind = static_cast<std::int32_t>(EventWait());
      TrimWorkingSet();
      Dispatch();
    } while (app.quitRequested != 1);
  } else {
    // No window means nothing could ever end the loop: the process would wait unseen for good.
    app.exitCode = 1;
  }

  RuntimeShutdown();
  // The texts go with their heap; the state's texts must not outlive it holding units.
  app.aboutText = Text();
  app.windowTitle = Text();
  app.pcName = Text();
  app.timeoutText = Text();
  app.reasonText = Text();
  StringsShutdown();
  RuntimeHeapDestroy();
  ExitProcess(static_cast<UINT>(app.exitCode));
}
