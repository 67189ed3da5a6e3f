// The capability index of an NE from its forwarding scalars: ipv6Forwarding
// (RFC 2465) first, ipForwarding (RFC 1213) only when that is absent; in
// both 1 is forwarding and 2 not forwarding.
//
//   ipv6Forwarding 1 -> 1, 2 -> 2, other or no value -> 3
//   else ipForwarding 1 -> 4, 2 -> 5, other or no value -> 6
//   neither -> 0
#include "agent/CDiscoIPv6Agent.h"
#include "host/KelError.h"
#include "host/KelTrace.h"

namespace {

// The forwarding value of a reply: its integer, or 0 when the reply has no
// value or a value that is not an integer.
long long ForwardingValue(const CKelSnmpVarOp* reply) {
  const CKelAtom* value = reply->KSVOValue();
  return value != nullptr ? value->KAInt64() : 0;
}

// The index for a reply of ipv6Forwarding (base 0) or ipForwarding (base 3).
int IndexOf(const CKelSnmpVarOp* reply, int base) {
  const long long value = ForwardingValue(reply);
  return base + (value == 1 ? 1 : value == 2 ? 2 : 3);
}

}  // namespace

int CDiscoIPv6Agent::DIPv6GetIpForwarding(CKelRecord* neRecord) {
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DIPv6IpForwarding()\n", 4);
  int index = 0;
  if (m_Requester == nullptr) {
    CKelError(-220552, __FILE__, __LINE__);
  } else {
    // The requester hands each reply to its caller; none is kept here.
    CKelSnmpVarOp* reply = m_Requester->DSRSnmpGet(neRecord, "ipv6Forwarding", "0", nullptr);
    if (reply != nullptr) {
      index = IndexOf(reply, 0);
    } else {
      reply = m_Requester->DSRSnmpGet(neRecord, "ipForwarding", "0", nullptr);
      if (reply != nullptr) index = IndexOf(reply, 3);
    }
    delete reply;
  }
  genXPLTracef(4, "LEAVE : CDiscoIPv6Agent::DIPv6IpForwarding(%d)\n", index);
  return index;
}

int CDiscoIPv6Agent::DIPv6GetIpForwarding(CDiscoMediationData* medData, CKelRecord*) {
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DIPv6GetIpForwarding()\n", 4);
  int index = 0;
  if (medData == nullptr) {
    CKelError(-220552, __FILE__, __LINE__);
  } else {
    if (const CKelSnmpVarOp* reply = medData->DMDGetSnmpGet("ipv6Forwarding")) {
      index = IndexOf(reply, 0);
    } else if (const CKelSnmpVarOp* v4 = medData->DMDGetSnmpGet("ipForwarding")) {
      index = IndexOf(v4, 3);
    }
  }
  genXPLTracef(4, "LEAVE : CDiscoIPv6Agent::DIPv6GetIpForwarding(%d)\n", index);
  return index;
}
