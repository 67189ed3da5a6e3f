// Construction and destruction of the agent, and the module-wide lock.
#include <thread>
#include <vector>

#include "agent/CDiscoIPv6Agent.h"
#include "gtest/gtest.h"
#include "tests/support/TempDir.h"

namespace {

TEST(LifecycleTest, WithoutFilesTheDefaultsHold) {
  ScopedConfigDirs dirs;  // empty folders: none of the three files exists
  CDiscoIPv6Agent agent;
  EXPECT_EQ(agent.DIPv6AutoDiscovery(), 1);
  EXPECT_EQ(agent.DIPv6PfxDataList(), nullptr);
  EXPECT_EQ(agent.DIPv6IpDataList(), nullptr);
}

TEST(LifecycleTest, AgentsShareOneModuleLockThatOutlivesThem) {
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
}

TEST(LifecycleTest, AgentsConstructedOnManyThreadsSeeOneLock) {
  ScopedConfigDirs dirs;
  constexpr int kThreads = 8;
  std::vector<CKelRWLock*> seen(kThreads, nullptr);
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([i, &seen] {
      CDiscoIPv6Agent agent;
      seen[i] = CDiscoIPv6Agent::m_Mutex;
    });
  }
  for (auto& t : threads) t.join();
  for (int i = 0; i < kThreads; ++i) {
    EXPECT_NE(seen[i], nullptr);
    EXPECT_EQ(seen[i], seen[0]) << "thread " << i;
  }
}

TEST(LifecycleTest, NamesComeFromTheOverrides) {
  ScopedConfigDirs dirs;
  CDiscoIPv6Agent agent;
  CDiscoAgent& base = agent;
  EXPECT_STREQ(base.KAGetName(), "");
  base.KASetSCName();
  base.KASetSCDesc();
  EXPECT_STREQ(base.KAGetName(), "IPv6");
  EXPECT_STREQ(base.KAGetDesc(), "Tovra IPv6 Discovery Agent");
}

}  // namespace
