// How an SNMP reply becomes the engine's var-op, the same for every
// requester, so that live SNMP and recorded walks give identical var-ops.
//
// Values become atoms by the object's syntax (MibObjectTable.h):
// - kInteger: INTEGER, Gauge32/Unsigned32, Counter32, TimeTicks and
//   Counter64 become integer atoms holding the full value (a Counter64
//   above 2^63 - 1 keeps its bits and reads back negative);
// - kDisplayString: an OCTET STRING becomes its text as sent (up to a NUL
//   octet, which a C text cannot hold);
// - kObjectId: an OBJECT IDENTIFIER becomes dotted text without leading dot;
// - kOctets: an OCTET STRING becomes "%.2X" octets joined by ":" ("" for no
//   octets), so a 16-octet address is the byte-wise form and a MAC address
//   a 17-character text.
// A value whose type does not fit the syntax (a device's fault) is
// converted by its own type instead: integers as integers, OCTET STRING and
// Opaque as "%.2X" octets, OBJECT IDENTIFIER as dotted text, IpAddress as
// dotted-quad text. NULL has no atom. No state; safe from any thread.
#ifndef SNMP_ATOMCONVERSION_H_
#define SNMP_ATOMCONVERSION_H_

#include <string>

#include "host/CKelAtom.h"
#include "host/CKelSnmpVarOp.h"
#include "snmp/MibObjectTable.h"
#include "snmp/WireValue.h"

namespace snmp {

// A new atom for `value` read as an object of syntax `syntax`, owned by the
// caller; null for NULL and the exception values, and when memory runs out.
CKelAtom* ValueToAtom(EMibSyntax syntax, const WireValue& value);

// "%.2X" octets joined by ":" ("" for an empty text).
std::string HexOctets(const std::string& octets);

// A new var-op for the reply `bind` to a request about `object`, owned by
// the caller: its index is the part of the reply's OID after the object's
// OID (for the prefix table in the shape of PrefixIndex.h) and its value
// the atom of ValueToAtom (null for NULL). Null when the reply's OID does
// not lie beneath the object's OID or the value is an exception, and when
// memory runs out.
CKelSnmpVarOp* MakeVarOp(const MibObject& object, const VarBind& bind);

}  // namespace snmp

#endif  // SNMP_ATOMCONVERSION_H_
