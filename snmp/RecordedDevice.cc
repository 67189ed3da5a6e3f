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
    std::string oidText = OidText(bind.oid);
    if (!device->m_Values.emplace(std::move(bind.oid), std::move(bind.value)).second) {
      problems->push_back("repeated OID " + oidText + " (the first is kept)");
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

PduReply CRecordedChannel::GetNext(const Oid& oid) { return GetBulk(oid, 1); }

PduReply CRecordedChannel::GetBulk(const Oid& oid, int maxRepetitions) {
  PduReply reply;
  reply.outcome = EPduOutcome::kAnswer;
  Oid last = oid;
  for (int i = 0; i < std::max(1, maxRepetitions); ++i) {
    VarBind bind;
    if (!m_Device->Next(last, &bind)) {
      bind.oid = last;
      bind.value.type = EWireType::kEndOfMibView;
      reply.binds.push_back(std::move(bind));
      break;
    }
    last = bind.oid;
    reply.binds.push_back(std::move(bind));
  }
  return reply;
}

}  // namespace snmp
