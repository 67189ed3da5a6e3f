// Prefix-table indexes in the shape the agent reads.
#include "gtest/gtest.h"
#include "snmp/PrefixIndex.h"

namespace {

TEST(PrefixIndexTest, ShapesEveryConformingLengthAndLeavesTheRest) {
  struct Case {
    const char* what;
    const char* index;
    const char* expected;
  } cases[] = {
      {"16 octets with length octet", "2.16.32.1.13.184.0.1.0.0.0.0.0.0.0.0.0.0.64",
       "2.32.1.13.184.0.1.0.0.0.0.0.0.0.0.0.0.64"},
      {"8 octets padded", "3.8.32.1.13.184.0.2.0.0.64", "3.32.1.13.184.0.2.0.0.0.0.0.0.0.0.0.0.64"},
      {"6 octets padded", "5.6.32.1.13.184.0.4.64", "5.32.1.13.184.0.4.0.0.0.0.0.0.0.0.0.0.64"},
      {"no octets (::/0)", "1.0.0", "1.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0"},
      {"already 18 sub-ids", "2.32.1.13.184.0.1.0.0.0.0.0.0.0.0.0.0.64",
       "2.32.1.13.184.0.1.0.0.0.0.0.0.0.0.0.0.64"},
      {"length octet beyond 16", "1.20.32.1.13.184.0.102.0.0.0.0.0.0.0.0.0.0.0.0.0.0.64",
       "1.20.32.1.13.184.0.102.0.0.0.0.0.0.0.0.0.0.0.0.0.0.64"},
      {"fewer octets than promised", "1.16.32.1.13.184.64", "1.16.32.1.13.184.64"},
      {"more octets than promised", "1.4.32.1.13.184.0.64", "1.4.32.1.13.184.0.64"},
      {"octet above 255", "1.4.32.300.13.184.32", "1.4.32.300.13.184.32"},
      {"too short", "3", "3"},
      {"two sub-ids", "3.0", "3.0"},
      {"empty", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    snmp::Oid index;
    if (*c.index != 0) {
      ASSERT_TRUE(snmp::ParseOid(c.index, &index));
    }
    EXPECT_EQ(snmp::OidText(snmp::NormalisePrefixIndex(index)), c.expected);
  }
}

}  // namespace
