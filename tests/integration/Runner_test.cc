// The runner binary end to end, inside the sandbox (whose system resolver
// knows only the integration fixture names): the demo lab replayed and
// served live by snmpsim, exit statuses, the names overlay, raw sockets in
// replay mode and the separation of report and reply dumps.
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
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

const std::string kRunner = std::string(TEST_BINARY_DIR) + "/ipv6disco";
const std::string kLab = std::string(TEST_SOURCE_DIR) + "/examples/lab";

// Management addresses of the lab's recorded devices.
const char* const kLabDevices[] = {"203.0.113.1", "203.0.113.2", "203.0.113.3", "203.0.113.10",
                                   "203.0.113.254"};

// The options that point the runner at the lab, in replay mode.
Args Lab(Args more) {
  Args args = {"--hosts", kLab + "/hosts", "--etc-dir", kLab + "/etc", "--var-dir",
               kLab + "/var", "--ne-file", kLab + "/nes.txt"};
  args.insert(args.end(), more.begin(), more.end());
  return args;
}
Args Replay(Args more) {
  Args args = {"--replay", kLab + "/devices"};
  args.insert(args.end(), more.begin(), more.end());
  return Lab(args);
}

// Runs the runner; a sanitized build must report nothing (leaks included:
// the leak checker runs when the runner exits).
RunnerResult RunRunner(const Args& args) {
  RunnerResult r = RunProgram(kRunner, args);
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

const Json& NeByInput(const Json& report, const std::string& input) {
  for (const Json& ne : report["nes"]) {
    if (ne["input"] == input) return ne;
  }
  static const Json none;
  ADD_FAILURE() << "no NE " << input;
  return none;
}

std::vector<std::string> LocalAddresses(const Json& ne) {
  std::vector<std::string> out;
  for (const Json& local : ne["localNeighbours"]) out.push_back(local["fields"]["ipv6AddrAddress"]);
  return out;
}

// The links of the lab: one per (NE, interface, remote address), standing
// for the interface's global and link-local addresses.
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
const char kCore1Eth0[] = R"({
  "fields": {
    "ipv6IfIndex": 2, "ipv6IfDescr": "eth0", "ipv6IfLowerLayer": "1.3.6.1.2.1.2.2.1.1.2",
    "ipv6IfEffectiveMtu": 1500, "ipv6IfReasmMaxSize": 65535,
    "ipv6IfIdentifier": "02:00:5E:FF:FE:00:53:11", "ipv6IfIdentifierLength": 64,
    "ipv6IfPhysicalAddress": "00:00:5E:00:53:11", "ipv6IfAdminStatus": 1, "ipv6IfOperStatus": 1,
    "ipv6IfLastChange": 1200, "ipv6AddrAddress": "2001:db8:110::1", "ipv6AddrPfxLength": 64,
    "ipv6AddrType": 3, "ipv6AddrAnycastFlag": 2, "ipv6AddrStatus": 1, "ipv6AddrScope": 3,
    "ipv6AddrDNSName": "core1.lab.example", "ipv6AddrV4Addresses": "203.0.113.1",
    "ipv6AddrPrefix": "2001:db8:110::", "ipv6AddrPrefixName": "core1-edge1",
    "ipv6AddrPrefixOnLinkFlag": 1, "ipv6AddrPrefixAutonomousFlag": 1,
    "ipv6AddrPrefixAdvPreferredLifetime": 604800, "ipv6AddrPrefixAdvValidLifetime": 2592000
  },
  "remoteNeighbours": [
    {"m_RemoteNbrIpAddr": "2001:db8:110::2", "m_RemoteNbrIpPfxLength": 64,
     "m_RemoteNbrIpScope": 3, "m_RemoteNbrIpDNSName": "edge1.lab.example",
     "m_RemoteNbrMacAddr": "00:00:5E:00:53:21"}
  ]
})";

