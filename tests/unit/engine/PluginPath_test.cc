// Where the runner looks for its plug-in: beside itself, then in an installed tree's lib/ipv6disco.
#include <gtest/gtest.h>

#include "engine/PluginPath.h"
#include "tests/support/TempDir.h"

TEST(PluginPathTest, BesideTheRunnerFirstThenTheInstalledFolder) {
  EXPECT_EQ(DEPluginFolders("/usr/bin"), (std::vector<std::string>{"/usr/bin", "/usr/lib/ipv6disco"}));
  EXPECT_EQ(DEPluginFolders("/bin"), (std::vector<std::string>{"/bin", "/lib/ipv6disco"}));
  const struct {
    std::vector<std::string> present;  // plug-in files made under the tree
    std::string found;
  } rows[] = {
      {{"bin/libAgentIPv6.so", "lib/ipv6disco/libAgentIPv6.so"}, "bin/libAgentIPv6.so"},
      {{"lib/ipv6disco/libAgentIPv6.so"}, "lib/ipv6disco/libAgentIPv6.so"},
      {{"lib/libAgentIPv6.so", "lib/ipv6disco/libAgentIPv6.so/x"}, "bin/libAgentIPv6.so"},  // none: beside
  };
  for (const auto& row : rows) {
    TempDir tree;
    tree.WriteFile("bin/ipv6disco", "");
    for (const std::string& file : row.present) tree.WriteFile(file, "");
    EXPECT_EQ(DEFindPlugin(tree.Path() + "/bin"), tree.Path() + "/" + row.found) << row.present.front();
  }
}
