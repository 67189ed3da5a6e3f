#include "host/CDiscoProcessedData.h"

#include <gtest/gtest.h>

#include <vector>

#include "host/KelTypes.h"
#include "tests/unit/host/CountingListable.h"

namespace {

// A neighbour list holding one counting element tagged `tag`.
CKelDoubleList* Nbr(int tag) {
  auto* list = new CKelDoubleList();
  list->KDLAddToListEnd(new CountingListable(tag));
  return list;
}

int TagOf(const CKelDoubleList* list) {
  return static_cast<const CountingListable*>(list->KDLHead())->Tag();
}

std::vector<int> RemoteTags(const CDiscoProcessedData::LocalNbr& local) {
  std::vector<int> tags;
  for (const CKelDoubleList* remote : local.remotes) tags.push_back(TagOf(remote));
  return tags;
}

TEST(CDiscoProcessedDataTest, RemotesFiledBeforeTheirLocalArriveWithItInOrder) {
  CDiscoProcessedData proc;
  CKelDoubleList* localA = Nbr(1);
  CKelDoubleList* localB = Nbr(2);
  EXPECT_EQ(proc.DPDAddRemoteNbr(localA, Nbr(11)), KEL_OK);
  EXPECT_EQ(proc.DPDAddRemoteNbr(localB, Nbr(21)), KEL_OK);
  EXPECT_EQ(proc.DPDAddRemoteNbr(localA, Nbr(12)), KEL_OK);
  EXPECT_TRUE(proc.DPDLocalNbrs().empty());

  EXPECT_EQ(proc.DPDAddLocalNbr(localA), KEL_OK);
  EXPECT_EQ(proc.DPDAddLocalNbr(localB), KEL_OK);
  const auto& locals = proc.DPDLocalNbrs();
  ASSERT_EQ(locals.size(), 2u);
  EXPECT_EQ(locals[0].fields, localA);
  EXPECT_EQ(RemoteTags(locals[0]), (std::vector<int>{11, 12}));
  EXPECT_EQ(locals[1].fields, localB);
  EXPECT_EQ(RemoteTags(locals[1]), (std::vector<int>{21}));
}

TEST(CDiscoProcessedDataTest, RemotesFiledAfterTheirLocalJoinIt) {
  CDiscoProcessedData proc;
  CKelDoubleList* local = Nbr(1);
  ASSERT_EQ(proc.DPDAddRemoteNbr(local, Nbr(11)), KEL_OK);
  ASSERT_EQ(proc.DPDAddLocalNbr(local), KEL_OK);
  ASSERT_EQ(proc.DPDAddRemoteNbr(local, Nbr(12)), KEL_OK);
  ASSERT_EQ(proc.DPDLocalNbrs().size(), 1u);
  EXPECT_EQ(RemoteTags(proc.DPDLocalNbrs()[0]), (std::vector<int>{11, 12}));
}

TEST(CDiscoProcessedDataTest, RefusedListsStayWithTheCaller) {
  CDiscoProcessedData proc;
  CKelDoubleList* local = Nbr(1);
  CKelDoubleList* remote = Nbr(2);
  EXPECT_EQ(proc.DPDAddLocalNbr(nullptr), KEL_ERR_NULL_ARG);
  EXPECT_EQ(proc.DPDAddRemoteNbr(nullptr, remote), KEL_ERR_NULL_ARG);
  EXPECT_EQ(proc.DPDAddRemoteNbr(local, nullptr), KEL_ERR_NULL_ARG);
  ASSERT_EQ(proc.DPDAddRemoteNbr(local, remote), KEL_OK);
  ASSERT_EQ(proc.DPDAddLocalNbr(local), KEL_OK);
  // Taken twice would be deleted twice.
  EXPECT_EQ(proc.DPDAddLocalNbr(local), KEL_ERR_DUPLICATE);
  EXPECT_EQ(proc.DPDAddRemoteNbr(local, remote), KEL_ERR_DUPLICATE);
  EXPECT_EQ(proc.DPDAddRemoteNbr(local, local), KEL_ERR_DUPLICATE);
  CKelDoubleList* other = Nbr(3);
  EXPECT_EQ(proc.DPDAddLocalNbr(remote), KEL_ERR_DUPLICATE);
  EXPECT_EQ(proc.DPDAddRemoteNbr(other, other), KEL_ERR_DUPLICATE);
  delete other;
  ASSERT_EQ(proc.DPDLocalNbrs().size(), 1u);
  EXPECT_EQ(proc.DPDLocalNbrs()[0].remotes.size(), 1u);
}

TEST(CDiscoProcessedDataTest, DeletesEverythingItTookIncludingOrphanRemotes) {
  const int before = CountingListable::Alive();
  {
    CDiscoProcessedData proc;
    CKelDoubleList* local = Nbr(1);
    proc.DPDAddRemoteNbr(local, Nbr(2));
    proc.DPDAddLocalNbr(local);
    CKelDoubleList* neverAdded = Nbr(3);
    proc.DPDAddRemoteNbr(neverAdded, Nbr(4));
    proc.DPDAddRemoteNbr(neverAdded, Nbr(5));
    delete neverAdded;  // the caller's: the store only filed under it
    EXPECT_EQ(CountingListable::Alive(), before + 4);
  }
  EXPECT_EQ(CountingListable::Alive(), before);
}

}  // namespace
