// The IPv6 MIB (RFC 2465) columns that the mediation layer walks.
//
// Each table names the columns of one MIB table in MIB order; each name is
// also the key under which the walked column is stored in the NE's
// mediation data. The companion range {first, last} is half-open: the walk
// requests positions first <= i < last. The positions before `first` are
// index columns, which a manager cannot read; their values travel in each
// row's index. Constant; safe from any thread.
#ifndef MEDIATION_MIBCOLUMNS_H_
#define MEDIATION_MIBCOLUMNS_H_

// ipv6IfTable, rows indexed by interface index.
extern const char* const ifTable[11];
extern const int ifTableRange[2];
// ipv6AddrTable, rows indexed by interface index and the 16 address octets.
extern const char* const addrTable[5];
extern const int addrTableRange[2];
// ipv6AddrPrefixTable, rows indexed by interface index, the 16 prefix
// octets and the prefix length.
extern const char* const prefixTable[6];
extern const int prefixTableRange[2];
// ipv6NetToMediaTable, rows indexed by interface index and the 16 octets of
// the neighbour's address.
extern const char* const netToMediaTable[4];
extern const int netToMediaTableRange[2];
// ipv6RouteTable, rows indexed by destination, prefix length and route
// index.
extern const char* const routeTable[7];
extern const int routeTableRange[2];

#endif  // MEDIATION_MIBCOLUMNS_H_
