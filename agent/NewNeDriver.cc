// The agent's entry for every new NE: start-up gate, stamping, name and
// address processing, the engine's filter step, then phased processing or
// failure.
#include <new>

#include "agent/CDiscoIPv6Agent.h"
#include "host/KelError.h"
#include "host/KelTrace.h"

namespace {

// Sets `name` to `atom` (taken over on success); on refusal the atom is
// deleted and the record's code reported.
void SetField(CKelRecord* record, const char* name, CKelAtom* atom, int line) {
  if (atom == nullptr) {
    CKelError(-220553, __FILE__, line, nullptr);
    return;
  }
  int rc = record->KRAddOrSetValue(name, atom);
  if (rc != 1) {
    delete atom;
    CKelError(rc, __FILE__, line, nullptr);
  }
}

}  // namespace

__boolean CDiscoIPv6Agent::DIPv6IsHaveAccessPresent(CKelRecord* neRecord) {
  return neRecord != nullptr && neRecord->KRValuePairOf("m_HaveAccess") != nullptr ? E_KBTrue
                                                                                 : E_KBFalse;
}

void CDiscoIPv6Agent::DAProcessNewNe(CKelRecord* neRecord) {
  if (KelTraceOn(4)) {
    genXPLTrace("\nENTER : CDiscoIPv6Agent::DAProcessNewNe()\n", 4);
    DAPrintRecAndTime("--CDiscoIPv6Agent::DAProcessNewNe(): ", neRecord);
    genXPLTrace("--CDiscoIPv6Agent::DAProcessNewNe() Input:\n", 4);
    if (neRecord != nullptr) neRecord->KRPrint();
  }
  __boolean neReturned = E_KBFalse;
  __boolean processNe = E_KBTrue;
  __boolean bInDetailsAgent = E_KBTrue;

  if (neRecord == nullptr) {
    processNe = E_KBFalse;
  } else {
    // Start-up gate. A condition wait may return without the engine's
    // signal, so wait until the flag is really set.
    if (m_StartUpThread == nullptr) {
      CKelError(-220552, __FILE__, __LINE__, nullptr);
    } else {
      m_StartUpThread->KTLock();
      if (m_DoneStartUp == E_KBFalse) {
        genXPLTrace("Start-up still being done - start wait.", 4);
        while (m_DoneStartUp == E_KBFalse) m_StartUpThread->KTConditionWaitNoLock();
        genXPLTrace("Start-up finished - continue.", 4);
      } else {
        genXPLTrace("Finished doing start-up stuff continue.", 4);
      }
      m_StartUpThread->KTUnLock();
    }

    DACreatePhaseTag(neRecord);
    DACreateNeKey(neRecord);
    if (DIPv6IsHaveAccessPresent(neRecord) == E_KBTrue) bInDetailsAgent = E_KBFalse;

    SetField(neRecord, "m_UpdAgent", KelNew<CKelAtom>(KAGetName()), __LINE__);

    if (m_AgentDefinition == nullptr) {
      processNe = E_KBFalse;
      CKelError(-220439, __FILE__, __LINE__,
                "The agent definition is missing, please check the agnt file !");
    }
    if (processNe == E_KBTrue) processNe = DIPv6DoNameAndIpProcessing(neRecord);
    if (processNe == E_KBTrue) processNe = DAMediationFilter(neRecord);
    if (bInDetailsAgent == E_KBFalse) DADeleteUnneededInputTags(neRecord);
    if (processNe == E_KBTrue) {
      DACreateAndStoreMedData(neRecord);
      DACreateAndStoreProcData(neRecord);
      DACreateAndStoreRelnshpData(neRecord);
      neReturned = DAProcessNe(neRecord);
    }
  }

  if (KelTraceOn(4)) DAPrintRecAndTime("DAProcessNewNe OUT: ", neRecord);

  if (processNe == E_KBFalse) {
    if (neRecord != nullptr) {
      DADeletePhaseTag(neRecord);
      DADeleteNeKey(neRecord);
      DADeleteUnneededOutputTags(neRecord);
      SetField(neRecord, "m_FailedFlag", KelNew<CKelAtom>(1), __LINE__);
    }
    // A null record matches no job of the engine, which counts the call as
    // unmatched; it is made all the same, so that every failed call ends
    // with exactly one job-done call.
    DASendJobDoneToDisco(neRecord);
    neReturned = E_KBTrue;
  }
  if (neReturned == E_KBTrue && neRecord != nullptr) delete neRecord;
}
