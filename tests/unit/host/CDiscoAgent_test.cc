#include "host/CDiscoAgent.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "host/CKelASN1Address.h"
#include "tests/support/ScriptedAgent.h"

namespace {

// Engine services that remember what they were told, copying the record as
// the engine does. Called from one worker at a time in these tests.
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
    calls.push_back(Call{true, std::make_unique<CKelRecord>(*record), std::move(med), std::move(proc)});
  }
  void DESJobDone(CKelRecord* record) override {
    calls.push_back(Call{false, std::unique_ptr<CKelRecord>(record ? new CKelRecord(*record) : nullptr), nullptr, nullptr});
  }
  std::vector<Call> calls;
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
  // Any answer but E_KBFalse accepts; a refused NE goes back marked failed.
  for (__boolean answer : {static_cast<__boolean>(7), static_cast<__boolean>(E_KBFalse)}) {
    agent.filter = [answer](ScriptedAgent&, CKelRecord*) { return answer; };
    agent.DAProcessNewNe(NewNe("192.0.2.2"));
  }
  agent.DAProcessNewNe(nullptr);
  EXPECT_EQ(agent.Count("filter"), 2);
  EXPECT_EQ(agent.Count("mediation"), 1);
  ASSERT_EQ(services.calls.size(), 2u);
  EXPECT_FALSE(services.calls[1].processed);
  ASSERT_NE(services.calls[1].record->KRValueOf("m_FailedFlag"), nullptr);
  EXPECT_EQ(services.calls[1].record->KRValueOf("m_FailedFlag")->KAInt(), 1);
  EXPECT_EQ(agent.DAMediationFilter(nullptr), E_KBFalse);
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
}

TEST_F(CDiscoAgentTest, StoresAreMadeOnceAndDroppedWithTheJobOrTheOutputTags) {
  CKelRecord ne, other, third;
  EXPECT_EQ(agent.DACreatePhaseTag(nullptr), KEL_ERR_NULL_ARG);
  for (CKelRecord* r : {&ne, &other, &third}) {
    ASSERT_EQ(agent.DACreatePhaseTag(r), KEL_OK);
    ASSERT_EQ(agent.DACreateNeKey(r), KEL_OK);
    ASSERT_EQ(agent.DACreateAndStoreMedData(r), KEL_OK);
    ASSERT_EQ(agent.DACreateAndStoreProcData(r), KEL_OK);
  }
  EXPECT_NE(agent.DAGetNeKey(&ne), agent.DAGetNeKey(&other));
  CDiscoMediationData* med = agent.DAGetMediationData(&ne);
  ASSERT_EQ(agent.DACreateAndStoreMedData(&ne), KEL_OK);
  EXPECT_EQ(agent.DAGetMediationData(&ne), med);  // kept, not replaced
  med->DMDAddSnmp("sysDescr", Reply(new CKelAtom("x")));
  agent.DASendJobDoneToDisco(&ne);
  EXPECT_EQ(agent.DADeleteUnneededOutputTags(&other), KEL_OK);
  agent.m_Services = nullptr;  // the stores die in DAProcessNe
  EXPECT_EQ(agent.DAProcessNe(&third), E_KBTrue);
  EXPECT_EQ(agent.DAProcessNe(nullptr), E_KBFalse);
  for (CKelRecord* r : {&ne, &other, &third}) {
    EXPECT_EQ(agent.DAGetMediationData(r), nullptr);
    EXPECT_EQ(agent.DAGetProcessedData(r), nullptr);
    EXPECT_EQ(agent.DAHasPhaseTag(r), r == &other);  // output tags leave the NE known
  }
  EXPECT_EQ(agent.Count("mediation"), 1);
  agent.m_Services = &services;
  agent.DASendJobDoneToDisco(nullptr);  // still reaches the engine
  ASSERT_EQ(services.calls.size(), 2u);
  EXPECT_EQ(services.calls[0].med, nullptr);
  EXPECT_EQ(services.calls[1].record, nullptr);
}

TEST_F(CDiscoAgentTest, InputTagsRemoveHaveAccessOnly) {
  CKelRecord ne;
  ne.KRAddOrSetValue("m_HaveAccess", 1);
  ne.KRAddOrSetValue("m_IpAddress", "192.0.2.4");
  EXPECT_EQ(agent.DADeleteUnneededInputTags(&ne), KEL_OK);
  EXPECT_EQ(agent.DADeleteUnneededInputTags(&ne), KEL_OK);  // absent: fine
  EXPECT_EQ(ne.KRToString(), "{ m_IpAddress = 192.0.2.4 }");
}

}  // namespace
