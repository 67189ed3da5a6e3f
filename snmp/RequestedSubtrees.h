// The subtrees of the MIB that the runner reads from a device: the system
// group, the interface tables of IF-MIB, the forwarding scalars and the
// IPv6-capable tables of IP-MIB and IP-FORWARD-MIB, and IPV6-MIB. A
// recording may hold much more (a full `snmpwalk .1`); the replay readers
// describe unreadable records only beneath these subtrees, and recording
// walks exactly these. Immutable; safe from any thread.
#ifndef SNMP_REQUESTEDSUBTREES_H_
#define SNMP_REQUESTEDSUBTREES_H_

#include <vector>

#include "snmp/SnmpOid.h"

namespace snmp {

// The subtrees in OID order; none lies beneath another.
const std::vector<Oid>& RequestedSubtrees();

// True when `oid` lies beneath (or is) one of RequestedSubtrees().
bool IsRequestedObject(const Oid& oid);

}  // namespace snmp

#endif  // SNMP_REQUESTEDSUBTREES_H_
