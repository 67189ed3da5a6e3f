#include "engine/TextReport.h"

#include <cstdio>
#include <map>
#include <utility>
#include <vector>

#include "engine/Quoted.h"
#include "engine/RecordFields.h"

namespace {

const char* ScopeName(long long scopeClass) {
  switch (scopeClass) {
    case 0: return "v4-compatible";
    case 1: return "link-local";
    case 2: return "site-local";
    case 3: return "global";
  }
  return "unknown scope";
}

// A text on one line of valid UTF-8: control characters (a line break in a
// device's sysDescr, say) become blanks, bytes that are not UTF-8 \xNN.
std::string OneLine(const std::string& raw) {
  std::string text = DEValidUtf8(raw);
  for (char& c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f) c = ' ';
  }
  return text;
}

std::string Display(const CKelAtom* value) { return OneLine(DEDisplay(value)); }

std::string Text(const CKelDoubleList* fields, const char* name) {
  return Display(DEFieldValue(fields, name));
}

std::string Text(const CKelRecord* record, const char* name) {
  return Display(DEFieldValue(record, name));
}

// "25 requests in 9 PDUs, 1 unanswered; SNMP 0.004 s, names 0.001 s".
std::string CostText(const CRunCost& cost) {
  char seconds[80];
  snprintf(seconds, sizeof seconds, "; SNMP %.3f s, names %.3f s", cost.snmpSeconds, cost.nameSeconds);
  return std::to_string(cost.requests) + " request" + (cost.requests == 1 ? "" : "s") + " in " +
         std::to_string(cost.pdus) + " PDU" + (cost.pdus == 1 ? "" : "s") + ", " +
         std::to_string(cost.unanswered) + " unanswered" + seconds;
}

// How the NE is named in headings and cross references.
std::string NameOf(const CRunNe& ne) {
  std::string name = Text(ne.record, "m_Name");
  return name.empty() ? ne.input : name;
}

class Writer {
 public:
  Writer(const CRunReport& report, std::ostream& out) : m_Report(report), m_Out(out) {
    for (size_t i = 0; i < report.links.size(); ++i) {
      const CRunLink& link = report.links[i];
      m_LinksOf[{link.ne, link.local}].push_back(i);
    }
  }

  void Write() {
    m_Out << m_Report.nes.size() << " NE" << (m_Report.nes.size() == 1 ? "" : "s") << CrawlCounts() << ": "
          << m_Report.ProcessedCount() << " processed, " << m_Report.FailedCount() << " failed"
          << (m_Report.InterruptedCount() ? ", " + std::to_string(m_Report.InterruptedCount()) + " interrupted" : "")
          << "; "
          << m_Report.links.size() << " link" << (m_Report.links.size() == 1 ? "" : "s") << "; "
          << CostText(m_Report.TotalCost()) << " in all (agent " << m_Report.agentName << ", " << m_Report.agentDescription << ")\n";
    if (m_Report.crawl && m_Report.crawl->ceilingHit) {
      m_Out << "crawl stopped at --max-nes " << m_Report.crawl->maxNes << ": more NEs were found\n";
    }
    for (size_t i = 0; i < m_Report.nes.size(); ++i) WriteNe(i);
  }

 private:
  // " (1 given, 5 discovered)" for a crawl, else "".
  std::string CrawlCounts() const {
    if (!m_Report.crawl) return "";
    const CRunCrawl& c = *m_Report.crawl;
    return " (" + std::to_string(c.seeds) + " given, " + std::to_string(c.discovered) + " discovered" +
           (c.merged ? ", " + std::to_string(c.merged) + " reached twice" : "") + ")";
  }

  void WriteNe(size_t index) {
    const CRunNe& ne = m_Report.nes[index];
    const CKelRecord* record = ne.record;
    std::string address = Text(record, "m_UniqueAddress");
    m_Out << "\n" << NameOf(ne);
    if (!address.empty()) m_Out << "  " << address;
    m_Out << "  " << DEStatusWord(ne) << "\n";
    Line("reason", OneLine(DEFailureReason(ne)));
    if (!ne.foundVia.empty()) Line("found via", ne.foundVia + " at " + ne.foundAt + ", hop " + std::to_string(ne.hop));
    Line("capabilities", Text(record, "m_Capabilities"));
    Line("description", Text(record, "m_Description"));
    Line("object id", Text(record, "m_ObjectId"));
    Line("snmp via", Text(record, "m_SnmpAccessIP"));
    const std::string mib = ne.snmp.MibSource();
    Line("IPv6 MIB", mib == "both" ? "RFC 2465 and RFC 4293" : mib);
    const CRunCost cost = DECostOf(ne);
    if (cost.requests > 0 || cost.nameSeconds > 0) Line("cost", CostText(cost));
    Line("dns name", Text(record, "m_DnsName"));
    std::string prefix = Text(record, "m_PrefixAddress");
    if (!prefix.empty()) {
      std::string name = Text(record, "m_PrefixName");
      Line("prefix", name.empty() ? prefix : prefix + " \"" + name + "\"");
    }
    if (ne.proc != nullptr) WriteInterfaces(index, *ne.proc);
    if (!ne.errors.empty()) {
      m_Out << "  " << ne.errors.size() << " error report" << (ne.errors.size() == 1 ? "" : "s")
            << "\n";
      for (const KelErrorReport& report : ne.errors) {
        m_Out << "    " << KelFormatError(report) << "\n";
      }
    }
  }

