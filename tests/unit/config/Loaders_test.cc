// The three configuration files, each read on its own: what is loaded, what
// is skipped, and the trace lines.
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
using configtest::InOrder;
using configtest::Padded;
using configtest::TreeTexts;

const char kDb8[] = "2001:0DB8:0000:0000:0000:0000:0000:0000";
const char kOne[] = "2001:0DB8:0000:0000:0000:0000:0000:0001";
const char kTwo[] = "2001:0DB8:0000:0000:0000:0000:0000:0002";
const char kLab[] = "2001:0DB8:0001:0000:0000:0000:0000:0000";
const char kZero[] = "0000:0000:0000:0000:0000:0000:0000:0000";
const char kMapped[] = "0000:0000:0000:0000:0000:FFFF:C000:0201";

TEST(LoadersTest, AutoDiscoverySwitchFollowsTheFile) {
  struct Case { const char* what; std::string contents; int expected; };
  const Case cases[] = {
      {"empty file", "", 1},
      {"off", "AutoDiscovery 0\n", 0},
      {"last line wins, any non-zero is on", "AutoDiscovery 0\nAutoDiscovery -1\n", 1},
      {"last line wins (off)", "AutoDiscovery 5\nAutoDiscovery 0\n", 0},
      {"comments", "#AutoDiscovery 0\n# AutoDiscovery 0\n", 1},
      {"word instead of number", "AutoDiscovery off\n", 1},
      {"ignored line keeps earlier value", "AutoDiscovery 0\nAutoDiscovery off\n", 0},
      {"name and value on separate lines", "AutoDiscovery\n0\n", 1},
      {"name is not interpreted", "Anything 0\n", 0},
      {"blanks, tabs and trailing words", "  AutoDiscovery\t0  trailing words\n", 0},
      {"digits followed by letters", "AutoDiscovery 0abc\n", 0},
      {"blank and comment lines around", "\n   \n# comment\nAutoDiscovery 0\n\n", 0},
      {"no final newline", "AutoDiscovery 0", 0},
      {"CRLF line ends", "AutoDiscovery 0\r\n", 0},
      {"beyond the int range is not zero", "AutoDiscovery 4294967296\n", 1},
      {"minus zero is zero", "AutoDiscovery -0\n", 0},
      // Names are cut to 80 characters; the rest never becomes the value.
      {"long name, digit at 81", std::string(80, 'A') + "0 1\n", 1},
      {"long name, value off", std::string(100, 'A') + " 0\n", 0},
      // Lines come in pieces of 131 characters, each parsed on its own.
      {"value in second piece", Padded("AutoDiscovery", 131, ' ') + "0\n", 1},
      {"second piece of a long comment", Padded("#", 131, 'x') + "AutoDiscovery 0\n", 0},
      {"line of exactly 131 characters", Padded("AutoDiscovery 0", 131, ' ') + "\n", 0},
  };
  for (const Case& c : cases) {
    ScopedConfigDirs dirs;
    dirs.WriteConfig(c.contents);
    KelErrorCapture errors;
    CDiscoIPv6Agent agent;
    EXPECT_EQ(agent.DIPv6AutoDiscovery(), c.expected) << "case: " << c.what;
    EXPECT_TRUE(errors.Reports().empty()) << "case: " << c.what;
  }
}

