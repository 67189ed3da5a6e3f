// A value as an SNMP agent sent it, independent of the library that
// decoded it, so that live SNMP and recorded walks feed one conversion.
// Plain data; copies are independent.
#ifndef SNMP_WIREVALUE_H_
#define SNMP_WIREVALUE_H_

#include <string>

#include "snmp/SnmpOid.h"

namespace snmp {

// The SMIv2 types of RFC 2578 and the exception values of RFC 3416.
enum class EWireType {
  kInteger,         // INTEGER / Integer32: `integer`
  kUnsigned32,      // Gauge32 / Unsigned32: `number`
  kCounter32,       // `number`
  kTimeTicks,       // `number`
  kCounter64,       // `number`
  kOctetString,     // `octets`
  kObjectId,        // `oid`
  kIpAddress,       // `octets` (4 octets)
  kOpaque,          // `octets`
  kNull,            // no value
  kNoSuchObject,    // exception: the agent has no such object
  kNoSuchInstance,  // exception: the object has no such instance
  kEndOfMibView,    // exception: nothing follows in the agent's view
};

struct WireValue {
  EWireType type = EWireType::kNull;
  long long integer = 0;        // kInteger
  unsigned long long number = 0;  // kUnsigned32, kCounter32, kTimeTicks, kCounter64
  std::string octets;           // kOctetString, kIpAddress, kOpaque (any bytes)
  Oid oid;                      // kObjectId

  // True for the three exception values.
  bool IsException() const {
    return type == EWireType::kNoSuchObject || type == EWireType::kNoSuchInstance ||
           type == EWireType::kEndOfMibView;
  }
};

// One variable binding: a full object identifier and its value.
struct VarBind {
  Oid oid;
  WireValue value;
};

// The name of a type as snmpwalk prints it ("INTEGER", "Gauge32", ...).
const char* WireTypeName(EWireType type);

}  // namespace snmp

#endif  // SNMP_WIREVALUE_H_
