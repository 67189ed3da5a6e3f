// A requester that can be stopped: until Stop() it hands every call to the
// requester it wraps; from then on it refuses each request (no answer)
// without sending anything, so that an NE under way ends at its next
// request instead of reading on.
//
// Thread-safe, as the wrapped requester must be. Does not own `inner`.
#ifndef ENGINE_STOPPABLEREQUESTER_H_
#define ENGINE_STOPPABLEREQUESTER_H_

#include <atomic>

#include "host/CDiscoStdRequester.h"

class CStoppableRequester : public CDiscoStdRequester {
 public:
  explicit CStoppableRequester(CDiscoStdRequester* inner) : m_Inner(inner) {}

  // Requests made after this returns are refused. Safe from any thread.
  void Stop() { m_Stopped.store(true); }
  // True when a request of the NE now on the calling thread (since its
  // DSRNeBegin) was refused.
  static bool NeCutShort();

  CKelSnmpVarOp* DSRSnmpGet(CKelRecord* record, const char* objectName, const char* instance,
                            const char* extra) override;
  CKelDoubleList* DSRSnmpGetNext(CKelRecord* record, const char* columnName, const char* extra1,
                                 const char* extra2) override;
  void DSRNeBegin() override;
  CDiscoSnmpSummary DSRNeEnd() override { return m_Inner->DSRNeEnd(); }

 private:
  // True, noting the cut on the calling thread, when the call is refused.
  bool Refused() const;

  CDiscoStdRequester* m_Inner;
  std::atomic<bool> m_Stopped{false};
};

#endif  // ENGINE_STOPPABLEREQUESTER_H_
