#include "prefs/prefs_scan.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

std::uint64_t Load(const char* at) {
  std::uint64_t word;
  std::memcpy(&word, at, sizeof word);
  return word;
}

// Nonzero when some byte of `word` is zero (the classic test: it has no false positives when
// used only to decide whether to look at the eight bytes one by one).
std::uint64_t HasZeroByte(std::uint64_t word) { return (word - kOnes) & ~word & kHighBits; }

std::uint64_t HasByte(std::uint64_t word, char byte) {
  return HasZeroByte(word ^ (kOnes * static_cast<std::uint8_t>(byte)));
}

template <typename WordHits, typename ByteHits>
std::size_t FindFirst(const char* text, std::size_t size, WordHits wordHits, ByteHits byteHits) {
  std::size_t at = 0;
  for (; at + 8 <= size; at += 8) {
    if (wordHits(Load(text + at))) break;
  }
  for (; at < size; ++at) {
    if (byteHits(text[at])) return at;
  }
  return size;
}

// The high bits of a word moved down to one bit per byte, summed by the multiply into the top byte.
std::size_t HighBytesIn(std::uint64_t word) {
  return static_cast<std::size_t>((((word & kHighBits) >> 7) * kOnes) >> 56);
}

}  // namespace

std::size_t PrefsFindLineEnd(const char* text, std::size_t size) {
  return FindFirst(
      text, size, [](std::uint64_t word) { return HasByte(word, '\r') | HasByte(word, '\n'); },
      [](char c) { return c == '\r' || c == '\n'; });
}

std::size_t PrefsFindByte(const char* text, std::size_t size, char byte) {
  return FindFirst(
      text, size, [byte](std::uint64_t word) { return HasByte(word, byte); }, [byte](char c) { return c == byte; });
}

std::size_t PrefsCountHighBytes(const char* text, std::size_t size) {
  std::size_t count = 0;
  std::size_t at = 0;
  // Text is mostly ASCII: 32 bytes at a time are looked at closer only when one is high.
  for (; at + 32 <= size; at += 32) {
    const std::uint64_t words[4] = {Load(text + at), Load(text + at + 8), Load(text + at + 16), Load(text + at + 24)};
    if (((words[0] | words[1] | words[2] | words[3]) & kHighBits) == 0) continue;
    for (std::uint64_t word : words) count += HighBytesIn(word);
  }
  for (; at + 8 <= size; at += 8) count += HighBytesIn(Load(text + at));
  for (; at < size; ++at) count += static_cast<std::uint8_t>(text[at]) >> 7;
  return count;
}
