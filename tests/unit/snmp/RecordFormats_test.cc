// Readers of snmprec and snmpwalk -On recordings.
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "snmp/AtomConversion.h"
#include "snmp/RecordFormats.h"
#include "snmp/RecordedDevice.h"

namespace {

// "oid type value" of a binding, values shown the way snmpwalk shows them.
std::string Show(const snmp::VarBind& bind) {
  const snmp::WireValue& v = bind.value;
  std::string value;
  switch (v.type) {
    case snmp::EWireType::kInteger: value = std::to_string(v.integer); break;
    case snmp::EWireType::kObjectId: value = snmp::OidText(v.oid); break;
    case snmp::EWireType::kOctetString:
    case snmp::EWireType::kIpAddress:
    case snmp::EWireType::kOpaque: value = "[" + snmp::HexOctets(v.octets) + "]"; break;
    case snmp::EWireType::kNull: value = "-"; break;
    default: value = std::to_string(v.number); break;
  }
  return snmp::OidText(bind.oid) + " " + snmp::WireTypeName(v.type) + " " + value;
}

std::vector<std::string> ShowAll(const std::vector<snmp::VarBind>& binds) {
  std::vector<std::string> out;
  for (const snmp::VarBind& bind : binds) out.push_back(Show(bind));
  return out;
}

TEST(SnmprecFormatTest, ReadsEveryTagSnmpsimServes) {
  struct Case {
    const char* line;
    const char* expected;  // "" when the line is refused
  } cases[] = {
      {"1.3.6.1.2.1.1.1.0|4|R1 router, release 15.2", "1.3.6.1.2.1.1.1.0 STRING [52:31:20:72:6F:75:74:65:72:2C:20:72:65:6C:65:61:73:65:20:31:35:2E:32]"},
      {"1.3.6.1.2.1.1.1.0|4|a|b", "1.3.6.1.2.1.1.1.0 STRING [61:7C:62]"},
      {"1.3.6.1.2.1.1.1.0|4|", "1.3.6.1.2.1.1.1.0 STRING []"},
      {"1.3.6.1.2.1.55.1.5.1.8.2|4x|00005e005301", "1.3.6.1.2.1.55.1.5.1.8.2 STRING [00:00:5E:00:53:01]"},
      {"1.3.6.1.2.1.55.1.5.1.8.2|4x|", "1.3.6.1.2.1.55.1.5.1.8.2 STRING []"},
      {"1.3.6.1.2.1.1.1.0|4e|a\\nb\\x00\\\\", "1.3.6.1.2.1.1.1.0 STRING [61:0A:62:00:5C]"},
      {".1.3.6.1.2.1.4.1.0|2|1", "1.3.6.1.2.1.4.1.0 INTEGER 1"},
      {"1.3.6.1.2.1.4.1.0|2|-2147483648", "1.3.6.1.2.1.4.1.0 INTEGER -2147483648"},
      {"1.3.6.1.2.1.1.2.0|6|1.3.6.1.4.1.8072.3.2.10", "1.3.6.1.2.1.1.2.0 OID 1.3.6.1.4.1.8072.3.2.10"},
      {"1.3.6.1.2.1.1.3.0|67|4294967295", "1.3.6.1.2.1.1.3.0 Timeticks 4294967295"},
      {"1.3.6.1.2.1.2.2.1.10.1|65|7", "1.3.6.1.2.1.2.2.1.10.1 Counter32 7"},
      {"1.3.6.1.2.1.2.2.1.5.1|66|1500", "1.3.6.1.2.1.2.2.1.5.1 Gauge32 1500"},
      {"1.3.6.1.2.1.31.1.1.1.6.1|70|18446744073709551615", "1.3.6.1.2.1.31.1.1.1.6.1 Counter64 18446744073709551615"},
      {"1.3.6.1.2.1.4.20.1.1.1|64|192.0.2.1", "1.3.6.1.2.1.4.20.1.1.1 IpAddress [C0:00:02:01]"},
      {"1.3.6.1.2.1.4.20.1.1.1|64x|c0000201", "1.3.6.1.2.1.4.20.1.1.1 IpAddress [C0:00:02:01]"},
      {"1.3.6.1.2.1.1.9.0|5|", "1.3.6.1.2.1.1.9.0 NULL -"},
      {"1.3.6.1.4.1.1.0|68x|9f78", "1.3.6.1.4.1.1.0 Opaque [9F:78]"},
      // Refused.
      {"1.3.6.1.2.1.4.1.0|2|2147483648", ""},
      {"1.3.6.1.2.1.4.1.0|2|one", ""},
      {"1.3.6.1.2.1.4.1.0|2|+1", ""},
      {"1.3.6.1.2.1.4.1.0|2|0x10", ""},
      {"1.3.6.1.2.1.4.1.0|2|-2147483649", ""},
      {"1.3.6.1.2.1.31.1.1.1.6.1|70|18446744073709551616", ""},
      {"1.3.6.1.2.1.4.34.1.3.1|64|192.0.2.256", ""},
      {"1.3.6.1.2.1.55.1.5.1.8.2|4x|0g", ""},
      {"1.3.6.1.2.1.4.1.0|2x|01", ""},
      {"1.3.6.1.2.1.1.3.0|67|-1", ""},
      {"1.3.6.1.2.1.1.3.0|67|4294967296", ""},
      {"1.3.6.1.2.1.1.2.0|6|1.3.x", ""},
      {"1.3.6.1.2.1.4.34.1.3.1|64|192.0.2", ""},
      {"1.3.6.1.2.1.4.34.1.3.1|64x|c00002", ""},
      {"1.3.6.1.2.1.55.1.5.1.8.2|4x|0005e", ""},
      {"1.3.6.1.2.1.1.1.0|4e|bad\\q", ""},
      {"1.3.6.1.2.1.1.1.0|4e|cut\\x4", ""},
      {"1.3.6.1.2.1.1.1.0|2:numeric|1", ""},
      {"1.3.6.1.2.1.1.1.0|99|1", ""},
      {"1.3.6.1.2.1.1.1.0|4", ""},
      {"not.an.oid|4|x", ""},
      {"|4|x", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    std::vector<std::string> problems;
    std::vector<snmp::VarBind> binds = snmp::ReadSnmprec(std::string(c.line) + "\n", &problems);
    if (*c.expected == '\0') {
      EXPECT_TRUE(binds.empty());
      ASSERT_EQ(problems.size(), 1u);
      EXPECT_EQ(problems[0].rfind("line 1: ", 0), 0u) << problems[0];
    } else {
      EXPECT_EQ(ShowAll(binds), std::vector<std::string>{c.expected});
      EXPECT_TRUE(problems.empty()) << problems[0];
    }
  }
}

TEST(SnmprecFormatTest, SkipsBlankAndCommentLinesAndNumbersProblems) {
  std::vector<std::string> problems;
  std::vector<snmp::VarBind> binds = snmp::ReadSnmprec(
      "# a comment\r\n\n1.3.6.1.2.1.4.1.0|2|1\r\ngarbage\n1.3.6.1.2.1.55.1.1.0|2|2\n"
      "1.3.6.1.4.1.2021.10.1.6.1|2|0.71",  // unreadable, but never asked for
      &problems);
  EXPECT_EQ(ShowAll(binds), (std::vector<std::string>{"1.3.6.1.2.1.4.1.0 INTEGER 1",
                                                      "1.3.6.1.2.1.55.1.1.0 INTEGER 2"}));
  EXPECT_EQ(problems, (std::vector<std::string>{"line 4: not OID|TAG|VALUE"}));
}

TEST(WalkFormatTest, ReadsWhatSnmpwalkPrints) {
  // Lines of net-snmp 5.9.3 snmpwalk -On, most from a Debian snmpd, the
  // unquoted STRINGs with MIB files loaded. "" expects a problem, "none"
  // neither binding nor problem.
  struct Case {
    const char* walk;
    const char* expected;
  } cases[] = {
      {".1.3.6.1.2.1.1.5.0 = STRING: \"r1\"", "1.3.6.1.2.1.1.5.0 STRING [72:31]"},
      {".1.3.6.1.2.1.1.6.0 = STRING: \"\\\"lab \\\\\\\"rack\\\\\\\" 3\\\"\"",
       "1.3.6.1.2.1.1.6.0 STRING [22:6C:61:62:20:5C:22:72:61:63:6B:5C:22:20:33:22]"},
      {".1.3.6.1.2.1.1.5.0 = STRING: \"two\n\nlines\"\n",
       "1.3.6.1.2.1.1.5.0 STRING [74:77:6F:0A:0A:6C:69:6E:65:73]"},
      {".1.3.6.1.2.1.1.1.0 = STRING: Linux vm", "1.3.6.1.2.1.1.1.0 STRING [4C:69:6E:75:78:20:76:6D]"},
      {".1.3.6.1.2.1.1.5.0 = STRING: 2:0:1", "1.3.6.1.2.1.1.5.0 STRING [32:3A:30:3A:31]"},
      {".1.3.6.1.2.1.2.2.1.6.2 = STRING: 2:0:0:0:0:2", "1.3.6.1.2.1.2.2.1.6.2 STRING [02:00:00:00:00:02]"},
      {".1.3.6.1.2.1.55.1.5.1.8.1 = STRING: ", "1.3.6.1.2.1.55.1.5.1.8.1 STRING []"},
      {".1.3.6.1.2.1.4.35.1.4.3.2.16.254.128.0.0.0.0.0.0.0.0.0.0.0.0.0.1 = STRING: 2:0:0:0:0:1",
       "1.3.6.1.2.1.4.35.1.4.3.2.16.254.128.0.0.0.0.0.0.0.0.0.0.0.0.0.1 STRING [02:00:00:00:00:01]"},
      {".1.3.6.1.2.1.55.1.11.1.5.1.1 = STRING: fe80:0:0:0:200:5eff:fe00:5301",
       "1.3.6.1.2.1.55.1.11.1.5.1.1 STRING "
       "[FE:80:00:00:00:00:00:00:02:00:5E:FF:FE:00:53:01]"},
      {".1.3.6.1.2.1.2.2.1.6.2 = STRING: 2:0:0:0:0:2g", ""},
      {".1.3.6.1.2.1.2.2.1.6.1 = \"\"", "1.3.6.1.2.1.2.2.1.6.1 STRING []"},
      {".1.3.6.1.2.1.2.2.1.6.2 = Hex-STRING: 02 00 00 00 00 02 ", "1.3.6.1.2.1.2.2.1.6.2 STRING [02:00:00:00:00:02]"},
      {".1.3.6.1.6.3.10.2.1.1.0 = Hex-STRING: 80 00 1F 88 80 AB C8 43 0A 3C 5F 15 6B 00 00 00 \n00 ",
       "1.3.6.1.6.3.10.2.1.1.0 STRING [80:00:1F:88:80:AB:C8:43:0A:3C:5F:15:6B:00:00:00:00]"},
      {".1.3.6.1.2.1.1.2.0 = OID: .1.3.6.1.4.1.8072.3.2.10", "1.3.6.1.2.1.1.2.0 OID 1.3.6.1.4.1.8072.3.2.10"},
      {".1.3.6.1.2.1.55.1.5.1.3.1 = OID: .0.0", "1.3.6.1.2.1.55.1.5.1.3.1 OID 0.0"},
      {".1.3.6.1.2.1.1.3.0 = Timeticks: (155) 0:00:01.55", "1.3.6.1.2.1.1.3.0 Timeticks 155"},
      {".1.3.6.1.2.1.1.3.0 = Timeticks: (8640000) 1 day, 0:00:00.00", "1.3.6.1.2.1.1.3.0 Timeticks 8640000"},
      {".1.3.6.1.2.1.4.25.0 = INTEGER: 1", "1.3.6.1.2.1.4.25.0 INTEGER 1"},
      {".1.3.6.1.2.1.55.1.5.1.9.1 = INTEGER: up(1)", "1.3.6.1.2.1.55.1.5.1.9.1 INTEGER 1"},
      {".1.3.6.1.2.1.2.2.1.4.1 = INTEGER: 65536 octets", "1.3.6.1.2.1.2.2.1.4.1 INTEGER 65536"},
      {".1.3.6.1.2.1.2.2.1.4.1 = INTEGER: -2147483648", "1.3.6.1.2.1.2.2.1.4.1 INTEGER -2147483648"},
      {".1.3.6.1.2.1.2.2.1.4.1 = INTEGER: 2147483648", ""},
      {".1.3.6.1.2.1.4.32.1.8.1.1.4.127.0.0.0.8 = Gauge32: 4294967295", "1.3.6.1.2.1.4.32.1.8.1.1.4.127.0.0.0.8 Gauge32 4294967295"},
      {".1.3.6.1.2.1.1.8.1 = UInteger32: 5", "1.3.6.1.2.1.1.8.1 Gauge32 5"},
      {".1.3.6.1.2.1.2.2.1.10.1 = Counter32: 677", "1.3.6.1.2.1.2.2.1.10.1 Counter32 677"},
      {".1.3.6.1.2.1.31.1.1.1.6.1 = Counter64: 18446744073709551615", "1.3.6.1.2.1.31.1.1.1.6.1 Counter64 18446744073709551615"},
      {".1.3.6.1.2.1.4.20.1.1.127.0.0.1 = IpAddress: 127.0.0.1", "1.3.6.1.2.1.4.20.1.1.127.0.0.1 IpAddress [7F:00:00:01]"},
      {".1.3.6.1.2.1.4.22.1.3.1 = Network Address: 0A:00:00:01", "1.3.6.1.2.1.4.22.1.3.1 IpAddress [0A:00:00:01]"},
      {".1.3.6.1.2.1.1.8.0 = BITS: 80 40 first(0) second(9)", "1.3.6.1.2.1.1.8.0 STRING [80:40]"},
      {".1.3.6.1.4.1.2021.10.1.6.1 = Opaque: Float: 1.301270", "1.3.6.1.4.1.2021.10.1.6.1 Opaque [9F:78:04:3F:A6:90:04]"},
      {".1.3.6.1.2.1.1.8.2 = Opaque: Double: 1.5", "1.3.6.1.2.1.1.8.2 Opaque [9F:79:08:3F:F8:00:00:00:00:00:00]"},
      {".1.3.6.1.2.1.1.8.3 = Opaque: UInt64: 255", "1.3.6.1.2.1.1.8.3 Opaque [9F:7B:02:00:FF]"},
      {".1.3.6.1.2.1.1.8.3 = Opaque: Int64: -129", "1.3.6.1.2.1.1.8.3 Opaque [9F:7A:02:FF:7F]"},
      {".1.3.6.1.2.1.1.8.4 = OPAQUE: 9F 78", "1.3.6.1.2.1.1.8.4 Opaque [9F:78]"},
      {".1.3.6.1.2.1.1.8.4 = Opaque: Float: x", ""},
      {".1.3.6.1.2.1.1.9.0 = NULL", "1.3.6.1.2.1.1.9.0 NULL -"},
      {".1.3.6.1.2.1.1.9.0 = Float32: 1", ""},
      {".1.3.6.1.2.1.4.1.0 = Wrong Type (should be Gauge32 or Unsigned32): INTEGER: 5", "1.3.6.1.2.1.4.1.0 INTEGER 5"},
      {".1.3.6.1.2.1.1.99.0 = No Such Object available on this agent at this OID", "none"},
      {".1.3.6.1.2.1.1.1.0.5 = No Such Instance currently exists at this OID", "none"},
      {".1.3.6.1.9.9.9 = No more variables left in this MIB View (It is past the end of the MIB tree)", "none"},
      {"End of MIB", "none"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.walk);
    std::vector<std::string> problems;
    std::vector<snmp::VarBind> binds = snmp::ReadWalk(c.walk, &problems);
    if (*c.expected == '\0') {
      EXPECT_TRUE(binds.empty());
      ASSERT_EQ(problems.size(), 1u);
      EXPECT_EQ(problems[0].rfind("line 1: ", 0), 0u) << problems[0];
      continue;
    }
    const std::vector<std::string> expected =
        std::string(c.expected) == "none" ? std::vector<std::string>{}
                                          : std::vector<std::string>{c.expected};
    EXPECT_EQ(ShowAll(binds), expected);
    EXPECT_TRUE(problems.empty()) << problems[0];
  }
}

TEST(WalkFormatTest, RefusesWhatItCannotRead) {
  const std::string walk =
      "stray text before any record\n"
      ".1.3.6.1.2.1.55.1.1.0 = INTEGER: many\n"
      ".1.3.6.1.2.1.55.1.3.0 = Gauge32: 4294967296\n"
      ".1.3.6.1.2.1.55.1.4.0 = Hex-STRING: 0G\n"
      ".1.3.6.1.2.1.55.1.5.0 = Opaque: Float: 0,71\n"
      ".1.3.6.1.2.1.55.1.6.0 = OID: .1.3.x\n"
      ".1.3.6.1.2.1.55.1.7.0 = IpAddress: 300.1.1.1\n"
      ".1.3.6.1.2.1.55.1.8.0 = INTEGER: 7\n"
      // Unreadable too, but outside what the runner asks for: no problem.
      ".1.3.6.1.4.1.2021.10.1.6.1 = Opaque: Float: 0,71\n"
      ".1.3.6.1.2.1.25.1.1.0 = Gauge32: x\n";
  std::vector<std::string> problems;
  std::vector<snmp::VarBind> binds = snmp::ReadWalk(walk, &problems);
  EXPECT_EQ(ShowAll(binds), (std::vector<std::string>{"1.3.6.1.2.1.55.1.8.0 INTEGER 7"}));
  ASSERT_EQ(problems.size(), 7u);
  EXPECT_EQ(problems[0], "line 1: not OID = VALUE");
  EXPECT_EQ(problems[1], "line 2: bad value \"INTEGER: many\"");
  EXPECT_EQ(problems[4], "line 5: bad value \"Opaque: Float: 0,71\"");
}

TEST(WalkFormatTest, RealSnmpdWalkLoadsWithoutProblems) {
  // snmpwalk -v2c -On .1 of a Debian snmpd (HOST-RESOURCES-MIB left out).
  std::vector<std::string> problems;
  auto device = snmp::RecordedDevice::Load(
      std::string(TEST_SOURCE_DIR) + "/tests/fixtures/snmp/devices/real-snmpd.walk", &problems);
  ASSERT_NE(device, nullptr);
  EXPECT_TRUE(problems.empty()) << problems[0];
  EXPECT_GT(device->Size(), 2300u);
  for (const char* oid : {"1.3.6.1.2.1.55.1.1.0", "1.3.6.1.2.1.4.25.0",
                          "1.3.6.1.2.1.4.34.1.3.2.16.32.1.13.184.0.1.0.0.0.0.0.0.0.0.0.1",
                          "1.3.6.1.4.1.2021.10.1.6.1"}) {
    snmp::Oid parsed;
    ASSERT_TRUE(snmp::ParseOid(oid, &parsed));
    EXPECT_NE(device->Find(parsed), nullptr) << oid;
  }
}

}  // namespace
