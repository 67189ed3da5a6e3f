#include "host/CKelRecord.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "host/KelTrace.h"
#include "host/KelTypes.h"

namespace {

TEST(CKelRecordTest, ValueFormsTakeOrCopyAndKeepFieldOrder) {
  auto r = std::make_unique<CKelRecord>();
  EXPECT_EQ(r->KRValueOf(nullptr), nullptr);
  char copied[] = "router1";
  ASSERT_EQ(r->KRAddOrSetValue("m_Name", static_cast<const char*>(copied)), 1);
  copied[0] = 'X';
  char* heap = strdup("2001:db8::1");
  ASSERT_EQ(r->KRAddOrSetValue("m_UniqueAddress", heap), 1);
  EXPECT_EQ(r->KRValueOf("m_UniqueAddress")->KAString(), heap);  // kept, not copied
  auto* taken = new CKelAtom("fe80::1");
  ASSERT_EQ(r->KRAddOrSetValue("m_SnmpAccessIP", taken), 1);
  EXPECT_EQ(r->KRValueOf("m_SnmpAccessIP"), taken);
  CKelAtom kept("desc");
  ASSERT_EQ(r->KRAddOrSetValue("m_Description", static_cast<const CKelAtom*>(&kept)), 1);
  EXPECT_NE(r->KRValueOf("m_Description"), &kept);
  ASSERT_EQ(r->KRAddOrSetValue("m_Counter", 1LL << 40), 1);
  // A present field keeps its place; setting it to its own atom or a copy of
  // its own value keeps the value alive; a removed one comes back at the end.
  ASSERT_EQ(r->KRAddOrSetValue("m_SnmpAccessIP", r->KRValueOf("m_SnmpAccessIP")), 1);
  ASSERT_EQ(r->KRAddOrSetValue("m_Description", static_cast<const CKelAtom*>(r->KRValueOf("m_Description"))), 1);
  ASSERT_EQ(r->KRAddOrSetValue("m_Counter", 2), 1);
  EXPECT_EQ(r->KRRemoveValue("m_Name"), 1);
  EXPECT_EQ(r->KRRemoveValue("m_Name"), KEL_ERR_NOT_FOUND);
  ASSERT_EQ(r->KRAddOrSetValue("m_Name", "router1"), 1);
  const std::string text = "{ m_UniqueAddress = 2001:db8::1, m_SnmpAccessIP = fe80::1, m_Description = desc, "
                           "m_Counter = 2, m_Name = router1 }";
  EXPECT_EQ(r->KRToString(), text);
  // Copies are deep and looked up by name; only level 4 prints a record.
  CKelRecord copy(*r);
  std::unique_ptr<CKelRecord> clone(static_cast<CKelRecord*>(r->KLClone()));
  EXPECT_NE(copy.KRValueOf("m_Name"), r->KRValueOf("m_Name"));
  r.reset();
  copy.KRAddOrSetValue("m_Name", "r2");
  EXPECT_EQ(clone->KRToString(), text);
  for (int level : {3, 4}) {
    KelTraceCapture capture(level);
    clone->KRPrint();
    EXPECT_EQ(capture.Text(), level == 4 ? text + "\n" : "") << "level " << level;
  }
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
  EXPECT_EQ(r.KRToString(), "{ }");
  // Still ours (ASan reports a double free or use after free otherwise).
  EXPECT_STREQ(heap, "mine");
  ASSERT_EQ(r.KRAddValue("a", atom), 1);  // now the record's
  auto* second = new CKelAtom(7);
  EXPECT_EQ(r.KRAddValue("a", second), KEL_ERR_DUPLICATE);
  EXPECT_EQ(r.KRValueOf("a"), atom);
  delete second;
  free(heap);
}

}  // namespace
