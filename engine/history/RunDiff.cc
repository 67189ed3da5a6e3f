#include "engine/history/RunDiff.h"

#include <map>
#include <set>
#include <tuple>
#include <utility>

namespace {

std::string KeyOf(const CStoredNe& ne) { return ne.name && !ne.name->empty() ? *ne.name : ne.input; }

std::string ClassOf(const CStoredNe& ne) {
  if (ne.status != "processed") return ne.status;
  std::string text;
  for (const std::string& c : ne.capabilities) text += (text.empty() ? "" : ",") + c;
  return text.empty() ? "processed" : text;
}

std::string InterfaceOf(const CStoredLocal& local) {
  if (local.interface && !local.interface->empty()) return *local.interface;
  return local.ifIndex ? "if " + std::to_string(*local.ifIndex) : "if ?";
}

// What one processed NE shows, keyed for comparison.
struct View {
  std::set<std::pair<std::string, std::string>> addresses;  // interface, address/length
  // neighbour address -> interface, MAC (the first interface it is seen on)
  std::map<std::string, std::pair<std::string, std::optional<std::string>>> neighbours;
  std::map<std::pair<std::string, std::string>, std::optional<std::string>> links;  // (interface, remote) -> far NE
};

View ViewOf(const CStoredRun& run, size_t index) {
  View view;
  const CStoredNe& ne = run.nes[index];
  for (const CStoredLocal& local : ne.locals) {
    const std::string interface = InterfaceOf(local);
    if (local.address) {
      view.addresses.emplace(interface, *local.address +
                                            (local.prefixLength ? "/" + std::to_string(*local.prefixLength) : ""));
    }
    for (const CStoredRemote& remote : local.remotes) view.neighbours.emplace(remote.address, std::make_pair(interface, remote.mac));
  }
  std::map<std::pair<size_t, std::optional<long long>>, std::string> interfaces;  // (NE, ifIndex) -> name
  for (const CStoredLocal& local : ne.locals) interfaces.emplace(std::make_pair(index, local.ifIndex), InterfaceOf(local));
  for (const CStoredLink& link : run.links) {
    if (link.ne != index) continue;
    auto it = interfaces.find({index, link.ifIndex});
    std::optional<std::string> far;
    if (link.remoteNe) far = KeyOf(run.nes[*link.remoteNe]);
    view.links.emplace(std::make_pair(it != interfaces.end() ? it->second : "if ?", link.remoteAddress.value_or("")), far);
  }
  return view;
}

// The details of an NE processed in both runs.
void Compare(const View& a, const View& b, CNeChange* change) {
  for (const auto& [interface, address] : b.addresses) {
    if (!a.addresses.count({interface, address})) change->addressesAdded.push_back({interface, address});
  }
  for (const auto& [interface, address] : a.addresses) {
    if (!b.addresses.count({interface, address})) change->addressesRemoved.push_back({interface, address});
  }
  for (const auto& [address, seen] : b.neighbours) {
    auto before = a.neighbours.find(address);
    if (before == a.neighbours.end()) {
      change->appeared.push_back({address, seen.first, seen.second});
    } else if (before->second.first != seen.first) {
      change->moved.push_back({address, before->second.first, seen.first});
    } else if (before->second.second != seen.second) {
      change->macChanged.push_back({address, seen.first, before->second.second, seen.second});
    }
  }
  for (const auto& [address, seen] : a.neighbours) {
    if (!b.neighbours.count(address)) change->vanished.push_back({address, seen.first, seen.second});
  }
  for (const auto& [key, far] : b.links) {
    if (!a.links.count(key)) change->linksAdded.push_back({key.first, key.second, far});
  }
  for (const auto& [key, far] : a.links) {
    if (!b.links.count(key)) change->linksRemoved.push_back({key.first, key.second, far});
  }
}

bool Empty(const CNeChange& c) {
  return c.kind == CNeChange::kChanged && !c.classFrom && c.addressesAdded.empty() && c.addressesRemoved.empty() &&
         c.appeared.empty() && c.vanished.empty() && c.moved.empty() && c.macChanged.empty() &&
         c.linksAdded.empty() && c.linksRemoved.empty();
}

}  // namespace

CRunDiff DEDiffRuns(const CStoredRun& from, const CStoredRun& to) {
  CRunDiff diff;
  diff.from = from.summary, diff.to = to.summary;
  std::map<std::string, size_t> before;  // key -> index in `from` (the first NE of a key)
  for (size_t i = 0; i < from.nes.size(); ++i) before.emplace(KeyOf(from.nes[i]), i);
  std::set<std::string> seen;
  for (size_t i = 0; i < to.nes.size(); ++i) {
    const std::string key = KeyOf(to.nes[i]);
    if (!seen.insert(key).second) continue;
    CNeChange change;
    change.ne = key;
    auto it = before.find(key);
    if (it == before.end()) {
      change.kind = CNeChange::kNew;
      change.classTo = ClassOf(to.nes[i]);
      diff.nes.push_back(std::move(change));
      continue;
    }
    const CStoredNe& old = from.nes[it->second];
    if (ClassOf(old) != ClassOf(to.nes[i])) change.classFrom = ClassOf(old), change.classTo = ClassOf(to.nes[i]);
    if (old.status == "processed" && to.nes[i].status == "processed") {
      Compare(ViewOf(from, it->second), ViewOf(to, i), &change);
    }
    if (!Empty(change)) diff.nes.push_back(std::move(change));
  }
  for (size_t i = 0; i < from.nes.size(); ++i) {
    const std::string key = KeyOf(from.nes[i]);
    if (seen.count(key) || before.at(key) != i) continue;
    CNeChange change;
    change.ne = key;
    change.kind = CNeChange::kGone;
    change.classFrom = ClassOf(from.nes[i]);
    diff.nes.push_back(std::move(change));
  }
  return diff;
}
