// Name and address processing of new NEs, names from a names overlay; address-to-name translation and its lock.
#include <string>

#include "agent/CDiscoIPv6Agent.h"
#include "gtest/gtest.h"
#include "host/CKelValidAddress.h"
#include "host/KelError.h"
#include "host/KelTrace.h"
#include "host/ZWResolver.h"
#include "tests/support/TempDir.h"

namespace {

struct NamingAgent : CDiscoIPv6Agent { using CDiscoIPv6Agent::DIPv6DoNameAndIpProcessing; };

// "unique-address prefix-length name" of a record, "-" for an absent field.
std::string Outcome(const CKelRecord& record) {
  std::string out;
  for (const char* field : {"m_UniqueAddress", "m_PrefixLength", "m_Name"}) {
    char* text = record.KRValueOf(field) ? record.KRValueOf(field)->KAStrRep() : nullptr;
    out += (out.empty() ? "" : " ") + std::string(text ? text : "-");
    free(text);
  }
  return out;
}

struct NameProcessingTest : ::testing::Test {
  void SetUp() override {
    ZWSetNamesOverlay(ZWNamesOverlay::FromText(
        "198.51.100.10 r1.lab.example r1\n198.51.100.11 multi.lab.example\n198.51.100.12 multi.lab.example\n"
        "2001:db8:1::1 r1-v6.lab.example\n2001:db8:1::5 h5.lab.example\n:: unspecified.lab.example\n"));
    agent_.m_ValidAddr = &valid_;
  }
  void TearDown() override { ZWSetNamesOverlay(nullptr); }
  ScopedConfigDirs dirs_;
  CKelValidAddress valid_;
  NamingAgent agent_;
};

TEST_F(NameProcessingTest, NameProcessingLeavesTheseFields) {
  const char* full = "2001:0DB8:0002:0000:0000:0000:0000:0005";
  const struct { const char *what, *ip, *unique, *name; bool processed; std::string outcome; } rows[] = {
      {"with length, reverse name", "2001:db8:1::1/64", 0, 0, true, "2001:db8:1::1 64 r1-v6.lab.example"},
      {"no reverse name: the short form", "2001:db8:2::5", 0, 0, true, "2001:db8:2::5 128 2001:db8:2::5"},
      {"full form named by its short form", full, 0, 0, true, full + std::string(" 128 2001:db8:2::5")},
      {"IPv4 address names itself", "198.51.100.99", 0, 0, true, "198.51.100.99 128 198.51.100.99"},
      {"reverse name replaces the name", "198.51.100.10", 0, "old", true, "198.51.100.10 128 r1.lab.example"},
      {"no reverse name: the name stays", "198.51.100.99", 0, "keep", true, "198.51.100.99 128 keep"},
      {"name only: first IPv4 address, its name", 0, 0, "r1", true, "198.51.100.10 128 r1.lab.example"},
      {"two addresses: the first", 0, 0, "multi.lab.example", true, "198.51.100.11 128 multi.lab.example"},
      {"name of an IPv6 address only", 0, 0, "h5.lab.example", true, "2001:db8:1::5 128 h5.lab.example"},
      {"unknown name", 0, 0, "nosuch.lab.example", false, "- - nosuch.lab.example"},
      {"nothing", 0, 0, 0, false, "- - -"},
      {"IpAddress wins", "198.51.100.10/24", "192.0.2.1", 0, true, "198.51.100.10 24 r1.lab.example"},
      {"unique address alone", 0, "2001:db8:1::5", 0, true, "2001:db8:1::5 128 h5.lab.example"},
      // The length after the slash: three characters are read; a negative or missing one is 0.
      {"/1280", "2001:db8::1/1280", 0, 0, true, "2001:db8::1 128 2001:db8::1"},
      {"/200", "2001:db8::1/200", 0, 0, true, "2001:db8::1 200 2001:db8::1"},
      {"/-5", "2001:db8::1/-5", 0, 0, true, "2001:db8::1 0 2001:db8::1"},
      {"/ 64", "2001:db8::1/ 64", 0, 0, true, "2001:db8::1 0 2001:db8::1"},
      {"/+5", "2001:db8::1/+5", 0, 0, true, "2001:db8::1 0 2001:db8::1"},
      {"/", "2001:db8::1/", 0, 0, true, "2001:db8::1 0 2001:db8::1"},
  };
  for (const auto& row : rows) {
    CKelRecord record;
    for (auto [field, value] : {std::pair{"m_IpAddress", row.ip}, {"m_UniqueAddress", row.unique},
                                {"m_Name", row.name}}) {
      if (value) record.KRAddOrSetValue(field, value);
    }
    KelTraceCapture trace(4);
    EXPECT_EQ(agent_.DIPv6DoNameAndIpProcessing(&record), row.processed ? E_KBTrue : E_KBFalse) << row.what;
    EXPECT_EQ(Outcome(record), row.outcome) << row.what;
    EXPECT_EQ(trace.Text().rfind("\nENTER : CDiscoIPv6Agent::DIPv6DoNameAndIpProcessing()\n--", 0), 0u) << row.what;
    EXPECT_EQ(trace.Text().substr(trace.Text().size() - 54), "LEAVE : CDiscoIPv6Agent::DIPv6DoNameAndIpProcessing()\n");
  }
}

TEST_F(NameProcessingTest, AddNameSetsTheReverseNameOrElseTheAddress) {
  CKelRecord record;
  CKelAtom known("198.51.100.10"), unknown("198.51.100.99");
  agent_.DIPv6AddName(&unknown, &record);
  EXPECT_EQ(Outcome(record), "- - 198.51.100.99");
  agent_.DIPv6AddName(&known, &record);  // replaces the name
  EXPECT_EQ(Outcome(record), "- - r1.lab.example");
}

TEST_F(NameProcessingTest, TranslationOfAnAddressText) {
  // A text that does not convert for its family is looked up as the all-zero address, named here.
  const struct { const char* text; int family, result; size_t reports; const char* buffer; } rows[] = {
      {"198.51.100.10", 4, 0, 0, "r1.lab.example"}, {"2001:db8:1::9", 6, EAI_NONAME, 1, "untouched"},
      {"198.51.100.10", 6, 0, 0, "unspecified.lab.example"}, {"garbage", 6, 0, 0, "unspecified.lab.example"},
      {"", 6, 0, 0, "unspecified.lab.example"}, {"garbage", 4, EAI_NONAME, 1, "untouched"},
      {"198.51.100.10", 5, 999, 2, "untouched"},  // unknown family
  };
  for (const auto& row : rows) {
    KelErrorCapture errors;
    char buffer[129] = "untouched";
    EXPECT_EQ(agent_.GetNameInfoForWindows(row.text, buffer, row.family), row.result) << row.text;
    EXPECT_STREQ(buffer, row.buffer) << row.text;
    EXPECT_EQ(errors.Reports().size(), row.reports) << row.text;
    EXPECT_EQ(errors.Count(-220439, "address-to-name failed "), row.reports > 0) << row.text;
  }
}

TEST(TranslationLockTest, AgentsShareALockThatOutlivesThem) {
  ScopedConfigDirs dirs;
  CKelRWLock* first;
  {
    CDiscoIPv6Agent a;
    first = CDiscoIPv6Agent::m_Mutex;
    CDiscoIPv6Agent b;
  }
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(CDiscoIPv6Agent::m_Mutex, first) << "the second agent and the end of both leave it as it was";
  EXPECT_TRUE(first->KRWLWriterLock() == 0 && first->KRWLUnLock() == 0);
}

TEST(OfflineResolverTest, UnitTestsNeverReachTheSystemResolver) {
  addrinfo* list = nullptr;
  EXPECT_EQ(_ZWgetaddrinfo("localhost", nullptr, nullptr, &list), EAI_NONAME);
  sockaddr_in loopback{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
  char host[256];
  EXPECT_EQ(_ZWgetnameinfo(reinterpret_cast<sockaddr*>(&loopback), sizeof(loopback), host, sizeof(host),
                           nullptr, 0, NI_NAMEREQD), EAI_NONAME);
}

}  // namespace
