// The whole discovery of router R1 through the in-process engine, inside
// the sandbox: the local neighbours with the remote neighbours of their
// interfaces in the processed data, field by field and in order, and the
// reports made on the way; from recorded walks (replay requester) and
// live from snmpsim serving the same recordings.
#include <chrono>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "agent/CDiscoIPv6Agent.h"
#include "engine/CDiscoEngine.h"
#include "gmock/gmock.h"
#include "gtest/gtest.h"
#include "host/KelError.h"
#include "host/KelTrace.h"
#include "snmp/NetSnmpRequester.h"
#include "snmp/ReplayRequester.h"
#include "tests/integration/RouterR1Expected.h"
#include "tests/support/NbrRecordText.h"
#include "tests/support/SnmpSim.h"
#include "tests/support/TempDir.h"

namespace {

using ::testing::ElementsAreArray;

// R1 as the engine knows it: by its IPv4 address, over which SNMP reaches
// it (an NE known only by an IPv6 address is never mediated).
const char kRouter[] = "198.51.100.10";

bool FromProcessing(const KelErrorReport& report) {
  for (const char* source :
       {"ProcessLayer.cc", "LocalNeighbours.cc", "RouteNeighbours.cc", "LocalNbrFields.cc",
        "ValidRoutes.cc", "CacheNeighbours.cc", "NbrRecords.cc", "NbrLookup.cc"}) {
    if (report.source == source) return true;
  }
  return false;
}

// What one discovery of R1 gave.
struct Outcome {
  EDiscoJobStatus status = E_DJSQueued;
  std::vector<LocalNbrText> nbrs;
  std::vector<std::string> processingReports;
  int unnamedLookups = 0;  // failed reverse lookups
  std::vector<std::string> otherReports;
  std::string description, objectId;
  double seconds = 0;
};

std::string FieldOf(const CKelRecord& record, const char* name) {
  CKelAtom* value = record.KRValueOf(name);
  if (value == nullptr) return "<absent>";
  char* text = value->KAStrRep();
  std::string result = text;
  free(text);
  return result;
}

// Runs one discovery of `address` with a new agent (which reads the files
// of `dirs`) over `requester`.
Outcome Discover(CDiscoStdRequester* requester, const char* address) {
  CDiscoIPv6Agent agent;
  std::unique_ptr<CKelRecord> definition = CDiscoEngine::DEMakeAgentDefinition("IPv6");
  CDiscoEngineOptions options;
  options.workers = 2;
  options.agentDefinition = definition.get();
  CDiscoEngine engine(&agent, requester, options);
  auto* record = new CKelRecord();
  record->KRAddOrSetValue("m_IpAddress", address);
  const auto start = std::chrono::steady_clock::now();
  engine.DESubmit(record);
  engine.DEStartUp();
  Outcome outcome;
  if (!engine.DEWaitAll(std::chrono::seconds(120))) {
    ADD_FAILURE() << "discovery did not finish";
    return outcome;
  }
  outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const CDiscoJob& job = engine.DEJob(0);
  outcome.status = job.status;
  if (job.proc != nullptr) outcome.nbrs = ProcessedText(*job.proc);
  if (job.record != nullptr) {
    outcome.description = FieldOf(*job.record, "m_Description");
    outcome.objectId = FieldOf(*job.record, "m_ObjectId");
  }
  for (const KelErrorReport& report : job.errors) {
    if (FromProcessing(report)) {
      outcome.processingReports.push_back(ReportTexts({report})[0]);
    } else if (report.code == -220439 && report.message == "address-to-name failed ") {
      ++outcome.unnamedLookups;
    } else {
      outcome.otherReports.push_back(report.source + ": " + ReportTexts({report})[0]);
    }
  }
  return outcome;
}

// Checks a discovery of R1 against what its recordings must give.
void ExpectRouterR1(const Outcome& outcome, bool autoDiscovery, bool withNames) {
  ASSERT_EQ(outcome.status, E_DJSProcessed)
      << DEStatusName(outcome.status)
      << "; reports: " << testing::PrintToString(outcome.otherReports);
  EXPECT_EQ(outcome.description, "R1 IPv6 test router, release 15.2");
  EXPECT_EQ(outcome.objectId, "1.3.6.1.4.1.8072.3.2.10");
  const std::vector<FieldTexts> locals = r1::LocalNbrs(withNames);
  ASSERT_EQ(outcome.nbrs.size(), locals.size());
  for (size_t i = 0; i < locals.size(); ++i) {
    SCOPED_TRACE("local neighbour " + std::to_string(i));
    EXPECT_THAT(outcome.nbrs[i].fields, ElementsAreArray(locals[i]));
    std::vector<FieldTexts> remotes;
    if (autoDiscovery && i < 2) remotes = r1::RemotesOfInterface2();
    if (autoDiscovery && i >= 2 && i < 5) remotes = r1::RemotesOfInterface3();
    ASSERT_EQ(outcome.nbrs[i].remotes.size(), remotes.size());
    for (size_t j = 0; j < remotes.size(); ++j) {
      EXPECT_THAT(outcome.nbrs[i].remotes[j], ElementsAreArray(remotes[j])) << "remote " << j;
    }
  }
  EXPECT_THAT(outcome.processingReports, ElementsAreArray(r1::ProcessingReports(autoDiscovery)));
  EXPECT_EQ(outcome.unnamedLookups, r1::UnnamedLookups(autoDiscovery));
  EXPECT_THAT(outcome.otherReports, ElementsAreArray(std::vector<std::string>{}));
}

size_t RecordCount(const Outcome& outcome) {
  size_t count = 0;
  for (const LocalNbrText& local : outcome.nbrs) count += 1 + local.remotes.size();
  return count;
}

class RouterNeighboursTest : public ::testing::Test {
 protected:
  void SetUp() override { dirs_.WritePrefixNames(r1::PrefixNames()); }

