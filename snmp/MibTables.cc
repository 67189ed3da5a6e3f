// Entry OIDs and column numbers from RFC 2465 (IPV6-MIB), RFC 2863
// (IF-MIB), RFC 4293 (IP-MIB) and RFC 4292 (IP-FORWARD-MIB).
#include "snmp/MibTables.h"

#include <cstdlib>

namespace snmp {

namespace {

struct Row {
  ETable id;
  const char* name;
  const char* mib;
  const char* entry;
  std::vector<uint32_t> columns;
};

const std::vector<TableDef>& Defs() {
  static const std::vector<TableDef>* defs = [] {
    const Row rows[] = {
        {ETable::kIpv6If, "ipv6IfTable", "RFC 2465", "1.3.6.1.2.1.55.1.5.1",
         {2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
        {ETable::kIpv6Addr, "ipv6AddrTable", "RFC 2465", "1.3.6.1.2.1.55.1.8.1", {2, 3, 4, 5}},
        {ETable::kIpv6AddrPrefix, "ipv6AddrPrefixTable", "RFC 2465", "1.3.6.1.2.1.55.1.7.1",
         {3, 4, 5, 6}},
        {ETable::kIpv6NetToMedia, "ipv6NetToMediaTable", "RFC 2465", "1.3.6.1.2.1.55.1.12.1",
         {2, 4, 6}},
        {ETable::kIpv6Route, "ipv6RouteTable", "RFC 2465", "1.3.6.1.2.1.55.1.11.1",
         {4, 5, 6, 14}},
        // ifDescr, ifMtu, ifPhysAddress, ifAdminStatus, ifOperStatus, ifLastChange
        {ETable::kIf, "ifTable", "RFC 2863", "1.3.6.1.2.1.2.2.1", {2, 4, 6, 7, 8, 9}},
        // ReasmMaxSize, Identifier, EnableStatus
        {ETable::kIpv6Interface, "ipv6InterfaceTable", "RFC 4293", "1.3.6.1.2.1.4.30.1",
         {2, 3, 5}},
        // IfIndex, Type, Prefix, Origin, Status
        {ETable::kIpAddress, "ipAddressTable", "RFC 4293", "1.3.6.1.2.1.4.34.1", {3, 4, 5, 6, 7}},
        // OnLinkFlag, AutonomousFlag, AdvPreferredLifetime, AdvValidLifetime
        {ETable::kIpAddressPrefix, "ipAddressPrefixTable", "RFC 4293", "1.3.6.1.2.1.4.32.1",
         {6, 7, 8, 9}},
        // PhysAddress, Type, State, RowStatus
        {ETable::kIpNetToPhysical, "ipNetToPhysicalTable", "RFC 4293", "1.3.6.1.2.1.4.35.1",
         {4, 6, 7, 8}},
        // IfIndex, Type, Status
        {ETable::kInetCidrRoute, "inetCidrRouteTable", "RFC 4292", "1.3.6.1.2.1.4.24.7.1",
         {7, 8, 17}},
    };
    auto* out = new std::vector<TableDef>;
    for (const Row& row : rows) {
      TableDef def{row.id, row.name, row.mib, Oid(), row.columns};
      if (!ParseOid(row.entry, &def.entry)) abort();  // the table above is wrong
      out->push_back(std::move(def));
    }
    return out;
  }();
  return *defs;
}

}  // namespace

const TableDef& Table(ETable table) { return Defs()[static_cast<size_t>(table)]; }

const std::vector<ETable>& Rfc2465Tables() {
  static const std::vector<ETable> tables{ETable::kIpv6If, ETable::kIpv6Addr,
                                          ETable::kIpv6AddrPrefix, ETable::kIpv6NetToMedia,
                                          ETable::kIpv6Route};
  return tables;
}

bool Rfc2465TableOf(const MibObject& column, ETable* table) {
  if (column.indexOnly || column.oid.empty()) return false;
  const Oid entry(column.oid.begin(), column.oid.end() - 1);
  for (ETable id : Rfc2465Tables()) {
    if (Table(id).entry == entry) {
      *table = id;
      return true;
    }
  }
  return false;
}

std::vector<ETable> TranslationSources(ETable table) {
  switch (table) {
    case ETable::kIpv6If: return {ETable::kIf, ETable::kIpv6Interface, ETable::kIpAddress};
    case ETable::kIpv6Addr: return {ETable::kIpAddress};
    case ETable::kIpv6AddrPrefix: return {ETable::kIpAddressPrefix};
    case ETable::kIpv6NetToMedia: return {ETable::kIpNetToPhysical};
    case ETable::kIpv6Route: return {ETable::kInetCidrRoute};
    default: return {};
  }
}

const Oid& Ipv6IpForwardingInstance() {
  static const Oid oid{1, 3, 6, 1, 2, 1, 4, 25, 0};
  return oid;
}

}  // namespace snmp
