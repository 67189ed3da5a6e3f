// The runner binary end to end in the sandbox (whose resolver knows only the fixture names):
// the demo lab replayed and served by snmpsim, the names overlay, report file, traces, dumps.
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "engine/Commands.h"
#include "engine/RecordOptions.h"
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

// A report as the demo lab's are kept in tests/fixtures/demo: paths relative to the source folder, seconds 0 in
// JSON and "#" in text.
std::string Kept(std::string report) {
  const std::string top = std::string(TEST_SOURCE_DIR) + "/";
  for (size_t at = 0; (at = report.find(top, at)) != std::string::npos;) report.erase(at, top.size());
  report = std::regex_replace(report, std::regex("Seconds\": [0-9.e-]+"), "Seconds\": 0");
  return std::regex_replace(report, std::regex("[0-9]+\\.[0-9]{3} s\\b"), "# s");
}

// A run that gives another report than the kept one leaves it in the build folder, to compare (or copy over the
// kept one when the change is meant).
const std::string kDemo = std::string(TEST_SOURCE_DIR) + "/tests/fixtures/demo/expected.";
void ExpectDemoReport(const std::string& given, const std::string& format) {
  const std::string report = Kept(given);
  if (report == ReadWhole(kDemo + format)) return;
  const std::string got = std::string(TEST_BINARY_DIR) + "/demo-report." + format;
  std::ofstream(got, std::ios::binary) << report;
  ADD_FAILURE() << "the demo lab's " << format << " report differs from " << kDemo << format << " (see " << got << ")";
}

// What the report shows, among the rest: core1, given by its loopback, named by reverse lookup and asked over SNMP
// on its name's IPv4 address; ws1, given with a length, an IPv6-only end node described from its unique address;
// the silent sensor failed, described as an IPv6-only end node; one link per (NE, interface, remote address).
TEST(RunnerTest, DemoLabReplayGivesEveryNeAndLink) {
  RunnerResult one = RunRunner(Lab({"--format", "json", "--threads", "1"}));  // the JSON lines below: six workers
  EXPECT_EQ(one.status, 3) << one.err;
  ExpectDemoReport(one.out, "json");
  // JSON lines: each NE on a line as it ends, then the rest; together the report, timings aside.
  RunnerResult lines = RunRunner(Lab({"--format", "jsonl", "--threads", "6"}));
  EXPECT_EQ(lines.status, 3);
  Json whole = ParseJson(one.out), rest, nes = Json::array();
  whole.erase("cost");
  std::map<Json, size_t> order;  // input -> position in the report
  for (Json& ne : whole["nes"]) ne.erase("cost"), order.emplace(ne["input"], order.size());
  std::istringstream in(lines.out);
  for (std::string line; std::getline(in, line);) {
    Json j = ParseJson(line);
    j.erase("cost");
    (j.contains("input") ? nes[order.at(j["input"])] : rest) = j;
  }
  EXPECT_EQ(nes, whole["nes"]);
  whole.erase("nes");
  EXPECT_EQ(rest, whole);
}

