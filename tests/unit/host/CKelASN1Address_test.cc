#include "host/CKelASN1Address.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "host/CKelSnmpVarOp.h"

namespace {

std::string Print(const CKelASN1Address& a) {
  char* text = a.KAAAddressPrint();
  EXPECT_NE(text, nullptr);
  std::string out = text != nullptr ? text : "<null>";
  free(text);
  return out;
}

TEST(CKelASN1AddressTest, ParsesDottedText) {
  struct Row {
    const char* text;
    bool ok;
    std::vector<uint32_t> subIds;
    const char* printed;
  } rows[] = {
      {"1.3.6.1.2.1", true, {1, 3, 6, 1, 2, 1}, "1.3.6.1.2.1"},
      {".1.3.6", true, {1, 3, 6}, "1.3.6"},
      {"4294967295", true, {4294967295u}, "4294967295"},
      {"0.4294967295.7", true, {0, 4294967295u, 7}, "0.4294967295.7"},
      {"007.1", true, {7, 1}, "7.1"},
      {"", true, {}, ""},
      {"4294967296", false, {}, nullptr},
      {"99999999999999999999999", false, {}, nullptr},
      {".", false, {}, nullptr},
      {"1.", false, {}, nullptr},
      {"1..2", false, {}, nullptr},
      {"..1", false, {}, nullptr},
      {"1.a", false, {}, nullptr},
      {"-1", false, {}, nullptr},
      {" 1", false, {}, nullptr},
      {"1.2 ", false, {}, nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    std::unique_ptr<CKelASN1Address> a(CKelASN1Address::KAAFromString(row.text));
    if (!row.ok) {
      EXPECT_EQ(a, nullptr);
      continue;
    }
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->KAASubIds(), row.subIds);
    EXPECT_EQ(a->KAADepth(), static_cast<int>(row.subIds.size()));
    EXPECT_EQ(Print(*a), row.printed);
  }
  EXPECT_EQ(CKelASN1Address::KAAFromString(nullptr), nullptr);
}

TEST(CKelASN1AddressTest, OutOfRangePositionsGiveZero) {
  const uint32_t ids[] = {2, 0xFE, 0x80, 4000000000u};
  CKelASN1Address a(ids, 4);
  EXPECT_EQ(a.KAADepth(), 4);
  EXPECT_EQ(a.KAAAddressAt(0), 2u);
  EXPECT_EQ(a.KAAAddressAt(3), 4000000000u);
  for (int i : {-1000000, -1, 4, 5, 17, 1 << 30}) {
    EXPECT_EQ(a.KAAAddressAt(i), 0u) << "position " << i;
  }
  CKelASN1Address empty;
  EXPECT_EQ(empty.KAADepth(), 0);
  EXPECT_EQ(empty.KAAAddressAt(0), 0u);
  EXPECT_EQ(Print(empty), "");
  CKelASN1Address fromNull(nullptr, 3);
  EXPECT_EQ(fromNull.KAADepth(), 0);
  CKelASN1Address negative(ids, -2);
  EXPECT_EQ(negative.KAADepth(), 0);
}

TEST(CKelASN1AddressTest, MatchComparesEverySubIdentifier) {
  const uint32_t ids[] = {1, 2, 3};
  CKelASN1Address a(ids, 3);
  CKelASN1Address same(std::vector<uint32_t>{1, 2, 3});
  CKelASN1Address prefix(ids, 2);
  CKelASN1Address other(std::vector<uint32_t>{1, 2, 4});
  EXPECT_EQ(a.KAAMatchAddress(&same), E_KBTrue);
  EXPECT_EQ(a.KAAMatchAddress(&a), E_KBTrue);
  EXPECT_EQ(a.KAAMatchAddress(&prefix), E_KBFalse);
  EXPECT_EQ(prefix.KAAMatchAddress(&a), E_KBFalse);
  EXPECT_EQ(a.KAAMatchAddress(&other), E_KBFalse);
  EXPECT_EQ(a.KAAMatchAddress(nullptr), E_KBFalse);
}

TEST(CKelSnmpVarOpTest, CopyIsDeepAndPartsMayBeNull) {
  auto original = std::make_unique<CKelSnmpVarOp>(CKelASN1Address::KAAFromString("3.254.128"), new CKelAtom("v"));
  std::unique_ptr<CKelSnmpVarOp> copy(static_cast<CKelSnmpVarOp*>(original->KLClone()));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->KLKind(), E_KLKSnmpVarOp);
  ASSERT_NE(copy->KSVOASN1(), nullptr);
  ASSERT_NE(copy->KSVOValue(), nullptr);
  EXPECT_NE(copy->KSVOASN1(), original->KSVOASN1());
  EXPECT_NE(copy->KSVOValue(), original->KSVOValue());
  copy->KSVOValue()->KASet(strdup("changed"));
  EXPECT_STREQ(original->KSVOValue()->KAString(), "v");
  original.reset();
  EXPECT_EQ(copy->KSVOASN1()->KAAAddressAt(1), 254u);
  EXPECT_STREQ(copy->KSVOValue()->KAString(), "changed");

  CKelSnmpVarOp bare(nullptr, nullptr);
  CKelSnmpVarOp bareCopy(bare);
  EXPECT_EQ(bareCopy.KSVOASN1(), nullptr);
  EXPECT_EQ(bareCopy.KSVOValue(), nullptr);
}

}  // namespace
