// Normalised form, short form, the validity test and scopes: what the
// reference vectors (ReferenceVectors_test) cannot give, as odd formats,
// buffer limits, null texts and the scope names.
#include <arpa/inet.h>

#include <string>
#include <vector>

#include "host/KelError.h"
#include "tests/unit/ipv6/Ipv6TestUtil.h"

namespace {

using ipv6test::kNull;
using ipv6test::Take;

constexpr const char* kByteWise = "20:01:0D:B8:00:00:00:00:00:00:00:00:00:00:00:01";
constexpr const char* kDocUpper = "2001:0DB8:0000:0000:0000:0000:0000:0001";

class AddressFormsTest : public ipv6test::AgentTest {};

TEST_F(AddressFormsTest, NormalisationRegroupsFormatOneWithinTheBuffer) {
  const std::string hex52(52, 'a');  // 13 groups and 12 colons: 64 characters
  const std::string grouped52 = [&] {
    std::string s;
    for (int g = 0; g < 13; ++g) s += (g ? ":" : "") + std::string(4, 'a');
    return s;
  }();
  // Plain addresses in every form are checked against ipaddress (ReferenceVectors_test).
  struct Row { std::string input; int fmt; std::string expected; };
  const Row rows[] = {
      {"2001:db8::1", 2, kDocUpper},
      {"2001:db8::0.0.0.1", 2, kDocUpper},
      {kDocUpper, 1, kDocUpper},  // normalised text regrouped once more is unchanged
      {"2001:db8::1", 1, "2001:db81"},  // format 1 regroups, it does not parse
      {"2001:db8::/32", 2, kNull},
      {"2001:db8::1", 3, kNull},
      {"2001:db8::1", 0, kNull},
      {"2001:db8::1", -1, kNull},
      {"", 1, kNull},
      {"", 2, kNull},
      {":::", 1, kNull},
      {"abc", 1, "abc"},
      {"abcd", 1, "abcd"},
      {"abcde", 1, "abcd:e"},
      {"abcd:", 1, "abcd:"},  // the input goes on after the fourth digit
      {"xyz1234", 1, "xyz1:234"},  // nothing is validated
      {hex52, 1, grouped52},  // exactly 64 characters fit
      {hex52.substr(1), 1, grouped52.substr(0, 63)},
      {hex52 + "a", 1, kNull},  // 66 characters would overrun the buffer
      {hex52 + ":", 1, kNull},  // the separator alone makes 65
      {hex52 + ":" + hex52, 1, kNull},
      {std::string(4000, 'f'), 1, kNull},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE("input \"" + row.input + "\" fmt " + std::to_string(row.fmt));
    KelErrorCapture errors;
    EXPECT_EQ(Take(m_Agent.DIPv6Normalization(row.input.c_str(), row.fmt)), row.expected);
    EXPECT_TRUE(errors.Reports().empty());
  }
}

TEST_F(AddressFormsTest, ShortFormOfWhatIsNoPlainAddress) {
  struct Row { std::string input, expected; };
  const Row rows[] = {
      {kDocUpper, "2001:db8::1"},
      {"2001:db8::0.0.0.1", "2001:db8::1"},
      {"2001:db8::/32", kNull},
      {"", kNull},
      {kByteWise, kNull},  // sixteen groups: not an address until regrouped
      {"::ffff:192.0.2.1", "::ffff:192.0.2.1"},  // the printer keeps the IPv4 tail
      {"not an address", kNull},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Take(m_Agent.DIPv6ShortFormat(row.input.c_str())), row.expected)
        << "input \"" << row.input << "\"";
  }
}

TEST_F(AddressFormsTest, ValidityByFormatAndItsReports) {
  const std::string overLong(300, 'a');
  struct Row { const char* input; int fmt; __boolean expected; int reports; };  // -220553 reports
  const Row rows[] = {
      {"2001:db8::1", 2, E_KBTrue, 0},
      {"2001:db8::1", 1, E_KBFalse, 0},
      {"2001:db8::1", 7, E_KBTrue, 0},  // any other format parses as 2 does
      {"2001:db8::1", 0, E_KBTrue, 0},
      {kByteWise, 1, E_KBTrue, 0},
      {kByteWise, 2, E_KBFalse, 0},
      {"20010db8000000000000000000000001", 1, E_KBTrue, 0},
      {"20010db800000000000000000000001", 1, E_KBTrue, 0},  // last group "001"
      {"20010db80000000000000000000000010", 1, E_KBFalse, 0},  // a ninth group
      {kDocUpper, 2, E_KBTrue, 0},
      {"::ffff:192.0.2.1", 2, E_KBTrue, 0},
      {"2001:db8::/32", 2, E_KBFalse, 0},
      {"fe80::1%eth0", 2, E_KBFalse, 0},
      {nullptr, 1, E_KBFalse, 0},
      {nullptr, 2, E_KBFalse, 0},
      {"", 1, E_KBFalse, 0},
      {"", 2, E_KBFalse, 0},
      // Nothing but colons regroups to nothing, which counts as a failed copy.
      {"::", 1, E_KBFalse, 1},
      {":::::", 1, E_KBFalse, 1},
      // Too long to regroup: quietly no address.
      {overLong.c_str(), 1, E_KBFalse, 0},
      {overLong.c_str(), 2, E_KBFalse, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string("input ") + (row.input ? row.input : "null") + " fmt " + std::to_string(row.fmt));
    KelErrorCapture errors;
    EXPECT_EQ(m_Agent.DIPv6IsIpValid(row.input, row.fmt), row.expected);
    EXPECT_EQ(errors.Count(-220553), row.reports);
    EXPECT_EQ(static_cast<int>(errors.Reports().size()), row.reports);
  }
}

TEST(ScopeNamesTest, NamesAreIndexedByScopeNumber) {
  const std::vector<std::string> expected = {
      "Unknown", "Link-local", "Site-local", "Global", "Loopback", "Unspecified", "V4-mapped",
      "V4-compat", "Multicast", "Multicast-nodelocal", "Multicast-linklocal", "Multicast-sitelocal",
      "Multicast-orglocal", "Multicast-global"};
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(scopeDescr[i], expected[i]) << i;
}

// Every address's scope is checked against ipaddress (ReferenceVectors_test).
TEST_F(AddressFormsTest, TextThatIsNoAddressHasUnknownScope) {
  EXPECT_EQ(m_Agent.DIPv6GetAddrScope("2001:db8::/32"), 0);
  EXPECT_EQ(m_Agent.DIPv6GetAddrScope(""), 0);
  EXPECT_EQ(m_Agent.DIPv6GetAddrScope(static_cast<const char*>(nullptr)), 0);
  EXPECT_EQ(m_Agent.DIPv6GetAddrScope(static_cast<const in6_addr*>(nullptr)), 0);
}

}  // namespace