// Crawling from core1: the routers' next hops and neighbour caches, hop by hop, within the bounds given.
TEST(RunnerTest, CrawlFromOneRouterFindsTheLabWithinItsBounds) {
  TempDir etc;
  etc.WriteFile("conf/tovra/IPv6.conf", "AutoDiscovery 0\n");
  const std::string all = "100::1 0, 110::2 1, 120::2 1, 1ff::1 1, 210::10 2, 210::11 2, 310::99 2";
  const std::string cut = "ipv6disco: --crawl stopped at --max-nes 3: more NEs were found\n";
  const struct { Args args; int status; std::string nes, err; } rows[] = {  // nes: "<input> <hop>", 2001:db8: left out
      {{}, 3, all, ""}, {{"--threads", "1"}, 3, all, ""},
      {{"--max-hops", "1"}, 3, "100::1 0, 110::2 1, 120::2 1, 1ff::1 1", ""},
      {{"--scope", "2001:db8::/32", "--exclude", "2001:db8:1ff::/48", "--max-hops", "1"}, 0, "100::1 0, 110::2 1, 120::2 1", ""},
      {{"--scope", "2001:db8:120::/48", "--scope", "2001:db8:300::/40"}, 3, "100::1 0, 120::2 1, 310::99 2", ""},
      {{"--max-nes", "3"}, 3, "100::1 0, 110::2 1, 120::2 1", cut},
      {{"203.0.113.1"}, 3, "100::1 0, 110::2 1, 120::2 1, 1ff::1 1, 210::10 2, 210::11 2, 310::99 2", ""},  // core1 twice
      {{"--etc-dir", etc.Path()}, 0, "100::1 0", "ipv6disco: --crawl found no new NE: the NEs reported no remote "
                                                 "neighbours (is automatic discovery off in the agent configuration?)\n"},
  };
  for (const auto& row : rows) {
    Args args = {"--replay", kLab + "/devices", "--hosts", kLab + "/hosts", "--etc-dir", kLab + "/etc",
                 "--var-dir", kLab + "/var", "--format", "json", "--crawl", "2001:db8:100::1"};
    args.insert(args.end(), row.args.begin(), row.args.end());
    RunnerResult r = RunRunner(args);
    const std::string shown = ::testing::PrintToString(row.args);
    EXPECT_EQ(r.status, row.status) << shown;
    EXPECT_EQ(r.err, row.err) << shown;
    const Json report = ParseJson(r.out);
    std::string nes;
    for (const Json& ne : report["nes"]) {
      nes += (nes.empty() ? "" : ", ") + ne["input"].get<std::string>().substr(9) + " " + std::to_string(ne["hop"].get<int>());
    }
    EXPECT_EQ(nes, row.nes) << shown;
    EXPECT_EQ(report["crawl"]["maxNesReached"], !row.err.empty() && row.err == cut) << shown;
  }
  // How each was found, and the counts (the second seed, core1 again, is left out as reached twice).
  const Json report = ParseJson(RunRunner({"--replay", kLab + "/devices", "--hosts", kLab + "/hosts", "--format",
                                           "json", "--crawl", "2001:db8:100::1", "203.0.113.1"}).out);
  EXPECT_EQ(report["nes"][0]["foundVia"], Json());
  EXPECT_EQ(report["nes"][4]["foundVia"], Json::parse(R"({"ne":"2001:db8:110::2","address":"2001:db8:210::10"})"));
  EXPECT_EQ(report["crawl"], Json::parse(R"({"seeds":2,"discovered":6,"merged":1,"maxNes":1000,"maxNesReached":false})"));
}

TEST(RunnerTest, AnInterruptEndsTheRunAtOnceReportingEveryNe) {
  // Four silent NEs on one worker, 2 s a request: the signal comes while the first waits for its answer.
  TempDir dir;
  const Args nes = {"198.51.100.11", "198.51.100.12", "192.0.2.99", "2001:db8:2::5"};
  const struct { int signal, status; const char* format, *seen; } rows[] = {  // seen: NEs in the order written
      {SIGINT, 130, "jsonl", ".12 interrupted, .99 interrupted, :5 interrupted, .11 interrupted, links"},
      {SIGTERM, 143, "json", ".11 interrupted, .12 interrupted, .99 interrupted, :5 interrupted, links"}};
  for (const auto& row : rows) {
    const std::string file = dir.Path() + "/r." + row.format;
    Args args = {"--threads", "1", "--timeout", "2", "--retries", "0", "--format", row.format, "-o", file};
    args.insert(args.end(), nes.begin(), nes.end());
    const auto start = std::chrono::steady_clock::now();
    RunnerResult r = RunProgram(std::string(TEST_BINARY_DIR) + "/ipv6disco", args, row.signal, 500);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4)) << row.format;
    EXPECT_EQ(r.status, row.status);
    EXPECT_EQ(r.err, "ipv6disco: interrupted: ending the NEs under way (a second signal stops at once)\n");
    Json report = Json::array();  // the NE objects and the rest, as written
    std::istringstream in(ReadWhole(file));
    for (std::string line; row.format == std::string("jsonl") && std::getline(in, line);) report.push_back(ParseJson(line));
    if (report.empty()) report = ParseJson(in.str())["nes"], report.push_back(ParseJson(in.str()));
    std::string seen;
    for (const Json& j : report) {
      const std::string input = j.value("input", "");
      seen += j.contains("links") ? "links" : input.substr(input.find_last_of(".:")) + " " + j.value("status", "") + ", ";
    }
    EXPECT_EQ(seen, row.seen);
  }
}

