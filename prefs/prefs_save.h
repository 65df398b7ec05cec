// The writer's form of a settings file: the UTF-8 mark and a line end, then every line as
// "[name]", "; text" or "key = value", each ended by CR LF. The size is worked out first so
// the whole content is built in one buffer and written with one call. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>

#include "prefs/prefs_lines.h"

// The option bits of the written form, given to PrefsOpen and PrefsCreate (prefs.h).
constexpr std::uint32_t PrefsTightEquals = 1;        // "key=value" instead of "key = value"
constexpr std::uint32_t PrefsSpaceBeforeGroups = 2;  // an empty line before every group line but the first

// The exact number of bytes PrefsSaveTo writes.
std::size_t PrefsSavedSize(const PrefsContent& content, std::uint32_t options);
// Writes the saved form into `out`, which holds PrefsSavedSize bytes; returns the bytes written.
std::size_t PrefsSaveTo(const PrefsContent& content, std::uint32_t options, char* out);