TEST(LoadersTest, PrefixNamesFollowTheFile) {
  struct Case { const char* what; std::string contents; Entries expected; };
  const Case cases[] = {
      {"empty file", "", {}},
      {"prefix with length", "2001:db8:1::/48 Lab\n", {{kLab, "Lab"}}},
      {"address without length", "2001:db8::1 Host\n", {{kOne, "Host"}}},
      {"first of two equal prefixes wins", "2001:db8::/32 First\n2001:db8::1/64 Second\n",
       {{kDb8, "First"}}},
      {"distinct prefixes", "2001:db8::/32 Net\n2001:db8:1::/48 Lab\n", {{kDb8, "Net"}, {kLab, "Lab"}}},
      {"no name, no address, empty address, comments",
       "2001:db8:1::/48\nnot-an-address Lab\n/64 Nothing\n# 2001:db8::/32 A\n#2001:db8::/32 B\n", {}},
      {"bits beyond the length cleared", "2001:db8:1234:5678::1/52 Net52\n",
       {{"2001:0DB8:1234:5000:0000:0000:0000:0000", "Net52"}}},
      {"length from three characters only", "2001:db8::1/1281 Whole\n", {{kOne, "Whole"}}},
      {"length beyond 128 keeps the address", "2001:db8::1/200 Whole\n", {{kOne, "Whole"}}},
      {"slash without digits is length 0", "2001:db8::1/ Zero\n", {{kZero, "Zero"}}},
      {"slash and letters is length 0", "2001:db8::1/x64 Zero\n", {{kZero, "Zero"}}},
      {"length stops at the first non-digit", "2001:db8::/32/48 Double\n", {{kDb8, "Double"}}},
      {"negative length skips only its line", "2001:db8::/-5 Neg\n2001:db8::/32 Pos\n", {{kDb8, "Pos"}}},
      {"blanks, tabs, CRLF, extra words", "  2001:db8:1::/48\t\tLab  more\r\n", {{kLab, "Lab"}}},
      {"full upper-case form", "2001:DB8:1:0:0:0:0:0/48 Upper\n", {{kLab, "Upper"}}},
      {"dotted IPv4 tail", "::ffff:192.0.2.1 Mapped\n", {{kMapped, "Mapped"}}},
      {"no final newline", "2001:db8:1::/48 Lab", {{kLab, "Lab"}}},
      // Over-long runs are cut to their fields (80 for a name, 50 for a
      // prefix run); the cut-off rest never becomes the next run.
      {"name cut to 80", "2001:db8::/32 " + std::string(100, 'N') + "\n", {{kDb8, std::string(80, 'N')}}},
      {"prefix run cut to 50", "2001:0db8:0001:0000:0000:0000:0000:0000/04800000000000000 Lab\n",
       {{kLab, "Lab"}}},
      {"over-long address run", "0000:0000:0000:0000:0000:0000:0000:0000:0000:0000:0000:0001 L\n", {}},
      {"name in the second piece", Padded("2001:db8:1::/48", 131, ' ') + "Lab\n", {}},
      {"second piece of a long comment", Padded("#", 131, 'x') + "2001:db8:1::/48 Lab\n",
       {{kLab, "Lab"}}},
  };
  for (const Case& c : cases) {
    ScopedConfigDirs dirs;
    dirs.WritePrefixNames(c.contents);
    KelErrorCapture errors;
    CDiscoIPv6Agent agent;
    EXPECT_EQ(CompareTree(agent.DIPv6PfxDataList(), c.expected), "") << "case: " << c.what;
    EXPECT_TRUE(errors.Reports().empty()) << "case: " << c.what;
  }
}

TEST(LoadersTest, HostHistoryFollowsTheFile) {
  struct Case { const char* what; std::string contents; std::vector<std::string> expected; };
  const Case cases[] = {
      {"empty file", "", {}},
      {"short and full form are one address, first wins",
       "2001:db8::1\n2001:0DB8:0000:0000:0000:0000:0000:0001\n", {kOne}},
      {"key order, words after the address ignored", "2001:db8::2 host-two 2020\n2001:db8::1\n",
       {kOne, kTwo}},
      {"comments and invalid texts only",
       "# 2001:db8::1\n#2001:db8::1\nnot-an-address\n2001:db8::/64\n192.0.2.1\n\n   \n", {}},
      {"invalid lines between valid ones", "junk\n2001:db8::1\n:::\n2001:db8::2\n", {kOne, kTwo}},
      {"dotted IPv4 tail", "::ffff:192.0.2.1\n", {kMapped}},
      {"blanks, tabs and CRLF", " \t2001:db8::1\t \r\n", {kOne}},
      {"no final newline", "2001:db8::1", {kOne}},
      // Runs longer than 64 characters are cut to 64 and then do not parse.
      {"over-long run", "2001:db8::1" + std::string(60, 'z') + "\n2001:db8::2\n", {kTwo}},
      {"second piece of a long comment", Padded("#", 131, 'x') + "2001:db8::1\n", {kOne}},
      {"address split across pieces", Padded("", 125, ' ') + "2001:db8::7777\n",
       {"00B8:0000:0000:0000:0000:0000:0000:7777"}},
  };
  for (const Case& c : cases) {
    ScopedConfigDirs dirs;
    dirs.WriteHostHistory(c.contents);
    KelErrorCapture errors;
    CDiscoIPv6Agent agent;
    Entries selfKeyed;
    for (const std::string& t : c.expected) selfKeyed.push_back({t, t});
    EXPECT_EQ(CompareTree(agent.DIPv6IpDataList(), selfKeyed), "") << "case: " << c.what;
    // The ping driver walks the list: every address once, in key order.
    EXPECT_EQ(TreeTexts(agent.DIPv6IpDataList()), c.expected) << "case: " << c.what;
    EXPECT_TRUE(errors.Reports().empty()) << "case: " << c.what;
  }
}

