// Object identifiers as the requesters handle them: a sequence of 32-bit
// sub-identifiers, compared in SNMP (lexicographic) order. No state; safe
// from any number of threads.
#ifndef SNMP_SNMPOID_H_
#define SNMP_SNMPOID_H_

#include <cstdint>
#include <string>
#include <vector>

namespace snmp {

using Oid = std::vector<uint32_t>;

// Parses dotted text ("1.3.6.1", one leading dot allowed) into `out`.
// False, with `out` unchanged, for an empty text, an empty component, a
// character that is not a digit or a number above 2^32 - 1.
bool ParseOid(const std::string& text, Oid* out);

// Dotted text without a leading dot; "" for an empty identifier.
std::string OidText(const Oid& oid);

// True when `oid` lies strictly beneath `prefix`: it is longer and starts
// with every sub-identifier of `prefix`.
bool OidIsUnder(const Oid& oid, const Oid& prefix);

// The sub-identifiers of `oid` after the first `prefixLength` ones (empty
// when there are none).
Oid OidSuffix(const Oid& oid, size_t prefixLength);

}  // namespace snmp

#endif  // SNMP_SNMPOID_H_
