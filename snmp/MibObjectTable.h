// The one table of the SNMP objects that the requesters serve: the four
// scalars (system group, IP and IPv6 forwarding) and the columns of the
// IPv6 MIB of RFC 2465, with their OIDs and the syntax that decides how a
// value becomes an atom. Constant after first use; safe from any thread.
#ifndef SNMP_MIBOBJECTTABLE_H_
#define SNMP_MIBOBJECTTABLE_H_

#include <vector>

#include "snmp/SnmpOid.h"

namespace snmp {

// How a value of the object becomes an atom (see AtomConversion.h).
enum class EMibSyntax {
  kInteger,        // INTEGER, Unsigned32, Gauge32, Counter, TimeTicks, TruthValue
  kDisplayString,  // text as sent
  kObjectId,       // dotted text
  kOctets,         // any other OCTET STRING: "%.2X" octets joined by ":"
};

struct MibObject {
  const char* name;  // the object's MIB name, also the requesters' key
  Oid oid;           // of the scalar or column, without instance
  EMibSyntax syntax;
  bool indexOnly;      // a not-accessible index column: it has no rows
  bool prefixIndexed;  // a column of ipv6AddrPrefixTable (see PrefixIndex.h)
};

// The object named `name` (exact, case-sensitive), or null when the table
// has no such object or `name` is null. The table keeps the object.
const MibObject* FindMibObject(const char* name);

// Every object, scalars first, then the columns in MIB order.
const std::vector<MibObject>& MibObjects();

}  // namespace snmp

#endif  // SNMP_MIBOBJECTTABLE_H_
