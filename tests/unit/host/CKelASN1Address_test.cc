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
    // A var op copies its address; copies match the original.
    CKelSnmpVarOp op(a.release(), nullptr), copy(op);
    ASSERT_NE(copy.KSVOASN1(), nullptr);
    EXPECT_NE(copy.KSVOASN1(), op.KSVOASN1());
    EXPECT_EQ(copy.KSVOASN1()->KAAMatchAddress(op.KSVOASN1()), E_KBTrue);
  }
  const uint32_t ids[] = {1, 2, 3};
  CKelASN1Address abc(ids, 3), ab(ids, 2);
  EXPECT_EQ(abc.KAAMatchAddress(&ab), E_KBFalse);
  EXPECT_EQ(abc.KAAMatchAddress(nullptr), E_KBFalse);
  EXPECT_EQ(CKelASN1Address::KAAFromString(nullptr), nullptr);
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
