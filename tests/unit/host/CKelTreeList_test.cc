#include "host/CKelTreeList.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "host/CKelAtom.h"
#include "host/CKelPointer.h"
#include "host/KelTypes.h"

namespace {

// Walks the iteration list and returns each wrapper's data as int.
std::vector<long> IterValues(const CKelTreeList& tree) {
  std::vector<long> out;
  const CKelDoubleList* list = tree.KTLIterator();
  if (list == nullptr) return out;
  for (CKelListable* e = list->KDLHead(); e != nullptr; e = list->KDLGetNext(e)) {
    out.push_back(reinterpret_cast<long>(static_cast<CKelPointer*>(e)->KPData()));
  }
  return out;
}

void* Tag(long v) { return reinterpret_cast<void*>(v); }

std::vector<long> ListValues(CKelDoubleList* list) {
  std::vector<long> out;
  for (CKelListable* e = list->KDLHead(); e != nullptr; e = list->KDLGetNext(e)) {
    out.push_back(reinterpret_cast<long>(static_cast<CKelPointer*>(e)->KPData()));
  }
  return out;
}

// Takes what KTLGetMultiple returned, in the way every caller must: detach
// the borrowed wrappers, then delete the list.
std::vector<long> TakeMultiple(CKelDoubleList* list) {
  if (list == nullptr) return {};
  std::vector<long> out = ListValues(list);
  EXPECT_EQ(list->KDLSetHead(nullptr), 1);
  delete list;
  return out;
}

TEST(CKelTreeListTest, EmptyTree) {
  CKelTreeList tree(E_KBTrue);
  EXPECT_EQ(tree.KTLCount(), 0);
  EXPECT_EQ(tree.KTLIterator(), nullptr);
  EXPECT_EQ(tree.KTLGet("x"), nullptr);
  EXPECT_EQ(tree.KTLGet(1), nullptr);
  EXPECT_EQ(tree.KTLGetMultiple("x"), nullptr);
  EXPECT_EQ(tree.KTLGetMultiple(1), nullptr);
  EXPECT_EQ(tree.KTLGet(static_cast<const char*>(nullptr)), nullptr);
  EXPECT_EQ(tree.KTLGet(static_cast<const CKelAtom*>(nullptr)), nullptr);
  EXPECT_EQ(tree.KTLGetMultiple(static_cast<const CKelAtom*>(nullptr)), nullptr);
}

TEST(CKelTreeListTest, IntegerAtomAndPlainIntegerAreOneKey) {
  CKelTreeList tree(E_KBTrue);
  CKelAtom three(3);
  CKelPointer a(Tag(1)), b(Tag(2)), c(Tag(3)), d(Tag(4));
  ASSERT_EQ(tree.KTLAdd(&three, &a), 1);
  ASSERT_EQ(tree.KTLAdd(3, &b), 1);
  ASSERT_EQ(tree.KTLAdd(3LL, &c), 1);
  CKelAtom big(1LL << 40);
  ASSERT_EQ(tree.KTLAdd(&big, &d), 1);

  struct Row {
    const char* how;
    CKelDoubleList* got;
    std::vector<long> want;
  } rows[] = {
      {"atom", tree.KTLGetMultiple(&three), {1, 2, 3}},
      {"int", tree.KTLGetMultiple(3), {1, 2, 3}},
      {"long long", tree.KTLGetMultiple(3LL), {1, 2, 3}},
      {"64-bit atom", tree.KTLGetMultiple(1LL << 40), {4}},
      {"truncated int is another key", tree.KTLGetMultiple(0), {}},
      {"text of the number is another key", tree.KTLGetMultiple("3"), {}},
  };
  for (Row& row : rows) {
    SCOPED_TRACE(row.how);
    EXPECT_EQ(TakeMultiple(row.got), row.want);
  }
  EXPECT_EQ(tree.KTLGet(3), &a);
  EXPECT_EQ(tree.KTLGet(&three), &a);
  EXPECT_EQ(tree.KTLGetWrapper(3), &a);
  EXPECT_EQ(tree.KTLGetWrapper(&three), &a);
  EXPECT_EQ(tree.KTLGetWrapper(3LL), &a);
  EXPECT_EQ(tree.KTLCount(), 4);
}

TEST(CKelTreeListTest, TextAtomAndTextAreOneKeyAndKeysAreCopied) {
  CKelTreeList tree(E_KBTrue);
  char key[] = "fe80::1";
  CKelPointer a(Tag(10)), b(Tag(11));
  ASSERT_EQ(tree.KTLAdd(key, &a), 1);
  key[0] = 'X';  // the tree holds its own copy
  CKelAtom atomKey("fe80::1");
  ASSERT_EQ(tree.KTLAdd(&atomKey, &b), 1);
  EXPECT_EQ(tree.KTLGet("fe80::1"), &a);
  EXPECT_EQ(tree.KTLGetWrapper("fe80::1"), &a);
  EXPECT_EQ(tree.KTLGet(&atomKey), &a);
  EXPECT_EQ(tree.KTLGet("Xe80::1"), nullptr);
  EXPECT_EQ(TakeMultiple(tree.KTLGetMultiple(&atomKey)), (std::vector<long>{10, 11}));
  EXPECT_EQ(TakeMultiple(tree.KTLGetMultiple("fe80::1")), (std::vector<long>{10, 11}));
}

TEST(CKelTreeListTest, IteratorGivesKeyOrderIntegersFirst) {
  CKelTreeList tree(E_KBTrue);
  std::vector<std::unique_ptr<CKelPointer>> wrappers;
  struct Row {
    bool isInt;
    long long num;
    const char* text;
    long tag;
  } rows[] = {
      {false, 0, "b", 50}, {true, 10, nullptr, 30}, {false, 0, "a", 40}, {true, -2, nullptr, 10},
      {true, 3, nullptr, 20}, {false, 0, "b", 51}, {true, 10, nullptr, 31}, {false, 0, "B", 35},
      {false, 0, "", 34},
  };
  for (const Row& row : rows) {
    wrappers.push_back(std::make_unique<CKelPointer>(Tag(row.tag)));
    int status = row.isInt ? tree.KTLAdd(row.num, wrappers.back().get()) : tree.KTLAdd(row.text, wrappers.back().get());
    ASSERT_EQ(status, 1) << row.tag;
  }
  // Integers by value, then texts by strcmp ("" < "B" < "a" < "b"); one
  // key's entries in the order added.
  EXPECT_EQ(IterValues(tree), (std::vector<long>{10, 20, 30, 31, 34, 35, 40, 50, 51}));
  // The list is the tree's and stays the same object while nothing changes.
  EXPECT_EQ(tree.KTLIterator(), tree.KTLIterator());

  // Changes are seen by the next call.
  CKelPointer late(Tag(25));
  ASSERT_EQ(tree.KTLAdd(5, &late), 1);
  EXPECT_EQ(IterValues(tree), (std::vector<long>{10, 20, 25, 30, 31, 34, 35, 40, 50, 51}));
}

TEST(CKelTreeListTest, SingleEntryTreeRefusesSecondEntry) {
  CKelTreeList tree(E_KBFalse);
  CKelPointer first(Tag(1)), second(Tag(2));
  ASSERT_EQ(tree.KTLAdd("k", &first), 1);
  EXPECT_EQ(tree.KTLAdd("k", &second), KEL_ERR_DUPLICATE);
  CKelAtom k("k");
  EXPECT_EQ(tree.KTLAdd(&k, &second), KEL_ERR_DUPLICATE);
  EXPECT_EQ(tree.KTLGet("k"), &first);
  // The refused wrapper is still the caller's to use elsewhere.
  EXPECT_EQ(tree.KTLAdd("other", &second), 1);

  CKelPointer intFirst(Tag(3)), intSecond(Tag(4));
  CKelAtom seven(7);
  ASSERT_EQ(tree.KTLAdd(&seven, &intFirst), 1);
  EXPECT_EQ(tree.KTLAdd(7, &intSecond), KEL_ERR_DUPLICATE);
  EXPECT_EQ(TakeMultiple(tree.KTLGetMultiple(7)), (std::vector<long>{3}));
  // The data variant wraps on its own and deletes its refused wrapper.
  int data = 0;
  EXPECT_EQ(tree.KTLAdd(7, static_cast<void*>(&data)), KEL_ERR_DUPLICATE);
  EXPECT_EQ(tree.KTLAdd("k", static_cast<void*>(&data)), KEL_ERR_DUPLICATE);
  EXPECT_EQ(tree.KTLCount(), 3);
}

TEST(CKelTreeListTest, BadArgumentsAreRefused) {
  CKelTreeList tree(E_KBTrue);
  CKelPointer w(Tag(1));
  int data = 0;
  CKelAtom listKey(nullptr, E_KDTList);
  CKelAtom textKey("t");
  struct Row {
    const char* what;
    int status;
    int want;
  } rows[] = {
      {"null text key", tree.KTLAdd(static_cast<const char*>(nullptr), &w), KEL_ERR_NULL_ARG},
      {"null atom key", tree.KTLAdd(static_cast<const CKelAtom*>(nullptr), &w), KEL_ERR_NULL_ARG},
      {"null wrapper", tree.KTLAdd("t", static_cast<CKelPointer*>(nullptr)), KEL_ERR_NULL_ARG},
      {"null wrapper, int key", tree.KTLAdd(1, static_cast<CKelPointer*>(nullptr)), KEL_ERR_NULL_ARG},
      {"null wrapper, atom key", tree.KTLAdd(&textKey, static_cast<CKelPointer*>(nullptr)), KEL_ERR_NULL_ARG},
      {"list atom key", tree.KTLAdd(&listKey, &w), KEL_ERR_WRONG_TYPE},
      {"list atom key, data", tree.KTLAdd(&listKey, static_cast<void*>(&data)), KEL_ERR_WRONG_TYPE},
      {"null text key, data", tree.KTLAdd(static_cast<const char*>(nullptr), static_cast<void*>(&data)),
       KEL_ERR_NULL_ARG},
  };
  for (const Row& row : rows) EXPECT_EQ(row.status, row.want) << row.what;
  EXPECT_EQ(tree.KTLCount(), 0);
  EXPECT_EQ(tree.KTLGet(&listKey), nullptr);

  // One wrapper cannot be held twice, even under another key.
  ASSERT_EQ(tree.KTLAdd("a", &w), 1);
  EXPECT_EQ(tree.KTLAdd("b", &w), KEL_ERR_DUPLICATE);
  EXPECT_EQ(tree.KTLAdd("a", &w), KEL_ERR_DUPLICATE);
  EXPECT_EQ(tree.KTLCount(), 1);
}

TEST(CKelTreeListTest, DataVariantWrapsAndDeleteWrappersFreesThem) {
  int values[4] = {0, 1, 2, 3};
  auto tree = std::make_unique<CKelTreeList>(E_KBTrue);
  ASSERT_EQ(tree->KTLAdd("x", static_cast<void*>(&values[0])), 1);
  ASSERT_EQ(tree->KTLAdd(2, static_cast<void*>(&values[1])), 1);
  CKelAtom two(2);
  ASSERT_EQ(tree->KTLAdd(&two, static_cast<void*>(&values[2])), 1);
  ASSERT_EQ(tree->KTLAdd(1, static_cast<void*>(nullptr)), 1);  // null data may be wrapped
  ASSERT_NE(tree->KTLGet("x"), nullptr);
  EXPECT_EQ(tree->KTLGet("x")->KPData(), &values[0]);
  EXPECT_EQ(tree->KTLGet(1)->KPData(), nullptr);
  ASSERT_NE(tree->KTLIterator(), nullptr);
  EXPECT_EQ(tree->KTLIterator()->KDLLength(), 4);

  tree->KTLDeleteWrappers();  // LeakSanitizer checks every wrapper went
  EXPECT_EQ(tree->KTLCount(), 0);
  EXPECT_EQ(tree->KTLIterator(), nullptr);
  EXPECT_EQ(tree->KTLGet("x"), nullptr);
  EXPECT_EQ(values[2], 2);  // data untouched

  // The tree is usable afterwards.
  ASSERT_EQ(tree->KTLAdd("y", static_cast<void*>(&values[3])), 1);
  EXPECT_EQ(IterValues(*tree).size(), 1u);
  tree->KTLDeleteWrappers();
}

TEST(CKelTreeListTest, DeleteWrappersLeavesHeapDataToTheCaller) {
  // The usual clean-up: delete each wrapped value, then the wrappers, then
  // the tree.
  auto* tree = new CKelTreeList(E_KBTrue);
  for (int i = 0; i < 5; ++i) {
    auto* atom = new CKelAtom(i);
    ASSERT_EQ(tree->KTLAdd(i % 2, new CKelPointer(atom)), 1);
  }
  ASSERT_EQ(tree->KTLIterator()->KDLLength(), 5);
  for (CKelListable* e = tree->KTLIterator()->KDLHead(); e != nullptr; e = tree->KTLIterator()->KDLGetNext(e)) {
    delete static_cast<CKelAtom*>(static_cast<CKelPointer*>(e)->KPData());
  }
  tree->KTLDeleteWrappers();
  delete tree;
}

TEST(CKelTreeListTest, CallerMayDeleteWrappersThenTheTree) {
  // Callers that own the wrappers delete them while walking the iteration
  // list and then delete the tree, which must not touch them again.
  auto* tree = new CKelTreeList(E_KBFalse);
  const char* texts[] = {"fe80::2", "2001:db8::1", "fe80::1"};
  for (const char* text : texts) {
    ASSERT_EQ(tree->KTLAdd(text, new CKelPointer(new CKelAtom(text))), 1);
  }
  int walked = 0;
  CKelDoubleList* iter = tree->KTLIterator();
  ASSERT_NE(iter, nullptr);
  for (CKelListable* e = iter->KDLHead(); e != nullptr;) {
    auto* atom = static_cast<CKelAtom*>(static_cast<CKelPointer*>(e)->KPData());
    CKelPointer* held = tree->KTLGetWrapper(atom->KAString());
    EXPECT_EQ(held, e);
    CKelListable* next = iter->KDLGetNext(e);
    delete held;
    delete atom;
    e = next;
    ++walked;
  }
  EXPECT_EQ(walked, 3);
  delete tree;

  // Deleting a tree that still holds wrappers leaves them to the caller.
  CKelPointer kept(Tag(1));
  {
    CKelTreeList scoped(E_KBTrue);
    ASSERT_EQ(scoped.KTLAdd("k", &kept), 1);
    ASSERT_NE(scoped.KTLIterator(), nullptr);
  }
  EXPECT_EQ(kept.KPData(), Tag(1));
}

TEST(CKelTreeListTest, GetMultipleListIsTheCallersAndBorrowsWrappers) {
  CKelTreeList tree(E_KBTrue);
  CKelPointer a(Tag(1)), b(Tag(2));
  tree.KTLAdd(9, &a);
  tree.KTLAdd(9, &b);
  CKelDoubleList* first = tree.KTLGetMultiple(9);
  CKelDoubleList* second = tree.KTLGetMultiple(9);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first, second);  // a new list each time
  EXPECT_EQ(first->KDLHead(), &a);
  EXPECT_EQ(first->KDLGetNext(&a), &b);
  EXPECT_EQ(TakeMultiple(first), (std::vector<long>{1, 2}));
  EXPECT_EQ(TakeMultiple(second), (std::vector<long>{1, 2}));
  // The wrappers are still the tree's and still alive.
  EXPECT_EQ(tree.KTLGet(9), &a);
  EXPECT_EQ(IterValues(tree), (std::vector<long>{1, 2}));
}

