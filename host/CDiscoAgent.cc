// The engine's agent base: per-NE state, the filter step and the phased
// processing of one NE.
#include "host/CDiscoAgent.h"

#include <atomic>
#include <ctime>
#include <string>
#include <utility>

#include "host/KelTrace.h"

CDiscoAgent::CDiscoAgent() = default;

// The map's unique_ptrs delete the stores of NEs that never finished.
CDiscoAgent::~CDiscoAgent() = default;

__boolean CDiscoAgent::DADoMediationFilter(CKelRecord*) { return E_KBTrue; }
void CDiscoAgent::DADoMediationLayer(CKelRecord*) {}
void CDiscoAgent::DADoProcessLayer(CKelRecord*) {}
void CDiscoAgent::DADoRelationshipLayer(CKelRecord*) {}
void CDiscoAgent::DAAlternativeRelationshipLayer(CKelRecord*) {}
__boolean CDiscoAgent::DACheckDeviceOSVersion(CKelRecord*) { return E_KBTrue; }
void CDiscoAgent::DAProcessNewNe(CKelRecord* ne) { DAStandardNewNe(ne); }
void CDiscoAgent::DADoStartUpProcessing() {}
void CDiscoAgent::DAAddExtraIOHandler() {}
void CDiscoAgent::DAProcessIO() {}

CDiscoAgent::NeState* CDiscoAgent::Find(const CKelRecord* ne) const {
  auto it = m_States.find(ne);
  return it == m_States.end() ? nullptr : const_cast<NeState*>(&it->second);
}

CDiscoAgent::NeState& CDiscoAgent::Get(const CKelRecord* ne) { return m_States[ne]; }

// Forgets the NE. The record's address may be reused by the next record,
// so every path that ends an NE comes here.
void CDiscoAgent::Drop(const CKelRecord* ne) { m_States.erase(ne); }

int CDiscoAgent::DACreatePhaseTag(CKelRecord* ne) {
  if (ne == nullptr) return KEL_ERR_NULL_ARG;
  std::lock_guard<std::mutex> lock(m_StateMutex);
  Get(ne).phaseTag = true;
  return KEL_OK;
}

int CDiscoAgent::DACreateNeKey(CKelRecord* ne) {
  if (ne == nullptr) return KEL_ERR_NULL_ARG;
  // A process-wide serial number: unique even for NEs with the same
  // address, and for records that reuse a freed record's memory.
  static std::atomic<unsigned long long> serial{0};
  std::string key = "NE-" + std::to_string(++serial);
  std::lock_guard<std::mutex> lock(m_StateMutex);
  Get(ne).neKey = std::move(key);
  return KEL_OK;
}

int CDiscoAgent::DADeletePhaseTag(CKelRecord* ne) {
  if (ne == nullptr) return KEL_ERR_NULL_ARG;
  std::lock_guard<std::mutex> lock(m_StateMutex);
  if (NeState* state = Find(ne)) state->phaseTag = false;
  return KEL_OK;
}

int CDiscoAgent::DADeleteNeKey(CKelRecord* ne) {
  if (ne == nullptr) return KEL_ERR_NULL_ARG;
  std::lock_guard<std::mutex> lock(m_StateMutex);
  if (NeState* state = Find(ne)) state->neKey.clear();
  return KEL_OK;
}

int CDiscoAgent::DADeleteUnneededOutputTags(CKelRecord* ne) {
  if (ne == nullptr) return KEL_ERR_NULL_ARG;
  // The output of an NE that is not processed: whatever stores were made.
  std::unique_ptr<CDiscoMediationData> med;
  std::unique_ptr<CDiscoProcessedData> proc;
  {
    std::lock_guard<std::mutex> lock(m_StateMutex);
    if (NeState* state = Find(ne)) {
      med = std::move(state->med);
      proc = std::move(state->proc);
      state->relnshp = false;
    }
  }
  return KEL_OK;  // the stores are deleted here, outside the lock
}

int CDiscoAgent::DADeleteUnneededInputTags(CKelRecord* ne) {
  if (ne == nullptr) return KEL_ERR_NULL_ARG;
  ne->KRRemoveValue("m_HaveAccess");  // KEL_ERR_NOT_FOUND is fine
  return KEL_OK;
}

bool CDiscoAgent::DAHasPhaseTag(const CKelRecord* ne) const {
  std::lock_guard<std::mutex> lock(m_StateMutex);
  const NeState* state = Find(ne);
  return state != nullptr && state->phaseTag;
}

std::string CDiscoAgent::DAGetNeKey(const CKelRecord* ne) const {
  std::lock_guard<std::mutex> lock(m_StateMutex);
  const NeState* state = Find(ne);
  return state != nullptr ? state->neKey : std::string();
}

