// The runner binary end to end in the sandbox (whose resolver knows only the fixture names):
// the demo lab replayed and served by snmpsim, the names overlay, report file, traces, dumps.
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "tests/integration/RunnerProcess.h"
#include "tests/support/SnmpSim.h"
#include "tests/support/TempDir.h"

namespace {

using Json = nlohmann::ordered_json;
using Args = std::vector<std::string>;
const std::string kLab = std::string(TEST_SOURCE_DIR) + "/examples/lab";

// The runner on the demo lab (names, configuration, NEs), replaying its devices or asking SNMP.
Args Lab(const Args& more, bool replay = true) {
  Args args = {"--hosts", kLab + "/hosts", "--etc-dir", kLab + "/etc", "--var-dir",
               kLab + "/var", "--ne-file", kLab + "/nes.txt"};
  if (replay) args.insert(args.end(), {"--replay", kLab + "/devices"});
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

// A sanitized build must report nothing (leaks included: the checker runs at the runner's exit).
RunnerResult RunRunner(const Args& args) {
  RunnerResult r = RunProgram(std::string(TEST_BINARY_DIR) + "/ipv6disco", args);
  for (const char* alarm : {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:"}) {
    EXPECT_EQ(r.err.find(alarm), std::string::npos) << r.err;
  }
  return r;
}

Json ParseJson(const std::string& text) {
  Json j = Json::parse(text, nullptr, /*allow_exceptions=*/false);
  EXPECT_FALSE(j.is_discarded()) << "not JSON:\n" << text.substr(0, 2000);
  return j;
}

// Every field of `want` has its value in `got` (null: absent); objects field by field.
void ExpectFields(const Json& got, const Json& want, const std::string& at) {
  for (const auto& field : want.items()) {
    const Json value = got.is_object() && got.contains(field.key()) ? got[field.key()] : Json();
    if (field.value().is_object()) ExpectFields(value, field.value(), at + "/" + field.key());
    else EXPECT_EQ(value, field.value()) << at << "/" << field.key();
  }
}

// The links of the lab: one per (NE, interface, remote address), for the interface's addresses.
const char kLabLinks[] = R"([
  {"ne":"2001:db8:100::1","ifIndex":2,"local":"2001:db8:110::1","locals":["2001:db8:110::1","fe80::200:5eff:fe00:5311"],"remote":"2001:db8:110::2","remoteNe":"203.0.113.2"},
  {"ne":"2001:db8:100::1","ifIndex":3,"local":"2001:db8:120::1","locals":["2001:db8:120::1","fe80::200:5eff:fe00:5312"],"remote":"2001:db8:120::2","remoteNe":"203.0.113.3"},
  {"ne":"2001:db8:100::1","ifIndex":4,"local":"2001:db8:1ff::2","locals":["2001:db8:1ff::2","fe80::200:5eff:fe00:5313"],"remote":"2001:db8:1ff::1","remoteNe":null},
  {"ne":"203.0.113.2","ifIndex":2,"local":"2001:db8:110::2","locals":["2001:db8:110::2","fe80::200:5eff:fe00:5321"],"remote":"2001:db8:110::1","remoteNe":"2001:db8:100::1"},
  {"ne":"203.0.113.2","ifIndex":3,"local":"2001:db8:210::1","locals":["2001:db8:210::1","fe80::200:5eff:fe00:5322"],"remote":"2001:db8:210::10","remoteNe":"2001:db8:210::10"},
  {"ne":"203.0.113.2","ifIndex":3,"local":"2001:db8:210::1","locals":["2001:db8:210::1","fe80::200:5eff:fe00:5322"],"remote":"2001:db8:210::11","remoteNe":null},
  {"ne":"203.0.113.3","ifIndex":2,"local":"2001:db8:120::2","locals":["2001:db8:120::2","fe80::200:5eff:fe00:5331"],"remote":"2001:db8:120::1","remoteNe":"2001:db8:100::1"},
  {"ne":"203.0.113.3","ifIndex":3,"local":"2001:db8:310::1","locals":["2001:db8:310::1","fe80::200:5eff:fe00:5332"],"remote":"2001:db8:310::99","remoteNe":"2001:db8:310::99"}
])";

// core1's global address on eth0, every field, with edge1 beneath it.
const char kCore1Eth0[] = R"({"fields":{"ipv6IfIndex":2,"ipv6IfDescr":"eth0",
    "ipv6IfLowerLayer":"1.3.6.1.2.1.2.2.1.1.2","ipv6IfEffectiveMtu":1500,"ipv6IfReasmMaxSize":65535,
    "ipv6IfIdentifier":"02:00:5E:FF:FE:00:53:11","ipv6IfIdentifierLength":64,
    "ipv6IfPhysicalAddress":"00:00:5E:00:53:11","ipv6IfAdminStatus":1,"ipv6IfOperStatus":1,
    "ipv6IfLastChange":1200,"ipv6AddrAddress":"2001:db8:110::1","ipv6AddrPfxLength":64,
    "ipv6AddrType":3,"ipv6AddrAnycastFlag":2,"ipv6AddrStatus":1,"ipv6AddrScope":3,
    "ipv6AddrDNSName":"core1.lab.example","ipv6AddrV4Addresses":"203.0.113.1",
    "ipv6AddrPrefix":"2001:db8:110::","ipv6AddrPrefixName":"core1-edge1",
    "ipv6AddrPrefixOnLinkFlag":1,"ipv6AddrPrefixAutonomousFlag":1,
    "ipv6AddrPrefixAdvPreferredLifetime":604800,"ipv6AddrPrefixAdvValidLifetime":2592000},
    "remoteNeighbours":[{"m_RemoteNbrIpAddr":"2001:db8:110::2","m_RemoteNbrIpPfxLength":64,
    "m_RemoteNbrIpScope":3,"m_RemoteNbrIpDNSName":"edge1.lab.example",
    "m_RemoteNbrMacAddr":"00:00:5E:00:53:21"}]})";

