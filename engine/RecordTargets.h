// Where `ipv6disco record` asks an NE over SNMP: the addresses to try, in
// order, the first that answers being recorded. The agent asks an NE at
// IPv4 addresses only (the replay of a recording does too), so those come
// first:
// - an IPv4 address: itself;
// - a node name: its IPv4 addresses, then its IPv6 addresses;
// - an IPv6 address: the IPv4 addresses of its name (reverse lookup), as
//   the agent reaches such an NE, then the address itself.
// A "/length" is dropped; addresses are in their canonical text (IPv6
// compressed, lower case), each once. Names go through the resolver
// wrappers, so the names overlay (--hosts) comes first. Safe from many
// threads.
#ifndef ENGINE_RECORDTARGETS_H_
#define ENGINE_RECORDTARGETS_H_

#include <string>
#include <vector>

// The addresses for the NE `ne` (which DECheckNe accepted); empty when a
// name has no address.
std::vector<std::string> DERecordTargets(const std::string& ne);

#endif  // ENGINE_RECORDTARGETS_H_
