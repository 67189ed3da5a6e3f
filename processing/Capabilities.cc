// Capability names on an NE record: the list field "m_Capabilities", a list
// atom holding one text atom per name in the order added (repeats allowed).
//
// Ownership: the atom form takes over the capability atom whenever the
// record is not null, deleting it when it cannot be appended; with a null
// record it stays the caller's. The record owns the field, the field the
// list, the list the names.
#include <new>

#include "agent/CDiscoIPv6Agent.h"
#include "host/KelError.h"
#include "host/KelTrace.h"

const char* const ipv6Capability[7] = {
    "isUnknownNode", "isIPv6Router", "isIPv6Host", "isIPv6Node",
    "isIPv4Router",  "isIPv4Host",   "isIPv4Node",
};

namespace {

const char kField[] = "m_Capabilities";

bool ValidIndex(int ipFwd) { return ipFwd >= 0 && ipFwd <= 6; }

// Appends the name of capability index `index` (0 to 6) to `neRecord`.
// Returns the name.
const char* AppendCapabilityName(CDiscoIPv6Agent* agent, CKelRecord* neRecord, int index) {
  const char* name = ipv6Capability[index];
  CKelAtom* atom = KelNew<CKelAtom>(name);
  if (atom == nullptr) {
    CKelError(-220553, __FILE__, __LINE__);
    return name;
  }
  agent->DIPv6SetOrAddCapability(neRecord, atom);
  // Without a record the atom form leaves the atom with us.
  if (neRecord == nullptr) delete atom;
  return name;
}

}  // namespace

void CDiscoIPv6Agent::DIPv6SetOrAddCapability(CKelRecord* neRecord, CKelAtom* isCapAtom) {
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DIPv6SetOrAddCapability(CKelRecord *, CKelAtom *)\n", 4);
  if (neRecord == nullptr || isCapAtom == nullptr) {
    CKelError(-220552, __FILE__, __LINE__, "NE or Capability null");
  } else if (CKelAtom* field = neRecord->KRValueOf(kField)) {
    CKelDoubleList* list = field->KAList();
    if (list == nullptr) {
      CKelError(-220552, __FILE__, __LINE__);
      delete isCapAtom;
    } else {
      genXPLTrace(
          "-- CDiscoIPv6Agent::DIPv6SetOrAddCapability(CKelRecord *, CKelAtom *) using existing "
          "capability list\n",
          4);
      int rc = list->KDLAddToListEnd(isCapAtom);
      if (rc != 1) {
        CKelError(rc, __FILE__, __LINE__);
        // Refused because the list already holds this very atom: it is the
        // list's, not ours to delete.
        if (!list->KDLContains(isCapAtom)) delete isCapAtom;
      }
    }
  } else {
    genXPLTrace(
        "-- CDiscoIPv6Agent::DIPv6SetOrAddCapability(CKelRecord *, CKelAtom *) creating new "
        "capability list\n",
        4);
    CKelDoubleList* list = new (std::nothrow) CKelDoubleList();
    if (list == nullptr) {
      CKelError(-220553, __FILE__, __LINE__);
      delete isCapAtom;
    } else if (int rc = list->KDLAddToListEnd(isCapAtom); rc != 1) {
      CKelError(rc, __FILE__, __LINE__);
      delete list;
      delete isCapAtom;  // the list did not take it
    } else {
      CKelAtom* listAtom = KelNew<CKelAtom>(list, E_KDTList);
      if (listAtom == nullptr) {
        CKelError(-220553, __FILE__, __LINE__);
        delete list;  // and with it the capability atom
      } else {
        int rc = neRecord->KRAddValue(kField, listAtom);
        if (rc != 1) {
          CKelError(rc, __FILE__, __LINE__);
          delete listAtom;  // the record refused it; nothing else holds it
        }
      }
    }
  }
  genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6SetOrAddCapability(CKelRecord *, CKelAtom *)\n", 4);
}

int CDiscoIPv6Agent::DIPv6SetOrAddCapability(CKelRecord* neRecord, int ipFwd) {
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DIPv6SetOrAddCapability()\n", 4);
  if (ValidIndex(ipFwd)) {
    const char* name = AppendCapabilityName(this, neRecord, ipFwd);
    genXPLTracef(4, "LEAVE : CDiscoIPv6Agent::DIPv6SetOrAddCapability(%s )\n", name);
  } else {
    genXPLTracef(4, "LEAVE : CDiscoIPv6Agent::DIPv6SetOrAddCapability() found invalid ipFwd[%d]\n",
                 ipFwd);
  }
  return ipFwd;
}

int CDiscoIPv6Agent::DIPv6SetOrAddCapability(CKelRecord* neRecord) {
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DIPv6SetOrAddCapability()\n", 4);
  const int index = DIPv6GetIpForwarding(neRecord);
  const char* name = AppendCapabilityName(this, neRecord, index);
  genXPLTracef(4, "LEAVE : CDiscoIPv6Agent::DIPv6SetOrAddCapability(%s )\n", name);
  return index;
}

int CDiscoIPv6Agent::DIPv6SetOrAddCapability(CDiscoMediationData* medData, CKelRecord* neRecord) {
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DIPv6SetOrAddCapability()\n", 4);
  const int index = DIPv6GetIpForwarding(medData, neRecord);
  const char* name = AppendCapabilityName(this, neRecord, index);
  genXPLTracef(4, "LEAVE : CDiscoIPv6Agent::DIPv6SetOrAddCapability(%s)\n", name);
  return index;
}
