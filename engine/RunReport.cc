#include "engine/RunReport.h"

#include "engine/NeInput.h"
#include "engine/RecordFields.h"

namespace {

// The texts `member` gives for the targets, each distinct non-empty text
// once, joined by "; ".
std::string JoinTargets(const CDiscoSnmpSummary& snmp,
                        std::string CDiscoSnmpSummary::Target::*member) {
  std::vector<std::string> seen;
  std::string joined;
  for (const CDiscoSnmpSummary::Target& target : snmp.targets) {
    const std::string& text = target.*member;
    if (text.empty()) continue;
    bool repeated = false;
    for (const std::string& s : seen) repeated = repeated || s == text;
    if (repeated) continue;
    seen.push_back(text);
    joined += (joined.empty() ? "" : "; ") + text;
  }
  return joined;
}

}  // namespace

size_t CRunReport::ProcessedCount() const {
  size_t count = 0;
  for (const CRunNe& ne : nes) count += ne.processed ? 1 : 0;
  return count;
}

size_t CRunReport::InterruptedCount() const {
  size_t count = 0;
  for (const CRunNe& ne : nes) count += ne.interrupted ? 1 : 0;
  return count;
}

const char* DEStatusWord(const CRunNe& ne) {
  return ne.processed ? "processed" : ne.interrupted ? "interrupted" : "failed";
}

CRunCost DECostOf(const CRunNe& ne) {
  CRunCost cost;
  for (const CDiscoSnmpSummary::Target& target : ne.snmp.targets) {
    cost.requests += target.requests;
    cost.pdus += target.pdus;
    cost.unanswered += target.requests - target.answered;
  }
  cost.snmpSeconds = ne.snmp.seconds;
  cost.nameSeconds = ne.nameSeconds;
  return cost;
}

CRunCost CRunReport::TotalCost() const {
  CRunCost total;
  for (const CRunNe& ne : nes) {
    const CRunCost cost = DECostOf(ne);
    total.requests += cost.requests, total.pdus += cost.pdus, total.unanswered += cost.unanswered;
    total.snmpSeconds += cost.snmpSeconds, total.nameSeconds += cost.nameSeconds;
  }
  return total;
}

std::string DEFailureReason(const CRunNe& ne) {
  if (ne.processed) return "";
  if (ne.interrupted) return "the run was interrupted before it was done";
  // The fields a request goes to, as the requester picks its target.
  bool addressToAsk = false;
  for (const char* field : {"m_SnmpAccessIP", "m_UniqueAddress", "m_IpAddress"}) {
    std::optional<std::string> text = DEText(DEFieldValue(ne.record, field));
    addressToAsk = addressToAsk || (text && !text->empty());
  }
  if (!addressToAsk && DENeIsName(ne.input)) {
    return "the name '" + ne.input + "' does not resolve";
  }
  std::string reason = JoinTargets(ne.snmp, &CDiscoSnmpSummary::Target::failure);
  if (reason.empty()) reason = JoinTargets(ne.snmp, &CDiscoSnmpSummary::Target::silence);
  if (reason.empty()) reason = "no answer to the forwarding questions";
  return reason;
}
