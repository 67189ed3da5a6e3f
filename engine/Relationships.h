// The relationship step of the engine, run once every NE of a run is done:
// a link joins each local neighbour of an NE to each remote neighbour filed
// under it, and names the NE of the run that owns the remote address (as
// one of its local neighbour addresses or as its "m_UniqueAddress"), if
// any.
#ifndef ENGINE_RELATIONSHIPS_H_
#define ENGINE_RELATIONSHIPS_H_

#include <vector>

#include "engine/AddressIndex.h"
#include "engine/RunReport.h"

// The addresses owned by the NEs of `nes`: for each NE in order, its local
// neighbours' "ipv6AddrAddress" values, then its "m_UniqueAddress". An
// address owned by several NEs belongs to the first.
CAddressIndex DEIndexOwners(const std::vector<CRunNe>& nes);

// The links of `nes`, NE by NE in input order, then local neighbours and
// their remote neighbours in the order the processed data holds them.
// O(total neighbours) with the index.
std::vector<CRunLink> DEBuildLinks(const std::vector<CRunNe>& nes, const CAddressIndex& owners);

#endif  // ENGINE_RELATIONSHIPS_H_