__boolean CDiscoAgent::DAMediationFilter(CKelRecord* ne) {
  if (ne == nullptr) return E_KBFalse;
  return DADoMediationFilter(ne) != E_KBFalse ? E_KBTrue : E_KBFalse;
}

int CDiscoAgent::DACreateAndStoreMedData(CKelRecord* ne) {
  if (ne == nullptr) return KEL_ERR_NULL_ARG;
  std::lock_guard<std::mutex> lock(m_StateMutex);
  NeState& state = Get(ne);
  if (!state.med) state.med.reset(new CDiscoMediationData());
  return KEL_OK;
}

int CDiscoAgent::DACreateAndStoreProcData(CKelRecord* ne) {
  if (ne == nullptr) return KEL_ERR_NULL_ARG;
  std::lock_guard<std::mutex> lock(m_StateMutex);
  NeState& state = Get(ne);
  if (!state.proc) state.proc.reset(new CDiscoProcessedData());
  return KEL_OK;
}

int CDiscoAgent::DACreateAndStoreRelnshpData(CKelRecord* ne) {
  if (ne == nullptr) return KEL_ERR_NULL_ARG;
  std::lock_guard<std::mutex> lock(m_StateMutex);
  Get(ne).relnshp = true;
  return KEL_OK;
}

CDiscoMediationData* CDiscoAgent::DAGetMediationData(const CKelRecord* ne) const {
  std::lock_guard<std::mutex> lock(m_StateMutex);
  const NeState* state = Find(ne);
  return state != nullptr ? state->med.get() : nullptr;
}

CDiscoProcessedData* CDiscoAgent::DAGetProcessedData(const CKelRecord* ne) const {
  std::lock_guard<std::mutex> lock(m_StateMutex);
  const NeState* state = Find(ne);
  return state != nullptr ? state->proc.get() : nullptr;
}

__boolean CDiscoAgent::DAProcessNe(CKelRecord* ne) {
  if (ne == nullptr) return E_KBFalse;  // nothing to process or hand back
  DADoMediationLayer(ne);
  DADoProcessLayer(ne);
  DADoRelationshipLayer(ne);
  std::unique_ptr<CDiscoMediationData> med;
  std::unique_ptr<CDiscoProcessedData> proc;
  {
    std::lock_guard<std::mutex> lock(m_StateMutex);
    if (NeState* state = Find(ne)) {
      med = std::move(state->med);
      proc = std::move(state->proc);
    }
    Drop(ne);
  }
  // Without engine services the stores have nowhere to go and die here.
  if (m_Services != nullptr) m_Services->DESNeProcessed(ne, std::move(med), std::move(proc));
  return E_KBTrue;
}

void CDiscoAgent::DASendJobDoneToDisco(CKelRecord* ne) {
  std::unique_ptr<CDiscoMediationData> med;
  std::unique_ptr<CDiscoProcessedData> proc;
  if (ne != nullptr) {
    std::lock_guard<std::mutex> lock(m_StateMutex);
    if (NeState* state = Find(ne)) {
      med = std::move(state->med);
      proc = std::move(state->proc);
    }
    Drop(ne);
  }
  if (m_Services != nullptr) m_Services->DESJobDone(ne);
}

void CDiscoAgent::DAPrintRecAndTime(const char* text, const CKelRecord* ne) const {
  if (!KelTraceOn(4)) return;
  char stamp[32] = "";
  const std::time_t now = std::time(nullptr);
  std::tm local;
  if (localtime_r(&now, &local) != nullptr) {
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
  }
  std::string line = text != nullptr ? text : "";
  line += stamp;
  line += ' ';
  line += ne != nullptr ? ne->KRToString() : std::string("<null record>");
  genXPLTrace(line.c_str(), 4);
}

void CDiscoAgent::DAStandardNewNe(CKelRecord* ne) {
  if (ne == nullptr) return;
  if (m_StartUpThread != nullptr) {
    m_StartUpThread->KTLock();
    while (m_DoneStartUp == E_KBFalse) m_StartUpThread->KTConditionWaitNoLock();
    m_StartUpThread->KTUnLock();
  }
  DACreatePhaseTag(ne);
  DACreateNeKey(ne);
  __boolean neReturned = E_KBFalse;
  if (DAMediationFilter(ne) == E_KBTrue) {
    DACreateAndStoreMedData(ne);
    DACreateAndStoreProcData(ne);
    DACreateAndStoreRelnshpData(ne);
    neReturned = DAProcessNe(ne);
  } else {
    DADeletePhaseTag(ne);
    DADeleteNeKey(ne);
    DADeleteUnneededOutputTags(ne);
    ne->KRAddOrSetValue("m_FailedFlag", 1);
    DASendJobDoneToDisco(ne);
    neReturned = E_KBTrue;
  }
  if (neReturned == E_KBTrue) delete ne;
}
