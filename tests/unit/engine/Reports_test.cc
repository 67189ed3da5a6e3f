// The JSON and text reports of one small run, texts for people, and why a failed NE failed.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "engine/DotReport.h"
#include "engine/JsonReport.h"
#include "engine/Quoted.h"
#include "engine/TextReport.h"
#include "tests/unit/engine/RunFixtures.h"

namespace {

using Json = nlohmann::ordered_json;

std::string Write(void (*writer)(const CRunReport&, std::ostream&), const CRunReport& report) {
  std::ostringstream out;
  return writer(report, out), out.str();
}

// A router seeing the failed NE and two strangers, the failed NE, and an NE whose record the agent kept.
struct SmallRun : FakeRun {
  SmallRun() {
    report.agentName = "IPv6", report.agentDescription = "Tovra IPv6 Discovery Agent";
    AddNe("192.0.2.1", "192.0.2.1", true, "r1.lab");
    AddNe("2001:db8:1::2", "2001:db8:1::2", false, "s\"q");
    AddNe("gone", nullptr, false), report.nes[2].record = nullptr;
    AddNe("cut", nullptr, false), report.nes[3].record = nullptr, report.nes[3].interrupted = true;
    auto* caps = new CKelDoubleList();
    for (const char* cap : {"isIPv6Router", "isIPv4Node"}) caps->KDLAddToListEnd(Str(cap));
    records[0]->KRAddOrSetValue("m_Capabilities", new CKelAtom(caps, E_KDTList));
    records[0]->KRAddOrSetValue("m_Description", "R1\nline\xe9 \"two\"\x01");
    records[0]->KRAddValue("m_Empty", nullptr);  // left out of the record, but not out of a neighbour
    AddLocal(0, Fields({{"ipv6IfIndex", Int(2)}, {"ipv6IfDescr", Str("eth0")}, {"ipv6AddrPfxLength", Int(64)},
                        {"ipv6IfPhysicalAddress", Str("00:00:5E:00:53:01")}, {"ipv6AddrScope", Int(3)},
                        {"ipv6AddrAddress", Str("2001:db8:1::1")}, {"ipv6AddrDNSName", Str("r1.lab")},
                        {"ipv6AddrPrefix", Str("2001:db8:1::")}, {"ipv6AddrPrefixName", Str("lan")}}),
             {Fields({{"m_RemoteNbrIpAddr", Str("2001:db8:1::2")}, {"m_RemoteNbrIpDNSName", Str("r2.lab")},
                      {"m_RemoteNbrMacAddr", Str("00:00:5E:00:53:02")}}), Remote("2001:db8:1::9")});
    AddLocal(0, Fields({{"ipv6IfIndex", Int(2)}, {"ipv6AddrAddress", Str("fe80::1")},
                        {"ipv6AddrScope", Int(1)}, {"ipv6AddrPfxLength", Int(64)}}),
             {Remote("2001:db8:1::9"), Remote("fe80::2")});
    report.nes[0].snmp.rfc2465Values = 30, report.nes[0].snmp.rfc4293Values = 2;
    report.nes[0].errors.push_back({-220439, "ProcessLayer.cc", 67, "No remote nbrs", true});
    report.nes[1].snmp.targets = {{"192.0.2.2", 3, 0, "no SNMP answer from 192.0.2.2", "", 6}};
    report.nes[1].snmp.seconds = 1.5, report.nes[0].nameSeconds = 0.25;
    report.nes[1].errors.push_back({-220553, "x.cc", 1, "", false});
    Link();
  }
};

TEST(ReportsTest, JsonGivesEveryFieldWithItsTypeInOrder) {
  Json j = Json::parse(Write(DEWriteJsonReport, SmallRun().report));
  j["nes"][0].erase("localNeighbours");
  EXPECT_EQ(j["nes"][0], Json::parse(R"({"input":"192.0.2.1","status":"processed","ipv6Mib":"both",
      "reason":null,"cost":{"requests":0,"pdus":0,"unanswered":0,"snmpSeconds":0.0,"nameSeconds":0.25},
      "record":{"m_UniqueAddress":"192.0.2.1","m_Name":"r1.lab",
      "m_Capabilities":["isIPv6Router","isIPv4Node"],"m_Description":"R1\nline\ufffd \"two\"\u0001"},
      "errors":[{"code":-220439,"message":"No remote nbrs"}]})"));
  EXPECT_EQ(j["nes"][1], Json::parse(R"({"input":"2001:db8:1::2","status":"failed","ipv6Mib":null,
      "reason":"no SNMP answer from 192.0.2.2",
      "cost":{"requests":3,"pdus":6,"unanswered":3,"snmpSeconds":1.5,"nameSeconds":0.0},"record":{"m_UniqueAddress":"2001:db8:1::2","m_Name":"s\"q"},
      "localNeighbours":[],"errors":[{"code":-220553,"message":null}]})"));
}

TEST(ReportsTest, JsonGivesARepeatedNameOnceWhereItFirstStandsWithItsLastValue) {
  FakeRun run;
  run.AddNe("192.0.2.1", "192.0.2.1");
  run.AddLocal(0, Fields({{"ipv6IfIndex", Int(2)}}), {Fields({{"m_RemoteNbrIpAddr", Str("2001:db8::7")},
      {"m_RemoteNbrIpScope", Int(3)}, {"m_RemoteNbrIpAddr", Str("2001:db8::8")}})});
  const std::string text = Write(DEWriteJsonReport, run.report);
  EXPECT_EQ(text.find("m_RemoteNbrIpAddr"), text.rfind("m_RemoteNbrIpAddr")) << text;
  EXPECT_EQ(Json::parse(text)["nes"][0]["localNeighbours"][0]["remoteNeighbours"][0].dump(),
            R"({"m_RemoteNbrIpAddr":"2001:db8::8","m_RemoteNbrIpScope":3})");
}

TEST(ReportsTest, TextGivesABlockPerNe) {
  EXPECT_EQ(Write(DEWriteTextReport, SmallRun().report),
            "4 NEs: 1 processed, 2 failed, 1 interrupted; 3 links; 3 requests in 6 PDUs, 3 unanswered; SNMP 1.500 s, names "
            "0.250 s in all (agent IPv6, Tovra IPv6 Discovery Agent)\n\n"
            "r1.lab  192.0.2.1  processed\n"
            "  capabilities  isIPv6Router, isIPv4Node\n"
            "  description   R1 line\\xe9 \"two\" \n"
            "  IPv6 MIB      RFC 2465 and RFC 4293\n"
            "  cost          0 requests in 0 PDUs, 0 unanswered; SNMP 0.000 s, names 0.250 s\n"
            "  interface 2 eth0, mac 00:00:5E:00:53:01\n"
            "    2001:db8:1::1/64  global  prefix 2001:db8:1::/64 \"lan\"  dns r1.lab\n"
            "    fe80::1/64  link-local\n"
            "    neighbour 2001:db8:1::2  r2.lab  mac 00:00:5E:00:53:02  => s\"q (2001:db8:1::2)\n"
            "    neighbour 2001:db8:1::9  => not in this run\n"
            "    neighbour fe80::2  => not in this run\n"
            "  1 error report\n"
            "    error -220439 at ProcessLayer.cc:67: No remote nbrs\n\n"
            "s\"q  2001:db8:1::2  failed\n"
            "  reason        no SNMP answer from 192.0.2.2\n"
            "  cost          3 requests in 6 PDUs, 3 unanswered; SNMP 1.500 s, names 0.000 s\n"
            "  1 error report\n"
            "    error -220553 at x.cc:1\n\n"
            "gone  failed\n"
            "  reason        the name 'gone' does not resolve\n\n"
            "cut  interrupted\n"
            "  reason        the run was interrupted before it was done\n");
}

TEST(ReportsTest, DotGivesEachNodeItsClassInTheLegendQuotingEveryText) {
  const std::string d = Write(DEWriteDotReport, SmallRun().report);
  EXPECT_NE(d.find(R"x("ne1" [label="s\"q\n2001:db8:1::2\n(failed)", style="filled,rounded,dashed")x"), d.npos) << d;
  EXPECT_NE(d.find(R"("ne0" -- "ne1" [label="lan")"), d.npos) << d;
  for (const char* shown : {"IPv6 router", "failed", "not in this run"}) {
    EXPECT_NE(d.find("[label=\"" + std::string(shown) + "\""), d.npos) << shown;
  }
  for (const char* absent : {"IPv6 host", "IPv4 only", "unknown kind"}) EXPECT_EQ(d.find(absent), d.npos) << absent;
}

TEST(ReportsTest, TextsForPeopleAreValidUtf8WithEveryOtherByteShown) {
  const std::pair<std::string, std::string> rows[] = {  // a device's text, and what a report shows of it
      {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80 \xf4\x8f\xbf\xbf\x01", "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80 \xf4\x8f\xbf\xbf\x01"},
      {"\xc0\x80|\xe0\x9f\xbf|\xf0\x8f\xbf\xbf", "\\xc0\\x80|\\xe0\\x9f\\xbf|\\xf0\\x8f\\xbf\\xbf"},  // overlong
      {"\xed\xa0\x80|\xf4\x90\x80\x80|\xf8\xff", "\\xed\\xa0\\x80|\\xf4\\x90\\x80\\x80|\\xf8\\xff"},  // surrogate, too high
      {"\x80z\xe2\x28\xa1|a\xe2\x82", "\\x80z\\xe2(\\xa1|a\\xe2\\x82"},  // stray, broken, cut short
  };
  for (const auto& [text, shown] : rows) EXPECT_EQ(DEValidUtf8(text), shown) << testing::PrintToString(text);
  EXPECT_EQ(DEDotQuote("r\xe9\n\"\x01", true), R"("r\\xe9\n\" ")");
}

TEST(ReportsTest, AFailedNeGivesItsFirstFailureElseEverySilenceAsItsReason) {
  using Target = CDiscoSnmpSummary::Target;
  const Target silent{"10.9.0.1", 3, 0, "no SNMP answer from 10.9.0.1", ""};
  const Target refused{"10.9.0.2", 1, 0, "no SNMP answer from 10.9.0.2", "GET at 10.9.0.2 failed"};
  const std::pair<std::vector<Target>, std::string> rows[] = {
      {{silent, refused, refused}, "GET at 10.9.0.2 failed"},
      {{silent, {"10.9.0.3", 2, 0, "off", ""}, silent}, "no SNMP answer from 10.9.0.1; off"},
      {{}, "no answer to the forwarding questions"}};
  for (const auto& [targets, reason] : rows) {
    FakeRun run;
    run.AddNe("10.9.0.1", nullptr, false), run.report.nes[0].snmp.targets = targets;
    EXPECT_EQ(DEFailureReason(run.report.nes[0]), reason);
  }
}

}  // namespace
