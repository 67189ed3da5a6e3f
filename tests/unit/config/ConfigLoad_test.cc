// The constructor loads the three files from ZW_ETC_PATH and ZW_VAR_PATH,
// and the destructor releases the lists.
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "agent/AgentIPv6Factory.h"
#include "agent/CDiscoIPv6Agent.h"
#include "gtest/gtest.h"
#include "host/KelError.h"
#include "host/KelTrace.h"
#include "tests/support/TempDir.h"
#include "tests/unit/config/ConfigTestUtil.h"

namespace {

using configtest::CompareTree;
using configtest::InOrder;

const char kLab[] = "2001:0DB8:0001:0000:0000:0000:0000:0000";
const char kHost[] = "2001:0DB8:0001:0000:0000:0000:0000:0005";

void WriteAll(const ScopedConfigDirs& dirs) {
  dirs.WriteConfig("# automatic discovery of remote neighbours\nAutoDiscovery 0\n");
  dirs.WritePrefixNames("# prefix name\n2001:db8:1::/48 Lab\n");
  dirs.WriteHostHistory("# hosts\n2001:db8:1::5\n");
}

TEST(ConfigLoadTest, AgentLoadsAllThreeFilesAndTheDestructorReleasesThem) {
  ScopedConfigDirs dirs;
  WriteAll(dirs);
  KelErrorCapture errors;
  KelTraceCapture trace(4);
  std::unique_ptr<CDiscoAgent> base(DAInstantiate());  // as the engine makes it
  auto* agent = dynamic_cast<CDiscoIPv6Agent*>(base.get());
  ASSERT_NE(agent, nullptr);
  EXPECT_EQ(agent->DIPv6AutoDiscovery(), 0);
  EXPECT_EQ(CompareTree(agent->DIPv6PfxDataList(), {{kLab, "Lab"}}), "");
  EXPECT_EQ(CompareTree(agent->DIPv6IpDataList(), {{kHost, kHost}}), "");
  base.reset();  // the virtual destructor releases both lists (leaks show under the sanitizer)
  // Level 4 traces each loader's entry, decisions and exit, in this order.
  EXPECT_EQ(InOrder(trace.Text(),
                    {"\nENTER : CDiscoIPv6Agent::DIPv6BuildPfxNameList(" + dirs.Etc() +
                         "/conf/tovra/IPv6Prefix.conf)\n",
                     "-- DIPv6BuildPfxNameList() adding Lab[" + std::string(kLab) + "]\n",
                     "LEAVE : CDiscoIPv6Agent::DIPv6BuildPfxNameList()\n",
                     "\nENTER : CDiscoIPv6Agent::DIPv6BuildHistoryIpList(" + dirs.Var() +
                         "/databases/tovra/IPv6hosts.qar)\n",
                     "-- DIPv6BuildHistoryIpList() adding[" + std::string(kHost) + "]\n",
                     "LEAVE : CDiscoIPv6Agent::DIPv6BuildHistoryIpList()\n",
                     "\nENTER : CDiscoIPv6Agent::DIPv6LoadConfig(" + dirs.Etc() + "/conf/tovra/IPv6.conf)\n",
                     "-- DIPv6LoadConfig() set AutoDiscovery FALSE\n",
                     "LEAVE : CDiscoIPv6Agent::DIPv6LoadConfig()\n",
                     "\nENTER : CDiscoIPv6Agent::DIPv6RemovePfxNameList()\n",
                     "LEAVE : CDiscoIPv6Agent::DIPv6RemovePfxNameList()\n",
                     "CDiscoIPv6Agent::DIPv6RemoveHistoryIpList()\n"}),
            "");
  EXPECT_FALSE(trace.Contains("cannot open")) << trace.Text();
  EXPECT_TRUE(errors.Reports().empty());
}

TEST(ConfigLoadTest, MissingFilesAreTracedAtLevelTwoAndLeaveTheDefaults) {
  ScopedConfigDirs dirs;
  // Files under the wrong folder are not looked at.
  for (const std::string& path : {dirs.Var() + "/conf/tovra/IPv6.conf",
                                  dirs.Var() + "/conf/tovra/IPv6Prefix.conf",
                                  dirs.Etc() + "/databases/tovra/IPv6hosts.qar"}) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path) << "AutoDiscovery 0\n2001:db8:1::/48 Lab\n2001:db8:1::5\n";
  }
  KelErrorCapture errors;
  {
    KelTraceCapture trace(1);
    CDiscoIPv6Agent agent;
    EXPECT_EQ(trace.Text(), "");
  }
  KelTraceCapture trace(2);
  CDiscoIPv6Agent agent;
  EXPECT_EQ(agent.DIPv6AutoDiscovery(), 1);
  EXPECT_EQ(agent.DIPv6PfxDataList(), nullptr);
  EXPECT_EQ(agent.DIPv6IpDataList(), nullptr);
  for (const std::string& line :
       {"-- DIPv6BuildPfxNameList() cannot open " + dirs.Etc() + "/conf/tovra/IPv6Prefix.conf\n",
        "-- DIPv6BuildHistoryIpList() cannot open " + dirs.Var() + "/databases/tovra/IPv6hosts.qar\n",
        "-- DIPv6LoadConfig() cannot open " + dirs.Etc() + "/conf/tovra/IPv6.conf\n"}) {
    EXPECT_EQ(trace.Count(line), 1) << line << trace.Text();
  }
  EXPECT_FALSE(trace.Contains("ENTER : ")) << trace.Text();  // level-4 lines stay out
  EXPECT_FALSE(trace.Contains("set AutoDiscovery")) << trace.Text();

  // A null file name counts as unreadable, and a switch turned off goes back on.
  EXPECT_EQ(agent.DIPv6LoadConfig(dirs.WriteConfig("AutoDiscovery 0\n").c_str()), 1);
  ASSERT_EQ(agent.DIPv6AutoDiscovery(), 0);
  trace.Clear();
  EXPECT_EQ(agent.DIPv6LoadConfig(nullptr), 1);
  EXPECT_EQ(agent.DIPv6BuildPfxNameList(nullptr), 1);
  EXPECT_EQ(agent.DIPv6BuildHistoryIpList(nullptr), 1);
  EXPECT_EQ(agent.DIPv6AutoDiscovery(), 1);
  EXPECT_EQ(agent.DIPv6PfxDataList(), nullptr);
  EXPECT_EQ(agent.DIPv6IpDataList(), nullptr);
  EXPECT_TRUE(trace.Contains("-- DIPv6LoadConfig() cannot open")) << trace.Text();
  EXPECT_TRUE(errors.Reports().empty());
}

}  // namespace
