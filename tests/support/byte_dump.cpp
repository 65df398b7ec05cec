#include "tests/support/byte_dump.h"

namespace bytedump {

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

std::string Hex(const std::string& bytes, std::size_t from, std::size_t count) {
  std::string out;
  for (std::size_t i = from; i < bytes.size() && i < from + count; ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
    out += ' ';
  }
  return out;
}

}  // namespace

std::string Shown(const std::string& bytes) {
  std::string shown;
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      shown += static_cast<char>(c);
    } else {
      shown += "\\x";
      shown += kDigits[c >> 4];
      shown += kDigits[c & 15];
    }
  }
  return shown;
}

std::string Difference(const std::string& expected, const std::string& got) {
  std::size_t at = 0;
  while (at < expected.size() && at < got.size() && expected[at] == got[at]) ++at;
  return "sizes " + std::to_string(expected.size()) + " expected, " + std::to_string(got.size()) +
         " got; first difference at byte " + std::to_string(at) + "\n  expected " + Hex(expected, at, 24) +
         "\n  got      " + Hex(got, at, 24);
}

}  // namespace bytedump
