// The prefix name file and m_pfxDataList.
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

const char kDb8[] = "2001:0DB8:0000:0000:0000:0000:0000:0000";
const char kDb8One[] = "2001:0DB8:0000:0000:0000:0000:0000:0001";
const char kDb8Lab[] = "2001:0DB8:0001:0000:0000:0000:0000:0000";
const char kZero[] = "0000:0000:0000:0000:0000:0000:0000:0000";

struct PrefixCase {
  const char* what;
  std::string contents;
  Entries expected;
};

std::string Padded(const std::string& head, size_t width, char pad) {
  std::string s = head;
  s.resize(width, pad);
  return s;
}

std::vector<PrefixCase> PrefixCases() {
  return {
      {"empty file", "", {}},
      {"prefix with length", "2001:db8:1::/48 Lab\n", {{kDb8Lab, "Lab"}}},
      {"address without length names the address", "2001:db8::1 Host\n", {{kDb8One, "Host"}}},
      {"first of two equal prefixes wins", "2001:db8::/32 First\n2001:db8::/48 Second\n",
       {{kDb8, "First"}}},
      {"addresses on one /64 share a key", "2001:db8::1/64 A\n2001:db8::2/64 B\n",
       {{kDb8, "A"}}},
      {"distinct prefixes", "2001:db8::/32 Net\n2001:db8:1::/48 Lab\n",
       {{kDb8, "Net"}, {kDb8Lab, "Lab"}}},
      {"prefix without a name", "2001:db8:1::/48\n", {}},
      {"not an address", "not-an-address Lab\n", {}},
      {"empty address", "/64 Nothing\n", {}},
      {"comments", "# 2001:db8::/32 Lab\n#2001:db8::/32 Lab\n", {}},
      {"bits beyond the length cleared", "2001:db8:1234:5678::1/52 Net52\n",
       {{"2001:0DB8:1234:5000:0000:0000:0000:0000", "Net52"}}},
      {"length from three characters only", "2001:db8::1/1281 Whole\n", {{kDb8One, "Whole"}}},
      {"length beyond 128 keeps the address", "2001:db8::1/200 Whole\n", {{kDb8One, "Whole"}}},
      {"slash without digits is length 0", "2001:db8::1/ Zero\n", {{kZero, "Zero"}}},
      {"slash and letters is length 0", "2001:db8::1/x64 Zero\n", {{kZero, "Zero"}}},
      {"length stops at the first non-digit", "2001:db8::/32/48 Double\n", {{kDb8, "Double"}}},
      {"negative length skips the line", "2001:db8::/-5 Neg\n", {}},
      {"line after a negative length still loads", "2001:db8::/-5 Neg\n2001:db8::/32 Pos\n",
       {{kDb8, "Pos"}}},
      {"words after the name ignored", "2001:db8:1::/48 Lab extra words\n", {{kDb8Lab, "Lab"}}},
      {"blanks and tabs", "  2001:db8:1::/48\t\tLab  \r\n", {{kDb8Lab, "Lab"}}},
      {"full upper-case form", "2001:DB8:1:0:0:0:0:0/48 Upper\n", {{kDb8Lab, "Upper"}}},
      {"dotted IPv4 tail", "::ffff:192.0.2.1 Mapped\n",
       {{"0000:0000:0000:0000:0000:FFFF:C000:0201", "Mapped"}}},
      {"no final newline", "2001:db8:1::/48 Lab", {{kDb8Lab, "Lab"}}},
      // Over-long runs are cut to their fields (80 for a name, 50 for a
      // prefix run); the cut-off rest never becomes the next run.
      {"name cut to 80", "2001:db8::/32 " + std::string(100, 'N') + "\n",
       {{kDb8, std::string(80, 'N')}}},
      {"prefix run cut to 50",
       "2001:0db8:0001:0000:0000:0000:0000:0000/04800000000000000 Lab\n", {{kDb8Lab, "Lab"}}},
      {"over-long address run",
       "0000:0000:0000:0000:0000:0000:0000:0000:0000:0000:0000:0001 Long\n", {}},
      // Pieces of 131 characters are parsed each as a line.
      {"name in the second piece", Padded("2001:db8:1::/48", 131, ' ') + "Lab\n", {}},
      {"second piece of a long comment",
       Padded("#", 131, 'x') + "2001:db8:1::/48 Lab\n", {{kDb8Lab, "Lab"}}},
  };
}

TEST(PrefixNameListTest, EntriesFollowTheFile) {
  for (const PrefixCase& c : PrefixCases()) {
    ScopedConfigDirs dirs;
    dirs.WritePrefixNames(c.contents);
    KelErrorCapture errors;
    CDiscoIPv6Agent agent;
    EXPECT_EQ(CompareTree(agent.DIPv6PfxDataList(), c.expected), "") << "case: " << c.what;
    EXPECT_TRUE(errors.Reports().empty()) << "case: " << c.what;
  }
}

