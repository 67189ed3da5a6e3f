// Reads from one device exactly what the runner reads of it: every binding
// beneath each of RequestedSubtrees(), walked one subtree after the other
// (GETBULK, or GETNEXT for SNMPv1, as `options` say). No state of its own;
// the channel decides thread-safety.
#ifndef SNMP_SUBTREERECORDING_H_
#define SNMP_SUBTREERECORDING_H_

#include <string>
#include <vector>

#include "snmp/ColumnWalk.h"
#include "snmp/PduChannel.h"

namespace snmp {

struct SubtreeRecording {
  bool answered = false;       // the device replied to the first request
  std::vector<VarBind> binds;  // every binding read, in walk order
  // Why the recording is not whole: "" when every subtree was walked to
  // its end. When the device never answered: why the first request could
  // not be made, or "" when it merely got no reply.
  std::string error;
  int requests = 0;  // PDUs sent
  int strays = 0;    // of the request that got no reply (PduReply::strays)
};

// Walks every subtree of RequestedSubtrees() on `channel`. Stops at the
// first subtree whose walk stops early (the walk's error, naming the
// subtree) or gets no answer (after the device answered earlier ones).
SubtreeRecording RecordRequestedSubtrees(PduChannel* channel, const WalkOptions& options);

}  // namespace snmp

#endif  // SNMP_SUBTREERECORDING_H_
