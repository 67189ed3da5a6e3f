// The object table against the public object list of RFC 1213 / 3418 / 2465 kept beside the fixtures.
#include <fstream>
#include <sstream>
#include <string>

#include "gtest/gtest.h"
#include "snmp/MibObjectTable.h"

namespace {

using S = snmp::EMibSyntax;

TEST(MibObjectTableTest, MatchesThePublicObjectListRowByRow) {
  std::ifstream in(std::string(TEST_SOURCE_DIR) + "/tests/fixtures/snmp/mib-objects.tsv");
  size_t count = 0;
  for (std::string line, name, oid, syntax; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::getline(std::getline(std::getline(fields, name, '\t'), oid, '\t'), syntax, '\t');
    ++count;
    SCOPED_TRACE(name);
    const snmp::MibObject* object = snmp::FindMibObject(name.c_str());
    ASSERT_NE(object, nullptr);
    EXPECT_STREQ(object->name, name.c_str());
    EXPECT_EQ(snmp::OidText(object->oid), oid);
    auto has = [&](const char* text) { return syntax.find(text) != std::string::npos; };
    const S want = has("DisplayString") ? S::kDisplayString : has("OBJECT IDENTIFIER") ? S::kObjectId
        : has("OCTET STRING") || has("Ipv6Address") || has("PhysAddress") ? S::kOctets : S::kInteger;
    EXPECT_EQ(object->syntax, want);
    EXPECT_EQ(object->indexOnly, has("not-accessible"));
    EXPECT_EQ(object->prefixIndexed, oid.rfind("1.3.6.1.2.1.55.1.7.1.", 0) == 0);
  }
  EXPECT_EQ(count, 37u) << "the list beside the fixtures changed";
  EXPECT_EQ(snmp::MibObjects().size(), count);
  EXPECT_EQ(snmp::FindMibObject("ipv6forwarding"), nullptr);
}

}  // namespace
