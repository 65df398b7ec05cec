#include "prefs/prefs_scan.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// The high bits of a word moved down to one bit per byte, summed by the multiply into the top byte.
std::size_t HighBytesIn(std::uint64_t word) {
  return static_cast<std::size_t>((((word & kHighBits) >> 7) * kOnes) >> 56);
}

#if defined(__SSE2__)
__m128i Load16(const char* at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)); }
#endif

// The first `a` or `b` in text[0, size): sixteen bytes at a time where the processor has SSE2
// (every x86-64 does), then eight, then one.
std::size_t FindEither(const char* text, std::size_t size, char a, char b) {
  std::size_t at = 0;
#if defined(__SSE2__)
  const __m128i wantA = _mm_set1_epi8(a);
  const __m128i wantB = _mm_set1_epi8(b);
  for (; at + 16 <= size; at += 16) {
    const __m128i bytes = Load16(text + at);
    const int hits = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, wantA), _mm_cmpeq_epi8(bytes, wantB)));
    if (hits) return at + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(hits)));
  }
#endif
  for (; at + 8 <= size; at += 8) {
    const std::uint64_t word = Load(text + at);
    if (HasByte(word, a) | HasByte(word, b)) break;
  }
  for (; at < size; ++at) {
    if (text[at] == a || text[at] == b) return at;
  }
  return size;
}

}  // namespace

std::size_t PrefsFindLineEnd(const char* text, std::size_t size) { return FindEither(text, size, '\r', '\n'); }

std::size_t PrefsFindByte(const char* text, std::size_t size, char byte) { return FindEither(text, size, byte, byte); }

std::size_t PrefsCountHighBytes(const char* text, std::size_t size) {
  std::size_t count = 0;
  std::size_t at = 0;
  // Text is mostly ASCII: 32 bytes at a time are looked at closer only when one is high.
#if defined(__SSE2__)
  for (; at + 32 <= size; at += 32) {
    const __m128i first = Load16(text + at);
    const __m128i second = Load16(text + at + 16);
    if (_mm_movemask_epi8(_mm_or_si128(first, second)) == 0) continue;
    count += static_cast<std::size_t>(__builtin_popcount(static_cast<unsigned>(_mm_movemask_epi8(first))) +
                                      __builtin_popcount(static_cast<unsigned>(_mm_movemask_epi8(second))));
  }
#else
  for (; at + 32 <= size; at += 32) {
    const std::uint64_t words[4] = {Load(text + at), Load(text + at + 8), Load(text + at + 16), Load(text + at + 24)};
    if (((words[0] | words[1] | words[2] | words[3]) & kHighBits) == 0) continue;
    for (std::uint64_t word : words) count += HighBytesIn(word);
  }
#endif
  for (; at + 8 <= size; at += 8) count += HighBytesIn(Load(text + at));
  for (; at < size; ++at) count += static_cast<std::uint8_t>(text[at]) >> 7;
  return count;
}
