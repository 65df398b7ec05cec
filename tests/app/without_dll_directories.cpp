// A test build of the tool as it runs where the system lacks SetDefaultDllDirectories (Vista, 7
// without update KB2533623): the runtime's lookup of it finds nothing. Linked as an object, this
// comes before the runtime archive, whose lookup is then not pulled in.
#include "runtime/system_library.h"

SetDefaultDllDirectoriesProc DefaultDllDirectoriesEntry() { return nullptr; }
