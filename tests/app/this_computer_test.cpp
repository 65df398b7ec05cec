// Which names are this computer: the literal address forms Windows reads, loopback or an
// adapter's, and names that only look alike.
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/this_computer.h"

namespace {

// The first IPv4 address of an adapter that is not the loopback one, as text; empty when none.
std::wstring AdapterAddress() {
  ULONG bytes = 64 * 1024;
  std::vector<unsigned char> buffer(bytes);
  auto* list = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data());
  if (GetAdaptersAddresses(AF_INET, 0, nullptr, list, &bytes) != NO_ERROR) return L"";
  for (; list; list = list->Next) {
    for (auto* own = list->FirstUnicastAddress; own; own = own->Next) {
      const auto* in = reinterpret_cast<const sockaddr_in*>(own->Address.lpSockaddr);
      const unsigned char* b = reinterpret_cast<const unsigned char*>(&in->sin_addr);
      if (b[0] != 127) return std::to_wstring(b[0]) + L"." + std::to_wstring(b[1]) + L"." +
                              std::to_wstring(b[2]) + L"." + std::to_wstring(b[3]);
    }
  }
  return L"";
}

TEST(ThisComputer, AddressLiteralsAndLookAlikes) {
  struct Row {
    const wchar_t* name;
    bool thisComputer;
  };
  const Row rows[] = {
      {L"127.0.0.1", true},   {L"127.1", true},        {L"2130706433", true},       {L"0x7F.0.0.1", true},
      {L"0177.0.0.1", true},  {L"127.255.255.254", true}, {L"::1", true},           {L"[::1]", true},
      {L"::1%1", true},       {L"0:0:0:0:0:0:0:1", true}, {L"::ffff:127.0.0.1", true},
      {L"0--1.ipv6-literal.net", true},                   {L"0--1s1.IPV6-LITERAL.NET", true},
      {L"128.0.0.1", false},  {L"127.0.0.256", false}, {L"127.0.0.1.", false},      {L"1.2.3.4.5", false},
      {L"::", false},         {L"::2", false},         {L"localhost.", false},      {L"local", false},
      {L"pc01", false},       {L"", false},
  };
  for (const Row& row : rows) {
    std::string shown(row.name, row.name + lstrlenW(row.name));
    EXPECT_EQ(row.thisComputer, IsThisComputer(row.name)) << "[" << shown << "]";
  }
  const std::wstring adapter = AdapterAddress();
  if (adapter.empty()) GTEST_SKIP() << "no adapter with an IPv4 address";
  EXPECT_TRUE(IsThisComputer(adapter.c_str())) << "an adapter's address";
}

}  // namespace
