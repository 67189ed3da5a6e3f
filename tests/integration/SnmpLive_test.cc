// The live requester against snmpsim serving the recorded test devices, and
// the replay requester against the same files: both must give the same
// var-ops. Runs inside the sandbox, where the device addresses are on
// loopback.
#include <chrono>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "gmock/gmock.h"
#include "gtest/gtest.h"
#include "host/KelError.h"
#include "snmp/NetSnmpRequester.h"
#include "snmp/ReplayRequester.h"
#include "snmp/RequesterErrors.h"
#include "tests/support/SnmpSim.h"
#include "tests/support/SnmpTestUtil.h"

namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

const char kRouter[] = "2001:db8:1::1";

// Every recorded device, and the router once more on a 127.0.0.x address.
const std::vector<std::string> kDevices = {"2001:db8:1::1", "198.51.100.10", "2001:db8:1::5",
                                           "198.51.100.12", "192.0.2.1",     "192.0.2.66"};
const char kLoopbackRouter[] = "127.0.0.2";

class SnmpLiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_SNMPSIM();
    sim_.AddFolder(SnmpSim::FixtureFolder());
    sim_.AddDevice(kLoopbackRouter, SnmpSim::FixtureFolder() + "/2001:db8:1::1.snmprec");
    sim_.AddV3User("disco", "SHA", "authpass123", "AES", "privpass123");
    sim_.AddV3User("other", "SHA", "otherpass123", "AES", "privpass123");
    ASSERT_TRUE(sim_.Start()) << sim_.Error();
  }

  // `patient`: the simulator is slow under a loaded test run, so requests
  // that must be answered get a long timeout.
  std::unique_ptr<CNetSnmpRequester> Live(CNetSnmpOptions options = CNetSnmpOptions(),
                                          bool patient = true) {
    options.port = sim_.Port();
    if (patient) {
      options.timeoutMs = 3000;
      options.retries = 2;
    }
    std::string error;
    std::unique_ptr<CNetSnmpRequester> requester = CNetSnmpRequester::Create(options, &error);
    EXPECT_NE(requester, nullptr) << error;
    return requester;
  }

  static CNetSnmpOptions V3(const char* authPass, const char* user = "disco") {
    CNetSnmpOptions options;
    options.version = ESnmpVersion::kV3;
    options.user = user;
    options.auth = ESnmpAuth::kSHA;
    options.authPassphrase = authPass;
    options.priv = ESnmpPriv::kAES;
    options.privPassphrase = "privpass123";
    return options;
  }

  SnmpSim sim_;
  KelErrorCapture errors_;
  CReplayRequester replay_{SnmpSim::FixtureFolder()};
};

TEST_F(SnmpLiveTest, LiveAndReplayGiveTheSameVarOpsForEveryDevice) {
  std::unique_ptr<CNetSnmpRequester> live = Live();
  ASSERT_NE(live, nullptr);
  for (const std::string& device : kDevices) {
    SCOPED_TRACE(device);
    auto record = RecordAt(device);
    const std::vector<std::string> recorded = FullDump(&replay_, record.get());
    EXPECT_GE(recorded.size(), 4u);
    EXPECT_THAT(FullDump(live.get(), record.get()), ElementsAreArray(recorded));
  }
  const std::vector<std::string> router = FullDump(&replay_, RecordAt(kRouter).get());
  EXPECT_THAT(FullDump(live.get(), RecordAt(kLoopbackRouter).get()), ElementsAreArray(router));
  // The index columns cannot be read, live or not.
  for (const char* index : {"ipv6IfIndex", "ipv6AddrAddress", "ipv6AddrPrefix",
                            "ipv6AddrPrefixLength", "ipv6RouteDest", "ipv6RoutePfxLength",
                            "ipv6RouteIndex", "ipv6NetToMediaNetAddress"}) {
    EXPECT_THAT(WalkText(live.get(), RecordAt(kRouter).get(), index), ElementsAre()) << index;
  }
  EXPECT_EQ(errors_.Reports().size(), 0u);
}

