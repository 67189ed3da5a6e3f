#include "host/CDiscoStdRequester.h"

#include <gtest/gtest.h>

namespace {

TEST(CDiscoStdRequesterTest, TargetIsAccessAddressElseUniqueElseIp) {
  struct Row {
    const char* access;  // null: field absent
    const char* unique;
    const char* ip;
    const char* expected;
  } rows[] = {
      {"192.0.2.1", "2001:db8::1", "192.0.2.9", "192.0.2.1"},
      {nullptr, "2001:db8::1", "192.0.2.9", "2001:db8::1"},
      {nullptr, nullptr, "192.0.2.9", "192.0.2.9"},
      {nullptr, nullptr, nullptr, ""},
      // An empty text is no address: the next field is used.
      {"", "2001:db8::1", nullptr, "2001:db8::1"},
      {"", "", "192.0.2.9", "192.0.2.9"},
  };
  for (const Row& row : rows) {
    CKelRecord record;
    if (row.access != nullptr) record.KRAddOrSetValue("m_SnmpAccessIP", row.access);
    if (row.unique != nullptr) record.KRAddOrSetValue("m_UniqueAddress", row.unique);
    if (row.ip != nullptr) record.KRAddOrSetValue("m_IpAddress", row.ip);
    EXPECT_EQ(CDiscoStdRequester::DSRTargetAddress(&record), row.expected)
        << record.KRToString();
  }
  EXPECT_EQ(CDiscoStdRequester::DSRTargetAddress(nullptr), "");
  CKelRecord numeric;
  numeric.KRAddOrSetValue("m_SnmpAccessIP", 5);
  numeric.KRAddOrSetValue("m_IpAddress", "192.0.2.3");
  EXPECT_EQ(CDiscoStdRequester::DSRTargetAddress(&numeric), "192.0.2.3");
}

}  // namespace
