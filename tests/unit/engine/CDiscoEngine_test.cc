#include "engine/CDiscoEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <mutex>
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

TEST_F(CDiscoEngineTest, OptionsDecideWhatTheAgentGetsAndAllIsClearedAfterwards) {
  struct Row {
    const char* what;
    bool definition, startUpThread, setNames;
  } rows[] = {{"everything", true, true, true}, {"nothing optional", false, false, false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ScriptedAgent a;
    CDiscoEngineOptions options = Options(1);
    if (!row.definition) options.agentDefinition = nullptr;
    options.startUpThread = row.startUpThread;
    options.setNames = row.setNames;
    {
      CDiscoEngine engine(&a, &requester, options);
      EXPECT_STREQ(a.KAGetName(), row.setNames ? "Scripted" : "");
      EXPECT_STREQ(a.KAGetDesc(), row.setNames ? "Scripted test agent" : "");
      EXPECT_EQ(a.m_Requester, &requester);
      EXPECT_EQ(a.m_Services, &engine);
      EXPECT_EQ(a.m_StartUpThread != nullptr, row.startUpThread);
      // The definition is the engine's own copy.
      EXPECT_EQ(a.m_AgentDefinition != nullptr, row.definition);
      EXPECT_NE(a.m_AgentDefinition, definition.get());
      EXPECT_STREQ(Text(a.m_AgentDefinition, "m_AgentName"), row.definition ? "Scripted" : nullptr);
      ASSERT_NE(a.m_ValidAddr, nullptr);
      EXPECT_EQ(a.m_ValidAddr->KVAIsIpValid("192.0.2.1", E_KBFalse, E_KBFalse, E_KBFalse), E_KBTrue);
      EXPECT_EQ(engine.DESubmit(nullptr), -1);  // refused, no job
      EXPECT_EQ(a.m_DoneStartUp, E_KBFalse);
      engine.DEStartUp();
      EXPECT_TRUE(engine.DEWaitStartUp(milliseconds(20000)));
      EXPECT_EQ(a.Count("startup"), 1);
      EXPECT_EQ(a.m_DoneStartUp, E_KBTrue);
      EXPECT_TRUE(engine.DEWaitAll(milliseconds(0)));
      EXPECT_EQ(engine.DEJobCount(), 0u);
    }
    EXPECT_EQ(a.m_Services, nullptr);
    EXPECT_EQ(a.m_Requester, nullptr);
    EXPECT_EQ(a.m_ValidAddr, nullptr);
    EXPECT_EQ(a.m_StartUpThread, nullptr);
    EXPECT_EQ(a.m_AgentDefinition, nullptr);
  }
  // An owned agent and requester go with the engine.
  std::atomic<bool> destroyed{false};
  auto* owned = new ScriptedAgent();
  owned->destroyed = &destroyed;
  CDiscoEngineOptions options = Options(1);
  options.ownAgent = options.ownRequester = true;
  delete new CDiscoEngine(owned, new FakeRequester(), options);
  EXPECT_TRUE(destroyed);
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
  agent.mediation = [&, mediation = agent.mediation](ScriptedAgent& a, CKelRecord* ne) {
    const int now = ++running;
    for (int seen = maxRunning; now > seen && !maxRunning.compare_exchange_weak(seen, now);) {
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
    const bool processed = i % 2 == 0;
    EXPECT_EQ(job.status, processed ? E_DJSProcessed : E_DJSFailed) << DEStatusName(job.status);
    EXPECT_EQ(job.med != nullptr && job.med->DMDGetSnmpGet("sysDescr") != nullptr, processed);
    EXPECT_EQ(job.proc != nullptr && job.proc->DPDLocalNbrs().size() == 1u, processed);
    EXPECT_STREQ(Text(job.record.get(), "m_Description"),
                 processed ? ("device " + std::to_string(i)).c_str() : nullptr);
    const CKelAtom* failed = job.record->KRValueOf("m_FailedFlag");
    EXPECT_EQ(failed == nullptr, processed);
    EXPECT_TRUE(processed ||
                (failed != nullptr && failed->KAInt() == 1 && !job.med && !job.proc));
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

// How a job ends when the agent keeps its record, or ends it more than once.
TEST_F(CDiscoEngineTest, JobAccountingFollowsTheAgentsEndsOfJobs) {
  std::vector<CKelRecord*> kept;
  std::mutex keptMutex;
  struct Row {
    const char* what;
    std::function<void(ScriptedAgent&, CKelRecord*)> newNe;
    std::vector<EDiscoJobStatus> statuses;
    int unmatched;
  } rows[] = {
      {"the record of NE 1 is kept, neither ended nor deleted",
       [&](ScriptedAgent& a, CKelRecord* ne) {
         if (std::string(Text(ne, "m_IpAddress")) != Address(1)) return a.StandardNewNe(ne);
         std::lock_guard<std::mutex> lock(keptMutex);
         kept.push_back(ne);
       },
       {E_DJSProcessed, E_DJSNotFinished, E_DJSProcessed}, 0},
      {"every job is ended twice, and a null record once",
       [](ScriptedAgent& a, CKelRecord* ne) {
         a.DASendJobDoneToDisco(ne);
         a.DASendJobDoneToDisco(ne);
         a.DASendJobDoneToDisco(nullptr);
         delete ne;
       },
       {E_DJSFailed}, 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ScriptedAgent a;
    a.newNe = row.newNe;
    CDiscoEngine engine(&a, &requester, Options(2));
    engine.DEStartUp();
    for (size_t i = 0; i < row.statuses.size(); ++i) engine.DESubmit(NewNe(Address(i)));
    ASSERT_TRUE(engine.DEWaitAll(milliseconds(20000)));
    for (size_t i = 0; i < row.statuses.size(); ++i) {
      EXPECT_EQ(engine.DEJob(i).status, row.statuses[i]) << "NE " << i;
      EXPECT_TRUE(row.statuses[i] != E_DJSNotFinished || engine.DEJob(i).record == nullptr);
    }
    EXPECT_EQ(engine.DEUnmatchedCount(), row.unmatched);
  }
  ASSERT_EQ(kept.size(), 1u);
  delete kept[0];
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

}  // namespace
