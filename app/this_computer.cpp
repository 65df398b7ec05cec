#include "app/this_computer.h"

// The adapter records hold Winsock addresses: winsock2.h before windows.h.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <iphlpapi.h>

#include "app/network_address.h"
#include "runtime/memory.h"
#include "runtime/scoped.h"
#include "runtime/system_library.h"

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 texts on Windows");

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

bool SameAsSocketAddress(const NetworkAddress& address, const SOCKADDR* socket) {
  NetworkAddress own{};
  if (socket->sa_family == AF_INET) {
    own.ipv6 = false;
    CopyMemory(own.bytes, &reinterpret_cast<const sockaddr_in*>(socket)->sin_addr, 4);
  } else if (socket->sa_family == AF_INET6) {
    own.ipv6 = true;
    CopyMemory(own.bytes, &reinterpret_cast<const sockaddr_in6*>(socket)->sin6_addr, 16);
  } else {
    return false;
  }
  return NetworkAddressesEqual(address, own);
}

// iphlpapi.dll is loaded only for a name that is an address: the tool imports none of it.
bool IsAdapterAddress(const NetworkAddress& address) {
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
  NetworkAddress address{};
  if (!NetworkAddressRead(reinterpret_cast<const char16_t*>(name), &address)) return false;
  return NetworkAddressIsLoopback(address) || IsAdapterAddress(address);
}