  void Line(const char* label, const std::string& value) {
    if (value.empty()) return;
    m_Out << "  " << label << std::string(14 - std::string(label).size(), ' ') << value << "\n";
  }

  void WriteInterfaces(size_t ne, const CDiscoProcessedData& proc) {
    // Local neighbours grouped by interface, interfaces in order of first
    // appearance, addresses in the order the processed data holds them,
    // then the interface's links (each adjacency once, however many of its
    // addresses see it).
    const auto& locals = proc.DPDLocalNbrs();
    std::vector<long long> order;
    std::map<long long, std::vector<size_t>> byInterface;
    for (size_t l = 0; l < locals.size(); ++l) {
      long long ifIndex = DEInteger(DEFieldValue(locals[l].fields, "ipv6IfIndex")).value_or(-1);
      auto [it, added] = byInterface.emplace(ifIndex, std::vector<size_t>());
      if (added) order.push_back(ifIndex);
      it->second.push_back(l);
    }
    for (long long ifIndex : order) {
      const std::vector<size_t>& members = byInterface[ifIndex];
      const CKelDoubleList* first = locals[members.front()].fields;
      m_Out << "  interface ";
      if (ifIndex >= 0) m_Out << ifIndex;
      else m_Out << "?";
      std::string descr = Display(DEFieldValue(first, "ipv6IfDescr"));
      if (!descr.empty()) m_Out << " " << descr;
      std::string mac = Display(DEFieldValue(first, "ipv6IfPhysicalAddress"));
      if (!mac.empty()) m_Out << ", mac " << mac;
      std::string mtu = Display(DEFieldValue(first, "ipv6IfEffectiveMtu"));
      if (!mtu.empty()) m_Out << ", mtu " << mtu;
      m_Out << "\n";
      for (size_t l : members) WriteAddress(locals[l]);
      for (size_t l : members) {
        auto it = m_LinksOf.find({ne, l});
        if (it == m_LinksOf.end()) continue;
        for (size_t link : it->second) WriteLink(m_Report.links[link], locals[l]);
      }
    }
  }

  void WriteAddress(const CDiscoProcessedData::LocalNbr& local) {
    const CKelDoubleList* f = local.fields;
    m_Out << "    " << Text(f, "ipv6AddrAddress");
    std::string length = Display(DEFieldValue(f, "ipv6AddrPfxLength"));
    if (!length.empty()) m_Out << "/" << length;
    std::optional<long long> scope = DEInteger(DEFieldValue(f, "ipv6AddrScope"));
    if (scope) m_Out << "  " << ScopeName(*scope);
    std::string prefix = Text(f, "ipv6AddrPrefix");
    if (!prefix.empty()) {
      m_Out << "  prefix " << prefix;
      if (!length.empty()) m_Out << "/" << length;
      std::string name = Text(f, "ipv6AddrPrefixName");
      if (!name.empty()) m_Out << " \"" << name << "\"";
    }
    std::string dns = Text(f, "ipv6AddrDNSName");
    if (!dns.empty()) m_Out << "  dns " << dns;
    std::string v4 = Text(f, "ipv6AddrV4Addresses");
    if (!v4.empty()) m_Out << "  ipv4 " << v4;
    m_Out << "\n";
  }

  // `local` is the link's first local neighbour.
  void WriteLink(const CRunLink& link, const CDiscoProcessedData::LocalNbr& local) {
    const CKelDoubleList* remote = local.remotes[link.remote];
    m_Out << "    neighbour " << Text(remote, "m_RemoteNbrIpAddr");
    std::string dns = Text(remote, "m_RemoteNbrIpDNSName");
    if (!dns.empty()) m_Out << "  " << dns;
    std::string mac = Display(DEFieldValue(remote, "m_RemoteNbrMacAddr"));
    if (!mac.empty()) m_Out << "  mac " << mac;
    if (link.remoteNe) {
      const CRunNe& owner = m_Report.nes[*link.remoteNe];
      m_Out << "  => " << NameOf(owner);
      if (link.remoteNeAddress) m_Out << " (" << *link.remoteNeAddress << ")";
    } else {
      m_Out << "  => not in this run";
    }
    m_Out << "\n";
  }

  const CRunReport& m_Report;
  std::ostream& m_Out;
  // (NE, first local neighbour) -> its links, in link order.
  std::map<std::pair<size_t, size_t>, std::vector<size_t>> m_LinksOf;
};

}  // namespace

void DEWriteTextReport(const CRunReport& report, std::ostream& out) {
  Writer(report, out).Write();
}
