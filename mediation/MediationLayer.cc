// The mediation layer: reads the forwarding and system scalars and the
// IPv6 MIB columns of one NE into its mediation data, and the reply dumps.
//
// Replies that are stored belong to the mediation data from then on. A
// column that comes back empty is not stored; the requester hands every
// reply to its caller, so the empty list is deleted here.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "agent/CDiscoIPv6Agent.h"
#include "host/KelError.h"
#include "host/KelTrace.h"
#include "mediation/MibColumns.h"

namespace {

const char* const kScalars[] = {"sysObjectID", "sysDescr", "ipForwarding", "ipv6Forwarding"};

const char kNoIfColumn[] = "-- CDiscoIPv6Agent::DADoMediationLayer() found no ---";
const char kNoColumn[] = "CDiscoIPv6Agent::DADoMediationLayer() found no ---";

// Walks the columns [range[0], range[1]) of `table` for `neRecord` into
// `medData`. `missing` starts the trace line of a column with no rows.
void WalkTable(CDiscoIPv6Agent* agent, CDiscoStdRequester* requester, CKelRecord* neRecord,
               CDiscoMediationData* medData, const char* const* table, const int* range,
               const char* missing) {
  for (int pos = range[0]; pos < range[1]; ++pos) {
    const char* column = table[pos];
    CKelDoubleList* rows = requester->DSRSnmpGetNext(neRecord, column, nullptr, nullptr);
    if (rows != nullptr && rows->KDLLength() > 0) {
      int rc = medData->DMDAddSnmp(column, rows);
      if (rc != 1) {
        CKelError(rc, __FILE__, __LINE__);
        delete rows;
        continue;
      }
      if (KelTraceOn(4)) agent->DLPrint(column, rows);
    } else {
      delete rows;
      genXPLTracef(4, "%s%s--- data\n", missing, column);
    }
  }
}

}  // namespace

void CDiscoIPv6Agent::DLPrint(const char* name, CKelDoubleList* list) {
  if (list == nullptr) return;
  for (CKelListable* e = list->KDLHead(); e != nullptr; e = list->KDLGetNext(e)) {
    if (e->KLKind() != E_KLKSnmpVarOp) continue;
    DLPrint(name, static_cast<CKelSnmpVarOp*>(e));
  }
}

void CDiscoIPv6Agent::DLPrint(const char* name, CKelSnmpVarOp* varOp) {
  char* index = nullptr;
  char* value = nullptr;
  if (varOp != nullptr) {
    if (varOp->KSVOASN1() != nullptr) index = varOp->KSVOASN1()->KAAAddressPrint();
    if (varOp->KSVOValue() != nullptr) value = varOp->KSVOValue()->KAStrRep();
  }
  // One write per line, so that lines of NEs dumped at once stay whole.
  std::string line = name != nullptr ? name : "";
  line += '.';
  line += index != nullptr ? index : "<null>";
  line += "\t= ";
  line += value != nullptr ? value : "<null>";
  line += '\n';
  fputs(line.c_str(), stdout);
  fflush(stdout);
  free(index);
  free(value);
}

void CDiscoIPv6Agent::DADoMediationLayer(CKelRecord* neRecord) {
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DADoMediationLayer()\n", 4);
  if (neRecord != nullptr && KelTraceOn(4)) {
    genXPLTrace("-- CDiscoIPv6Agent::DADoMediationLayer() Input:\n", 4);
    neRecord->KRPrint();
  }
  CDiscoMediationData* medData = neRecord != nullptr ? DAGetMediationData(neRecord) : nullptr;
  if (medData == nullptr) {
    CKelError(-220439, __FILE__, __LINE__, " null ref to mediation data so returning");
    return;
  }
  // Without a requester nothing can be asked: the NE is left without data.
  if (m_Requester == nullptr) {
    CKelError(-220552, __FILE__, __LINE__);
    genXPLTrace("LEAVE : CDiscoIPv6Agent::DADoMediationLayer()\n", 4);
    return;
  }

  bool haveIPv6Mib = false;
  for (const char* scalar : kScalars) {
    CKelSnmpVarOp* reply = m_Requester->DSRSnmpGet(neRecord, scalar, "0", nullptr);
    if (reply == nullptr) continue;
    int rc = medData->DMDAddSnmp(scalar, reply);
    if (rc != 1) {
      CKelError(rc, __FILE__, __LINE__);
      delete reply;
    }
    // The gate looks at the answer, not at whether it could be kept.
    if (scalar == kScalars[3]) haveIPv6Mib = true;
  }

  if (haveIPv6Mib) {
    genXPLTrace("-- CDiscoIPv6Agent::DADoMediationLayer() add LocalNbr info:\n", 4);
    WalkTable(this, m_Requester, neRecord, medData, ifTable, ifTableRange, kNoIfColumn);
    WalkTable(this, m_Requester, neRecord, medData, addrTable, addrTableRange, kNoColumn);
    WalkTable(this, m_Requester, neRecord, medData, prefixTable, prefixTableRange, kNoColumn);
    genXPLTrace("-- CDiscoIPv6Agent::DADoMediationLayer() add RemoteNbr info:\n", 4);
    WalkTable(this, m_Requester, neRecord, medData, netToMediaTable, netToMediaTableRange,
              kNoColumn);
    WalkTable(this, m_Requester, neRecord, medData, routeTable, routeTableRange, kNoColumn);
  }
  genXPLTrace("LEAVE : CDiscoIPv6Agent::DADoMediationLayer()\n", 4);
}
