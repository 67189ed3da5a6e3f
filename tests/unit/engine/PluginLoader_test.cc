// Loading the plug-in as the runner does.
#include <gtest/gtest.h>

#include <string>

#include "engine/PluginLoader.h"
#include "host/CDiscoAgent.h"
#include "tests/support/TempDir.h"

namespace {

TEST(PluginLoaderTest, LoadsTheAgentPlugin) {
  ScopedConfigDirs dirs;
  CPluginLibrary plugin;
  std::string error;
  ASSERT_TRUE(plugin.Open(PLUGIN_PATH, &error)) << error;
  ASSERT_NE(plugin.Factory(), nullptr);
  CDiscoAgent* agent = plugin.Factory()();
  ASSERT_NE(agent, nullptr);
  agent->KASetSCName();
  EXPECT_STREQ(agent->KAGetName(), "IPv6");
  delete agent;
}

TEST(PluginLoaderTest, ErrorsNameThePath) {
  CPluginLibrary plugin;
  std::string error;
  EXPECT_FALSE(plugin.Open("/nonexistent/libAgentIPv6.so", &error));
  EXPECT_EQ(error.rfind("cannot load the plug-in '/nonexistent/libAgentIPv6.so': ", 0), 0u)
      << error;
  EXPECT_EQ(plugin.Factory(), nullptr);

  // A bare name is looked for in the current folder, not on the library path.
  EXPECT_FALSE(plugin.Open("libc.so.6", &error));
  EXPECT_EQ(error.rfind("cannot load the plug-in 'libc.so.6': ", 0), 0u) << error;

  // A library without the factory.
  const std::string host = std::string(TEST_BINARY_DIR) + "/libKelHost.so";
  EXPECT_FALSE(plugin.Open(host, &error));
  EXPECT_EQ(error, "the plug-in '" + host + "' has no DAInstantiate");
  EXPECT_EQ(plugin.Factory(), nullptr);
}

TEST(PluginLoaderTest, DefaultPathIsAnAbsolutePathToTheAgentLibrary) {
  const std::string path = DEDefaultPluginPath();
  EXPECT_EQ(path[0], '/') << path;
  EXPECT_EQ(path.substr(path.rfind('/')), "/libAgentIPv6.so") << path;
}

}  // namespace
