// What counts as an NE, the record made for it, and NE files.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "engine/NeInput.h"
#include "tests/support/TempDir.h"

namespace {

// Accepted NEs become a record of one field: "m_IpAddress" for addresses,
// "m_Name" for names.
TEST(NeInputTest, AcceptsAddressesAndNodeNamesAndRefusesTheRestWithAReason) {
  const std::string ip = "m_IpAddress", name = "m_Name";
  const std::vector<std::tuple<std::string, std::string, std::string>> rows = {
      {"192.0.2.1/0", "", ip},
      {"192.0.2.1/32", "", ip},
      {"2001:DB8:0:0:0:0:0:1/128", "", ip},
      {"fe80::1/64", "", ip},
      {"::ffff:192.0.2.1", "", ip},
      {"r1", "", name},
      {"edge-2_b.lab.example", "", name},
      {"a1.example.", "", name},
      {std::string(253, 'a'), "", name},
      {"", "empty NE", ""},
      {"2001:db8::1/", "prefix length '' is not a number from 0 to 128", ""},
      {"2001:db8::1/+64", "prefix length '+64' is not a number from 0 to 128", ""},
      {"2001:db8::1/0064", "prefix length '0064' is not a number from 0 to 128", ""},
      {"2001:db8::1/64/1", "prefix length '64/1' is not a number from 0 to 128", ""},
      {"2001:db8::1/1000", "prefix length '1000' is not a number from 0 to 128", ""},
      {"/64", "'' is not an IPv4 or IPv6 address", ""},
      {"10.0.0.1:161", "not an IPv6 address", ""},
      {"10.1.2", "not an address or a node name", ""},
      {".lab", "not an address or a node name", ""},
      {"a..b", "not an address or a node name", ""},
      {"r1;rm", "not an address or a node name", ""},
      {std::string(254, 'a'), "not an address or a node name", ""},
  };
  for (const auto& [ne, reason, field] : rows) {
    SCOPED_TRACE("'" + ne + "'");
    EXPECT_EQ(DECheckNe(ne), reason);
    if (field.empty()) continue;
    std::unique_ptr<CKelRecord> record = DEMakeNeRecord(ne);
    EXPECT_EQ(record->KRFields().KDLLength(), 1);
    ASSERT_NE(record->KRValueOf(field.c_str()), nullptr);
    EXPECT_EQ(record->KRValueOf(field.c_str())->KAString(), ne);
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
