// The in-process discovery engine.
#include "engine/CDiscoEngine.h"

#include <algorithm>
#include <exception>
#include <new>
#include <string>
#include <utility>

#include "host/ZWResolver.h"

const char* DEStatusName(EDiscoJobStatus status) {
  switch (status) {
    case E_DJSQueued: return "queued";
    case E_DJSRunning: return "running";
    case E_DJSProcessed: return "processed";
    case E_DJSFailed: return "failed";
    case E_DJSNotFinished: return "not-finished";
    case E_DJSInterrupted: return "interrupted";
  }
  return "unknown";
}

CDiscoEngine::CDiscoEngine(CDiscoAgent* agent, CDiscoStdRequester* requester,
                           const CDiscoEngineOptions& options)
    : m_Agent(agent), m_Requester(requester), m_Options(options) {
  m_Options.agentDefinition = nullptr;  // the copy below is the engine's
  if (options.agentDefinition != nullptr) {
    m_Definition.reset(KelNew<CKelRecord>(*options.agentDefinition));
  }
  if (options.startUpThread) m_StartUpThread.reset(new CKelThread());
  if (m_Requester != nullptr) m_Stoppable.reset(new CStoppableRequester(m_Requester));
  if (m_Agent != nullptr) {
    if (options.setNames) {
      m_Agent->KASetSCName();
      m_Agent->KASetSCDesc();
    }
    m_Agent->m_Requester = m_Stoppable.get();
    m_Agent->m_ValidAddr = &m_ValidAddr;
    m_Agent->m_Services = this;
    m_Agent->m_AgentDefinition = m_Definition.get();
    m_Agent->m_StartUpThread = m_StartUpThread.get();
    m_Agent->m_DoneStartUp = E_KBFalse;
  }
  const int workers = std::max(1, options.workers);
  for (int i = 0; i < workers; ++i) m_Workers.emplace_back(&CDiscoEngine::Work, this);
}

CDiscoEngine::~CDiscoEngine() {
  bool begun;
  {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Stopping = true;
    for (size_t index : m_Queue) {
      delete m_Slots[index]->pending;
      m_Slots[index]->pending = nullptr;
    }
    m_Queue.clear();
    begun = m_StartUpBegun;
    m_StartUpBegun = true;
  }
  m_WorkCv.notify_all();
  // NEs already in the agent's hands may be waiting at the gate.
  if (!begun) OpenGate();
  for (std::thread& worker : m_Workers) worker.join();
  if (m_StartUpThread) m_StartUpThread->KTJoin();
  if (m_Agent != nullptr) {
    m_Agent->m_Services = nullptr;
    m_Agent->m_Requester = nullptr;
    m_Agent->m_ValidAddr = nullptr;
    m_Agent->m_AgentDefinition = nullptr;
    m_Agent->m_StartUpThread = nullptr;
    if (m_Options.ownAgent) delete m_Agent;
  }
  if (m_Options.ownRequester) delete m_Requester;
}

std::unique_ptr<CKelRecord> CDiscoEngine::DEMakeAgentDefinition(const char* agentName) {
  std::unique_ptr<CKelRecord> definition(new CKelRecord());
  definition->KRAddOrSetValue("m_AgentName", agentName != nullptr ? agentName : "");
  return definition;
}

void CDiscoEngine::DEStartUp() {
  {
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (m_StartUpBegun) return;
    m_StartUpBegun = true;
  }
  auto work = [this] {
    if (m_Agent != nullptr) m_Agent->DADoStartUpProcessing();
    OpenGate();
  };
  if (m_StartUpThread) {
    m_StartUpThread->KTStart(work);
  } else {
    work();
  }
}

void CDiscoEngine::OpenGate() {
  if (m_Agent != nullptr) {
    if (m_StartUpThread) {
      // The flag is read by the agent under the start-up thread's mutex.
      m_StartUpThread->KTLock();
      m_Agent->m_DoneStartUp = E_KBTrue;
      m_StartUpThread->KTConditionBroadcast();
      m_StartUpThread->KTUnLock();
    } else {
      m_Agent->m_DoneStartUp = E_KBTrue;
    }
  }
  {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_GateOpen = true;
  }
  m_DoneCv.notify_all();
}

