#include "host/CKelString.h"

#include <gtest/gtest.h>

#include "host/CKelAtom.h"
#include "host/CKelDoubleList.h"

namespace {

TEST(CKelStringTest, AppendsTextsAndAtoms) {
  CKelString s("Next hop ");
  EXPECT_EQ(s.KSStrCat("is "), 1);
  EXPECT_EQ(s.KSStrCat(static_cast<const char*>(nullptr)), 1);
  CKelAtom number(1LL << 35);
  EXPECT_EQ(s.KSStrCat(&number), 1);
  EXPECT_EQ(s.KSStrCat(static_cast<const CKelAtom*>(nullptr)), 1);
  CKelAtom text(" [x]");
  s.KSStrCat(&text);
  CKelDoubleList* list = new CKelDoubleList();
  list->KDLAddToListEnd(new CKelAtom(1));
  list->KDLAddToListEnd(new CKelAtom("b"));
  CKelAtom listAtom(list, E_KDTList);
  s.KSStrCat(&listAtom);
  EXPECT_STREQ(s.KSString(), "Next hop is 34359738368 [x](1, b)");
  EXPECT_EQ(s.KSLength(), 33);

  CKelString empty;
  EXPECT_STREQ(empty.KSString(), "");
  EXPECT_EQ(empty.KSLength(), 0);
}

}  // namespace
