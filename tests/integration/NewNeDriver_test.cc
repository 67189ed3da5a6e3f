// New NEs handed to the agent by the in-process engine on several worker
// threads: start-up gate, stamping, naming, the filter step, and the end of
// each job.
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "agent/CDiscoIPv6Agent.h"
#include "engine/CDiscoEngine.h"
#include "gtest/gtest.h"
#include "host/KelError.h"
#include "host/KelTrace.h"
#include "tests/support/TempDir.h"

namespace {

// The agent with a filter that accepts the NEs whose "test_accept" field
// is 1, so the driver can be seen on its own.
class DriverAgent : public CDiscoIPv6Agent {
 public:
  std::atomic<int> filtered{0};

 protected:
  __boolean DADoMediationFilter(CKelRecord* ne) override {
    ++filtered;
    CKelAtom* accept = ne->KRValueOf("test_accept");
    return accept != nullptr && accept->KAInt() == 1 ? E_KBTrue : E_KBFalse;
  }
  void DADoMediationLayer(CKelRecord*) override {}
  void DADoProcessLayer(CKelRecord*) override {}
};

CKelRecord* NewRecord(const char* ipAddress, const char* name, bool accept) {
  auto* r = new CKelRecord();
  if (ipAddress != nullptr) r->KRAddOrSetValue("m_IpAddress", ipAddress);
  if (name != nullptr) r->KRAddOrSetValue("m_Name", name);
  r->KRAddOrSetValue("test_accept", accept ? 1 : 0);
  return r;
}

std::string Text(const CKelRecord& r, const char* field) {
  CKelAtom* a = r.KRValueOf(field);
  if (a == nullptr) return "<absent>";
  char* t = a->KAStrRep();
  std::string s = t;
  free(t);
  return s;
}

class NewNeDriverTest : public ::testing::Test {
 protected:
  CDiscoEngineOptions Options(int workers, bool withDefinition) {
    definition_ = CDiscoEngine::DEMakeAgentDefinition("IPv6");
    CDiscoEngineOptions o;
    o.workers = workers;
    o.agentDefinition = withDefinition ? definition_.get() : nullptr;
    return o;
  }
  ScopedConfigDirs dirs_;
  std::unique_ptr<CKelRecord> definition_;
};

TEST_F(NewNeDriverTest, AcceptedRefusedAndUnresolvedNesOnFourWorkers) {
  DriverAgent agent;
  KelErrorCapture errors;
  CDiscoEngine engine(&agent, nullptr, Options(4, true));
  struct Ne {
    const char* ip;
    const char* name;
    bool accept;
    EDiscoJobStatus status;
    const char* unique;
    const char* finalName;
  } nes[] = {
      {"2001:db8:1::1/64", nullptr, true, E_DJSProcessed, "2001:db8:1::1", "r1-v6.lab.example"},
      {"198.51.100.10", nullptr, false, E_DJSFailed, "198.51.100.10", "r1.lab.example"},
      {nullptr, "multi.lab.example", true, E_DJSProcessed, "198.51.100.11", "multi.lab.example"},
      {nullptr, "nosuch.lab.example", true, E_DJSFailed, "<absent>", "nosuch.lab.example"},
      {nullptr, nullptr, true, E_DJSFailed, "<absent>", "<absent>"},
      {"2001:db8:2::5", nullptr, true, E_DJSProcessed, "2001:db8:2::5", "2001:db8:2::5"},
  };
  constexpr int kRounds = 20;  // many NEs at once on four workers
  for (int round = 0; round < kRounds; ++round) {
    for (const Ne& ne : nes) engine.DESubmit(NewRecord(ne.ip, ne.name, ne.accept));
  }
  engine.DEStartUp();
  ASSERT_TRUE(engine.DEWaitAll(std::chrono::seconds(60)));
  ASSERT_EQ(engine.DEJobCount(), kRounds * std::size(nes));
  for (size_t i = 0; i < engine.DEJobCount(); ++i) {
    const Ne& ne = nes[i % std::size(nes)];
    const CDiscoJob& job = engine.DEJob(i);
    ASSERT_EQ(job.status, ne.status) << "job " << i << ": " << DEStatusName(job.status);
    ASSERT_NE(job.record, nullptr) << i;
    EXPECT_EQ(Text(*job.record, "m_UpdAgent"), "IPv6") << i;
    EXPECT_EQ(Text(*job.record, "m_UniqueAddress"), ne.unique) << i;
    EXPECT_EQ(Text(*job.record, "m_Name"), ne.finalName) << i;
    EXPECT_EQ(Text(*job.record, "m_FailedFlag"), ne.status == E_DJSFailed ? "1" : "<absent>") << i;
  }
  // The filter runs only for NEs that name processing let through.
  EXPECT_EQ(agent.filtered.load(), kRounds * 4);
  EXPECT_EQ(engine.DEUnmatchedCount(), 0);
}

TEST_F(NewNeDriverTest, MissingAgentDefinitionFailsEveryNeBeforeNaming) {
  DriverAgent agent;
  CDiscoEngine engine(&agent, nullptr, Options(2, false));
  engine.DESubmit(NewRecord("198.51.100.10", nullptr, true));
  engine.DESubmit(NewRecord("2001:db8:1::1", nullptr, true));
  engine.DEStartUp();
  ASSERT_TRUE(engine.DEWaitAll(std::chrono::seconds(30)));
  for (size_t i = 0; i < engine.DEJobCount(); ++i) {
    const CDiscoJob& job = engine.DEJob(i);
    EXPECT_EQ(job.status, E_DJSFailed);
    EXPECT_EQ(Text(*job.record, "m_FailedFlag"), "1");
    EXPECT_EQ(Text(*job.record, "m_UniqueAddress"), "<absent>") << "naming was not run";
    ASSERT_EQ(job.errors.size(), 1u);
    EXPECT_EQ(job.errors[0].code, -220439);
    EXPECT_EQ(job.errors[0].message,
              "The agent definition is missing, please check the agnt file !");
  }
  EXPECT_EQ(agent.filtered.load(), 0);
}

TEST_F(NewNeDriverTest, HaveAccessTagsGoEvenWhenTheNeFails) {
  DriverAgent agent;
  CDiscoEngine engine(&agent, nullptr, Options(1, true));
  CKelRecord* refused = NewRecord("198.51.100.10", nullptr, false);
  refused->KRAddOrSetValue("m_HaveAccess", 1);
  CKelRecord* accepted = NewRecord("198.51.100.10", nullptr, true);
  accepted->KRAddOrSetValue("m_HaveAccess", 1);
  engine.DESubmit(refused);
  engine.DESubmit(accepted);
  engine.DEStartUp();
  ASSERT_TRUE(engine.DEWaitAll(std::chrono::seconds(30)));
  EXPECT_EQ(engine.DEJob(0).status, E_DJSFailed);
  EXPECT_EQ(engine.DEJob(1).status, E_DJSProcessed);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(engine.DEJob(i).record->KRValuePairOf("m_HaveAccess"), nullptr) << i;
  }
}

