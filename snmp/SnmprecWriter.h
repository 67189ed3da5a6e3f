// Writes bindings as snmprec lines ("OID|TAG|VALUE"), the format that
// ReadSnmprec reads (RecordFormats.h) and the snmpsim simulator serves,
// with snmpsim's tags. A value is written so that ReadSnmprec gives it back
// exactly: an OCTET STRING that is not plain printable text (an inner space
// allowed) is written as hex octets ("4x"), an Opaque always so ("68x").
// No state; safe from any thread.
#ifndef SNMP_SNMPRECWRITER_H_
#define SNMP_SNMPRECWRITER_H_

#include <string>
#include <vector>

#include "snmp/WireValue.h"

namespace snmp {

// The line for `bind`, without line break. False, with `line` unchanged,
// for what ReadSnmprec could not give back as it is: an empty OID, an
// exception value, an IpAddress of other than 4 octets, an OBJECT
// IDENTIFIER value that is empty, or a number outside its type's range.
bool SnmprecLine(const VarBind& bind, std::string* line);

// The lines of `binds` (each ended by "\n"), in the order given; the
// bindings SnmprecLine refuses are left out and counted in `leftOut`.
std::string SnmprecText(const std::vector<VarBind>& binds, size_t* leftOut);

}  // namespace snmp

#endif  // SNMP_SNMPRECWRITER_H_
