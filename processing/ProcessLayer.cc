// The process layer of one NE: system description and object identifier
// onto the NE record and, for an IPv6 router, its local neighbours with
// copies of the remote neighbours of their interfaces into the NE's
// processed data.
//
// Ownership: the processed data takes every local neighbour record and a
// fresh copy of each remote neighbour filed under it. Everything else
// built here is deleted here: the remote neighbour tree with its wrappers
// and records, the list of local-neighbour pointers, and the local
// neighbour records themselves when none could be handed over.
#include <cstdlib>
#include <cstring>
#include <new>

#include "agent/CDiscoIPv6Agent.h"
#include "host/CKelPointer.h"
#include "host/CKelString.h"
#include "host/KelError.h"
#include "host/KelTrace.h"
#include "processing/NbrRecords.h"

namespace {

// The value of the first "ipv6IfIndex" field of a local neighbour record,
// or null.
CKelAtom* InterfaceIndexOf(const CKelDoubleList* localNbr) {
  for (CKelListable* f = localNbr->KDLHead(); f != nullptr; f = localNbr->KDLGetNext(f)) {
    CKelVarBind* field = nbr::FieldOf(f);
    if (field == nullptr) continue;
    char* name = field->KVBName()->KAStrRep();
    const bool found = name != nullptr && strcmp(name, "ipv6IfIndex") == 0;
    free(name);
    if (found) return field->KVBValue();
  }
  return nullptr;
}

// Sets `field` of the record to the value of the stored reply `object`.
// A missing reply is silent; a reply without value is reported with
// `nullValueMessage`.
void CopyScalar(CKelRecord* neRecord, CDiscoMediationData* medData, const char* object,
                const char* field, const char* nullValueMessage) {
  const CKelSnmpVarOp* reply = medData->DMDGetSnmpGet(object);
  if (reply == nullptr) return;
  const CKelAtom* value = reply->KSVOValue();
  if (value == nullptr) {
    CKelError(-220439, __FILE__, __LINE__, nullValueMessage);
    return;
  }
  const int status = neRecord->KRAddOrSetValue(field, value);
  if (status != 1) CKelError(status, __FILE__, __LINE__);
}

// Files a copy of every remote neighbour of `tree` under `ifIndex` with
// `localNbr` in the processed data; reports an interface without any.
void FileRemoteNbrs(CDiscoProcessedData* procData, CKelDoubleList* localNbr,
                    const CKelTreeList* tree, const CKelAtom* ifIndex) {
  genXPLTracef(4,
               "-- CDiscoIPv6Agent::DADoProcessLayer() has local nbr ifIndex=%d, looking for any "
               "remote nbrs on same interface\n",
               ifIndex->KAInt());
  CKelDoubleList* wrappers = tree->KTLGetMultiple(ifIndex);
  if (wrappers == nullptr) {
    CKelString message;
    message.KSStrCat("No remote nbrs for IfIndex ");
    message.KSStrCat(ifIndex);
    CKelError(-220439, __FILE__, __LINE__, message.KSString());
    return;
  }
  for (CKelListable* w = wrappers->KDLHead(); w != nullptr; w = wrappers->KDLGetNext(w)) {
    auto* wrapper = static_cast<CKelPointer*>(w);
    if (wrapper == nullptr) {
      CKelError(-220439, __FILE__, __LINE__, " remote nbr ptr is null so dont add to procData");
      continue;
    }
    const auto* remoteNbr = static_cast<const CKelDoubleList*>(wrapper->KPData());
    if (remoteNbr == nullptr) continue;
    CKelDoubleList* copy = KelNew<CKelDoubleList>(*remoteNbr);
    if (copy == nullptr) {
      CKelError(-220553, __FILE__, __LINE__);
      continue;
    }
    // A copy the store refuses would belong to no one.
    if (procData->DPDAddRemoteNbr(localNbr, copy) != 1) delete copy;
  }
  wrappers->KDLSetHead(nullptr);  // the wrappers are the tree's
  delete wrappers;
}

}  // namespace

