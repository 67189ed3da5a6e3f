#include "tests/support/ScriptedAgent.h"

#include <algorithm>

#include "host/CKelAtom.h"

ScriptedAgent::~ScriptedAgent() {
  if (destroyed != nullptr) *destroyed = true;
}

void ScriptedAgent::Note(const char* step, const CKelRecord* ne) {
  std::string entry = step;
  const CKelAtom* address = ne != nullptr ? ne->KRValueOf("m_IpAddress") : nullptr;
  if (ne != nullptr) entry += std::string(":") + (address != nullptr && address->KAString() ? address->KAString() : "");
  std::lock_guard<std::mutex> lock(m_LogMutex);
  m_Log.push_back(std::move(entry));
}

std::vector<std::string> ScriptedAgent::Log() const {
  std::lock_guard<std::mutex> lock(m_LogMutex);
  return m_Log;
}

int ScriptedAgent::Count(const std::string& step) const {
  std::lock_guard<std::mutex> lock(m_LogMutex);
  return static_cast<int>(std::count_if(m_Log.begin(), m_Log.end(), [&step](const std::string& entry) {
    return entry == step || entry.compare(0, step.size() + 1, step + ":") == 0;
  }));
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

void ScriptedAgent::DAProcessNewNe(CKelRecord* ne) { newNe ? newNe(*this, ne) : DAStandardNewNe(ne); }

void ScriptedAgent::DADoStartUpProcessing() {
  Note("startup", nullptr);
  if (startUp) startUp(*this);
}
