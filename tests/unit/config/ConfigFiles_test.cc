// The three configuration files: the defaults without files, and files loaded as written (any content is
// compared with a plain reading of the formats by the config fuzz target, fuzz/config_fuzz.cc).
#include "agent/CDiscoIPv6Agent.h"
#include "gtest/gtest.h"
#include "host/KelError.h"
#include "tests/support/TempDir.h"

namespace {

TEST(ConfigFilesTest, MissingFilesLeaveTheDefaultsAndNamedFilesLoadAsWritten) {
  ScopedConfigDirs dirs;
  KelErrorCapture errors;
  CDiscoIPv6Agent agent;
  EXPECT_EQ(agent.DIPv6AutoDiscovery(), 1);
  EXPECT_TRUE(agent.DIPv6PfxDataList() == nullptr && agent.DIPv6IpDataList() == nullptr);
  // A missing or null file turns the switch back on; the list may be removed twice.
  EXPECT_EQ(agent.DIPv6LoadConfig(dirs.WriteConfig("AutoDiscovery 0\n").c_str()), 1);
  ASSERT_EQ(agent.DIPv6AutoDiscovery(), 0);
  EXPECT_EQ(agent.DIPv6LoadConfig(nullptr), 1);
  EXPECT_EQ(agent.DIPv6AutoDiscovery(), 1);
  // The first line of a prefix wins and bits past its length are cleared; the rest is left to the random files.
  EXPECT_EQ(agent.DIPv6BuildPfxNameList(dirs.WritePrefixNames("2001:db8:1:5678::1/52 Lab\n2001:db8::/32 Net\n2001:db8::/64 2\n").c_str()), 1);
  const CKelTreeList* names = agent.DIPv6PfxDataList();
  ASSERT_TRUE(names != nullptr && names->KTLCount() == 2);
  for (auto [key, want] : {std::pair("2001:0DB8:0000:0000:0000:0000:0000:0000", "Net"),
                           std::pair("2001:0DB8:0001:5000:0000:0000:0000:0000", "Lab")}) {
    const CKelPointer* name = names->KTLGet(key);
    EXPECT_STREQ(name ? static_cast<const char*>(name->KPData()) : "", want) << key;
  }
  for (int round = 0; round < 2; ++round) EXPECT_EQ(agent.DIPv6RemovePfxNameList(), 1);
  EXPECT_EQ(agent.DIPv6PfxDataList(), nullptr);
  EXPECT_TRUE(errors.Reports().empty());
}

TEST(ConfigFilesTest, PiecesOfALongLineAreLinesOfTheirOwnUnlessTheyContinueAComment) {
  // Each file's second piece or line reads "2001:db8::5 0": a setting of 0, a prefix named "0", a host.
  const std::string tail = "2001:db8::5 0\n", x129(129, 'x');
  const struct { const char* what; std::string text; int autoDiscovery; size_t prefixes, hosts; } rows[] = {
      {"comment of 131 characters and more", "# " + x129 + tail, 1, 0, 0},
      {"the same after blanks", "  #" + x129 + tail, 1, 0, 0},
      {"comment of 130 characters, then a line", "# " + x129.substr(1) + "\n" + tail, 0, 1, 1},
      {"setting line of 131 characters and more", "2001:db8::7 " + x129.substr(10) + tail, 0, 2, 2},
  };
  for (const auto& row : rows) {
    ScopedConfigDirs dirs;
    CDiscoIPv6Agent agent;
    agent.DIPv6LoadConfig(dirs.WriteConfig(row.text).c_str());
    agent.DIPv6BuildPfxNameList(dirs.WritePrefixNames(row.text).c_str());
    agent.DIPv6BuildHistoryIpList(dirs.WriteHostHistory(row.text).c_str());
    const CKelTreeList *names = agent.DIPv6PfxDataList(), *hosts = agent.DIPv6IpDataList();
    EXPECT_EQ(agent.DIPv6AutoDiscovery(), row.autoDiscovery) << row.what;
    EXPECT_EQ(names != nullptr ? names->KTLCount() : 0, row.prefixes) << row.what;
    EXPECT_EQ(hosts != nullptr ? hosts->KTLCount() : 0, row.hosts) << row.what;
  }
}

}  // namespace
