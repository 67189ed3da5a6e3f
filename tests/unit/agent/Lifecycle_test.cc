// The agent's life: the module-wide lock, and the plug-in's factory as the engine meets it.
#include <dlfcn.h>

#include "agent/AgentIPv6Factory.h"
#include "agent/CDiscoIPv6Agent.h"
#include "gtest/gtest.h"
#include "tests/support/TempDir.h"

namespace {

TEST(LifecycleTest, AgentsShareALockThatOutlivesThemAndTheFactoryMakesNamedAgents) {
  ScopedConfigDirs dirs;
  CKelRWLock* first;
  {
    CDiscoIPv6Agent a;
    first = CDiscoIPv6Agent::m_Mutex;
    ASSERT_NE(first, nullptr);
    CDiscoIPv6Agent b;
    EXPECT_EQ(CDiscoIPv6Agent::m_Mutex, first);
  }
  EXPECT_EQ(CDiscoIPv6Agent::m_Mutex, first);
  EXPECT_EQ(first->KRWLWriterLock(), 0);
  EXPECT_EQ(first->KRWLUnLock(), 0);
  // RTLD_NODELETE keeps the module's lock reachable for the leak checker after dlclose.
  void* handle = dlopen(PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  ASSERT_NE(handle, nullptr) << dlerror();
  auto factory = reinterpret_cast<DAInstantiateFn>(dlsym(handle, "DAInstantiate"));
  ASSERT_NE(factory, nullptr) << dlerror();
  CDiscoAgent* agent = factory();  // a named agent, deleted through its base
  agent->KASetSCName();
  EXPECT_STREQ(agent->KAGetName(), "IPv6");
  delete agent;
  dlclose(handle);
}

}  // namespace
