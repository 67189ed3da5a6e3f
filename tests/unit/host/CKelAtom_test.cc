// Atoms, var binds and strings: what is taken over, what is copied, and
// their text forms.
#include "host/CKelAtom.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "host/CKelDoubleList.h"
#include "host/CKelPointer.h"
#include "host/CKelString.h"
#include "host/CKelVarBind.h"

namespace {

std::string Text(char* text) {  // frees `text`
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
      {0, "0", 0}, {-5, "-5", -5}, {42, "42", 42}, {INT_MAX, "2147483647", INT_MAX},
      {1LL << 40, "1099511627776", 0}, {4294967295LL, "4294967295", -1},
      {LLONG_MAX, "9223372036854775807", -1}, {LLONG_MIN, "-9223372036854775808", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.rep);
    CKelAtom atom(row.value);
    EXPECT_EQ(atom.KAType(), E_KDTInteger);
    EXPECT_EQ(Text(atom.KAStrRep()), row.rep);
    EXPECT_EQ(atom.KAInt64(), row.value);
    EXPECT_EQ(atom.KAInt(), row.truncated);
    EXPECT_EQ(atom.KAString(), nullptr);
    EXPECT_EQ(atom.KAList(), nullptr);
  }
}

TEST(CKelAtomTest, ConstTextIsCopiedHeapTextTakenNullGivesEmpty) {
  char buffer[] = "fe80::1";
  CKelAtom copied(static_cast<const char*>(buffer));
  buffer[0] = 'X';
  EXPECT_STREQ(copied.KAString(), "fe80::1");
  EXPECT_EQ(copied.KAType(), E_KDTString);
  EXPECT_EQ(copied.KAInt64(), 0);
  char* heap = strdup("taken");
  CKelAtom taken(heap);
  EXPECT_EQ(taken.KAString(), heap);  // freed by the atom
  for (CKelAtom* empty : {new CKelAtom(static_cast<const char*>(nullptr)), new CKelAtom(static_cast<char*>(nullptr))}) {
    ASSERT_NE(empty->KAString(), nullptr);
    EXPECT_STREQ(empty->KAString(), "");
    delete empty;
  }
}

TEST(CKelAtomTest, KASetTakesOverAndRefusesNull) {
  CKelAtom atom(7);
  EXPECT_EQ(atom.KASet(nullptr), KEL_ERR_NULL_ARG);
  EXPECT_EQ(atom.KAInt(), 7);
  char* first = strdup("first");
  EXPECT_EQ(atom.KASet(first), 1);
  EXPECT_EQ(atom.KAType(), E_KDTString);
  EXPECT_EQ(atom.KAString(), first);
  // Replacing frees the previous text; setting the held text again keeps it.
  EXPECT_EQ(atom.KASet(strdup("second")), 1);
  EXPECT_EQ(atom.KASet(const_cast<char*>(atom.KAString())), 1);
  EXPECT_STREQ(atom.KAString(), "second");
  CKelAtom list(new CKelDoubleList(), E_KDTList);
  list.KAList()->KDLAddToListEnd(new CKelAtom(1));
  EXPECT_EQ(list.KASet(strdup("now text")), 1);
  EXPECT_EQ(list.KAList(), nullptr);
  EXPECT_STREQ(list.KAString(), "now text");
}

TEST(CKelAtomTest, ListRepresentationAndDeepCopy) {
  CKelDoubleList* inner = new CKelDoubleList();
  inner->KDLAddToListEnd(new CKelAtom(3));
  CKelDoubleList* list = new CKelDoubleList();
  list->KDLAddToListEnd(new CKelAtom("two"));
  list->KDLAddToListEnd(new CKelVarBind("name", new CKelAtom(1LL << 33)));
  list->KDLAddToListEnd(new CKelVarBind("empty", nullptr));  // no value: skipped
  static int data;
  list->KDLAddToListEnd(new CKelPointer(&data));             // not a value: skipped
  list->KDLAddToListEnd(new CKelAtom(inner, E_KDTList));
  auto original = std::make_unique<CKelAtom>(list, E_KDTList);
  EXPECT_EQ(original->KAList(), list);
  EXPECT_EQ(Text(original->KAStrRep()), "(two, 8589934592, (3))");
  EXPECT_EQ(Text(CKelAtom(nullptr, E_KDTList).KAStrRep()), "()");

  CKelAtom copy(*original);
  EXPECT_EQ(copy.KLKind(), E_KLKAtom);
  ASSERT_NE(copy.KAList(), nullptr);
  EXPECT_NE(copy.KAList()->KDLHead(), original->KAList()->KDLHead());
  static_cast<CKelAtom*>(copy.KAList()->KDLHead())->KASet(strdup("z"));
  EXPECT_EQ(Text(original->KAStrRep()), "(two, 8589934592, (3))");
  original.reset();  // the copy survives the original
  EXPECT_EQ(Text(copy.KAStrRep()), "(z, 8589934592, (3))");
  std::unique_ptr<CKelAtom> clone(static_cast<CKelAtom*>(CKelAtom("t").KLClone()));
  EXPECT_STREQ(clone->KAString(), "t");
}

