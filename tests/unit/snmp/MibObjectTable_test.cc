// The object table against the public list of RFC 1213 / RFC 3418 / RFC
// 2465 objects kept beside the fixtures.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "snmp/MibObjectTable.h"

namespace {

struct TsvRow {
  std::string name, oid, syntax;
};

std::vector<TsvRow> ReadTsv() {
  std::ifstream in(std::string(TEST_SOURCE_DIR) + "/tests/fixtures/snmp/mib-objects.tsv");
  std::vector<TsvRow> rows;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    TsvRow row;
    std::getline(fields, row.name, '\t');
    std::getline(fields, row.oid, '\t');
    std::getline(fields, row.syntax, '\t');
    rows.push_back(row);
  }
  return rows;
}

// The conversion that the MIB syntax text calls for.
snmp::EMibSyntax ExpectedSyntax(const std::string& syntax) {
  if (syntax.find("DisplayString") != std::string::npos) return snmp::EMibSyntax::kDisplayString;
  if (syntax.find("OBJECT IDENTIFIER") != std::string::npos) return snmp::EMibSyntax::kObjectId;
  for (const char* octets : {"OCTET STRING", "Ipv6Address", "PhysAddress"}) {
    if (syntax.find(octets) != std::string::npos) return snmp::EMibSyntax::kOctets;
  }
  return snmp::EMibSyntax::kInteger;
}

TEST(MibObjectTableTest, MatchesThePublicObjectListRowByRow) {
  const std::vector<TsvRow> rows = ReadTsv();
  ASSERT_EQ(rows.size(), 37u) << "the list beside the fixtures changed";
  EXPECT_EQ(snmp::MibObjects().size(), rows.size());
  for (const TsvRow& row : rows) {
    SCOPED_TRACE(row.name);
    const snmp::MibObject* object = snmp::FindMibObject(row.name.c_str());
    ASSERT_NE(object, nullptr);
    EXPECT_STREQ(object->name, row.name.c_str());
    EXPECT_EQ(snmp::OidText(object->oid), row.oid);
    EXPECT_EQ(object->syntax, ExpectedSyntax(row.syntax)) << row.syntax;
    EXPECT_EQ(object->indexOnly, row.syntax.find("not-accessible") != std::string::npos);
    EXPECT_EQ(object->prefixIndexed, row.oid.rfind("1.3.6.1.2.1.55.1.7.1.", 0) == 0);
  }
}

TEST(MibObjectTableTest, LookupIsExact) {
  EXPECT_EQ(snmp::FindMibObject(nullptr), nullptr);
  // Empty, wrong case, with an instance, outside the table.
  for (const char* name : {"", "ipv6forwarding", "ipv6Forwarding.0", "ifDescr"}) {
    EXPECT_EQ(snmp::FindMibObject(name), nullptr) << name;
  }
  EXPECT_EQ(snmp::FindMibObject("ipv6RouteValid"), snmp::FindMibObject("ipv6RouteValid"));
}

}  // namespace
