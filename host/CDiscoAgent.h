// The engine's agent base. The engine sets the public members before
// handing NEs to DAProcessNewNe, and calls the layer operations per NE on
// its worker threads.
//
// Per-NE state (phase tag, NE key, stores) is kept by the base, keyed by
// the record, under its own lock: the operations below are safe from many
// threads at once for different records.
#ifndef HOST_CDISCOAGENT_H_
#define HOST_CDISCOAGENT_H_

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "host/CDiscoEngineServices.h"
#include "host/CDiscoMediationData.h"
#include "host/CDiscoProcessedData.h"
#include "host/CDiscoStdRequester.h"
#include "host/CKelApplication.h"
#include "host/CKelRecord.h"
#include "host/CKelValidAddress.h"
#include "host/KelLock.h"
#include "host/KelTypes.h"

class CDiscoAgent : public CKelApplication {
 public:
  CDiscoAgent();
  ~CDiscoAgent() override;  // deletes stores of NEs never finished

  // Virtual slots after those of CKelApplication, in this order. The
  // defaults: the filter accepts, the layers do nothing,
  // DAProcessNewNe runs the engine's standard sequence (DAStandardNewNe).
  virtual __boolean DADoMediationFilter(CKelRecord* ne);
  virtual void DADoMediationLayer(CKelRecord* ne);
  virtual void DADoProcessLayer(CKelRecord* ne);
  virtual void DADoRelationshipLayer(CKelRecord* ne);
  virtual void DAAlternativeRelationshipLayer(CKelRecord* ne);
  virtual __boolean DACheckDeviceOSVersion(CKelRecord* ne);
  virtual void DAProcessNewNe(CKelRecord* ne);
  virtual void DADoStartUpProcessing();
  virtual void DAAddExtraIOHandler();
  virtual void DAProcessIO();

  // NE preparation and undo. Each returns 1, or KEL_ERR_NULL_ARG.
  int DACreatePhaseTag(CKelRecord* ne);
  int DACreateNeKey(CKelRecord* ne);
  int DADeletePhaseTag(CKelRecord* ne);
  int DADeleteNeKey(CKelRecord* ne);
  int DADeleteUnneededOutputTags(CKelRecord* ne);
  // Removes the engine's input tags ("m_HaveAccess") from the record.
  int DADeleteUnneededInputTags(CKelRecord* ne);
  bool DAHasPhaseTag(const CKelRecord* ne) const;
  // The NE key made by DACreateNeKey ("" when none).
  std::string DAGetNeKey(const CKelRecord* ne) const;

  // The engine's filter step: E_KBTrue when the NE is to be processed.
  __boolean DAMediationFilter(CKelRecord* ne);

  // Create the NE's stores (1 on success; an existing store is kept).
  int DACreateAndStoreMedData(CKelRecord* ne);
  int DACreateAndStoreProcData(CKelRecord* ne);
  int DACreateAndStoreRelnshpData(CKelRecord* ne);
  // The NE's stores, owned by the engine; null when absent.
  CDiscoMediationData* DAGetMediationData(const CKelRecord* ne) const;
  CDiscoProcessedData* DAGetProcessedData(const CKelRecord* ne) const;

  // Phased processing: mediation layer, process layer, relationship layer,
  // then the stores go to the engine services (DESNeProcessed). Returns
  // E_KBTrue: the record is handed back for the caller to delete.
  __boolean DAProcessNe(CKelRecord* ne);

  // Ends a failed NE's job (DESJobDone); drops any stores of the NE.
  void DASendJobDoneToDisco(CKelRecord* ne);

  // Level-4 trace: `text`, the time, and the record.
  void DAPrintRecAndTime(const char* text, const CKelRecord* ne) const;

  // The engine's standard new-NE sequence, for agents that do not override
  // DAProcessNewNe: tags, filter, stores and DAProcessNe, or failure.
  void DAStandardNewNe(CKelRecord* ne);

  // Engine-owned members, set by the engine before NEs arrive.
  __boolean m_DoneStartUp = E_KBFalse;
  CKelThread* m_StartUpThread = nullptr;  // guards m_DoneStartUp; may be null
  CKelRecord* m_AgentDefinition = nullptr;  // null when missing
  CDiscoStdRequester* m_Requester = nullptr;
  CKelValidAddress* m_ValidAddr = nullptr;
  CDiscoEngineServices* m_Services = nullptr;

 private:
  struct NeState {
    bool phaseTag = false;
    std::string neKey;
    std::unique_ptr<CDiscoMediationData> med;
    std::unique_ptr<CDiscoProcessedData> proc;
    bool relnshp = false;
  };
  NeState* Find(const CKelRecord* ne) const;
  NeState& Get(const CKelRecord* ne);
  void Drop(const CKelRecord* ne);

  mutable std::mutex m_StateMutex;
  std::map<const CKelRecord*, NeState> m_States;
};

#endif  // HOST_CDISCOAGENT_H_
