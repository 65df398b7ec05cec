#include "app/this_computer.h"

// The adapter records hold Winsock addresses: winsock2.h before windows.h.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <iphlpapi.h>

#include "runtime/memory.h"
#include "runtime/scoped.h"
#include "runtime/system_library.h"

namespace {

bool SameButForCase(const wchar_t* a, const wchar_t* b) {
  return CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL;
}

constexpr COMPUTER_NAME_FORMAT kOwnNames[] = {ComputerNameNetBIOS, ComputerNameDnsHostname,
                                              ComputerNameDnsFullyQualified};

bool IsOwnName(const wchar_t* name) {
  for (const COMPUTER_NAME_FORMAT format : kOwnNames) {
    wchar_t own[256];  // a DNS name has at most 255 characters
    DWORD units = 256;
    if (GetComputerNameExW(format, own, &units) && units > 0 && SameButForCase(name, own)) return true;
  }
  return false;
}

// An address literal; IPv4 also for an IPv4-mapped IPv6 address (::ffff:a.b.c.d).
struct Address {
  bool ipv6;
  unsigned char bytes[16];  // network order; IPv4 in the first four
};

// The literal forms as Windows itself reads them, through ntdll's parsers (the tool imports
// nothing of ntdll; it is in every process): IPv4 as inet_addr takes it ("127.1", "0x7f.0.0.1",
// "2130706433"); IPv6 with "::", a dotted tail, a zone, in brackets or not.
bool ReadAddress(const wchar_t* text, Address* address) {
  using Ipv4Proc = LONG(NTAPI*)(PCWSTR, BOOLEAN, PCWSTR*, IN_ADDR*);
  using Ipv6Proc = LONG(NTAPI*)(PCWSTR, IN6_ADDR*, ULONG*, USHORT*);
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  const auto ipv4 = SystemLibraryEntry<Ipv4Proc>(ntdll, "RtlIpv4StringToAddressW");
  const auto ipv6 = SystemLibraryEntry<Ipv6Proc>(ntdll, "RtlIpv6StringToAddressExW");
  IN_ADDR in4{};
  PCWSTR end = nullptr;
  if (ipv4 && ipv4(text, FALSE, &end, &in4) == 0 && *end == L'\0') {
    *address = Address{false, {}};
    CopyMemory(address->bytes, &in4, 4);
    return true;
  }
  IN6_ADDR in6{};
  ULONG zone = 0;
  USHORT port = 0;
  if (!ipv6 || ipv6(text, &in6, &zone, &port) != 0) return false;
  static const unsigned char kMappedPrefix[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF};
  const bool mapped = RtlEqualMemory(in6.s6_addr, kMappedPrefix, 12);
  *address = Address{!mapped, {}};
  CopyMemory(address->bytes, in6.s6_addr + (mapped ? 12 : 0), mapped ? 4 : 16);
  return true;
}

// The same address in the form UNC names take, "-" for ":" and "s" for "%":
// "0--1.ipv6-literal.net" is ::1.
bool ReadUncLiteral(const wchar_t* text, Address* address) {
  constexpr wchar_t kSuffix[] = L".ipv6-literal.net";
  constexpr int kSuffixLength = sizeof kSuffix / sizeof kSuffix[0] - 1;
  const int length = lstrlenW(text);
  if (length <= kSuffixLength || length - kSuffixLength > INET6_ADDRSTRLEN ||
      !SameButForCase(text + length - kSuffixLength, kSuffix)) {
    return false;
  }
  wchar_t ipv6[INET6_ADDRSTRLEN + 1];
  for (int i = 0; i < length - kSuffixLength; ++i) {
    ipv6[i] = text[i] == L'-' ? L':' : (text[i] == L's' || text[i] == L'S') ? L'%' : text[i];
  }
  ipv6[length - kSuffixLength] = L'\0';
  return ReadAddress(ipv6, address) && address->ipv6;
}

bool IsLoopback(const Address& address) {
  if (!address.ipv6) return address.bytes[0] == 127;
  static const unsigned char kLoopback[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
  return RtlEqualMemory(address.bytes, kLoopback, 16);
}

bool SameAsSocketAddress(const Address& address, const SOCKADDR* socket) {
  if (socket->sa_family == AF_INET) {
    return !address.ipv6 && RtlEqualMemory(address.bytes, &reinterpret_cast<const sockaddr_in*>(socket)->sin_addr, 4);
  }
  return socket->sa_family == AF_INET6 && address.ipv6 &&
         RtlEqualMemory(address.bytes, &reinterpret_cast<const sockaddr_in6*>(socket)->sin6_addr, 16);
}

// iphlpapi.dll is loaded only for a name that is an address: the tool imports none of it.
bool IsAdapterAddress(const Address& address) {
  using AdaptersAddressesProc = ULONG(WINAPI*)(ULONG, ULONG, void*, IP_ADAPTER_ADDRESSES*, ULONG*);
  const ScopedLibrary library(SystemLibraryLoad(L"iphlpapi.dll"));
  const auto adaptersAddresses = SystemLibraryEntry<AdaptersAddressesProc>(library.get(), "GetAdaptersAddresses");
  if (!adaptersAddresses) return false;
  constexpr ULONG kFlags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
  ULONG bytes = 16 * 1024;
  // The list can grow between the call that sizes it and the one that fills it.
  for (int attempt = 0; attempt < 3; ++attempt) {
    const ScopedMem<IP_ADAPTER_ADDRESSES> list(static_cast<IP_ADAPTER_ADDRESSES*>(RuntimeAlloc(bytes)));
    if (!list.get()) return false;
    const ULONG result = adaptersAddresses(AF_UNSPEC, kFlags, nullptr, list.get(), &bytes);
    if (result == ERROR_BUFFER_OVERFLOW) continue;  // `bytes` now holds the size needed
    if (result != NO_ERROR) return false;
    for (const IP_ADAPTER_ADDRESSES* adapter = list.get(); adapter; adapter = adapter->Next) {
      for (const IP_ADAPTER_UNICAST_ADDRESS* own = adapter->FirstUnicastAddress; own; own = own->Next) {
        if (SameAsSocketAddress(address, own->Address.lpSockaddr)) return true;
      }
    }
    return false;
  }
  return false;
}

}  // namespace

bool IsThisComputer(const wchar_t* name) {
  if (SameButForCase(name, L".") || SameButForCase(name, L"localhost") || IsOwnName(name)) return true;
  Address address{};
  if (!ReadAddress(name, &address) && !ReadUncLiteral(name, &address)) return false;
  return IsLoopback(address) || IsAdapterAddress(address);
}
