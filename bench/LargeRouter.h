// The mediation data of a large IPv6 router, built directly, for timing
// the neighbour processing: `n` addresses on n/2 interfaces, `n` routes and
// `n` neighbour-cache entries.
//
// Interface k (1 to n/2) is up, has the global address S(k)::1/64 (prefix
// advertised), S(k) = 2001:db8:<k + 0x1000>, and the link-local address
// fe80::k/64; routes 2001:db9:r::/48 go, two per interface, via S(k)::fe;
// the cache holds S(k)::fe (which merges into the two route records) and
// S(k)::20 (a record of its own). No address has a name in the test hosts
// file. So the processed data gets n local
// neighbours, each with three remote neighbours.
#ifndef BENCH_LARGEROUTER_H_
#define BENCH_LARGEROUTER_H_

#include <string>

#include "host/CDiscoMediationData.h"

// Stores the four scalars (ipv6Forwarding 1) and the columns in `medData`.
// `n` is even and at least 2.
void FillLargeRouter(CDiscoMediationData* medData, int n);

// The text of S(k)::<host> for interface k.
std::string LargeRouterAddress(int k, const char* host);

#endif  // BENCH_LARGEROUTER_H_
