// Asks the resolver ahead of need for the names of IPv6 addresses that the
// agent will name, so that the run's lookup cache (ZWSetLookupCache) holds
// the answers by the time the agent asks: the requester hands over the
// addresses of a device's tables as it reads them. At most
// kZWWarmLookups lookups are in flight at once, on threads of the warmer's
// own; the answers go only to the cache. Thread-safe.
#ifndef HOST_ZWNAMEWARMER_H_
#define HOST_ZWNAMEWARMER_H_

#include <netinet/in.h>

#include <vector>

constexpr int kZWWarmLookups = 128;

// Queues a reverse lookup (as the agent makes it: name required) of each
// address, and for a name found the lookup of its IPv4 addresses (as the
// agent makes it next), and returns at once. Does nothing while the lookup
// cache is off.
void ZWWarmAddressNames(const std::vector<in6_addr>& addresses);
// The same for IPv4 addresses (an NE given by its address is named so).
void ZWWarmIPv4AddressNames(const std::vector<in_addr>& addresses);

// Drops what is queued and waits for the lookups in flight. Turning the
// lookup cache off calls it.
void ZWStopWarming();

#endif  // HOST_ZWNAMEWARMER_H_
