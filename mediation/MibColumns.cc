// The column tables of the IPv6 MIB walked by the mediation layer.
#include "mediation/MibColumns.h"

const char* const ifTable[11] = {
    "ipv6IfIndex",           "ipv6IfDescr",            "ipv6IfLowerLayer",
    "ipv6IfEffectiveMtu",    "ipv6IfReasmMaxSize",     "ipv6IfIdentifier",
    "ipv6IfIdentifierLength", "ipv6IfPhysicalAddress", "ipv6IfAdminStatus",
    "ipv6IfOperStatus",      "ipv6IfLastChange",
};
const int ifTableRange[2] = {1, 11};

const char* const addrTable[5] = {
    "ipv6AddrAddress", "ipv6AddrPfxLength", "ipv6AddrType", "ipv6AddrAnycastFlag", "ipv6AddrStatus",
};
const int addrTableRange[2] = {1, 5};

const char* const prefixTable[6] = {
    "ipv6AddrPrefix",
    "ipv6AddrPrefixLength",
    "ipv6AddrPrefixOnLinkFlag",
    "ipv6AddrPrefixAutonomousFlag",
    "ipv6AddrPrefixAdvPreferredLifetime",
    "ipv6AddrPrefixAdvValidLifetime",
};
const int prefixTableRange[2] = {2, 6};

const char* const netToMediaTable[4] = {
    "ipv6NetToMediaNetAddress", "ipv6NetToMediaPhysAddress", "ipv6IfNetToMediaState",
    "ipv6NetToMediaValid",
};
const int netToMediaTableRange[2] = {1, 4};

const char* const routeTable[7] = {
    "ipv6RouteDest",   "ipv6RoutePfxLength", "ipv6RouteIndex", "ipv6RouteIfIndex",
    "ipv6RouteNextHop", "ipv6RouteType",      "ipv6RouteValid",
};
const int routeTableRange[2] = {3, 7};
