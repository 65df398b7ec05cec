#include "app/network_address.h"

#include <cstdint>

namespace {

// Longer than any address with its zone: a longer text is no address.
constexpr std::size_t kLongest = 96;
constexpr char kUncSuffix[] = ".ipv6-literal.net";
constexpr std::size_t kUncSuffixLength = sizeof kUncSuffix - 1;

int DigitValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

char16_t AsciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

bool EndsWithUncSuffix(const char16_t* text, std::size_t length) {
  if (length <= kUncSuffixLength) return false;
  const char16_t* tail = text + length - kUncSuffixLength;
  for (std::size_t i = 0; i < kUncSuffixLength; ++i) {
    if (AsciiLower(tail[i]) != static_cast<char16_t>(kUncSuffix[i])) return false;
  }
  return true;
}

// IPv4 as inet_addr reads it.
bool ReadIpv4(const char16_t* text, std::size_t length, unsigned char* out) {
  std::uint64_t parts[4];
  std::size_t count = 0;
  std::size_t i = 0;
  for (;;) {
    if (count == 4) return false;
    unsigned base = 10;
    if (i + 1 < length && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
      base = 16;
      i += 2;
    } else if (i < length && text[i] == u'0') {
      base = 8;
    }
    std::uint64_t value = 0;
    std::size_t digits = 0;
    for (; i < length && text[i] != u'.'; ++i, ++digits) {
      const int digit = DigitValue(text[i]);
      if (digit < 0 || static_cast<unsigned>(digit) >= base) return false;
      value = value * base + static_cast<unsigned>(digit);
      if (value > 0xFFFFFFFFu) return false;
    }
    if (digits == 0) return false;
    parts[count++] = value;
    if (i == length) break;
    if (++i == length) return false;  // a dot at the end
  }
  const unsigned lastBits = 8 * static_cast<unsigned>(5 - count);
  if (lastBits < 32 && parts[count - 1] >> lastBits) return false;
  std::uint64_t address = 0;
  for (std::size_t k = 0; k + 1 < count; ++k) {
    if (parts[k] > 255) return false;
    address = address << 8 | parts[k];
  }
  address = address << lastBits | parts[count - 1];
  for (int k = 0; k < 4; ++k) out[k] = static_cast<unsigned char>(address >> (24 - 8 * k));
  return true;
}

// The dotted tail of an IPv6 address: four decimal parts.
bool ReadDottedQuad(const char16_t* text, std::size_t length, unsigned char* out) {
  std::size_t i = 0;
  for (int part = 0; part < 4; ++part) {
    if (part > 0 && (i == length || text[i++] != u'.')) return false;
    unsigned value = 0;
    std::size_t digits = 0;
    for (; i < length && digits < 4 && text[i] >= u'0' && text[i] <= u'9'; ++i, ++digits) {
      value = value * 10 + static_cast<unsigned>(text[i] - u'0');
    }
    if (digits == 0 || digits > 3 || value > 255) return false;
    out[part] = static_cast<unsigned char>(value);
  }
  return i == length;
}

// IPv6 groups, without brackets or zone.
bool ReadIpv6(const char16_t* text, std::size_t length, unsigned char* out) {
  std::uint16_t groups[8];
  std::size_t count = 0;
  std::size_t gap = 8;  // where "::" stands; 8: nowhere
  std::size_t i = 0;
  if (length >= 2 && text[0] == u':' && text[1] == u':') {
    gap = 0;
    i = 2;
  }
  while (i < length) {
    std::size_t end = i;
    bool dotted = false;
    for (; end < length && text[end] != u':'; ++end) dotted = dotted || text[end] == u'.';
    if (dotted) {
      unsigned char v4[4];
      if (end != length || count > 6 || !ReadDottedQuad(text + i, end - i, v4)) return false;
      groups[count++] = static_cast<std::uint16_t>(v4[0] << 8 | v4[1]);
      groups[count++] = static_cast<std::uint16_t>(v4[2] << 8 | v4[3]);
      break;
    }
    if (end == i || end - i > 4 || count == 8) return false;
    unsigned value = 0;
    for (; i < end; ++i) {
      const int digit = DigitValue(text[i]);
      if (digit < 0) return false;
      value = value << 4 | static_cast<unsigned>(digit);
    }
    groups[count++] = static_cast<std::uint16_t>(value);
    if (i == length) break;
    if (++i == length) return false;  // one colon at the end
    if (text[i] == u':') {
      if (gap != 8) return false;  // a second "::"
      gap = count;
      ++i;
    }
  }
  // "::" stands for one group at least.
  if (gap == 8 ? count != 8 : count > 7) return false;
  for (int k = 0; k < 16; ++k) out[k] = 0;
  const std::size_t after = gap == 8 ? 0 : count - gap;
  for (std::size_t k = 0; k < count; ++k) {
    const std::size_t slot = k < count - after ? k : 8 - count + k;
    out[2 * slot] = static_cast<unsigned char>(groups[k] >> 8);
    out[2 * slot + 1] = static_cast<unsigned char>(groups[k]);
  }
  return true;
}

// IPv6 with an optional zone, in brackets or not; an IPv4-mapped address becomes IPv4.
bool ReadIpv6Text(const char16_t* text, std::size_t length, NetworkAddress* address) {
  if (length >= 2 && text[0] == u'[' && text[length - 1] == u']') {
    ++text;
    length -= 2;
  }
  std::size_t end = 0;
  while (end < length && text[end] != u'%') ++end;
  if (end + 1 == length) return false;  // "%" and no zone
  unsigned char bytes[16];
  if (!ReadIpv6(text, end, bytes)) return false;
  bool mapped = bytes[10] == 0xFF && bytes[11] == 0xFF;
  for (int k = 0; k < 10; ++k) mapped = mapped && bytes[k] == 0;
  address->ipv6 = !mapped;
  for (int k = 0; k < 16; ++k) address->bytes[k] = mapped ? (k < 4 ? bytes[12 + k] : 0) : bytes[k];
  return true;
}

}  // namespace

bool NetworkAddressRead(const char16_t* text, NetworkAddress* address) {
  if (!text) return false;
  std::size_t length = 0;
  while (text[length] && length <= kLongest + kUncSuffixLength) ++length;
  if (length == 0 || length > kLongest + kUncSuffixLength) return false;
  if (EndsWithUncSuffix(text, length)) {
    length -= kUncSuffixLength;
    if (length > kLongest) return false;
    char16_t unc[kLongest];
    for (std::size_t i = 0; i < length; ++i) {
      const char16_t c = text[i];
      unc[i] = c == u'-' ? u':' : AsciiLower(c) == u's' ? u'%' : c;
    }
    return ReadIpv6Text(unc, length, address);
  }
  if (length <= kLongest && ReadIpv4(text, length, address->bytes)) {
    address->ipv6 = false;
    for (int k = 4; k < 16; ++k) address->bytes[k] = 0;
    return true;
  }
  return length <= kLongest && ReadIpv6Text(text, length, address);
}

bool NetworkAddressIsLoopback(const NetworkAddress& address) {
  if (!address.ipv6) return address.bytes[0] == 127;
  for (int k = 0; k < 15; ++k) {
    if (address.bytes[k] != 0) return false;
  }
  return address.bytes[15] == 1;
}

bool NetworkAddressesEqual(const NetworkAddress& a, const NetworkAddress& b) {
  if (a.ipv6 != b.ipv6) return false;
  for (int k = 0; k < (a.ipv6 ? 16 : 4); ++k) {
    if (a.bytes[k] != b.bytes[k]) return false;
  }
  return true;
}
