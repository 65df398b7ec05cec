// Values as numbers and texts: reading a signed 64-bit decimal the way the C library's "%I64d"
// does (clamped to the range), formatting one as "%I64i" does, and the blanks skipped at the
// start of a value that is read. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Leading white space (as isspace in the C locale), an optional '+' or '-', then decimal digits
// up to the first other character. No digits give 0; a number beyond the signed 64-bit range
// gives the nearest end of the range.
std::int64_t PrefsParseInteger(std::string_view value);

// Decimal digits, '-' for negative values, no '+', no leading zeros; `out` holds 20 bytes.
// Returns the bytes written (no terminator).
std::size_t PrefsFormatInteger(std::int64_t value, char* out);

// The value without the blanks (space, tab) at its start.
std::string_view PrefsSkipBlanks(std::string_view value);
