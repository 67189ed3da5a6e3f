#include "engine/Relationships.h"

#include "engine/RecordFields.h"

namespace {

const char kUniqueAddress[] = "m_UniqueAddress";
const char kLocalAddress[] = "ipv6AddrAddress";
const char kIfIndex[] = "ipv6IfIndex";
const char kRemoteAddress[] = "m_RemoteNbrIpAddr";

}  // namespace

CAddressIndex DEIndexOwners(const std::vector<CRunNe>& nes) {
  CAddressIndex owners;
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
  }
  return owners;
}

std::vector<CRunLink> DEBuildLinks(const std::vector<CRunNe>& nes, const CAddressIndex& owners) {
  std::vector<CRunLink> links;
  for (size_t i = 0; i < nes.size(); ++i) {
    const CRunNe& ne = nes[i];
    if (ne.proc == nullptr) continue;
    std::optional<std::string> neAddress = DEText(DEFieldValue(ne.record, kUniqueAddress));
    const auto& locals = ne.proc->DPDLocalNbrs();
    for (size_t l = 0; l < locals.size(); ++l) {
      const CDiscoProcessedData::LocalNbr& local = locals[l];
      std::optional<long long> ifIndex = DEInteger(DEFieldValue(local.fields, kIfIndex));
      std::optional<std::string> localAddress = DEText(DEFieldValue(local.fields, kLocalAddress));
      for (size_t r = 0; r < local.remotes.size(); ++r) {
        CRunLink link;
        link.ne = i;
        link.local = l;
        link.remote = r;
        link.neAddress = neAddress;
        link.ifIndex = ifIndex;
        link.localAddress = localAddress;
        link.remoteAddress = DEText(DEFieldValue(local.remotes[r], kRemoteAddress));
        if (link.remoteAddress) {
          std::optional<CAddressIndex::Owner> owner = owners.Find(*link.remoteAddress);
          if (owner) {
            link.remoteNe = owner->ne;
            link.remoteNeAddress = DEText(DEFieldValue(nes[owner->ne].record, kUniqueAddress));
          }
        }
        links.push_back(std::move(link));
      }
    }
  }
  return links;
}
