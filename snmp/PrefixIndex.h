// Row indexes of ipv6AddrPrefixTable (RFC 2465) in the shape the agent
// reads: interface index, 16 prefix octets, prefix length (18
// sub-identifiers).
//
// The prefix is a variable-length OCTET STRING (0 to 16 octets), so a
// conforming agent writes it in the index as a length sub-identifier
// followed by that many octets (RFC 2578, 7.7): ifIndex, n, n octets,
// length. No state; safe from any number of threads.
#ifndef SNMP_PREFIXINDEX_H_
#define SNMP_PREFIXINDEX_H_

#include "snmp/SnmpOid.h"

namespace snmp {

// The 18-sub-identifier shape of a prefix-table index:
// - ifIndex, n, n octets, length with n from 0 to 16 and every octet at
//   most 255 loses its length sub-identifier and has its prefix padded
//   with zero octets to 16;
// - anything else passes unchanged: already in shape, or for the agent to
//   refuse.
// An index of 18 sub-identifiers whose second is 15 is read as a
// conforming index of a 15-octet prefix (an index in shape would need a
// prefix beginning with octet 15, which lies in reserved space).
Oid NormalisePrefixIndex(const Oid& index);

}  // namespace snmp

#endif  // SNMP_PREFIXINDEX_H_
