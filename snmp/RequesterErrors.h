// Error codes that the requesters report with CKelError. A device that does
// not answer is not an error: the request just gives null, and the NE's
// summary says why; only a device that answered some of an NE's requests
// and not others is reported (kErrUnanswered), since its NE may be
// processed with data missing.
#ifndef SNMP_REQUESTERERRORS_H_
#define SNMP_REQUESTERERRORS_H_

namespace snmp {

enum {
  kErrUnknownObject = -230001,  // an object name outside MibObjectTable
  kErrBadInstance = -230002,    // an instance that is not dotted numbers
  kErrWalkStopped = -230003,    // a walk that a broken reply stopped early
  kErrSession = -230004,        // a session that could not be opened or used
  kErrReplayFile = -230005,     // a recorded walk that could not be read cleanly
  kErrOptions = -230006,        // requester options that cannot work
  kErrNoIpv6Data = -230007,     // a device that answered but gave no IPv6 address
  kErrUnanswered = -230008,     // a device that left some requests of an NE unanswered
  kErrErrorStatus = -230009,    // a GET answered with an error-status
};

}  // namespace snmp

#endif  // SNMP_REQUESTERERRORS_H_
