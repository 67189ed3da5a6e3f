// The agent configuration file and the automatic-discovery switch.
#include <string>
#include <vector>

#include "agent/CDiscoIPv6Agent.h"
#include "gtest/gtest.h"
#include "host/KelError.h"
#include "host/KelTrace.h"
#include "tests/support/TempDir.h"

namespace {

struct SwitchCase {
  const char* what;
  std::string contents;
  int expected;
};

std::string Padded(const std::string& head, size_t width, char pad) {
  std::string s = head;
  s.resize(width, pad);
  return s;
}

std::vector<SwitchCase> SwitchCases() {
  return {
      {"empty file", "", 1},
      {"off", "AutoDiscovery 0\n", 0},
      {"five counts as on", "AutoDiscovery 5\n", 1},
      {"minus one counts as on", "AutoDiscovery -1\n", 1},
      {"last line wins (on)", "AutoDiscovery 0\nAutoDiscovery 1\n", 1},
      {"last line wins (off)", "AutoDiscovery 1\nAutoDiscovery 0\n", 0},
      {"commented setting", "#AutoDiscovery 0\n", 1},
      {"comment word first", "# AutoDiscovery 0\n", 1},
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
      // Names longer than 80 characters are cut; the rest of the name never
      // becomes the value.
      {"long name, digit at 81", std::string(80, 'A') + "0 1\n", 1},
      {"long name, value off", std::string(100, 'A') + " 0\n", 0},
      // Lines come in pieces of 131 characters, each parsed on its own.
      {"value in second piece of a long line", Padded("AutoDiscovery", 131, ' ') + "0\n", 1},
      {"second piece of a long comment is a line",
       Padded("#", 131, 'x') + "AutoDiscovery 0\n", 0},
      {"line of exactly 131 characters", Padded("AutoDiscovery 0", 131, ' ') + "\n", 0},
  };
}

TEST(AgentConfigTest, SwitchFollowsTheFile) {
  for (const SwitchCase& c : SwitchCases()) {
    ScopedConfigDirs dirs;
    dirs.WriteConfig(c.contents);
    KelErrorCapture errors;
    CDiscoIPv6Agent agent;
    EXPECT_EQ(agent.DIPv6AutoDiscovery(), c.expected) << "case: " << c.what;
    EXPECT_TRUE(errors.Reports().empty()) << "case: " << c.what;
  }
}

TEST(AgentConfigTest, MissingFileLeavesTheSwitchOnAndSaysSo) {
  ScopedConfigDirs dirs;
  const std::string path = dirs.Etc() + "/conf/tovra/IPv6.conf";
  KelTraceCapture trace(2);
  KelErrorCapture errors;
  CDiscoIPv6Agent agent;
  EXPECT_EQ(agent.DIPv6AutoDiscovery(), 1);
  EXPECT_EQ(trace.Count("-- DIPv6LoadConfig() cannot open " + path + "\n"), 1) << trace.Text();
  // Level-4 lines stay out at level 2.
  EXPECT_FALSE(trace.Contains("ENTER : CDiscoIPv6Agent::DIPv6LoadConfig(")) << trace.Text();
  EXPECT_FALSE(trace.Contains("set AutoDiscovery")) << trace.Text();
  EXPECT_TRUE(errors.Reports().empty());
}

TEST(AgentConfigTest, NothingIsTracedBelowLevelTwo) {
  ScopedConfigDirs dirs;
  KelTraceCapture trace(1);
  CDiscoIPv6Agent agent;
  EXPECT_FALSE(trace.Contains("DIPv6LoadConfig")) << trace.Text();
}

TEST(AgentConfigTest, LevelFourTracesEntryDecisionAndExit) {
  ScopedConfigDirs dirs;
  const std::string path = dirs.WriteConfig("AutoDiscovery 0\n");
  CDiscoIPv6Agent agent;
  {
    KelTraceCapture trace(4);
    EXPECT_EQ(agent.DIPv6LoadConfig(path.c_str()), 1);
    const std::string text = trace.Text();
    const size_t enter = text.find("\nENTER : CDiscoIPv6Agent::DIPv6LoadConfig(" + path + ")\n");
    const size_t decision = text.find("-- DIPv6LoadConfig() set AutoDiscovery FALSE\n");
    const size_t leave = text.find("LEAVE : CDiscoIPv6Agent::DIPv6LoadConfig()\n");
    ASSERT_NE(enter, std::string::npos) << text;
    ASSERT_NE(decision, std::string::npos) << text;
    ASSERT_NE(leave, std::string::npos) << text;
    EXPECT_LT(enter, decision);
    EXPECT_LT(decision, leave);
    EXPECT_FALSE(trace.Contains("cannot open")) << text;
  }
  EXPECT_EQ(agent.DIPv6AutoDiscovery(), 0);
  {
    KelTraceCapture trace(4);
    const std::string missing = dirs.Etc() + "/no-such-file.conf";
    EXPECT_EQ(agent.DIPv6LoadConfig(missing.c_str()), 1);
    EXPECT_TRUE(trace.Contains("-- DIPv6LoadConfig() set AutoDiscovery TRUE\n")) << trace.Text();
    EXPECT_TRUE(trace.Contains("-- DIPv6LoadConfig() cannot open " + missing + "\n"));
  }
  // Every load starts over: a missing file turns the switch back on.
  EXPECT_EQ(agent.DIPv6AutoDiscovery(), 1);
}

TEST(AgentConfigTest, NullFileNameCountsAsUnreadable) {
  ScopedConfigDirs dirs;
  dirs.WriteConfig("AutoDiscovery 0\n");
  CDiscoIPv6Agent agent;
  ASSERT_EQ(agent.DIPv6AutoDiscovery(), 0);
  KelTraceCapture trace(2);
  EXPECT_EQ(agent.DIPv6LoadConfig(nullptr), 1);
  EXPECT_EQ(agent.DIPv6AutoDiscovery(), 1);
  EXPECT_TRUE(trace.Contains("-- DIPv6LoadConfig() cannot open")) << trace.Text();
}

}  // namespace
