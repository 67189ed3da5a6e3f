#include "engine/DotReport.h"

#include <set>
#include <utility>
#include <vector>

#include "engine/AddressIndex.h"
#include "engine/RecordFields.h"
#include "engine/Relationships.h"

namespace {

std::string Field(const CKelRecord* record, const char* name) {
  return DEDisplay(DEFieldValue(record, name));
}

std::string Field(const CKelDoubleList* fields, const char* name) {
  return DEDisplay(DEFieldValue(fields, name));
}

std::string NeId(size_t ne) { return "ne" + std::to_string(ne); }
std::string AddressId(size_t ne, size_t local) {
  return "ne" + std::to_string(ne) + ".a" + std::to_string(local);
}

std::string NeLabel(const CRunNe& ne) {
  std::string name = Field(ne.record, "m_Name");
  std::string label = name.empty() ? ne.input : name;
  std::string address = Field(ne.record, "m_UniqueAddress");
  if (!address.empty() && address != label) label += "\n" + address;
  std::string capabilities = Field(ne.record, "m_Capabilities");
  if (!capabilities.empty()) label += "\n" + capabilities;
  if (!ne.processed) label += "\n(failed)";
  return label;
}

std::string AddressLabel(const CKelDoubleList* fields) {
  std::string label = Field(fields, "ipv6AddrAddress");
  std::string length = Field(fields, "ipv6AddrPfxLength");
  if (!length.empty()) label += "/" + length;
  std::string descr = Field(fields, "ipv6IfDescr");
  std::string ifIndex = Field(fields, "ipv6IfIndex");
  if (!descr.empty()) {
    label += "\n" + descr;
  } else if (!ifIndex.empty()) {
    label += "\nif " + ifIndex;
  }
  std::string prefixName = Field(fields, "ipv6AddrPrefixName");
  if (!prefixName.empty()) label += "\n" + prefixName;
  return label;
}

}  // namespace

std::string DEDotQuote(const std::string& text, bool lineBreaks) {
  std::string out = "\"";
  for (char c : text) {
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
    out << indent << DEDotQuote(NeId(i)) << " [shape=box, label=" << DEDotQuote(NeLabel(ne), true)
        << (ne.processed ? "" : ", style=dashed, fontcolor=gray40, color=gray40") << "];\n";
    if (hasLocals) {
      const auto& locals = ne.proc->DPDLocalNbrs();
      for (size_t l = 0; l < locals.size(); ++l) {
        out << "    " << DEDotQuote(AddressId(i, l))
            << " [shape=ellipse, label=" << DEDotQuote(AddressLabel(locals[l].fields), true)
            << "];\n";
      }
      out << "  }\n";
    }
  }

  // Ends of each link; an address that no NE owns gets one node of its own.
  CAddressIndex owners = DEIndexOwners(report.nes);
  std::set<std::string> strangers;
  std::set<std::pair<std::string, std::string>> edges;
  std::vector<std::pair<std::string, std::string>> ordered;
  for (const CRunLink& link : report.links) {
    std::string from = AddressId(link.ne, link.local);
    std::string to;
    std::optional<CAddressIndex::Owner> owner;
    if (link.remoteAddress) owner = owners.Find(*link.remoteAddress);
    if (owner && owner->local) {
      to = AddressId(owner->ne, *owner->local);
    } else if (owner) {
      to = NeId(owner->ne);
    } else {
      to = "remote." + link.remoteAddress.value_or("?");
      if (strangers.insert(to).second) {
        const CKelDoubleList* remote =
            report.nes[link.ne].proc->DPDLocalNbrs()[link.local].remotes[link.remote];
        std::string label = link.remoteAddress.value_or("?");
        std::string dns = Field(remote, "m_RemoteNbrIpDNSName");
        if (!dns.empty()) label += "\n" + dns;
        out << "  " << DEDotQuote(to) << " [shape=ellipse, style=dashed, label="
            << DEDotQuote(label, true) << "];\n";
      }
    }
    auto key = from < to ? std::make_pair(from, to) : std::make_pair(to, from);
    if (edges.insert(key).second) ordered.emplace_back(from, to);
  }
  for (const auto& [from, to] : ordered) {
    out << "  " << DEDotQuote(from) << " -- " << DEDotQuote(to) << ";\n";
  }
  out << "}\n";
}
