#include "host/CKelDoubleList.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include "host/CKelAtom.h"
#include "host/CKelPointer.h"
#include "host/CKelRecord.h"
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

TEST_F(CKelDoubleListTest, OrderRefusalsAndRemoval) {
  CKelDoubleList list;
  CountingListable stranger(9);
  EXPECT_EQ(list.KDLHead(), nullptr);
  EXPECT_EQ(list.KDLTail(), nullptr);
  EXPECT_EQ(list.KDLGetNext(&stranger), nullptr);
  EXPECT_EQ(list.KDLGetNext(nullptr), nullptr);
  EXPECT_FALSE(list.KDLContains(nullptr));
  EXPECT_EQ(list.KDLAddToListEnd(nullptr), KEL_ERR_NULL_ARG);
  std::vector<CountingListable*> e;
  for (int i = 1; i <= 4; ++i) {
    e.push_back(new CountingListable(i));
    EXPECT_EQ(list.KDLAddToListEnd(e.back()), 1);
  }
  EXPECT_EQ(list.KDLAddToListEnd(e[0]), KEL_ERR_DUPLICATE);  // held once, deleted once
  EXPECT_EQ(list.KDLLength(), 4);
  EXPECT_EQ(Tags(list), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(list.KDLTail(), e[3]);
  EXPECT_EQ(list.KDLGetNext(e[3]), nullptr);
  EXPECT_EQ(list.KDLGetNext(&stranger), nullptr);

  EXPECT_EQ(list.KDLRemove(e[1]), 1);
  EXPECT_EQ(list.KDLRemove(e[1]), KEL_ERR_NOT_FOUND);
  EXPECT_EQ(list.KDLRemove(nullptr), KEL_ERR_NOT_FOUND);
  EXPECT_EQ(list.KDLGetNext(e[0]), e[2]);
  EXPECT_EQ(list.KDLGetNext(e[1]), nullptr);
  EXPECT_FALSE(list.KDLContains(e[1]));
  delete e[1];  // ours again
  EXPECT_EQ(list.KDLRemove(e[0]), 1);
  EXPECT_EQ(list.KDLAddToListEnd(e[0]), 1);  // added again, at the end
  EXPECT_EQ(Tags(list), (std::vector<int>{3, 4, 1}));
  list.KDLDeleteAll();
  EXPECT_EQ(list.KDLLength(), 0);
  EXPECT_EQ(CountingListable::Alive(), m_AliveBefore + 1);  // only the stranger
}

TEST_F(CKelDoubleListTest, DeletingTheListDeletesItsElements) {
  auto* list = new CKelDoubleList();
  for (int i = 0; i < 10; ++i) list->KDLAddToListEnd(new CountingListable(i));
  EXPECT_EQ(CountingListable::Alive(), m_AliveBefore + 10);
  delete list;
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
  EXPECT_EQ(borrowed->KDLLength(), 3);
  EXPECT_EQ(borrowed->KDLSetHead(nullptr), 1);
  EXPECT_EQ(borrowed->KDLLength(), 0);
  EXPECT_EQ(borrowed->KDLHead(), nullptr);
  EXPECT_FALSE(borrowed->KDLContains(owned[0].get()));
  delete borrowed;  // must delete nothing (ASan: double free otherwise)
  EXPECT_EQ(CountingListable::Alive(), m_AliveBefore + 4);
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

TEST_F(CKelDoubleListTest, CopyIsDeepAndIndependent) {
  auto original = std::make_unique<CKelDoubleList>();
  for (int i = 1; i <= 3; ++i) original->KDLAddToListEnd(new CountingListable(i));
  auto* record = new CKelRecord();
  record->KRAddOrSetValue("m_Name", "router1");
  original->KDLAddToListEnd(record);
  static int data = 0;
  original->KDLAddToListEnd(new CKelPointer(&data));

  CKelDoubleList copy(*original);
  EXPECT_EQ(CountingListable::Alive(), m_AliveBefore + 6);
  ASSERT_EQ(copy.KDLLength(), 5);
  for (CKelListable* e = copy.KDLHead(); e != nullptr; e = copy.KDLGetNext(e)) {
    EXPECT_FALSE(original->KDLContains(e));
  }
  auto* copiedRecord = static_cast<CKelRecord*>(copy.KDLGetNext(copy.KDLGetNext(copy.KDLGetNext(copy.KDLHead()))));
  copiedRecord->KRAddOrSetValue("m_Name", "changed");
  EXPECT_STREQ(record->KRValueOf("m_Name")->KAString(), "router1");
  EXPECT_EQ(static_cast<CKelPointer*>(copy.KDLTail())->KPData(), &data);  // same data, new wrapper
  CKelListable* removed = copy.KDLHead();
  copy.KDLRemove(removed);
  delete removed;
  EXPECT_EQ(original->KDLLength(), 5);
  original.reset();
  EXPECT_EQ(static_cast<CountingListable*>(copy.KDLHead())->Tag(), 2);
  EXPECT_STREQ(copiedRecord->KRValueOf("m_Name")->KAString(), "changed");
}

TEST_F(CKelDoubleListTest, LongListsWalkInLinearTime) {
  // A walk that searched for each element would take minutes here.
  const int kCount = 200000;
  CKelDoubleList list;
  for (int i = 0; i < kCount; ++i) list.KDLAddToListEnd(new CKelAtom(i));
  long long sum = 0;
  int n = 0;
  for (CKelListable* e = list.KDLHead(); e != nullptr; e = list.KDLGetNext(e), ++n) {
    sum += static_cast<CKelAtom*>(e)->KAInt64();
  }
  EXPECT_EQ(n, kCount);
  EXPECT_EQ(sum, static_cast<long long>(kCount) * (kCount - 1) / 2);
}

TEST_F(CKelDoubleListTest, ConcurrentReadersSeeTheSameWalk) {
  CKelDoubleList list;
  for (int i = 0; i < 1000; ++i) list.KDLAddToListEnd(new CKelAtom(i));
  std::vector<int> bad(8, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&list, &bad, t] {
      for (int round = 0; round < 50; ++round) {
        int expected = 0;
        for (CKelListable* e = list.KDLHead(); e != nullptr; e = list.KDLGetNext(e)) {
          if (static_cast<CKelAtom*>(e)->KAInt() != expected++) ++bad[t];
        }
        if (expected != 1000 || list.KDLLength() != 1000 || !list.KDLContains(list.KDLTail())) ++bad[t];
      }
    });
  }
  for (auto& th : threads) th.join();
  for (int t = 0; t < 8; ++t) EXPECT_EQ(bad[t], 0) << "thread " << t;
}

}  // namespace
