// The per-NE stores: mediation data (SNMP replies, columns, parked data)
// and processed data (neighbour lists).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "host/CDiscoMediationData.h"
#include "host/CDiscoProcessedData.h"
#include "host/CKelASN1Address.h"
#include "host/KelTypes.h"
#include "tests/unit/host/CountingListable.h"

namespace {

CKelSnmpVarOp* IntOp(std::vector<uint32_t> index, long long value) {
  return new CKelSnmpVarOp(new CKelASN1Address(std::move(index)), new CKelAtom(value));
}

CKelDoubleList* Column(std::vector<CKelSnmpVarOp*> rows) {
  auto* list = new CKelDoubleList();
  for (CKelSnmpVarOp* row : rows) list->KDLAddToListEnd(row);
  return list;
}

// A list holding one counting element, so a test sees when a store deletes it.
CKelDoubleList* Counted(int tag) {
  auto* list = new CKelDoubleList();
  list->KDLAddToListEnd(new CountingListable(tag));
  return list;
}

TEST(CDiscoMediationDataTest, StoresGetRepliesAndColumnsUnderTheirKeysInNameOrder) {
  CDiscoMediationData med;
  CKelSnmpVarOp* get = IntOp({0}, 1);
  CKelDoubleList* column = Column({IntOp({1}, 10)});
  EXPECT_EQ(med.DMDAddSnmp("sysObjectID", get), KEL_OK);
  EXPECT_EQ(med.DMDAddSnmp("ipv6IfDescr", column), KEL_OK);
  med.DMDAddSnmp("ipForwarding", IntOp({0}, 2));
  med.DMDAddSnmp("ipv6AddrType", Column({}));
  int data = 0;
  med.DMDAddDataPtr("m_IpDataList", &data);
  EXPECT_EQ(med.DMDGetSnmpGet("sysObjectID"), get);
  EXPECT_EQ(med.DMDGetSnmpGetNext("ipv6IfDescr"), column);
  // A GET key is not a column key and the reverse; unknown keys are absent.
  EXPECT_EQ(med.DMDGetSnmpGetNext("sysObjectID"), nullptr);
  EXPECT_EQ(med.DMDGetSnmpGet("ipv6IfDescr"), nullptr);
  EXPECT_EQ(med.DMDGetSnmpGet("sysDescr"), nullptr);
  EXPECT_EQ(med.DMDGetSnmpGet(nullptr), nullptr);
  EXPECT_EQ(med.DMDGetSnmpGetNext(nullptr), nullptr);
  EXPECT_EQ(med.DMDGetKeys(), (std::vector<std::string>{"ipForwarding", "ipv6AddrType", "ipv6IfDescr", "sysObjectID"}));
  EXPECT_EQ(med.DMDColumnKeys(), (std::vector<std::string>{"ipv6AddrType", "ipv6IfDescr"}));
}

TEST(CDiscoMediationDataTest, RefusedArgumentsStayWithTheCallerAndReplacingDeletesTheOld) {
  const int before = CountingListable::Alive();
  {
    CDiscoMediationData med;
    CKelSnmpVarOp* get = IntOp({0}, 1);
    CKelDoubleList* column = Column({});
    EXPECT_EQ(med.DMDAddSnmp(nullptr, get), KEL_ERR_NULL_ARG);
    EXPECT_EQ(med.DMDAddSnmp(nullptr, column), KEL_ERR_NULL_ARG);
    EXPECT_EQ(med.DMDAddSnmp("k", static_cast<CKelSnmpVarOp*>(nullptr)), KEL_ERR_NULL_ARG);
    EXPECT_EQ(med.DMDAddSnmp("k", static_cast<CKelDoubleList*>(nullptr)), KEL_ERR_NULL_ARG);
    EXPECT_TRUE(med.DMDGetKeys().empty());
    delete get;  // still ours
    delete column;

    CKelSnmpVarOp* first = new CKelSnmpVarOp(nullptr, new CKelAtom(Counted(1), E_KDTList));
    ASSERT_EQ(med.DMDAddSnmp("sysDescr", first), KEL_OK);
    ASSERT_EQ(med.DMDAddSnmp("sysDescr", first), KEL_OK);  // the same reply again is kept
    EXPECT_EQ(CountingListable::Alive(), before + 1);
    EXPECT_EQ(med.DMDGetSnmpGet("sysDescr"), first);
    CKelSnmpVarOp* second = new CKelSnmpVarOp(nullptr, new CKelAtom(Counted(2), E_KDTList));
    ASSERT_EQ(med.DMDAddSnmp("sysDescr", second), KEL_OK);
    EXPECT_EQ(CountingListable::Alive(), before + 1);  // first deleted
    EXPECT_EQ(med.DMDGetSnmpGet("sysDescr"), second);
  }
  EXPECT_EQ(CountingListable::Alive(), before);  // the store deleted second
}

TEST(CDiscoMediationDataTest, ByIndexFindsTheFirstRowOfASingleSubIdentifierIndex) {
  CDiscoMediationData med;
  ASSERT_EQ(med.DMDAddSnmp("ipv6IfDescr", Column({IntOp({1}, 10), IntOp({2}, 20), IntOp({2}, 21), IntOp({3, 1}, 31),
                                                  IntOp({4294967295u}, 99),
                                                  new CKelSnmpVarOp(new CKelASN1Address(std::vector<uint32_t>{5}), nullptr),
                                                  IntOp({}, 7)})),
            KEL_OK);
  struct Row {
    CKelAtom index;
    const char* key;
    long long value;  // -1: not found
  } rows[] = {
      {CKelAtom(1), "ipv6IfDescr", 10},
      {CKelAtom(2), "ipv6IfDescr", 20},  // first row wins
      {CKelAtom(3), "ipv6IfDescr", -1},  // only a two-part index
      {CKelAtom(4294967295LL), "ipv6IfDescr", 99},
      {CKelAtom(4294967296LL), "ipv6IfDescr", -1},
      {CKelAtom(-1), "ipv6IfDescr", -1},
      {CKelAtom(5), "ipv6IfDescr", -1},    // row without value
      {CKelAtom(0), "ipv6IfDescr", -1},    // empty index is not 0
      {CKelAtom("1"), "ipv6IfDescr", -1},  // not an integer atom
      {CKelAtom(1), "ipv6IfMtu", -1},      // no such column
  };
  for (const Row& row : rows) {
    CKelAtom* value = med.DMDGetSnmpByIndex(&row.index, row.key);
    EXPECT_EQ(value != nullptr ? value->KAInt64() : -1, row.value) << "index " << row.index.KAInt64() << " key " << row.key;
  }
  EXPECT_EQ(med.DMDGetSnmpByIndex(nullptr, "ipv6IfDescr"), nullptr);
  CKelAtom one(1);
  EXPECT_EQ(med.DMDGetSnmpByIndex(&one, nullptr), nullptr);
}

TEST(CDiscoMediationDataTest, ByIndexReturnsTheStoredAtomAndFollowsAReplacedColumn) {
  CDiscoMediationData med;
  CKelDoubleList* column = Column({IntOp({7}, 70)});
  ASSERT_EQ(med.DMDAddSnmp("c", column), KEL_OK);
  CKelAtom seven(7), eight(8);
  EXPECT_EQ(med.DMDGetSnmpByIndex(&seven, "c"), static_cast<CKelSnmpVarOp*>(column->KDLHead())->KSVOValue());
  ASSERT_EQ(med.DMDAddSnmp("c", Column({IntOp({8}, 80)})), KEL_OK);
  EXPECT_EQ(med.DMDGetSnmpByIndex(&seven, "c"), nullptr);
  ASSERT_NE(med.DMDGetSnmpByIndex(&eight, "c"), nullptr);
  EXPECT_EQ(med.DMDGetSnmpByIndex(&eight, "c")->KAInt(), 80);
}

TEST(CDiscoMediationDataTest, ByIndexServesLargeColumns) {
  // A walk per lookup would make this very slow.
  const int rows = 50000;
  auto* column = new CKelDoubleList();
  for (int i = 1; i <= rows; ++i) column->KDLAddToListEnd(IntOp({static_cast<uint32_t>(i)}, i * 2));
  CDiscoMediationData med;
  ASSERT_EQ(med.DMDAddSnmp("big", column), KEL_OK);
  int found = 0;
  for (int i = rows; i >= 1; --i) {
    CKelAtom index(i);
    CKelAtom* value = med.DMDGetSnmpByIndex(&index, "big");
    found += value != nullptr && value->KAInt() == i * 2;
  }
  EXPECT_EQ(found, rows);
}

TEST(CDiscoMediationDataTest, DataPointersAreHeldNeverDeleted) {
  int parked = 42;
  std::vector<int> other;
  {
    CDiscoMediationData med;
    EXPECT_EQ(med.DMDAddDataPtr("m_IpDataList", &parked), KEL_OK);
    EXPECT_EQ(med.DMDAddDataPtr("m_IpDataList", &other), KEL_ERR_DUPLICATE);
    EXPECT_EQ(med.DMDAddDataPtr(nullptr, &other), KEL_ERR_NULL_ARG);
    EXPECT_EQ(med.DMDAddDataPtr("x", nullptr), KEL_ERR_NULL_ARG);
    EXPECT_EQ(med.DMDGetDataPtr("m_IpDataList"), &parked);
    EXPECT_EQ(med.DMDGetDataPtr("absent"), nullptr);
    EXPECT_EQ(med.DMDRemoveDataPtr("m_IpDataList"), &parked);
    EXPECT_EQ(med.DMDRemoveDataPtr("m_IpDataList"), nullptr);
    EXPECT_EQ(med.DMDGetDataPtr("m_IpDataList"), nullptr);
    EXPECT_EQ(med.DMDAddDataPtr("left", &other), KEL_OK);  // stack data: a delete would crash
  }
  EXPECT_EQ(parked, 42);
}

std::vector<int> RemoteTags(const CDiscoProcessedData::LocalNbr& local) {
  std::vector<int> tags;
  for (const CKelDoubleList* remote : local.remotes)
    tags.push_back(static_cast<const CountingListable*>(remote->KDLHead())->Tag());
  return tags;
}

TEST(CDiscoProcessedDataTest, RemotesJoinTheirLocalWhetherFiledBeforeOrAfterIt) {
  CDiscoProcessedData proc;
  CKelDoubleList* localA = Counted(1);
  CKelDoubleList* localB = Counted(2);
  EXPECT_EQ(proc.DPDAddRemoteNbr(localA, Counted(11)), KEL_OK);
  EXPECT_EQ(proc.DPDAddRemoteNbr(localB, Counted(21)), KEL_OK);
  EXPECT_EQ(proc.DPDAddRemoteNbr(localA, Counted(12)), KEL_OK);
  EXPECT_TRUE(proc.DPDLocalNbrs().empty());
  EXPECT_EQ(proc.DPDAddLocalNbr(localA), KEL_OK);
  EXPECT_EQ(proc.DPDAddLocalNbr(localB), KEL_OK);
  EXPECT_EQ(proc.DPDAddRemoteNbr(localA, Counted(13)), KEL_OK);
  const auto& locals = proc.DPDLocalNbrs();
  ASSERT_EQ(locals.size(), 2u);
  EXPECT_EQ(locals[0].fields, localA);
  EXPECT_EQ(RemoteTags(locals[0]), (std::vector<int>{11, 12, 13}));
  EXPECT_EQ(locals[1].fields, localB);
  EXPECT_EQ(RemoteTags(locals[1]), (std::vector<int>{21}));
}

TEST(CDiscoProcessedDataTest, RefusesWhatItCannotTakeAndDeletesWhatItTook) {
  const int before = CountingListable::Alive();
  {
    CDiscoProcessedData proc;
    CKelDoubleList* local = Counted(1);
    CKelDoubleList* remote = Counted(2);
    EXPECT_EQ(proc.DPDAddLocalNbr(nullptr), KEL_ERR_NULL_ARG);
    EXPECT_EQ(proc.DPDAddRemoteNbr(nullptr, remote), KEL_ERR_NULL_ARG);
    EXPECT_EQ(proc.DPDAddRemoteNbr(local, nullptr), KEL_ERR_NULL_ARG);
    ASSERT_EQ(proc.DPDAddRemoteNbr(local, remote), KEL_OK);
    ASSERT_EQ(proc.DPDAddLocalNbr(local), KEL_OK);
    // Taken twice would be deleted twice.
    EXPECT_EQ(proc.DPDAddLocalNbr(local), KEL_ERR_DUPLICATE);
    EXPECT_EQ(proc.DPDAddRemoteNbr(local, remote), KEL_ERR_DUPLICATE);
    EXPECT_EQ(proc.DPDAddRemoteNbr(local, local), KEL_ERR_DUPLICATE);
    EXPECT_EQ(proc.DPDAddLocalNbr(remote), KEL_ERR_DUPLICATE);
    CKelDoubleList* other = Counted(3);
    EXPECT_EQ(proc.DPDAddRemoteNbr(other, other), KEL_ERR_DUPLICATE);
    EXPECT_EQ(proc.DPDLocalNbrs()[0].remotes.size(), 1u);
    // Remotes filed under a local never added are still the store's.
    CKelDoubleList* neverAdded = Counted(3);
    proc.DPDAddRemoteNbr(neverAdded, Counted(4));
    proc.DPDAddRemoteNbr(neverAdded, Counted(5));
    delete neverAdded;  // the caller's: the store only filed under it
    delete other;
    EXPECT_EQ(CountingListable::Alive(), before + 4);
  }
  EXPECT_EQ(CountingListable::Alive(), before);
}

}  // namespace
