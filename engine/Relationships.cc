#include "engine/Relationships.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <cstring>
#include <unordered_map>

#include "engine/NeInput.h"
#include "engine/RecordFields.h"
#include "host/ZWResolver.h"

namespace {

const char kUniqueAddress[] = "m_UniqueAddress";
const char kLocalAddress[] = "ipv6AddrAddress";
const char kIfIndex[] = "ipv6IfIndex";
const char kRemoteAddress[] = "m_RemoteNbrIpAddr";

}  // namespace

std::vector<std::string> DEResolveIPv6(const std::string& name) {
  std::vector<std::string> addresses;
  addrinfo hints{};
  hints.ai_family = AF_INET6;
  addrinfo* list = nullptr;
  if (_ZWgetaddrinfo(name.c_str(), nullptr, &hints, &list) != 0) return addresses;
  for (const addrinfo* a = list; a != nullptr; a = a->ai_next) {
    if (a->ai_family != AF_INET6 || a->ai_addr == nullptr) continue;
    char text[INET6_ADDRSTRLEN];
    const auto* sa = reinterpret_cast<const sockaddr_in6*>(a->ai_addr);
    if (inet_ntop(AF_INET6, &sa->sin6_addr, text, sizeof text) != nullptr) {
      addresses.push_back(text);
    }
  }
  _ZWfreeaddrinfo(list);
  return addresses;
}

CAddressIndex DEIndexOwners(const std::vector<CRunNe>& nes, const DENameResolver& resolve) {
  CAddressIndex owners;
  std::unordered_map<std::string, std::vector<std::string>> resolved;  // name -> addresses
  for (size_t i = 0; i < nes.size(); ++i) {
    const CRunNe& ne = nes[i];
    if (ne.proc != nullptr) {
      const auto& locals = ne.proc->DPDLocalNbrs();
      for (size_t l = 0; l < locals.size(); ++l) {
        std::optional<std::string> address = DEText(DEFieldValue(locals[l].fields, kLocalAddress));
        if (address) owners.Add(*address, i, l);
      }
    }
    // After the local neighbours, so that an NE's own address that is also
    // one of its local neighbours is known with that neighbour.
    std::optional<std::string> unique = DEText(DEFieldValue(ne.record, kUniqueAddress));
    if (unique) owners.Add(*unique, i);
    // Last, the addresses of the name it was given by: a host named "h1"
    // is the far end of a router's link to h1's address.
    if (DENeIsName(ne.input)) {
      auto it = resolved.find(ne.input);
      if (it == resolved.end()) it = resolved.emplace(ne.input, resolve(ne.input)).first;
      for (const std::string& address : it->second) owners.Add(address, i);
    }
  }
  return owners;
}

std::vector<CRunLink> DEBuildLinks(const std::vector<CRunNe>& nes, const CAddressIndex& owners) {
  std::vector<CRunLink> links;
  for (size_t i = 0; i < nes.size(); ++i) {
    const CRunNe& ne = nes[i];
    if (ne.proc == nullptr) continue;
    std::optional<std::string> neAddress = DEText(DEFieldValue(ne.record, kUniqueAddress));
    // (interface, remote address bytes) -> link. The interface is its
    // "ipv6IfIndex", or for a local neighbour without one, that neighbour;
    // the key is a marker of which, the 8 bytes of the number, the address.
    std::unordered_map<std::string, size_t> linkOf;
    const auto& locals = ne.proc->DPDLocalNbrs();
    for (size_t l = 0; l < locals.size(); ++l) {
      const CDiscoProcessedData::LocalNbr& local = locals[l];
      std::optional<long long> ifIndex = DEInteger(DEFieldValue(local.fields, kIfIndex));
      std::optional<std::string> localAddress = DEText(DEFieldValue(local.fields, kLocalAddress));
      for (size_t r = 0; r < local.remotes.size(); ++r) {
        std::optional<std::string> remoteAddress =
            DEText(DEFieldValue(local.remotes[r], kRemoteAddress));
        std::optional<std::string> key =
            remoteAddress ? DEAddressKey(*remoteAddress) : std::nullopt;
        if (key) {
          const long long number = ifIndex ? *ifIndex : static_cast<long long>(l);
          std::string interface(1 + sizeof number, ifIndex ? 'i' : 'l');
          memcpy(&interface[1], &number, sizeof number);
          auto [it, added] = linkOf.emplace(interface + *key, links.size());
          if (!added) {
            // The same adjacency seen from another address of the interface
            // (or twice from this one).
            CRunLink& link = links[it->second];
            if (link.locals.back() != l) link.locals.push_back(l);
            continue;
          }
        }
        CRunLink link;
        link.ne = i;
        link.local = l;
        link.remote = r;
        link.locals = {l};
        link.neAddress = neAddress;
        link.ifIndex = ifIndex;
        link.localAddress = localAddress;
        link.remoteAddress = std::move(remoteAddress);
        if (link.remoteAddress) {
          std::optional<CAddressIndex::Owner> owner = owners.Find(*link.remoteAddress);
          if (owner) {
            link.remoteNe = owner->ne;
            link.remoteLocal = owner->local;
            link.remoteNeAddress = DEText(DEFieldValue(nes[owner->ne].record, kUniqueAddress));
          }
        }
        links.push_back(std::move(link));
      }
    }
  }
  return links;
}

std::vector<std::optional<std::string>> DELocalAddresses(const std::vector<CRunNe>& nes, const CRunLink& link) {
  std::vector<std::optional<std::string>> addresses;
  const auto& locals = nes[link.ne].proc->DPDLocalNbrs();
  for (size_t l : link.locals) addresses.push_back(DEText(DEFieldValue(locals[l].fields, kLocalAddress)));
  return addresses;
}
