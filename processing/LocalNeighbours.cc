// Local neighbour records: one per unicast address of the NE on an
// interface that is administratively up. Fields, in this order, each left
// out when its source is missing:
//   ipv6IfIndex; the ipv6IfTable columns ipv6IfDescr .. ipv6IfLastChange
//   of the interface; ipv6AddrAddress (short form); ipv6AddrPfxLength;
//   ipv6AddrType, ipv6AddrAnycastFlag, ipv6AddrStatus; ipv6AddrScope
//   (class 0 to 3); ipv6AddrDNSName; ipv6AddrV4Addresses; ipv6AddrPrefix
//   (short form); ipv6AddrPrefixName; the ipv6AddrPrefixTable columns
//   ipv6AddrPrefixOnLinkFlag .. ipv6AddrPrefixAdvValidLifetime.
//
// Ownership: the result list and the records it points to are the
// caller's; the list's CKelPointer elements do not own the records. Atoms
// taken from the mediation data are copied into the records. The
// mediation data is only read.
#include <cstdlib>
#include <new>

#include "agent/CDiscoIPv6Agent.h"
#include "host/CKelPointer.h"
#include "host/KelError.h"
#include "host/KelTrace.h"
#include "mediation/ColumnRows.h"
#include "processing/LocalNbrFields.h"
#include "processing/NbrLookup.h"
#include "processing/NbrRecords.h"

namespace {

const char kPfxLengthColumn[] = "ipv6AddrPfxLength";
const char kAdminStatusColumn[] = "ipv6IfAdminStatus";

// Scope numbers that never make a local neighbour: Loopback, Unspecified,
// V4-mapped and the multicast scopes.
bool SkippedScope(int scope) { return scope == 4 || scope == 5 || scope == 6 || scope >= 8; }

// Appends a new pointer to `record` to the list `*result`, making the list
// first when there is none. False when memory runs out (the record stays
// the caller's).
bool AddRecord(CKelDoubleList** result, CKelDoubleList* record) {
  if (*result == nullptr) *result = new (std::nothrow) CKelDoubleList();
  CKelPointer* wrapper = *result != nullptr ? new (std::nothrow) CKelPointer(record) : nullptr;
  if (wrapper == nullptr) return false;
  if ((*result)->KDLAddToListEnd(wrapper) == 1) return true;
  delete wrapper;
  return false;
}

}  // namespace

