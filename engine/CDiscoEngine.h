// The in-process discovery engine: drives one agent over a set of NE
// records as the discovery engine does, on its own worker threads, and
// keeps what came back for every NE.
//
// Use: construct (the agent gets its requester, validator, services, agent
// definition and start-up thread), hand records in with DESubmit (before
// or after DEStartUp), open the start-up gate with DEStartUp, then
// DEWaitAll and read the jobs. Records handed in before the gate opens wait
// at the agent's gate on the worker threads. DEInterrupt ends a run early.
//
// Thread-safety: DESubmit, DEStartUp, DEInterrupt, DEWaitAll, DEWaitDone,
// DEDoneCount, DEJobDone, DEJobCount and DEFinishedJob may be called from
// any thread. A job's results (DEJob) may be read once the job is done:
// after DEJobDone or DEFinishedJob named it, or after DEWaitAll returned
// true.
#ifndef ENGINE_CDISCOENGINE_H_
#define ENGINE_CDISCOENGINE_H_

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/StoppableRequester.h"
#include "host/CDiscoAgent.h"
#include "host/CDiscoEngineServices.h"
#include "host/CDiscoMediationData.h"
#include "host/CDiscoProcessedData.h"
#include "host/CDiscoStdRequester.h"
#include "host/CKelRecord.h"
#include "host/CKelValidAddress.h"
#include "host/KelError.h"
#include "host/KelLock.h"

// How an NE's job ended.
enum EDiscoJobStatus {
  E_DJSQueued,       // not yet handed to the agent
  E_DJSRunning,      // in the agent's hands
  E_DJSProcessed,    // went through every phase (DESNeProcessed)
  E_DJSFailed,       // ended without processing (DESJobDone)
  E_DJSNotFinished,  // the agent returned without ending the job
  E_DJSInterrupted,  // the run was interrupted before the job was done
};

const char* DEStatusName(EDiscoJobStatus status);

// What the engine keeps for one NE.
struct CDiscoJob {
  EDiscoJobStatus status = E_DJSQueued;
  // Copy of the record as the agent handed it back; null until then, and
  // for a job that did not finish.
  std::unique_ptr<CKelRecord> record;
  // Null when none was made, or when the engine does not keep it (see
  // CDiscoEngineOptions::keepMediationData).
  std::unique_ptr<CDiscoMediationData> med;
  std::unique_ptr<CDiscoProcessedData> proc;  // null when none was made
  // Error reports made on the worker thread while the agent had the NE.
  std::vector<KelErrorReport> errors;
  // What the requester saw of the NE's devices (empty without requester).
  CDiscoSnmpSummary snmp;
  // Seconds the worker spent in name lookups while the agent had the NE.
  double nameSeconds = 0;
};

struct CDiscoEngineOptions {
  int workers = 2;                 // worker threads (at least 1)
  bool ownAgent = false;           // delete the agent with the engine
  bool ownRequester = false;       // delete the requester with the engine
  bool setNames = true;            // call KASetSCName and KASetSCDesc
  bool startUpThread = true;       // false: m_StartUpThread stays null
  // Keep a processed NE's mediation data (every SNMP answer the agent
  // stored) in its job; by default it is released as soon as the agent
  // hands it over, since reports and links need only the record and the
  // processed data.
  bool keepMediationData = false;
  // Copied; null leaves the agent without a definition.
  const CKelRecord* agentDefinition = nullptr;
};

class CDiscoEngine : public CDiscoEngineServices {
 public:
  // `agent` must outlive the engine unless owned; `requester` may be null.
  // The engine sets the agent's engine members and starts the workers.
  CDiscoEngine(CDiscoAgent* agent, CDiscoStdRequester* requester,
               const CDiscoEngineOptions& options);
  // Drops records not yet handed out, opens the start-up gate if it never
  // opened (without start-up processing), waits for the NEs in the agent's
  // hands, clears the agent's engine members and deletes what it owns.
  ~CDiscoEngine() override;
  CDiscoEngine(const CDiscoEngine&) = delete;
  CDiscoEngine& operator=(const CDiscoEngine&) = delete;

