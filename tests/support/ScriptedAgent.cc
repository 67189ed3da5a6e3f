#include "tests/support/ScriptedAgent.h"

#include "host/CKelAtom.h"

ScriptedAgent::~ScriptedAgent() {
  if (destroyed != nullptr) *destroyed = true;
}

void ScriptedAgent::Note(const char* step, const CKelRecord* ne) {
  std::string entry = step;
  if (ne != nullptr) {
    const CKelAtom* address = ne->KRValueOf("m_IpAddress");
    entry += ':';
    entry += (address != nullptr && address->KAString() != nullptr) ? address->KAString() : "";
  }
  std::lock_guard<std::mutex> lock(m_LogMutex);
  m_Log.push_back(std::move(entry));
}

std::vector<std::string> ScriptedAgent::Log() const {
  std::lock_guard<std::mutex> lock(m_LogMutex);
  return m_Log;
}

int ScriptedAgent::Count(const std::string& step) const {
  std::lock_guard<std::mutex> lock(m_LogMutex);
  int count = 0;
  for (const std::string& entry : m_Log) {
    count += entry == step || entry.compare(0, step.size() + 1, step + ":") == 0;
  }
  return count;
}

__boolean ScriptedAgent::DADoMediationFilter(CKelRecord* ne) {
  Note("filter", ne);
  return filter ? filter(*this, ne) : E_KBTrue;
}

void ScriptedAgent::DADoMediationLayer(CKelRecord* ne) {
  Note("mediation", ne);
  if (mediation) mediation(*this, ne);
}

void ScriptedAgent::DADoProcessLayer(CKelRecord* ne) {
  Note("process", ne);
  if (process) process(*this, ne);
}

void ScriptedAgent::DADoRelationshipLayer(CKelRecord* ne) {
  Note("relationship", ne);
  if (relationship) relationship(*this, ne);
}

void ScriptedAgent::DAProcessNewNe(CKelRecord* ne) {
  if (newNe) {
    newNe(*this, ne);
  } else {
    DAStandardNewNe(ne);
  }
}

void ScriptedAgent::DADoStartUpProcessing() {
  Note("startup", nullptr);
  if (startUp) startUp(*this);
}
