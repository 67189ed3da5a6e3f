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
      {0, "0", 0}, {-5, "-5", -5}, {INT_MAX, "2147483647", INT_MAX}, {1LL << 40, "1099511627776", 0},
      {4294967295LL, "4294967295", -1}, {LLONG_MIN, "-9223372036854775808", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.rep);
    CKelAtom atom(row.value);
    EXPECT_EQ(atom.KAType(), E_KDTInteger);
    EXPECT_EQ(Text(atom.KAStrRep()), row.rep);
    EXPECT_EQ(atom.KAInt64(), row.value);
    EXPECT_EQ(atom.KAInt(), row.truncated);
    EXPECT_EQ(atom.KAString(), nullptr);
  }
}

TEST(CKelAtomTest, EachFormTakesOrCopiesItsValueAndCopiesAreDeep) {
  char buffer[] = "fe80::1";
  char* heap = strdup("taken");
  auto* list = new CKelDoubleList();
  list->KDLAddToListEnd(new CKelAtom("two"));
  list->KDLAddToListEnd(new CKelVarBind("name", new CKelAtom(1LL << 33)));
  list->KDLAddToListEnd(new CKelVarBind("empty", nullptr));  // no value: skipped
  static int data;
  list->KDLAddToListEnd(new CKelPointer(&data));  // not a value: skipped
  auto* inner = new CKelDoubleList();
  inner->KDLAddToListEnd(new CKelAtom(3));
  list->KDLAddToListEnd(new CKelAtom(inner, E_KDTList));
  struct Row {
    const char* what;
    std::unique_ptr<CKelAtom> atom;
    const void* held;  // what the atom must hold itself; null: a copy
    const char* text;
  } rows[] = {
      {"const text is copied", std::make_unique<CKelAtom>(static_cast<const char*>(buffer)), nullptr, "fe80::1"},
      {"heap text is taken", std::make_unique<CKelAtom>(heap), heap, "taken"},
      {"null const text", std::make_unique<CKelAtom>(static_cast<const char*>(nullptr)), nullptr, ""},
      {"null heap text", std::make_unique<CKelAtom>(static_cast<char*>(nullptr)), nullptr, ""},
      {"list is taken", std::make_unique<CKelAtom>(list, E_KDTList), list, "(two, 8589934592, (3))"},
      {"null list", std::make_unique<CKelAtom>(nullptr, E_KDTList), nullptr, "()"},
  };
  buffer[0] = 'X';
  for (Row& row : rows) {
    SCOPED_TRACE(row.what);
    const void* held = row.atom->KAType() == E_KDTList ? static_cast<const void*>(row.atom->KAList())
                                                          : static_cast<const void*>(row.atom->KAString());
    ASSERT_NE(held, nullptr);
    if (row.held != nullptr) {
      EXPECT_EQ(held, row.held);
    }
    CKelAtom copy(*row.atom);
    EXPECT_NE(copy.KAType() == E_KDTList ? static_cast<const void*>(copy.KAList())
                                         : static_cast<const void*>(copy.KAString()),
              held);
    row.atom.reset();  // the copy survives the original
    EXPECT_EQ(Text(copy.KAStrRep()), row.text);
  }
}

TEST(CKelStringTest, AppendsTextsAndAtomsSkippingNull) {
  CKelString s("Next hop ");
  CKelAtom number(1LL << 35), text(" [x]"), list(new CKelDoubleList(), E_KDTList);
  list.KAList()->KDLAddToListEnd(new CKelAtom("b"));
  for (const CKelAtom* atom : {static_cast<const CKelAtom*>(&number), static_cast<const CKelAtom*>(nullptr),
                               static_cast<const CKelAtom*>(&text), static_cast<const CKelAtom*>(&list)}) {
    EXPECT_EQ(s.KSStrCat(atom), 1);
    EXPECT_EQ(s.KSStrCat(static_cast<const char*>(nullptr)), 1);
  }
  EXPECT_STREQ(s.KSString(), "Next hop 34359738368 [x](b)");
  EXPECT_EQ(s.KSLength(), 27);
}

TEST(CKelVarBindTest, NonConstValuesAreTakenConstCopiedNullGivesNoValue) {
  CKelAtom* atom = new CKelAtom(5);
  CKelAtom kept(6);
  char name[] = "name";
  CKelVarBind ownsAtom("a", atom), copiesAtom(name, static_cast<const CKelAtom*>(&kept)),
      none("d", static_cast<const char*>(nullptr));
  name[0] = 'X';
  EXPECT_EQ(ownsAtom.KVBValue(), atom);
  EXPECT_NE(copiesAtom.KVBValue(), &kept);
  EXPECT_STREQ(copiesAtom.KVBNameText(), "name");
  EXPECT_EQ(none.KVBValAsString(), nullptr);
  EXPECT_EQ(ownsAtom.KVBSetValue(atom), 1);  // the same atom again: still held
  EXPECT_EQ(Text(ownsAtom.KVBValAsString()), "5");
}

}  // namespace
