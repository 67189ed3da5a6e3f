// The engine: the agent it sets up, NEs on several workers behind the start-up gate, tear-down at any point.
#include "engine/CDiscoEngine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>

#include "host/KelError.h"
#include "tests/support/FakeRequester.h"
#include "tests/support/ScriptedAgent.h"

namespace {

using std::chrono::milliseconds;
const milliseconds kLong(20000), kNap(9), kNow(0);

CKelRecord* NewNe(size_t i) {
  auto* ne = new CKelRecord();
  return ne->KRAddOrSetValue("m_IpAddress", ("192.0.2." + std::to_string(i)).c_str()), ne;
}
int NeNumber(CKelRecord* ne) { return std::stoi(strrchr(ne->KRValueOf("m_IpAddress")->KAString(), '.') + 1); }

struct CDiscoEngineTest : ::testing::Test {
  CDiscoEngineOptions Options(int workers, bool all = true) {
    CDiscoEngineOptions options;
    options.workers = workers, options.agentDefinition = definition.get();
    return options.startUpThread = options.setNames = all, options;
  }
  std::unique_ptr<CKelRecord> definition = CDiscoEngine::DEMakeAgentDefinition("Scripted");
  ScriptedAgent agent;
  FakeRequester requester;
  KelErrorCapture errors;  // keeps expected reports off standard error
};

TEST_F(CDiscoEngineTest, OptionsDecideWhatTheAgentGetsAndAllIsClearedAfterwards) {
  for (bool all : {true, false}) {
    SCOPED_TRACE(all ? "every option" : "no optional part");
    ScriptedAgent a;
    {
      CDiscoEngine engine(&a, &requester, Options(1, all));
      EXPECT_STREQ(a.KAGetDesc(), all ? "Scripted test agent" : "");
      EXPECT_TRUE(a.m_Requester != nullptr && a.m_Services == &engine && a.m_ValidAddr != nullptr &&
                  (a.m_StartUpThread != nullptr) == all && a.m_AgentDefinition != definition.get());
      engine.DEStartUp();
      EXPECT_TRUE(engine.DEWaitStartUp(kLong) && a.Count("startup") == 1 && a.m_DoneStartUp == E_KBTrue);
    }
    EXPECT_FALSE(a.m_Services || a.m_Requester || a.m_ValidAddr || a.m_StartUpThread || a.m_AgentDefinition);
  }
}

TEST_F(CDiscoEngineTest, ProcessesAndFailsNesOnSeveralWorkersWithTheirOwnErrors) {
  // NE i reports i % 3 + 1 errors -(i + 1) from the filter, which refuses odd NEs; the mediation naps.
  agent.filter = [](ScriptedAgent&, CKelRecord* ne) {
    for (int n = 0; n <= NeNumber(ne) % 3; ++n) CKelError(-(NeNumber(ne) + 1), __FILE__, __LINE__, "filter");
    return static_cast<__boolean>(NeNumber(ne) % 2 == 0);
  };
  std::atomic<int> running{0}, maxRunning{0};
  agent.mediation = [&](ScriptedAgent&, CKelRecord*) {
    maxRunning = std::max<int>(maxRunning, ++running), std::this_thread::sleep_for(kNap), --running;
  };
  const size_t kNes = 24;
  CDiscoEngine engine(&agent, &requester, Options(4));
  engine.DEStartUp();
  for (size_t i = 0; i < kNes; ++i) EXPECT_EQ(engine.DESubmit(NewNe(i)), static_cast<long>(i));
  ASSERT_TRUE(engine.DEWaitAll(kLong) && engine.DEJobCount() == kNes && engine.DEDoneCount() == kNes);
  for (size_t i = 0; i < kNes; ++i) {
    const CDiscoJob& job = engine.DEJob(i);
    std::string seen = DEStatusName(job.status), expected = i % 2 ? "failed!" : "processed";
    seen += job.record->KRValueOf("m_FailedFlag") ? "!" : "";
    for (const KelErrorReport& report : job.errors) seen += " " + std::to_string(report.code);
    for (size_t n = 0; n <= i % 3; ++n) expected += " -" + std::to_string(i + 1);
    EXPECT_EQ(seen, expected) << "NE " << i;
  }
  EXPECT_TRUE(maxRunning >= 2 && errors.Reports().size() == 48u) << maxRunning;
}

TEST_F(CDiscoEngineTest, NesHandedInBeforeStartUpWaitAtTheGate) {
  std::promise<void> release;
  auto released = release.get_future().share();
  std::atomic<bool> entered{false};
  agent.startUp = [&](ScriptedAgent&) { entered = true, released.wait(); };
  CDiscoEngine engine(&agent, &requester, Options(3));
  for (size_t i = 0; i < 5; ++i) engine.DESubmit(NewNe(i));
  engine.DEStartUp(), engine.DEStartUp();  // a second call does nothing
  while (!entered) std::this_thread::yield();
  EXPECT_FALSE(engine.DEWaitAll(milliseconds(99)) || engine.DEWaitStartUp(kNow) || agent.Count("filter"));
  release.set_value();
  ASSERT_TRUE(engine.DEWaitAll(kLong) && engine.DEWaitStartUp(milliseconds(0)));
  EXPECT_TRUE(agent.Log().front() == "startup" && agent.Count("startup") == 1 && agent.Count("filter") == 5);
}

TEST_F(CDiscoEngineTest, AnInterruptEndsQueuedNesAtOnceAndARunningOneAtItsNextRequest) {
  for (bool asks : {true, false}) {  // NE 0 waits in its mediation, then asks the device something, or not
    ScriptedAgent a;
    std::promise<void> release;
    auto released = release.get_future().share();
    std::atomic<bool> entered{false};
    a.mediation = [&](ScriptedAgent& self, CKelRecord* ne) {
      if (NeNumber(ne) != 0) return;
      entered = true, released.wait();
      if (asks) delete self.m_Requester->DSRSnmpGet(ne, "sysDescr", "0", nullptr);
    };
    CDiscoEngine engine(&a, &requester, Options(1));
    engine.DEStartUp();
    for (size_t i = 0; i < 3; ++i) engine.DESubmit(NewNe(i));
    while (!entered) std::this_thread::yield();
    engine.DEInterrupt();
    EXPECT_TRUE(engine.DESubmit(NewNe(3)) == -1 && engine.DEDoneCount() == 2);  // the queued NEs end at once
    release.set_value();
    ASSERT_TRUE(engine.DEWaitAll(kLong));
    std::string seen;
    for (size_t n = 0; n < 3; ++n) {
      seen += std::to_string(engine.DEFinishedJob(n)) + DEStatusName(engine.DEJob(engine.DEFinishedJob(n)).status) + " ";
    }
    EXPECT_EQ(seen, asks ? "1interrupted 2interrupted 0interrupted " : "1interrupted 2interrupted 0processed ");
  }
  EXPECT_EQ(requester.Count(), 0);
}

TEST_F(CDiscoEngineTest, AnExceptionFromTheAgentFailsItsNeWithAReportAndTheRunGoesOn) {
  agent.newNe = [](ScriptedAgent& self, CKelRecord* ne) {
    if (NeNumber(ne) == 2) return self.StandardNewNe(ne);
    std::unique_ptr<CKelRecord> owned(ne);  // the agent's, as it would be
    if (NeNumber(ne) == 0) throw std::bad_alloc();
    throw std::runtime_error("lost");
  };
  CDiscoEngine engine(&agent, &requester, Options(2));
  engine.DEStartUp();
  for (size_t i = 0; i < 3; ++i) engine.DESubmit(NewNe(i));
  ASSERT_TRUE(engine.DEWaitAll(kLong));
  const char* expected[] = {"failed -220553 out of memory in DAProcessNewNe",
                            "failed -220439 DAProcessNewNe ended by an exception: lost", "processed"};
  for (size_t i = 0; i < 3; ++i) {
    std::string seen = DEStatusName(engine.DEJob(i).status);
    for (const KelErrorReport& r : engine.DEJob(i).errors) seen += " " + std::to_string(r.code) + " " + r.message;
    EXPECT_EQ(seen, expected[i]) << "NE " << i;
  }
}

TEST_F(CDiscoEngineTest, DestroyingBeforeStartUpReleasesEveryRecord) {
  {  // the first NE waits at the closed gate, the rest stay queued: neither hang nor leak (sanitized build)
    CDiscoEngine engine(&agent, &requester, Options(1));
    for (size_t i = 0; i < 5; ++i) engine.DESubmit(NewNe(i));
    EXPECT_FALSE(engine.DEWaitAll(milliseconds(50)));
  }
  EXPECT_TRUE(agent.Count("startup") == 0 && agent.Count("filter") <= 1);  // the gate opened, no start-up
}

}  // namespace
