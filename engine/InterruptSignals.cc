#include "engine/InterruptSignals.h"

#include <pthread.h>
#include <time.h>

CInterruptSignals::CInterruptSignals() {
  sigemptyset(&m_Held);
  sigaddset(&m_Held, SIGINT);
  sigaddset(&m_Held, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &m_Held, &m_Before);
}

CInterruptSignals::~CInterruptSignals() {
  Poll();  // a pending signal would strike as soon as it is unblocked
  pthread_sigmask(SIG_SETMASK, &m_Before, nullptr);
}

int CInterruptSignals::Poll() {
  const timespec now = {0, 0};
  for (int signal; (signal = sigtimedwait(&m_Held, nullptr, &now)) > 0;) {
    if (m_First == 0) {
      m_First = signal;
      continue;
    }
    // The second: what the signal does by default, now.
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigaction(signal, &action, nullptr);
    sigset_t one;
    sigemptyset(&one);
    sigaddset(&one, signal);
    raise(signal);
    pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
  }
  return m_First;
}