TEST(RunnerTest, DemoLabReplayed) {
  TempDir dir;
  const std::string json = dir.Path() + "/lab.json";
  RunnerResult r = RunRunner(Replay({"--format", "json", "-o", json}));
  EXPECT_EQ(r.status, 3) << r.err;  // the sensor answers nothing
  EXPECT_EQ(r.out, "");
  Json report = ParseJson(ReadWhole(json));
  ASSERT_TRUE(report.is_object());
  EXPECT_EQ(report["agent"],
            Json::parse(R"({"name":"IPv6","description":"Tovra IPv6 Discovery Agent"})"));

  std::vector<std::string> inputs, statuses;
  for (const Json& ne : report["nes"]) {
    inputs.push_back(ne["input"]);
    statuses.push_back(ne["status"]);
  }
  EXPECT_EQ(inputs, (std::vector<std::string>{"2001:db8:100::1", "edge1.lab.example",
                                              "203.0.113.3", "2001:db8:210::10/64",
                                              "v4gw.lab.example", "2001:db8:310::99"}));
  EXPECT_EQ(statuses, (std::vector<std::string>{"processed", "processed", "processed",
                                                "processed", "processed", "failed"}));

  // core1, named by its loopback: SNMP answered on its name's IPv4 address.
  const Json& core1 = NeByInput(report, "2001:db8:100::1");
  const Json& record = core1["record"];
  EXPECT_EQ(record["m_UniqueAddress"], "2001:db8:100::1");
  EXPECT_EQ(record["m_Name"], "core1.lab.example");
  EXPECT_EQ(record["m_SnmpAccessIP"], "203.0.113.1");
  EXPECT_EQ(record["m_UpdAgent"], "IPv6");
  EXPECT_EQ(record["m_PrefixLength"], 128);
  EXPECT_EQ(record["m_Capabilities"], Json::parse(R"(["isIPv6Router"])"));
  EXPECT_EQ(record["m_Description"], "core1 IPv6 core router, lab release 3.1");
  EXPECT_EQ(record["m_ObjectId"], "1.3.6.1.4.1.8072.3.2.10");
  EXPECT_EQ(LocalAddresses(core1),
            (std::vector<std::string>{"2001:db8:100::1", "2001:db8:110::1",
                                      "fe80::200:5eff:fe00:5311", "2001:db8:120::1",
                                      "fe80::200:5eff:fe00:5312", "2001:db8:1ff::2",
                                      "fe80::200:5eff:fe00:5313"}));
  EXPECT_EQ(core1["localNeighbours"][1], Json::parse(kCore1Eth0));
  EXPECT_EQ(core1["localNeighbours"][0]["remoteNeighbours"], Json::array());
  EXPECT_EQ(core1["errors"],
            Json::parse(R"([{"code":-220439,"message":"No remote nbrs for IfIndex 1"}])"));

  // edge1, named by name: its switched-off interface 4 gives no neighbour.
  const Json& edge1 = NeByInput(report, "edge1.lab.example");
  EXPECT_EQ(edge1["record"]["m_UniqueAddress"], "203.0.113.2");
  EXPECT_EQ(LocalAddresses(edge1),
            (std::vector<std::string>{"2001:db8:2ff::1", "2001:db8:110::2",
                                      "fe80::200:5eff:fe00:5321", "2001:db8:210::1",
                                      "fe80::200:5eff:fe00:5322"}));
  EXPECT_EQ(edge1["localNeighbours"][3]["fields"]["ipv6AddrPrefixName"], "office-lan");

  // edge2 knows core1 from its neighbour cache only (its route uses
  // core1's link-local address).
  const Json& edge2 = NeByInput(report, "203.0.113.3");
  EXPECT_EQ(edge2["localNeighbours"][1]["remoteNeighbours"], Json::parse(R"([
      {"m_RemoteNbrIpAddr":"2001:db8:120::1","m_RemoteNbrIpPfxLength":64,"m_RemoteNbrIpScope":3,
       "m_RemoteNbrMacAddr":"00:00:5E:00:53:12","m_RemoteNbrIpDNSName":"core1.lab.example"}])"));

  // The host and the IPv4-only gateway: processed, no neighbours.
  const Json& ws1 = NeByInput(report, "2001:db8:210::10/64");
  EXPECT_EQ(ws1["record"]["m_UniqueAddress"], "2001:db8:210::10");
  EXPECT_EQ(ws1["record"]["m_PrefixLength"], 64);
  EXPECT_EQ(ws1["record"]["m_SnmpAccessIP"], "203.0.113.10");
  EXPECT_EQ(ws1["record"]["m_Capabilities"], Json::parse(R"(["isIPv6Host","isIPv6OnlyNode"])"));
  // Described as an IPv6-only end node although it was given with a length.
  EXPECT_EQ(ws1["record"]["m_DnsName"], "ws1.lab.example");
  EXPECT_EQ(ws1["record"]["m_AddressScope"], 3);
  EXPECT_EQ(ws1["record"]["m_PrefixAddress"], "2001:db8:210::");
  EXPECT_EQ(ws1["record"]["m_PrefixName"], "office-lan");
  EXPECT_EQ(ws1["record"]["m_Description"], "ws1 IPv6 workstation");
  EXPECT_EQ(ws1["localNeighbours"], Json::array());
  const Json& v4gw = NeByInput(report, "v4gw.lab.example");
  EXPECT_EQ(v4gw["record"]["m_UniqueAddress"], "203.0.113.254");
  EXPECT_EQ(v4gw["record"]["m_Capabilities"], Json::parse(R"(["isIPv4Router","isIPv4Node"])"));
  EXPECT_EQ(v4gw["localNeighbours"], Json::array());

  // The silent sensor: failed, described as an IPv6-only end node.
  const Json& sensor = NeByInput(report, "2001:db8:310::99");
  EXPECT_EQ(sensor["record"]["m_FailedFlag"], 1);
  EXPECT_EQ(sensor["record"]["m_Capabilities"],
            Json::parse(R"(["isUnknownNode","isIPv6OnlyNode"])"));
  EXPECT_EQ(sensor["record"]["m_DnsName"], "sensor.lab.example");
  EXPECT_EQ(sensor["record"]["m_AddressScope"], 3);
  EXPECT_FALSE(sensor["record"].contains("m_SnmpAccessIP"));

  EXPECT_EQ(report["links"], Json::parse(kLabLinks));
}

