#include "engine/TopologyGraph.h"

#include <arpa/inet.h>

#include <algorithm>
#include <map>
#include <set>
#include <tuple>
#include <utility>

#include "engine/RecordFields.h"

namespace {

std::string Field(const CKelRecord* record, const char* name) {
  return DEDisplay(DEFieldValue(record, name));
}

std::string Field(const CKelDoubleList* fields, const char* name) {
  return DEDisplay(DEFieldValue(fields, name));
}

const CKelDoubleList* LocalFields(const CRunNe& ne, size_t local) {
  return ne.proc->DPDLocalNbrs()[local].fields;
}

// One interface of an NE: its "ipv6IfIndex", or the local neighbour's own
// position when it has none.
std::string InterfaceKey(const CRunNe& ne, size_t local) {
  std::optional<long long> ifIndex = DEInteger(DEFieldValue(LocalFields(ne, local), "ipv6IfIndex"));
  return ifIndex ? std::to_string(*ifIndex) : "local " + std::to_string(local);
}

std::string InterfaceName(const CRunNe& ne, size_t local) {
  std::string name = Field(LocalFields(ne, local), "ipv6IfDescr");
  return name.empty() ? "interface " + Field(LocalFields(ne, local), "ipv6IfIndex") : name;
}

// The prefix of the interface holding local neighbour `local`: the name or
// "prefix/length" of its first global address; "" when it has none.
std::string InterfacePrefix(const CRunNe& ne, size_t local) {
  const std::string key = InterfaceKey(ne, local);
  const auto& locals = ne.proc->DPDLocalNbrs();
  for (size_t l = 0; l < locals.size(); ++l) {
    if (InterfaceKey(ne, l) != key) continue;
    const std::string prefix = Field(locals[l].fields, "ipv6AddrPrefix");
    if (prefix.empty() || DEInteger(DEFieldValue(locals[l].fields, "ipv6AddrScope")) == 1 ||
        prefix.compare(0, 4, "fe80") == 0) {
      continue;
    }
    const std::string name = Field(locals[l].fields, "ipv6AddrPrefixName");
    const std::string length = Field(locals[l].fields, "ipv6AddrPfxLength");
    return !name.empty() ? name : length.empty() ? prefix : prefix + "/" + length;
  }
  return "";
}

std::string NeName(const CRunNe& ne) {
  const std::string name = Field(ne.record, "m_Name");
  return name.empty() ? ne.input : name;
}

bool IsAddress(const std::string& text) {
  unsigned char bytes[16];
  const std::string bare = text.substr(0, text.find('/'));
  return inet_pton(AF_INET, bare.c_str(), bytes) == 1 || inet_pton(AF_INET6, bare.c_str(), bytes) == 1;
}

std::string SiteOf(const CRunNe& ne) {
  const std::string name = NeName(ne);
  const size_t dot = name.find('.');
  if (IsAddress(name) || dot == std::string::npos || dot + 1 == name.size()) return "";
  return name.substr(dot + 1);
}

std::string PrefixOf(const CRunNe& ne) {
  const std::string name = Field(ne.record, "m_PrefixName");
  if (!name.empty()) return name;
  const std::string prefix = Field(ne.record, "m_PrefixAddress");
  const std::string length = Field(ne.record, "m_PrefixLength");
  return prefix.empty() || length.empty() ? prefix : prefix + "/" + length;
}

CGraphNode NeNode(const CRunNe& ne, size_t index) {
  CGraphNode node;
  node.id = "ne" + std::to_string(index);
  node.nodeClass = DEClassOf(ne);
  node.label.push_back(NeName(ne));
  const std::string address = Field(ne.record, "m_UniqueAddress");
  if (!address.empty() && address != node.label[0]) node.label.push_back(address);
  if (!ne.processed) node.label.push_back("(" + std::string(DEStatusWord(ne)) + ")");
  const std::string capabilities = Field(ne.record, "m_Capabilities");
  if (!capabilities.empty()) node.detail.push_back(capabilities);
  for (size_t l = 0; ne.proc != nullptr && l < ne.proc->DPDLocalNbrs().size(); ++l) {
    const CKelDoubleList* fields = LocalFields(ne, l);
    std::string line = InterfaceName(ne, l) + " " + Field(fields, "ipv6AddrAddress");
    const std::string length = Field(fields, "ipv6AddrPfxLength");
    if (!length.empty()) line += "/" + length;
    node.detail.push_back(line);
  }
  node.site = SiteOf(ne);
  if (node.nodeClass != ENodeClass::kIPv6Router) node.group = PrefixOf(ne);
  return node;
}

// `words` joined by blanks, the empty ones left out.
std::string Words(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) {
    if (!word.empty()) text += (text.empty() ? "" : " ") + word;
  }
  return text;
}

