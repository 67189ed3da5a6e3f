// Readers of snmprec and snmpwalk -On recordings. "@" stands for 1.3.6.1.2.1. in rows.
#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "snmp/AtomConversion.h"
#include "snmp/RecordFormats.h"
#include "snmp/RecordedDevice.h"

namespace {

std::string At(const std::string& text, bool expand) {
  const std::regex from(expand ? "@" : R"(1\.3\.6\.1\.2\.1\.)");
  return std::regex_replace(text, from, expand ? "1.3.6.1.2.1." : "@");
}

// What `text` gives, read as a walk or as snmprec: the bindings as "[oid ]type value" (oid if more than one,
// octets as 'text' if printable) joined by "; ", then " !problem" for each problem; "!" alone for one problem
// on line 1 and nothing read.
std::string Read(const std::string& text, bool walk) {
  std::vector<std::string> problems;
  const std::vector<snmp::VarBind> binds =
      walk ? snmp::ReadWalk(At(text, true), &problems) : snmp::ReadSnmprec(At(text, true) + "\n", &problems);
  if (binds.empty() && problems.size() == 1 && problems[0].rfind("line 1: ", 0) == 0) return "!";
  std::string out;
  for (const snmp::VarBind& bind : binds) {
    const snmp::WireValue& v = bind.value;
    std::string value = std::to_string(v.number);
    if (v.type == snmp::EWireType::kInteger) value = std::to_string(v.integer);
    if (v.type == snmp::EWireType::kObjectId) value = snmp::OidText(v.oid);
    if (v.type == snmp::EWireType::kNull) value = "-";
    if (v.type == snmp::EWireType::kOctetString || v.type == snmp::EWireType::kIpAddress ||
        v.type == snmp::EWireType::kOpaque) {
      const auto printable = [](unsigned char c) { return c > 31 && c < 127; };
      const bool text = std::all_of(v.octets.begin(), v.octets.end(), printable);
      value = text ? "'" + v.octets + "'" : "[" + snmp::HexOctets(v.octets) + "]";
    }
    out += (out.empty() ? "" : "; ") + (binds.size() > 1 ? snmp::OidText(bind.oid) + " " : "") +
           snmp::WireTypeName(v.type) + " " + value;
  }
  for (const std::string& problem : problems) out += " !" + problem;
  return At(out, false);
}

struct Row { const char *text, *expected; };  // expected: Read() of the text

TEST(SnmprecFormatTest, ReadsEveryTagSnmpsimServesAndRefusesTheRestByLine) {
  const Row rows[] = {
      {"@1.1.0|4|R1, 15.2", "STRING 'R1, 15.2'"}, {"@1.1.0|4|a|b", "STRING 'a|b'"},
      {"@1.1.0|4|", "STRING ''"}, {"@55.1.5.1.8.2|4x|00005e005301", "STRING [00:00:5E:00:53:01]"},
      {"@1.1.0|4e|a\\nb\\x00\\\\", "STRING [61:0A:62:00:5C]"}, {".@4.1.0|2|1", "INTEGER 1"},
      {"@4.1.0|2|-2147483648", "INTEGER -2147483648"}, {"@1.2.0|6|1.3.6.1.4.1.8072", "OID 1.3.6.1.4.1.8072"},
      {"@1.3.0|67|4294967295", "Timeticks 4294967295"}, {"@2.2.1.10.1|65|7", "Counter32 7"},
      {"@2.2.1.5.1|66|1500", "Gauge32 1500"},
      {"@31.1.1.1.6.1|70|18446744073709551615", "Counter64 18446744073709551615"},
      {"@4.20.1.1.1|64|192.0.2.1", "IpAddress [C0:00:02:01]"}, {"@1.9.0|5|", "NULL -"},
      {"1.3.6.1.4.1.1.0|68x|9f78", "Opaque [9F:78]"}, {"@4.1.0|2|2147483648", "!"}, {"@4.1.0|2|one", "!"},
      {"@4.1.0|2|+1", "!"}, {"@4.1.0|2|-2147483649", "!"}, {"@31.1.1.1.6.1|70|18446744073709551616", "!"},
      {"@4.34.1.3.1|64|192.0.2.256", "!"}, {"@55.1.5.1.8.2|4x|0g", "!"}, {"@4.1.0|2x|01", "!"},
      {"@1.3.0|67|-1", "!"}, {"@1.3.0|67|4294967296", "!"}, {"@1.2.0|6|1.3.x", "!"},
      {"@4.34.1.3.1|64|192.0.2", "!"}, {"@55.1.5.1.8.2|4x|0005e", "!"}, {"@1.1.0|4e|bad\\q", "!"},
      {"@1.1.0|4e|cut\\x4", "!"}, {"@1.1.0|2:numeric|1", "!"}, {"@1.1.0|99|1", "!"}, {"@1.1.0|4", "!"},
      {"not.an.oid|4|x", "!"},
      {"# a comment\r\n\n@4.1.0|2|1\r\ngarbage\n@55.1.1.0|2|2",
       "@4.1.0 INTEGER 1; @55.1.1.0 INTEGER 2 !line 4: not OID|TAG|VALUE"},
      {"1.3.6.1.4.1.2021.10.1.6.1|2|0.71", ""},  // an unreadable value of an object never asked for
  };
  for (const Row& row : rows) EXPECT_EQ(Read(row.text, false), row.expected) << row.text;
}

// Lines of net-snmp 5.9.3 snmpwalk -On, most from a Debian snmpd, the unquoted STRINGs with MIB files loaded.
TEST(WalkFormatTest, ReadsWhatSnmpwalkPrintsAndRefusesTheRestByLine) {
  const Row rows[] = {
      {".@1.1.0 = STRING: Linux vm", "STRING 'Linux vm'"}, {".@1.5.0 = STRING: 2:0:1", "STRING '2:0:1'"},
      {".@1.6.0 = STRING: \"\\\"lab \\\\\\\"rack\\\\\\\" 3\\\"\"", "STRING '\"lab \\\"rack\\\" 3\"'"},
      {".@1.5.0 = STRING: \"two\n\nlines\"\n", "STRING [74:77:6F:0A:0A:6C:69:6E:65:73]"},
      {".@2.2.1.6.2 = STRING: 2:0:0:0:0:2", "STRING [02:00:00:00:00:02]"}, {".@1.9.0 = Float32: 1", "!"},
      {".@55.1.5.1.8.1 = STRING: ", "STRING ''"}, {".@2.2.1.6.2 = STRING: 2:0:0:0:0:2g", "!"},
      {".@55.1.11.1.5.1.1 = STRING: fe80:0:0:0:200:5eff:fe00:5301",
       "STRING [FE:80:00:00:00:00:00:00:02:00:5E:FF:FE:00:53:01]"},
      {".@1.1.0 = Hex-STRING: 80 00 1F 88 80 AB C8 43 0A 3C 5F 15 6B 00 00 00 \n00 ",
       "STRING [80:00:1F:88:80:AB:C8:43:0A:3C:5F:15:6B:00:00:00:00]"},
      {".@1.2.0 = OID: .1.3.6.1.4.1.8072", "OID 1.3.6.1.4.1.8072"}, {".@1.9.0 = NULL", "NULL -"},
      {".@1.3.0 = Timeticks: (8640000) 1 day, 0:00:00.00", "Timeticks 8640000"},
      {".@55.1.5.1.9.1 = INTEGER: up(1)", "INTEGER 1"}, {".@2.2.1.4.1 = INTEGER: 2147483648", "!"},
      {".@2.2.1.4.1 = INTEGER: 65536 octets", "INTEGER 65536"}, {".@1.8.1 = UInteger32: 5", "Gauge32 5"},
      {".@2.2.1.10.1 = Counter32: 677", "Counter32 677"}, {".@2.2.1.6.1 = \"\"", "STRING ''"},
      {".@4.20.1.1.127.0.0.1 = IpAddress: 127.0.0.1", "IpAddress [7F:00:00:01]"},
      {".@4.22.1.3.1 = Network Address: 0A:00:00:01", "IpAddress [0A:00:00:01]"},
      {".@1.8.0 = BITS: 80 40 first(0) second(9)", "STRING [80:40]"},
      {".@1.8.1 = Opaque: Float: 1.301270", "Opaque [9F:78:04:3F:A6:90:04]"},
      {".@1.8.3 = Opaque: UInt64: 255", "Opaque [9F:7B:02:00:FF]"},
      {".@1.8.3 = Opaque: Int64: -129", "Opaque [9F:7A:02:FF:7F]"},
      {".@1.8.4 = OPAQUE: 9F 78", "Opaque [9F:78]"}, {".@1.8.4 = Opaque: Float: x", "!"},
      {".@4.1.0 = Wrong Type (should be Gauge32 or Unsigned32): INTEGER: 5", "INTEGER 5"},
      {".@1.99.0 = No Such Object available on this agent at this OID", ""}, {"End of MIB", ""},
      {".@1.1.0.5 = No Such Instance currently exists at this OID", ""},
      {".1.3.6.1.9.9.9 = No more variables left in this MIB View (It is past the end of the MIB tree)", ""},
      {".@55.1.4.0 = Hex-STRING: 0G", "!"}, {".@55.1.6.0 = OID: .1.3.x", "!"},
      {".@55.1.7.0 = IpAddress: 300.1.1.1", "!"},
      {"stray text\n.@55.1.1.0 = INTEGER: many\n.@55.1.3.0 = Gauge32: 4294967296\n.@55.1.8.0 = INTEGER: 7\n"
       ".@55.1.5.0 = Opaque: Float: 0,71\n.1.3.6.1.4.1.2021.10.1.6.1 = Opaque: Float: 0,71\n"
       ".@25.1.1.0 = Gauge32: x\n",
       "INTEGER 7 !line 1: not OID = VALUE !line 2: bad value \"INTEGER: many\" "
       "!line 3: bad value \"Gauge32: 4294967296\" !line 5: bad value \"Opaque: Float: 0,71\""},
  };
  for (const Row& row : rows) EXPECT_EQ(Read(row.text, true), row.expected) << row.text;
}

TEST(WalkFormatTest, RealSnmpdWalkLoadsWithoutProblems) {
  // snmpwalk -v2c -On .1 of a Debian snmpd (HOST-RESOURCES-MIB left out).
  std::vector<std::string> problems;
  auto device = snmp::RecordedDevice::Load(
      std::string(TEST_SOURCE_DIR) + "/tests/fixtures/snmp/devices/real-snmpd.walk", &problems);
  ASSERT_NE(device, nullptr);
  EXPECT_TRUE(problems.empty()) << problems[0];
  EXPECT_GT(device->Size(), 2300u);
  for (const char* oid : {"1.3.6.1.2.1.55.1.1.0", "1.3.6.1.2.1.4.25.0", "1.3.6.1.4.1.2021.10.1.6.1",
                          "1.3.6.1.2.1.4.34.1.3.2.16.32.1.13.184.0.1.0.0.0.0.0.0.0.0.0.1"}) {
    snmp::Oid parsed;
    EXPECT_TRUE(snmp::ParseOid(oid, &parsed) && device->Find(parsed) != nullptr) << oid;
  }
}

}  // namespace
