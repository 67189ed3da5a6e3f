// What the discovery of router R1 (tests/fixtures/snmp: 2001:db8:1::1)
// must give, worked out from its recorded tables, the sandbox hosts file
// and the prefix names below, field by field and in order.
//
// Address table of R1, in walk order, and what becomes of each address:
//   if 1 ::1                          loopback: skipped
//   if 2 2001:db8:1::                 anycast: skipped
//   if 2 2001:db8:1::1                local neighbour 0 (name without IPv4)
//   if 2 fe80::200:5eff:fe00:5301     local neighbour 1 (no name)
//   if 2 ff02::1:ff00:1               multicast: skipped
//   if 3 2001:db8:2::1                local neighbour 2 (name with IPv4)
//   if 3 fe80::200:5eff:fe00:5302     local neighbour 3
//   if 3 fec0:0:0:1::1                local neighbour 4 (site-local)
//   if 4 two addresses                interface down: skipped
//   if 5 2001:db8:4::1, fe80::c633:640a  local neighbours 5 and 6: the
//        tunnel has no ipv6IfDescr and a 4-octet physical address
// Remote neighbours: routes ::/0 and 2001:db8:10::/48 via gw2 (2001:db8:2::fe)
// on if 3 (two equal records, both merged with gw2's cache entry), route
// 2001:db8:13::/48 via 2001:db8:2::fc on if 3 (no name, no merge: its cache
// entry is on if 2, where it makes a record of its own), cache entry
// 2001:db8:2::20 on if 3 (empty link-layer address, named). Not neighbours:
// the invalid route via ::fd, the link-local next hop, the own address as
// next hop, the "::" next hops, the cache entry of the own address, the
// link-local cache entries.
#ifndef TESTS_INTEGRATION_ROUTERR1EXPECTED_H_
#define TESTS_INTEGRATION_ROUTERR1EXPECTED_H_

#include <string>
#include <vector>

#include "tests/support/NbrRecordText.h"

