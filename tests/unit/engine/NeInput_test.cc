// What counts as an NE, the record made for it, and NE files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/NeInput.h"
#include "tests/support/TempDir.h"

namespace {

TEST(NeInputTest, AcceptsAddressesAndNodeNamesAndRefusesTheRestWithAReason) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"192.0.2.1/0", ""},
      {"192.0.2.1/32", ""},
      {"2001:DB8:0:0:0:0:0:1/128", ""},
      {"fe80::1/64", ""},
      {"::ffff:192.0.2.1", ""},
      {"r1", ""},
      {"edge-2_b.lab.example", ""},
      {"a1.example.", ""},
      {std::string(253, 'a'), ""},
      {"", "empty NE"},
      {"2001:db8::1/", "prefix length '' is not a number from 0 to 128"},
      {"2001:db8::1/+64", "prefix length '+64' is not a number from 0 to 128"},
      {"2001:db8::1/0064", "prefix length '0064' is not a number from 0 to 128"},
      {"2001:db8::1/64/1", "prefix length '64/1' is not a number from 0 to 128"},
      {"/64", "'' is not an IPv4 or IPv6 address"},
      {"10.0.0.1:161", "not an IPv6 address"},
      {"10.1.2", "not an address or a node name"},
      {".lab", "not an address or a node name"},
      {"a..b", "not an address or a node name"},
      {"r1;rm", "not an address or a node name"},
      {std::string(254, 'a'), "not an address or a node name"},
  };
  for (const auto& [ne, reason] : cases) EXPECT_EQ(DECheckNe(ne), reason) << "'" << ne << "'";
}

TEST(NeInputTest, AddressesGoToIpAddressAndNamesToName) {
  struct Case {
    const char* ne;
    const char* field;
  };
  for (const Case& c : {Case{"192.0.2.1", "m_IpAddress"}, Case{"2001:db8::1/64", "m_IpAddress"},
                        Case{"r1.lab.example", "m_Name"}}) {
    std::unique_ptr<CKelRecord> record = DEMakeNeRecord(c.ne);
    ASSERT_EQ(record->KRFields().KDLLength(), 1) << c.ne;
    ASSERT_NE(record->KRValueOf(c.field), nullptr) << c.ne;
    EXPECT_STREQ(record->KRValueOf(c.field)->KAString(), c.ne);
  }
}

TEST(NeInputTest, NeFileLinesCommentsAndBlanks) {
  TempDir dir;
  std::string path = dir.WriteFile("nes", "# header\r\n192.0.2.1\r\n\t r1 \t# router\n#\n\n::1");
  std::vector<std::string> nes = {"first"};
  std::string error;
  ASSERT_TRUE(DEReadNeFile(path, &nes, &error)) << error;
  EXPECT_EQ(nes, (std::vector<std::string>{"first", "192.0.2.1", "r1", "::1"}));
}

}  // namespace