bool CDiscoEngine::DEWaitStartUp(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(m_Mutex);
  return m_DoneCv.wait_for(lock, timeout, [this] { return m_GateOpen; });
}

long CDiscoEngine::DESubmit(CKelRecord* record) {
  if (record == nullptr) return -1;
  if (m_Agent == nullptr) {
    delete record;
    return -1;
  }
  size_t index;
  {
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (m_Stopping || m_Interrupted) {
      delete record;
      return -1;
    }
    index = m_Slots.size();
    m_Slots.emplace_back(new Slot());
    m_Slots.back()->pending = record;
    m_Queue.push_back(index);
  }
  m_WorkCv.notify_one();
  return static_cast<long>(index);
}

void CDiscoEngine::Work() {
  for (;;) {
    size_t index;
    CKelRecord* record;
    {
      std::unique_lock<std::mutex> lock(m_Mutex);
      m_WorkCv.wait(lock, [this] { return m_Stopping || !m_Queue.empty(); });
      if (m_Queue.empty()) return;
      index = m_Queue.front();
      m_Queue.pop_front();
      Slot& slot = *m_Slots[index];
      record = slot.pending;
      slot.pending = nullptr;
      slot.job.status = E_DJSRunning;
      // The record is the agent's from now on; the callbacks find the job
      // by its address and forget it before the record is deleted.
      m_InFlight[record] = index;
    }
    RunJob(index, record);
  }
}

void CDiscoEngine::DEInterrupt() {
  if (m_Stoppable) m_Stoppable->Stop();
  std::vector<std::unique_ptr<CKelRecord>> dropped;  // deleted outside the lock
  {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Interrupted = true;
    for (size_t index : m_Queue) {
      Slot& slot = *m_Slots[index];
      dropped.emplace_back(slot.pending);
      slot.pending = nullptr;
      slot.job.status = E_DJSInterrupted;
      slot.done = true;
      m_Finished.push_back(index);
      ++m_Done;
    }
    m_Queue.clear();
  }
  m_DoneCv.notify_all();
}

bool CDiscoEngine::CallAgent(CKelRecord* record) {
  // Nothing may leave a worker thread: the NE fails, the run goes on. What
  // the agent did with the record is unknown, so the engine leaves it be.
  try {
    m_Agent->DAProcessNewNe(record);
    return true;
  } catch (const std::bad_alloc&) {
    CKelError(-220553, __FILE__, __LINE__, "out of memory in DAProcessNewNe");
  } catch (const std::exception& e) {
    const std::string message = "DAProcessNewNe ended by an exception: " + std::string(e.what());
    CKelError(-220439, __FILE__, __LINE__, message.c_str());
  } catch (...) {
    CKelError(-220439, __FILE__, __LINE__, "DAProcessNewNe ended by an exception");
  }
  return false;
}

void CDiscoEngine::RunJob(size_t index, CKelRecord* record) {
  std::vector<KelErrorReport> errors;
  CDiscoSnmpSummary snmp;
  const double lookupsBefore = ZWLookupSeconds();
  bool returned, cutShort = false;
  {
    KelThreadErrorScope scope;
    if (m_Stoppable) m_Stoppable->DSRNeBegin();
    returned = CallAgent(record);
    if (m_Stoppable) {
      cutShort = CStoppableRequester::NeCutShort();
      snmp = m_Stoppable->DSRNeEnd();
    }
    errors = scope.Reports();
  }
  {
    std::lock_guard<std::mutex> lock(m_Mutex);
    Slot& slot = *m_Slots[index];
    // Neither callback came: the agent kept (or lost) the record, which the
    // engine must not touch any more.
    auto it = m_InFlight.find(record);
    if (it != m_InFlight.end() && it->second == index) {
      m_InFlight.erase(it);
      slot.job.status = returned ? E_DJSNotFinished : E_DJSFailed;
    }
    if (cutShort) slot.job.status = E_DJSInterrupted;
    slot.job.errors.insert(slot.job.errors.end(), errors.begin(), errors.end());
    slot.job.snmp = std::move(snmp);
    slot.job.nameSeconds = ZWLookupSeconds() - lookupsBefore;
    slot.done = true;
    m_Finished.push_back(index);
    ++m_Done;
  }
  m_DoneCv.notify_all();
}

