// Addresses written out in a computer name: which forms read as an address, which of them are
// this computer's loopback, and that one address written two ways is one address.
#include "app/network_address.h"

#include <string>

#include <gtest/gtest.h>

namespace {

std::string Shown(const char16_t* text) {
  std::string out;
  for (; *text; ++text) out += static_cast<char>(*text);
  return out;
}

TEST(NetworkAddress, ReadsTheFormsWindowsReadsAndKnowsTheLoopback) {
  struct Row {
    const char16_t* text;
    bool read;
    bool loopback;
  };
  const Row rows[] = {
      {u"127.0.0.1", true, true},
      {u"127.1", true, true},
      {u"127.0.1", true, true},
      {u"2130706433", true, true},
      {u"0x7F.0.0.1", true, true},
      {u"0177.0.0.1", true, true},
      {u"127.255.255.254", true, true},
      {u"128.0.0.1", true, false},
      {u"10.1.2.3", true, false},
      {u"::1", true, true},
      {u"0:0:0:0:0:0:0:1", true, true},
      {u"[::1]", true, true},
      {u"::1%1", true, true},
      {u"::ffff:127.0.0.1", true, true},
      {u"0--1.ipv6-literal.net", true, true},
      {u"0--1s1.IPV6-LITERAL.NET", true, true},
      {u"::", true, false},
      {u"fe80::1%12", true, false},
      {u"", false, false},
      {u"localhost", false, false},
      {u"pc01", false, false},
      {u"127.0.0.256", false, false},
      {u"127.0.0.1.", false, false},
      {u"127..1", false, false},
      {u"0x", false, false},
      {u"08.0.0.1", false, false},
      {u"1.2.3.4.5", false, false},
      {u"::1::", false, false},
      {u"1:2:3:4:5:6:7::8", false, false},
      {u"1:2:3:4:5:6:7:8:9", false, false},
      {u"12345::1", false, false},
      {u"::1%", false, false},
      {u"::1:", false, false},
  };
  for (const Row& row : rows) {
    NetworkAddress address{};
    const bool read = NetworkAddressRead(row.text, &address);
    EXPECT_EQ(row.read, read) << Shown(row.text);
    if (read) {
      EXPECT_EQ(row.loopback, NetworkAddressIsLoopback(address)) << Shown(row.text);
    }
  }
}

TEST(NetworkAddress, OneAddressWrittenTwoWaysIsOne) {
  struct Row {
    const char16_t* a;
    const char16_t* b;
    bool same;
  };
  const Row rows[] = {
      {u"::ffff:10.1.2.3", u"10.1.2.3", true},
      {u"FE80:0::1%3", u"fe80::1", true},
      {u"fe80::1:0:0:2", u"fe80:0:0:0:1::2", true},
      {u"10.1.2.3", u"10.1.2.4", false},
      {u"::a01:203", u"10.1.2.3", false},
  };
  for (const Row& row : rows) {
    NetworkAddress a{}, b{};
    ASSERT_TRUE(NetworkAddressRead(row.a, &a)) << Shown(row.a);
    ASSERT_TRUE(NetworkAddressRead(row.b, &b)) << Shown(row.b);
    EXPECT_EQ(row.same, NetworkAddressesEqual(a, b)) << Shown(row.a) << " and " << Shown(row.b);
  }
}

}  // namespace
