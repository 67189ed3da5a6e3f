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

class CKelDoubleListTest : public ::testing::Test {
 protected:
  void SetUp() override { m_AliveBefore = CountingListable::Alive(); }
  void TearDown() override { EXPECT_EQ(CountingListable::Alive(), m_AliveBefore) << "elements leaked or lost"; }
  int m_AliveBefore = 0;
};

TEST_F(CKelDoubleListTest, EmptyList) {
  CKelDoubleList list;
  EXPECT_EQ(list.KDLHead(), nullptr);
  EXPECT_EQ(list.KDLTail(), nullptr);
  EXPECT_EQ(list.KDLLength(), 0);
  CountingListable stranger(1);
  EXPECT_EQ(list.KDLGetNext(&stranger), nullptr);
  EXPECT_EQ(list.KDLGetNext(nullptr), nullptr);
  EXPECT_FALSE(list.KDLContains(&stranger));
  EXPECT_FALSE(list.KDLContains(nullptr));
}

TEST_F(CKelDoubleListTest, KeepsOrderAndWalksToTheEnd) {
  CKelDoubleList list;
  for (int i = 1; i <= 5; ++i) EXPECT_EQ(list.KDLAddToListEnd(new CountingListable(i)), 1);
  EXPECT_EQ(list.KDLLength(), 5);
  EXPECT_EQ(Tags(list), (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(static_cast<CountingListable*>(list.KDLHead())->Tag(), 1);
  EXPECT_EQ(static_cast<CountingListable*>(list.KDLTail())->Tag(), 5);
  EXPECT_EQ(list.KDLGetNext(list.KDLTail()), nullptr);
  CountingListable stranger(9);
  EXPECT_EQ(list.KDLGetNext(&stranger), nullptr);
}

TEST_F(CKelDoubleListTest, RefusedElementsStayWithTheCaller) {
  CKelDoubleList list;
  EXPECT_EQ(list.KDLAddToListEnd(nullptr), KEL_ERR_NULL_ARG);
  auto* e = new CountingListable(1);
  ASSERT_EQ(list.KDLAddToListEnd(e), 1);
  EXPECT_EQ(list.KDLAddToListEnd(e), KEL_ERR_DUPLICATE);
  EXPECT_EQ(list.KDLLength(), 1);  // held once; deleted once by the list
}

TEST_F(CKelDoubleListTest, RemoveGivesTheElementBack) {
  CKelDoubleList list;
  auto* a = new CountingListable(1);
  auto* b = new CountingListable(2);
  auto* c = new CountingListable(3);
  list.KDLAddToListEnd(a);
  list.KDLAddToListEnd(b);
  list.KDLAddToListEnd(c);
  EXPECT_EQ(list.KDLRemove(b), 1);
  EXPECT_EQ(list.KDLRemove(b), KEL_ERR_NOT_FOUND);
  EXPECT_EQ(list.KDLRemove(nullptr), KEL_ERR_NOT_FOUND);
  EXPECT_EQ(Tags(list), (std::vector<int>{1, 3}));
  EXPECT_EQ(list.KDLGetNext(a), c);
  EXPECT_EQ(list.KDLGetNext(b), nullptr);
  EXPECT_FALSE(list.KDLContains(b));
  delete b;  // ours again
  // A removed element can be added again, at the end.
  EXPECT_EQ(list.KDLRemove(a), 1);
  EXPECT_EQ(list.KDLAddToListEnd(a), 1);
  EXPECT_EQ(Tags(list), (std::vector<int>{3, 1}));
}

TEST_F(CKelDoubleListTest, DeletingTheListDeletesItsElements) {
  int before = CountingListable::Alive();
  auto* list = new CKelDoubleList();
  for (int i = 0; i < 10; ++i) list->KDLAddToListEnd(new CountingListable(i));
  EXPECT_EQ(CountingListable::Alive(), before + 10);
  delete list;
  EXPECT_EQ(CountingListable::Alive(), before);

  CKelDoubleList other;
  other.KDLAddToListEnd(new CountingListable(1));
  other.KDLDeleteAll();
  EXPECT_EQ(other.KDLLength(), 0);
  EXPECT_EQ(CountingListable::Alive(), before);
}

TEST_F(CKelDoubleListTest, SetHeadNullForgetsWithoutDeleting) {
  std::vector<std::unique_ptr<CountingListable>> owned;
  for (int i = 0; i < 3; ++i) owned.push_back(std::make_unique<CountingListable>(i));
  auto* borrowed = new CKelDoubleList();
  for (auto& e : owned) borrowed->KDLAddToListEnd(e.get());
  CountingListable other(7);
  int alive = CountingListable::Alive();
  EXPECT_EQ(borrowed->KDLSetHead(&other), KEL_ERR_WRONG_TYPE);
  EXPECT_EQ(borrowed->KDLLength(), 3);
  EXPECT_EQ(borrowed->KDLSetHead(nullptr), 1);
  EXPECT_EQ(borrowed->KDLLength(), 0);
  EXPECT_EQ(borrowed->KDLHead(), nullptr);
  EXPECT_FALSE(borrowed->KDLContains(owned[0].get()));
  delete borrowed;
  EXPECT_EQ(CountingListable::Alive(), alive);  // nothing deleted
}

TEST_F(CKelDoubleListTest, GetNextComparesOnlySoDeletedElementsAreSafe) {
  // The pattern of callers that delete each element's data while walking a
  // list that merely borrows it.
  CKelDoubleList list;
  std::vector<CountingListable*> elements;
  for (int i = 0; i < 4; ++i) {
    elements.push_back(new CountingListable(i));
    list.KDLAddToListEnd(elements.back());
  }
  int walked = 0;
  CKelListable* e = list.KDLHead();
  while (e != nullptr) {
    CKelListable* current = e;
    delete current;
    e = list.KDLGetNext(current);
    ++walked;
  }
  EXPECT_EQ(walked, 4);
  list.KDLSetHead(nullptr);
}

TEST_F(CKelDoubleListTest, CopyIsDeepAndIndependent) {
  auto original = std::make_unique<CKelDoubleList>();
  for (int i = 1; i <= 3; ++i) original->KDLAddToListEnd(new CountingListable(i));
  int alive = CountingListable::Alive();
  CKelDoubleList copy(*original);
  EXPECT_EQ(CountingListable::Alive(), alive + 3);
  EXPECT_EQ(Tags(copy), (std::vector<int>{1, 2, 3}));
  for (CKelListable* e = copy.KDLHead(); e != nullptr; e = copy.KDLGetNext(e)) {
    EXPECT_FALSE(original->KDLContains(e));
  }
  CKelListable* removed = copy.KDLHead();
  copy.KDLRemove(removed);
  delete removed;
  EXPECT_EQ(original->KDLLength(), 3);
  original.reset();
  EXPECT_EQ(Tags(copy), (std::vector<int>{2, 3}));
}

TEST_F(CKelDoubleListTest, CopyOfRecordsIsDeep) {
  CKelDoubleList original;
  auto* record = new CKelRecord();
  record->KRAddOrSetValue("m_Name", "router1");
  original.KDLAddToListEnd(record);
  static int data = 0;
  original.KDLAddToListEnd(new CKelPointer(&data));

  CKelDoubleList copy(original);
  ASSERT_EQ(copy.KDLLength(), 2);
  auto* copied = static_cast<CKelRecord*>(copy.KDLHead());
  ASSERT_NE(copied, record);
  copied->KRAddOrSetValue("m_Name", "changed");
  EXPECT_STREQ(record->KRValueOf("m_Name")->KAString(), "router1");
  // A copied pointer wrapper wraps the same data.
  auto* wrapper = static_cast<CKelPointer*>(copy.KDLGetNext(copied));
  ASSERT_NE(wrapper, nullptr);
  EXPECT_EQ(wrapper->KPData(), &data);
  EXPECT_NE(wrapper, original.KDLTail());
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
