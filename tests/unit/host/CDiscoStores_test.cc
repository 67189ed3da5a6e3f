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

TEST(CDiscoMediationDataTest, KeepsGetsColumnsAndDataApartAndDeletesWhatItReplaces) {
  const int before = CountingListable::Alive();
  int parked = 42;
  {
    CDiscoMediationData med;
    CKelSnmpVarOp* get = IntOp({0}, 1);
    CKelDoubleList* column = Column({});
    EXPECT_EQ(med.DMDAddSnmp(nullptr, get), KEL_ERR_NULL_ARG);
    EXPECT_EQ(med.DMDAddSnmp("k", static_cast<CKelSnmpVarOp*>(nullptr)), KEL_ERR_NULL_ARG);
    EXPECT_EQ(med.DMDAddSnmp(nullptr, column), KEL_ERR_NULL_ARG);
    EXPECT_EQ(med.DMDAddDataPtr(nullptr, &parked), KEL_ERR_NULL_ARG);
    EXPECT_TRUE(med.DMDGetKeys().empty());
    ASSERT_EQ(med.DMDAddSnmp("sysObjectID", get), KEL_OK);  // refused before, ours until now
    ASSERT_EQ(med.DMDAddSnmp("ipv6IfDescr", column), KEL_OK);
    med.DMDAddSnmp("ipv6AddrType", Column({}));
    CKelSnmpVarOp* first = new CKelSnmpVarOp(nullptr, new CKelAtom(Counted(1), E_KDTList));
    ASSERT_EQ(med.DMDAddSnmp("sysDescr", first), KEL_OK);
    ASSERT_EQ(med.DMDAddSnmp("sysDescr", first), KEL_OK);  // the same reply again is kept
    ASSERT_EQ(med.DMDAddSnmp("sysDescr", new CKelSnmpVarOp(nullptr, new CKelAtom(Counted(2), E_KDTList))), KEL_OK);
    EXPECT_EQ(CountingListable::Alive(), before + 1);  // first deleted
    // A GET key is not a column key and the reverse; data is held, never deleted.
    EXPECT_EQ(med.DMDGetSnmpGet("sysObjectID"), get);
    EXPECT_EQ(med.DMDGetSnmpGetNext("ipv6IfDescr"), column);
    EXPECT_EQ(med.DMDGetSnmpGetNext("sysObjectID"), nullptr);
    EXPECT_EQ(med.DMDGetSnmpGet("ipv6IfDescr"), nullptr);
    EXPECT_EQ(med.DMDGetKeys(), (std::vector<std::string>{"ipv6AddrType", "ipv6IfDescr", "sysDescr", "sysObjectID"}));
    EXPECT_EQ(med.DMDColumnKeys(), (std::vector<std::string>{"ipv6AddrType", "ipv6IfDescr"}));
    EXPECT_EQ(med.DMDAddDataPtr("m_IpDataList", &parked), KEL_OK);
    EXPECT_EQ(med.DMDAddDataPtr("m_IpDataList", &med), KEL_ERR_DUPLICATE);
    EXPECT_EQ(med.DMDRemoveDataPtr("m_IpDataList"), &parked);
    EXPECT_EQ(med.DMDGetDataPtr("m_IpDataList"), nullptr);
    EXPECT_EQ(med.DMDAddDataPtr("left", &parked), KEL_OK);  // stack data: a delete would crash
  }
  EXPECT_EQ(CountingListable::Alive(), before);  // the store deleted the second reply
}

TEST(CDiscoMediationDataTest, ByIndexFindsTheFirstRowOfASingleSubIdentifierIndex) {
  CDiscoMediationData med;
  ASSERT_EQ(med.DMDAddSnmp("c", Column({IntOp({9}, 90)})), KEL_OK);  // replaced below
  ASSERT_EQ(med.DMDAddSnmp("c", Column({IntOp({1}, 10), IntOp({2}, 20), IntOp({2}, 21), IntOp({3, 1}, 31),
                                        IntOp({4294967295u}, 99),
                                        new CKelSnmpVarOp(new CKelASN1Address(std::vector<uint32_t>{5}), nullptr),
                                        IntOp({}, 7)})),
            KEL_OK);
  struct Row {
    CKelAtom index;
    const char* key;
    long long value;  // -1: not found
  } rows[] = {
      {CKelAtom(1), "c", 10},
      {CKelAtom(2), "c", 20},  // first row wins
      {CKelAtom(3), "c", -1},  // only a two-part index
      {CKelAtom(4294967295LL), "c", 99},
      {CKelAtom(4294967296LL), "c", -1},
      {CKelAtom(-1), "c", -1},
      {CKelAtom(5), "c", -1},    // row without value
      {CKelAtom(0), "c", -1},    // empty index is not 0
      {CKelAtom(9), "c", -1},    // only in the replaced column
      {CKelAtom("1"), "c", -1},  // not an integer atom
      {CKelAtom(1), "d", -1},    // no such column
      {CKelAtom(1), nullptr, -1},
  };
  for (const Row& row : rows) {
    CKelAtom* value = med.DMDGetSnmpByIndex(&row.index, row.key);
    EXPECT_EQ(value != nullptr ? value->KAInt64() : -1, row.value) << "index " << row.index.KAInt64();
  }
  EXPECT_EQ(med.DMDGetSnmpByIndex(nullptr, "c"), nullptr);
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

TEST(CDiscoProcessedDataTest, RemotesJoinTheirLocalAndWhatIsTakenIsDeletedOnce) {
  const int before = CountingListable::Alive();
  {
    CDiscoProcessedData proc;
    CKelDoubleList* local = Counted(1);
    CKelDoubleList* remote = Counted(11);
    EXPECT_EQ(proc.DPDAddLocalNbr(nullptr), KEL_ERR_NULL_ARG);
    EXPECT_EQ(proc.DPDAddRemoteNbr(nullptr, remote), KEL_ERR_NULL_ARG);
    EXPECT_EQ(proc.DPDAddRemoteNbr(local, nullptr), KEL_ERR_NULL_ARG);
    ASSERT_EQ(proc.DPDAddRemoteNbr(local, remote), KEL_OK);  // filed before its local
    EXPECT_TRUE(proc.DPDLocalNbrs().empty());
    ASSERT_EQ(proc.DPDAddLocalNbr(local), KEL_OK);
    ASSERT_EQ(proc.DPDAddRemoteNbr(local, Counted(12)), KEL_OK);
    // Taken twice would be deleted twice.
    EXPECT_EQ(proc.DPDAddLocalNbr(local), KEL_ERR_DUPLICATE);
    EXPECT_EQ(proc.DPDAddRemoteNbr(local, remote), KEL_ERR_DUPLICATE);
    EXPECT_EQ(proc.DPDAddRemoteNbr(local, local), KEL_ERR_DUPLICATE);
    EXPECT_EQ(proc.DPDAddLocalNbr(remote), KEL_ERR_DUPLICATE);
    ASSERT_EQ(proc.DPDLocalNbrs().size(), 1u);
    EXPECT_EQ(proc.DPDLocalNbrs()[0].fields, local);
    EXPECT_EQ(proc.DPDLocalNbrs()[0].remotes.size(), 2u);
    // Remotes filed under a local never added are still the store's.
    CKelDoubleList* neverAdded = Counted(3);
    proc.DPDAddRemoteNbr(neverAdded, Counted(4));
    delete neverAdded;  // the caller's: the store only filed under it
    EXPECT_EQ(CountingListable::Alive(), before + 4);
  }
  EXPECT_EQ(CountingListable::Alive(), before);
}

}  // namespace
