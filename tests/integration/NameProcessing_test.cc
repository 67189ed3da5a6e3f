// Name and address processing of new NEs against the sandbox's resolver.
#include <memory>
#include <string>
#include <vector>

#include "agent/CDiscoIPv6Agent.h"
#include "gtest/gtest.h"
#include "host/CKelValidAddress.h"
#include "host/KelError.h"
#include "host/KelTrace.h"
#include "tests/support/TempDir.h"

namespace {

class NamingAgent : public CDiscoIPv6Agent {
 public:
  using CDiscoIPv6Agent::DIPv6DoNameAndIpProcessing;
  using CDiscoIPv6Agent::DIPv6ProcessPrefixLength;
};

// "name=value" for every field of the record, in record order.
std::vector<std::string> Fields(const CKelRecord& record) {
  std::vector<std::string> out;
  const CKelDoubleList& fields = record.KRFields();
  for (CKelListable* e = fields.KDLHead(); e != nullptr; e = fields.KDLGetNext(e)) {
    auto* vb = static_cast<CKelVarBind*>(e);
    char* value = vb->KVBValAsString();
    out.push_back(std::string(vb->KVBNameText()) + "=" + (value != nullptr ? value : "<none>"));
    free(value);
  }
  return out;
}

struct Row {
  const char* what;
  const char* ipAddress;      // null: field absent
  const char* uniqueAddress;  // null: field absent
  const char* name;           // null: field absent
  bool processed;
  std::vector<std::string> fields;  // the record afterwards
};

void PrintTo(const Row& row, std::ostream* os) { *os << row.what; }

class NameProcessingTest : public ::testing::TestWithParam<Row> {
 protected:
  void SetUp() override { agent_.m_ValidAddr = &valid_; }
  void TearDown() override { agent_.m_ValidAddr = nullptr; }
  ScopedConfigDirs dirs_;
  CKelValidAddress valid_;
  NamingAgent agent_;
};

TEST_P(NameProcessingTest, RecordEndsWithItsFields) {
  const Row& row = GetParam();
  CKelRecord record;
  if (row.ipAddress != nullptr) record.KRAddOrSetValue("m_IpAddress", row.ipAddress);
  if (row.uniqueAddress != nullptr) record.KRAddOrSetValue("m_UniqueAddress", row.uniqueAddress);
  if (row.name != nullptr) record.KRAddOrSetValue("m_Name", row.name);
  EXPECT_EQ(agent_.DIPv6DoNameAndIpProcessing(&record), row.processed ? E_KBTrue : E_KBFalse);
  EXPECT_EQ(Fields(record), row.fields);
}

const std::string k70(70, 'a');

INSTANTIATE_TEST_SUITE_P(
    Rows, NameProcessingTest,
    ::testing::Values(
        Row{"address with length and reverse name", "2001:db8:1::1/64", nullptr, nullptr, true,
            {"m_IpAddress=2001:db8:1::1/64", "m_UniqueAddress=2001:db8:1::1", "m_PrefixLength=64",
             "m_Name=r1-v6.lab.example"}},
        Row{"IPv6 address without reverse name gets its short form", "2001:db8:2::5", nullptr,
            nullptr, true,
            {"m_IpAddress=2001:db8:2::5", "m_UniqueAddress=2001:db8:2::5", "m_PrefixLength=128",
             "m_Name=2001:db8:2::5"}},
        Row{"full form is named by its compressed text",
            "2001:0DB8:0002:0000:0000:0000:0000:0005", nullptr, nullptr, true,
            {"m_IpAddress=2001:0DB8:0002:0000:0000:0000:0000:0005",
             "m_UniqueAddress=2001:0DB8:0002:0000:0000:0000:0000:0005", "m_PrefixLength=128",
             "m_Name=2001:db8:2::5"}},
        Row{"IPv4 address without reverse name names itself", "198.51.100.99", nullptr, nullptr,
            true,
            {"m_IpAddress=198.51.100.99", "m_UniqueAddress=198.51.100.99", "m_PrefixLength=128",
             "m_Name=198.51.100.99"}},
        Row{"a reverse name replaces the given name", "198.51.100.10", nullptr, "old", true,
            {"m_IpAddress=198.51.100.10", "m_Name=r1.lab.example",
             "m_UniqueAddress=198.51.100.10", "m_PrefixLength=128"}},
        Row{"without reverse name the given name stays", "198.51.100.99", nullptr, "keep", true,
            {"m_IpAddress=198.51.100.99", "m_Name=keep", "m_UniqueAddress=198.51.100.99",
             "m_PrefixLength=128"}},
        Row{"name only: first IPv4 address, then its reverse name", nullptr, nullptr, "r1", true,
            {"m_Name=r1.lab.example", "m_UniqueAddress=198.51.100.10", "m_PrefixLength=128"}},
        Row{"name with two addresses takes the first", nullptr, nullptr, "multi.lab.example", true,
            {"m_Name=multi.lab.example", "m_UniqueAddress=198.51.100.11", "m_PrefixLength=128"}},
        Row{"name known only by IPv6 takes its IPv6 address", nullptr, nullptr, "h5.lab.example",
            true,
            {"m_Name=h5.lab.example", "m_UniqueAddress=2001:db8:1::5", "m_PrefixLength=128"}},
        Row{"unknown name is not processed", nullptr, nullptr, "nosuch.lab.example", false,
            {"m_Name=nosuch.lab.example"}},
        Row{"nothing is not processed", nullptr, nullptr, nullptr, false, {}},
        Row{"m_IpAddress wins over m_UniqueAddress", "198.51.100.10/24", "192.0.2.1", nullptr, true,
            {"m_IpAddress=198.51.100.10/24", "m_UniqueAddress=198.51.100.10", "m_PrefixLength=24",
             "m_Name=r1.lab.example"}},
        Row{"unique address alone", nullptr, "2001:db8:1::5", nullptr, true,
            {"m_UniqueAddress=2001:db8:1::5", "m_PrefixLength=128", "m_Name=h5.lab.example"}}),
    [](const ::testing::TestParamInfo<Row>& info) {
      std::string name;
      for (const char* p = info.param.what; *p != '\0'; ++p) {
        name += isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
      }
      return name;
    });

TEST(PrefixLengthTest, SlashForms) {
  ScopedConfigDirs dirs;
  NamingAgent agent;
  struct {
    std::string input;
    std::string address;
    int length;
  } rows[] = {
      {"2001:db8::1/64", "2001:db8::1", 64},
      {"2001:db8::1", "2001:db8::1", 128},
      {"2001:db8::1/1280", "2001:db8::1", 128},  // three characters are read
      {"2001:db8::1/", "2001:db8::1", 0},
      {"2001:db8::1/x", "2001:db8::1", 0},
      {"2001:db8::1/-5", "2001:db8::1", 0},  // a negative length is no length
      {"2001:db8::1/200", "2001:db8::1", 200},
      {k70, k70.substr(0, 64), 128},
      {k70 + "/48", k70.substr(0, 64), 48},
  };
  for (const auto& row : rows) {
    CKelRecord record;
    record.KRAddOrSetValue("m_IpAddress", row.input.c_str());
    EXPECT_EQ(agent.DIPv6ProcessPrefixLength(&record), 1) << row.input;
    ASSERT_NE(record.KRValueOf("m_UniqueAddress"), nullptr) << row.input;
    EXPECT_STREQ(record.KRValueOf("m_UniqueAddress")->KAString(), row.address.c_str()) << row.input;
    ASSERT_NE(record.KRValueOf("m_PrefixLength"), nullptr) << row.input;
    EXPECT_EQ(record.KRValueOf("m_PrefixLength")->KAInt(), row.length) << row.input;
  }
  CKelRecord empty;
  EXPECT_EQ(agent.DIPv6ProcessPrefixLength(&empty), 1);
  EXPECT_EQ(Fields(empty), std::vector<std::string>{});
  EXPECT_EQ(agent.DIPv6ProcessPrefixLength(nullptr), 1);
}

TEST(NameErrorsTest, ReportsOfTheNameOperations) {
  ScopedConfigDirs dirs;
  CKelValidAddress valid;
  NamingAgent agent;
  agent.m_ValidAddr = &valid;
  KelErrorCapture errors;
  CKelRecord record;
  CKelAtom name("r1");
  EXPECT_EQ(agent.DIPv6GetIPAddress(nullptr, &record), nullptr);
  EXPECT_EQ(agent.DIPv6GetIPAddress(&name, nullptr), nullptr);
  CKelAtom list(static_cast<CKelDoubleList*>(nullptr), E_KDTList);
  EXPECT_EQ(agent.DIPv6GetIPAddress(&list, &record), nullptr);
  agent.DIPv6AddOrUpdateName(nullptr);
  agent.DIPv6AddName(nullptr, &record);
  EXPECT_EQ(errors.Count(-220552, "neReocrd or nameAtom null"), 2);
  EXPECT_EQ(errors.Count(-220552, "name is null"), 1);
  EXPECT_EQ(errors.Count(-220552), 5);
  EXPECT_EQ(Fields(record), std::vector<std::string>{});

  // DIPv6AddName: the reverse name, else the address text, replacing any name.
  CKelAtom known("198.51.100.10");
  CKelAtom unknown("198.51.100.99");
  record.KRAddOrSetValue("m_Name", "old");
  agent.DIPv6AddName(&unknown, &record);
  EXPECT_STREQ(record.KRValueOf("m_Name")->KAString(), "198.51.100.99");
  agent.DIPv6AddName(&known, &record);
  EXPECT_STREQ(record.KRValueOf("m_Name")->KAString(), "r1.lab.example");
  agent.m_ValidAddr = nullptr;
}

TEST(NameTraceTest, UnresolvedAndNamelessAreTraced) {
  ScopedConfigDirs dirs;
  CKelValidAddress valid;
  NamingAgent agent;
  agent.m_ValidAddr = &valid;
  KelTraceCapture trace(4);
  CKelRecord none;
  agent.DIPv6DoNameAndIpProcessing(&none);
  EXPECT_TRUE(trace.Contains("-- DIPv6DoNameAndIpProcessing() cannot resolve ip address"));
  EXPECT_TRUE(trace.Contains("--CDiscoIPv6Agent::DIPv6DoNameAndIpProcessing() Input:"));
  EXPECT_TRUE(trace.Contains("--CDiscoIPv6Agent::DIPv6DoNameAndIpProcessing() Output:"));
  agent.m_ValidAddr = nullptr;
}

}  // namespace
