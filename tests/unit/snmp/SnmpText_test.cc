// Dotted OID text.
#include <string>

#include "gtest/gtest.h"
#include "snmp/SnmpOid.h"

namespace {

TEST(SnmpOidTest, ParsesDottedTextStrictly) {
  struct Case {
    const char* text;
    bool ok;
    const char* expected;
  } cases[] = {
      {"1.3.6.1", true, "1.3.6.1"},
      {".1.3.6.1", true, "1.3.6.1"},
      {"0", true, "0"},
      {"4294967295.0", true, "4294967295.0"},
      {"4294967296", false, ""},
      {"99999999999999999999999", false, ""},
      {"", false, ""},
      {".", false, ""},
      {"1..3", false, ""},
      {"1.3.", false, ""},
      {"..1", false, ""},
      {"1.a", false, ""},
      {" 1.3", false, ""},
      {"1.3 ", false, ""},
      {"-1", false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    snmp::Oid oid{7};
    EXPECT_EQ(snmp::ParseOid(c.text, &oid), c.ok);
    EXPECT_EQ(snmp::OidText(oid), c.ok ? c.expected : "7");  // unchanged on failure
  }
}

TEST(SnmpOidTest, UnderAndSuffix) {
  const snmp::Oid column{1, 3, 6, 1, 2, 1, 55, 1, 5, 1, 2};
  EXPECT_TRUE(snmp::OidIsUnder({1, 3, 6, 1, 2, 1, 55, 1, 5, 1, 2, 7}, column));
  EXPECT_FALSE(snmp::OidIsUnder(column, column));  // strictly beneath
  EXPECT_FALSE(snmp::OidIsUnder({1, 3, 6, 1, 2, 1, 55, 1, 5, 1, 3, 1}, column));
  EXPECT_FALSE(snmp::OidIsUnder({1, 3}, column));
  EXPECT_EQ(snmp::OidSuffix({1, 2, 3, 4}, 2), (snmp::Oid{3, 4}));
  EXPECT_EQ(snmp::OidSuffix({1, 2}, 2), snmp::Oid());
  EXPECT_EQ(snmp::OidSuffix({1, 2}, 5), snmp::Oid());
  EXPECT_EQ(snmp::OidText({}), "");
}

}  // namespace
