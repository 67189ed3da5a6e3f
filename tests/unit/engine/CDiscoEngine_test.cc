#include "engine/CDiscoEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "host/KelError.h"
#include "tests/support/FakeRequester.h"
#include "tests/support/ScriptedAgent.h"

namespace {

using std::chrono::milliseconds;

CKelRecord* NewNe(const std::string& address) {
  auto* ne = new CKelRecord();
  ne->KRAddOrSetValue("m_IpAddress", address.c_str());
  return ne;
}

std::string Address(int i) { return "192.0.2." + std::to_string(i); }

const char* Text(const CKelRecord* record, const char* field) {
  const CKelAtom* value = record != nullptr ? record->KRValueOf(field) : nullptr;
  return value != nullptr ? value->KAString() : nullptr;
}

// Mediation that stores the NE's "sysDescr" GET reply, and a process layer
// that copies it onto the record and files one neighbour.
void ScriptLayers(ScriptedAgent* agent) {
  agent->mediation = [](ScriptedAgent& a, CKelRecord* ne) {
    CKelSnmpVarOp* reply = a.m_Requester->DSRSnmpGet(ne, "sysDescr", "0", nullptr);
    if (reply != nullptr) a.DAGetMediationData(ne)->DMDAddSnmp("sysDescr", reply);
  };
  agent->process = [](ScriptedAgent& a, CKelRecord* ne) {
    CKelSnmpVarOp* reply = a.DAGetMediationData(ne)->DMDGetSnmpGet("sysDescr");
    if (reply == nullptr) return;
    ne->KRAddOrSetValue("m_Description", static_cast<const CKelAtom*>(reply->KSVOValue()));
    a.DAGetProcessedData(ne)->DPDAddLocalNbr(new CKelDoubleList());
  };
}

class CDiscoEngineTest : public ::testing::Test {
 protected:
  CDiscoEngineOptions Options(int workers) {
    CDiscoEngineOptions options;
    options.workers = workers;
    options.agentDefinition = definition.get();
    return options;
  }