TEST(RunnerTest, ThreadCountDoesNotChangeTheReport) {
  RunnerResult one = RunRunner(Replay({"--format", "json", "--threads", "1"}));
  RunnerResult many = RunRunner(Replay({"--format", "json", "--threads", "6"}));
  EXPECT_EQ(one.status, 3);
  EXPECT_EQ(many.status, 3);
  EXPECT_FALSE(one.out.empty());
  EXPECT_EQ(one.out, many.out);
}

TEST(RunnerTest, TextAndDotReports) {
  RunnerResult text = RunRunner(Replay({}));
  EXPECT_EQ(text.status, 3);
  EXPECT_EQ(text.out.rfind("6 NEs: 5 processed, 1 failed; 8 links (agent IPv6, Tovra IPv6 "
                           "Discovery Agent)\n",
                           0),
            0u)
      << text.out;
  EXPECT_NE(text.out.find("\nedge1.lab.example  203.0.113.2  processed\n"), std::string::npos);
  EXPECT_NE(text.out.find("    neighbour 2001:db8:210::11  laptop.lab.example  mac "
                          "00:00:5E:00:53:A1  => not in this run\n"),
            std::string::npos)
      << text.out;

  RunnerResult dot = RunRunner(Replay({"--format", "dot"}));
  EXPECT_EQ(dot.status, 3);
  EXPECT_EQ(dot.out.rfind("graph ipv6disco {\n", 0), 0u) << dot.out;
  EXPECT_NE(dot.out.find("\"ne0.if2\" -- \"ne1.if2\";"), std::string::npos) << dot.out;
  EXPECT_NE(dot.out.find("\"ne2.if3\" -- \"ne5\";"), std::string::npos) << dot.out;
}