  // A record definition naming `agentName`, for options.agentDefinition.
  static std::unique_ptr<CKelRecord> DEMakeAgentDefinition(const char* agentName);

  // Runs the agent's DADoStartUpProcessing on the start-up thread (inline
  // when there is none), then opens the gate. Returns at once; only the
  // first call does anything.
  void DEStartUp();
  // True once the gate is open (waits at most `timeout`).
  bool DEWaitStartUp(std::chrono::milliseconds timeout);

  // Takes over `record` (each record once) and queues it; returns its job
  // number (0, 1, ... in submission order). Returns -1 for a null record,
  // without an agent, or while the engine is being destroyed (the record is
  // then deleted).
  long DESubmit(CKelRecord* record);

  // Ends the run early: jobs not yet handed out end as E_DJSInterrupted at
  // once (their records deleted), later submissions are refused, and every
  // request the agent makes from now on is refused without being sent; a
  // job in the agent's hands that has a request refused ends as
  // E_DJSInterrupted too, one that needs none ends as it would have.
  void DEInterrupt();

  // Waits until every submitted job is done. False on time-out.
  bool DEWaitAll(std::chrono::milliseconds timeout = std::chrono::minutes(10));
  // Waits until more than `seen` jobs are done, or every job is, or
  // `timeout` passes; returns the number done.
  size_t DEWaitDone(size_t seen, std::chrono::milliseconds timeout);
  size_t DEDoneCount() const;
  // True once job `index` is done; its results may then be read.
  bool DEJobDone(size_t index) const;
  // The number of the `n`-th job to be done (from 0), for n < DEDoneCount().
  size_t DEFinishedJob(size_t n) const;

  size_t DEJobCount() const;
  // Job `index`; see the thread-safety note above.
  const CDiscoJob& DEJob(size_t index) const;
  CDiscoJob& DEJob(size_t index);

  // Callbacks for records the engine did not hand out (or a second end of
  // the same job); their stores are dropped.
  int DEUnmatchedCount() const;

  CDiscoAgent* DEAgent() const { return m_Agent; }

  // CDiscoEngineServices.
  void DESNeProcessed(CKelRecord* record, std::unique_ptr<CDiscoMediationData> med,
                      std::unique_ptr<CDiscoProcessedData> proc) override;
  void DESJobDone(CKelRecord* record) override;

 private:
  struct Slot {
    CDiscoJob job;
    CKelRecord* pending = nullptr;  // owned until handed out
    bool done = false;
  };

  void Work();
  void RunJob(size_t index, CKelRecord* record);
  // The agent's DAProcessNewNe; false, with a report naming it, when it
  // ended by an exception.
  bool CallAgent(CKelRecord* record);
  void OpenGate();
  // The job of `record` handed out and not yet ended, or null; forgets it.
  Slot* Claim(const CKelRecord* record);

  CDiscoAgent* m_Agent;
  CDiscoStdRequester* m_Requester;
  // What the agent asks through: m_Requester, until DEInterrupt.
  std::unique_ptr<CStoppableRequester> m_Stoppable;
  CDiscoEngineOptions m_Options;
  std::unique_ptr<CKelRecord> m_Definition;
  CKelValidAddress m_ValidAddr;
  std::unique_ptr<CKelThread> m_StartUpThread;

  mutable std::mutex m_Mutex;
  std::condition_variable m_WorkCv;  // work queued or stopping
  std::condition_variable m_DoneCv;  // a job done
  std::deque<std::unique_ptr<Slot>> m_Slots;
  std::deque<size_t> m_Queue;
  std::map<const CKelRecord*, size_t> m_InFlight;
  std::vector<size_t> m_Finished;  // job numbers in the order they were done
  size_t m_Done = 0;
  int m_Unmatched = 0;
  bool m_Stopping = false;
  bool m_Interrupted = false;
  bool m_StartUpBegun = false;
  bool m_GateOpen = false;
  std::vector<std::thread> m_Workers;
};

#endif  // ENGINE_CDISCOENGINE_H_
