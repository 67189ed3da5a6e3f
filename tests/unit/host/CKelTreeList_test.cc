#include "host/CKelTreeList.h"

#include <gtest/gtest.h>

#include <memory>
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

// Takes what KTLGetMultiple returned as every caller must: detach the
// borrowed wrappers, then delete the list.
std::vector<long> TakeMultiple(CKelDoubleList* list) {
  std::vector<long> out = Values(list);
  if (list != nullptr) {
    EXPECT_EQ(list->KDLSetHead(nullptr), 1);
    delete list;
  }
  return out;
}

TEST(CKelTreeListTest, KeysAddLookUpAndIterateByTheirRules) {
  std::vector<std::unique_ptr<CKelPointer>> w;  // w[i] wraps tag i; outlives the trees
  for (long i = 0; i < 10; ++i) w.push_back(std::make_unique<CKelPointer>(Tag(i)));
  CKelAtom three(3), big(1LL << 40), text("fe80::1"), list(nullptr, E_KDTList), k("k");
  for (bool multi : {true, false}) {
    SCOPED_TRACE(multi ? "multi-entry tree" : "single-entry tree");
    CKelTreeList tree(multi ? E_KBTrue : E_KBFalse);
    EXPECT_EQ(tree.KTLIterator(), nullptr);
    const int second = multi ? 1 : KEL_ERR_DUPLICATE;  // a second entry under a key
    int data = 0;
    struct Row {
      const char* what;
      int status, want;
    } adds[] = {
        {"int atom", tree.KTLAdd(&three, w[1].get()), 1},
        {"plain int of the same key", tree.KTLAdd(3, w[2].get()), second},
        {"64-bit atom", tree.KTLAdd(&big, w[3].get()), 1},
        {"text", tree.KTLAdd("fe80::1", w[4].get()), 1},
        {"text atom of the same key", tree.KTLAdd(&text, w[5].get()), second},
        {"negative", tree.KTLAdd(-2LL, w[6].get()), 1},
        {"capital text", tree.KTLAdd("B", w[7].get()), 1},
        {"empty text", tree.KTLAdd("", w[8].get()), 1},
        {"wrapper held already", tree.KTLAdd("other", w[1].get()), KEL_ERR_DUPLICATE},
        {"null text key", tree.KTLAdd(static_cast<const char*>(nullptr), w[9].get()), KEL_ERR_NULL_ARG},
        {"null atom key", tree.KTLAdd(static_cast<const CKelAtom*>(nullptr), w[9].get()), KEL_ERR_NULL_ARG},
        {"null wrapper", tree.KTLAdd(&k, static_cast<CKelPointer*>(nullptr)), KEL_ERR_NULL_ARG},
        {"null wrapper, int key", tree.KTLAdd(1, static_cast<CKelPointer*>(nullptr)), KEL_ERR_NULL_ARG},
        {"list atom key", tree.KTLAdd(&list, w[9].get()), KEL_ERR_WRONG_TYPE},
        {"list atom key, data", tree.KTLAdd(&list, static_cast<void*>(&data)), KEL_ERR_WRONG_TYPE},
        {"null text key, data", tree.KTLAdd(static_cast<const char*>(nullptr), static_cast<void*>(&data)),
         KEL_ERR_NULL_ARG},
    };
    for (const Row& row : adds) EXPECT_EQ(row.status, row.want) << row.what;
    const std::vector<long> threes = multi ? std::vector<long>{1, 2} : std::vector<long>{1};
    const std::vector<long> texts = multi ? std::vector<long>{4, 5} : std::vector<long>{4};
    struct Lookup {
      const char* what;
      std::vector<long> got, want;
    } lookups[] = {
        {"int atom", TakeMultiple(tree.KTLGetMultiple(&three)), threes},
        {"int", TakeMultiple(tree.KTLGetMultiple(3)), threes},
        {"64-bit", TakeMultiple(tree.KTLGetMultiple(1LL << 40)), {3}},
        {"text atom", TakeMultiple(tree.KTLGetMultiple(&text)), texts},
        {"text", TakeMultiple(tree.KTLGetMultiple("fe80::1")), texts},
        {"truncated int is another key", TakeMultiple(tree.KTLGetMultiple(0)), {}},
        {"text of a number is another key", TakeMultiple(tree.KTLGetMultiple("3")), {}},
        {"text after every key", TakeMultiple(tree.KTLGetMultiple("z")), {}},
        {"null text", TakeMultiple(tree.KTLGetMultiple(static_cast<const char*>(nullptr))), {}},
        {"list atom", TakeMultiple(tree.KTLGetMultiple(&list)), {}},
    };
    for (const Lookup& row : lookups) EXPECT_EQ(row.got, row.want) << row.what;
    EXPECT_EQ(tree.KTLGet(3), w[1].get());
    EXPECT_EQ(tree.KTLGetWrapper(&text), w[4].get());
    EXPECT_EQ(tree.KTLGet(1LL << 40), w[3].get());
    EXPECT_EQ(tree.KTLGet("fe80::2"), nullptr);
    EXPECT_EQ(tree.KTLGet(4), nullptr);
    EXPECT_EQ(tree.KTLGet(&list), nullptr);
    // Integers by value, then texts by strcmp; one key's entries in the
    // order added. The list is the tree's, stable until the next change.
    std::vector<long> order = multi ? std::vector<long>{6, 1, 2, 3, 8, 7, 4, 5} : std::vector<long>{6, 1, 3, 8, 7, 4};
    EXPECT_EQ(Values(tree.KTLIterator()), order);
    EXPECT_EQ(tree.KTLCount(), static_cast<int>(order.size()));
    EXPECT_EQ(tree.KTLIterator(), tree.KTLIterator());
    ASSERT_EQ(tree.KTLAdd(5, w[9].get()), 1);
    order.insert(order.begin() + (multi ? 3 : 2), 9);
    EXPECT_EQ(Values(tree.KTLIterator()), order);
  }  // deleting the tree leaves the wrappers to the caller
}

