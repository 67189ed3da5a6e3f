// What counts as an NE, and the record made for it.
#include <gtest/gtest.h>

#include "engine/NeInput.h"

namespace {

TEST(NeInputTest, AcceptsAddressesAndNodeNamesAndRefusesTheRestWithAReason) {
  const std::string ip = "m_IpAddress", name = "m_Name", bad = "not an address or a node name";
  const std::string pl = "prefix length '", n128 = "' is not a number from 0 to 128";
  const std::pair<std::string, std::string> rows[] = {  // NE, and its record's field or why it is refused
      {"192.0.2.1/0", ip}, {"192.0.2.1/32", ip}, {"2001:DB8:0:0:0:0:0:1/128", ip}, {"::ffff:192.0.2.1", ip},
      {"r1", name}, {"edge-2_b.lab.example", name}, {"a1.example.", name}, {std::string(253, 'a'), name},
      {"", "empty NE"}, {"2001:db8::1/", pl + n128}, {"2001:db8::1/+64", pl + "+64" + n128},
      {"2001:db8::1/0064", pl + "0064" + n128}, {"2001:db8::1/1000", pl + "1000" + n128},
      {"2001:db8::1/129", pl + "129" + n128}, {"2001:db8::1/64/1", pl + "64/1" + n128},
      {"192.0.2.1/33", pl + "33' is not a number from 0 to 32"}, {"/64", "'' is not an IPv4 or IPv6 address"},
      {"10.0.0.1:161", "not an IPv6 address"}, {"10.1.2", bad}, {".lab", bad}, {"a..b", bad}, {"r1;rm", bad},
      {std::string(254, 'a'), bad}};
  for (const auto& [ne, outcome] : rows) {
    SCOPED_TRACE("'" + ne + "'");
    const bool accepted = outcome == ip || outcome == name;
    EXPECT_EQ(DECheckNe(ne), accepted ? "" : outcome);
    if (!accepted) continue;
    const std::unique_ptr<CKelRecord> record = DEMakeNeRecord(ne);
    const CKelAtom* value = record->KRValueOf(outcome.c_str());  // its only field
    EXPECT_TRUE(record->KRFields().KDLLength() == 1 && value && value->KAString() == ne);
  }
}

}  // namespace