  ScopedConfigDirs dirs_;
  CReplayRequester replay_{SnmpSim::FixtureFolder()};
};

TEST_F(RouterNeighboursTest, RecordedRouterGivesEveryNeighbourFieldByField) {
  const Outcome outcome = Discover(&replay_, kRouter);
  ExpectRouterR1(outcome, true, true);
  std::cout << "router R1 (replay): " << outcome.nbrs.size() << " local and "
            << RecordCount(outcome) - outcome.nbrs.size() << " remote neighbour records, "
            << outcome.processingReports.size() << " processing reports, " << outcome.unnamedLookups
            << " failed reverse lookups, " << outcome.seconds << " s\n";
  RecordProperty("records", std::to_string(RecordCount(outcome)));
  RecordProperty("seconds", std::to_string(outcome.seconds));
}

TEST_F(RouterNeighboursTest, LiveRouterFromSnmpsimGivesTheSameNeighbours) {
  REQUIRE_SNMPSIM();
  SnmpSim sim;
  sim.AddDevice(kRouter, SnmpSim::FixtureFolder() + "/198.51.100.10.snmprec");
  ASSERT_TRUE(sim.Start()) << sim.Error();
  CNetSnmpOptions options;
  options.port = sim.Port();
  std::string error;
  std::unique_ptr<CNetSnmpRequester> live = CNetSnmpRequester::Create(options, &error);
  ASSERT_NE(live, nullptr) << error;
  const Outcome outcome = Discover(live.get(), kRouter);
  ExpectRouterR1(outcome, true, true);
  std::cout << "router R1 (live): " << RecordCount(outcome) << " records, " << outcome.seconds
            << " s\n";
}

// With level-4 tracing the builders ask the accessors instead of their
// indexes: the same records and reports, and the decisions in the trace.
TEST_F(RouterNeighboursTest, FullTraceGivesTheSameNeighboursAndTellsEveryDecision) {
  KelTraceCapture trace(4);
  const Outcome outcome = Discover(&replay_, kRouter);
  ExpectRouterR1(outcome, true, true);
  struct Line {
    const char* text;
    int count;
  } lines[] = {
      {"-- DIPv6GetLocalNbrTags() skip loopback/unspecified/multicat address\n", 2},
      {"-- DIPv6GetLocalNbrTags() found ---Anycast--- address\n", 1},
      {"] is administratively down. So skipped!\n", 2},
      {"-- CDiscoIPv6Agent::DIPv6GetLocalNbrTags() found prefix name in config[Lab-One]\n", 1},
      {"-- CDiscoIPv6Agent::DIPv6GetLocalNbrTags() not found prefix name in config\n", 5},
      {"Invalid route : 32.1.13.184.0.18.0.0.0.0.0.0.0.0.0.0.48.1\n", 1},
      {" Next hop is a local ipv6 address[20:01:0D:B8:00:01:00:00:00:00:00:00:00:00:00:01]\n", 1},
      {"FE80:0000:0000:0000:0200:5EFF:FE00:53AA is NOT site-local/global\n", 1},
      {"0000:0000:0000:0000:0000:0000:0000:0000 is NOT site-local/global\n", 3},
      {"20:01:0D:B8:00:01:00:00:00:00:00:00:00:00:00:01 is not consider as a remote neighbour!\n",
       1},
      {"-- CDiscoIPv6Agent::DADoProcessLayer() has local nbr ifIndex=3, looking for any remote "
       "nbrs on same interface\n",
       3},
  };
  for (const Line& line : lines) {
    EXPECT_EQ(trace.Count(line.text), line.count) << line.text;
  }
}

TEST_F(RouterNeighboursTest, AutomaticDiscoveryOffGivesLocalNeighboursOnly) {
  dirs_.WriteConfig("AutoDiscovery 0\n");
  KelTraceCapture trace(4);
  const Outcome outcome = Discover(&replay_, kRouter);
  ExpectRouterR1(outcome, false, true);
  EXPECT_EQ(trace.Count("CDiscoIPv6Agent::DADoProcessLayer() - No remote nbrs...\n"), 1);
  EXPECT_EQ(trace.Count("ENTER : CDiscoIPv6Agent::DIPv6GetRemoteNbrFromIpRoutingTable()"), 0);
}

TEST_F(RouterNeighboursTest, WithoutPrefixNameFileNoPrefixIsNamed) {
  ScopedConfigDirs bare;  // no file at all
  KelTraceCapture trace(4);
  const Outcome outcome = Discover(&replay_, kRouter);
  ExpectRouterR1(outcome, true, false);
  EXPECT_EQ(trace.Count("prefix name in config"), 0);
}

// Hosts and routers that do not forward IPv6 get their description but no
// neighbours.
TEST_F(RouterNeighboursTest, NonRoutersGetNoNeighbours) {
  struct Case {
    const char* address;
    const char* description;
  } cases[] = {{"198.51.100.12", "M12 dual-stack test host"},
               {"192.0.2.1", "V4R IPv4-only test router"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    const Outcome outcome = Discover(&replay_, c.address);
    ASSERT_EQ(outcome.status, E_DJSProcessed) << DEStatusName(outcome.status);
    EXPECT_EQ(outcome.description, c.description);
    EXPECT_TRUE(outcome.nbrs.empty());
    EXPECT_TRUE(outcome.processingReports.empty());
  }
}

// A device that forwards IPv6 but sends indexes and values no conforming
// agent sends: no address makes a local neighbour, no table a remote one,
// and nothing breaks.
TEST_F(RouterNeighboursTest, MalformedRouterGivesNoNeighboursAndNoFault) {
  const Outcome outcome = Discover(&replay_, "192.0.2.66");
  ASSERT_EQ(outcome.status, E_DJSProcessed) << DEStatusName(outcome.status);
  EXPECT_EQ(outcome.description, "42");
  // A text where an OID belongs reaches the record as the requester gives
  // it: its octets.
  EXPECT_EQ(outcome.objectId, "6E:6F:74:20:61:6E:20:6F:69:64");
  EXPECT_TRUE(outcome.nbrs.empty());
  EXPECT_THAT(outcome.processingReports,
              ElementsAreArray(std::vector<std::string>{
                  "-220439|screwed: one of ifRouteType, ifRouteIfIndex, ifRouteNextHop is null",
                  "-220439|screwed: one of stateList,validList or physAddrList is null",
                  "-220439|procData null or no local nbrs!"}));
}

}  // namespace
