// Text encodings of the settings store: the UTF-8 byte-order mark, the ISO-8859-1 to UTF-8
// expansion applied to files without the mark, and UTF-8 <-> UTF-16 for keys and values crossing
// the interface. Platform-free: UTF-16 is char16_t here (wchar_t is 32-bit on Linux).
#pragma once

#include <cstddef>
#include <string_view>

// 1 when `bytes` begins with EF BB BF.
bool PrefsHasUtf8Mark(const char* bytes, std::size_t size);

// How many bytes the ISO-8859-1 text grows by when converted to UTF-8: one per byte from 0x80 up.
std::size_t Latin1ExtraBytes(const char* text, std::size_t size);
// Converts `size` ISO-8859-1 bytes at the start of `buffer` to UTF-8 in place, working from the
// end backward; the buffer must hold size + Latin1ExtraBytes(...) bytes. Returns the new size.
std::size_t Latin1ToUtf8InPlace(char* buffer, std::size_t size);

// UTF-8 to UTF-16. Each maximal ill-formed subsequence becomes U+FFFD, as MultiByteToWideChar
// does on Vista and later. With a null `out` only the unit count is returned.
std::size_t Utf8ToUtf16(std::string_view utf8, char16_t* out);
// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD (EF BF BD). With a null `out` only the
// byte count is returned.
std::size_t Utf16ToUtf8(std::u16string_view utf16, char* out);
