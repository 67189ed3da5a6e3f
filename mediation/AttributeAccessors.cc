// Reading single attributes of the IPv6 MIB tables back out of the
// mediation data: by interface, by address row and by prefix row, and the
// anycast flag of an address.
//
// Every atom returned belongs to the mediation data; callers copy it when
// they keep it. Null means: no such row, or the column is missing.
#include <cstdlib>
#include <cstring>

#include "agent/CDiscoIPv6Agent.h"
#include "host/KelError.h"
#include "host/KelTrace.h"
#include "mediation/ColumnRows.h"

namespace {

const char* Shown(const char* text) { return text != nullptr ? text : ""; }

}  // namespace

CKelAtom* CDiscoIPv6Agent::DIPv6GetIfAttr(CDiscoMediationData* medData, CKelAtom* ifIdxAtom,
                                          const char* attr) {
  genXPLTracef(4, "\nENTER : CDiscoIPv6Agent::DIPv6GetIfAttr(%s)\n", Shown(attr));
  if (medData == nullptr || ifIdxAtom == nullptr) {
    CKelError(-220439, __FILE__, __LINE__, " Mediation Data or ifIndex Atom null so return");
    genXPLTrace("CDiscoIPv6Agent::DIPv6GetIfAttr() LEAVE\n", 4);
    return nullptr;
  }
  CKelAtom* result = nullptr;
  CKelDoubleList* column = medData->DMDGetSnmpGetNext(attr);
  if (column == nullptr) {
    CKelError(-220439, __FILE__, __LINE__, "Interface attribute in Mediation Data null so return");
  } else {
    const long long wanted = ifIdxAtom->KAInt();
    for (CKelListable* e = column->KDLHead(); e != nullptr; e = column->KDLGetNext(e)) {
      CKelASN1Address* index = ColumnRowIndex(e);
      // An empty index has no interface position to compare.
      if (index == nullptr || index->KAADepth() < 1) continue;
      if (static_cast<long long>(index->KAAAddressAt(0)) == wanted) {
        result = ColumnRow(e)->KSVOValue();
        break;
      }
    }
  }
  genXPLTrace("\nLEAVE : CDiscoIPv6Agent::DIPv6GetIfAttr()\n", 4);
  return result;
}

CKelAtom* CDiscoIPv6Agent::DIPv6GetAddrAttr(CDiscoMediationData* medData, CKelASN1Address* inputASN,
                                            const char* attr) {
  genXPLTracef(4, "\nENTER : CDiscoIPv6Agent::DIPv6GetAddrAttr(---%s---)\n", Shown(attr));
  if (medData == nullptr || inputASN == nullptr) {
    CKelError(-220439, __FILE__, __LINE__, " Mediation Data or Address ASN null so return");
    return nullptr;
  }
  CKelAtom* result = nullptr;
  CKelDoubleList* column = medData->DMDGetSnmpGetNext(attr);
  if (column == nullptr) {
    CKelError(-220439, __FILE__, __LINE__, "Address attribute in Mediation Data null so returns");
  } else {
    for (CKelListable* e = column->KDLHead(); e != nullptr; e = column->KDLGetNext(e)) {
      CKelASN1Address* index = ColumnRowIndex(e);
      if (index == nullptr) continue;
      if (index->KAAMatchAddress(inputASN) == E_KBTrue) {
        result = ColumnRow(e)->KSVOValue();
        break;
      }
    }
  }
  genXPLTracef(4, "LEAVE : CDiscoIPv6Agent::DIPv6GetAddrAttr(---%s---)\n", Shown(attr));
  return result;
}

CKelAtom* CDiscoIPv6Agent::DIPv6GetPfxAttr(CDiscoMediationData* medData, int ifIndex, char* pfxStr,
                                           int pfxLength, const char* attr) {
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DIPv6GetPfxAttr()\n", 4);
  if (medData == nullptr || pfxStr == nullptr) {
    CKelError(-220439, __FILE__, __LINE__,
              " mediation data or prefix address ASN null so returning");
    return nullptr;
  }
  CKelAtom* result = nullptr;
  CKelDoubleList* column = medData->DMDGetSnmpGetNext(attr);
  for (CKelListable* e = column != nullptr ? column->KDLHead() : nullptr; e != nullptr;
       e = column->KDLGetNext(e)) {
    CKelASN1Address* index = ColumnRowIndex(e);
    if (index == nullptr) continue;
    const int depth = index->KAADepth();
    // Interface index first, prefix length last; the prefix text is only
    // made for rows that agree on both.
    if (depth < 1 || static_cast<long long>(index->KAAAddressAt(0)) != ifIndex ||
        static_cast<long long>(index->KAAAddressAt(depth - 1)) != pfxLength) {
      continue;
    }
    char* rowPrefix = DIPv6GetPartOfASN(index, 1, depth - 2);
    if (rowPrefix == nullptr) {
      CKelError(-220439, __FILE__, __LINE__, "prefix is null");
      continue;
    }
    const bool same = strcmp(rowPrefix, pfxStr) == 0;
    free(rowPrefix);
    if (same) {
      result = ColumnRow(e)->KSVOValue();
      break;
    }
  }
  genXPLTrace("\nLEAVE : CDiscoIPv6Agent::DIPv6GetPfxAttr()\n", 4);
  return result;
}

__boolean CDiscoIPv6Agent::DIPv6IsAnycastAddress(CDiscoMediationData* medData,
                                                 CKelASN1Address* inputASN) {
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DIPv6IsAnycastAddress()\n", 4);
  __boolean result = E_KBFalse;
  if (medData == nullptr) {
    CKelError(-220439, __FILE__, __LINE__, "no Mediation Data so return");
    genXPLTrace("CDiscoIPv6Agent::DIPv6IsAnycastAddress() LEAVE\n", 4);
    return result;
  }
  CKelDoubleList* column = medData->DMDGetSnmpGetNext("ipv6AddrAnycastFlag");
  if (column == nullptr) {
    CKelError(-220439, __FILE__, __LINE__, "no anycast flag so return");
    genXPLTrace("CDiscoIPv6Agent::DIPv6IsAnycastAddress() LEAVE\n", 4);
    return result;
  }
  genXPLTracef(4,
               "-- CDiscoIPv6Agent::DIPv6IsAnycastAddress() found ---%d--- entries for "
               "ipv6AddrAnycastFlag\n",
               column->KDLLength());
  for (CKelListable* e = column->KDLHead(); e != nullptr; e = column->KDLGetNext(e)) {
    CKelASN1Address* index = ColumnRowIndex(e);
    if (index == nullptr) {
      CKelError(-220552, __FILE__, __LINE__);
      continue;
    }
    if (index->KAAMatchAddress(inputASN) != E_KBTrue) continue;
    CKelAtom* value = ColumnRow(e)->KSVOValue();
    if (value == nullptr) {
      CKelError(-220552, __FILE__, __LINE__);
      continue;
    }
    // TruthValue true(1); a text value is no flag at all.
    if (value->KAType() == E_KDTInteger && value->KAInt64() == 1) {
      result = E_KBTrue;
      break;
    }
  }
  genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6IsAnycastAddress()\n", 4);
  return result;
}
