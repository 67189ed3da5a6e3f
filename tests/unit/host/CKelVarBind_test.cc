#include "host/CKelVarBind.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

std::string ValueText(const CKelVarBind& vb) {
  char* text = vb.KVBValAsString();
  std::string out = text != nullptr ? text : "<none>";
  free(text);
  return out;
}

TEST(CKelVarBindTest, NonConstAtomIsTakenConstAtomCopied) {
  CKelAtom* taken = new CKelAtom(5);
  CKelVarBind owner("ifIndex", taken);
  EXPECT_EQ(owner.KVBValue(), taken);
  EXPECT_STREQ(owner.KVBNameText(), "ifIndex");
  EXPECT_STREQ(owner.KVBName()->KAString(), "ifIndex");

  CKelAtom kept(6);
  CKelVarBind copier("ifIndex", static_cast<const CKelAtom*>(&kept));
  ASSERT_NE(copier.KVBValue(), nullptr);
  EXPECT_NE(copier.KVBValue(), &kept);
  EXPECT_EQ(copier.KVBValue()->KAInt(), 6);
}

TEST(CKelVarBindTest, HeapTextIsTakenConstTextCopied) {
  char* heap = strdup("fe80::1");
  CKelVarBind owner("addr", heap);
  ASSERT_NE(owner.KVBValue(), nullptr);
  EXPECT_EQ(owner.KVBValue()->KAString(), heap);

  char buffer[] = "abc";
  CKelVarBind copier("text", static_cast<const char*>(buffer));
  buffer[0] = 'X';
  EXPECT_EQ(ValueText(copier), "abc");

  // The name is always a copy.
  char name[] = "name";
  CKelVarBind named(name, static_cast<const char*>("v"));
  name[0] = 'X';
  EXPECT_STREQ(named.KVBNameText(), "name");
}

TEST(CKelVarBindTest, NullValuesGiveNoValue) {
  CKelVarBind fromNull("a", nullptr);
  CKelVarBind fromAtom("b", static_cast<CKelAtom*>(nullptr));
  CKelVarBind fromConstAtom("c", static_cast<const CKelAtom*>(nullptr));
  CKelVarBind fromText("d", static_cast<char*>(nullptr));
  CKelVarBind fromConstText("e", static_cast<const char*>(nullptr));
  for (const CKelVarBind* vb : {&fromNull, &fromAtom, &fromConstAtom, &fromText, &fromConstText}) {
    SCOPED_TRACE(vb->KVBNameText());
    EXPECT_EQ(vb->KVBValue(), nullptr);
    EXPECT_EQ(vb->KVBValAsString(), nullptr);
  }
  CKelVarBind noName(nullptr, nullptr);
  ASSERT_NE(noName.KVBNameText(), nullptr);
  EXPECT_STREQ(noName.KVBNameText(), "");
}

TEST(CKelVarBindTest, SetValueReplacesAndTakesOver) {
  CKelVarBind vb("x", new CKelAtom(1));
  CKelAtom* next = new CKelAtom("two");
  EXPECT_EQ(vb.KVBSetValue(next), 1);
  EXPECT_EQ(vb.KVBValue(), next);
  EXPECT_EQ(vb.KVBSetValue(next), 1);  // the same atom again: still held
  EXPECT_EQ(ValueText(vb), "two");
  EXPECT_EQ(vb.KVBSetValue(nullptr), 1);
  EXPECT_EQ(vb.KVBValue(), nullptr);
  EXPECT_EQ(vb.KVBValAsString(), nullptr);
}

TEST(CKelVarBindTest, CopyIsDeep) {
  auto original = std::make_unique<CKelVarBind>("name", new CKelAtom("value"));
  std::unique_ptr<CKelVarBind> copy(static_cast<CKelVarBind*>(original->KLClone()));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->KLKind(), E_KLKVarBind);
  EXPECT_NE(copy->KVBName(), original->KVBName());
  EXPECT_NE(copy->KVBValue(), original->KVBValue());
  copy->KVBSetValue(new CKelAtom(9));
  EXPECT_EQ(ValueText(*original), "value");
  original.reset();
  EXPECT_STREQ(copy->KVBNameText(), "name");
  EXPECT_EQ(ValueText(*copy), "9");

  CKelVarBind empty("e", nullptr);
  CKelVarBind emptyCopy(empty);
  EXPECT_EQ(emptyCopy.KVBValue(), nullptr);
  EXPECT_STREQ(emptyCopy.KVBNameText(), "e");
}

}  // namespace