TEST(PrefixNameListTest, RepeatedPrefixIsTracedAtLevelThree) {
  ScopedConfigDirs dirs;
  dirs.WritePrefixNames("2001:db8::/32 First\n2001:db8::/48 Second\n");
  {
    KelTraceCapture trace(3);
    CDiscoIPv6Agent agent;
    EXPECT_EQ(trace.Count(std::string("-- DIPv6BuildPfxNameList() adding First[") + kDb8 + "]\n"),
              1)
        << trace.Text();
    EXPECT_EQ(trace.Count(std::string("-- DIPv6BuildPfxNameList() found Second[") + kDb8 +
                          "] so ingore\n"),
              1)
        << trace.Text();
    EXPECT_EQ(trace.Count("-- DIPv6BuildPfxNameList() adding "), 1) << trace.Text();
    EXPECT_FALSE(trace.Contains("ENTER : CDiscoIPv6Agent::DIPv6BuildPfxNameList(")) << trace.Text();
  }
  {
    KelTraceCapture trace(2);
    CDiscoIPv6Agent agent;
    EXPECT_FALSE(trace.Contains("DIPv6BuildPfxNameList")) << trace.Text();
  }
}

TEST(PrefixNameListTest, LevelFourTracesEntryAndExit) {
  ScopedConfigDirs dirs;
  const std::string path = dirs.WritePrefixNames("2001:db8:1::/48 Lab\n");
  CDiscoIPv6Agent agent;
  KelTraceCapture trace(4);
  EXPECT_EQ(agent.DIPv6RemovePfxNameList(), 1);
  EXPECT_EQ(agent.DIPv6BuildPfxNameList(path.c_str()), 1);
  const std::string text = trace.Text();
  const size_t enter = text.find("\nENTER : CDiscoIPv6Agent::DIPv6BuildPfxNameList(" + path + ")\n");
  const size_t adding = text.find(std::string("-- DIPv6BuildPfxNameList() adding Lab[") + kDb8Lab);
  const size_t leave = text.find("LEAVE : CDiscoIPv6Agent::DIPv6BuildPfxNameList()\n");
  ASSERT_NE(enter, std::string::npos) << text;
  ASSERT_NE(adding, std::string::npos) << text;
  ASSERT_NE(leave, std::string::npos) << text;
  EXPECT_LT(enter, adding);
  EXPECT_LT(adding, leave);
  EXPECT_TRUE(trace.Contains("\nENTER : CDiscoIPv6Agent::DIPv6RemovePfxNameList()\n"));
  EXPECT_TRUE(trace.Contains("LEAVE : CDiscoIPv6Agent::DIPv6RemovePfxNameList()\n"));
}

TEST(PrefixNameListTest, MissingFileLeavesTheListNullAndSaysSo) {
  ScopedConfigDirs dirs;
  const std::string path = dirs.Etc() + "/conf/tovra/IPv6Prefix.conf";
  KelTraceCapture trace(2);
  KelErrorCapture errors;
  CDiscoIPv6Agent agent;
  EXPECT_EQ(agent.DIPv6PfxDataList(), nullptr);
  EXPECT_EQ(trace.Count("-- DIPv6BuildPfxNameList() cannot open " + path + "\n"), 1)
      << trace.Text();
  EXPECT_EQ(agent.DIPv6BuildPfxNameList(path.c_str()), 1);
  EXPECT_EQ(agent.DIPv6BuildPfxNameList(nullptr), 1);
  EXPECT_EQ(agent.DIPv6PfxDataList(), nullptr);
  EXPECT_TRUE(errors.Reports().empty());
}

TEST(PrefixNameListTest, RemoveEmptiesTheListAndMayBeRepeated) {
  ScopedConfigDirs dirs;
  dirs.WritePrefixNames("2001:db8::/32 Net\n2001:db8:1::/48 Lab\n");
  CDiscoIPv6Agent agent;
  ASSERT_NE(agent.DIPv6PfxDataList(), nullptr);
  EXPECT_EQ(agent.DIPv6RemovePfxNameList(), 1);
  EXPECT_EQ(agent.DIPv6PfxDataList(), nullptr);
  EXPECT_EQ(agent.DIPv6RemovePfxNameList(), 1);
  EXPECT_EQ(agent.DIPv6PfxDataList(), nullptr);
}

TEST(PrefixNameListTest, ASecondLoadAddsOnlyNewPrefixes) {
  ScopedConfigDirs dirs;
  dirs.WritePrefixNames("2001:db8::/32 Net\n");
  CDiscoIPv6Agent agent;
  TempDir scratch;
  const std::string path = scratch.WriteFile("more.conf", "2001:db8::/32 Other\n2001:db8:1::/48 Lab\n");
  KelTraceCapture trace(3);
  EXPECT_EQ(agent.DIPv6BuildPfxNameList(path.c_str()), 1);
  EXPECT_EQ(CompareTree(agent.DIPv6PfxDataList(), {{kDb8, "Net"}, {kDb8Lab, "Lab"}}), "");
  EXPECT_EQ(trace.Count("-- DIPv6BuildPfxNameList() found Other["), 1) << trace.Text();
}

TEST(PrefixNameListTest, ManyPrefixesAllLoad) {
  ScopedConfigDirs dirs;
  std::string contents;
  Entries expected;
  char run[64], key[64];
  for (int i = 0; i < 500; ++i) {
    snprintf(run, sizeof run, "2001:db8:%x::/48", i);
    snprintf(key, sizeof key, "2001:0DB8:%04X:0000:0000:0000:0000:0000", i);
    contents += std::string(run) + " Net" + std::to_string(i) + "\n";
    expected.push_back({key, "Net" + std::to_string(i)});
  }
  dirs.WritePrefixNames(contents);
  CDiscoIPv6Agent agent;
  EXPECT_EQ(CompareTree(agent.DIPv6PfxDataList(), expected), "");
}

}  // namespace
