// The live requester against snmpsim serving the recorded test devices, and the replay requester on the same
// files: both must give the same var-ops. Runs in the sandbox, where the device addresses are on loopback.
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "gtest/gtest.h"
#include "host/KelError.h"
#include "snmp/NetSnmpRequester.h"
#include "snmp/ReplayRequester.h"
#include "snmp/RequesterErrors.h"
#include "tests/support/SnmpSim.h"
#include "tests/support/SnmpTestUtil.h"

namespace {

const char kRouter[] = "2001:db8:1::1";

CNetSnmpOptions V3(const char* user, const char* authPass, int timeoutMs = 3000) {
  CNetSnmpOptions o;
  o.version = ESnmpVersion::kV3, o.user = user, o.auth = ESnmpAuth::kSHA, o.authPassphrase = authPass;
  o.priv = ESnmpPriv::kAES, o.privPassphrase = "privpass123", o.timeoutMs = timeoutMs;
  return o;
}

class SnmpLiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_SNMPSIM();
    sim_.AddFolder(SnmpSim::FixtureFolder());
    sim_.AddV3User("disco", "SHA", "authpass123", "AES", "privpass123");
    sim_.AddV3User("other", "SHA", "otherpass123", "AES", "privpass123");
    ASSERT_TRUE(sim_.Start()) << sim_.Error();
  }
  // The simulator is slow under a loaded test run: requests that must be answered wait long (3 s, 2 retries).
  std::unique_ptr<CNetSnmpRequester> Live(CNetSnmpOptions options = CNetSnmpOptions(), int retries = 2) {
    options.port = sim_.Port(), options.retries = retries;
    options.timeoutMs = options.timeoutMs == 1000 ? 3000 : options.timeoutMs;
    std::string error;
    auto requester = CNetSnmpRequester::Create(options, &error);
    EXPECT_NE(requester, nullptr) << error;
    return requester;
  }

  SnmpSim sim_;
  KelErrorCapture errors_;
  CReplayRequester replay_{SnmpSim::FixtureFolder()};
};

// Every device, each read on a thread of its own through one v2c requester, and three of them again through one
// SNMPv3 requester.
TEST_F(SnmpLiveTest, LiveAndReplayGiveTheSameVarOpsForEveryDeviceOnManyThreads) {
  std::unique_ptr<CNetSnmpRequester> v2c = Live(), v3 = Live(V3("disco", "authpass123"));
  ASSERT_NE(v3, nullptr);
  std::vector<std::pair<CNetSnmpRequester*, std::string>> jobs;
  for (const char* device : {kRouter, "198.51.100.10", "2001:db8:1::5"}) jobs.push_back({v3.get(), device});
  for (const char* device : {kRouter, "198.51.100.10", "2001:db8:1::5", "198.51.100.12", "192.0.2.1",
                             "192.0.2.66"}) {
    jobs.push_back({v2c.get(), device});
  }
  std::vector<std::vector<std::string>> results(jobs.size());
  std::vector<std::thread> threads;
  for (size_t i = 0; i < jobs.size(); ++i) {
    threads.emplace_back([&, i] { results[i] = FullDump(jobs[i].first, RecordAt(jobs[i].second).get()); });
  }
  for (std::thread& thread : threads) thread.join();
  for (size_t i = 0; i < jobs.size(); ++i) {
    const std::string& address = jobs[i].second;
    const auto recorded = FullDump(&replay_, RecordAt(address).get());
    EXPECT_GE(recorded.size(), 4u);
    EXPECT_EQ(results[i], recorded) << address << (jobs[i].first == v3.get() ? " v3" : " v2c");
  }
  EXPECT_EQ(errors_.Reports().size(), 0u);
}

TEST_F(SnmpLiveTest, RequestCountsOfAFullRouterRead) {
  const struct {
    ESnmpVersion version;
    int repetitions;
    long pdus;  // 4 GETs, then each of the five tables fetched whole
  } rows[] = {{ESnmpVersion::kV2c, 20, 4 + 5}, {ESnmpVersion::kV2c, 2, 26}, {ESnmpVersion::kV1, 20, 47}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.pdus);
    CNetSnmpOptions options;
    options.version = row.version, options.maxRepetitions = row.repetitions;
    snmp::WalkOptions walk;
    walk.bulk = row.version != ESnmpVersion::kV1, walk.maxRepetitions = row.repetitions;
    std::unique_ptr<CNetSnmpRequester> live = Live(options);
    CReplayRequester replay(SnmpSim::FixtureFolder(), walk);
    std::vector<std::string> dumps[2];
    CChannelRequester* requesters[] = {live.get(), &replay};
    for (int i : {0, 1}) {
      requesters[i]->DSRNeBegin();
      dumps[i] = FullDump(requesters[i], RecordAt(kRouter).get());
      const CDiscoSnmpSummary summary = requesters[i]->DSRNeEnd();
      EXPECT_EQ(summary.targets.at(0).pdus, requesters[i]->DSRCounts().pdus);
      EXPECT_GT(summary.seconds, 0);
    }
    EXPECT_EQ(dumps[0], dumps[1]);
    const snmp::RequestCounts counts = live->DSRCounts();
    EXPECT_EQ(std::make_tuple(counts.gets, counts.walks, counts.noAnswer), std::make_tuple(4, 25, 0));
    EXPECT_EQ(counts.pdus, row.pdus);
    // SNMPv1 learns the end of the MIB from a noSuchName, one request more than the replay, which answers as
    // SNMPv2c does.
    EXPECT_EQ(replay.DSRCounts().pdus, row.pdus - (row.version == ESnmpVersion::kV1 ? 1 : 0));
  }
  EXPECT_EQ(errors_.Reports().size(), 0u);
}