TEST(CKelTreeListTest, DataVariantWrapsAndDeleteWrappersFreesThem) {
  int values[2] = {0, 1};
  CKelTreeList tree(E_KBFalse);
  ASSERT_EQ(tree.KTLAdd(7, static_cast<void*>(&values[0])), 1);
  EXPECT_EQ(tree.KTLAdd(7, static_cast<void*>(&values[1])), KEL_ERR_DUPLICATE);  // its wrapper deleted
  ASSERT_EQ(tree.KTLAdd("n", static_cast<void*>(nullptr)), 1);  // null data may be wrapped
  EXPECT_EQ(tree.KTLGet(7)->KPData(), &values[0]);
  tree.KTLDeleteWrappers();  // LeakSanitizer checks every wrapper went
  EXPECT_EQ(tree.KTLCount(), 0);
  EXPECT_EQ(tree.KTLIterator(), nullptr);
  ASSERT_EQ(tree.KTLAdd(7, static_cast<void*>(&values[1])), 1);  // usable afterwards
  EXPECT_EQ(tree.KTLIterator()->KDLLength(), 1);
  tree.KTLDeleteWrappers();
}

TEST(CKelTreeListTest, GetMultipleListIsTheCallersAndBorrowsWrappers) {
  CKelTreeList tree(E_KBTrue);
  CKelPointer a(Tag(1)), b(Tag(2));
  tree.KTLAdd(9, &a);
  tree.KTLAdd(9, &b);
  CKelDoubleList* first = tree.KTLGetMultiple(9);
  CKelDoubleList* second = tree.KTLGetMultiple(9);
  EXPECT_NE(first, second);  // a new list each time
  EXPECT_EQ(TakeMultiple(first), (std::vector<long>{1, 2}));
  EXPECT_EQ(TakeMultiple(second), (std::vector<long>{1, 2}));
  EXPECT_EQ(Values(tree.KTLIterator()), (std::vector<long>{1, 2}));  // still the tree's and alive
}

}  // namespace