TEST(CKelTreeListTest, ConcurrentReadersAgree) {
  // One shared tree, as the agent's prefix and host lists are shared by the
  // worker threads. Each round changes the tree and then lets 8 readers
  // loose at once, so that the rebuild of the iteration list happens on
  // the readers.
  const int kKeys = 400, kThreads = 8;
  CKelTreeList tree(E_KBTrue);
  std::vector<std::unique_ptr<CKelPointer>> wrappers;
  auto add = [&](int key, long tag, bool asText) {
    wrappers.push_back(std::make_unique<CKelPointer>(Tag(tag)));
    int status = asText ? tree.KTLAdd(std::to_string(1000 + key).c_str(), wrappers.back().get())
                        : tree.KTLAdd(key, wrappers.back().get());
    ASSERT_EQ(status, 1);
  };
  for (int key = 0; key < kKeys; ++key) {
    for (int dup = 0; dup < 3; ++dup) {
      add(key, key * 10 + dup, true);
      add(key, 100000 + key * 10 + dup, false);
    }
  }
  std::vector<long> ints, texts;
  for (int key = 0; key < kKeys; ++key)
    for (int dup = 0; dup < 3; ++dup) {
      ints.push_back(100000 + key * 10 + dup);
      texts.push_back(key * 10 + dup);
    }

  for (int round = 0; round < 10; ++round) {
    // A late entry for key 0 (integer): last of its key.
    long late = 900000 + round;
    add(0, late, false);
    ints.insert(ints.begin() + 3 + round, late);
    std::vector<long> expected = ints;
    expected.insert(expected.end(), texts.begin(), texts.end());

    std::atomic<int> ready{0};
    std::atomic<bool> go{false};
    std::vector<int> failures(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
      threads.emplace_back([&, t] {
        ++ready;
        while (!go) std::this_thread::yield();
        if (IterValues(tree) != expected) ++failures[t];
        int key = (t * 7 + round) % kKeys;
        CKelAtom atomKey(key);
        CKelPointer* first = tree.KTLGet(&atomKey);
        if (first == nullptr || first->KPData() != Tag(100000 + key * 10)) ++failures[t];
        std::string text = std::to_string(1000 + key);
        if (TakeMultiple(tree.KTLGetMultiple(text.c_str())) !=
            std::vector<long>{key * 10, key * 10 + 1, key * 10 + 2})
          ++failures[t];
        if (tree.KTLGet("missing") != nullptr) ++failures[t];
        if (IterValues(tree) != expected) ++failures[t];
      });
    }
    while (ready < kThreads) std::this_thread::yield();
    go = true;
    for (auto& th : threads) th.join();
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(failures[t], 0) << "round " << round << " thread " << t;
  }
}

}  // namespace
