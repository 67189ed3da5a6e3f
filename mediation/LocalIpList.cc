// The local IP list: the NE's own addresses, parked in its mediation data
// under "m_IpDataList" while its neighbours are built, and the prefix
// length that the NE uses for an address.
//
// The list is a single-entry CKelTreeList keyed by the byte-wise text of
// each address; each entry is a CKelPointer wrapping a text CKelAtom of the
// same address. The agent owns the tree, the wrappers and the atoms; the
// mediation data only holds the pointer.
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "agent/CDiscoIPv6Agent.h"
#include "host/CKelPointer.h"
#include "host/KelError.h"
#include "host/KelTrace.h"
#include "mediation/ColumnRows.h"

namespace {

const char kListKey[] = "m_IpDataList";
const char kPfxLengthColumn[] = "ipv6AddrPfxLength";

// Deletes a local IP list: every atom and every wrapper exactly once, then
// the tree.
void DeleteLocalIpTree(CKelTreeList* tree) {
  tree->KTLForEach([](CKelPointer* wrapper) { delete static_cast<CKelAtom*>(wrapper->KPData()); });
  tree->KTLDeleteWrappers();
  delete tree;
}

const char* Shown(const char* text) { return text != nullptr ? text : ""; }

}  // namespace

int CDiscoIPv6Agent::DIPv6BuildLocalIpList(CDiscoMediationData* medData) {
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DIPv6BuildLocalIpList()\n", 4);
  int status = 1;
  if (medData == nullptr) {
    CKelError(-220439, __FILE__, __LINE__, " no mediation data so returning");
    return -220439;
  }
  CKelTreeList* tree = nullptr;
  CKelDoubleList* column = medData->DMDGetSnmpGetNext(kPfxLengthColumn);
  if (column == nullptr) {
    status = -220439;
    CKelError(status, __FILE__, __LINE__, " ipv6AddrTable empty");
  }
  for (CKelListable* e = column != nullptr ? column->KDLHead() : nullptr; e != nullptr;
       e = column->KDLGetNext(e)) {
    CKelSnmpVarOp* row = ColumnRow(e);
    if (row == nullptr || row->KSVOASN1() == nullptr || row->KSVOValue() == nullptr) {
      status = -220439;
      CKelError(status, __FILE__, __LINE__, " local nbr ifIndex atom or asn1 value null");
      continue;
    }
    char* text = DIPv6GetPartOfASN(row->KSVOASN1(), 1, 16);
    if (text == nullptr) {
      status = -220439;
      CKelError(status, __FILE__, __LINE__, " local nbr ip string null");
      continue;
    }
    if (tree == nullptr) {
      tree = new (std::nothrow) CKelTreeList(E_KBFalse);
      if (tree == nullptr) {
        status = -220553;
        CKelError(status, __FILE__, __LINE__);
        free(text);
        continue;
      }
    } else if (tree->KTLGet(text) != nullptr) {
      free(text);  // the same address on another interface
      continue;
    }
    CKelAtom* atom = KelNew<CKelAtom>(text);  // takes the text
    if (atom == nullptr) {
      status = -220553;
      CKelError(status, __FILE__, __LINE__);
      free(text);
      continue;
    }
    CKelPointer* wrapper = new (std::nothrow) CKelPointer(atom);
    if (wrapper == nullptr) {
      status = -220553;
      CKelError(status, __FILE__, __LINE__);
      delete atom;
      continue;
    }
    genXPLTracef(4, "-- CDiscoIPv6Agent::DIPv6BuildLocalIpList() adding %s\n", atom->KAString());
    status = tree->KTLAdd(atom->KAString(), wrapper);
    if (status != 1) {
      delete atom;
      delete wrapper;
      CKelError(status, __FILE__, __LINE__);
    }
  }
  if (tree != nullptr) {
    status = medData->DMDAddDataPtr(kListKey, tree);
    if (status != 1) {
      // Not parked (a list is already there): nothing would ever free it.
      CKelError(status, __FILE__, __LINE__);
      DeleteLocalIpTree(tree);
    }
  } else {
    status = -220439;
    CKelError(status, __FILE__, __LINE__, "local IP list empty");
  }
  genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6BuildLocalIpList()\n", 4);
  return status;
}

int CDiscoIPv6Agent::DIPv6RemoveLocalIpList(CDiscoMediationData* medData) {
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DIPv6RemoveLocalIpList()\n", 4);
  if (medData == nullptr) {
    CKelError(-220439, __FILE__, __LINE__, " no mediation data so returning");
    return -220439;
  }
  auto* tree = static_cast<CKelTreeList*>(medData->DMDRemoveDataPtr(kListKey));
  if (tree != nullptr) DeleteLocalIpTree(tree);
  genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6RemoveLocalIpList()\n", 4);
  return 1;
}

int CDiscoIPv6Agent::DIPv6GetPfxLengthFromLocalIpList(const char* ipStdStr,
                                                      CDiscoMediationData* medData) {
  genXPLTracef(4, "\nENTER : CDiscoIPv6Agent::DIPv6GetPfxLengthFromLocalIpList(%s)\n",
               Shown(ipStdStr));
  int result = -1;
  CKelDoubleList* column =
      medData != nullptr ? medData->DMDGetSnmpGetNext(kPfxLengthColumn) : nullptr;
  if (column == nullptr) {
    CKelError(-220439, __FILE__, __LINE__, "no IPv6 addresses so return");
  }
  for (CKelListable* e = column != nullptr ? column->KDLHead() : nullptr; e != nullptr;
       e = column->KDLGetNext(e)) {
    CKelASN1Address* index = ColumnRowIndex(e);
    if (index == nullptr) {
      CKelError(-220552, __FILE__, __LINE__);
      continue;
    }
    if (DIPv6IsAnycastAddress(medData, index) == E_KBTrue) continue;
    const int length = AddrPrefixLength(ColumnRow(e)->KSVOValue());
    if (length < 0) {
      CKelError(-220552, __FILE__, __LINE__);
      continue;
    }
    char* text = DIPv6GetPartOfASN(index, 1, 16);
    if (text == nullptr) {
      CKelError(-220439, __FILE__, __LINE__, "can not find ip address for local nbr ");
      continue;
    }
    char* normalised = DIPv6Normalization(text, 1);
    char* ownPrefix = normalised != nullptr ? DIPv6GetPfxFromStdIP(normalised, length) : nullptr;
    char* theirPrefix = DIPv6GetPfxFromStdIP(ipStdStr, length);
    if (ownPrefix != nullptr && theirPrefix != nullptr && strcmp(ownPrefix, theirPrefix) == 0) {
      result = length;
    }
    free(theirPrefix);
    free(ownPrefix);
    free(normalised);
    free(text);
    if (result != -1) break;
  }
  if (result == -1) result = 128;
  genXPLTracef(4, "LEAVE : CDiscoIPv6Agent::DIPv6GetPfxLengthFromLocalIpList(%d)\n", result);
  return result;
}