TEST_F(SnmpLiveTest, ValuesTypesAndIndexesOverTheWire) {
  std::unique_ptr<CNetSnmpRequester> live = Live();
  ASSERT_NE(live, nullptr);
  auto router = RecordAt(kRouter);
  EXPECT_EQ(GetText(live.get(), router.get(), "sysDescr"),
            "0 = text:R1 IPv6 test router, release 15.2");
  EXPECT_EQ(GetText(live.get(), router.get(), "sysObjectID"), "0 = text:1.3.6.1.4.1.8072.3.2.10");
  EXPECT_EQ(GetText(live.get(), router.get(), "ipv6Forwarding"), "0 = int:1");
  EXPECT_EQ(GetText(live.get(), router.get(), "ipv6IfDescr", "2"), "2 = text:eth0");
  EXPECT_THAT(WalkText(live.get(), router.get(), "ipv6IfPhysicalAddress"),
              ElementsAre("1 = text:", "2 = text:00:00:5E:00:53:01", "3 = text:00:00:5E:00:53:02",
                          "4 = text:00:00:5E:00:53:03", "5 = text:C6:33:64:0A"));
  EXPECT_THAT(WalkText(live.get(), router.get(), "ipv6IfLastChange"),
              testing::Contains("5 = int:4294967290"));
  EXPECT_THAT(WalkText(live.get(), router.get(), "ipv6AddrPrefixOnLinkFlag"),
              ElementsAre("2.32.1.13.184.0.1.0.0.0.0.0.0.0.0.0.0.64 = int:1",
                          "3.32.1.13.184.0.2.0.0.0.0.0.0.0.0.0.0.64 = int:1",
                          "3.254.192.0.0.0.0.0.1.0.0.0.0.0.0.0.0.64 = int:1",
                          "4.32.1.13.184.0.3.0.0.0.0.0.0.0.0.0.0.64 = int:1",
                          "5.32.1.13.184.0.4.0.0.0.0.0.0.0.0.0.0.64 = int:2"));
  // The host and the IPv4-only router.
  EXPECT_EQ(GetText(live.get(), RecordAt("2001:db8:1::5").get(), "ipv6Forwarding"), "0 = int:2");
  EXPECT_EQ(GetText(live.get(), RecordAt("192.0.2.1").get(), "ipForwarding"), "0 = int:1");
  EXPECT_EQ(GetText(live.get(), RecordAt("192.0.2.1").get(), "ipv6Forwarding"), "<null var-op>");
  // The name whose first address is silent and whose second answers.
  CNetSnmpOptions quick;
  quick.timeoutMs = 200;
  std::unique_ptr<CNetSnmpRequester> impatient = Live(quick, false);
  EXPECT_EQ(GetText(impatient.get(), RecordAt("198.51.100.11").get(), "sysDescr"),
            "<null var-op>");
  EXPECT_EQ(GetText(live.get(), RecordAt("198.51.100.12").get(), "sysDescr"),
            "0 = text:M12 dual-stack test host");
}

// Reads the whole router as the agent does for one NE, from `requester`.
snmp::RequestCounts ReadRouter(CChannelRequester* requester, std::vector<std::string>* dump) {
  requester->DSRResetCounts();
  requester->DSRNeBegin();
  *dump = FullDump(requester, RecordAt(kRouter).get());
  requester->DSRNeEnd();
  return requester->DSRCounts();
}