CKelDoubleList* CDiscoIPv6Agent::DIPv6GetLocalNbrTags(CDiscoMediationData* medData) {
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DIPv6GetLocalNbrTags()\n", 4);
  if (medData == nullptr) {
    CKelError(-220439, __FILE__, __LINE__, "no Mediation Data so return");
    genXPLTrace("CDiscoIPv6Agent::DIPv6GetLocalNbrTags() LEAVE\n", 4);
    return nullptr;
  }
  CKelDoubleList* column = medData->DMDGetSnmpGetNext(kPfxLengthColumn);
  if (column == nullptr) {
    CKelError(-220439, __FILE__, __LINE__, "no IPv6 addresses so return");
    genXPLTrace("CDiscoIPv6Agent::DIPv6GetLocalNbrTags() LEAVE\n", 4);
    return nullptr;
  }
  genXPLTracef(4,
               "-- CDiscoIPv6Agent::DIPv6GetLocalNbrTags() found ---%d--- entries for "
               "ipv6AddrPfxLength\n",
               column->KDLLength());

  NbrLookup lookup(this, medData);
  CKelDoubleList* result = nullptr;
  for (CKelListable* e = column->KDLHead(); e != nullptr; e = column->KDLGetNext(e)) {
    CKelASN1Address* index = ColumnRowIndex(e);
    if (index == nullptr) {
      CKelError(-220552, __FILE__, __LINE__);
      continue;
    }
    in6_addr* binary = DIPv6GetAddrFromASN(index, 1, 16);
    if (binary == nullptr) continue;
    const int scope = DIPv6GetAddrScope(binary);
    free(binary);
    genXPLTracef(4, "-- DIPv6GetLocalNbrTags() found ---%s--- address\n", scopeDescr[scope]);
    if (SkippedScope(scope)) {
      genXPLTrace("-- DIPv6GetLocalNbrTags() skip loopback/unspecified/multicat address\n", 4);
      continue;
    }
    if (lookup.IsAnycast(index) == E_KBTrue) {
      genXPLTrace("-- DIPv6GetLocalNbrTags() found ---Anycast--- address\n", 4);
      continue;
    }
    const int scopeClass = nbr::LocalScopeClass(scope);
    const CKelAtom* pfxLengthValue = ColumnRow(e)->KSVOValue();
    if (pfxLengthValue == nullptr) {
      CKelError(-220552, __FILE__, __LINE__);
      continue;
    }
    const long long ifIndex = index->KAAAddressAt(0);
    CKelAtom* indexAtom = KelNew<CKelAtom>(ifIndex);
    if (indexAtom == nullptr) {
      CKelError(-220552, __FILE__, __LINE__);
      continue;
    }
    const CKelAtom* adminStatus = medData->DMDGetSnmpByIndex(indexAtom, kAdminStatusColumn);
    if (adminStatus == nullptr) {
      genXPLTracef(4,
                   "-- CDiscoIPv6Agent::DIPv6GetLocalNbrTags() found interface[%lld] has no "
                   "administrative status. So skipped!\n",
                   ifIndex);
      delete indexAtom;
      continue;
    }
    if (adminStatus->KAInt() != 1) {
      genXPLTracef(4,
                   "-- CDiscoIPv6Agent::DIPv6GetLocalNbrTags() found interface[%lld] is "
                   "administratively down. So skipped!\n",
                   ifIndex);
      delete indexAtom;
      continue;
    }
    char* addressText = DIPv6GetPartOfASN(index, 1, 16);
    if (addressText == nullptr) {
      CKelError(-220439, __FILE__, __LINE__, "can not find ipaddress for local nbr ");
      delete indexAtom;
      continue;
    }
    if (DIPv6IsIpValid(addressText, 1) != E_KBTrue) {
      free(addressText);
      delete indexAtom;
      continue;
    }
    CKelDoubleList* record = nbr::NewRecord();
    if (record == nullptr) {
      CKelError(-220553, __FILE__, __LINE__);
      free(addressText);
      delete indexAtom;
      continue;
    }
    genXPLTrace("-- DIPv6GetLocalNbrTags() add local neighbour info:\n", 4);
    nbr::AppendCopy(record, "ipv6IfIndex", indexAtom);
    nbr::AppendInterfaceFields(medData, indexAtom, record);

    // The address and its prefix length; the probes of its prefix. A length
    // that is not an integer from 0 to 128 is kept as collected but names no
    // prefix: no probes, no prefix fields (read as a number it would give a
    // prefix that holds far too much, /0 for a text).
    const int pfxLength = AddrPrefixLength(pfxLengthValue);
    if (pfxLength < 0) CKelError(-220439, __FILE__, __LINE__, "invalid prefix length for local nbr ");
    char* normalised = DIPv6Normalization(addressText, 1);
    if (normalised == nullptr) {
      CKelError(-220553, __FILE__, __LINE__);
    } else if (char* shortForm = DIPv6ShortFormat(normalised)) {
      if (!nbr::Append(record, nbr::NewTextField("ipv6AddrAddress", shortForm))) {
        CKelError(-220553, __FILE__, __LINE__);
      }
    }
    nbr::AppendCopy(record, kPfxLengthColumn, pfxLengthValue);
    if (normalised != nullptr && pfxLength >= 0) DIPv6PingMatchedAddress(normalised, pfxLength);

    nbr::AppendAddressFields(&lookup, index, record);
    if (!nbr::Append(record, nbr::NewIntField("ipv6AddrScope", scopeClass))) {
      CKelError(-220553, __FILE__, __LINE__);
    }
    if (normalised != nullptr) {
      nbr::AppendNameFields(this, normalised, record);
      free(normalised);
    }
    if (pfxLength >= 0) {
      nbr::AppendPrefixFields(this, &lookup, m_pfxDataList, index, static_cast<int>(ifIndex),
                              pfxLength, record);
    }

    // Hand the record to the result list.
    if (!AddRecord(&result, record)) {
      CKelError(-220553, __FILE__, __LINE__);
      delete record;
    }
    free(addressText);
    delete indexAtom;
  }
  genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6GetLocalNbrTags()\n", 4);
  return result;
}