TEST(RunnerTest, TextAndDotSummariseTheRunAndAnUnwritableReportIsFatal) {
  RunnerResult text = RunRunner(Lab({}));
  RunnerResult dot = RunRunner(Lab({"--format", "dot"}));
  EXPECT_EQ(text.status, 3);  // the sensor failed; with every NE processed, 0
  EXPECT_EQ(dot.status, 3);
  RunnerResult all = RunRunner({"--hosts", kLab + "/hosts", "--replay", kLab + "/devices", "edge1.lab.example"});
  EXPECT_EQ(all.status, 0) << all.err;
  EXPECT_EQ(all.err, "");
  ExpectDemoReport(text.out, "txt");
  ExpectDemoReport(dot.out, "dot");
  TempDir dir;
  RunnerResult r = RunRunner(Lab({"-o", dir.Path() + "/no/such/folder/r.txt"}));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ipv6disco: cannot write the report '" + dir.Path() +
                       "/no/such/folder/r.txt': No such file or directory\n");
  RunnerResult full = RunRunner(Lab({"-o", "/dev/full"}));
  EXPECT_EQ(full.status, 1);
  EXPECT_EQ(full.err, "ipv6disco: cannot write the report to /dev/full: No space left on device\n");
  // A run that fails leaves the previous report whole; one that ends replaces it, keeping its permissions,
  // and leaves nothing beside it.
  const std::string kept = dir.WriteFile("kept.txt", "previous\n");
  chmod(kept.c_str(), 0640);
  EXPECT_EQ(RunRunner(Lab({"-o", kept, "--plugin", dir.Path() + "/none.so"})).status, 1);
  EXPECT_EQ(ReadWhole(kept), "previous\n");
  const RunnerResult replaced = RunRunner(Lab({"-o", kept}));
  EXPECT_TRUE(replaced.status == 3 && replaced.out.empty()) << replaced.status << replaced.out;
  struct stat st;
  EXPECT_TRUE(stat(kept.c_str(), &st) == 0 && (st.st_mode & 0777) == 0640);
  ExpectDemoReport(ReadWhole(kept), "txt");
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) names.push_back(entry.path().filename());
  EXPECT_EQ(names, std::vector<std::string>{"kept.txt"});
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
  ExpectDemoReport(f.out, "json");
  EXPECT_EQ(Kept(e.out), Kept(f.out));
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
  RunnerResult live = RunRunner(Lab({"--port", std::to_string(sim.Port()), "--timeout", "1", "--retries", "0",
                                     "--format", "json"}, false));
  RunnerResult replay = RunRunner(Lab({"--format", "json"}));
  EXPECT_EQ(live.status, 3) << live.err;
  Json liveReport = ParseJson(live.out), replayReport = ParseJson(replay.out);
  ASSERT_EQ(liveReport["nes"].size(), 6u);
  // Why the sensor failed names the transport ("no SNMP answer" against "no
  // recorded walk"); everything else is the same.
  for (Json* report : {&liveReport, &replayReport}) {
    for (Json& ne : (*report)["nes"]) {
      ne.erase("reason"), ne["cost"].erase("snmpSeconds"), ne["cost"].erase("nameSeconds");
    }
  }
  EXPECT_EQ(liveReport["nes"], replayReport["nes"]);
  EXPECT_EQ(liveReport["links"], ParseJson(ReadWhole(kDemo + "json"))["links"]);
}

