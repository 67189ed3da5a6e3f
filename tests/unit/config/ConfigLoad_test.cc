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

const char kLab[] = "2001:0DB8:0001:0000:0000:0000:0000:0000";
const char kHost[] = "2001:0DB8:0001:0000:0000:0000:0000:0005";

void WriteFileAt(const std::string& path, const std::string& contents) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << contents;
}

void WriteAll(const ScopedConfigDirs& dirs) {
  dirs.WriteConfig("# automatic discovery of remote neighbours\nAutoDiscovery 0\n");
  dirs.WritePrefixNames("# prefix name\n2001:db8:1::/48 Lab\n");
  dirs.WriteHostHistory("# hosts\n2001:db8:1::5\n");
}

TEST(ConfigLoadTest, ConstructorLoadsAllThreeFilesFromTheConfiguredFolders) {
  ScopedConfigDirs dirs;
  WriteAll(dirs);
  KelErrorCapture errors;
  CDiscoIPv6Agent agent;
  EXPECT_EQ(agent.DIPv6AutoDiscovery(), 0);
  EXPECT_EQ(CompareTree(agent.DIPv6PfxDataList(), {{kLab, "Lab"}}), "");
  EXPECT_EQ(CompareTree(agent.DIPv6IpDataList(), {{kHost, kHost}}), "");
  EXPECT_TRUE(errors.Reports().empty());
}

TEST(ConfigLoadTest, FilesUnderTheWrongFolderAreNotRead) {
  ScopedConfigDirs dirs;
  // Configuration and prefix files under the variable-data folder, the
  // history under the configuration folder: none of them is looked at.
  WriteFileAt(dirs.Var() + "/conf/tovra/IPv6.conf", "AutoDiscovery 0\n");
  WriteFileAt(dirs.Var() + "/conf/tovra/IPv6Prefix.conf", "2001:db8:1::/48 Lab\n");
  WriteFileAt(dirs.Etc() + "/databases/tovra/IPv6hosts.qar", "2001:db8:1::5\n");
  CDiscoIPv6Agent agent;
  EXPECT_EQ(agent.DIPv6AutoDiscovery(), 1);
  EXPECT_EQ(agent.DIPv6PfxDataList(), nullptr);
  EXPECT_EQ(agent.DIPv6IpDataList(), nullptr);
}

TEST(ConfigLoadTest, LoadersRunInOrderOnTheExpectedPaths) {
  ScopedConfigDirs dirs;
  WriteAll(dirs);
  const std::string prefixPath = dirs.Etc() + "/conf/tovra/IPv6Prefix.conf";
  const std::string historyPath = dirs.Var() + "/databases/tovra/IPv6hosts.qar";
  const std::string configPath = dirs.Etc() + "/conf/tovra/IPv6.conf";
  KelTraceCapture trace(4);
  { CDiscoIPv6Agent agent; }
  const std::string text = trace.Text();
  const size_t prefix = text.find("ENTER : CDiscoIPv6Agent::DIPv6BuildPfxNameList(" + prefixPath + ")");
  const size_t history =
      text.find("ENTER : CDiscoIPv6Agent::DIPv6BuildHistoryIpList(" + historyPath + ")");
  const size_t config = text.find("ENTER : CDiscoIPv6Agent::DIPv6LoadConfig(" + configPath + ")");
  const size_t removePrefix = text.find("ENTER : CDiscoIPv6Agent::DIPv6RemovePfxNameList()");
  const size_t removeHistory = text.find("CDiscoIPv6Agent::DIPv6RemoveHistoryIpList()");
  ASSERT_NE(prefix, std::string::npos) << text;
  ASSERT_NE(history, std::string::npos) << text;
  ASSERT_NE(config, std::string::npos) << text;
  ASSERT_NE(removePrefix, std::string::npos) << text;
  ASSERT_NE(removeHistory, std::string::npos) << text;
  EXPECT_LT(prefix, history);
  EXPECT_LT(history, config);
  EXPECT_LT(config, removePrefix);
  EXPECT_LT(removePrefix, removeHistory);
  EXPECT_FALSE(trace.Contains("cannot open")) << text;
}

TEST(ConfigLoadTest, FactoryAgentLoadsTheFilesAndIsDeletedThroughTheBase) {
  ScopedConfigDirs dirs;
  WriteAll(dirs);
  std::unique_ptr<CDiscoAgent> base(DAInstantiate());
  ASSERT_NE(base, nullptr);
  auto* agent = dynamic_cast<CDiscoIPv6Agent*>(base.get());
  ASSERT_NE(agent, nullptr);
  EXPECT_EQ(agent->DIPv6AutoDiscovery(), 0);
  EXPECT_EQ(CompareTree(agent->DIPv6PfxDataList(), {{kLab, "Lab"}}), "");
  EXPECT_EQ(CompareTree(agent->DIPv6IpDataList(), {{kHost, kHost}}), "");
  KelTraceCapture trace(4);
  base.reset();  // the virtual destructor releases both lists (leaks show under the sanitizer)
  EXPECT_TRUE(trace.Contains("LEAVE : CDiscoIPv6Agent::DIPv6RemovePfxNameList()")) << trace.Text();
  EXPECT_TRUE(trace.Contains("CDiscoIPv6Agent::DIPv6RemoveHistoryIpList()")) << trace.Text();
}

}  // namespace