TEST_F(SnmpLiveTest, RequestCountsOfAFullRouterRead) {
  struct Case {
    const char* what;
    ESnmpVersion version;
    int repetitions;
    long pdus;  // 4 GETs, then each of the five tables fetched whole
  } cases[] = {{"GETBULK, 20 repetitions", ESnmpVersion::kV2c, 20, 4 + 5},
               {"GETBULK, 2 repetitions", ESnmpVersion::kV2c, 2, 26},
               {"GETNEXT (SNMPv1)", ESnmpVersion::kV1, 20, 47}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CNetSnmpOptions options;
    options.version = c.version;
    options.maxRepetitions = c.repetitions;
    std::unique_ptr<CNetSnmpRequester> live = Live(options);
    ASSERT_NE(live, nullptr);
    snmp::WalkOptions walk;
    walk.bulk = c.version != ESnmpVersion::kV1;
    walk.maxRepetitions = c.repetitions;
    CReplayRequester replay(SnmpSim::FixtureFolder(), walk);
    std::vector<std::string> liveDump, replayDump;
    const snmp::RequestCounts counts = ReadRouter(live.get(), &liveDump);
    const snmp::RequestCounts recorded = ReadRouter(&replay, &replayDump);
    EXPECT_EQ(liveDump, replayDump);
    EXPECT_EQ(counts.gets, 4);
    EXPECT_EQ(counts.walks, 25);
    // SNMPv1 learns the end of the device's MIB from a noSuchName, one
    // request more than the replay, which answers as SNMPv2c does.
    EXPECT_EQ(counts.pdus, recorded.pdus + (c.version == ESnmpVersion::kV1 ? 1 : 0));
    EXPECT_EQ(counts.pdus, c.pdus);
    EXPECT_EQ(counts.noAnswer, 0);
    std::cout << "router, " << c.what << ": " << counts.gets << " GETs, " << counts.walks
              << " walks, " << counts.pdus << " PDUs\n";
    RecordProperty(std::string("pdus ") + c.what, std::to_string(counts.pdus));
  }
  EXPECT_EQ(errors_.Reports().size(), 0u);
}

TEST_F(SnmpLiveTest, SnmpV3GivesWhatV2cGivesAndRefusesAWrongKey) {
  std::unique_ptr<CNetSnmpRequester> v2c = Live();
  std::unique_ptr<CNetSnmpRequester> v3 = Live(V3("authpass123"));
  ASSERT_NE(v3, nullptr);
  for (const char* device : {kRouter, "198.51.100.10"}) {
    SCOPED_TRACE(device);
    EXPECT_THAT(FullDump(v3.get(), RecordAt(device).get()),
                ElementsAreArray(FullDump(v2c.get(), RecordAt(device).get())));
  }
  EXPECT_EQ(errors_.Reports().size(), 0u);

  // A user the device does not know is refused with a report (snmpsim
  // sends one for noAuthNoPriv requests), which is an error. A wrong key
  // cannot be told from silence: the device's reply does not authenticate
  // and is dropped. (The library keeps one key per user and engine for the
  // whole process, so the wrong key goes with a user not used before.)
  CNetSnmpOptions unknown = V3("", "stranger");
  unknown.auth = ESnmpAuth::kNone;
  unknown.priv = ESnmpPriv::kNone;
  unknown.timeoutMs = 300;
  CNetSnmpOptions wrongKey = V3("wrongpass123", "other");
  wrongKey.timeoutMs = 300;
  for (CNetSnmpOptions* options : {&unknown, &wrongKey}) {
    SCOPED_TRACE(options->user);
    errors_.Clear();
    std::unique_ptr<CNetSnmpRequester> refused = Live(*options, false);
    ASSERT_NE(refused, nullptr);
    EXPECT_EQ(GetText(refused.get(), RecordAt(kRouter).get(), "sysDescr"), "<null var-op>");
    EXPECT_THAT(WalkText(refused.get(), RecordAt(kRouter).get(), "ipv6IfDescr"),
                ElementsAre("<null list>"));
    if (options == &unknown) {
      ASSERT_EQ(errors_.Reports().size(), 2u);
      EXPECT_EQ(errors_.Count(snmp::kErrSession), 1);     // the GET
      EXPECT_EQ(errors_.Count(snmp::kErrWalkStopped), 1);  // the walk
      for (const KelErrorReport& report : errors_.Reports()) {
        EXPECT_THAT(report.message, testing::HasSubstr("Unknown user name"));
      }
    } else {
      EXPECT_EQ(errors_.Reports().size(), 0u);
      EXPECT_EQ(refused->DSRCounts().noAnswer, 2);
    }
  }
}

