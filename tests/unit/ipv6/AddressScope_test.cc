// Scope classification and the scope names.
#include <arpa/inet.h>

#include <string>
#include <vector>

#include "host/KelTrace.h"
#include "tests/unit/ipv6/Ipv6TestUtil.h"

namespace {

class AddressScopeTest : public ipv6test::AgentTest {
 protected:
  // The scope of `text` from the binary overload.
  int BinaryScope(const char* text) {
    in6_addr addr;
    EXPECT_EQ(inet_pton(AF_INET6, text, &addr), 1) << text;
    return m_Agent.DIPv6GetAddrScope(&addr);
  }
};

TEST(ScopeNamesTest, NamesAreIndexedByScopeNumber) {
  const std::vector<std::string> expected = {
      "Unknown", "Link-local", "Site-local", "Global", "Loopback", "Unspecified", "V4-mapped",
      "V4-compat", "Multicast", "Multicast-nodelocal", "Multicast-linklocal", "Multicast-sitelocal",
      "Multicast-orglocal", "Multicast-global"};
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(scopeDescr[i], expected[i]) << i;
}

struct ScopeRow {
  const char* text;
  int scope;
};

TEST_F(AddressScopeTest, Classification) {
  const std::vector<ScopeRow> rows = {
      {"::", 5}, {"::1", 4}, {"::2", 7}, {"::192.0.2.1", 7}, {"::ffff:192.0.2.1", 6},
      {"::ffff:0:0", 6}, {"fe80::1", 1}, {"febf::1", 1}, {"fec0::1", 2}, {"feff::1", 2},
      {"fe7f::1", 0},  // just below fe80::/10
      {"2001:db8::1", 3}, {"2000::", 3}, {"3fff:ffff:ffff:ffff:ffff:ffff:ffff:ffff", 3},
      {"1fff:ffff:ffff:ffff:ffff:ffff:ffff:ffff", 0}, {"4000::1", 0}, {"fc00::1", 0},
      {"fd00::1", 0}, {"ff01::1", 9}, {"ff02::1", 10}, {"ff05::2", 11}, {"ff08::1", 12},
      {"ff0e::1", 13}, {"ff03::1", 8}, {"ff04::1", 8}, {"ff00::", 8}, {"ff0f::1", 8},
      {"ff12::1", 10}, {"ff3e::8000:1", 13},  // flag bits of the second octet are ignored
      // Neither mapped nor compatible: octets 10 and 11 are neither both 0 nor both 0xFF.
      {"::fffe:0:1", 0},
      {"::1:0:0", 0},
  };
  for (const ScopeRow& row : rows) {
    EXPECT_EQ(m_Agent.DIPv6GetAddrScope(row.text), row.scope) << row.text;
    EXPECT_EQ(BinaryScope(row.text), row.scope) << row.text;
  }
}

TEST_F(AddressScopeTest, TextThatIsNoAddressIsUnknown) {
  EXPECT_EQ(m_Agent.DIPv6GetAddrScope("2001:db8::/32"), 0);
  EXPECT_EQ(m_Agent.DIPv6GetAddrScope(""), 0);
  EXPECT_EQ(m_Agent.DIPv6GetAddrScope(static_cast<const char*>(nullptr)), 0);
  EXPECT_EQ(m_Agent.DIPv6GetAddrScope(static_cast<const in6_addr*>(nullptr)), 0);
}

TEST_F(AddressScopeTest, TraceLines) {
  KelTraceCapture trace(4);
  m_Agent.DIPv6GetAddrScope("fe80::1");
  EXPECT_EQ(trace.Text(),
            "\nENTER : CDiscoIPv6Agent::DIPv6GetAddrScope(const char *)\n"
            " --CDiscoIPv6Agent::DIPv6GetAddrScope(const char *) input addr[fe80::1]\n"
            "\nENTER : CDiscoIPv6Agent::DIPv6GetAddrScope(in6_addr *)\n"
            " --CDiscoIPv6Agent::DIPv6GetAddrScope(in6_addr *) found scope[Link-local]\n"
            "LEAVE : CDiscoIPv6Agent::DIPv6GetAddrScope(in6_addr *)\n"
            "LEAVE : CDiscoIPv6Agent::DIPv6GetAddrScope(const char *)\n");
  trace.Clear();
  BinaryScope("ff0e::1");
  EXPECT_TRUE(trace.Contains(" --CDiscoIPv6Agent::DIPv6GetAddrScope(in6_addr *) found scope[Multicast-global]\n"));
}

}  // namespace
