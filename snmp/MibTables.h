// The tables that the requesters fetch whole: the five tables of the IPv6
// MIB of RFC 2465 that the agent walks, and the tables of its successors
// (IF-MIB of RFC 2863, IP-MIB of RFC 4293, IP-FORWARD-MIB of RFC 4292)
// from which the RFC 2465 view is translated. Constant; safe from any
// thread.
#ifndef SNMP_MIBTABLES_H_
#define SNMP_MIBTABLES_H_

#include <cstdint>
#include <vector>

#include "snmp/MibObjectTable.h"
#include "snmp/SnmpOid.h"

namespace snmp {

enum class ETable {
  // RFC 2465
  kIpv6If,
  kIpv6Addr,
  kIpv6AddrPrefix,
  kIpv6NetToMedia,
  kIpv6Route,
  // RFC 2863, 4293, 4292
  kIf,
  kIpv6Interface,
  kIpAddress,
  kIpAddressPrefix,
  kIpNetToPhysical,
  kInetCidrRoute,
};

struct TableDef {
  ETable id;
  const char* name;               // "ipAddressTable"
  const char* mib;                // "RFC 4293"
  Oid entry;                      // the table's entry
  std::vector<uint32_t> columns;  // the columns fetched, ascending
};

const TableDef& Table(ETable table);

// The five RFC 2465 tables, in the order the agent walks them.
const std::vector<ETable>& Rfc2465Tables();

// The RFC 2465 table whose column `column` is, or false.
bool Rfc2465TableOf(const MibObject& column, ETable* table);

// The newer tables that the translation of RFC 2465 table `table` reads.
std::vector<ETable> TranslationSources(ETable table);

// ipv6IpForwarding.0 of RFC 4293, the successor of ipv6Forwarding.0.
const Oid& Ipv6IpForwardingInstance();

}  // namespace snmp

#endif  // SNMP_MIBTABLES_H_
