#include "host/CKelTreeList.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "host/CKelAtom.h"
#include "host/CKelPointer.h"
#include "host/KelTypes.h"

namespace {

void* Tag(long v) { return reinterpret_cast<void*>(v); }

std::vector<long> Values(const CKelDoubleList* list) {
  std::vector<long> out;
  for (CKelListable* e = list != nullptr ? list->KDLHead() : nullptr; e != nullptr; e = list->KDLGetNext(e)) {
    out.push_back(reinterpret_cast<long>(static_cast<CKelPointer*>(e)->KPData()));
  }
  return out;
}

std::vector<long> IterValues(const CKelTreeList& tree) { return Values(tree.KTLIterator()); }

// Takes what KTLGetMultiple returned as every caller must: detach the
// borrowed wrappers, then delete the list.
std::vector<long> TakeMultiple(CKelDoubleList* list) {
  if (list == nullptr) return {};
  std::vector<long> out = Values(list);
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
  EXPECT_EQ(tree.KTLGetMultiple(static_cast<const CKelAtom*>(nullptr)), nullptr);
}

TEST(CKelTreeListTest, IntegerAtomAndPlainIntegerAreOneKey) {
  CKelTreeList tree(E_KBTrue);
  CKelAtom three(3), big(1LL << 40);
  CKelPointer a(Tag(1)), b(Tag(2)), c(Tag(3)), d(Tag(4));
  ASSERT_EQ(tree.KTLAdd(&three, &a), 1);
  ASSERT_EQ(tree.KTLAdd(3, &b), 1);
  ASSERT_EQ(tree.KTLAdd(3LL, &c), 1);
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
  for (Row& row : rows) EXPECT_EQ(TakeMultiple(row.got), row.want) << row.how;
  EXPECT_EQ(tree.KTLGet(3), &a);
  EXPECT_EQ(tree.KTLGet(&three), &a);
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
  EXPECT_EQ(tree.KTLGet(&atomKey), &a);
  EXPECT_EQ(tree.KTLGetWrapper("fe80::1"), &a);
  EXPECT_EQ(tree.KTLGet("Xe80::1"), nullptr);
  EXPECT_EQ(TakeMultiple(tree.KTLGetMultiple(&atomKey)), (std::vector<long>{10, 11}));
  EXPECT_EQ(TakeMultiple(tree.KTLGetMultiple("fe80::1")), (std::vector<long>{10, 11}));
}

TEST(CKelTreeListTest, IteratorGivesKeyOrderIntegersFirst) {
  CKelTreeList tree(E_KBTrue);
  std::vector<std::unique_ptr<CKelPointer>> wrappers;
  auto add = [&](long tag, long long num, const char* text) {
    wrappers.push_back(std::make_unique<CKelPointer>(Tag(tag)));
    return text != nullptr ? tree.KTLAdd(text, wrappers.back().get()) : tree.KTLAdd(num, wrappers.back().get());
  };
  const struct { long tag; long long num; const char* text; } rows[] = {
      {50, 0, "b"}, {30, 10, nullptr}, {40, 0, "a"}, {10, -2, nullptr}, {20, 3, nullptr},
      {51, 0, "b"}, {31, 10, nullptr}, {35, 0, "B"}, {34, 0, ""},
  };
  for (const auto& row : rows) ASSERT_EQ(add(row.tag, row.num, row.text), 1) << row.tag;
  // Integers by value, then texts by strcmp; one key's entries in the
  // order added.
  EXPECT_EQ(IterValues(tree), (std::vector<long>{10, 20, 30, 31, 34, 35, 40, 50, 51}));
  EXPECT_EQ(tree.KTLIterator(), tree.KTLIterator());  // the tree's, stable while unchanged
  ASSERT_EQ(add(25, 5, nullptr), 1);  // changes are seen by the next call
  EXPECT_EQ(IterValues(tree), (std::vector<long>{10, 20, 25, 30, 31, 34, 35, 40, 50, 51}));
}

TEST(CKelTreeListTest, SingleEntryTreeRefusesSecondEntry) {
  CKelTreeList tree(E_KBFalse);
  CKelPointer first(Tag(1)), second(Tag(2)), intFirst(Tag(3)), intSecond(Tag(4));
  CKelAtom k("k"), seven(7);
  ASSERT_EQ(tree.KTLAdd("k", &first), 1);
  EXPECT_EQ(tree.KTLAdd("k", &second), KEL_ERR_DUPLICATE);
  EXPECT_EQ(tree.KTLAdd(&k, &second), KEL_ERR_DUPLICATE);
  EXPECT_EQ(tree.KTLGet("k"), &first);
  EXPECT_EQ(tree.KTLAdd("other", &second), 1);  // the refused wrapper is still the caller's
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
  CKelAtom listKey(nullptr, E_KDTList), textKey("t");
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
  ASSERT_EQ(tree.KTLAdd("a", &w), 1);  // one wrapper is held once, under any key
  EXPECT_EQ(tree.KTLAdd("b", &w), KEL_ERR_DUPLICATE);
  EXPECT_EQ(tree.KTLAdd("a", &w), KEL_ERR_DUPLICATE);
  EXPECT_EQ(tree.KTLCount(), 1);
}

TEST(CKelTreeListTest, DataVariantWrapsAndDeleteWrappersFreesThem) {
  int values[4] = {0, 1, 2, 3};
  CKelTreeList tree(E_KBTrue);
  CKelAtom two(2);
  ASSERT_EQ(tree.KTLAdd("x", static_cast<void*>(&values[0])), 1);
  ASSERT_EQ(tree.KTLAdd(2, static_cast<void*>(&values[1])), 1);
  ASSERT_EQ(tree.KTLAdd(&two, static_cast<void*>(&values[2])), 1);
  ASSERT_EQ(tree.KTLAdd(1, static_cast<void*>(nullptr)), 1);  // null data may be wrapped
  EXPECT_EQ(tree.KTLGet("x")->KPData(), &values[0]);
  EXPECT_EQ(tree.KTLGet(1)->KPData(), nullptr);
  EXPECT_EQ(IterValues(tree).size(), 4u);
  tree.KTLDeleteWrappers();  // LeakSanitizer checks every wrapper went
  EXPECT_EQ(tree.KTLCount(), 0);
  EXPECT_EQ(tree.KTLIterator(), nullptr);
  EXPECT_EQ(tree.KTLGet("x"), nullptr);
  ASSERT_EQ(tree.KTLAdd("y", static_cast<void*>(&values[3])), 1);  // usable afterwards
  EXPECT_EQ(IterValues(tree).size(), 1u);
  tree.KTLDeleteWrappers();
}

TEST(CKelTreeListTest, CallerCleanUpPatternsLeakNothing) {
  // Delete each wrapped value, then KTLDeleteWrappers, then the tree.
  auto* tree = new CKelTreeList(E_KBTrue);
  for (int i = 0; i < 5; ++i) ASSERT_EQ(tree->KTLAdd(i % 2, new CKelPointer(new CKelAtom(i))), 1);
  for (CKelListable* e = tree->KTLIterator()->KDLHead(); e != nullptr; e = tree->KTLIterator()->KDLGetNext(e)) {
    delete static_cast<CKelAtom*>(static_cast<CKelPointer*>(e)->KPData());
  }
  tree->KTLDeleteWrappers();
  delete tree;

  // Delete the wrappers while walking the iteration list, then the tree,
  // which must not touch them again.
  tree = new CKelTreeList(E_KBFalse);
  for (const char* text : {"fe80::2", "2001:db8::1", "fe80::1"}) {
    ASSERT_EQ(tree->KTLAdd(text, new CKelPointer(new CKelAtom(text))), 1);
  }
  int walked = 0;
  CKelDoubleList* iter = tree->KTLIterator();
  for (CKelListable* e = iter->KDLHead(); e != nullptr; ++walked) {
    auto* atom = static_cast<CKelAtom*>(static_cast<CKelPointer*>(e)->KPData());
    CKelPointer* held = tree->KTLGetWrapper(atom->KAString());
    EXPECT_EQ(held, e);
    e = iter->KDLGetNext(e);
    delete held;
    delete atom;
  }
  EXPECT_EQ(walked, 3);
  delete tree;

  // A tree deleted while holding wrappers leaves them to the caller.
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
  EXPECT_NE(first, second);  // a new list each time
  EXPECT_EQ(first->KDLHead(), &a);
  EXPECT_EQ(TakeMultiple(first), (std::vector<long>{1, 2}));
  EXPECT_EQ(TakeMultiple(second), (std::vector<long>{1, 2}));
  EXPECT_EQ(tree.KTLGet(9), &a);  // still the tree's and alive
  EXPECT_EQ(IterValues(tree), (std::vector<long>{1, 2}));
}

TEST(CKelTreeListTest, ConcurrentReadersAgree) {
  // Each round changes the shared tree, then lets 8 readers loose at once,
  // so the iteration list is rebuilt on the readers.
  const int kKeys = 400, kThreads = 8;
  CKelTreeList tree(E_KBTrue);
  std::vector<std::unique_ptr<CKelPointer>> wrappers;
  auto add = [&](int key, long tag, bool asText) {
    wrappers.push_back(std::make_unique<CKelPointer>(Tag(tag)));
    int status = asText ? tree.KTLAdd(std::to_string(1000 + key).c_str(), wrappers.back().get())
                        : tree.KTLAdd(key, wrappers.back().get());
    ASSERT_EQ(status, 1);
  };
  std::vector<long> ints, texts;
  for (int key = 0; key < kKeys; ++key) {
    for (int dup = 0; dup < 3; ++dup) {
      add(key, key * 10 + dup, true);
      add(key, 100000 + key * 10 + dup, false);
      ints.push_back(100000 + key * 10 + dup);
      texts.push_back(key * 10 + dup);
    }
  }
  for (int round = 0; round < 10; ++round) {
    long late = 900000 + round;  // last entry of integer key 0
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
        if (TakeMultiple(tree.KTLGetMultiple(std::to_string(1000 + key).c_str())) !=
            std::vector<long>{key * 10, key * 10 + 1, key * 10 + 2})
          ++failures[t];
        if (tree.KTLGet("missing") != nullptr || IterValues(tree) != expected) ++failures[t];
      });
    }
    while (ready < kThreads) std::this_thread::yield();
    go = true;
    for (auto& th : threads) th.join();
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(failures[t], 0) << "round " << round << " thread " << t;
  }
}

}  // namespace
