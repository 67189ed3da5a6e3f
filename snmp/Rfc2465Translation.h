// Translation of the IPv6 tables of RFC 2465 (IPV6-MIB) from their
// successors: IF-MIB (RFC 2863), IP-MIB (RFC 4293) and IP-FORWARD-MIB
// (RFC 4292), for devices that no longer serve RFC 2465.
//
// Values come from the device; the only values made here are the mapped
// enumerations and the few derived values below. IPv4 rows never pass;
// ipv6z rows (RFC 4001) pass without their zone index.
//
// ipv6IfTable (ifIndex): one row per interface that carries an IPv6
//   address in ipAddressTable or has a row in ipv6InterfaceTable.
//   Descr <- ifDescr; EffectiveMtu <- ifMtu; ReasmMaxSize <-
//   ipv6InterfaceReasmMaxSize; Identifier <- ipv6InterfaceIdentifier, else
//   the low 64 bits of the interface's first link-local address (derived);
//   IdentifierLength <- 8 x the identifier's octets (derived); PhysicalAddress
//   <- ifPhysAddress; AdminStatus <- down(2) when ifAdminStatus or
//   ipv6InterfaceEnableStatus says down, up(1) when one says up and none
//   down; OperStatus <- ifOperStatus (up, down kept; testing, dormant,
//   lowerLayerDown -> down; unknown -> unknown(4); notPresent -> notPresent(5);
//   other values -> unknown); LastChange <- ifLastChange. No LowerLayer.
// ipv6AddrTable (ifIndex . 16 octets) <- ipAddressTable: ifIndex from
//   ipAddressIfIndex; PfxLength from the last sub-identifier of the
//   ipAddressPrefix row pointer (none for 0.0 or a pointer outside
//   ipAddressPrefixTable); Type <- ipAddressOrigin (linklayer, random ->
//   stateless(1); dhcp -> stateful(2); others -> unknown(3)); AnycastFlag <-
//   ipAddressType (anycast -> true(1); unicast, broadcast -> false(2));
//   Status <- ipAddressStatus (1 to 5 kept, others -> unknown(5)).
// ipv6AddrPrefixTable (ifIndex . 16 octets . length) <- ipAddressPrefixTable:
//   the four flags and lifetimes as they are.
// ipv6RouteTable (16 octets . length . routeIndex) <- inetCidrRouteTable:
//   routeIndex numbered 1, 2, ... per destination and length in walk
//   order; IfIndex as it is; NextHop from the row index (:: for a next hop
//   of type unknown and length 0, that is on-link); Type <- other, local,
//   remote kept, reject and blackhole -> discard(2), other values ->
//   other(1); Valid <- true(1) when inetCidrRouteStatus is active(1), else
//   false(2). A next hop that is neither IPv6 nor on-link drops the row.
// ipv6NetToMediaTable (ifIndex . 16 octets) <- ipNetToPhysicalTable:
//   PhysAddress as it is; State 1 to 6 kept, others (incomplete) ->
//   unknown(6); Valid <- false(2) when the type is invalid(2) or the row
//   status is not active(1), else true(1) (none when the device gives
//   neither).
// Row indexes that cannot be read (lengths that do not fit, sub-identifiers
// above 255 in an address) drop their row. No state; safe from any thread.
#ifndef SNMP_RFC2465TRANSLATION_H_
#define SNMP_RFC2465TRANSLATION_H_

#include <map>

#include "snmp/MibTables.h"
#include "snmp/TableRows.h"

namespace snmp {

// The rows of RFC 2465 table `table` (ETable::kIpv6If ... kIpv6Route),
// with the column numbers of RFC 2465, translated from `sources` (the
// device's newer tables by id; a table absent from the map counts as
// empty).
TableRows TranslateRfc2465(ETable table, const std::map<ETable, TableRows>& sources);

// net-snmp's Linux agent (5.9) fills ipv6IfAdminStatus from the link's
// carrier and ipv6IfOperStatus from its administrative flag: an interface
// that is up without carrier reads "administratively down". For each row of
// `ipv6IfTable` whose two status columns are exactly the IF-MIB's
// ifAdminStatus and ifOperStatus of the same interface swapped (one up,
// the other down), the IF-MIB's values are taken. Other rows stay.
void UnswapInterfaceStatus(const TableRows& ifTable, TableRows* ipv6IfTable);

}  // namespace snmp

#endif  // SNMP_RFC2465TRANSLATION_H_
