// Writing bindings as snmprec: each value gives its line, and ReadSnmprec gives back exactly that value.
#include <string>

#include "gtest/gtest.h"
#include "snmp/RecordFormats.h"
#include "snmp/SnmprecWriter.h"

namespace {

using snmp::EWireType;

struct Row {
  EWireType type;
  long long n;         // integer, or number of the unsigned types
  std::string octets;  // octets, or the dotted OID value
  std::string line;    // expected after "1.3.6.1.2.1.1.5.0|"; "" when refused
};

snmp::VarBind Bind(const Row& row) {
  snmp::VarBind bind;
  snmp::ParseOid("1.3.6.1.2.1.1.5.0", &bind.oid);
  bind.value.type = row.type;
  if (row.type == EWireType::kInteger) bind.value.integer = row.n;
  else bind.value.number = static_cast<unsigned long long>(row.n);
  if (row.type == EWireType::kObjectId) snmp::ParseOid(row.octets, &bind.value.oid);
  else bind.value.octets = row.octets;
  return bind;
}

TEST(SnmprecWriterTest, EachValueReadsBackAsItWas) {
  const Row rows[] = {
      {EWireType::kInteger, -2147483648LL, "", "2|-2147483648"}, {EWireType::kInteger, 2147483648LL, "", ""},
      {EWireType::kUnsigned32, 4294967295LL, "", "66|4294967295"}, {EWireType::kCounter32, 7, "", "65|7"},
      {EWireType::kTimeTicks, 4294967296LL, "", ""}, {EWireType::kTimeTicks, 0, "", "67|0"},
      {EWireType::kCounter64, -1, "", "70|18446744073709551615"},
      {EWireType::kOctetString, 0, "r1 eth0|up", "4|r1 eth0|up"}, {EWireType::kOctetString, 0, "", "4|"},
      {EWireType::kOctetString, 0, " r1", "4x|207231"}, {EWireType::kOctetString, 0, "r1 ", "4x|723120"},
      {EWireType::kOctetString, 0, std::string("\0\x00^\xff\n", 5), "4x|00005eff0a"},
      {EWireType::kOctetString, 0, "caf\xc3\xa9", "4x|636166c3a9"}, {EWireType::kOpaque, 0, "ab", "68x|6162"},
      {EWireType::kObjectId, 0, "1.3.6.1.4.1.8072", "6|1.3.6.1.4.1.8072"}, {EWireType::kObjectId, 0, "", ""},
      {EWireType::kIpAddress, 0, std::string("\xc0\0\x02\xff", 4), "64|192.0.2.255"},
      {EWireType::kIpAddress, 0, "abc", ""}, {EWireType::kNull, 0, "", "5|"},
      {EWireType::kNoSuchObject, 0, "", ""}, {EWireType::kNoSuchInstance, 0, "", ""},
      {EWireType::kEndOfMibView, 0, "", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line + " " + std::to_string(static_cast<int>(row.type)));
    const snmp::VarBind bind = Bind(row);
    std::string line = "untouched";
    ASSERT_EQ(snmp::SnmprecLine(bind, &line), !row.line.empty());
    if (row.line.empty()) {
      EXPECT_EQ(line, "untouched");
      continue;
    }
    EXPECT_EQ(line, "1.3.6.1.2.1.1.5.0|" + row.line);
    std::vector<std::string> problems;
    const std::vector<snmp::VarBind> back = snmp::ReadSnmprec(line + "\n", &problems);
    ASSERT_EQ(back.size(), 1u) << testing::PrintToString(problems);
    const snmp::WireValue &want = bind.value, &got = back[0].value;
    EXPECT_EQ(back[0].oid, bind.oid);
    EXPECT_EQ(got.type, want.type);
    EXPECT_EQ(got.integer, want.integer);
    EXPECT_EQ(got.number, want.number);
    EXPECT_EQ(got.octets, want.octets);
    EXPECT_EQ(got.oid, want.oid);
  }
  // A whole text: the lines of the bindings kept, in the order given; the others counted.
  size_t leftOut = 9;
  EXPECT_EQ(snmp::SnmprecText({Bind(rows[0]), Bind(rows[1]), Bind(rows[3])}, &leftOut),
            "1.3.6.1.2.1.1.5.0|2|-2147483648\n1.3.6.1.2.1.1.5.0|65|7\n");
  EXPECT_EQ(leftOut, 1u);
}

}  // namespace
