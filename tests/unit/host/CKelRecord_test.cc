#include "host/CKelRecord.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "host/KelTrace.h"
#include "host/KelTypes.h"

namespace {

std::vector<std::string> FieldNames(const CKelRecord& r) {
  std::vector<std::string> names;
  const CKelDoubleList& fields = r.KRFields();
  for (CKelListable* e = fields.KDLHead(); e != nullptr; e = fields.KDLGetNext(e)) {
    names.push_back(static_cast<CKelVarBind*>(e)->KVBNameText());
  }
  return names;
}

TEST(CKelRecordTest, ValueFormsTakeOrCopyAndKeepFieldOrder) {
  CKelRecord r;
  EXPECT_EQ(r.KRValueOf("m_Name"), nullptr);
  EXPECT_EQ(r.KRValueOf(nullptr), nullptr);
  EXPECT_EQ(r.KRToString(), "{ }");
  char copied[] = "router1";
  ASSERT_EQ(r.KRAddOrSetValue("m_Name", static_cast<const char*>(copied)), 1);
  copied[0] = 'X';
  EXPECT_STREQ(r.KRValueOf("m_Name")->KAString(), "router1");
  char* heap = strdup("2001:db8::1");
  ASSERT_EQ(r.KRAddOrSetValue("m_UniqueAddress", heap), 1);
  EXPECT_EQ(r.KRValueOf("m_UniqueAddress")->KAString(), heap);  // kept, not copied
  auto* taken = new CKelAtom("fe80::1");
  ASSERT_EQ(r.KRAddOrSetValue("m_SnmpAccessIP", taken), 1);
  EXPECT_EQ(r.KRValueOf("m_SnmpAccessIP"), taken);
  CKelAtom kept("desc");
  ASSERT_EQ(r.KRAddOrSetValue("m_Description", static_cast<const CKelAtom*>(&kept)), 1);
  EXPECT_NE(r.KRValueOf("m_Description"), &kept);
  ASSERT_EQ(r.KRAddOrSetValue("m_Counter", 1LL << 40), 1);
  EXPECT_EQ(r.KRValueOf("m_Counter")->KAInt64(), 1LL << 40);

  // A present field keeps its place; setting it to its own atom or a copy
  // of its own value keeps the value alive.
  char* replacement = strdup("2001:db8::2");
  ASSERT_EQ(r.KRAddOrSetValue("m_UniqueAddress", replacement), 1);
  EXPECT_EQ(r.KRValueOf("m_UniqueAddress")->KAString(), replacement);
  ASSERT_EQ(r.KRAddOrSetValue("m_SnmpAccessIP", r.KRValueOf("m_SnmpAccessIP")), 1);
  EXPECT_STREQ(r.KRValueOf("m_SnmpAccessIP")->KAString(), "fe80::1");
  ASSERT_EQ(r.KRAddOrSetValue("m_Description", static_cast<const CKelAtom*>(r.KRValueOf("m_Description"))), 1);
  EXPECT_STREQ(r.KRValueOf("m_Description")->KAString(), "desc");
  ASSERT_EQ(r.KRAddOrSetValue("m_Counter", 2), 1);
  EXPECT_EQ(r.KRValueOf("m_Counter")->KAInt(), 2);
  EXPECT_EQ(FieldNames(r), (std::vector<std::string>{"m_Name", "m_UniqueAddress", "m_SnmpAccessIP",
                                                      "m_Description", "m_Counter"}));
}

TEST(CKelRecordTest, RefusedArgumentsStayWithTheCaller) {
  CKelRecord r;
  char* heap = strdup("mine");
  auto* atom = new CKelAtom(5);
  CKelAtom constAtom(6);
  struct Row {
    const char* what;
    int status;
  } rows[] = {
      {"null name, heap text", r.KRAddOrSetValue(nullptr, heap)},
      {"null name, const text", r.KRAddOrSetValue(nullptr, "x")},
      {"null name, int", r.KRAddOrSetValue(nullptr, 1)},
      {"null name, long long", r.KRAddOrSetValue(nullptr, 1LL)},
      {"null name, atom", r.KRAddOrSetValue(nullptr, atom)},
      {"null name, const atom", r.KRAddOrSetValue(nullptr, static_cast<const CKelAtom*>(&constAtom))},
      {"null heap text", r.KRAddOrSetValue("a", static_cast<char*>(nullptr))},
      {"null const text", r.KRAddOrSetValue("a", static_cast<const char*>(nullptr))},
      {"null atom", r.KRAddOrSetValue("a", static_cast<CKelAtom*>(nullptr))},
      {"null const atom", r.KRAddOrSetValue("a", static_cast<const CKelAtom*>(nullptr))},
      {"add: null name", r.KRAddValue(nullptr, atom)},
      {"add: null atom", r.KRAddValue("a", nullptr)},
  };
  for (const Row& row : rows) EXPECT_EQ(row.status, KEL_ERR_NULL_ARG) << row.what;
  EXPECT_EQ(r.KRFields().KDLLength(), 0);
  // Still ours (ASan reports a double free or use after free otherwise).
  EXPECT_STREQ(heap, "mine");
  EXPECT_EQ(atom->KAInt(), 5);
  ASSERT_EQ(r.KRAddValue("a", atom), 1);  // now the record's
  auto* second = new CKelAtom(7);
  EXPECT_EQ(r.KRAddValue("a", second), KEL_ERR_DUPLICATE);
  EXPECT_EQ(r.KRValueOf("a"), atom);
  delete second;
  free(heap);
}

TEST(CKelRecordTest, RemoveAndReAdd) {
  CKelRecord r;
  EXPECT_EQ(r.KRRemoveValue("b"), KEL_ERR_NOT_FOUND);
  r.KRAddOrSetValue("a", 1);
  r.KRAddOrSetValue("b", 2);
  r.KRAddOrSetValue("c", 3);
  EXPECT_EQ(r.KRRemoveValue("b"), 1);
  EXPECT_EQ(r.KRValuePairOf("b"), nullptr);
  EXPECT_EQ(r.KRRemoveValue("b"), KEL_ERR_NOT_FOUND);
  r.KRAddOrSetValue("b", 4);
  EXPECT_EQ(FieldNames(r), (std::vector<std::string>{"a", "c", "b"}));
  EXPECT_EQ(r.KRValueOf("b")->KAInt(), 4);
  EXPECT_STREQ(r.KRValuePairOf("c")->KVBNameText(), "c");
}

TEST(CKelRecordTest, CopiesAreIndependent) {
  auto original = std::make_unique<CKelRecord>();
  original->KRAddOrSetValue("m_Name", "r1");
  original->KRAddOrSetValue("m_PrefixLength", 64);
  CKelRecord copy(*original);
  EXPECT_EQ(FieldNames(copy), FieldNames(*original));
  EXPECT_NE(copy.KRValueOf("m_Name"), original->KRValueOf("m_Name"));
  copy.KRAddOrSetValue("m_Name", "r2");
  copy.KRAddOrSetValue("m_New", 1);
  copy.KRRemoveValue("m_PrefixLength");
  std::unique_ptr<CKelRecord> clone(static_cast<CKelRecord*>(original->KLClone()));
  EXPECT_EQ(clone->KLKind(), E_KLKRecord);
  EXPECT_EQ(original->KRToString(), "{ m_Name = r1, m_PrefixLength = 64 }");
  original.reset();
  EXPECT_EQ(clone->KRToString(), "{ m_Name = r1, m_PrefixLength = 64 }");
}

TEST(CKelRecordTest, ToStringAndPrintAtLevelFour) {
  CKelRecord r;
  r.KRAddOrSetValue("m_Name", "node");
  r.KRAddOrSetValue("m_Counter", 1LL << 40);
  CKelDoubleList* list = new CKelDoubleList();
  list->KDLAddToListEnd(new CKelAtom(1));
  list->KDLAddToListEnd(new CKelVarBind("x", static_cast<const char*>("two")));
  r.KRAddOrSetValue("m_List", new CKelAtom(list, E_KDTList));
  EXPECT_EQ(r.KRToString(), "{ m_Name = node, m_Counter = 1099511627776, m_List = (1, two) }");
  r.KRValuePairOf("m_List")->KVBSetValue(nullptr);
  const std::string withoutValue = "{ m_Name = node, m_Counter = 1099511627776, m_List = (null) }";
  EXPECT_EQ(r.KRToString(), withoutValue);
  for (int level : {0, 3, 4, 5}) {
    KelTraceCapture capture(level);
    r.KRPrint();
    EXPECT_EQ(capture.Text(), level >= 4 ? withoutValue + "\n" : "") << "level " << level;
  }
}

TEST(CKelRecordTest, ConcurrentReaders) {
  CKelRecord r;
  for (int i = 0; i < 200; ++i) r.KRAddOrSetValue(("f" + std::to_string(i)).c_str(), i);
  std::vector<int> failures(8, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 20; ++round) {
        for (int i = 0; i < 200; ++i) {
          CKelAtom* v = r.KRValueOf(("f" + std::to_string(i)).c_str());
          if (v == nullptr || v->KAInt() != i) ++failures[t];
        }
        if (r.KRToString().find("f199 = 199 }") == std::string::npos) ++failures[t];
      }
    });
  }
  for (auto& th : threads) th.join();
  for (int t = 0; t < 8; ++t) EXPECT_EQ(failures[t], 0) << "thread " << t;
}

}  // namespace