// One end of an adjacency: a node and an interface of it ("" : unknown).
using End = std::pair<size_t, std::string>;

}  // namespace

const char* DENodeClassName(ENodeClass nodeClass) {
  switch (nodeClass) {
    case ENodeClass::kIPv6Router: return "IPv6 router";
    case ENodeClass::kIPv6Host: return "IPv6 host";
    case ENodeClass::kIPv4Only: return "IPv4 only";
    case ENodeClass::kOther: return "unknown kind";
    case ENodeClass::kFailed: return "failed";
    case ENodeClass::kNotInRun: return "not in this run";
  }
  return "";
}

ENodeClass DEClassOf(const CRunNe& ne) {
  if (!ne.processed) return ENodeClass::kFailed;
  bool v6 = false, v4 = false;
  for (const std::string& capability : DETexts(DEFieldValue(ne.record, "m_Capabilities"))) {
    if (capability == "isIPv6Router") return ENodeClass::kIPv6Router;
    v6 = v6 || capability.compare(0, 6, "isIPv6") == 0;
    v4 = v4 || capability.compare(0, 6, "isIPv4") == 0;
  }
  return v6 ? ENodeClass::kIPv6Host : v4 ? ENodeClass::kIPv4Only : ENodeClass::kOther;
}

CTopologyGraph DEBuildTopologyGraph(const CRunReport& report) {
  CTopologyGraph graph;
  for (size_t i = 0; i < report.nes.size(); ++i) graph.nodes.push_back(NeNode(report.nes[i], i));

  // The interfaces known to see an NE: (NE, interface, NE seen).
  std::set<std::tuple<size_t, std::string, size_t>> seen;
  for (const CRunLink& link : report.links) {
    if (!link.remoteNe || !link.remoteLocal) continue;
    seen.emplace(link.ne, InterfaceKey(report.nes[link.ne], link.local), *link.remoteNe);
    seen.emplace(*link.remoteNe, InterfaceKey(report.nes[*link.remoteNe], *link.remoteLocal), link.ne);
  }

  std::map<std::string, size_t> addresses;  // address -> its node
  std::map<std::pair<End, End>, size_t> edges;
  for (const CRunLink& link : report.links) {
    const CRunNe& ne = report.nes[link.ne];
    const End near{link.ne, InterfaceKey(ne, link.local)};
    std::string prefix = InterfacePrefix(ne, link.local);
    std::string farName, farInterface;
    End far;
    if (link.remoteNe) {
      const CRunNe& remote = report.nes[*link.remoteNe];
      if (*link.remoteNe == link.ne) continue;
      if (!link.remoteLocal && seen.count({link.ne, near.second, *link.remoteNe}) != 0) continue;
      far = {*link.remoteNe, link.remoteLocal ? InterfaceKey(remote, *link.remoteLocal) : ""};
      farName = NeName(remote);
      if (link.remoteLocal) {
        farInterface = InterfaceName(remote, *link.remoteLocal);
        if (prefix.empty()) prefix = InterfacePrefix(remote, *link.remoteLocal);
      }
    } else {
      const std::string address = link.remoteAddress.value_or("?");
      auto [it, added] = addresses.emplace(address, graph.nodes.size());
      if (added) {
        CGraphNode node;
        node.id = "remote." + address;
        node.nodeClass = ENodeClass::kNotInRun;
        node.label.push_back(address);
        const CKelDoubleList* remote = ne.proc->DPDLocalNbrs()[link.local].remotes[link.remote];
        const std::string dns = Field(remote, "m_RemoteNbrIpDNSName");
        if (!dns.empty()) node.label.push_back(dns);
        node.site = graph.nodes[link.ne].site;
        node.group = prefix;
        graph.nodes.push_back(node);
      }
      far = {it->second, ""};
    }
    const std::string detail =
        Words({NeName(ne), InterfaceName(ne, link.local), link.localAddress.value_or(""), "--", farName, farInterface,
               link.remoteAddress.value_or("")});
    auto key = std::minmax(near, far);
    if (edges.emplace(std::make_pair(key.first, key.second), graph.edges.size()).second) {
      graph.edges.push_back({near.first, far.first, prefix, detail});
    }
  }

  // Groups of one are dropped; sites only when there are two or more.
  std::map<std::string, size_t> members;
  std::set<std::string> sites;
  for (const CGraphNode& node : graph.nodes) ++members[node.group], sites.insert(node.site);
  sites.erase("");
  for (CGraphNode& node : graph.nodes) {
    if (members[node.group] < 2) node.group.clear();
    if (sites.size() < 2) node.site.clear();
  }
  return graph;
}
