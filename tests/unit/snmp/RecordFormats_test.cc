// Readers of snmprec and snmpwalk -On recordings.
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "snmp/AtomConversion.h"
#include "snmp/RecordFormats.h"

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
      {"1.3.6.1.2.1.4.20.1.1.1|64|192.0.2.256", ""},
      {"1.3.6.1.2.1.55.1.5.1.8.2|4x|0g", ""},
      {"1.3.6.1.2.1.4.1.0|2x|01", ""},
      {"1.3.6.1.2.1.1.3.0|67|-1", ""},
      {"1.3.6.1.2.1.1.3.0|67|4294967296", ""},
      {"1.3.6.1.2.1.1.2.0|6|1.3.x", ""},
      {"1.3.6.1.2.1.4.20.1.1.1|64|192.0.2", ""},
      {"1.3.6.1.2.1.4.20.1.1.1|64x|c00002", ""},
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
      "# a comment\r\n\n1.3.6.1.2.1.4.1.0|2|1\r\ngarbage\n1.3.6.1.2.1.55.1.1.0|2|2", &problems);
  EXPECT_EQ(ShowAll(binds), (std::vector<std::string>{"1.3.6.1.2.1.4.1.0 INTEGER 1",
                                                      "1.3.6.1.2.1.55.1.1.0 INTEGER 2"}));
  EXPECT_EQ(problems, (std::vector<std::string>{"line 4: not OID|TAG|VALUE"}));
}

TEST(WalkFormatTest, ReadsWhatSnmpwalkPrints) {
  const std::string walk =
      ".1.3.6.1.2.1.1.1.0 = STRING: \"H5 IPv6 test host\"\n"
      ".1.3.6.1.2.1.1.2.0 = OID: .1.3.6.1.4.1.8072.3.2.10\n"
      ".1.3.6.1.2.1.4.1.0 = INTEGER: notForwarding(2)\n"
      ".1.3.6.1.2.1.4.13.0 = INTEGER: 60 seconds\n"
      ".1.3.6.1.2.1.55.1.5.1.4.2 = Gauge32: 1500\n"
      ".1.3.6.1.2.1.55.1.5.1.6.1 = \"\"\n"
      ".1.3.6.1.2.1.55.1.5.1.8.2 = Hex-STRING: 00 00 5E 00 53 05 \n"
      ".1.3.6.1.2.1.55.1.5.1.11.2 = Timeticks: (500) 0:00:05.00\n"
      ".1.3.6.1.2.1.55.1.11.1.5.1 = Hex-STRING: 20 01 0D B8 00 66 00 00 00 00 00 00 00 00 00 FE \n"
      "01 \n"
      ".1.3.6.1.2.1.1.5.0 = STRING: \"two\n"
      "lines\"\n"
      ".1.3.6.1.2.1.1.6.0 = STRING: unquoted\n"
      ".1.3.6.1.2.1.2.2.1.10.1 = Counter32: 17\n"
      ".1.3.6.1.2.1.31.1.1.1.6.1 = Counter64: 18446744073709551615\n"
      ".1.3.6.1.2.1.4.20.1.1.1 = IpAddress: 192.0.2.1\n"
      ".1.3.6.1.2.1.4.22.1.3.1 = Network Address: C0:00:02:02\n"
      ".1.3.6.1.2.1.4.9.0 = Wrong Type (should be Counter32): INTEGER: 5\n"
      ".1.3.6.1.2.1.1.9.0 = NULL\n"
      ".1.3.6.1.2.1.1.8.0 = BITS: 80 40 first(0) second(9)\n"
      ".1.3.6.1.2.1.1.7.0 = No Such Object available on this agent at this OID\n"
      ".1.3.6.1.2.1.99.0 = No more variables left in this MIB View (It is past the end of the MIB tree)\n";
  std::vector<std::string> problems;
  std::vector<snmp::VarBind> binds = snmp::ReadWalk(walk, &problems);
  EXPECT_TRUE(problems.empty()) << problems[0];
  EXPECT_EQ(ShowAll(binds),
            (std::vector<std::string>{
                "1.3.6.1.2.1.1.1.0 STRING [48:35:20:49:50:76:36:20:74:65:73:74:20:68:6F:73:74]",
                "1.3.6.1.2.1.1.2.0 OID 1.3.6.1.4.1.8072.3.2.10",
                "1.3.6.1.2.1.4.1.0 INTEGER 2",
                "1.3.6.1.2.1.4.13.0 INTEGER 60",
                "1.3.6.1.2.1.55.1.5.1.4.2 Gauge32 1500",
                "1.3.6.1.2.1.55.1.5.1.6.1 STRING []",
                "1.3.6.1.2.1.55.1.5.1.8.2 STRING [00:00:5E:00:53:05]",
                "1.3.6.1.2.1.55.1.5.1.11.2 Timeticks 500",
                "1.3.6.1.2.1.55.1.11.1.5.1 STRING "
                "[20:01:0D:B8:00:66:00:00:00:00:00:00:00:00:00:FE:01]",
                "1.3.6.1.2.1.1.5.0 STRING [74:77:6F:0A:6C:69:6E:65:73]",
                "1.3.6.1.2.1.1.6.0 STRING [75:6E:71:75:6F:74:65:64]",
                "1.3.6.1.2.1.2.2.1.10.1 Counter32 17",
                "1.3.6.1.2.1.31.1.1.1.6.1 Counter64 18446744073709551615",
                "1.3.6.1.2.1.4.20.1.1.1 IpAddress [C0:00:02:01]",
                "1.3.6.1.2.1.4.22.1.3.1 IpAddress [C0:00:02:02]",
                "1.3.6.1.2.1.4.9.0 INTEGER 5",
                "1.3.6.1.2.1.1.9.0 NULL -",
                "1.3.6.1.2.1.1.8.0 STRING [80:40]",
            }));
}

TEST(WalkFormatTest, RefusesWhatItCannotRead) {
  const std::string walk =
      "stray text before any record\n"
      ".1.3.6.1.2.1.4.1.0 = INTEGER: many\n"
      ".1.3.6.1.2.1.4.2.0 = Gauge32: 4294967296\n"
      ".1.3.6.1.2.1.4.3.0 = Hex-STRING: 0G\n"
      ".1.3.6.1.2.1.4.4.0 = Opaque: Float: 1.5\n"
      ".1.3.6.1.2.1.4.5.0 = OID: .1.3.x\n"
      ".1.3.6.1.2.1.4.6.0 = IpAddress: 300.1.1.1\n"
      ".1.3.6.1.2.1.4.7.0 = INTEGER: 7\n";
  std::vector<std::string> problems;
  std::vector<snmp::VarBind> binds = snmp::ReadWalk(walk, &problems);
  EXPECT_EQ(ShowAll(binds), (std::vector<std::string>{"1.3.6.1.2.1.4.7.0 INTEGER 7"}));
  ASSERT_EQ(problems.size(), 7u);
  EXPECT_EQ(problems[0], "line 1: not OID = VALUE");
  EXPECT_EQ(problems[1], "line 2: bad value \"INTEGER: many\"");
  EXPECT_EQ(problems[4], "line 5: unknown value \"Opaque: Float: 1.5\"");
}

}  // namespace
