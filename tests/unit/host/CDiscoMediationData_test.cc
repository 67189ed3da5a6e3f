#include "host/CDiscoMediationData.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "host/CKelASN1Address.h"
#include "host/KelTypes.h"
#include "tests/unit/host/CountingListable.h"

namespace {

CKelSnmpVarOp* Op(std::vector<uint32_t> index, CKelAtom* value) {
  return new CKelSnmpVarOp(new CKelASN1Address(std::move(index)), value);
}

CKelSnmpVarOp* IntOp(std::vector<uint32_t> index, long long value) {
  return Op(std::move(index), new CKelAtom(value));
}

// A reply whose value holds a counting element, so a test sees when the
// store deletes it.
CKelSnmpVarOp* CountedOp(int tag) {
  auto* list = new CKelDoubleList();
  list->KDLAddToListEnd(new CountingListable(tag));
  return Op({0}, new CKelAtom(list, E_KDTList));
}

CKelDoubleList* Column(std::vector<CKelSnmpVarOp*> rows) {
  auto* list = new CKelDoubleList();
  for (CKelSnmpVarOp* row : rows) list->KDLAddToListEnd(row);
  return list;
}

TEST(CDiscoMediationDataTest, StoresGetRepliesAndColumnsUnderTheirKeys) {
  CDiscoMediationData med;
  CKelSnmpVarOp* get = IntOp({0}, 1);
  CKelDoubleList* column = Column({IntOp({1}, 10), IntOp({2}, 20)});
  EXPECT_EQ(med.DMDAddSnmp("ipv6Forwarding", get), KEL_OK);
  EXPECT_EQ(med.DMDAddSnmp("ipv6IfDescr", column), KEL_OK);

  EXPECT_EQ(med.DMDGetSnmpGet("ipv6Forwarding"), get);
  EXPECT_EQ(med.DMDGetSnmpGetNext("ipv6IfDescr"), column);
  // A GET key is not a column key and the reverse; unknown keys are absent.
  EXPECT_EQ(med.DMDGetSnmpGetNext("ipv6Forwarding"), nullptr);
  EXPECT_EQ(med.DMDGetSnmpGet("ipv6IfDescr"), nullptr);
  EXPECT_EQ(med.DMDGetSnmpGet("sysDescr"), nullptr);
  EXPECT_EQ(med.DMDGetSnmpGet(nullptr), nullptr);
  EXPECT_EQ(med.DMDGetSnmpGetNext(nullptr), nullptr);
}

TEST(CDiscoMediationDataTest, RefusesNullArgumentsAndLeavesThemWithTheCaller) {
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
}

TEST(CDiscoMediationDataTest, ReplacingAReplyDeletesTheOldOneOnly) {
  const int before = CountingListable::Alive();
  {
    CDiscoMediationData med;
    CKelSnmpVarOp* first = CountedOp(1);
    ASSERT_EQ(med.DMDAddSnmp("sysDescr", first), KEL_OK);
    EXPECT_EQ(CountingListable::Alive(), before + 1);
    // The same reply again is kept, not deleted.
    ASSERT_EQ(med.DMDAddSnmp("sysDescr", first), KEL_OK);
    EXPECT_EQ(CountingListable::Alive(), before + 1);
    EXPECT_EQ(med.DMDGetSnmpGet("sysDescr"), first);

    CKelSnmpVarOp* second = CountedOp(2);
    ASSERT_EQ(med.DMDAddSnmp("sysDescr", second), KEL_OK);
    EXPECT_EQ(CountingListable::Alive(), before + 1);  // first deleted
    EXPECT_EQ(med.DMDGetSnmpGet("sysDescr"), second);
  }
  EXPECT_EQ(CountingListable::Alive(), before);  // the store deleted second
}

TEST(CDiscoMediationDataTest, ByIndexFindsTheFirstRowOfASingleSubIdentifierIndex) {
  CDiscoMediationData med;
  ASSERT_EQ(med.DMDAddSnmp("ipv6IfDescr",
                           Column({IntOp({1}, 10), IntOp({2}, 20), IntOp({2}, 21),
                                   IntOp({3, 1}, 31), IntOp({4294967295u}, 99),
                                   Op({5}, nullptr), IntOp({}, 7)})),
            KEL_OK);
  struct Row {
    CKelAtom index;
    const char* key;
    bool found;
    long long value;
  } rows[] = {
      {CKelAtom(1), "ipv6IfDescr", true, 10},
      {CKelAtom(2), "ipv6IfDescr", true, 20},  // first row wins
      {CKelAtom(3), "ipv6IfDescr", false, 0},  // only a two-part index
      {CKelAtom(4294967295LL), "ipv6IfDescr", true, 99},
      {CKelAtom(4294967296LL), "ipv6IfDescr", false, 0},
      {CKelAtom(-1), "ipv6IfDescr", false, 0},
      {CKelAtom(5), "ipv6IfDescr", false, 0},  // row without value
      {CKelAtom(0), "ipv6IfDescr", false, 0},  // empty index is not 0
      {CKelAtom("1"), "ipv6IfDescr", false, 0},  // not an integer atom
      {CKelAtom(1), "ipv6IfMtu", false, 0},      // no such column
  };
  for (const Row& row : rows) {
    CKelAtom* value = med.DMDGetSnmpByIndex(&row.index, row.key);
    EXPECT_EQ(value != nullptr, row.found) << "index " << row.index.KAInt64() << " key "
                                           << row.key;
    if (value != nullptr && row.found) {
      EXPECT_EQ(value->KAInt64(), row.value);
    }
  }
  EXPECT_EQ(med.DMDGetSnmpByIndex(nullptr, "ipv6IfDescr"), nullptr);
  CKelAtom one(1);
  EXPECT_EQ(med.DMDGetSnmpByIndex(&one, nullptr), nullptr);
}

TEST(CDiscoMediationDataTest, ByIndexReturnsTheStoredAtomAndFollowsAReplacedColumn) {
  CDiscoMediationData med;
  CKelDoubleList* column = Column({IntOp({7}, 70)});
  ASSERT_EQ(med.DMDAddSnmp("c", column), KEL_OK);
  CKelAtom seven(7);
  auto* row = static_cast<CKelSnmpVarOp*>(column->KDLHead());
  EXPECT_EQ(med.DMDGetSnmpByIndex(&seven, "c"), row->KSVOValue());

  ASSERT_EQ(med.DMDAddSnmp("c", Column({IntOp({8}, 80)})), KEL_OK);
  EXPECT_EQ(med.DMDGetSnmpByIndex(&seven, "c"), nullptr);
  CKelAtom eight(8);
  ASSERT_NE(med.DMDGetSnmpByIndex(&eight, "c"), nullptr);
  EXPECT_EQ(med.DMDGetSnmpByIndex(&eight, "c")->KAInt(), 80);
}

TEST(CDiscoMediationDataTest, ByIndexServesLargeColumns) {
  // Every row of a large column is found by its index; a walk per lookup
  // would make this test very slow.
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
    // Parked data left behind stays the caller's (stack data: a delete
    // would crash).
    EXPECT_EQ(med.DMDAddDataPtr("left", &other), KEL_OK);
  }
  EXPECT_EQ(parked, 42);
}

TEST(CDiscoMediationDataTest, KeysAreListedInNameOrder) {
  CDiscoMediationData med;
  med.DMDAddSnmp("sysObjectID", IntOp({0}, 1));
  med.DMDAddSnmp("ipv6IfDescr", Column({}));
  med.DMDAddSnmp("ipForwarding", IntOp({0}, 2));
  med.DMDAddSnmp("ipv6AddrType", Column({}));
  int data = 0;
  med.DMDAddDataPtr("m_IpDataList", &data);
  EXPECT_EQ(med.DMDGetKeys(), (std::vector<std::string>{"ipForwarding", "ipv6AddrType",
                                                        "ipv6IfDescr", "sysObjectID"}));
  EXPECT_EQ(med.DMDColumnKeys(), (std::vector<std::string>{"ipv6AddrType", "ipv6IfDescr"}));
}

}  // namespace