TEST(LoadersTest, RepeatsAreTracedAtLevelThreeOnly) {
  ScopedConfigDirs dirs;
  dirs.WritePrefixNames("2001:db8::/32 First\n2001:db8::/48 Second\n");
  dirs.WriteHostHistory("2001:db8::1\n2001:0DB8:0000:0000:0000:0000:0000:0001\nnot-an-address\n");
  {
    KelTraceCapture trace(3);
    CDiscoIPv6Agent agent;
    const std::string db8(kDb8), one(kOne);
    EXPECT_EQ(trace.Count("-- DIPv6BuildPfxNameList() adding First[" + db8 + "]\n"), 1) << trace.Text();
    EXPECT_EQ(trace.Count("-- DIPv6BuildPfxNameList() found Second[" + db8 + "] so ingore\n"), 1);
    EXPECT_EQ(trace.Count("-- DIPv6BuildPfxNameList() adding "), 1);
    EXPECT_EQ(trace.Count("-- DIPv6BuildHistoryIpList() adding[" + one + "]\n"), 1) << trace.Text();
    EXPECT_EQ(trace.Count("-- DIPv6BuildHistoryIpList() found[" + one + "], so ignore\n"), 1);
    EXPECT_FALSE(trace.Contains("not-an-address")) << trace.Text();  // skipped without a line
    EXPECT_FALSE(trace.Contains("ENTER : ")) << trace.Text();
  }
  KelTraceCapture trace(2);
  CDiscoIPv6Agent agent;
  EXPECT_FALSE(trace.Contains("DIPv6Build")) << trace.Text();
}

TEST(LoadersTest, EveryConfigLoadStartsOver) {
  ScopedConfigDirs dirs;
  dirs.WriteConfig("AutoDiscovery 0\n");
  CDiscoIPv6Agent agent;
  ASSERT_EQ(agent.DIPv6AutoDiscovery(), 0);
  const std::string missing = dirs.Etc() + "/no-such-file.conf";
  KelTraceCapture trace(4);
  EXPECT_EQ(agent.DIPv6LoadConfig(missing.c_str()), 1);
  EXPECT_EQ(agent.DIPv6AutoDiscovery(), 1);  // a missing file turns the switch back on
  EXPECT_EQ(InOrder(trace.Text(), {"\nENTER : CDiscoIPv6Agent::DIPv6LoadConfig(" + missing + ")\n",
                                   "-- DIPv6LoadConfig() cannot open " + missing + "\n",
                                   "-- DIPv6LoadConfig() set AutoDiscovery TRUE\n",
                                   "LEAVE : CDiscoIPv6Agent::DIPv6LoadConfig()\n"}),
            "");
}

TEST(LoadersTest, RemoveEmptiesTheListsAndMayBeRepeated) {
  ScopedConfigDirs dirs;
  dirs.WritePrefixNames("2001:db8::/32 Net\n2001:db8:1::/48 Lab\n");
  dirs.WriteHostHistory("2001:db8::1\n2001:db8::2\n");
  CDiscoIPv6Agent agent;
  ASSERT_NE(agent.DIPv6PfxDataList(), nullptr);
  ASSERT_NE(agent.DIPv6IpDataList(), nullptr);
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(agent.DIPv6RemovePfxNameList(), 1);
    EXPECT_EQ(agent.DIPv6RemoveHistoryIpList(), 1);
    EXPECT_EQ(agent.DIPv6PfxDataList(), nullptr);
    EXPECT_EQ(agent.DIPv6IpDataList(), nullptr);
  }
}

TEST(LoadersTest, ASecondPrefixLoadAddsOnlyNewPrefixes) {
  ScopedConfigDirs dirs;
  dirs.WritePrefixNames("2001:db8::/32 Net\n");
  CDiscoIPv6Agent agent;
  TempDir scratch;
  const std::string path = scratch.WriteFile("more.conf", "2001:db8::/32 Other\n2001:db8:1::/48 Lab\n");
  KelTraceCapture trace(3);
  EXPECT_EQ(agent.DIPv6BuildPfxNameList(path.c_str()), 1);
  EXPECT_EQ(CompareTree(agent.DIPv6PfxDataList(), {{kDb8, "Net"}, {kLab, "Lab"}}), "");
  EXPECT_EQ(trace.Count("-- DIPv6BuildPfxNameList() found Other["), 1) << trace.Text();
}

}  // namespace