TEST_F(NewNeDriverTest, NesWaitAtTheGateUntilStartUpIsDone) {
  DriverAgent agent;
  KelTraceCapture trace(4);
  CDiscoEngine engine(&agent, nullptr, Options(2, true));
  engine.DESubmit(NewRecord("198.51.100.10", nullptr, true));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(engine.DEDoneCount(), 0u) << "nothing passes the gate before start-up";
  engine.DEStartUp();
  ASSERT_TRUE(engine.DEWaitAll(std::chrono::seconds(30)));
  EXPECT_TRUE(trace.Contains("Start-up still being done - start wait."));
  EXPECT_TRUE(trace.Contains("Start-up finished - continue."));

  trace.Clear();
  engine.DESubmit(NewRecord("198.51.100.10", nullptr, true));
  ASSERT_TRUE(engine.DEWaitAll(std::chrono::seconds(30)));
  EXPECT_TRUE(trace.Contains("Finished doing start-up stuff continue."));
  EXPECT_FALSE(trace.Contains("Start-up still being done - start wait."));
  EXPECT_TRUE(trace.Contains("DAProcessNewNe OUT: "));
}

TEST_F(NewNeDriverTest, NoStartUpThreadIsReportedAndNotWaitedFor) {
  DriverAgent agent;
  CDiscoEngineOptions o = Options(1, true);
  o.startUpThread = false;
  CDiscoEngine engine(&agent, nullptr, o);
  engine.DESubmit(NewRecord("198.51.100.10", nullptr, true));
  engine.DEStartUp();
  ASSERT_TRUE(engine.DEWaitAll(std::chrono::seconds(30)));
  const CDiscoJob& job = engine.DEJob(0);
  EXPECT_EQ(job.status, E_DJSProcessed);
  ASSERT_GE(job.errors.size(), 1u);
  EXPECT_EQ(job.errors[0].code, -220552);
}

}  // namespace
