#include "runtime/common_controls.h"

#include <commctrl.h>
#include <shlwapi.h>

#include "runtime/system_library.h"

namespace {

using InitCommonControlsExProc = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
using DllGetVersionProc = HRESULT(CALLBACK*)(DLLVERSIONINFO*);

HMODULE CommonControlsModule() {
  static const HMODULE module = SideBySideLibraryLoad(L"comctl32.dll");
  return module;
}

template <typename Proc>
Proc Entry(const char* name) {
  return SystemLibraryEntry<Proc>(CommonControlsModule(), name);
}

}  // namespace

bool CommonControlsInit(DWORD classes) {
  const auto init = Entry<InitCommonControlsExProc>("InitCommonControlsEx");
  INITCOMMONCONTROLSEX request{sizeof request, classes};
  return init && init(&request);
}

DWORD CommonControlsVersion() {
  const auto getVersion = Entry<DllGetVersionProc>("DllGetVersion");
  DLLVERSIONINFO info{};
  info.cbSize = sizeof info;
  if (!getVersion || FAILED(getVersion(&info))) return 1;
  return info.dwMajorVersion * 65536 + info.dwMinorVersion;
}