TEST_F(SnmpLiveTest, ThreadsShareOneRequester) {
  std::unique_ptr<CNetSnmpRequester> v2c = Live();
  std::unique_ptr<CNetSnmpRequester> v3 = Live(V3("authpass123"));
  ASSERT_NE(v3, nullptr);
  std::map<std::string, std::vector<std::string>> expected;
  for (const std::string& device : kDevices) {
    expected[device] = FullDump(&replay_, RecordAt(device).get());
  }
  struct Job {
    CNetSnmpRequester* requester;
    std::string device;
    std::vector<std::string> result;
  };
  std::vector<Job> jobs;
  for (const std::string& device : kDevices) jobs.push_back({v2c.get(), device, {}});
  jobs.push_back({v3.get(), kRouter, {}});
  jobs.push_back({v3.get(), "2001:db8:1::5", {}});
  jobs.push_back({v2c.get(), kRouter, {}});
  std::vector<std::thread> threads;
  for (Job& job : jobs) {
    threads.emplace_back([&job] { job.result = FullDump(job.requester, RecordAt(job.device).get()); });
  }
  for (std::thread& t : threads) t.join();
  for (const Job& job : jobs) {
    EXPECT_THAT(job.result, ElementsAreArray(expected[job.device])) << job.device;
  }
  EXPECT_EQ(errors_.Reports().size(), 0u);
}

// Without any simulator: nothing listens, nothing answers.
TEST(SnmpSilentDeviceTest, CostsAtMostTimeoutTimesAttempts) {
  struct Case {
    const char* what;
    ESnmpVersion version;
    const char* address;
  } cases[] = {{"v2c, address on loopback", ESnmpVersion::kV2c, "198.51.100.11"},
               {"v2c, IPv6 address on loopback", ESnmpVersion::kV2c, "2001:db8:2::5"},
               {"v1, named host's address", ESnmpVersion::kV1, "192.0.2.99"},
               {"v3, engine discovery unanswered", ESnmpVersion::kV3, "192.0.2.99"}};
  const int timeoutMs = 250;
  const int retries = 1;
  const auto budget = std::chrono::milliseconds(timeoutMs * (retries + 1));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    KelErrorCapture errors;
    CNetSnmpOptions options;
    options.version = c.version;
    options.user = "disco";
    options.timeoutMs = timeoutMs;
    options.retries = retries;
    std::string error;
    std::unique_ptr<CNetSnmpRequester> live = CNetSnmpRequester::Create(options, &error);
    ASSERT_NE(live, nullptr) << error;
    auto record = RecordAt(c.address);
    live->DSRNeBegin();
    for (int request = 0; request < 2; ++request) {
      const auto start = std::chrono::steady_clock::now();
      if (request == 0) {
        EXPECT_EQ(live->DSRSnmpGet(record.get(), "ipv6Forwarding", "0", nullptr), nullptr);
      } else {
        EXPECT_EQ(live->DSRSnmpGetNext(record.get(), "ipv6IfDescr", nullptr, nullptr), nullptr);
      }
      const auto elapsed = std::chrono::steady_clock::now() - start;
      EXPECT_LE(elapsed, budget + std::chrono::milliseconds(400));
      // The library really waited for every attempt.
      EXPECT_GE(elapsed, budget - std::chrono::milliseconds(50));
    }
    const snmp::RequestCounts counts = live->DSRCounts();
    EXPECT_EQ(counts.noAnswer, 2);
    const CDiscoSnmpSummary summary = live->DSRNeEnd();
    ASSERT_EQ(summary.targets.size(), 1u);
    EXPECT_EQ(summary.targets[0].silence,
              "no SNMP answer from " + std::string(c.address) +
                  " port 161 after 2 requests of 2 attempts (1 s in all): the device is "
                  "unreachable, runs no SNMP agent, " +
                  (c.version == ESnmpVersion::kV3
                       ? "or ignores SNMPv3 requests"
                       : "or does not accept the community (a wrong community gets no answer)"));
    EXPECT_EQ(errors.Reports().size(), 0u) << errors.Reports()[0].message;
  }
}

}  // namespace
