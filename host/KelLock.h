// Locks of the engine: a reader-writer lock and the start-up thread whose
// mutex and condition guard the engine's start-up flag.
#ifndef HOST_KELLOCK_H_
#define HOST_KELLOCK_H_

#include <pthread.h>

#include <functional>
#include <thread>

class CKelRWLock {
 public:
  CKelRWLock();
  ~CKelRWLock();
  CKelRWLock(const CKelRWLock&) = delete;
  CKelRWLock& operator=(const CKelRWLock&) = delete;

  // Each returns 0 on success or an errno value.
  int KRWLWriterLock();
  int KRWLReaderLock();
  int KRWLUnLock();  // releases either kind

 private:
  pthread_rwlock_t m_Lock;
};

// A thread of the engine with a mutex and a condition. The agent uses only
// KTLock, KTConditionWaitNoLock and KTUnLock; the engine signals with
// KTConditionBroadcast and may run work on the thread with KTStart/KTJoin.
class CKelThread {
 public:
  CKelThread();
  ~CKelThread();  // joins a started thread
  CKelThread(const CKelThread&) = delete;
  CKelThread& operator=(const CKelThread&) = delete;

  void KTLock();
  void KTUnLock();
  // Call with the mutex held: releases it while sleeping and returns
  // holding it, only after a KTConditionBroadcast made while it slept
  // (spurious wake-ups are absorbed), so a caller that found its condition
  // false under the mutex may wait once.
  void KTConditionWaitNoLock();
  // Wakes every waiter; call with the mutex held.
  void KTConditionBroadcast();

  // Runs `work` on a new thread. Returns 1, or 0 when already started or
  // `work` is empty.
  int KTStart(std::function<void()> work);
  // Waits for a started thread to end; does nothing when none runs or when
  // called on that thread itself.
  void KTJoin();

 private:
  pthread_mutex_t m_Mutex;
  pthread_cond_t m_Cond;
  unsigned long long m_Generation = 0;  // broadcasts so far; under m_Mutex
  std::thread m_Thread;
};

#endif  // HOST_KELLOCK_H_
