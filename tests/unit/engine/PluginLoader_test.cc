// Loading the agent plug-in as the runner does, and errors that name the path.
#include <gtest/gtest.h>

#include "engine/PluginLoader.h"
#include "host/CDiscoAgent.h"
#include "tests/support/TempDir.h"

TEST(PluginLoaderTest, LoadsTheAgentPluginAndNamesThePathOnError) {
  ScopedConfigDirs dirs;
  CPluginLibrary plugin;
  std::string error;
  ASSERT_TRUE(plugin.Open(PLUGIN_PATH, &error)) << error;
  std::unique_ptr<CDiscoAgent> agent(plugin.Factory()());
  agent->KASetSCName();
  EXPECT_STREQ(agent->KAGetName(), "IPv6");
  CPluginLibrary bad;
  for (const std::string path : {"/nonexistent/libAgentIPv6.so", "libc.so.6"}) {  // a bare name: not searched
    EXPECT_FALSE(bad.Open(path, &error));
    EXPECT_EQ(error.rfind("cannot load the plug-in '" + path + "': ", 0), 0u) << error;
  }
  const std::string host = std::string(TEST_BINARY_DIR) + "/libKelHost.so";  // no factory
  EXPECT_TRUE(!bad.Open(host, &error) && !bad.Factory()) << error;
  EXPECT_EQ(error, "the plug-in '" + host + "' has no DAInstantiate");
}
