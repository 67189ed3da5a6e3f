#include "host/CDiscoAgent.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "host/CKelASN1Address.h"
#include "host/KelTrace.h"
#include "tests/support/ScriptedAgent.h"

namespace {

// Engine services that remember what they were told, copying the record
// as the engine does.
class RecordingServices : public CDiscoEngineServices {
 public:
  struct Call {
    bool processed;
    std::unique_ptr<CKelRecord> record;
    std::unique_ptr<CDiscoMediationData> med;
    std::unique_ptr<CDiscoProcessedData> proc;
  };
  void DESNeProcessed(CKelRecord* record, std::unique_ptr<CDiscoMediationData> med,
                      std::unique_ptr<CDiscoProcessedData> proc) override {
    std::lock_guard<std::mutex> lock(m_Mutex);
    calls.push_back(Call{true, Copy(record), std::move(med), std::move(proc)});
  }
  void DESJobDone(CKelRecord* record) override {
    std::lock_guard<std::mutex> lock(m_Mutex);
    calls.push_back(Call{false, Copy(record), nullptr, nullptr});
  }
  std::vector<Call> calls;

 private:
  static std::unique_ptr<CKelRecord> Copy(const CKelRecord* r) {
    return std::unique_ptr<CKelRecord>(r != nullptr ? new CKelRecord(*r) : nullptr);
  }
  std::mutex m_Mutex;
};

CKelRecord* NewNe(const char* address) {
  auto* ne = new CKelRecord();
  ne->KRAddOrSetValue("m_IpAddress", address);
  return ne;
}

CKelSnmpVarOp* Reply(CKelAtom* value) { return new CKelSnmpVarOp(nullptr, value); }

class CDiscoAgentTest : public ::testing::Test {
 protected:
  CDiscoAgentTest() {
    agent.m_Services = &services;
    agent.m_DoneStartUp = E_KBTrue;
  }
  ScriptedAgent agent;
  RecordingServices services;
};

TEST_F(CDiscoAgentTest, StandardSequenceRunsTheLayersInOrderAndHandsTheStoresOver) {
  agent.mediation = [](ScriptedAgent& a, CKelRecord* ne) {
    ASSERT_NE(a.DAGetMediationData(ne), nullptr);
    a.DAGetMediationData(ne)->DMDAddSnmp(
        "sysDescr", new CKelSnmpVarOp(new CKelASN1Address(std::vector<uint32_t>{0}), new CKelAtom("router")));
  };
  agent.process = [](ScriptedAgent& a, CKelRecord* ne) {
    ASSERT_NE(a.DAGetProcessedData(ne), nullptr);
    ne->KRAddOrSetValue("m_Description", "seen");
  };
  agent.DAProcessNewNe(NewNe("192.0.2.1"));  // deleted by the sequence
  EXPECT_EQ(agent.Log(), (std::vector<std::string>{"filter:192.0.2.1", "mediation:192.0.2.1",
                                                   "process:192.0.2.1", "relationship:192.0.2.1"}));
  ASSERT_EQ(services.calls.size(), 1u);
  const auto& call = services.calls[0];
  EXPECT_TRUE(call.processed);
  ASSERT_NE(call.record, nullptr);
  ASSERT_NE(call.record->KRValueOf("m_Description"), nullptr);
  EXPECT_STREQ(call.record->KRValueOf("m_Description")->KAString(), "seen");
  EXPECT_EQ(call.record->KRValueOf("m_FailedFlag"), nullptr);
  ASSERT_NE(call.med, nullptr);
  ASSERT_NE(call.med->DMDGetSnmpGet("sysDescr"), nullptr);
  EXPECT_STREQ(call.med->DMDGetSnmpGet("sysDescr")->KSVOValue()->KAString(), "router");
  EXPECT_NE(call.proc, nullptr);
}

TEST_F(CDiscoAgentTest, StandardSequenceFailsARefusedNe) {
  agent.filter = [](ScriptedAgent&, CKelRecord*) { return static_cast<__boolean>(E_KBFalse); };
  agent.DAProcessNewNe(NewNe("192.0.2.2"));
  EXPECT_EQ(agent.Log(), (std::vector<std::string>{"filter:192.0.2.2"}));
  ASSERT_EQ(services.calls.size(), 1u);
  EXPECT_FALSE(services.calls[0].processed);
  ASSERT_NE(services.calls[0].record->KRValueOf("m_FailedFlag"), nullptr);
  EXPECT_EQ(services.calls[0].record->KRValueOf("m_FailedFlag")->KAInt(), 1);
}

TEST_F(CDiscoAgentTest, StandardSequenceWaitsAtTheStartUpGate) {
  CKelThread gate;
  agent.m_StartUpThread = &gate;
  agent.m_DoneStartUp = E_KBFalse;
  std::thread worker([&] { agent.DAProcessNewNe(NewNe("192.0.2.3")); });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(agent.Count("filter"), 0);
  gate.KTLock();
  agent.m_DoneStartUp = E_KBTrue;
  gate.KTConditionBroadcast();
  gate.KTUnLock();
  worker.join();
  EXPECT_EQ(agent.Count("filter"), 1);
  EXPECT_EQ(services.calls.size(), 1u);
}

TEST_F(CDiscoAgentTest, FilterStepAsksTheAgentAndNormalisesItsAnswer) {
  for (__boolean answer : {static_cast<__boolean>(E_KBTrue), static_cast<__boolean>(E_KBFalse), static_cast<__boolean>(7)}) {
    agent.filter = [answer](ScriptedAgent&, CKelRecord*) { return answer; };
    CKelRecord ne;
    EXPECT_EQ(agent.DAMediationFilter(&ne), answer == E_KBFalse ? E_KBFalse : E_KBTrue) << "answer " << answer;
  }
  EXPECT_EQ(agent.DAMediationFilter(nullptr), E_KBFalse);
  EXPECT_EQ(agent.Count("filter"), 3);  // not asked for a null record
}

TEST_F(CDiscoAgentTest, TagsAndKeysBelongToTheirRecord) {
  CKelRecord a, b;
  EXPECT_FALSE(agent.DAHasPhaseTag(&a));
  EXPECT_EQ(agent.DAGetNeKey(&a), "");
  EXPECT_EQ(agent.DACreatePhaseTag(&a), KEL_OK);
  EXPECT_EQ(agent.DACreateNeKey(&a), KEL_OK);
  EXPECT_EQ(agent.DACreateNeKey(&b), KEL_OK);
  EXPECT_TRUE(agent.DAHasPhaseTag(&a));
  EXPECT_FALSE(agent.DAHasPhaseTag(&b));
  EXPECT_NE(agent.DAGetNeKey(&a), "");
  EXPECT_NE(agent.DAGetNeKey(&a), agent.DAGetNeKey(&b));
  EXPECT_EQ(agent.DADeletePhaseTag(&a), KEL_OK);
  EXPECT_EQ(agent.DADeleteNeKey(&a), KEL_OK);
  EXPECT_FALSE(agent.DAHasPhaseTag(&a));
  EXPECT_EQ(agent.DAGetNeKey(&a), "");
  EXPECT_NE(agent.DAGetNeKey(&b), "");
  struct Row {
    const char* name;
    int (CDiscoAgent::*op)(CKelRecord*);
  } rows[] = {
      {"DACreatePhaseTag", &CDiscoAgent::DACreatePhaseTag},
      {"DACreateNeKey", &CDiscoAgent::DACreateNeKey},
      {"DADeletePhaseTag", &CDiscoAgent::DADeletePhaseTag},
      {"DADeleteNeKey", &CDiscoAgent::DADeleteNeKey},
      {"DADeleteUnneededOutputTags", &CDiscoAgent::DADeleteUnneededOutputTags},
      {"DADeleteUnneededInputTags", &CDiscoAgent::DADeleteUnneededInputTags},
      {"DACreateAndStoreMedData", &CDiscoAgent::DACreateAndStoreMedData},
      {"DACreateAndStoreProcData", &CDiscoAgent::DACreateAndStoreProcData},
      {"DACreateAndStoreRelnshpData", &CDiscoAgent::DACreateAndStoreRelnshpData},
  };
  for (const Row& row : rows) EXPECT_EQ((agent.*row.op)(nullptr), KEL_ERR_NULL_ARG) << row.name;
  agent.DASendJobDoneToDisco(&a);
  agent.DASendJobDoneToDisco(&b);
}

TEST_F(CDiscoAgentTest, InputTagsRemoveHaveAccessOnly) {
  CKelRecord ne;
  ne.KRAddOrSetValue("m_HaveAccess", 1);
  ne.KRAddOrSetValue("m_IpAddress", "192.0.2.4");
  EXPECT_EQ(agent.DADeleteUnneededInputTags(&ne), KEL_OK);
  EXPECT_EQ(ne.KRToString(), "{ m_IpAddress = 192.0.2.4 }");
  EXPECT_EQ(agent.DADeleteUnneededInputTags(&ne), KEL_OK);  // absent: fine
}

TEST_F(CDiscoAgentTest, StoresAreMadeOnceAndDroppedWithTheJobOrTheOutputTags) {
  CKelRecord ne, other;
  EXPECT_EQ(agent.DAGetMediationData(&ne), nullptr);
  EXPECT_EQ(agent.DAGetProcessedData(&ne), nullptr);
  for (CKelRecord* r : {&ne, &other}) {
    ASSERT_EQ(agent.DACreateAndStoreMedData(r), KEL_OK);
    ASSERT_EQ(agent.DACreateAndStoreProcData(r), KEL_OK);
  }
  CDiscoMediationData* med = agent.DAGetMediationData(&ne);
  ASSERT_NE(med, nullptr);
  ASSERT_EQ(agent.DACreateAndStoreMedData(&ne), KEL_OK);
  EXPECT_EQ(agent.DAGetMediationData(&ne), med);  // kept, not replaced
  med->DMDAddSnmp("sysDescr", Reply(new CKelAtom("x")));
  agent.DASendJobDoneToDisco(&ne);
  EXPECT_EQ(agent.DADeleteUnneededOutputTags(&other), KEL_OK);
  for (CKelRecord* r : {&ne, &other}) {
    EXPECT_EQ(agent.DAGetMediationData(r), nullptr);
    EXPECT_EQ(agent.DAGetProcessedData(r), nullptr);
  }
  ASSERT_EQ(services.calls.size(), 1u);
  EXPECT_FALSE(services.calls[0].processed);
  EXPECT_EQ(services.calls[0].med, nullptr);
  agent.DASendJobDoneToDisco(nullptr);  // still reaches the engine
  ASSERT_EQ(services.calls.size(), 2u);
  EXPECT_EQ(services.calls[1].record, nullptr);
}

TEST_F(CDiscoAgentTest, ProcessNeForgetsTheNeAndWithoutServicesDeletesTheStores) {
  CKelRecord ne;
  ne.KRAddOrSetValue("m_IpAddress", "192.0.2.5");
  agent.DACreatePhaseTag(&ne);
  agent.DACreateAndStoreMedData(&ne);
  agent.DAGetMediationData(&ne)->DMDAddSnmp("k", Reply(new CKelAtom(1)));
  agent.m_Services = nullptr;
  EXPECT_EQ(agent.DAProcessNe(&ne), E_KBTrue);
  EXPECT_EQ(agent.Count("mediation"), 1);
  EXPECT_FALSE(agent.DAHasPhaseTag(&ne));
  EXPECT_EQ(agent.DAGetMediationData(&ne), nullptr);
  EXPECT_EQ(agent.DAProcessNe(nullptr), E_KBFalse);
  EXPECT_EQ(agent.Count("mediation"), 1);
}

TEST_F(CDiscoAgentTest, DestructorDeletesStoresOfUnfinishedNes) {
  auto* other = new ScriptedAgent();  // LeakSanitizer checks the stores go
  CKelRecord ne;
  other->DACreateAndStoreMedData(&ne);
  other->DAGetMediationData(&ne)->DMDAddSnmp("k", Reply(new CKelAtom(1)));
  other->DACreateAndStoreProcData(&ne);
  other->DAGetProcessedData(&ne)->DPDAddLocalNbr(new CKelDoubleList());
  delete other;
}

TEST_F(CDiscoAgentTest, PerNeStateIsSafeFromManyThreads) {
  constexpr int kThreads = 6, kNes = 200;
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kNes; ++i) {
        CKelRecord ne;
        agent.DACreatePhaseTag(&ne);
        agent.DACreateNeKey(&ne);
        agent.DACreateAndStoreMedData(&ne);
        agent.DAGetMediationData(&ne)->DMDAddSnmp("id", Reply(new CKelAtom(t * kNes + i)));
        CKelSnmpVarOp* back = agent.DAGetMediationData(&ne)->DMDGetSnmpGet("id");
        if (back == nullptr || back->KSVOValue()->KAInt() != t * kNes + i) ++wrong;
        agent.DASendJobDoneToDisco(&ne);
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(services.calls.size(), static_cast<size_t>(kThreads * kNes));
}

TEST_F(CDiscoAgentTest, PrintRecAndTimeTracesAtLevelFourOnly) {
  CKelRecord ne;
  ne.KRAddOrSetValue("m_IpAddress", "192.0.2.6");
  {
    KelTraceCapture trace(4);
    agent.DAPrintRecAndTime("--where: ", &ne);
    agent.DAPrintRecAndTime("--none: ", nullptr);
    EXPECT_TRUE(trace.Contains("--where: ") && trace.Contains(ne.KRToString()) && trace.Contains("--none: "))
        << trace.Text();
  }
  KelTraceCapture trace(3);
  agent.DAPrintRecAndTime("--where: ", &ne);
  EXPECT_EQ(trace.Text(), "");
}

TEST(CDiscoAgentDefaultsTest, BaseAgentAcceptsAndDoesNothingInTheLayers) {
  CDiscoAgent agent;  // no services: the stores die in DAProcessNe
  agent.m_DoneStartUp = E_KBTrue;
  agent.KASetName("Base");
  EXPECT_STREQ(agent.KAGetName(), "Base");
  agent.KASetDesc(nullptr);
  EXPECT_STREQ(agent.KAGetDesc(), "");
  CKelRecord ne;
  EXPECT_EQ(agent.DAMediationFilter(&ne), E_KBTrue);
  EXPECT_EQ(agent.DACheckDeviceOSVersion(&ne), E_KBTrue);
  agent.DAProcessNewNe(NewNe("192.0.2.7"));  // accepted, processed, deleted
  agent.DAProcessNewNe(nullptr);
}

}  // namespace
