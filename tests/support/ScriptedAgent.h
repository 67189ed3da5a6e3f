// A test agent whose steps are scripted with functions. Every step it is
// given runs after the step is logged; the default DAProcessNewNe (the
// engine's standard sequence) is kept unless `newNe` is set. Set the
// functions before NEs arrive; the log and counters are thread-safe.
#ifndef TESTS_SUPPORT_SCRIPTEDAGENT_H_
#define TESTS_SUPPORT_SCRIPTEDAGENT_H_

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "host/CDiscoAgent.h"

class ScriptedAgent : public CDiscoAgent {
 public:
  ScriptedAgent() = default;
  ~ScriptedAgent() override;

  // Null functions: accept every NE, do nothing in the layers and the
  // start-up, run the standard new-NE sequence.
  std::function<__boolean(ScriptedAgent&, CKelRecord*)> filter;
  std::function<void(ScriptedAgent&, CKelRecord*)> mediation;
  std::function<void(ScriptedAgent&, CKelRecord*)> process;
  std::function<void(ScriptedAgent&, CKelRecord*)> relationship;
  std::function<void(ScriptedAgent&)> startUp;
  std::function<void(ScriptedAgent&, CKelRecord*)> newNe;
  // Set to true by the destructor, when given.
  std::atomic<bool>* destroyed = nullptr;

  // "<step>:<m_IpAddress of the record>" for every step, in call order
  // ("startup" for the start-up step).
  std::vector<std::string> Log() const;
  // Number of log entries of `step`.
  int Count(const std::string& step) const;

  // The standard sequence, for `newNe` scripts that wrap it.
  void StandardNewNe(CKelRecord* ne) { DAStandardNewNe(ne); }

  void KASetSCName() override { KASetName("Scripted"); }
  void KASetSCDesc() override { KASetDesc("Scripted test agent"); }
  __boolean DADoMediationFilter(CKelRecord* ne) override;
  void DADoMediationLayer(CKelRecord* ne) override;
  void DADoProcessLayer(CKelRecord* ne) override;
  void DADoRelationshipLayer(CKelRecord* ne) override;
  void DAProcessNewNe(CKelRecord* ne) override;
  void DADoStartUpProcessing() override;

 private:
  void Note(const char* step, const CKelRecord* ne);

  mutable std::mutex m_LogMutex;
  std::vector<std::string> m_Log;
};

#endif  // TESTS_SUPPORT_SCRIPTEDAGENT_H_
