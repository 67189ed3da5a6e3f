// ASN.1 addresses, SNMP var ops, and the choice and checking of an NE's
// address.
#include "host/CKelASN1Address.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "host/CDiscoStdRequester.h"
#include "host/CKelRecord.h"
#include "host/CKelSnmpVarOp.h"
#include "host/CKelValidAddress.h"

namespace {

std::string Print(const CKelASN1Address& a) {
  char* text = a.KAAAddressPrint();
  std::string out = text != nullptr ? text : "<null>";
  free(text);
  return out;
}

TEST(CKelASN1AddressTest, ParsesDottedText) {
  struct Row {
    const char* text;
    std::vector<uint32_t> subIds;
    const char* printed;  // null: refused
  } rows[] = {
      {"1.3.6.1.2.1", {1, 3, 6, 1, 2, 1}, "1.3.6.1.2.1"}, {".1.3.6", {1, 3, 6}, "1.3.6"},
      {"0.4294967295.7", {0, 4294967295u, 7}, "0.4294967295.7"}, {"007.1", {7, 1}, "7.1"},
      {"", {}, ""}, {"4294967296", {}, nullptr}, {"99999999999999999999999", {}, nullptr},
      {".", {}, nullptr}, {"1.", {}, nullptr}, {"1..2", {}, nullptr}, {"..1", {}, nullptr},
      {"1.a", {}, nullptr}, {"-1", {}, nullptr}, {" 1", {}, nullptr}, {"1.2 ", {}, nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    std::unique_ptr<CKelASN1Address> a(CKelASN1Address::KAAFromString(row.text));
    if (row.printed == nullptr) {
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
  EXPECT_EQ(a.KAAAddressAt(0), 2u);
  EXPECT_EQ(a.KAAAddressAt(3), 4000000000u);
  for (int i : {-1000000, -1, 4, 5, 17, 1 << 30}) EXPECT_EQ(a.KAAAddressAt(i), 0u) << "position " << i;
  CKelASN1Address empty, fromNull(nullptr, 3), negative(ids, -2);
  EXPECT_EQ(empty.KAAAddressAt(0), 0u);
  EXPECT_EQ(Print(empty), "");
  EXPECT_EQ(fromNull.KAADepth(), 0);
  EXPECT_EQ(negative.KAADepth(), 0);
}

TEST(CKelASN1AddressTest, MatchComparesEverySubIdentifier) {
  const uint32_t ids[] = {1, 2, 3};
  CKelASN1Address a(ids, 3), same(std::vector<uint32_t>{1, 2, 3}), prefix(ids, 2),
      other(std::vector<uint32_t>{1, 2, 4});
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
  EXPECT_EQ(copy->KLKind(), E_KLKSnmpVarOp);
  ASSERT_NE(copy->KSVOASN1(), nullptr);
  ASSERT_NE(copy->KSVOValue(), nullptr);
  EXPECT_NE(copy->KSVOASN1(), original->KSVOASN1());
  copy->KSVOValue()->KASet(strdup("changed"));
  EXPECT_STREQ(original->KSVOValue()->KAString(), "v");
  original.reset();
  EXPECT_EQ(copy->KSVOASN1()->KAAAddressAt(1), 254u);
  CKelSnmpVarOp bare(nullptr, nullptr);
  CKelSnmpVarOp bareCopy(bare);
  EXPECT_EQ(bareCopy.KSVOASN1(), nullptr);
  EXPECT_EQ(bareCopy.KSVOValue(), nullptr);
}

TEST(CKelValidAddressTest, AcceptsExactlyTheDottedQuad) {
  const char* valid[] = {"192.0.2.1", "0.0.0.0", "255.255.255.255"};
  const char* invalid[] = {"256.1.1.1", "1.2.3", "1.2.3.4.5", "01.2.3.4", " 1.2.3.4", "1.2.3.4 ",
                           "1..2.3", "a.b.c.d", "::1", "::ffff:1.2.3.4", "", nullptr};
  CKelValidAddress v;
  for (const char* t : valid) EXPECT_EQ(v.KVAIsIpValid(t, E_KBFalse, E_KBFalse, E_KBFalse), E_KBTrue) << t;
  for (const char* t : invalid)
    EXPECT_EQ(v.KVAIsIpValid(t, E_KBFalse, E_KBFalse, E_KBFalse), E_KBFalse) << (t ? t : "<null>");
}

// Fields m_SnmpAccessIP, m_UniqueAddress, m_IpAddress; null: absent.
CKelRecord* Ne(const char* access, const char* unique, const char* ip) {
  auto* r = new CKelRecord();
  if (access != nullptr) r->KRAddOrSetValue("m_SnmpAccessIP", access);
  if (unique != nullptr) r->KRAddOrSetValue("m_UniqueAddress", unique);
  if (ip != nullptr) r->KRAddOrSetValue("m_IpAddress", ip);
  return r;
}

TEST(CKelValidAddressTest, RecordUsesUniqueAddressElseIpAddress) {
  struct Row {
    const char* unique;
    const char* ip;
    bool valid;
  } rows[] = {
      {"192.0.2.1", nullptr, true}, {"192.0.2.1", "2001:db8::1", true}, {nullptr, "192.0.2.9", true},
      {"2001:db8::1", "192.0.2.9", false},  // the unique address decides once present
      {nullptr, "2001:db8::1", false}, {nullptr, nullptr, false},
  };
  CKelValidAddress v;
  for (const Row& row : rows) {
    std::unique_ptr<CKelRecord> r(Ne(nullptr, row.unique, row.ip));
    EXPECT_EQ(v.KVAIsIpValid(r.get(), E_KBFalse, E_KBFalse, E_KBFalse), row.valid ? E_KBTrue : E_KBFalse)
        << r->KRToString();
  }
  EXPECT_EQ(v.KVAIsIpValid(static_cast<const CKelRecord*>(nullptr), E_KBFalse, E_KBFalse, E_KBFalse), E_KBFalse);
  CKelRecord numeric;
  numeric.KRAddOrSetValue("m_UniqueAddress", 3232235521LL);  // not a text
  EXPECT_EQ(v.KVAIsIpValid(&numeric, E_KBFalse, E_KBFalse, E_KBFalse), E_KBFalse);
}

TEST(CDiscoStdRequesterTest, TargetIsAccessAddressElseUniqueElseIp) {
  struct Row {
    const char *access, *unique, *ip, *expected;
  } rows[] = {
      {"192.0.2.1", "2001:db8::1", "192.0.2.9", "192.0.2.1"},
      {nullptr, "2001:db8::1", "192.0.2.9", "2001:db8::1"},
      {nullptr, nullptr, "192.0.2.9", "192.0.2.9"},
      {nullptr, nullptr, nullptr, ""},
      {"", "2001:db8::1", nullptr, "2001:db8::1"},  // an empty text is no address
      {"", "", "192.0.2.9", "192.0.2.9"},
  };
  for (const Row& row : rows) {
    std::unique_ptr<CKelRecord> r(Ne(row.access, row.unique, row.ip));
    EXPECT_EQ(CDiscoStdRequester::DSRTargetAddress(r.get()), row.expected) << r->KRToString();
  }
  EXPECT_EQ(CDiscoStdRequester::DSRTargetAddress(nullptr), "");
  CKelRecord numeric;
  numeric.KRAddOrSetValue("m_SnmpAccessIP", 5);
  numeric.KRAddOrSetValue("m_IpAddress", "192.0.2.3");
  EXPECT_EQ(CDiscoStdRequester::DSRTargetAddress(&numeric), "192.0.2.3");
}

}  // namespace