TEST(RunnerTest, DemoLabReplayGivesEveryNeAndLink) {
  TempDir dir;
  const std::string file = dir.Path() + "/lab.json";
  RunnerResult r = RunRunner(Lab({"--format", "json", "-o", file}));
  // The number of workers changes nothing.
  RunnerResult one = RunRunner(Lab({"--format", "json", "--threads", "1"}));
  RunnerResult six = RunRunner(Lab({"--format", "json", "--threads", "6"}));
  for (const RunnerResult* run : {&r, &one, &six}) EXPECT_EQ(run->status, 3) << run->err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(one.out, ReadWhole(file));
  EXPECT_EQ(six.out, one.out);
  Json report = ParseJson(one.out);
  EXPECT_EQ(report["agent"],
            Json::parse(R"({"name":"IPv6","description":"Tovra IPv6 Discovery Agent"})"));
  const char* const nes[] = {  // in the order of nes.txt
      // core1, named by its loopback: named by reverse lookup, SNMP on its name's IPv4 address.
      R"({"input":"2001:db8:100::1","status":"processed","record":{"m_UniqueAddress":"2001:db8:100::1",
          "m_Name":"core1.lab.example","m_UpdAgent":"IPv6","m_SnmpAccessIP":"203.0.113.1",
          "m_PrefixLength":128,"m_Capabilities":["isIPv6Router"],"m_ObjectId":"1.3.6.1.4.1.8072.3.2.10",
          "m_Description":"core1 IPv6 core router, lab release 3.1"},
          "errors":[{"code":-220439,"message":"No remote nbrs for IfIndex 1"}]})",
      R"({"input":"edge1.lab.example","status":"processed"})",
      R"({"input":"203.0.113.3","status":"processed"})",
      // ws1, given with a length: an IPv6-only end node described from its unique address.
      R"({"input":"2001:db8:210::10/64","status":"processed","localNeighbours":[],"record":{
          "m_UniqueAddress":"2001:db8:210::10","m_PrefixLength":64,"m_AddressScope":3,
          "m_SnmpAccessIP":"203.0.113.10","m_Capabilities":["isIPv6Host","isIPv6OnlyNode"],
          "m_DnsName":"ws1.lab.example","m_PrefixAddress":"2001:db8:210::",
          "m_PrefixName":"office-lan","m_Description":"ws1 IPv6 workstation"}})",
      R"({"input":"v4gw.lab.example","status":"processed","localNeighbours":[],"record":{
          "m_UniqueAddress":"203.0.113.254","m_Capabilities":["isIPv4Router","isIPv4Node"]}})",
      // The silent sensor: failed, described as an IPv6-only end node.
      R"({"input":"2001:db8:310::99","status":"failed","record":{"m_FailedFlag":1,
          "m_Capabilities":["isUnknownNode","isIPv6OnlyNode"],"m_DnsName":"sensor.lab.example",
          "m_AddressScope":3,"m_SnmpAccessIP":null}})"};
  ASSERT_EQ(report["nes"].size(), 6u);
  for (size_t i = 0; i < 6; ++i) ExpectFields(report["nes"][i], Json::parse(nes[i]), std::to_string(i));
  EXPECT_EQ(report["nes"][0]["localNeighbours"][1], Json::parse(kCore1Eth0));
  EXPECT_EQ(report["nes"][0]["localNeighbours"][0]["remoteNeighbours"], Json::array());
  EXPECT_EQ(report["links"], Json::parse(kLabLinks));
}

TEST(RunnerTest, TextAndDotSummariseTheRunAndAnUnwritableReportIsFatal) {
  RunnerResult text = RunRunner(Lab({}));
  RunnerResult dot = RunRunner(Lab({"--format", "dot"}));
  EXPECT_EQ(text.status, 3);
  EXPECT_EQ(dot.status, 3);
  EXPECT_EQ(text.out.rfind("6 NEs: 5 processed, 1 failed; 8 links (agent IPv6, Tovra IPv6 "
                           "Discovery Agent)\n", 0), 0u) << text.out;
  EXPECT_EQ(dot.out.rfind("graph ipv6disco {\n", 0), 0u) << dot.out;
  EXPECT_NE(dot.out.find("\"ne0.if2\" -- \"ne1.if2\";"), std::string::npos) << dot.out;
  TempDir dir;
  RunnerResult r = RunRunner(Lab({"-o", dir.Path() + "/no/such/folder/r.txt"}));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ipv6disco: cannot write the report '" + dir.Path() +
                       "/no/such/folder/r.txt': No such file or directory\n");
}