CDiscoEngine::Slot* CDiscoEngine::Claim(const CKelRecord* record) {
  auto it = m_InFlight.find(record);
  if (record == nullptr || it == m_InFlight.end()) {
    ++m_Unmatched;
    return nullptr;
  }
  Slot* slot = m_Slots[it->second].get();
  m_InFlight.erase(it);
  return slot;
}

void CDiscoEngine::DESNeProcessed(CKelRecord* record, std::unique_ptr<CDiscoMediationData> med,
                                  std::unique_ptr<CDiscoProcessedData> proc) {
  // Copied now: the caller deletes the record when this returns.
  std::unique_ptr<CKelRecord> copy(record != nullptr ? KelNew<CKelRecord>(*record) : nullptr);
  if (!m_Options.keepMediationData) med.reset();  // released outside the lock
  std::lock_guard<std::mutex> lock(m_Mutex);
  Slot* slot = Claim(record);
  if (slot == nullptr) return;  // the stores die with the arguments
  // Without its record the NE's result is not whole (the failed copy was
  // reported).
  slot->job.status = copy != nullptr ? E_DJSProcessed : E_DJSFailed;
  if (copy == nullptr) return;
  slot->job.record = std::move(copy);
  slot->job.med = std::move(med);
  slot->job.proc = std::move(proc);
}

void CDiscoEngine::DESJobDone(CKelRecord* record) {
  std::unique_ptr<CKelRecord> copy(record != nullptr ? KelNew<CKelRecord>(*record) : nullptr);
  std::lock_guard<std::mutex> lock(m_Mutex);
  Slot* slot = Claim(record);
  if (slot == nullptr) return;
  slot->job.status = E_DJSFailed;
  slot->job.record = std::move(copy);
}

bool CDiscoEngine::DEWaitAll(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(m_Mutex);
  return m_DoneCv.wait_for(lock, timeout, [this] { return m_Done == m_Slots.size(); });
}

size_t CDiscoEngine::DEWaitDone(size_t seen, std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(m_Mutex);
  m_DoneCv.wait_for(lock, timeout, [this, seen] { return m_Done > seen || m_Done == m_Slots.size(); });
  return m_Done;
}

bool CDiscoEngine::DEJobDone(size_t index) const {
  std::lock_guard<std::mutex> lock(m_Mutex);
  return m_Slots.at(index)->done;
}

size_t CDiscoEngine::DEDoneCount() const {
  std::lock_guard<std::mutex> lock(m_Mutex);
  return m_Done;
}

size_t CDiscoEngine::DEFinishedJob(size_t n) const {
  std::lock_guard<std::mutex> lock(m_Mutex);
  return m_Finished.at(n);
}

size_t CDiscoEngine::DEJobCount() const {
  std::lock_guard<std::mutex> lock(m_Mutex);
  return m_Slots.size();
}

const CDiscoJob& CDiscoEngine::DEJob(size_t index) const {
  std::lock_guard<std::mutex> lock(m_Mutex);
  return m_Slots.at(index)->job;
}

CDiscoJob& CDiscoEngine::DEJob(size_t index) {
  std::lock_guard<std::mutex> lock(m_Mutex);
  return m_Slots.at(index)->job;
}

int CDiscoEngine::DEUnmatchedCount() const {
  std::lock_guard<std::mutex> lock(m_Mutex);
  return m_Unmatched;
}
