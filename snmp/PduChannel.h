// One conversation with one SNMP agent: a request PDU out, its reply back.
// The live requester implements it on a net-snmp session, the replay
// requester on a recorded walk, and tests on scripts; the GET and walk
// logic above it is shared. A channel is used by one thread at a time.
#ifndef SNMP_PDUCHANNEL_H_
#define SNMP_PDUCHANNEL_H_

#include <string>
#include <vector>

#include "snmp/WireValue.h"

namespace snmp {

// SNMP error-status values of RFC 3416 that the walk tells apart.
constexpr long kErrNoError = 0;
constexpr long kErrTooBig = 1;
constexpr long kErrNoSuchName = 2;  // SNMPv1: nothing follows (GETNEXT)

enum class EPduOutcome {
  kAnswer,    // the agent replied (see errorStatus and binds)
  kNoAnswer,  // no reply within timeout x (retries + 1)
  kFailed,    // the request could not be made (see detail)
};

struct PduReply {
  EPduOutcome outcome = EPduOutcome::kNoAnswer;
  long errorStatus = kErrNoError;
  long errorIndex = 0;         // 1-based binding the error-status is about
  std::vector<VarBind> binds;  // in reply order
  std::string detail;          // why a request failed
  // Datagrams that arrived while the reply was awaited and were not it: a
  // reply malformed, cut short or to another request-id, or a late reply
  // to an earlier request.
  int strays = 0;
};

class PduChannel {
 public:
  virtual ~PduChannel() = default;
  virtual PduReply Get(const Oid& oid) = 0;
  // One binding per OID of `oids` (never empty), in that order.
  virtual PduReply GetNext(const std::vector<Oid>& oids) = 0;
  // Non-repeaters 0; every OID of `oids` (never empty) is repeated, so the
  // reply holds up to maxRepetitions rounds of one binding per OID.
  virtual PduReply GetBulk(const std::vector<Oid>& oids, int maxRepetitions) = 0;
  // Whether the channel may serve the next request too; when not, the next
  // request opens a channel of its own.
  virtual bool Keep() const { return true; }
};

// A device that answers nothing. Not kept: a device that did not answer
// the opening of a channel (SNMPv3 engine discovery) is asked again by the
// next request, as a silent SNMPv1/v2c device is.
class CSilentChannel : public PduChannel {
 public:
  bool Keep() const override { return false; }
  PduReply Get(const Oid&) override { return PduReply(); }
  PduReply GetNext(const std::vector<Oid>&) override { return PduReply(); }
  PduReply GetBulk(const std::vector<Oid>&, int) override { return PduReply(); }
};

}  // namespace snmp

#endif  // SNMP_PDUCHANNEL_H_