// `ipv6disco record` of the lab served by snmpsim, given the NEs of the run: each NE read at the first address that
// answers (a name and an IPv6 address through their name's IPv4 addresses), the silent sensor told; the recording
// replays to the live report.
TEST(RunnerTest, RecordingOfSimulatedDevicesReplaysToTheLiveReport) {
  REQUIRE_SNMPSIM();
  SnmpSim sim;
  sim.AddFolder(kLab + "/devices");
  ASSERT_TRUE(sim.Start()) << sim.Error() << sim.Log();
  TempDir dir;
  const std::string out = dir.Path() + "/made/";
  const Args snmp = {"--port", std::to_string(sim.Port()), "--timeout", "1", "--retries", "0"};
  Args record = {"record", "--hosts", kLab + "/hosts", "--ne-file", kLab + "/nes.txt", "--out", out, "--threads", "4"};
  record.insert(record.end(), snmp.begin(), snmp.end());
  RunnerResult r = RunRunner(record);
  EXPECT_EQ(r.status, 3);
  const std::string silent = " port " + std::to_string(sim.Port()) + " after 1 request of 1 attempt (1 s in all): "
      "the device is unreachable, runs no SNMP agent, or does not accept the community (a wrong community gets no answer)";
  EXPECT_EQ(r.err, "ipv6disco record: 2001:db8:310::99: no SNMP answer from 203.0.113.99" + silent +
                       "; no SNMP answer from 2001:db8:310::99" + silent + "\n");
  // The lab's devices hold only what discovery reads: every object of each is recorded.
  EXPECT_EQ(r.out, "2001:db8:100::1 -> " + out + "203.0.113.1.snmprec (125 objects, 17 requests)\n"
                   "edge1.lab.example -> " + out + "203.0.113.2.snmprec (117 objects, 16 requests)\n"
                   "203.0.113.3 -> " + out + "203.0.113.3.snmprec (88 objects, 15 requests)\n"
                   "2001:db8:210::10/64 -> " + out + "203.0.113.10.snmprec (44 objects, 13 requests)\n"
                   "v4gw.lab.example -> " + out + "203.0.113.254.snmprec (4 objects, 11 requests)\n"
                   "recorded 5 of 6 NEs in " + out + "\n");
  RunnerResult live = RunRunner(Lab({"--format", "json", snmp[0], snmp[1], snmp[2], snmp[3], snmp[4], snmp[5]}, false));
  RunnerResult replay = RunRunner(Lab({"--format", "json", "--replay", out}, false));
  EXPECT_EQ(replay.status, 3) << replay.err;
  Json liveReport = ParseJson(live.out), replayReport = ParseJson(replay.out);
  for (Json* report : {&liveReport, &replayReport}) {
    for (Json& ne : (*report)["nes"]) ne.erase("reason"), ne["cost"].erase("snmpSeconds"), ne["cost"].erase("nameSeconds");
  }
  EXPECT_EQ(replayReport["nes"], liveReport["nes"]);
  EXPECT_EQ(replayReport["links"], liveReport["links"]);
  // Interrupted: the NE under way is finished, the others are not started.
  RunnerResult cut = RunProgram(std::string(TEST_BINARY_DIR) + "/ipv6disco", {"record", "--out", out, "--threads", "1",
      "--timeout", "2", "--retries", "0", "192.0.2.99", "192.0.2.98", "192.0.2.97"}, SIGINT, 1000);
  EXPECT_EQ(cut.status, 130);
  EXPECT_EQ(cut.err, "ipv6disco record: interrupted: finishing the NEs under way (a second signal stops at once)\n"
                     "ipv6disco record: 192.0.2.99: no SNMP answer from 192.0.2.99 port 161 after 1 request of 1 attempt "
                     "(2 s in all): the device is unreachable, runs no SNMP agent, or does not accept the community (a "
                     "wrong community gets no answer)\n");
  EXPECT_EQ(cut.out, "recorded 0 of 3 NEs in " + out + "\n");
  // The command's help, and the runner's listing the commands.
  EXPECT_EQ(RunRunner({"record", "--help"}).out, DERecordUsage());
  EXPECT_EQ(RunRunner({"-h"}).out, std::string(DERunnerUsage()) + DECommandsUsage());
}

}  // namespace
