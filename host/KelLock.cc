// Reader-writer lock and engine thread on POSIX threads.
#include "host/KelLock.h"

#include <utility>

CKelRWLock::CKelRWLock() { pthread_rwlock_init(&m_Lock, nullptr); }

CKelRWLock::~CKelRWLock() { pthread_rwlock_destroy(&m_Lock); }

int CKelRWLock::KRWLWriterLock() { return pthread_rwlock_wrlock(&m_Lock); }

int CKelRWLock::KRWLReaderLock() { return pthread_rwlock_rdlock(&m_Lock); }

int CKelRWLock::KRWLUnLock() { return pthread_rwlock_unlock(&m_Lock); }

CKelThread::CKelThread() {
  pthread_mutex_init(&m_Mutex, nullptr);
  pthread_cond_init(&m_Cond, nullptr);
}

CKelThread::~CKelThread() {
  // Destroyed from its own work (never by the engine): let it finish alone.
  if (m_Thread.joinable() && m_Thread.get_id() == std::this_thread::get_id()) m_Thread.detach();
  KTJoin();
  pthread_cond_destroy(&m_Cond);
  pthread_mutex_destroy(&m_Mutex);
}

void CKelThread::KTLock() { pthread_mutex_lock(&m_Mutex); }

void CKelThread::KTUnLock() { pthread_mutex_unlock(&m_Mutex); }

void CKelThread::KTConditionWaitNoLock() {
  // Sleep until the next broadcast. The generation counter (read and
  // changed under the mutex) filters out spurious wake-ups, so a caller
  // that checked its condition under the mutex and found it false is
  // woken only by the broadcast that follows.
  const unsigned long long generation = m_Generation;
  while (m_Generation == generation) pthread_cond_wait(&m_Cond, &m_Mutex);
}

void CKelThread::KTConditionBroadcast() {
  ++m_Generation;
  pthread_cond_broadcast(&m_Cond);
}

int CKelThread::KTStart(std::function<void()> work) {
  if (m_Thread.joinable() || !work) return 0;
  m_Thread = std::thread(std::move(work));
  return 1;
}

void CKelThread::KTJoin() {
  if (m_Thread.joinable() && m_Thread.get_id() != std::this_thread::get_id()) m_Thread.join();
}
