#include "host/CKelValidAddress.h"

#include <gtest/gtest.h>

#include "host/CKelRecord.h"

namespace {

TEST(CKelValidAddressTest, AcceptsExactlyTheDottedQuad) {
  struct Row {
    const char* text;
    bool valid;
  } rows[] = {
      {"192.0.2.1", true},   {"0.0.0.0", true},     {"255.255.255.255", true},
      {"256.1.1.1", false},  {"1.2.3", false},      {"1.2.3.4.5", false},
      {"01.2.3.4", false},   {" 1.2.3.4", false},   {"1.2.3.4 ", false},
      {"1..2.3", false},     {"a.b.c.d", false},    {"::1", false},
      {"::ffff:1.2.3.4", false}, {"", false},       {nullptr, false},
  };
  CKelValidAddress validator;
  for (const Row& row : rows) {
    EXPECT_EQ(validator.KVAIsIpValid(row.text, E_KBFalse, E_KBFalse, E_KBFalse),
              row.valid ? E_KBTrue : E_KBFalse)
        << (row.text != nullptr ? row.text : "<null>");
  }
}

TEST(CKelValidAddressTest, RecordUsesUniqueAddressElseIpAddress) {
  struct Row {
    const char* unique;  // null: field absent
    const char* ip;
    bool valid;
  } rows[] = {
      {"192.0.2.1", nullptr, true},
      {"192.0.2.1", "2001:db8::1", true},
      {nullptr, "192.0.2.9", true},
      // The unique address decides once present, even when it is IPv6.
      {"2001:db8::1", "192.0.2.9", false},
      {nullptr, "2001:db8::1", false},
      {nullptr, nullptr, false},
  };
  CKelValidAddress validator;
  for (const Row& row : rows) {
    CKelRecord record;
    if (row.unique != nullptr) record.KRAddOrSetValue("m_UniqueAddress", row.unique);
    if (row.ip != nullptr) record.KRAddOrSetValue("m_IpAddress", row.ip);
    EXPECT_EQ(validator.KVAIsIpValid(&record, E_KBFalse, E_KBFalse, E_KBFalse),
              row.valid ? E_KBTrue : E_KBFalse)
        << record.KRToString();
  }
  EXPECT_EQ(validator.KVAIsIpValid(static_cast<const CKelRecord*>(nullptr), E_KBFalse, E_KBFalse,
                                   E_KBFalse),
            E_KBFalse);
  CKelRecord numeric;
  numeric.KRAddOrSetValue("m_UniqueAddress", 3232235521LL);  // not a text
  EXPECT_EQ(validator.KVAIsIpValid(&numeric, E_KBFalse, E_KBFalse, E_KBFalse), E_KBFalse);
}

}  // namespace
