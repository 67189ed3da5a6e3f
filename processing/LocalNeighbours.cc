// Local neighbour records: one per unicast address of the NE on an
// interface that is administratively up, with the interface's attributes,
// the address, its scope, names and prefix (see the field table in
// DIPv6GetLocalNbrTags).
//
// Ownership: the result list and the records it points to are the
// caller's; the list's CKelPointer elements do not own the records. Atoms
// taken from the mediation data are copied into the records. The
// mediation data is only read.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "agent/CDiscoIPv6Agent.h"
#include "host/CKelPointer.h"
#include "host/KelError.h"
#include "host/KelTrace.h"
#include "host/ZWResolver.h"
#include "mediation/ColumnRows.h"
#include "mediation/MibColumns.h"
#include "processing/NbrLookup.h"
#include "processing/NbrRecords.h"

namespace {

const char kPfxLengthColumn[] = "ipv6AddrPfxLength";
const char kAdminStatusColumn[] = "ipv6IfAdminStatus";
const char kPhysAddressColumn[] = "ipv6IfPhysicalAddress";
constexpr size_t kMacTextLength = 17;  // "00:00:5E:00:53:01"

// Scope numbers that never make a local neighbour: Loopback, Unspecified,
// V4-mapped and the multicast scopes.
bool SkippedScope(int scope) { return scope == 4 || scope == 5 || scope == 6 || scope >= 8; }

// "INVALID[" + "%.2X" of every byte of `text` joined by ":" + "(hex)]", a
// new malloc'ed text; null when memory runs out.
char* InvalidPhysAddress(const char* text) {
  const size_t length = strlen(text);
  char* result = static_cast<char*>(malloc(3 * length + 13 + 1));
  if (result == nullptr) return nullptr;
  char* at = result;
  at += sprintf(at, "INVALID[");
  for (size_t i = 0; i < length; ++i) {
    if (i != 0) *at++ = ':';
    at += sprintf(at, "%.2X", static_cast<unsigned>(static_cast<unsigned char>(text[i])));
  }
  sprintf(at, "(hex)]");
  return result;
}

// Appends field `name` with a copy of `value`; a field that cannot be
// made is reported and left out.
void AppendCopy(CKelDoubleList* record, const char* name, const CKelAtom* value, int line) {
  if (!nbr::Append(record, nbr::NewCopyField(name, value))) CKelError(-220553, __FILE__, line);
}

// Appends a new pointer to `record` to the list `*result`, making the list
// first when there is none. False when memory runs out (the record stays
// the caller's).
bool AddRecord(CKelDoubleList** result, CKelDoubleList* record) {
  if (*result == nullptr) *result = new (std::nothrow) CKelDoubleList();
  CKelPointer* wrapper = *result != nullptr ? new (std::nothrow) CKelPointer(record) : nullptr;
  if (wrapper == nullptr) return false;
  try {
    if ((*result)->KDLAddToListEnd(wrapper) == 1) return true;
  } catch (const std::bad_alloc&) {
  }
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
    CKelAtom* indexAtom = new (std::nothrow) CKelAtom(ifIndex);
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
    AppendCopy(record, "ipv6IfIndex", indexAtom, __LINE__);

    // Interface attributes, from position 1 up to the end of the range.
    for (int pos = 1; pos < ifTableRange[1]; ++pos) {
      const char* name = ifTable[pos];
      const CKelAtom* value = medData->DMDGetSnmpByIndex(indexAtom, name);
      if (value == nullptr) {
        CKelError(-220439, __FILE__, __LINE__,
                  "can not find INTERFACE attributes for local neighbour ");
        continue;
      }
      const char* text = value->KAString();
      if (strcmp(name, kPhysAddressColumn) == 0 && text != nullptr && text[0] != '\0' &&
          strlen(text) != kMacTextLength) {
        char* invalid = InvalidPhysAddress(text);
        if (invalid == nullptr) {
          CKelError(-220553, __FILE__, __LINE__);
        } else {
          if (!nbr::Append(record, nbr::NewTextField(name, invalid))) {
            CKelError(-220553, __FILE__, __LINE__);
          }
          continue;
        }
      }
      AppendCopy(record, name, value, __LINE__);
    }

    // The address and its prefix length; the probes of its prefix.
    const int pfxLength = pfxLengthValue->KAInt();
    char* normalised = DIPv6Normalization(addressText, 1);
    if (normalised == nullptr) {
      CKelError(-220553, __FILE__, __LINE__);
    } else if (char* shortForm = DIPv6ShortFormat(normalised)) {
      if (!nbr::Append(record, nbr::NewTextField("ipv6AddrAddress", shortForm))) {
        CKelError(-220553, __FILE__, __LINE__);
      }
    }
    AppendCopy(record, kPfxLengthColumn, pfxLengthValue, __LINE__);
    if (normalised != nullptr) DIPv6PingMatchedAddress(normalised, pfxLength);

    // Address attributes, from position 2 up to the end of the range.
    for (int pos = 2; pos < addrTableRange[1]; ++pos) {
      const CKelAtom* value = lookup.AddrAttr(index, addrTable[pos]);
      if (value == nullptr) {
        CKelError(-220439, __FILE__, __LINE__,
                  "can not find ADDRESS attributes for local neighbour ");
        continue;
      }
      AppendCopy(record, addrTable[pos], value, __LINE__);
    }
    if (!nbr::Append(record, nbr::NewIntField("ipv6AddrScope", scopeClass))) {
      CKelError(-220553, __FILE__, __LINE__);
    }

    // DNS name and the IPv4 addresses of that name.
    if (normalised != nullptr) {
      CKelAtom* addressAtom = new (std::nothrow) CKelAtom(static_cast<const char*>(normalised));
      if (addressAtom == nullptr) {
        CKelError(-220553, __FILE__, __LINE__);
      } else {
        char* name = DIPv6GetNodename(addressAtom);
        delete addressAtom;
        if (name != nullptr) {
          if (!nbr::Append(record, nbr::NewCopiedTextField("ipv6AddrDNSName", name))) {
            CKelError(-220553, __FILE__, __LINE__);
          }
          if (addrinfo* list = DIPv6GetIPv4AddressList(name)) {
            if (char* line = DIPv6AddressListToString(list)) {
              if (!nbr::Append(record, nbr::NewCopiedTextField("ipv6AddrV4Addresses", line))) {
                CKelError(-220553, __FILE__, __LINE__);
              }
              free(line);
            } else {
              CKelError(-220552, __FILE__, __LINE__);
            }
            _ZWfreeaddrinfo(list);
          } else {
            CKelError(-220439, __FILE__, __LINE__, "no IPv4 addresses");
            genXPLTracef(4,
                         "--CDiscoIPv6Agent::DIPv6GetLocalNbrTags() found no IPv4 addresses "
                         "for %s\n",
                         name);
          }
          free(name);
        } else {
          CKelError(-220439, __FILE__, __LINE__, "no DNS name");
          genXPLTracef(4, "--CDiscoIPv6Agent::DIPv6GetLocalNbrTags() found no DNS name for %s\n",
                       normalised);
        }
      }
      free(normalised);
    }

    // The prefix, its configured name and its attributes.
    char* prefixText = DIPv6GetPfxFromIndexIp(index, pfxLength);
    if (prefixText == nullptr) {
      CKelError(-220439, __FILE__, __LINE__, "can not find ADDRESS attributes for local neighbour ");
    } else {
      char* normalisedPrefix = DIPv6Normalization(prefixText, 1);
      if (normalisedPrefix == nullptr) {
        CKelError(-220439, __FILE__, __LINE__, "failed to normalize prefix");
      } else {
        if (char* shortPrefix = DIPv6ShortFormat(normalisedPrefix)) {
          if (!nbr::Append(record, nbr::NewTextField("ipv6AddrPrefix", shortPrefix))) {
            CKelError(-220553, __FILE__, __LINE__);
          }
        }
        if (m_pfxDataList != nullptr) {
          if (CKelPointer* entry = m_pfxDataList->KTLGet(normalisedPrefix)) {
            const char* prefixName = static_cast<const char*>(entry->KPData());
            genXPLTracef(4,
                         "-- CDiscoIPv6Agent::DIPv6GetLocalNbrTags() found prefix name in "
                         "config[%s]\n",
                         prefixName != nullptr ? prefixName : "");
            if (prefixName != nullptr &&
                !nbr::Append(record, nbr::NewCopiedTextField("ipv6AddrPrefixName", prefixName))) {
              CKelError(-220553, __FILE__, __LINE__);
            }
          } else {
            genXPLTrace(
                "-- CDiscoIPv6Agent::DIPv6GetLocalNbrTags() not found prefix name in config\n", 4);
          }
        }
        for (int pos = 2; pos < prefixTableRange[1]; ++pos) {
          const CKelAtom* value = lookup.PfxAttr(static_cast<int>(ifIndex), prefixText, pfxLength,
                                                 prefixTable[pos]);
          if (value != nullptr) AppendCopy(record, prefixTable[pos], value, __LINE__);
        }
        free(normalisedPrefix);
      }
      free(prefixText);
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
