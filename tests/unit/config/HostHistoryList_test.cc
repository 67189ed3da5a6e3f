// The host history file and m_ipDataList.
#include <cstdio>
#include <string>
#include <vector>

#include "agent/CDiscoIPv6Agent.h"
#include "gtest/gtest.h"
#include "host/KelError.h"
#include "host/KelTrace.h"
#include "tests/support/TempDir.h"
#include "tests/unit/config/ConfigTestUtil.h"

namespace {

using configtest::CompareTree;
using configtest::Entries;
using configtest::TreeTexts;

const char kOne[] = "2001:0DB8:0000:0000:0000:0000:0000:0001";
const char kTwo[] = "2001:0DB8:0000:0000:0000:0000:0000:0002";

struct HistoryCase {
  const char* what;
  std::string contents;
  std::vector<std::string> expected;  // normalised addresses
};

std::string Padded(const std::string& head, size_t width, char pad) {
  std::string s = head;
  s.resize(width, pad);
  return s;
}

std::vector<HistoryCase> HistoryCases() {
  return {
      {"empty file", "", {}},
      {"one address", "2001:db8::1\n", {kOne}},
      {"short and full form are one address",
       "2001:db8::1\n2001:0DB8:0000:0000:0000:0000:0000:0001\n", {kOne}},
      {"two addresses", "2001:db8::2\n2001:db8::1\n", {kOne, kTwo}},
      {"words after the address ignored", "2001:db8::2 host-two seen 2020\n", {kTwo}},
      {"comments and invalid texts only", "# 2001:db8::1\n#2001:db8::1\nnot-an-address\n"
       "2001:db8::/64\n192.0.2.1\n\n   \n", {}},
      {"invalid lines between valid ones", "junk\n2001:db8::1\n:::\n2001:db8::2\n", {kOne, kTwo}},
      {"dotted IPv4 tail", "::ffff:192.0.2.1\n", {"0000:0000:0000:0000:0000:FFFF:C000:0201"}},
      {"blanks, tabs and CRLF", " \t2001:db8::1\t \r\n", {kOne}},
      {"no final newline", "2001:db8::1", {kOne}},
      // Runs longer than 64 characters are cut to 64 and then do not parse.
      {"over-long run", "2001:db8::1" + std::string(60, 'z') + "\n2001:db8::2\n", {kTwo}},
      // Pieces of 131 characters are parsed each as a line.
      {"second piece of a long comment", Padded("#", 131, 'x') + "2001:db8::1\n", {kOne}},
      {"address split across pieces", Padded("", 125, ' ') + "2001:db8::7777\n",
       {"00B8:0000:0000:0000:0000:0000:0000:7777"}},
  };
}

Entries SelfKeyed(const std::vector<std::string>& texts) {
  Entries entries;
  for (const std::string& t : texts) entries.push_back({t, t});
  return entries;
}

TEST(HostHistoryListTest, EntriesFollowTheFile) {
  for (const HistoryCase& c : HistoryCases()) {
    ScopedConfigDirs dirs;
    dirs.WriteHostHistory(c.contents);
    KelErrorCapture errors;
    CDiscoIPv6Agent agent;
    EXPECT_EQ(CompareTree(agent.DIPv6IpDataList(), SelfKeyed(c.expected)), "")
        << "case: " << c.what;
    // The ping driver walks the list: every address once, in key order.
    EXPECT_EQ(TreeTexts(agent.DIPv6IpDataList()), c.expected) << "case: " << c.what;
    EXPECT_TRUE(errors.Reports().empty()) << "case: " << c.what;
  }
}

TEST(HostHistoryListTest, RepeatedAddressIsTracedAtLevelThree) {
  ScopedConfigDirs dirs;
  dirs.WriteHostHistory("2001:db8::1\n2001:0DB8:0000:0000:0000:0000:0000:0001\nnot-an-address\n");
  {
    KelTraceCapture trace(3);
    CDiscoIPv6Agent agent;
    EXPECT_EQ(trace.Count(std::string("-- DIPv6BuildHistoryIpList() adding[") + kOne + "]\n"), 1)
        << trace.Text();
    EXPECT_EQ(trace.Count(std::string("-- DIPv6BuildHistoryIpList() found[") + kOne +
                          "], so ignore\n"),
              1)
        << trace.Text();
    // An invalid address is skipped without a line of its own.
    EXPECT_FALSE(trace.Contains("not-an-address")) << trace.Text();
    EXPECT_FALSE(trace.Contains("ENTER : CDiscoIPv6Agent::DIPv6BuildHistoryIpList(")) << trace.Text();
  }
  {
    KelTraceCapture trace(2);
    CDiscoIPv6Agent agent;
    EXPECT_FALSE(trace.Contains("DIPv6BuildHistoryIpList")) << trace.Text();
  }
}

TEST(HostHistoryListTest, LevelFourTracesEntryAndExit) {
  ScopedConfigDirs dirs;
  const std::string path = dirs.WriteHostHistory("2001:db8::1\n");
  CDiscoIPv6Agent agent;
  KelTraceCapture trace(4);
  EXPECT_EQ(agent.DIPv6RemoveHistoryIpList(), 1);
  EXPECT_EQ(agent.DIPv6BuildHistoryIpList(path.c_str()), 1);
  const std::string text = trace.Text();
  const size_t remove = text.find("CDiscoIPv6Agent::DIPv6RemoveHistoryIpList()\n");
  const size_t enter = text.find("\nENTER : CDiscoIPv6Agent::DIPv6BuildHistoryIpList(" + path + ")\n");
  const size_t adding = text.find(std::string("-- DIPv6BuildHistoryIpList() adding[") + kOne + "]\n");
  const size_t leave = text.find("LEAVE : CDiscoIPv6Agent::DIPv6BuildHistoryIpList()\n");
  ASSERT_NE(remove, std::string::npos) << text;
  ASSERT_NE(enter, std::string::npos) << text;
  ASSERT_NE(adding, std::string::npos) << text;
  ASSERT_NE(leave, std::string::npos) << text;
  EXPECT_LT(remove, enter);
  EXPECT_LT(enter, adding);
  EXPECT_LT(adding, leave);
  EXPECT_EQ(CompareTree(agent.DIPv6IpDataList(), {{kOne, kOne}}), "");
}

TEST(HostHistoryListTest, MissingFileLeavesTheListNullAndSaysSo) {
  ScopedConfigDirs dirs;
  const std::string path = dirs.Var() + "/databases/tovra/IPv6hosts.qar";
  KelTraceCapture trace(2);
  KelErrorCapture errors;
  CDiscoIPv6Agent agent;
  EXPECT_EQ(agent.DIPv6IpDataList(), nullptr);
  EXPECT_EQ(trace.Count("-- DIPv6BuildHistoryIpList() cannot open " + path + "\n"), 1)
      << trace.Text();
  EXPECT_EQ(agent.DIPv6BuildHistoryIpList(nullptr), 1);
  EXPECT_EQ(agent.DIPv6IpDataList(), nullptr);
  EXPECT_TRUE(errors.Reports().empty());
}

TEST(HostHistoryListTest, RemoveEmptiesTheListAndMayBeRepeated) {
  ScopedConfigDirs dirs;
  dirs.WriteHostHistory("2001:db8::1\n2001:db8::2\n");
  CDiscoIPv6Agent agent;
  ASSERT_NE(agent.DIPv6IpDataList(), nullptr);
  EXPECT_EQ(agent.DIPv6RemoveHistoryIpList(), 1);
  EXPECT_EQ(agent.DIPv6IpDataList(), nullptr);
  EXPECT_EQ(agent.DIPv6RemoveHistoryIpList(), 1);
  EXPECT_EQ(agent.DIPv6IpDataList(), nullptr);
}

TEST(HostHistoryListTest, ManyAddressesAllLoadOnceEach) {
  ScopedConfigDirs dirs;
  std::string contents;
  std::vector<std::string> expected;
  char text[64];
  for (int i = 0; i < 2000; ++i) {
    snprintf(text, sizeof text, "2001:db8::%x\n", i);
    contents += text;
    snprintf(text, sizeof text, "2001:0DB8:0000:0000:0000:0000:0000:%04X", i);
    expected.push_back(text);
  }
  contents += contents;  // every address a second time
  dirs.WriteHostHistory(contents);
  KelTraceCapture trace(3);
  CDiscoIPv6Agent agent;
  EXPECT_EQ(TreeTexts(agent.DIPv6IpDataList()), expected);
  EXPECT_EQ(trace.Count("-- DIPv6BuildHistoryIpList() found["), 2000);
}

}  // namespace
