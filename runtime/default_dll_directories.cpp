// Alone in its file, so that a test build can link a lookup that finds nothing in its place and
// run the tool as it runs on a system without the entry.
#include "runtime/system_library.h"

SetDefaultDllDirectoriesProc DefaultDllDirectoriesEntry() {
  static const auto entry = SystemLibraryEntry<SetDefaultDllDirectoriesProc>(GetModuleHandleW(L"kernel32.dll"),
                                                                              "SetDefaultDllDirectories");
  return entry;
}
