// Files that only the user running the program can open: created with a protected DACL (no
// entries inherited from the folder) that allows the user, SYSTEM and the Administrators group
// full access and no one else any, whatever the folder lets others do.
#pragma once

#include <windows.h>

// CreateFileW with that security descriptor and FILE_ATTRIBUTE_NORMAL, for the dispositions
// that create a file (CREATE_NEW, CREATE_ALWAYS). An existing file that CREATE_ALWAYS empties
// keeps its own permissions: CreateFileW ignores the descriptor when the file exists. Returns
// INVALID_HANDLE_VALUE with the last error set on failure, also when the descriptor cannot be
// built: the file is then not created rather than created readable by whoever the folder allows.
HANDLE CreatePrivateFile(const wchar_t* name, DWORD access, DWORD share, DWORD disposition);