namespace r1 {

// The prefix-name file of the tests: two of R1's prefixes get names, one
// name is for a prefix R1 does not have.
inline const char* PrefixNames() {
  return "# lab prefixes\n"
         "2001:db8:1::/64 Lab-One\n"
         "fec0:0:0:1::/64 Site-One\n"
         "2001:db8:9::/48 Elsewhere\n";
}

inline FieldTexts Interface2() {
  return {"ipv6IfIndex=2",
          "ipv6IfDescr=eth0",
          "ipv6IfLowerLayer=1.3.6.1.2.1.2.2.1.1.2",
          "ipv6IfEffectiveMtu=1500",
          "ipv6IfReasmMaxSize=65535",
          "ipv6IfIdentifier=02:00:5E:FF:FE:00:53:01",
          "ipv6IfIdentifierLength=64",
          "ipv6IfPhysicalAddress=00:00:5E:00:53:01",
          "ipv6IfAdminStatus=1",
          "ipv6IfOperStatus=1",
          "ipv6IfLastChange=1234"};
}

inline FieldTexts Interface3() {
  return {"ipv6IfIndex=3",
          "ipv6IfDescr=eth1",
          "ipv6IfLowerLayer=1.3.6.1.2.1.2.2.1.1.3",
          "ipv6IfEffectiveMtu=1500",
          "ipv6IfReasmMaxSize=65535",
          "ipv6IfIdentifier=02:00:5E:FF:FE:00:53:02",
          "ipv6IfIdentifierLength=64",
          "ipv6IfPhysicalAddress=00:00:5E:00:53:02",
          "ipv6IfAdminStatus=1",
          "ipv6IfOperStatus=1",
          "ipv6IfLastChange=1234"};
}

// No ipv6IfDescr; the 11-character physical address text "C6:33:64:0A"
// is written byte by byte.
inline FieldTexts Interface5() {
  return {"ipv6IfIndex=5",
          "ipv6IfLowerLayer=1.3.6.1.2.1.2.2.1.1.5",
          "ipv6IfEffectiveMtu=1480",
          "ipv6IfReasmMaxSize=65535",
          "ipv6IfIdentifier=00:00:00:00:C6:33:64:0A",
          "ipv6IfIdentifierLength=64",
          "ipv6IfPhysicalAddress=INVALID[43:36:3A:33:33:3A:36:34:3A:30:41(hex)]",
          "ipv6IfAdminStatus=1",
          "ipv6IfOperStatus=1",
          "ipv6IfLastChange=4294967290"};
}

inline FieldTexts Join(FieldTexts head, const FieldTexts& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

// The local neighbour records in order; `withNames` when the prefix-name
// file above was loaded.
inline std::vector<FieldTexts> LocalNbrs(bool withNames) {
  const FieldTexts name1 = withNames ? FieldTexts{"ipv6AddrPrefixName=Lab-One"} : FieldTexts{};
  const FieldTexts nameSite = withNames ? FieldTexts{"ipv6AddrPrefixName=Site-One"} : FieldTexts{};
  const FieldTexts advertised = {"ipv6AddrPrefixOnLinkFlag=1", "ipv6AddrPrefixAutonomousFlag=1",
                                 "ipv6AddrPrefixAdvPreferredLifetime=604800",
                                 "ipv6AddrPrefixAdvValidLifetime=2592000"};
  return {
      Join(Join(Join(Interface2(),
                     {"ipv6AddrAddress=2001:db8:1::1", "ipv6AddrPfxLength=64", "ipv6AddrType=3",
                      "ipv6AddrAnycastFlag=2", "ipv6AddrStatus=1", "ipv6AddrScope=3",
                      "ipv6AddrDNSName=r1-v6.lab.example", "ipv6AddrPrefix=2001:db8:1::"}),
                name1),
           advertised),
      Join(Interface2(), {"ipv6AddrAddress=fe80::200:5eff:fe00:5301", "ipv6AddrPfxLength=64",
                          "ipv6AddrType=1", "ipv6AddrAnycastFlag=2", "ipv6AddrStatus=1",
                          "ipv6AddrScope=1", "ipv6AddrPrefix=fe80::"}),
      Join(Join(Interface3(), {"ipv6AddrAddress=2001:db8:2::1", "ipv6AddrPfxLength=64",
                               "ipv6AddrType=2", "ipv6AddrAnycastFlag=2", "ipv6AddrStatus=1",
                               "ipv6AddrScope=3", "ipv6AddrDNSName=r1-eth1.lab.example",
                               "ipv6AddrV4Addresses=198.51.100.21", "ipv6AddrPrefix=2001:db8:2::"}),
           advertised),
      Join(Interface3(), {"ipv6AddrAddress=fe80::200:5eff:fe00:5302", "ipv6AddrPfxLength=64",
                          "ipv6AddrType=1", "ipv6AddrAnycastFlag=2", "ipv6AddrStatus=1",
                          "ipv6AddrScope=1", "ipv6AddrPrefix=fe80::"}),
      Join(Join(Join(Interface3(), {"ipv6AddrAddress=fec0:0:0:1::1", "ipv6AddrPfxLength=64",
                                    "ipv6AddrType=3", "ipv6AddrAnycastFlag=2", "ipv6AddrStatus=2",
                                    "ipv6AddrScope=2", "ipv6AddrPrefix=fec0:0:0:1::"}),
                nameSite),
           {"ipv6AddrPrefixOnLinkFlag=1", "ipv6AddrPrefixAutonomousFlag=2",
            "ipv6AddrPrefixAdvPreferredLifetime=604800", "ipv6AddrPrefixAdvValidLifetime=2592000"}),
      Join(Interface5(),
           {"ipv6AddrAddress=2001:db8:4::1", "ipv6AddrPfxLength=64", "ipv6AddrType=3",
            "ipv6AddrAnycastFlag=2", "ipv6AddrStatus=1", "ipv6AddrScope=3",
            "ipv6AddrPrefix=2001:db8:4::", "ipv6AddrPrefixOnLinkFlag=2",
            "ipv6AddrPrefixAutonomousFlag=1", "ipv6AddrPrefixAdvPreferredLifetime=4294967295",
            "ipv6AddrPrefixAdvValidLifetime=4294967295"}),
      Join(Interface5(), {"ipv6AddrAddress=fe80::c633:640a", "ipv6AddrPfxLength=64",
                          "ipv6AddrType=1", "ipv6AddrAnycastFlag=2", "ipv6AddrStatus=1",
                          "ipv6AddrScope=1", "ipv6AddrPrefix=fe80::"}),
  };
}

// Remote neighbours filed under every local neighbour of interface 2 ...
inline std::vector<FieldTexts> RemotesOfInterface2() {
  // The cache entry of 2001:db8:2::fc on interface 2: its route is on
  // interface 3, so it is a record of its own (no name: four fields).
  return {{"m_RemoteNbrIpAddr=2001:db8:2::fc", "m_RemoteNbrIpPfxLength=64", "m_RemoteNbrIpScope=3",
           "m_RemoteNbrMacAddr=00:00:5E:00:53:FC"}};
}

// ... and of interface 3.
inline std::vector<FieldTexts> RemotesOfInterface3() {
  const FieldTexts gw2 = {"m_RemoteNbrIpAddr=2001:db8:2::fe", "m_RemoteNbrIpPfxLength=64",
                          "m_RemoteNbrIpScope=3", "m_RemoteNbrIpDNSName=gw2.lab.example",
                          "m_RemoteNbrMacAddr=00:00:5E:00:53:FE"};
  return {gw2,  // ::/0
          gw2,  // 2001:db8:10::/48
          {"m_RemoteNbrIpAddr=2001:db8:2::fc", "m_RemoteNbrIpPfxLength=64", "m_RemoteNbrIpScope=3"},
          // From the cache alone: link-layer address before the name.
          {"m_RemoteNbrIpAddr=2001:db8:2::20", "m_RemoteNbrIpPfxLength=64", "m_RemoteNbrIpScope=3",
           "m_RemoteNbrMacAddr=", "m_RemoteNbrIpDNSName=n20.lab.example"}};
}

// The reports of the neighbour builders and the process layer, in order
// ("code|message").
inline std::vector<std::string> ProcessingReports(bool autoDiscovery) {
  const std::string noIf = "-220439|can not find INTERFACE attributes for local neighbour ";
  const std::string noName = "-220439|no DNS name";
  std::vector<std::string> reports = {"-220439|no IPv4 addresses",  // r1-v6.lab.example
                                      noName,
                                      noName,
                                      noName,  // the link-local and site-local addresses
                                      noIf,
                                      noName,
                                      noIf,
                                      noName};  // the tunnel's two addresses
  if (!autoDiscovery) return reports;
  const std::vector<std::string> remote = {
      "-220439|skip invalid route index",  // 2001:db8:12::/48
      "-220439|No entry for 32.1.13.184.0.1.0.0.0.0.0.0.0.0.0.1.128.1 in valid routes list.",
      "-220439|No entry for 32.1.13.184.0.18.0.0.0.0.0.0.0.0.0.0.48.1 in valid routes list.",
      "-220439|No remote nbrs for IfIndex 5", "-220439|No remote nbrs for IfIndex 5"};
  reports.insert(reports.end(), remote.begin(), remote.end());
  return reports;
}

// Addresses of R1's neighbourhood without a reverse name that the
// discovery asks about: five own addresses, and 2001:db8:2::fc twice (as
// next hop and as cache entry) when remote neighbours are built.
inline int UnnamedLookups(bool autoDiscovery) { return autoDiscovery ? 7 : 5; }

}  // namespace r1

#endif  // TESTS_INTEGRATION_ROUTERR1EXPECTED_H_
