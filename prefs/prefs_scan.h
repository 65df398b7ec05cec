// Scans over a settings file's text, sixteen bytes at a time with SSE2 and eight without: where
// the next line end or a given byte stands, and how many bytes have their high bit set. A large
// file is scanned several times on load, and the C runtime's memchr is a byte loop on some
// systems (Wine's msvcrt among them). Platform-free.
#pragma once

#include <cstddef>

// The index of the first CR or LF in text[0, size), or `size` when there is none.
std::size_t PrefsFindLineEnd(const char* text, std::size_t size);
// The index of the first `byte` in text[0, size), or `size` when there is none.
std::size_t PrefsFindByte(const char* text, std::size_t size, char byte);
// How many bytes of text[0, size) are 0x80 or above.
std::size_t PrefsCountHighBytes(const char* text, std::size_t size);
