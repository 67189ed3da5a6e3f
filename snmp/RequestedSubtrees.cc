#include "snmp/RequestedSubtrees.h"

namespace snmp {

const std::vector<Oid>& RequestedSubtrees() {
  static const std::vector<Oid> subtrees = {
      {1, 3, 6, 1, 2, 1, 1},              // system
      {1, 3, 6, 1, 2, 1, 2, 2},           // ifTable
      {1, 3, 6, 1, 2, 1, 4, 1},           // ipForwarding
      {1, 3, 6, 1, 2, 1, 4, 24, 7},       // inetCidrRouteTable
      {1, 3, 6, 1, 2, 1, 4, 25},          // ipv6IpForwarding
      {1, 3, 6, 1, 2, 1, 4, 30},          // ipv6InterfaceTable
      {1, 3, 6, 1, 2, 1, 4, 32},          // ipAddressPrefixTable
      {1, 3, 6, 1, 2, 1, 4, 34},          // ipAddressTable
      {1, 3, 6, 1, 2, 1, 4, 35},          // ipNetToPhysicalTable
      {1, 3, 6, 1, 2, 1, 31, 1, 1},       // ifXTable
      {1, 3, 6, 1, 2, 1, 55},             // IPV6-MIB
  };
  return subtrees;
}

bool IsRequestedObject(const Oid& oid) {
  for (const Oid& subtree : RequestedSubtrees()) {
    if (oid == subtree || OidIsUnder(oid, subtree)) return true;
  }
  return false;
}

}  // namespace snmp
