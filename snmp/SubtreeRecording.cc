#include "snmp/SubtreeRecording.h"

#include "snmp/RequestedSubtrees.h"

namespace snmp {

SubtreeRecording RecordRequestedSubtrees(PduChannel* channel, const WalkOptions& options) {
  SubtreeRecording recording;
  for (const Oid& subtree : RequestedSubtrees()) {
    WalkResult walk = WalkColumn(channel, subtree, options);
    recording.requests += walk.requests;
    recording.strays = walk.strays;
    if (!walk.answered) {
      if (recording.answered) {
        recording.error = "no answer to the walk of " + OidText(subtree) + " (the device answered before)";
      } else {
        recording.error = walk.error;  // a request that could not be made
      }
      return recording;
    }
    recording.answered = true;
    recording.binds.insert(recording.binds.end(), walk.rows.begin(), walk.rows.end());
    if (!walk.error.empty()) {
      recording.error = "the walk of " + OidText(subtree) + " stopped: " + walk.error;
      return recording;
    }
  }
  return recording;
}

}  // namespace snmp
