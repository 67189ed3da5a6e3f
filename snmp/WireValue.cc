#include "snmp/WireValue.h"

namespace snmp {

const char* WireTypeName(EWireType type) {
  switch (type) {
    case EWireType::kInteger: return "INTEGER";
    case EWireType::kUnsigned32: return "Gauge32";
    case EWireType::kCounter32: return "Counter32";
    case EWireType::kTimeTicks: return "Timeticks";
    case EWireType::kCounter64: return "Counter64";
    case EWireType::kOctetString: return "STRING";
    case EWireType::kObjectId: return "OID";
    case EWireType::kIpAddress: return "IpAddress";
    case EWireType::kOpaque: return "Opaque";
    case EWireType::kNull: return "NULL";
    case EWireType::kNoSuchObject: return "noSuchObject";
    case EWireType::kNoSuchInstance: return "noSuchInstance";
    case EWireType::kEndOfMibView: return "endOfMibView";
  }
  return "unknown";
}

}  // namespace snmp
