#include "host/KelLock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <thread>
#include <vector>

namespace {

using std::chrono::milliseconds;

bool FinishesWithin(std::future<void>& f, int ms) { return f.wait_for(milliseconds(ms)) == std::future_status::ready; }

TEST(CKelRWLockTest, ReadersShareAndKeepWritersOut) {
  CKelRWLock lock;
  ASSERT_EQ(lock.KRWLReaderLock(), 0);
  auto reader = std::async(std::launch::async, [&] {
    lock.KRWLReaderLock();
    lock.KRWLUnLock();
  });
  EXPECT_TRUE(FinishesWithin(reader, 2000));
  auto writer = std::async(std::launch::async, [&] {
    lock.KRWLWriterLock();
    lock.KRWLUnLock();
  });
  EXPECT_FALSE(FinishesWithin(writer, 100));
  ASSERT_EQ(lock.KRWLUnLock(), 0);
  EXPECT_TRUE(FinishesWithin(writer, 2000));
}

TEST(CKelThreadTest, WaitReleasesTheMutexAndReturnsOnlyAfterBroadcastToEveryWaiter) {
  CKelThread thread;
  bool flag = false;  // guarded by the thread's mutex
  std::atomic<int> waiting{0}, woken{0};
  std::vector<std::thread> waiters;
  for (int i = 0; i < 3; ++i) {
    waiters.emplace_back([&] {
      thread.KTLock();
      ++waiting;
      if (!flag) thread.KTConditionWaitNoLock();  // one wait, as the start-up gate does
      EXPECT_TRUE(flag);
      thread.KTUnLock();
      ++woken;
    });
  }
  while (waiting < 3) std::this_thread::yield();
  std::this_thread::sleep_for(milliseconds(50));
  EXPECT_EQ(woken, 0);
  // Taking the mutex would hang if a waiter kept it.
  auto locker = std::async(std::launch::async, [&] {
    thread.KTLock();
    flag = true;
    thread.KTConditionBroadcast();
    thread.KTUnLock();
  });
  EXPECT_TRUE(FinishesWithin(locker, 2000));
  for (auto& t : waiters) t.join();
  EXPECT_EQ(woken, 3);
}

TEST(CKelThreadTest, StartRunsWorkOnceAndJoinWaitsForIt) {
  CKelThread thread;
  std::atomic<int> runs{0};
  EXPECT_EQ(thread.KTStart([&] {
    std::this_thread::sleep_for(milliseconds(20));
    ++runs;
  }), 1);
  EXPECT_EQ(thread.KTStart([&] { runs += 100; }), 0);  // already running: refused
  thread.KTJoin();
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(thread.KTStart(std::function<void()>()), 0);  // empty work refused
}

}  // namespace
