// Network addresses written out in a computer name, read as Windows reads them, with no name
// resolution and free of Win32 (UTF-16 as char16_t), so that the forms are checked natively:
// - IPv4 in the forms inet_addr takes: one to four parts, each decimal, octal (a leading 0) or
//   hexadecimal (0x), the last filling the bytes left ("127.1", "0x7f.0.0.1", "2130706433");
// - IPv6 in its text forms: up to eight groups of hex digits, one "::", a dotted IPv4 tail, a
//   zone after "%", in brackets or not; an IPv4-mapped address (::ffff:a.b.c.d) reads as IPv4;
// - IPv6 in the form UNC names take, "-" for ":" and "s" for "%": "0--1.ipv6-literal.net".
#pragma once

#include <cstddef>

struct NetworkAddress {
  bool ipv6;
  unsigned char bytes[16];  // network order; IPv4 in the first four
};

// False, `address` unspecified, when the text is no address literal.
bool NetworkAddressRead(const char16_t* text, NetworkAddress* address);
// 127.0.0.0/8 or ::1.
bool NetworkAddressIsLoopback(const NetworkAddress& address);
bool NetworkAddressesEqual(const NetworkAddress& a, const NetworkAddress& b);
