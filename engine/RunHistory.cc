#include "engine/RunHistory.h"

#include <ctime>

#include "engine/RecordFields.h"
#include "host/CKelVarBind.h"

namespace {

std::optional<std::string> TextOf(const CKelDoubleList* fields, const char* name) {
  const CKelAtom* value = DEFieldValue(fields, name);
  if (value == nullptr) return std::nullopt;
  return DEDisplay(value);
}

CStoredLocal LocalOf(const CDiscoProcessedData::LocalNbr& nbr) {
  CStoredLocal local;
  local.ifIndex = DEInteger(DEFieldValue(nbr.fields, "ipv6IfIndex"));
  local.interface = TextOf(nbr.fields, "ipv6IfDescr");
  local.address = TextOf(nbr.fields, "ipv6AddrAddress");
  local.prefixLength = DEInteger(DEFieldValue(nbr.fields, "ipv6AddrPfxLength"));
  local.prefix = TextOf(nbr.fields, "ipv6AddrPrefix");
  local.prefixName = TextOf(nbr.fields, "ipv6AddrPrefixName");
  local.dnsName = TextOf(nbr.fields, "ipv6AddrDNSName");
  local.scope = DEInteger(DEFieldValue(nbr.fields, "ipv6AddrScope"));
  for (const CKelDoubleList* fields : nbr.remotes) {
    CStoredRemote remote;
    remote.address = TextOf(fields, "m_RemoteNbrIpAddr").value_or("");
    remote.mac = TextOf(fields, "m_RemoteNbrMacAddr");
    // The link-layer address comes from the neighbour cache only.
    remote.source = remote.mac ? "cache" : "route";
    remote.dnsName = TextOf(fields, "m_RemoteNbrIpDNSName");
    local.remotes.push_back(std::move(remote));
  }
  return local;
}

CStoredNe NeOf(const CRunNe& ne) {
  CStoredNe stored;
  stored.input = ne.input;
  stored.status = DEStatusWord(ne);
  stored.name = DEText(DEFieldValue(ne.record, "m_Name"));
  stored.address = DEText(DEFieldValue(ne.record, "m_UniqueAddress"));
  if (!ne.processed) stored.reason = DEFailureReason(ne);
  stored.hop = ne.hop;
  if (!ne.foundVia.empty()) stored.foundVia = ne.foundVia, stored.foundAt = ne.foundAt;
  if (ne.record != nullptr) {
    const CKelDoubleList& fields = ne.record->KRFields();
    for (CKelListable* e = fields.KDLHead(); e != nullptr; e = fields.KDLGetNext(e)) {
      if (e->KLKind() != E_KLKVarBind) continue;
      const auto* field = static_cast<const CKelVarBind*>(e);
      std::optional<std::string> value;
      if (field->KVBValue() != nullptr) value = DEDisplay(field->KVBValue());
      stored.fields.emplace_back(field->KVBNameText(), value);
    }
    stored.capabilities = DETexts(DEFieldValue(ne.record, "m_Capabilities"));
  }
  if (ne.proc != nullptr) {
    for (const auto& nbr : ne.proc->DPDLocalNbrs()) stored.locals.push_back(LocalOf(nbr));
  }
  for (const KelErrorReport& report : ne.errors) {
    stored.errors.emplace_back(report.code, report.hasMessage ? std::optional<std::string>(report.message)
                                                              : std::nullopt);
  }
  return stored;
}

}  // namespace

CStoredRun DEStoredRun(const CRunReport& report, const std::vector<std::string>& arguments,
                       const std::vector<std::string>& inputs, const std::string& started,
                       const std::string& finished) {
  CStoredRun run;
  run.summary.started = started;
  run.summary.finished = finished;
  run.summary.processed = report.ProcessedCount();
  run.summary.failed = report.FailedCount();
  run.summary.interrupted = report.InterruptedCount();
  run.summary.links = report.links.size();
  run.arguments = arguments;
  run.inputs = inputs;
  run.agent = report.agentName + " (" + report.agentDescription + ")";
  for (const CRunNe& ne : report.nes) run.nes.push_back(NeOf(ne));
  for (const CRunLink& link : report.links) {
    run.links.push_back({link.ne, link.ifIndex, link.localAddress, link.remoteAddress, link.remoteNe});
  }
  return run;
}

std::string DEUtcNow() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}
