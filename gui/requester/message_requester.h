// The modal message box. Flags are MessageBoxW type flags, passed through unchanged
// (0 MB_OK, 16 MB_ICONERROR, 36 MB_YESNO | MB_ICONQUESTION); the result is the button id
// (1 IDOK, 6 IDYES, 7 IDNO), or 0 when the box cannot be shown.
#pragma once

#include <cstdint>

std::int64_t MessageRequest(const wchar_t* title, const wchar_t* text, std::uint32_t flags = 0);
