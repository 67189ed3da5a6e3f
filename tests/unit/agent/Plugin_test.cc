// The plug-in as the engine meets it: loaded with dlopen, the agent made by
// its one factory and deleted through the base pointer.
#include <dlfcn.h>

#include <string>

#include "agent/AgentIPv6Factory.h"
#include "gtest/gtest.h"
#include "host/CDiscoAgent.h"
#include "tests/support/TempDir.h"

namespace {

class PluginTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // RTLD_NODELETE keeps the module mapped after dlclose, so the module-wide
    // lock it creates stays reachable for the leak checker.
    handle_ = dlopen(PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    ASSERT_NE(handle_, nullptr) << dlerror();
  }
  void TearDown() override {
    if (handle_ != nullptr) dlclose(handle_);
  }
  void* handle_ = nullptr;
  ScopedConfigDirs dirs_;  // no configuration files
};

TEST_F(PluginTest, FactoryCreatesNamedAgentDeletedThroughBase) {
  auto factory = reinterpret_cast<DAInstantiateFn>(dlsym(handle_, "DAInstantiate"));
  ASSERT_NE(factory, nullptr) << dlerror();

  CDiscoAgent* agent = factory();
  ASSERT_NE(agent, nullptr);
  agent->KASetSCName();
  agent->KASetSCDesc();
  EXPECT_STREQ(agent->KAGetName(), "IPv6");
  EXPECT_STREQ(agent->KAGetDesc(), "Tovra IPv6 Discovery Agent");
  delete agent;
}

TEST_F(PluginTest, OnlyTheFactoryIsVisible) {
  // The agent's own functions stay inside the module.
  for (const char* hidden : {"initializeWSA", "_ZWgetURL_OS", "_ZWgetConsolidatedPatchNum",
                             "_ZN15CDiscoIPv6AgentC1Ev", "_ZN15CDiscoIPv6Agent7m_MutexE"}) {
    EXPECT_EQ(dlsym(handle_, hidden), nullptr) << hidden;
  }
  EXPECT_NE(dlsym(handle_, "DAInstantiate"), nullptr);
}

TEST_F(PluginTest, TwoAgentsOfThePluginLiveSideBySide) {
  auto factory = reinterpret_cast<DAInstantiateFn>(dlsym(handle_, "DAInstantiate"));
  ASSERT_NE(factory, nullptr);
  CDiscoAgent* first = factory();
  CDiscoAgent* second = factory();
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first, second);
  second->KASetSCName();
  EXPECT_STREQ(second->KAGetName(), "IPv6");
  EXPECT_STREQ(first->KAGetName(), "");
  delete first;
  delete second;
}

}  // namespace