void CDiscoIPv6Agent::DADoProcessLayer(CKelRecord* neRecord) {
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DADoProcessLayer()\n", 4);
  if (neRecord == nullptr) {
    CKelError(-220439, __FILE__, __LINE__, " ne is null - this should NEVER happen");
    return;
  }
  if (KelTraceOn(4)) {
    genXPLTrace("-- CDiscoIPv6Agent::DADoProcessLayer() Input:\n", 4);
    neRecord->KRPrint();
  }

  CDiscoMediationData* medData = DAGetMediationData(neRecord);
  if (medData == nullptr) {
    genXPLTrace("-- CDiscoIPv6Agent::DADoProcessLayer() found no Mediation Data for:\n", 4);
    neRecord->KRPrint();
    genXPLTrace("LEAVE : CDiscoIPv6Agent::DADoProcessLayer()\n", 4);
    return;
  }
  CopyScalar(neRecord, medData, "sysDescr", "m_Description", "sysDescr value null....");
  CopyScalar(neRecord, medData, "sysObjectID", "m_ObjectId", "sysObjectId value null....");
  if (DIPv6GetIpForwarding(medData, neRecord) != 1) {
    genXPLTrace("LEAVE : CDiscoIPv6Agent::DADoProcessLayer()\n", 4);
    return;
  }

  int status = DIPv6BuildLocalIpList(medData);
  if (status != 1) CKelError(status, __FILE__, __LINE__);
  CKelDoubleList* localNbrTags = DIPv6GetLocalNbrTags(medData);
  if (localNbrTags == nullptr) {
    genXPLTrace("-- CDiscoIPv6Agent::DADoProcessLayer() - No local neighbours\n", 4);
  }
  CKelTreeList* remoteNbrTags = DIPv6GetRemoteNbrTags(medData);
  if (remoteNbrTags == nullptr) {
    genXPLTrace("CDiscoIPv6Agent::DADoProcessLayer() - No remote nbrs...\n", 4);
  }
  status = DIPv6RemoveLocalIpList(medData);
  if (status != 1) CKelError(status, __FILE__, __LINE__);

  CDiscoProcessedData* procData = DAGetProcessedData(neRecord);
  bool handedOver = false;
  if (procData == nullptr || localNbrTags == nullptr) {
    CKelError(-220439, __FILE__, __LINE__, "procData null or no local nbrs!");
  } else {
    handedOver = true;
    for (CKelListable* e = localNbrTags->KDLHead(); e != nullptr; e = localNbrTags->KDLGetNext(e)) {
      auto* localNbr = static_cast<CKelDoubleList*>(static_cast<CKelPointer*>(e)->KPData());
      if (localNbr == nullptr) continue;
      const CKelAtom* ifIndex = InterfaceIndexOf(localNbr);
      if (ifIndex != nullptr && remoteNbrTags != nullptr) {
        FileRemoteNbrs(procData, localNbr, remoteNbrTags, ifIndex);
      }
      // The local neighbour goes after its remote neighbours. A record the
      // store refuses would belong to no one.
      if (procData->DPDAddLocalNbr(localNbr) != 1) delete localNbr;
    }
  }

  nbr::DeleteRemoteNbrTree(remoteNbrTags);
  if (localNbrTags != nullptr) {
    if (!handedOver) {
      // Deleting the list deletes only its pointers: the records, which
      // nobody took, go first.
      for (CKelListable* e = localNbrTags->KDLHead(); e != nullptr;
           e = localNbrTags->KDLGetNext(e)) {
        delete static_cast<CKelDoubleList*>(static_cast<CKelPointer*>(e)->KPData());
      }
    }
    delete localNbrTags;
  }
  genXPLTrace("LEAVE : CDiscoIPv6Agent::DADoProcessLayer()\n", 4);
}
