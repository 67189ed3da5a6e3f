// The agent base class (standard sequence, start-up gate, per-NE state) and its per-NE stores.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <vector>

#include "host/CKelASN1Address.h"
#include "tests/support/ScriptedAgent.h"

namespace {

CKelSnmpVarOp* Op(std::vector<uint32_t> index, CKelAtom* value) { return new CKelSnmpVarOp(new CKelASN1Address(std::move(index)), value); }
CKelDoubleList* List(std::vector<CKelListable*> items) {
  auto* list = new CKelDoubleList();
  for (CKelListable* item : items) list->KDLAddToListEnd(item);
  return list;
}
long long ByIndex(const CDiscoMediationData& med, const CKelAtom& index, const char* key) {  // -1: none
  CKelAtom* value = med.DMDGetSnmpByIndex(&index, key);
  return value != nullptr ? value->KAInt64() : -1;
}

TEST(CDiscoMediationDataTest, ByIndexFindsTheFirstRowOfASingleSubIdentifierIndex) {
  CDiscoMediationData med;
  CKelSnmpVarOp* get = Op({0}, nullptr);
  EXPECT_EQ(med.DMDAddSnmp(nullptr, get), KEL_ERR_NULL_ARG);  // refused: still ours
  ASSERT_EQ(med.DMDAddSnmp("g", get), KEL_OK);
  ASSERT_EQ(med.DMDAddSnmp("c", List({Op({9}, new CKelAtom(90))})), KEL_OK);  // replaced below
  ASSERT_EQ(med.DMDAddSnmp("c", List({Op({1}, new CKelAtom(10)), Op({2}, new CKelAtom(20)), Op({2}, new CKelAtom(21)), Op({3, 1}, new CKelAtom(31)),
                                      Op({4294967295u}, new CKelAtom(99)), Op({5}, nullptr), Op({}, new CKelAtom(7))})), KEL_OK);
  struct Row { const char* what; CKelAtom index; const char* key; long long value; } rows[] = {
      {"one", CKelAtom(1), "c", 10}, {"first row wins", CKelAtom(2), "c", 20}, {"only a two-part index", CKelAtom(3), "c", -1},
      {"largest sub-identifier", CKelAtom(4294967295LL), "c", 99}, {"beyond a sub-identifier", CKelAtom(4294967296LL), "c", -1},
      {"negative", CKelAtom(-1), "c", -1}, {"row without value", CKelAtom(5), "c", -1}, {"empty index is not 0", CKelAtom(0), "c", -1},
      {"only in the replaced column", CKelAtom(9), "c", -1}, {"text atom", CKelAtom("1"), "c", -1}, {"no such column", CKelAtom(1), "d", -1},
  };
  for (const Row& row : rows) EXPECT_EQ(ByIndex(med, row.index, row.key), row.value) << row.what;
}

TEST(CDiscoMediationDataTest, ByIndexServesLargeColumns) {
  const int rows = 50000;  // a walk per lookup would make this very slow
  CKelDoubleList* column = List({});
  for (int i = 1; i <= rows; ++i) column->KDLAddToListEnd(Op({static_cast<uint32_t>(i)}, new CKelAtom(i * 2)));
  CDiscoMediationData med;
  ASSERT_EQ(med.DMDAddSnmp("big", column), KEL_OK);
  for (int i = rows; i >= 1; --i) ASSERT_EQ(ByIndex(med, CKelAtom(i), "big"), i * 2) << "index " << i;
}

struct Services : CDiscoEngineServices {  // the engine side: each hand-over as the record's text
  void DESNeProcessed(CKelRecord* ne, std::unique_ptr<CDiscoMediationData> med, std::unique_ptr<CDiscoProcessedData> proc) override {
    calls.push_back(ne->KRToString() + (proc && med && med->DMDGetSnmpGet("sysDescr") ? " with the stores" : " without"));
  }
  void DESJobDone(CKelRecord* ne) override { calls.push_back(ne->KRToString() + " done"); }
  std::vector<std::string> calls;
};

struct CDiscoAgentTest : ::testing::Test {
  CDiscoAgentTest() { agent.m_Services = &services, agent.m_DoneStartUp = E_KBTrue; }
  static CKelRecord* Ne(const char* address) { auto* ne = new CKelRecord(); ne->KRAddOrSetValue("m_IpAddress", address); return ne; }
  ScriptedAgent agent;
  Services services;
};

TEST_F(CDiscoAgentTest, StandardSequenceRunsTheLayersInOrderHandsTheStoresOverAndFailsARefusedNe) {
  agent.filter = [](ScriptedAgent&, CKelRecord*) { return static_cast<__boolean>(7); };  // anything but E_KBFalse accepts
  agent.mediation = [](ScriptedAgent& a, CKelRecord* ne) {
    a.DAGetMediationData(ne)->DMDAddSnmp("sysDescr", new CKelSnmpVarOp(nullptr, new CKelAtom("router")));
    a.DACreateAndStoreMedData(ne);  // keeps the store it has
  };
  agent.DAProcessNewNe(Ne("192.0.2.1"));  // the sequence deletes the records
  agent.filter = [](ScriptedAgent&, CKelRecord*) { return E_KBFalse; };
  agent.DAProcessNewNe(Ne("192.0.2.2"));
  agent.DAProcessNewNe(nullptr);
  EXPECT_EQ(agent.Log(), (std::vector<std::string>{"filter:192.0.2.1", "mediation:192.0.2.1", "process:192.0.2.1", "relationship:192.0.2.1", "filter:192.0.2.2"}));
  CKelRecord ne;
  ne.KRAddOrSetValue("m_HaveAccess", 1);
  agent.DASendJobDoneToDisco(&ne);
  EXPECT_EQ(agent.DAProcessNe(nullptr), E_KBFalse);
  EXPECT_EQ(agent.DADeleteUnneededInputTags(&ne), KEL_OK);
  EXPECT_EQ(ne.KRToString(), "{ }");
  EXPECT_EQ(services.calls, (std::vector<std::string>{"{ m_IpAddress = 192.0.2.1 } with the stores",
                                                      "{ m_IpAddress = 192.0.2.2, m_FailedFlag = 1 } done", "{ m_HaveAccess = 1 } done"}));
}

TEST_F(CDiscoAgentTest, StandardSequenceWaitsAtTheStartUpGate) {
  CKelThread gate;
  agent.m_StartUpThread = &gate;
  for (bool broadcast : {true, false}) {  // without a broadcast, a worker waiting for the lock reads the flag under it
    agent.m_DoneStartUp = E_KBFalse;
    if (!broadcast) gate.KTLock();
    auto worker = std::async(std::launch::async, [this] { agent.DAProcessNewNe(Ne("192.0.2.3")); });
    EXPECT_EQ(worker.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout) << "broadcast " << broadcast;
    if (broadcast) gate.KTLock();
    agent.m_DoneStartUp = E_KBTrue;
    if (broadcast) gate.KTConditionBroadcast();
    gate.KTUnLock();
    EXPECT_EQ(worker.wait_for(std::chrono::seconds(5)), std::future_status::ready) << "broadcast " << broadcast;
    gate.KTLock(), gate.KTConditionBroadcast(), gate.KTUnLock();  // frees a worker stuck at a wrong gate
  }
  EXPECT_EQ(agent.Count("filter"), 2);
}

}  // namespace
