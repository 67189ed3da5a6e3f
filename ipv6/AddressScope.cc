// Scope classification of IPv6 addresses. The tests are the standard
// address tests of RFC 3493 section 6.7 plus the agent's own test for
// 2000::/3, applied in a fixed order; the first that matches decides.
// Site-local addresses keep their own scope although RFC 3879 withdrew them.
#include <netinet/in.h>
#include <sys/socket.h>

#include "agent/CDiscoIPv6Agent.h"
#include "host/KelTrace.h"
#include "host/ZWPlatform.h"

const char* const scopeDescr[14] = {
    "Unknown",             "Link-local",          "Site-local",          "Global",
    "Loopback",            "Unspecified",         "V4-mapped",           "V4-compat",
    "Multicast",           "Multicast-nodelocal", "Multicast-linklocal", "Multicast-sitelocal",
    "Multicast-orglocal",  "Multicast-global",
};

namespace {

int Classify(const in6_addr* ip) {
  if (IN6_IS_ADDR_UNSPECIFIED(ip)) return 5;
  if (IN6_IS_ADDR_LOOPBACK(ip)) return 4;
  if (IN6_IS_ADDR_LINKLOCAL(ip)) return 1;
  if (IN6_IS_ADDR_SITELOCAL(ip)) return 2;
  if ((ip->s6_addr[0] & 0xE0) == 0x20) return 3;
  if (IN6_IS_ADDR_V4MAPPED(ip)) return 6;
  if (IN6_IS_ADDR_V4COMPAT(ip)) return 7;
  if (IN6_IS_ADDR_MULTICAST(ip)) {
    // Only the scope field (low four bits of octet 1) refines it; the flag
    // bits are ignored.
    if (IN6_IS_ADDR_MC_NODELOCAL(ip)) return 9;
    if (IN6_IS_ADDR_MC_LINKLOCAL(ip)) return 10;
    if (IN6_IS_ADDR_MC_SITELOCAL(ip)) return 11;
    if (IN6_IS_ADDR_MC_ORGLOCAL(ip)) return 12;
    if (IN6_IS_ADDR_MC_GLOBAL(ip)) return 13;
    return 8;
  }
  return 0;
}

}  // namespace

int CDiscoIPv6Agent::DIPv6GetAddrScope(const in6_addr* ip) {
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DIPv6GetAddrScope(in6_addr *)\n", 4);
  // A missing address is no address: "Unknown".
  const int scope = ip != nullptr ? Classify(ip) : 0;
  genXPLTracef(4, " --CDiscoIPv6Agent::DIPv6GetAddrScope(in6_addr *) found scope[%s]\n",
               scopeDescr[scope]);
  genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6GetAddrScope(in6_addr *)\n", 4);
  return scope;
}

int CDiscoIPv6Agent::DIPv6GetAddrScope(const char* ipStr) {
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DIPv6GetAddrScope(const char *)\n", 4);
  genXPLTracef(4, " --CDiscoIPv6Agent::DIPv6GetAddrScope(const char *) input addr[%s]\n",
               ipStr != nullptr ? ipStr : "\"NULL\"");
  // Text that is not an address (callers pass only addresses) is "Unknown"
  // without being classified.
  int scope = 0;
  in6_addr addr;
  if (ipStr != nullptr && _ZWinet_pton(AF_INET6, ipStr, &addr) == 1) scope = DIPv6GetAddrScope(&addr);
  genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6GetAddrScope(const char *)\n", 4);
  return scope;
}
