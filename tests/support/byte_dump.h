// Bytes shown readably in test messages: printable ASCII as it is, everything else as \xNN, and
// where two byte strings part, so that a mismatch in a settings file (of any size) can be read.
// Platform-free.
#pragma once

#include <string>

namespace bytedump {

// Printable ASCII as it is; the backslash and every other byte as \xNN.
std::string Shown(const std::string& bytes);
// Both sizes, the offset of the first byte that differs and up to 24 bytes of each from there.
std::string Difference(const std::string& expected, const std::string& got);

}  // namespace bytedump
