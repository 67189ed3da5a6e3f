#include "snmp/RecordedDevice.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "snmp/RecordFormats.h"

namespace snmp {

std::shared_ptr<const RecordedDevice> RecordedDevice::Load(const std::string& path,
                                                           std::vector<std::string>* problems) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return nullptr;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return nullptr;
  const bool walkFormat = path.size() >= 5 && path.compare(path.size() - 5, 5, ".walk") == 0;
  return FromText(text.str(), walkFormat, problems);
}

std::shared_ptr<const RecordedDevice> RecordedDevice::FromText(
    const std::string& text, bool walkFormat, std::vector<std::string>* problems) {
  std::vector<VarBind> binds = walkFormat ? ReadWalk(text, problems) : ReadSnmprec(text, problems);
  auto device = std::make_shared<RecordedDevice>();
  for (VarBind& bind : binds) {
    if (!device->m_Values.emplace(bind.oid, std::move(bind.value)).second) {
      AddRecordProblem(&bind.oid, "repeated OID " + OidText(bind.oid) + " (the first is kept)",
                       problems);
    }
  }
  return device;
}

const WireValue* RecordedDevice::Find(const Oid& oid) const {
  auto it = m_Values.find(oid);
  return it == m_Values.end() ? nullptr : &it->second;
}

bool RecordedDevice::Next(const Oid& oid, VarBind* out) const {
  auto it = m_Values.upper_bound(oid);
  if (it == m_Values.end()) return false;
  out->oid = it->first;
  out->value = it->second;
  return true;
}

PduReply CRecordedChannel::Get(const Oid& oid) {
  PduReply reply;
  reply.outcome = EPduOutcome::kAnswer;
  VarBind bind;
  bind.oid = oid;
  if (const WireValue* value = m_Device->Find(oid)) {
    bind.value = *value;
  } else {
    bind.value.type = EWireType::kNoSuchInstance;
  }
  reply.binds.push_back(std::move(bind));
  return reply;
}

PduReply CRecordedChannel::GetNext(const std::vector<Oid>& oids) { return GetBulk(oids, 1); }

// As an SNMPv2c agent: round after round, each OID moves on to the binding
// after the one it reached; one that reached the end gets endOfMibView.
PduReply CRecordedChannel::GetBulk(const std::vector<Oid>& oids, int maxRepetitions) {
  PduReply reply;
  reply.outcome = EPduOutcome::kAnswer;
  std::vector<Oid> last = oids;
  std::vector<bool> ended(oids.size(), false);
  for (int round = 0; round < std::max(1, maxRepetitions); ++round) {
    bool any = false;
    for (size_t i = 0; i < last.size(); ++i) {
      VarBind bind;
      if (ended[i] || !m_Device->Next(last[i], &bind)) {
        ended[i] = true;
        bind.oid = last[i];
        bind.value.type = EWireType::kEndOfMibView;
      } else {
        last[i] = bind.oid;
        any = true;
      }
      reply.binds.push_back(std::move(bind));
    }
    if (!any) break;
  }
  return reply;
}

}  // namespace snmp
