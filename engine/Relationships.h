// The relationship step of the engine, run once every NE of a run is done:
// a link is one adjacency of an NE: an interface of the NE and one remote
// address seen on it, standing for every local neighbour of that interface
// the remote neighbour is filed under. It names the NE of the run that owns
// the remote address (as one of its local neighbour addresses, its
// "m_UniqueAddress", or an IPv6 address of the name it was given by), if
// any.
#ifndef ENGINE_RELATIONSHIPS_H_
#define ENGINE_RELATIONSHIPS_H_

#include <functional>
#include <string>
#include <vector>

#include "engine/AddressIndex.h"
#include "engine/RunReport.h"

// The IPv6 addresses (texts) a node name resolves to; empty when it does
// not resolve.
using DENameResolver = std::function<std::vector<std::string>(const std::string& name)>;

// The platform resolver (names overlay first, then the system resolver):
// the IPv6 addresses of `name`, each once, in the resolver's order. Safe
// from any thread; may block while the system resolver does.
std::vector<std::string> DEResolveIPv6(const std::string& name);

// The addresses owned by the NEs of `nes`: for each NE in order, its local
// neighbours' "ipv6AddrAddress" values, then its "m_UniqueAddress", then,
// when the NE was given by name (its input is not an address), the IPv6
// addresses `resolve` gives for that name. An address owned by several NEs
// belongs to the first. Each distinct name is resolved once.
CAddressIndex DEIndexOwners(const std::vector<CRunNe>& nes, const DENameResolver& resolve);

// The links of `nes`: one per (NE, "ipv6IfIndex" of the local neighbour,
// "m_RemoteNbrIpAddr" compared by bytes), in order of first appearance (NE
// by NE in input order, then local neighbours and their remote neighbours
// in the order the processed data holds them). A local neighbour without
// "ipv6IfIndex" is an interface of its own; a remote neighbour whose
// address is absent or not an address is a link of its own.
// O(total neighbours) with the index.
std::vector<CRunLink> DEBuildLinks(const std::vector<CRunNe>& nes, const CAddressIndex& owners);

// The "ipv6AddrAddress" of each local neighbour `link` stands for (its
// `locals`), read from the NE's processed data, which must still be held;
// empty optionals where a neighbour has none.
std::vector<std::optional<std::string>> DELocalAddresses(const std::vector<CRunNe>& nes, const CRunLink& link);

#endif  // ENGINE_RELATIONSHIPS_H_