  std::unique_ptr<CKelRecord> definition = CDiscoEngine::DEMakeAgentDefinition("Scripted");
  ScriptedAgent agent;
  FakeRequester requester;
  KelErrorCapture errors;  // keeps expected reports off standard error
};

TEST_F(CDiscoEngineTest, SetsTheAgentUpAndClearsItAfterwards) {
  {
    CDiscoEngine engine(&agent, &requester, Options(1));
    EXPECT_STREQ(agent.KAGetName(), "Scripted");
    EXPECT_STREQ(agent.KAGetDesc(), "Scripted test agent");
    EXPECT_EQ(agent.m_Requester, &requester);
    EXPECT_NE(agent.m_ValidAddr, nullptr);
    EXPECT_EQ(agent.m_Services, &engine);
    EXPECT_NE(agent.m_StartUpThread, nullptr);
    EXPECT_EQ(agent.m_DoneStartUp, E_KBFalse);
    // The definition is the engine's own copy.
    ASSERT_NE(agent.m_AgentDefinition, nullptr);
    EXPECT_NE(agent.m_AgentDefinition, definition.get());
    EXPECT_STREQ(Text(agent.m_AgentDefinition, "m_AgentName"), "Scripted");
    EXPECT_EQ(agent.m_ValidAddr->KVAIsIpValid("192.0.2.1", E_KBFalse, E_KBFalse, E_KBFalse),
              E_KBTrue);
  }
  EXPECT_EQ(agent.m_Services, nullptr);
  EXPECT_EQ(agent.m_Requester, nullptr);
  EXPECT_EQ(agent.m_ValidAddr, nullptr);
  EXPECT_EQ(agent.m_StartUpThread, nullptr);
  EXPECT_EQ(agent.m_AgentDefinition, nullptr);
}

TEST_F(CDiscoEngineTest, OptionsLeaveOutDefinitionStartUpThreadAndNames) {
  CDiscoEngineOptions options;
  options.agentDefinition = nullptr;
  options.startUpThread = false;
  options.setNames = false;
  CDiscoEngine engine(&agent, nullptr, options);
  EXPECT_EQ(agent.m_AgentDefinition, nullptr);
  EXPECT_EQ(agent.m_StartUpThread, nullptr);
  EXPECT_STREQ(agent.KAGetName(), "");
  engine.DEStartUp();  // inline without a start-up thread
  EXPECT_TRUE(engine.DEWaitStartUp(milliseconds(0)));
  EXPECT_EQ(agent.Count("startup"), 1);
  EXPECT_EQ(agent.m_DoneStartUp, E_KBTrue);
}

TEST_F(CDiscoEngineTest, ProcessesAndFailsNesOnSeveralWorkersWithTheirOwnErrors) {
  constexpr int kNes = 24;
  ScriptLayers(&agent);
  // NE i reports i % 3 + 1 errors with code -(i + 1) from the filter, which
  // refuses the odd ones; the start-up reports one that belongs to no NE.
  // The mediation sleeps a little so that the workers overlap.
  agent.startUp = [](ScriptedAgent&) { CKelError(-999, __FILE__, __LINE__, "start-up"); };
  agent.filter = [](ScriptedAgent&, CKelRecord* ne) {
    const std::string address = Text(ne, "m_IpAddress");
    const int i = std::stoi(address.substr(address.rfind('.') + 1));
    for (int n = 0; n <= i % 3; ++n) CKelError(-(i + 1), __FILE__, __LINE__, address.c_str());
    return static_cast<__boolean>(i % 2 == 0 ? E_KBTrue : E_KBFalse);
  };
  std::atomic<int> running{0}, maxRunning{0};
  auto mediation = agent.mediation;
  agent.mediation = [&, mediation](ScriptedAgent& a, CKelRecord* ne) {
    const int now = ++running;
    int seen = maxRunning;
    while (now > seen && !maxRunning.compare_exchange_weak(seen, now)) {
    }
    std::this_thread::sleep_for(milliseconds(10));
    mediation(a, ne);
    --running;
  };
  for (int i = 0; i < kNes; ++i) {
    requester.SetGet(Address(i), "sysDescr", ("device " + std::to_string(i)).c_str());
  }

  CDiscoEngine engine(&agent, &requester, Options(4));
  engine.DEStartUp();
  for (int i = 0; i < kNes; ++i) EXPECT_EQ(engine.DESubmit(NewNe(Address(i))), i);
  ASSERT_TRUE(engine.DEWaitAll(milliseconds(20000)));
  ASSERT_EQ(engine.DEJobCount(), static_cast<size_t>(kNes));
  EXPECT_EQ(engine.DEDoneCount(), static_cast<size_t>(kNes));

  int reports = 1;
  for (int i = 0; i < kNes; ++i) {
    const CDiscoJob& job = engine.DEJob(i);
    SCOPED_TRACE("NE " + Address(i));
    ASSERT_NE(job.record, nullptr);
    EXPECT_STREQ(Text(job.record.get(), "m_IpAddress"), Address(i).c_str());
    ASSERT_EQ(job.errors.size(), static_cast<size_t>(i % 3 + 1));
    for (const KelErrorReport& report : job.errors) {
      EXPECT_EQ(report.code, -(i + 1));
      EXPECT_EQ(report.message, Address(i));
    }
    reports += i % 3 + 1;
    if (i % 2 == 0) {
      EXPECT_EQ(job.status, E_DJSProcessed) << DEStatusName(job.status);
      EXPECT_STREQ(Text(job.record.get(), "m_Description"), ("device " + std::to_string(i)).c_str());
      ASSERT_NE(job.med, nullptr);
      EXPECT_NE(job.med->DMDGetSnmpGet("sysDescr"), nullptr);
      ASSERT_NE(job.proc, nullptr);
      EXPECT_EQ(job.proc->DPDLocalNbrs().size(), 1u);
      EXPECT_EQ(job.record->KRValueOf("m_FailedFlag"), nullptr);
    } else {
      EXPECT_EQ(job.status, E_DJSFailed) << DEStatusName(job.status);
      ASSERT_NE(job.record->KRValueOf("m_FailedFlag"), nullptr);
      EXPECT_EQ(job.record->KRValueOf("m_FailedFlag")->KAInt(), 1);
      EXPECT_EQ(job.med, nullptr);
      EXPECT_EQ(job.proc, nullptr);
    }
  }
  EXPECT_GE(maxRunning, 2);  // the workers did run side by side
  EXPECT_EQ(requester.GetCount(), kNes / 2);
  EXPECT_EQ(engine.DEUnmatchedCount(), 0);
  // Every report still reached the process-wide sink.
  EXPECT_EQ(errors.Count(-999), 1);
  EXPECT_EQ(static_cast<int>(errors.Reports().size()), reports);
}

TEST_F(CDiscoEngineTest, NesHandedInBeforeStartUpWaitAtTheGate) {
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::atomic<bool> startUpEntered{false};
  agent.startUp = [&](ScriptedAgent&) {
    startUpEntered = true;
    released.wait();
  };
  CDiscoEngine engine(&agent, &requester, Options(3));
  for (int i = 0; i < 5; ++i) engine.DESubmit(NewNe(Address(i)));
  engine.DEStartUp();
  engine.DEStartUp();  // a second call does nothing
  while (!startUpEntered) std::this_thread::yield();

  EXPECT_FALSE(engine.DEWaitAll(milliseconds(100)));
  EXPECT_FALSE(engine.DEWaitStartUp(milliseconds(0)));
  EXPECT_EQ(agent.Count("filter"), 0);
  EXPECT_EQ(engine.DEDoneCount(), 0u);

  release.set_value();
  ASSERT_TRUE(engine.DEWaitAll(milliseconds(20000)));
  EXPECT_TRUE(engine.DEWaitStartUp(milliseconds(0)));
  const std::vector<std::string> log = agent.Log();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.front(), "startup");
  EXPECT_EQ(agent.Count("startup"), 1);
  EXPECT_EQ(agent.Count("filter"), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(engine.DEJob(i).status, E_DJSProcessed);
}

TEST_F(CDiscoEngineTest, AnAgentThatKeepsTheRecordLeavesTheJobNotFinished) {
  std::vector<CKelRecord*> kept;
  std::mutex keptMutex;
  agent.newNe = [&](ScriptedAgent& a, CKelRecord* ne) {
    if (std::string(Text(ne, "m_IpAddress")) == Address(1)) {
      std::lock_guard<std::mutex> lock(keptMutex);
      kept.push_back(ne);  // neither ended nor deleted
    } else {
      a.StandardNewNe(ne);
    }
  };
  {
    CDiscoEngine engine(&agent, &requester, Options(2));
    engine.DEStartUp();
    for (int i = 0; i < 3; ++i) engine.DESubmit(NewNe(Address(i)));
    ASSERT_TRUE(engine.DEWaitAll(milliseconds(20000)));
    EXPECT_EQ(engine.DEJob(0).status, E_DJSProcessed);
    EXPECT_EQ(engine.DEJob(1).status, E_DJSNotFinished);
    EXPECT_EQ(engine.DEJob(1).record, nullptr);
    EXPECT_EQ(engine.DEJob(2).status, E_DJSProcessed);
  }
  ASSERT_EQ(kept.size(), 1u);
  delete kept[0];
}

TEST_F(CDiscoEngineTest, ASecondEndOfAJobIsCountedAsUnmatched) {
  agent.newNe = [](ScriptedAgent& a, CKelRecord* ne) {
    a.DASendJobDoneToDisco(ne);
    a.DASendJobDoneToDisco(ne);
    a.DASendJobDoneToDisco(nullptr);
    delete ne;
  };
  CDiscoEngine engine(&agent, &requester, Options(1));
  engine.DEStartUp();
  engine.DESubmit(NewNe(Address(9)));
  ASSERT_TRUE(engine.DEWaitAll(milliseconds(20000)));
  EXPECT_EQ(engine.DEJob(0).status, E_DJSFailed);
  EXPECT_EQ(engine.DEUnmatchedCount(), 2);
}

TEST_F(CDiscoEngineTest, DestroyingBeforeStartUpReleasesEveryRecord) {
  // One worker: the first NE waits at the closed gate, the rest stay
  // queued. The engine must neither hang nor leak.
  CDiscoEngine* engine = new CDiscoEngine(&agent, &requester, Options(1));
  for (int i = 0; i < 5; ++i) engine->DESubmit(NewNe(Address(i)));
  EXPECT_FALSE(engine->DEWaitAll(milliseconds(50)));
  delete engine;
  EXPECT_EQ(agent.Count("startup"), 0);  // the gate opened without start-up
  EXPECT_LE(agent.Count("filter"), 1);
}

TEST_F(CDiscoEngineTest, RefusesNullRecordsAndDeletesOwnedAgentAndRequester) {
  std::atomic<bool> destroyed{false};
  auto* owned = new ScriptedAgent();
  owned->destroyed = &destroyed;
  CDiscoEngineOptions options = Options(1);
  options.ownAgent = true;
  options.ownRequester = true;
  {
    CDiscoEngine engine(owned, new FakeRequester(), options);
    EXPECT_EQ(engine.DESubmit(nullptr), -1);
    EXPECT_EQ(engine.DEJobCount(), 0u);
    EXPECT_TRUE(engine.DEWaitAll(milliseconds(0)));  // nothing to wait for
  }
  EXPECT_TRUE(destroyed);
}

}  // namespace
