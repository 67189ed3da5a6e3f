#include "host/CKelDoubleList.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "host/CKelAtom.h"
#include "host/KelTypes.h"
#include "tests/unit/host/CountingListable.h"

namespace {

std::vector<int> Tags(const CKelDoubleList& list) {
  std::vector<int> tags;
  for (CKelListable* e = list.KDLHead(); e != nullptr; e = list.KDLGetNext(e)) {
    tags.push_back(static_cast<CountingListable*>(e)->Tag());
  }
  return tags;
}

// Every test must leave as many counting elements alive as it found.
class CKelDoubleListTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(CountingListable::Alive(), m_AliveBefore) << "elements leaked or lost"; }
  int m_AliveBefore = CountingListable::Alive();
};

TEST_F(CKelDoubleListTest, OrderRefusalsRemovalAndDeepCopy) {
  auto list = std::make_unique<CKelDoubleList>();
  CountingListable stranger(9);
  EXPECT_EQ(list->KDLGetNext(&stranger), nullptr);
  EXPECT_FALSE(list->KDLContains(nullptr));
  EXPECT_EQ(list->KDLAddToListEnd(nullptr), KEL_ERR_NULL_ARG);
  std::vector<CountingListable*> e;
  for (int i = 1; i <= 4; ++i) {
    e.push_back(new CountingListable(i));
    EXPECT_EQ(list->KDLAddToListEnd(e.back()), 1);
  }
  EXPECT_EQ(list->KDLAddToListEnd(e[0]), KEL_ERR_DUPLICATE);  // held once, deleted once
  EXPECT_EQ(list->KDLTail(), e[3]);
  EXPECT_EQ(list->KDLRemove(e[1]), 1);
  EXPECT_EQ(list->KDLRemove(e[1]), KEL_ERR_NOT_FOUND);
  EXPECT_FALSE(list->KDLContains(e[1]));
  delete e[1];  // ours again
  EXPECT_EQ(list->KDLRemove(e[0]), 1);
  EXPECT_EQ(list->KDLAddToListEnd(e[0]), 1);  // added again, at the end
  EXPECT_EQ(Tags(*list), (std::vector<int>{3, 4, 1}));
  CKelDoubleList copy(*list);
  EXPECT_FALSE(list->KDLContains(copy.KDLHead()));
  list.reset();  // deletes its elements, not the copy's
  EXPECT_EQ(Tags(copy), (std::vector<int>{3, 4, 1}));
  EXPECT_EQ(CountingListable::Alive(), m_AliveBefore + 4);
}

TEST_F(CKelDoubleListTest, SetHeadNullForgetsWithoutDeleting) {
  std::vector<std::unique_ptr<CountingListable>> owned;
  auto* borrowed = new CKelDoubleList();
  for (int i = 0; i < 3; ++i) {
    owned.push_back(std::make_unique<CountingListable>(i));
    borrowed->KDLAddToListEnd(owned.back().get());
  }
  CountingListable other(7);
  EXPECT_EQ(borrowed->KDLSetHead(&other), KEL_ERR_WRONG_TYPE);
  EXPECT_EQ(borrowed->KDLSetHead(nullptr), 1);
  EXPECT_EQ(borrowed->KDLLength(), 0);
  EXPECT_FALSE(borrowed->KDLContains(owned[0].get()));
  delete borrowed;  // must delete nothing (ASan: double free otherwise)
}

TEST_F(CKelDoubleListTest, GetNextComparesOnlySoDeletedElementsAreSafe) {
  // Callers delete each element while walking a list that borrows it.
  CKelDoubleList list;
  for (int i = 0; i < 4; ++i) list.KDLAddToListEnd(new CountingListable(i));
  int walked = 0;
  for (CKelListable* e = list.KDLHead(); e != nullptr; ++walked) {
    CKelListable* current = e;
    delete current;
    e = list.KDLGetNext(current);
  }
  EXPECT_EQ(walked, 4);
  list.KDLSetHead(nullptr);
}

TEST_F(CKelDoubleListTest, LongListsWalkInLinearTime) {
  // A walk that searched for each element would take minutes here.
  const int kCount = 200000;
  CKelDoubleList list;
  for (int i = 0; i < kCount; ++i) list.KDLAddToListEnd(new CKelAtom(i));
  int n = 0, misplaced = 0;
  for (CKelListable* e = list.KDLHead(); e != nullptr; e = list.KDLGetNext(e)) misplaced += static_cast<CKelAtom*>(e)->KAInt() != n++;
  EXPECT_EQ(n, kCount);
  EXPECT_EQ(misplaced, 0);
}

}  // namespace
