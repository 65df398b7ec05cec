// The settings store: one current key/value settings file per process. PrefsOpen or PrefsCreate
// makes a file current, reads and writes work on it in memory, and PrefsClose saves it when it
// was changed, rewriting it whole through the handle it was opened with, and releases it. While
// a file is open for writing other processes may read it but not write it; a file that can only
// be opened read-only (last of all sharing writing with its writer) is never saved. Keys and
// texts are UTF-16 here and UTF-8 in the file; lookups and insertions see the leading section
// (before any group line). A file the store creates can be opened only by the user running the
// program, SYSTEM and the Administrators group (runtime/private_file.h). Every block that held a
// value (the file's text, values, conversions, the save) is wiped as it is freed.
#pragma once

#include <cstdint>

#include "prefs/prefs_save.h"  // the option bits given to PrefsOpen and PrefsCreate
#include "runtime/text.h"

// Start-up and teardown steps: the store's state record; PrefsEnd closes (and saves) the file.
void PrefsInit();
void PrefsEnd();

// Opens an existing file (read and write; else read-only). Nonzero on success. On failure the
// last error says why (ERROR_FILE_NOT_FOUND only when there is no such file) and the name is
// kept: reads give their defaults, writes are held, and PrefsClose creates the file if anything
// was written and no file of that name has appeared meanwhile.
int PrefsOpen(const wchar_t* name, std::uint32_t options = 0);
// Creates the file, replacing an existing one; it is current, empty and changed. Nonzero on success.
int PrefsCreate(const wchar_t* name, std::uint32_t options = 0);

// The value of `key` with the blanks at its start skipped, or `defaultText` (empty when null)
// when no file is current or the key is not there.
Text PrefsReadString(const wchar_t* key, const wchar_t* defaultText = nullptr);
// The value read as a signed decimal number ("%I64d": "12abc" gives 12, "abc" 0), or `defaultValue`.
std::int64_t PrefsReadInteger(const wchar_t* key, std::int64_t defaultValue = 0);

// Store a value under `key`, replacing it where it stands or adding a key line at the end of the
// leading section. CR and LF in a value are stored as blanks. Ignored when no file is current.
void PrefsWriteString(const wchar_t* key, const wchar_t* value);
void PrefsWriteInteger(const wchar_t* key, std::int64_t value);

// Saves a changed file (nothing for a read-only one) and keeps it current.
void PrefsFlush();
// Saves a changed file and releases it; afterwards no file is current.
void PrefsClose();