// An unknown user is refused with a report (snmpsim sends one for noAuthNoPriv requests), an error. A wrong
// key cannot be told from silence: the reply does not authenticate and is dropped. (The library keeps one key
// per user and engine for the whole process, so the wrong key goes with a user not used before.)
TEST_F(SnmpLiveTest, SnmpV3RefusesAnUnknownUserWithAReportAndAWrongKeyIsSilence) {
  CNetSnmpOptions unknown = V3("stranger", "", 300), wrongKey = V3("other", "wrongpass123", 300);
  unknown.auth = ESnmpAuth::kNone, unknown.priv = ESnmpPriv::kNone;
  for (CNetSnmpOptions* options : {&unknown, &wrongKey}) {
    SCOPED_TRACE(options->user);
    const bool known = options == &wrongKey;
    errors_.Clear();
    std::unique_ptr<CNetSnmpRequester> refused = Live(*options, 0);
    ASSERT_NE(refused, nullptr);
    EXPECT_EQ(GetText(refused.get(), RecordAt(kRouter).get(), "sysDescr"), "<null var-op>");
    EXPECT_EQ(WalkText(refused.get(), RecordAt(kRouter).get(), "ipv6IfDescr").front(), "<null list>");
    EXPECT_EQ(errors_.Count(snmp::kErrSession), known ? 0 : 1);       // the GET
    EXPECT_EQ(errors_.Count(snmp::kErrWalkStopped), known ? 0 : 1);   // the walk
    EXPECT_EQ(errors_.Reports().size(), known ? 0u : 2u);
    for (const auto& r : errors_.Reports()) EXPECT_NE(r.message.find("Unknown user name"), std::string::npos);
    EXPECT_EQ(refused->DSRCounts().noAnswer, known ? 2 : refused->DSRCounts().noAnswer);
  }
}

// Without any simulator: nothing listens, nothing answers.
TEST(SnmpSilentDeviceTest, CostsAtMostTimeoutTimesAttempts) {
  const struct {
    ESnmpVersion version;
    const char* address;  // on loopback, or a named host's address
  } rows[] = {{ESnmpVersion::kV2c, "198.51.100.11"}, {ESnmpVersion::kV2c, "2001:db8:2::5"},
              {ESnmpVersion::kV1, "192.0.2.99"}, {ESnmpVersion::kV3, "192.0.2.99"}};  // v3: engine discovery
  const auto budget = std::chrono::milliseconds(250 * 2);  // timeout x (retries + 1)
  for (const auto& row : rows) {
    SCOPED_TRACE(row.address);
    KelErrorCapture errors;
    CNetSnmpOptions options;
    options.version = row.version, options.user = "disco", options.timeoutMs = 250, options.retries = 1;
    std::unique_ptr<CNetSnmpRequester> live = CNetSnmpRequester::Create(options, nullptr);
    ASSERT_NE(live, nullptr);
    auto record = RecordAt(row.address);
    live->DSRNeBegin();
    for (int request = 0; request < 2; ++request) {
      const auto start = std::chrono::steady_clock::now();
      EXPECT_EQ(request ? WalkText(live.get(), record.get(), "ipv6IfDescr").front()
                        : GetText(live.get(), record.get(), "ipv6Forwarding"),
                request ? "<null list>" : "<null var-op>");
      const auto elapsed = std::chrono::steady_clock::now() - start;
      EXPECT_LE(elapsed, budget + std::chrono::milliseconds(400));
      EXPECT_GE(elapsed, budget - std::chrono::milliseconds(50));  // every attempt waited for
    }
    EXPECT_EQ(live->DSRCounts().noAnswer, 2);
    const CDiscoSnmpSummary summary = live->DSRNeEnd();
    ASSERT_EQ(summary.targets.size(), 1u);
    const std::string why = row.version == ESnmpVersion::kV3 ? "ignores SNMPv3 requests"
                            : "does not accept the community (a wrong community gets no answer)";
    EXPECT_EQ(summary.targets[0].silence,
              "no SNMP answer from " + std::string(row.address) + " port 161 after 2 requests of 2 attempts "
              "(1 s in all): the device is unreachable, runs no SNMP agent, or " + why);
    EXPECT_EQ(errors.Reports().size(), 0u);
  }
}

}  // namespace
