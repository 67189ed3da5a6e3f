// Values to atoms by syntax, and replies to var-ops.
#include <memory>
#include <string>

#include "gtest/gtest.h"
#include "snmp/AtomConversion.h"
#include "tests/support/VarOpText.h"

namespace {

using snmp::EMibSyntax;
using snmp::EWireType;
using snmp::WireValue;

WireValue Plain(EWireType type) {
  WireValue w;
  w.type = type;
  return w;
}
WireValue Integer(long long v) {
  WireValue w = Plain(EWireType::kInteger);
  w.integer = v;
  return w;
}
WireValue Unsigned(EWireType type, unsigned long long v) {
  WireValue w = Plain(type);
  w.number = v;
  return w;
}
WireValue Octets(const std::string& s, EWireType type = EWireType::kOctetString) {
  WireValue w = Plain(type);
  w.octets = s;
  return w;
}
WireValue ObjectId(const snmp::Oid& oid) {
  WireValue w = Plain(EWireType::kObjectId);
  w.oid = oid;
  return w;
}

std::string Text(EMibSyntax syntax, const WireValue& value) {
  std::unique_ptr<CKelAtom> atom(snmp::ValueToAtom(syntax, value));
  if (atom == nullptr) return "null";
  if (atom->KAType() == E_KDTInteger) return "int:" + std::to_string(atom->KAInt64());
  return std::string("text:") + atom->KAString();
}

TEST(AtomConversionTest, ValuesBecomeAtomsByTheObjectsSyntax) {
  const std::string mac("\x00\x00\x5e\x00\x53\x01", 6);
  const std::string addr("\x20\x01\x0d\xb8\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x01", 16);
  struct Case {
    const char* what;
    EMibSyntax syntax;
    WireValue value;
    const char* expected;
  } cases[] = {
      {"integer", EMibSyntax::kInteger, Integer(64), "int:64"},
      {"negative integer", EMibSyntax::kInteger, Integer(-2147483648LL), "int:-2147483648"},
      {"gauge at 2^32-1", EMibSyntax::kInteger, Unsigned(EWireType::kUnsigned32, 4294967295ull),
       "int:4294967295"},
      {"counter32", EMibSyntax::kInteger, Unsigned(EWireType::kCounter32, 3000000000ull),
       "int:3000000000"},
      {"time ticks beyond 2^31", EMibSyntax::kInteger,
       Unsigned(EWireType::kTimeTicks, 4294967290ull), "int:4294967290"},
      {"counter64", EMibSyntax::kInteger, Unsigned(EWireType::kCounter64, 1ull << 40),
       "int:1099511627776"},
      {"display string", EMibSyntax::kDisplayString, Octets("eth0 \"uplink\""),
       "text:eth0 \"uplink\""},
      {"display string beyond ASCII", EMibSyntax::kDisplayString, Octets("eth\xe9"),
       "text:eth\xe9"},
      {"display string up to NUL", EMibSyntax::kDisplayString, Octets(std::string("ab\0cd", 5)),
       "text:ab"},
      {"empty display string", EMibSyntax::kDisplayString, Octets(""), "text:"},
      {"object identifier", EMibSyntax::kObjectId, ObjectId({1, 3, 6, 1, 4, 1, 8072}),
       "text:1.3.6.1.4.1.8072"},
      {"zeroDotZero", EMibSyntax::kObjectId, ObjectId({0, 0}), "text:0.0"},
      {"MAC address", EMibSyntax::kOctets, Octets(mac), "text:00:00:5E:00:53:01"},
      {"IPv6 address", EMibSyntax::kOctets, Octets(addr),
       "text:20:01:0D:B8:00:01:00:00:00:00:00:00:00:00:00:01"},
      {"4-octet physical address", EMibSyntax::kOctets, Octets("\xc6\x33\x64\x0a"),
       "text:C6:33:64:0A"},
      {"empty octets", EMibSyntax::kOctets, Octets(""), "text:"},
      // A device's mistakes: converted by the type sent.
      {"text for an integer", EMibSyntax::kInteger, Octets("1500"), "text:31:35:30:30"},
      {"integer for a text", EMibSyntax::kDisplayString, Integer(42), "int:42"},
      {"text for an OID", EMibSyntax::kObjectId, Octets("no"), "text:6E:6F"},
      {"IpAddress for an OID", EMibSyntax::kObjectId,
       Octets(std::string("\xc0\x00\x02\x42", 4), EWireType::kIpAddress), "text:192.0.2.66"},
      {"integer for octets", EMibSyntax::kOctets, Integer(-5), "int:-5"},
      {"OID for octets", EMibSyntax::kOctets, ObjectId({1, 2}), "text:1.2"},
      {"opaque", EMibSyntax::kDisplayString, Octets("\x9f\x78", EWireType::kOpaque),
       "text:9F:78"},
      {"counter64 above 2^63 keeps its bits", EMibSyntax::kInteger,
       Unsigned(EWireType::kCounter64, 18446744073709551615ull), "int:-1"},
      {"NULL", EMibSyntax::kInteger, Plain(EWireType::kNull), "null"},
      {"noSuchObject", EMibSyntax::kOctets, Plain(EWireType::kNoSuchObject), "null"},
      {"endOfMibView", EMibSyntax::kDisplayString, Plain(EWireType::kEndOfMibView), "null"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Text(c.syntax, c.value), c.expected) << c.what;
  }
}

TEST(AtomConversionTest, VarOpIndexIsTheOidSuffixAfterTheObject) {
  struct Case {
    const char* object;
    const char* oid;
    WireValue value;
    const char* expected;
  } cases[] = {
      {"sysDescr", "1.3.6.1.2.1.1.1.0", Octets("R1"), "0 = text:R1"},
      {"ipv6IfDescr", "1.3.6.1.2.1.55.1.5.1.2.5", Octets("tun0"), "5 = text:tun0"},
      {"ipv6AddrPfxLength", "1.3.6.1.2.1.55.1.8.1.2.2.32.1.13.184.0.1.0.0.0.0.0.0.0.0.0.1",
       Integer(64), "2.32.1.13.184.0.1.0.0.0.0.0.0.0.0.0.1 = int:64"},
      // Prefix-table rows come in the 18-sub-identifier shape.
      {"ipv6AddrPrefixOnLinkFlag", "1.3.6.1.2.1.55.1.7.1.3.3.8.32.1.13.184.0.2.0.0.64",
       Integer(1), "3.32.1.13.184.0.2.0.0.0.0.0.0.0.0.0.0.64 = int:1"},
      {"ipv6AddrPrefixAdvValidLifetime", "1.3.6.1.2.1.55.1.7.1.6.1.16.32.1.13.184.64",
       Unsigned(EWireType::kUnsigned32, 7), "1.16.32.1.13.184.64 = int:7"},
      // Other tables keep their index as sent, even when it looks alike.
      {"ipv6AddrType", "1.3.6.1.2.1.55.1.8.1.3.3.8.32.1.13.184.0.2.0.0.64", Integer(1),
       "3.8.32.1.13.184.0.2.0.0.64 = int:1"},
      {"ipv6AddrStatus", "1.3.6.1.2.1.55.1.8.1.5.1.300", Integer(1), "1.300 = int:1"},
      {"ipv6IfAdminStatus", "1.3.6.1.2.1.55.1.5.1.9.2", Plain(EWireType::kNull), "2 = null"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.oid);
    snmp::VarBind bind;
    ASSERT_TRUE(snmp::ParseOid(c.oid, &bind.oid));
    bind.value = c.value;
    std::unique_ptr<CKelSnmpVarOp> varOp(snmp::MakeVarOp(*snmp::FindMibObject(c.object), bind));
    EXPECT_EQ(VarOpText(varOp.get()), c.expected);
  }
}

TEST(AtomConversionTest, NoVarOpOutsideTheObjectOrForExceptions) {
  const snmp::MibObject& descr = *snmp::FindMibObject("ipv6IfDescr");
  snmp::VarBind bind;
  bind.value = Octets("x");
  bind.oid = descr.oid;  // the column itself, no row
  EXPECT_EQ(snmp::MakeVarOp(descr, bind), nullptr);
  ASSERT_TRUE(snmp::ParseOid("1.3.6.1.2.1.55.1.5.1.3.1", &bind.oid));  // next column
  EXPECT_EQ(snmp::MakeVarOp(descr, bind), nullptr);
  ASSERT_TRUE(snmp::ParseOid("1.3.6.1.2.1.55.1.5.1.2.1", &bind.oid));
  bind.value = Plain(EWireType::kNoSuchInstance);
  EXPECT_EQ(snmp::MakeVarOp(descr, bind), nullptr);
}

}  // namespace
