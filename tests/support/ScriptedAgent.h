// A test agent whose steps log "<step>:<m_IpAddress>" ("startup" alone; the log is thread-safe), then run
// their function: unset ones accept every NE and do nothing, and `newNe` unset runs the standard sequence.
#ifndef TESTS_SUPPORT_SCRIPTEDAGENT_H_
#define TESTS_SUPPORT_SCRIPTEDAGENT_H_

#include <algorithm>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "host/CDiscoAgent.h"

class ScriptedAgent : public CDiscoAgent {
 public:
  using Step = std::function<void(ScriptedAgent&, CKelRecord*)>;
  std::function<__boolean(ScriptedAgent&, CKelRecord*)> filter;
  Step mediation, process, relationship, newNe;
  std::function<void(ScriptedAgent&)> startUp;

  std::vector<std::string> Log() const { std::lock_guard<std::mutex> lock(m_LogMutex); return m_Log; }
  int Count(const std::string& step) const {  // log entries of `step`
    const std::vector<std::string> log = Log();
    return static_cast<int>(std::count_if(log.begin(), log.end(), [&](const std::string& e) { return e == step || e.rfind(step + ":", 0) == 0; }));
  }
  void StandardNewNe(CKelRecord* ne) { DAStandardNewNe(ne); }  // for `newNe` scripts that wrap it

  void KASetSCName() override { KASetName("Scripted"); }
  void KASetSCDesc() override { KASetDesc("Scripted test agent"); }
  __boolean DADoMediationFilter(CKelRecord* ne) override { Note("filter", ne); return filter ? filter(*this, ne) : E_KBTrue; }
  void DADoMediationLayer(CKelRecord* ne) override { Run("mediation", mediation, ne); }
  void DADoProcessLayer(CKelRecord* ne) override { Run("process", process, ne); }
  void DADoRelationshipLayer(CKelRecord* ne) override { Run("relationship", relationship, ne); }
  void DAProcessNewNe(CKelRecord* ne) override { newNe ? newNe(*this, ne) : DAStandardNewNe(ne); }
  void DADoStartUpProcessing() override { Note("startup", nullptr); if (startUp) startUp(*this); }

 private:
  void Run(const char* step, const Step& script, CKelRecord* ne) { Note(step, ne); if (script) script(*this, ne); }
  void Note(const char* step, const CKelRecord* ne) {
    const CKelAtom* address = ne != nullptr ? ne->KRValueOf("m_IpAddress") : nullptr;
    const std::string entry = ne == nullptr ? step : std::string(step) + ":" + (address && address->KAString() ? address->KAString() : "");
    std::lock_guard<std::mutex> lock(m_LogMutex);
    m_Log.push_back(entry);
  }
  mutable std::mutex m_LogMutex;
  std::vector<std::string> m_Log;
};

#endif  // TESTS_SUPPORT_SCRIPTEDAGENT_H_
