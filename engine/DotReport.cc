#include "engine/DotReport.h"

#include <map>
#include <set>
#include <utility>
#include <vector>

#include "engine/Quoted.h"
#include "engine/RecordFields.h"

namespace {

std::string Field(const CKelRecord* record, const char* name) {
  return DEDisplay(DEFieldValue(record, name));
}

std::string Field(const CKelDoubleList* fields, const char* name) {
  return DEDisplay(DEFieldValue(fields, name));
}

std::string NeId(size_t ne) { return "ne" + std::to_string(ne); }

// The node of the interface of local neighbour `local` of NE `ne`: one per
// interface index (one per neighbour when it has none).
std::string InterfaceId(const CRunNe& ne, size_t index, size_t local) {
  const CKelDoubleList* fields = ne.proc->DPDLocalNbrs()[local].fields;
  std::optional<long long> ifIndex = DEInteger(DEFieldValue(fields, "ipv6IfIndex"));
  if (ifIndex) return NeId(index) + ".if" + std::to_string(*ifIndex);
  return NeId(index) + ".nbr" + std::to_string(local);
}

std::string NeLabel(const CRunNe& ne) {
  std::string name = Field(ne.record, "m_Name");
  std::string label = name.empty() ? ne.input : name;
  std::string address = Field(ne.record, "m_UniqueAddress");
  if (!address.empty() && address != label) label += "\n" + address;
  std::string capabilities = Field(ne.record, "m_Capabilities");
  if (!capabilities.empty()) label += "\n" + capabilities;
  if (!ne.processed) label += "\n(" + std::string(DEStatusWord(ne)) + ")";
  return label;
}

// "2001:db8::1/64" for a local neighbour, with its prefix name.
std::string AddressLine(const CKelDoubleList* fields) {
  std::string line = Field(fields, "ipv6AddrAddress");
  std::string length = Field(fields, "ipv6AddrPfxLength");
  if (!length.empty()) line += "/" + length;
  std::string prefixName = Field(fields, "ipv6AddrPrefixName");
  if (!prefixName.empty()) line += " (" + prefixName + ")";
  return line;
}

// The interface nodes of one NE: id, then label lines, in order of first
// appearance.
std::vector<std::pair<std::string, std::vector<std::string>>> Interfaces(const CRunNe& ne,
                                                                           size_t index) {
  std::vector<std::pair<std::string, std::vector<std::string>>> nodes;
  std::map<std::string, size_t> position;
  const auto& locals = ne.proc->DPDLocalNbrs();
  for (size_t l = 0; l < locals.size(); ++l) {
    const std::string id = InterfaceId(ne, index, l);
    auto [it, added] = position.emplace(id, nodes.size());
    if (added) {
      std::string head = Field(locals[l].fields, "ipv6IfDescr");
      std::string ifIndex = Field(locals[l].fields, "ipv6IfIndex");
      if (head.empty()) head = ifIndex.empty() ? "interface ?" : "interface " + ifIndex;
      nodes.push_back({id, {head}});
    }
    nodes[it->second].second.push_back(AddressLine(locals[l].fields));
  }
  return nodes;
}

}  // namespace

std::string DEDotQuote(const std::string& text, bool lineBreaks) {
  std::string out = "\"";
  for (char c : DEValidUtf8(text)) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '\n' && lineBreaks) {
      out += "\\n";
    } else if (byte < 0x20 || byte == 0x7f) {
      out += ' ';
    } else {
      out += c;
    }
  }
  return out + "\"";
}

void DEWriteDotReport(const CRunReport& report, std::ostream& out) {
  out << "graph ipv6disco {\n"
      << "  graph [rankdir=LR, fontname=\"Helvetica\", fontsize=10];\n"
      << "  node [fontname=\"Helvetica\", fontsize=10];\n"
      << "  edge [fontname=\"Helvetica\", fontsize=9];\n";
  for (size_t i = 0; i < report.nes.size(); ++i) {
    const CRunNe& ne = report.nes[i];
    const bool hasLocals = ne.proc != nullptr && !ne.proc->DPDLocalNbrs().empty();
    const std::string indent = hasLocals ? "    " : "  ";
    if (hasLocals) {
      out << "  subgraph " << DEDotQuote("cluster_" + NeId(i)) << " {\n"
          << "    style=rounded; color=gray50;\n";
    }
    out << indent << DEDotQuote(NeId(i)) << " [shape=box, style=\"bold"
        << (ne.processed ? "" : ",dashed") << "\", label=" << DEDotQuote(NeLabel(ne), true)
        << (ne.processed ? "" : ", fontcolor=gray40, color=gray40") << "];\n";
    if (hasLocals) {
      for (const auto& [id, lines] : Interfaces(ne, i)) {
        std::string label;
        for (const std::string& line : lines) label += (label.empty() ? "" : "\n") + line;
        out << "    " << DEDotQuote(id) << " [shape=ellipse, label=" << DEDotQuote(label, true)
            << "];\n";
      }
      out << "  }\n";
    }
  }

  // The ends of each link; an address that no NE owns gets a node of its own.
  std::set<std::string> strangers;
  std::set<std::pair<std::string, std::string>> edges;
  std::vector<std::pair<std::string, std::string>> ordered;
  for (const CRunLink& link : report.links) {
    const CRunNe& ne = report.nes[link.ne];
    std::string from = InterfaceId(ne, link.ne, link.local);
    std::string to;
    if (link.remoteNe && link.remoteLocal) {
      to = InterfaceId(report.nes[*link.remoteNe], *link.remoteNe, *link.remoteLocal);
    } else if (link.remoteNe) {
      to = NeId(*link.remoteNe);
    } else {
      const std::string address = link.remoteAddress.value_or("?");
      to = "remote." + address;
      if (strangers.insert(to).second) {
        const CKelDoubleList* remote = ne.proc->DPDLocalNbrs()[link.local].remotes[link.remote];
        std::string label = address;
        std::string dns = Field(remote, "m_RemoteNbrIpDNSName");
        if (!dns.empty()) label += "\n" + dns;
        out << "  " << DEDotQuote(to) << " [shape=ellipse, style=dashed, label="
            << DEDotQuote(label, true) << "];\n";
      }
    }
    auto key = from < to ? std::make_pair(from, to) : std::make_pair(to, from);
    if (from != to && edges.insert(key).second) ordered.emplace_back(from, to);
  }
  for (const auto& [from, to] : ordered) {
    out << "  " << DEDotQuote(from) << " -- " << DEDotQuote(to) << ";\n";
  }
  out << "}\n";
}
