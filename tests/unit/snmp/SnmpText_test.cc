// Readers of OIDs, numbers and octets.
#include <string>

#include "gtest/gtest.h"
#include "snmp/SnmpOid.h"
#include "snmp/TextNumbers.h"

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

TEST(TextNumbersTest, SignedAndUnsignedWithinBounds) {
  long long s = 99;
  EXPECT_TRUE(snmp::ParseSigned("-2147483648", INT32_MIN, INT32_MAX, &s));
  EXPECT_EQ(s, INT32_MIN);
  EXPECT_TRUE(snmp::ParseSigned("2147483647", INT32_MIN, INT32_MAX, &s));
  EXPECT_EQ(s, INT32_MAX);
  EXPECT_FALSE(snmp::ParseSigned("2147483648", INT32_MIN, INT32_MAX, &s));
  EXPECT_FALSE(snmp::ParseSigned("-2147483649", INT32_MIN, INT32_MAX, &s));
  EXPECT_TRUE(snmp::ParseSigned("-9223372036854775808", INT64_MIN, INT64_MAX, &s));
  EXPECT_EQ(s, INT64_MIN);
  for (const char* bad : {"", "-", "+1", "1 ", " 1", "1e3", "0x10", "--1"}) {
    EXPECT_FALSE(snmp::ParseSigned(bad, INT32_MIN, INT32_MAX, &s)) << bad;
  }
  EXPECT_EQ(s, INT64_MIN);  // unchanged by failures

  unsigned long long u = 0;
  EXPECT_TRUE(snmp::ParseUnsigned("4294967295", UINT32_MAX, &u));
  EXPECT_EQ(u, 4294967295ull);
  EXPECT_FALSE(snmp::ParseUnsigned("4294967296", UINT32_MAX, &u));
  EXPECT_TRUE(snmp::ParseUnsigned("18446744073709551615", UINT64_MAX, &u));
  EXPECT_EQ(u, UINT64_MAX);
  EXPECT_FALSE(snmp::ParseUnsigned("18446744073709551616", UINT64_MAX, &u));
  EXPECT_FALSE(snmp::ParseUnsigned("-1", UINT64_MAX, &u));
}

TEST(TextNumbersTest, HexOctetsAndDottedQuads) {
  std::string out = "keep";
  EXPECT_TRUE(snmp::ParseHexOctets("00005e005301", &out));
  EXPECT_EQ(out, std::string("\x00\x00\x5e\x00\x53\x01", 6));
  EXPECT_TRUE(snmp::ParseHexOctets("00 00 5E 00 53 01 \n02 ", &out));
  EXPECT_EQ(out, std::string("\x00\x00\x5e\x00\x53\x01\x02", 7));
  EXPECT_TRUE(snmp::ParseHexOctets("C6:33:64:0a", &out));
  EXPECT_EQ(out, "\xc6\x33\x64\x0a");
  EXPECT_TRUE(snmp::ParseHexOctets("", &out));
  EXPECT_EQ(out, "");
  out = "keep";
  for (const char* bad : {"0", "0g", "000", "0 0", "zz", "00x"}) {
    EXPECT_FALSE(snmp::ParseHexOctets(bad, &out)) << bad;
  }
  EXPECT_EQ(out, "keep");

  EXPECT_TRUE(snmp::ParseDottedQuad("192.0.2.255", &out));
  EXPECT_EQ(out, std::string("\xc0\x00\x02\xff", 4));
  for (const char* bad : {"192.0.2", "192.0.2.256", "1.2.3.4.5", "1..2.3", "a.b.c.d", ""}) {
    EXPECT_FALSE(snmp::ParseDottedQuad(bad, &out)) << bad;
  }
}

}  // namespace