TEST(RunnerTest, HostsFileNamesTheRecordedNetworkOffline) {
  // The sandbox's resolver does not know the lab: without the overlay edge1
  // has no address and core1 no name (so no IPv4 address to ask).
  Args nes = {"--replay", kLab + "/devices", "--format", "json", "edge1.lab.example",
              "2001:db8:100::1"};
  RunnerResult without = RunRunner(nes);
  EXPECT_EQ(without.status, 3);
  Json plain = ParseJson(without.out);
  ExpectFields(plain["nes"][0], Json::parse(R"({"status":"failed","record":{"m_UniqueAddress":null},
      "reason":"the name 'edge1.lab.example' does not resolve"})"), "edge1");
  ExpectFields(plain["nes"][1], Json::parse(R"({"status":"failed",
      "record":{"m_Name":"2001:db8:100::1"}})"), "core1");
  nes.insert(nes.begin(), {"--hosts", kLab + "/hosts"});
  RunnerResult with = RunRunner(nes);
  EXPECT_EQ(with.status, 0) << with.err;
  EXPECT_EQ(with.err, "");
  Json named = ParseJson(with.out);  // forward; reverse and the name's IPv4 address
  EXPECT_EQ(named["nes"][0]["record"]["m_UniqueAddress"], "203.0.113.2");
  ExpectFields(named["nes"][1]["record"], Json::parse(R"({"m_Name":"core1.lab.example",
      "m_SnmpAccessIP":"203.0.113.1"})"), "core1");
}

TEST(RunnerTest, TraceAndReplyDumpsNeverMixWithTheReport) {
  TempDir dir;
  const std::string trace = dir.Path() + "/trace";
  RunnerResult f =
      RunRunner(Lab({"--trace-level", "4", "--trace-file", trace, "--format", "json"}));
  // Traced to standard error: the report alone on standard output.
  RunnerResult e = RunRunner(Lab({"--trace-level", "4", "--format", "json", "--threads", "3"}));
  for (const RunnerResult* run : {&f, &e}) EXPECT_EQ(run->status, 3) << run->err;
  EXPECT_EQ(f.err, "");
  Json report = ParseJson(f.out);
  EXPECT_EQ(report["nes"].size(), 6u);
  EXPECT_EQ(ParseJson(e.out), report);
  EXPECT_NE(e.err.find("ipv6IfPhysicalAddress.2\t= 00:00:5E:00:53:11\n"), std::string::npos);
  EXPECT_NE(e.err.find("ENTER : CDiscoIPv6Agent::DAProcessNewNe()"), std::string::npos);
  const std::string text = ReadWhole(trace);
  for (const char* line : {
           // The lab's history holds hosts on the routers' prefixes: in replay their probes
           // meet the refused socket, even in a process that may open raw sockets.
           "-- DIPv6GetICMPv6Socket() : Require superuser permission to create socket!\n",
           "error -220439 at ",  // level-1 error lines come with the trace
           "ipv6IfPhysicalAddress.3\t= 00:00:5E:00:53:32\n",  // the dump of a walked column
           "LEAVE : CDiscoIPv6Agent::DADoProcessLayer()"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line;
  }
}

TEST(RunnerTest, LiveSnmpOnSimulatedDevicesMatchesTheReplay) {
  REQUIRE_SNMPSIM();
  SnmpSim sim;  // on the lab's management addresses (fixtures/sandbox-addresses)
  sim.AddFolder(kLab + "/devices");
  ASSERT_TRUE(sim.Start()) << sim.Error() << sim.Log();
  const Args snmp = {"--port", std::to_string(sim.Port()), "--timeout", "1", "--retries", "0",
                     "--format", "json"};
  RunnerResult live = RunRunner(Lab(snmp, false));
  RunnerResult replay = RunRunner(Lab({"--format", "json"}));
  EXPECT_EQ(live.status, 3) << live.err;
  Json liveReport = ParseJson(live.out), replayReport = ParseJson(replay.out);
  ASSERT_EQ(liveReport["nes"].size(), 6u);
  // Why the sensor failed names the transport ("no SNMP answer" against "no
  // recorded walk"); everything else is the same.
  for (Json* report : {&liveReport, &replayReport}) {
    for (Json& ne : (*report)["nes"]) ne.erase("reason");
  }
  EXPECT_EQ(liveReport["nes"], replayReport["nes"]);
  EXPECT_EQ(liveReport["links"], Json::parse(kLabLinks));
  // SNMPv1 walks with GETNEXT: the same discovery.
  Args v1 = snmp;
  v1.insert(v1.end(), {"--snmp-version", "1"});
  EXPECT_EQ(ParseJson(RunRunner(Lab(v1, false)).out)["links"], Json::parse(kLabLinks));
}

}  // namespace
