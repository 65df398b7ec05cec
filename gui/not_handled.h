// NotHandled: a gadget kind's answer that a message is not its business, after which the window
// procedure falls back to the default processing. The 32-bit pattern 0xD0D0D0D1, sign-extended.
#pragma once

#include <cstdint>

constexpr std::int64_t NotHandled = static_cast<std::int64_t>(0xFFFFFFFFD0D0D0D1ULL);