TEST(CKelStringTest, AppendsTextsAndAtoms) {
  CKelString s("Next hop ");
  EXPECT_EQ(s.KSStrCat("is "), 1);
  EXPECT_EQ(s.KSStrCat(static_cast<const char*>(nullptr)), 1);
  CKelAtom number(1LL << 35), text(" [x]");
  EXPECT_EQ(s.KSStrCat(&number), 1);
  EXPECT_EQ(s.KSStrCat(static_cast<const CKelAtom*>(nullptr)), 1);
  s.KSStrCat(&text);
  CKelDoubleList* list = new CKelDoubleList();
  list->KDLAddToListEnd(new CKelAtom(1));
  list->KDLAddToListEnd(new CKelAtom("b"));
  CKelAtom listAtom(list, E_KDTList);
  s.KSStrCat(&listAtom);
  EXPECT_STREQ(s.KSString(), "Next hop is 34359738368 [x](1, b)");
  EXPECT_EQ(s.KSLength(), 33);
  EXPECT_STREQ(CKelString().KSString(), "");
}

TEST(CKelVarBindTest, NonConstValuesAreTakenConstCopiedNameCopied) {
  CKelAtom* atom = new CKelAtom(5);
  CKelVarBind ownsAtom("ifIndex", atom);
  EXPECT_EQ(ownsAtom.KVBValue(), atom);
  EXPECT_STREQ(ownsAtom.KVBName()->KAString(), "ifIndex");
  CKelAtom kept(6);
  CKelVarBind copiesAtom("ifIndex", static_cast<const CKelAtom*>(&kept));
  EXPECT_NE(copiesAtom.KVBValue(), &kept);
  EXPECT_EQ(copiesAtom.KVBValue()->KAInt(), 6);
  char* heap = strdup("fe80::1");
  CKelVarBind ownsText("addr", heap);
  EXPECT_EQ(ownsText.KVBValue()->KAString(), heap);
  char name[] = "name", buffer[] = "abc";
  CKelVarBind copiesText(name, static_cast<const char*>(buffer));
  name[0] = buffer[0] = 'X';
  EXPECT_EQ(Text(copiesText.KVBValAsString()), "abc");
  EXPECT_STREQ(copiesText.KVBNameText(), "name");
}

TEST(CKelVarBindTest, NullValuesGiveNoValue) {
  CKelVarBind a("a", nullptr), b("b", static_cast<CKelAtom*>(nullptr)),
      c("c", static_cast<const CKelAtom*>(nullptr)), d("d", static_cast<char*>(nullptr)),
      e("e", static_cast<const char*>(nullptr));
  for (const CKelVarBind* vb : {&a, &b, &c, &d, &e}) {
    EXPECT_EQ(vb->KVBValue(), nullptr) << vb->KVBNameText();
    EXPECT_EQ(vb->KVBValAsString(), nullptr) << vb->KVBNameText();
  }
  EXPECT_STREQ(CKelVarBind(nullptr, nullptr).KVBNameText(), "");
  CKelVarBind copy(a);
  EXPECT_EQ(copy.KVBValue(), nullptr);
  EXPECT_STREQ(copy.KVBNameText(), "a");
}

TEST(CKelVarBindTest, SetValueTakesOverAndCopyIsDeep) {
  auto vb = std::make_unique<CKelVarBind>("x", new CKelAtom(1));
  CKelAtom* next = new CKelAtom("two");
  EXPECT_EQ(vb->KVBSetValue(next), 1);
  EXPECT_EQ(vb->KVBSetValue(next), 1);  // the same atom again: still held
  EXPECT_EQ(vb->KVBValue(), next);
  std::unique_ptr<CKelVarBind> copy(static_cast<CKelVarBind*>(vb->KLClone()));
  EXPECT_EQ(copy->KLKind(), E_KLKVarBind);
  EXPECT_NE(copy->KVBName(), vb->KVBName());
  EXPECT_NE(copy->KVBValue(), vb->KVBValue());
  copy->KVBSetValue(new CKelAtom(9));
  EXPECT_EQ(Text(vb->KVBValAsString()), "two");
  EXPECT_EQ(vb->KVBSetValue(nullptr), 1);
  EXPECT_EQ(vb->KVBValue(), nullptr);
  vb.reset();
  EXPECT_STREQ(copy->KVBNameText(), "x");
  EXPECT_EQ(Text(copy->KVBValAsString()), "9");
}

}  // namespace
