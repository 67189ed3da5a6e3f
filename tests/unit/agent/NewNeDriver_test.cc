// New NEs handed to the agent by the engine's workers: start-up gate, stamping, naming, filter, end of each job.
#include <atomic>
#include <chrono>
#include <thread>

#include "agent/CDiscoIPv6Agent.h"
#include "engine/CDiscoEngine.h"
#include "gtest/gtest.h"
#include "host/KelTrace.h"
#include "host/ZWResolver.h"
#include "tests/support/MibFixtures.h"
#include "tests/support/TempDir.h"

namespace {

// The agent with a filter that accepts the NEs whose "test_accept" field is 1.
struct DriverAgent : CDiscoIPv6Agent {
  std::atomic<int> filtered{0};
  __boolean DADoMediationFilter(CKelRecord* ne) override {
    ++filtered;
    return ne->KRValueOf("test_accept")->KAInt() == 1 ? E_KBTrue : E_KBFalse;
  }
  void DADoMediationLayer(CKelRecord*) override {}
  void DADoProcessLayer(CKelRecord*) override {}
};

struct NewNeDriverTest : ::testing::Test {
  void SetUp() override {
    ZWSetNamesOverlay(ZWNamesOverlay::FromText(
        "198.51.100.10 r1.lab\n198.51.100.11 multi.lab\n198.51.100.12 multi.lab\n2001:db8:1::1 r1-v6.lab\n"));
  }
  void TearDown() override { ZWSetNamesOverlay(nullptr); }
  std::unique_ptr<CDiscoEngine> Engine(int workers, DriverAgent* agent, bool definition = true, bool startUp = true) {
    CDiscoEngineOptions o;
    o.workers = workers, o.agentDefinition = definition ? definition_.get() : nullptr, o.startUpThread = startUp;
    return std::make_unique<CDiscoEngine>(agent, nullptr, o);
  }
  static void Submit(CDiscoEngine& engine, const char* ip, const char* name = nullptr, bool accept = true,
                     bool haveAccess = false) {
    auto* r = new CKelRecord();
    if (ip != nullptr) r->KRAddOrSetValue("m_IpAddress", ip);
    if (name != nullptr) r->KRAddOrSetValue("m_Name", name);
    r->KRAddOrSetValue("test_accept", accept ? 1 : 0);
    if (haveAccess) r->KRAddOrSetValue("m_HaveAccess", 1);
    engine.DESubmit(r);
  }
  ScopedConfigDirs dirs_;
  std::unique_ptr<CKelRecord> definition_ = CDiscoEngine::DEMakeAgentDefinition("IPv6");
  DriverAgent agent_;
};

TEST_F(NewNeDriverTest, AcceptedRefusedAndUnresolvedNesOnFourWorkers) {
  auto engine = Engine(4, &agent_);
  const struct { const char *ip, *name; bool accept, haveAccess; EDiscoJobStatus status;
                 const char *unique, *finalName; } nes[] = {  // m_HaveAccess goes even when the NE fails
      {"2001:db8:1::1/64", nullptr, true, false, E_DJSProcessed, "2001:db8:1::1", "r1-v6.lab"},
      {"198.51.100.10", nullptr, false, false, E_DJSFailed, "198.51.100.10", "r1.lab"},
      {nullptr, "multi.lab", true, false, E_DJSProcessed, "198.51.100.11", "multi.lab"},
      {nullptr, "nosuch.lab", true, false, E_DJSFailed, "<absent>", "nosuch.lab"},
      {"198.51.100.10", nullptr, false, true, E_DJSFailed, "198.51.100.10", "r1.lab"},
      {"198.51.100.10", nullptr, true, true, E_DJSProcessed, "198.51.100.10", "r1.lab"},
  };
  constexpr int kRounds = 20;  // many NEs at once
  for (int round = 0; round < kRounds; ++round) {
    for (const auto& ne : nes) Submit(*engine, ne.ip, ne.name, ne.accept, ne.haveAccess);
  }
  engine->DEStartUp();
  ASSERT_TRUE(engine->DEWaitAll(std::chrono::seconds(60)));
  ASSERT_EQ(engine->DEJobCount(), kRounds * std::size(nes));
  for (size_t i = 0; i < engine->DEJobCount(); ++i) {
    const auto& ne = nes[i % std::size(nes)];
    const CDiscoJob& job = engine->DEJob(i);
    ASSERT_EQ(job.status, ne.status) << "job " << i << ": " << DEStatusName(job.status);
    EXPECT_EQ(FieldText(*job.record, "m_UpdAgent"), "IPv6") << i;
    EXPECT_EQ(FieldText(*job.record, "m_UniqueAddress"), ne.unique) << i;
    EXPECT_EQ(FieldText(*job.record, "m_Name"), ne.finalName) << i;
    EXPECT_EQ(FieldText(*job.record, "m_FailedFlag") != "<absent>", ne.status == E_DJSFailed) << i;
    EXPECT_EQ(FieldText(*job.record, "m_HaveAccess"), "<absent>") << i;
    EXPECT_EQ(job.med, nullptr) << i << ": the SNMP answers are released once the NE is processed";
  }
  EXPECT_EQ(agent_.filtered.load(), kRounds * 5) << "only NEs that naming let through";
  EXPECT_EQ(engine->DEUnmatchedCount(), 0);
  static_cast<CDiscoAgent&>(agent_).DAProcessNewNe(nullptr);  // matches no job: counted as unmatched, nothing else changes
  EXPECT_EQ(engine->DEUnmatchedCount(), 1);
  EXPECT_EQ(engine->DEDoneCount(), kRounds * std::size(nes));
}

TEST_F(NewNeDriverTest, GateHoldsNesUntilStartUpAndMissingDefinitionFailsThemBeforeNaming) {
  KelTraceCapture trace(4);
  auto engine = Engine(2, &agent_);
  Submit(*engine, "198.51.100.10");
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(engine->DEDoneCount(), 0u) << "the agent holds the NE until start-up is done";
  engine->DEStartUp();
  ASSERT_TRUE(engine->DEWaitAll(std::chrono::seconds(30)));
  EXPECT_TRUE(trace.Contains("Start-up finished - continue."));
  // Without a start-up thread the NE reports it and goes on; without the agent definition it fails before naming.
  for (bool definition : {true, false}) {
    DriverAgent agent;
    auto own = Engine(1, &agent, definition, !definition);
    Submit(*own, "198.51.100.10");
    own->DEStartUp();
    ASSERT_TRUE(own->DEWaitAll(std::chrono::seconds(30)));
    const CDiscoJob& job = own->DEJob(0);
    EXPECT_EQ(job.status, definition ? E_DJSProcessed : E_DJSFailed);
    EXPECT_EQ(FieldText(*job.record, "m_UniqueAddress"), definition ? "198.51.100.10" : "<absent>");
    ASSERT_EQ(job.errors.size(), 1u);
    EXPECT_EQ(job.errors[0].code, definition ? -220552 : -220439);
    EXPECT_EQ(agent.filtered, definition ? 1 : 0);
  }
}

}  // namespace
