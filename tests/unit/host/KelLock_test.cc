#include "host/KelLock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

namespace {

using std::chrono::milliseconds;

// True when `f` finishes within `ms`.
bool FinishesWithin(std::future<void>& f, int ms) {
  return f.wait_for(milliseconds(ms)) == std::future_status::ready;
}

TEST(CKelRWLockTest, WritersExcludeEachOther) {
  CKelRWLock lock;
  long counter = 0;  // deliberately not atomic: the lock must protect it
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 20000; ++i) {
        ASSERT_EQ(lock.KRWLWriterLock(), 0);
        ++counter;
        ASSERT_EQ(lock.KRWLUnLock(), 0);
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(counter, 4 * 20000);
}

TEST(CKelRWLockTest, ReadersShareAndKeepWritersOut) {
  CKelRWLock lock;
  ASSERT_EQ(lock.KRWLReaderLock(), 0);

  // A second reader gets in while the first holds the lock.
  auto reader = std::async(std::launch::async, [&] {
    lock.KRWLReaderLock();
    lock.KRWLUnLock();
  });
  EXPECT_TRUE(FinishesWithin(reader, 2000));

  // A writer waits until the reader leaves.
  auto writer = std::async(std::launch::async, [&] {
    lock.KRWLWriterLock();
    lock.KRWLUnLock();
  });
  EXPECT_FALSE(FinishesWithin(writer, 100));
  ASSERT_EQ(lock.KRWLUnLock(), 0);
  EXPECT_TRUE(FinishesWithin(writer, 2000));
}

TEST(CKelThreadTest, StartRunsWorkOnceAndJoinWaits) {
  CKelThread thread;
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::atomic<int> runs{0};
  EXPECT_EQ(thread.KTStart([&] {
    released.wait();
    ++runs;
  }), 1);
  // Already running: refused, the second work never runs.
  EXPECT_EQ(thread.KTStart([&] { runs += 100; }), 0);
  release.set_value();
  thread.KTJoin();
  EXPECT_EQ(runs, 1);
  // Joined: it can run again; an empty work is refused.
  EXPECT_EQ(thread.KTStart(std::function<void()>()), 0);
  EXPECT_EQ(thread.KTStart([&] { ++runs; }), 1);
  thread.KTJoin();
  EXPECT_EQ(runs, 2);
  thread.KTJoin();  // nothing to join: returns at once
}

TEST(CKelThreadTest, DestructorJoinsStartedWork) {
  std::atomic<bool> finished{false};
  {
    CKelThread thread;
    thread.KTStart([&] {
      std::this_thread::sleep_for(milliseconds(50));
      finished = true;
    });
  }
  EXPECT_TRUE(finished);
}

TEST(CKelThreadTest, WaitReturnsOnlyAfterBroadcastAndWakesEveryWaiter) {
  CKelThread thread;
  bool flag = false;  // guarded by the thread's mutex
  std::atomic<int> waiting{0};
  std::atomic<int> woken{0};
  std::vector<std::thread> waiters;
  for (int i = 0; i < 3; ++i) {
    waiters.emplace_back([&] {
      thread.KTLock();
      ++waiting;
      // One wait, as the agent's gate does: it must not return early.
      if (!flag) thread.KTConditionWaitNoLock();
      EXPECT_TRUE(flag);
      thread.KTUnLock();
      ++woken;
    });
  }
  while (waiting < 3) std::this_thread::yield();
  std::this_thread::sleep_for(milliseconds(50));
  EXPECT_EQ(woken, 0);

  thread.KTLock();
  flag = true;
  thread.KTConditionBroadcast();
  thread.KTUnLock();
  for (auto& t : waiters) t.join();
  EXPECT_EQ(woken, 3);
}

TEST(CKelThreadTest, WaitReleasesTheMutexWhileAsleep) {
  CKelThread thread;
  bool flag = false;
  std::atomic<bool> asleep{false};
  std::thread waiter([&] {
    thread.KTLock();
    asleep = true;
    while (!flag) thread.KTConditionWaitNoLock();
    thread.KTUnLock();
  });
  while (!asleep) std::this_thread::yield();
  // Taking the mutex here would hang if the waiter kept it.
  auto locker = std::async(std::launch::async, [&] {
    thread.KTLock();
    flag = true;
    thread.KTConditionBroadcast();
    thread.KTUnLock();
  });
  EXPECT_TRUE(FinishesWithin(locker, 2000));
  waiter.join();
}

}  // namespace
