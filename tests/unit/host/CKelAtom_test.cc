#include "host/CKelAtom.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "host/CKelDoubleList.h"
#include "host/CKelPointer.h"
#include "host/CKelVarBind.h"

namespace {

std::string Rep(const CKelAtom& atom) {
  char* text = atom.KAStrRep();
  EXPECT_NE(text, nullptr);
  std::string out = text != nullptr ? text : "<null>";
  free(text);
  return out;
}

TEST(CKelAtomTest, IntegerRepresentationKeepsAll64Bits) {
  struct Row {
    long long value;
    const char* rep;
    int truncated;
  } rows[] = {
      {0, "0", 0},
      {-5, "-5", -5},
      {INT_MAX, "2147483647", INT_MAX},
      {1LL << 40, "1099511627776", 0},
      {4294967295LL, "4294967295", -1},
      {LLONG_MAX, "9223372036854775807", -1},
      {LLONG_MIN, "-9223372036854775808", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.rep);
    CKelAtom atom(row.value);
    EXPECT_EQ(atom.KAType(), E_KDTInteger);
    EXPECT_EQ(Rep(atom), row.rep);
    EXPECT_EQ(atom.KAInt64(), row.value);
    EXPECT_EQ(atom.KAInt(), row.truncated);
    EXPECT_EQ(atom.KAString(), nullptr);
    EXPECT_EQ(atom.KAList(), nullptr);
  }
  CKelAtom small(42);
  EXPECT_EQ(small.KAInt64(), 42);
  EXPECT_EQ(Rep(small), "42");
}

TEST(CKelAtomTest, ConstTextIsCopied) {
  char buffer[] = "fe80::1";
  CKelAtom atom(static_cast<const char*>(buffer));
  EXPECT_NE(atom.KAString(), buffer);
  buffer[0] = 'X';
  EXPECT_STREQ(atom.KAString(), "fe80::1");
  EXPECT_EQ(atom.KAType(), E_KDTString);
  EXPECT_EQ(atom.KAInt(), 0);
  EXPECT_EQ(atom.KAInt64(), 0);
}

TEST(CKelAtomTest, HeapTextIsTakenOver) {
  char* text = strdup("taken");
  CKelAtom atom(text);
  EXPECT_EQ(atom.KAString(), text);  // the very same text; freed by the atom
  EXPECT_EQ(Rep(atom), "taken");
}

TEST(CKelAtomTest, NullTextGivesEmptyText) {
  CKelAtom fromConst(static_cast<const char*>(nullptr));
  CKelAtom fromHeap(static_cast<char*>(nullptr));
  ASSERT_NE(fromConst.KAString(), nullptr);
  ASSERT_NE(fromHeap.KAString(), nullptr);
  EXPECT_STREQ(fromConst.KAString(), "");
  EXPECT_STREQ(fromHeap.KAString(), "");
}

TEST(CKelAtomTest, KASetTakesOverAndRefusesNull) {
  CKelAtom atom(7);
  EXPECT_EQ(atom.KASet(nullptr), KEL_ERR_NULL_ARG);
  EXPECT_EQ(atom.KAType(), E_KDTInteger);
  EXPECT_EQ(atom.KAInt(), 7);

  char* first = strdup("first");
  EXPECT_EQ(atom.KASet(first), 1);
  EXPECT_EQ(atom.KAType(), E_KDTString);
  EXPECT_EQ(atom.KAString(), first);
  EXPECT_EQ(atom.KAInt64(), 0);
  // Replacing frees the previous text (LeakSanitizer checks); setting the
  // held text again keeps it alive.
  EXPECT_EQ(atom.KASet(strdup("second")), 1);
  EXPECT_STREQ(atom.KAString(), "second");
  EXPECT_EQ(atom.KASet(const_cast<char*>(atom.KAString())), 1);
  EXPECT_STREQ(atom.KAString(), "second");

  CKelAtom list(new CKelDoubleList(), E_KDTList);
  list.KAList()->KDLAddToListEnd(new CKelAtom(1));
  EXPECT_EQ(list.KASet(strdup("now text")), 1);
  EXPECT_EQ(list.KAList(), nullptr);
  EXPECT_STREQ(list.KAString(), "now text");
}

TEST(CKelAtomTest, ListRepresentation) {
  CKelDoubleList* inner = new CKelDoubleList();
  inner->KDLAddToListEnd(new CKelAtom(3));
  CKelDoubleList* list = new CKelDoubleList();
  list->KDLAddToListEnd(new CKelAtom(1));
  list->KDLAddToListEnd(new CKelAtom("two"));
  list->KDLAddToListEnd(new CKelVarBind("name", new CKelAtom(1LL << 33)));
  list->KDLAddToListEnd(new CKelVarBind("empty", nullptr));  // no value: skipped
  static int data;
  list->KDLAddToListEnd(new CKelPointer(&data));             // not a value: skipped
  list->KDLAddToListEnd(new CKelAtom(inner, E_KDTList));
  CKelAtom atom(list, E_KDTList);
  EXPECT_EQ(atom.KAType(), E_KDTList);
  EXPECT_EQ(atom.KAList(), list);
  EXPECT_EQ(atom.KAString(), nullptr);
  EXPECT_EQ(atom.KAInt(), 0);
  EXPECT_EQ(Rep(atom), "(1, two, 8589934592, (3))");

  CKelAtom empty(nullptr, E_KDTList);
  ASSERT_NE(empty.KAList(), nullptr);
  EXPECT_EQ(empty.KAList()->KDLLength(), 0);
  EXPECT_EQ(Rep(empty), "()");
}

TEST(CKelAtomTest, CopiesAreDeepAndIndependent) {
  CKelAtom text("original");
  std::unique_ptr<CKelAtom> textCopy(static_cast<CKelAtom*>(text.KLClone()));
  ASSERT_NE(textCopy, nullptr);
  EXPECT_NE(textCopy->KAString(), text.KAString());
  textCopy->KASet(strdup("changed"));
  EXPECT_STREQ(text.KAString(), "original");

  CKelDoubleList* list = new CKelDoubleList();
  list->KDLAddToListEnd(new CKelAtom("a"));
  list->KDLAddToListEnd(new CKelAtom(2));
  auto original = std::make_unique<CKelAtom>(list, E_KDTList);
  CKelAtom copy(*original);
  ASSERT_NE(copy.KAList(), nullptr);
  EXPECT_NE(copy.KAList(), original->KAList());
  EXPECT_NE(copy.KAList()->KDLHead(), original->KAList()->KDLHead());
  static_cast<CKelAtom*>(copy.KAList()->KDLHead())->KASet(strdup("z"));
  EXPECT_EQ(Rep(*original), "(a, 2)");
  EXPECT_EQ(Rep(copy), "(z, 2)");
  original.reset();  // the copy survives the original
  EXPECT_EQ(Rep(copy), "(z, 2)");
  EXPECT_EQ(copy.KLKind(), E_KLKAtom);
}

}  // namespace
