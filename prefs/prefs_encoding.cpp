#include "prefs/prefs_encoding.h"

#include <cstdint>


namespace {

constexpr char32_t kReplacement = 0xFFFD;

std::uint8_t Byte(char c) { return static_cast<std::uint8_t>(c); }

bool InRange(std::uint8_t b, std::uint8_t low, std::uint8_t high) { return b >= low && b <= high; }

// Decodes one code point at `at`; on an ill-formed sequence returns U+FFFD and consumes the
// maximal subpart (at least one byte), the W3C/Unicode "substitution of maximal subparts".
char32_t DecodeOne(std::string_view text, std::size_t& at) {
  const std::uint8_t lead = Byte(text[at++]);
  if (lead < 0x80) return lead;
  int trail = 0;
  char32_t value = 0;
  std::uint8_t low = 0x80;
  std::uint8_t high = 0xBF;
  if (InRange(lead, 0xC2, 0xDF)) {
    trail = 1;
    value = lead & 0x1F;
  } else if (InRange(lead, 0xE0, 0xEF)) {
    trail = 2;
    value = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (InRange(lead, 0xF0, 0xF4)) {
    trail = 3;
    value = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return kReplacement;
  }
  for (int i = 0; i < trail; ++i) {
    if (at >= text.size()) return kReplacement;
    const std::uint8_t next = Byte(text[at]);
    if (!InRange(next, i == 0 ? low : 0x80, i == 0 ? high : 0xBF)) return kReplacement;
    value = (value << 6) | (next & 0x3F);
    ++at;
  }
  return value;
}

}  // namespace

bool PrefsHasUtf8Mark(const char* bytes, std::size_t size) {
  return size >= 3 && Byte(bytes[0]) == 0xEF && Byte(bytes[1]) == 0xBB && Byte(bytes[2]) == 0xBF;
}

std::size_t Latin1ExtraBytes(const char* text, std::size_t size) {
  std::size_t extra = 0;
  for (std::size_t i = 0; i < size; ++i) extra += Byte(text[i]) >> 7;
  return extra;
}

std::size_t Latin1ToUtf8InPlace(char* buffer, std::size_t size) {
  const std::size_t total = size + Latin1ExtraBytes(buffer, size);
  std::size_t to = total;
  for (std::size_t from = size; from > 0;) {
    const std::uint8_t b = Byte(buffer[--from]);
    if (b < 0x80) {
      buffer[--to] = static_cast<char>(b);
    } else {
      buffer[--to] = static_cast<char>(0x80 + (b & 0x3F));
      buffer[--to] = static_cast<char>(0xC0 + (b >> 6));
    }
  }
  return total;
}

std::size_t Utf8ToUtf16(std::string_view utf8, char16_t* out) {
  std::size_t units = 0;
  for (std::size_t at = 0; at < utf8.size();) {
    const char32_t value = DecodeOne(utf8, at);
    if (value >= 0x10000) {
      if (out) {
        out[units] = static_cast<char16_t>(0xD800 + ((value - 0x10000) >> 10));
        out[units + 1] = static_cast<char16_t>(0xDC00 + ((value - 0x10000) & 0x3FF));
      }
      units += 2;
    } else {
      if (out) out[units] = static_cast<char16_t>(value);
      ++units;
    }
  }
  return units;
}

std::size_t Utf16ToUtf8(std::u16string_view utf16, char* out) {
  std::size_t bytes = 0;
  auto put = [&](std::uint32_t b) {
    if (out) out[bytes] = static_cast<char>(b);
    ++bytes;
  };
  for (std::size_t at = 0; at < utf16.size(); ++at) {
    char32_t value = utf16[at];
    if (value >= 0xD800 && value <= 0xDBFF && at + 1 < utf16.size() && utf16[at + 1] >= 0xDC00 &&
        utf16[at + 1] <= 0xDFFF) {
      value = 0x10000 + ((value - 0xD800) << 10) + (utf16[at + 1] - 0xDC00);
      ++at;
    } else if (value >= 0xD800 && value <= 0xDFFF) {
      value = kReplacement;
    }
    if (value < 0x80) {
      put(value);
    } else if (value < 0x800) {
      put(0xC0 | (value >> 6));
      put(0x80 | (value & 0x3F));
    } else if (value < 0x10000) {
      put(0xE0 | (value >> 12));
      put(0x80 | ((value >> 6) & 0x3F));
      put(0x80 | (value & 0x3F));
    } else {
      put(0xF0 | (value >> 18));
      put(0x80 | ((value >> 12) & 0x3F));
      put(0x80 | ((value >> 6) & 0x3F));
      put(0x80 | (value & 0x3F));
    }
  }
  return bytes;
}
