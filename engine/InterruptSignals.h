// SIGINT and SIGTERM held for the life of a run, so that a run can stop
// cleanly: while the object lives, both are blocked in the thread that made
// it and in every thread started from it afterwards (worker threads inherit
// the mask), and the run asks Poll() whether one came. Destruction takes any
// pending one and puts the earlier mask back.
//
// Make it on the main thread before any other thread starts; one at a time.
#ifndef ENGINE_INTERRUPTSIGNALS_H_
#define ENGINE_INTERRUPTSIGNALS_H_

#include <signal.h>

class CInterruptSignals {
 public:
  CInterruptSignals();
  ~CInterruptSignals();
  CInterruptSignals(const CInterruptSignals&) = delete;
  CInterruptSignals& operator=(const CInterruptSignals&) = delete;

  // Takes the signals that came since the last call, without waiting.
  // Returns the first signal of the run (SIGINT or SIGTERM), 0 while none
  // came. A second signal after the first ends the process at once, as
  // that signal would without this object (no report is written).
  int Poll();
  // The first signal of the run, 0 when none came; does not take any.
  int Caught() const { return m_First; }

 private:
  sigset_t m_Held;
  sigset_t m_Before;
  int m_First = 0;
};

#endif  // ENGINE_INTERRUPTSIGNALS_H_
