// Loading a settings file's text: the buffer it is read into, the encoding rule (the UTF-8 mark,
// else ISO-8859-1 converted to UTF-8) and the one pass that parses the text in place into lines.
// Platform-free; the Win32 layer reads the file straight into PrefsTextAlloc's buffer.
#pragma once

#include <cstddef>

#include "prefs/prefs_lines.h"

// A runtime-heap buffer for `size` bytes of file text plus the two zero bytes put after it;
// null when it cannot be allocated. PrefsTextAdopt hands it to the content, which frees it.
char* PrefsTextAlloc(std::size_t size);

// Takes over `buffer` (from PrefsTextAlloc, `size` bytes of text read into it) as the content's
// text: without the mark the text is ISO-8859-1 and is converted to UTF-8 first. Then parses it.
// `content` must hold nothing. On an allocation failure the buffer is released (wiped), `content`
// is left empty and the result is false.
bool PrefsTextAdopt(PrefsContent* content, char* buffer, std::size_t size, bool hadMark);

// Parses the content's text in place into lines appended in file order: blanks skipped, the
// first character decides the kind, pieces cut out by writing zero bytes at their ends, and the
// run of CR and LF ending the line skipped. False when a line block cannot be allocated.
bool PrefsParse(PrefsContent* content);

// The whole load of a file's bytes held in memory: the mark check, one buffer, decode, parse.
// A zero-byte file or the mark alone is an empty UTF-8 file.
bool PrefsLoadBytes(PrefsContent* content, const char* bytes, std::size_t size);
