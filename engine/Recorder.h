// Recording NEs for replay: each NE's requested subtrees (see
// RequestedSubtrees.h), read at the first of its DERecordTargets() that
// answers, written as FOLDER/<address>.snmprec (the name the replay
// requester looks for) with DEWriteFileAtomically, so that a recording is
// either whole or absent.
#ifndef ENGINE_RECORDER_H_
#define ENGINE_RECORDER_H_

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "snmp/ChannelRequester.h"

// What became of one NE.
struct CRecordedNe {
  std::string ne;        // as given
  bool recorded = false;
  std::string file;      // the file written, when recorded
  size_t objects = 0;    // bindings written
  size_t leftOut = 0;    // bindings read that snmprec cannot hold (SnmprecLine)
  int requests = 0;      // PDUs sent, to every address tried
  std::string error;     // why not recorded: a whole phrase
  bool writeFailed = false;  // read whole, but the file could not be written
  bool interrupted = false;  // never started: `poll` asked to stop first
};

// Records `nes` (texts DECheckNe accepted) from `source` into `folder`
// (which exists), `threads` NEs at a time, each on a thread of its own.
// `poll(done)` is called on the calling thread before the first NE starts,
// then at least every 100 ms and whenever an NE is done; once it returns
// false, no NE is started any more (those under way are finished). Returns when every
// NE started is done, one result per NE in input order. `source` must be
// thread-safe (the live and replay requesters are); it stays the caller's.
std::vector<CRecordedNe> DERecordNes(const std::vector<std::string>& nes, CChannelRequester* source,
                                     const std::string& folder, int threads,
                                     const std::function<bool(size_t done)>& poll);

#endif  // ENGINE_RECORDER_H_