TEST(RunnerTest, ExitStatuses) {
  TempDir dir;
  // Every NE processed.
  RunnerResult all = RunRunner(Replay({"--format", "json"}));
  RunnerResult two = RunRunner({"--replay", kLab + "/devices", "--hosts", kLab + "/hosts",
                          "203.0.113.3", "v4gw.lab.example"});
  EXPECT_EQ(two.status, 0) << two.err;
  EXPECT_EQ(two.err, "");
  EXPECT_EQ(all.status, 3);

  // Usage errors: status 2, one clear line, no report.
  struct Usage {
    Args args;
    std::string err;
  };
  for (const Usage& u :
       {Usage{{"--threads", "0", "192.0.2.1"},
              "ipv6disco: --threads: '0' is not a number from 1 to 1024\n"},
        Usage{{}, "ipv6disco: no NE given: name NEs as arguments or with --ne-file (see "
                  "ipv6disco --help)\n"},
        Usage{{"--hosts", dir.Path() + "/none", "192.0.2.1"},
              "ipv6disco: --hosts: cannot read " + dir.Path() +
                  "/none: No such file or directory\n"}}) {
    RunnerResult r = RunRunner(u.args);
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_EQ(r.err, u.err);
    EXPECT_EQ(r.out, "");
  }

  // Fatal: the plug-in, or a report that cannot be written.
  RunnerResult plugin = RunRunner({"--plugin", dir.Path() + "/none.so", "192.0.2.1"});
  EXPECT_EQ(plugin.status, 1);
  EXPECT_EQ(plugin.err.rfind("ipv6disco: cannot load the plug-in '" + dir.Path() + "/none.so': ",
                             0),
            0u)
      << plugin.err;
  RunnerResult output = RunRunner(Replay({"-o", dir.Path() + "/no/such/folder/r.txt"}));
  EXPECT_EQ(output.status, 1);
  EXPECT_EQ(output.err, "ipv6disco: cannot write the report '" + dir.Path() +
                            "/no/such/folder/r.txt': No such file or directory\n");

  RunnerResult help = RunRunner({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: ipv6disco [options] NE...\n", 0), 0u);
}

TEST(RunnerTest, HostsFileNamesTheRecordedNetworkOffline) {
  // The sandbox's resolver does not know the lab: without the overlay edge1
  // has no address and core1 no name.
  const Args nes = {"--replay", kLab + "/devices", "--format", "json", "edge1.lab.example",
                    "2001:db8:100::1"};
  RunnerResult without = RunRunner(nes);
  Json plain = ParseJson(without.out);
  EXPECT_EQ(without.status, 3);
  EXPECT_EQ(plain["nes"][0]["status"], "failed");
  EXPECT_EQ(plain["nes"][0]["reason"], "the name 'edge1.lab.example' does not resolve");
  EXPECT_FALSE(plain["nes"][0]["record"].contains("m_UniqueAddress"));
  EXPECT_EQ(plain["nes"][1]["record"]["m_Name"], "2001:db8:100::1");
  EXPECT_EQ(plain["nes"][1]["status"], "failed");  // no IPv4 address to ask

  Args withHosts = nes;
  withHosts.insert(withHosts.begin(), {"--hosts", kLab + "/hosts"});
  RunnerResult with = RunRunner(withHosts);
  Json named = ParseJson(with.out);
  EXPECT_EQ(with.status, 0) << with.err;
  EXPECT_EQ(named["nes"][0]["record"]["m_UniqueAddress"], "203.0.113.2");  // forward
  EXPECT_EQ(named["nes"][1]["record"]["m_Name"], "core1.lab.example");     // reverse
  EXPECT_EQ(named["nes"][1]["record"]["m_SnmpAccessIP"], "203.0.113.1");   // name -> IPv4
}

TEST(RunnerTest, ReplaySendsNoProbesAndSaysSo) {
  TempDir dir;
  const std::string trace = dir.Path() + "/trace";
  RunnerResult r = RunRunner(Replay({"--trace-level", "2", "--trace-file", trace, "-o",
                               dir.Path() + "/report"}));
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.err, "");
  const std::string text = ReadWhole(trace);
  // The lab's history holds hosts on the routers' prefixes: their probes
  // meet the refused socket, even for a process that may open raw sockets.
  EXPECT_NE(text.find("-- DIPv6GetICMPv6Socket() : Require superuser permission to create "
                      "socket!\n"),
            std::string::npos)
      << text;
  // Level-1 error lines come with the trace.
  EXPECT_NE(text.find("error -220439 at "), std::string::npos) << text;
}

TEST(RunnerTest, ReplyDumpsAtLevelFourNeverMixWithTheReport) {
  // Trace to standard error: the report alone on standard output.
  RunnerResult r = RunRunner(Replay({"--trace-level", "4", "--format", "json", "--threads", "3"}));
  EXPECT_EQ(r.status, 3);
  Json report = ParseJson(r.out);
  EXPECT_EQ(report["nes"].size(), 6u);
  // The mediation layer's dump of a walked column (core1's interface).
  EXPECT_NE(r.err.find("ipv6IfPhysicalAddress.2\t= 00:00:5E:00:53:11\n"), std::string::npos);
  EXPECT_NE(r.err.find("ENTER : CDiscoIPv6Agent::DAProcessNewNe()"), std::string::npos);

  // Trace to a file: dumps and trace go there, standard error stays quiet.
  TempDir dir;
  const std::string trace = dir.Path() + "/trace";
  RunnerResult f = RunRunner(Replay({"--trace-level", "4", "--trace-file", trace, "--format", "json"}));
  EXPECT_EQ(f.status, 3);
  EXPECT_EQ(ParseJson(f.out), report);
  EXPECT_EQ(f.err, "");
  const std::string text = ReadWhole(trace);
  EXPECT_NE(text.find("ipv6IfPhysicalAddress.3\t= 00:00:5E:00:53:32\n"), std::string::npos);
  EXPECT_NE(text.find("LEAVE : CDiscoIPv6Agent::DADoProcessLayer()"), std::string::npos);
}

TEST(RunnerTest, LiveSnmpOnSimulatedDevicesMatchesTheReplay) {
  REQUIRE_SNMPSIM();
  // The lab's management addresses, on the sandbox's loopback.
  for (const char* address : kLabDevices) {
    const std::string command =
        std::string("ip addr add ") + address + "/32 dev lo 2>/dev/null || true";
    ASSERT_EQ(std::system(command.c_str()), 0);
  }
  SnmpSim sim;
  sim.AddFolder(kLab + "/devices");
  ASSERT_TRUE(sim.Start()) << sim.Error() << sim.Log();

  RunnerResult live = RunRunner(Lab({"--port", std::to_string(sim.Port()), "--timeout", "1",
                               "--retries", "0", "--format", "json"}));
  RunnerResult replay = RunRunner(Replay({"--format", "json"}));
  EXPECT_EQ(live.status, 3) << live.err;
  Json liveReport = ParseJson(live.out);
  Json replayReport = ParseJson(replay.out);
  ASSERT_EQ(liveReport["nes"].size(), 6u);
  for (size_t i = 0; i < 6; ++i) {
    // Why the sensor failed names the transport ("no SNMP answer" against
    // "no recorded walk"); everything else is the same.
    Json live = liveReport["nes"][i], replayed = replayReport["nes"][i];
    live.erase("reason");
    replayed.erase("reason");
    EXPECT_EQ(live, replayed) << "NE " << i;
  }
  EXPECT_EQ(liveReport["links"], Json::parse(kLabLinks));

  // SNMPv1 walks with GETNEXT: the same discovery.
  RunnerResult v1 = RunRunner(Lab({"--port", std::to_string(sim.Port()), "--snmp-version", "1",
                             "--timeout", "1", "--retries", "0", "--format", "json"}));
  EXPECT_EQ(ParseJson(v1.out)["links"], Json::parse(kLabLinks));
}

}  // namespace
