#include "processing/LocalNbrFields.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "host/CKelPointer.h"
#include "host/KelError.h"
#include "host/KelTrace.h"
#include "host/ZWResolver.h"
#include "mediation/MibColumns.h"
#include "processing/NbrRecords.h"

namespace nbr {

namespace {

const char kPhysAddressColumn[] = "ipv6IfPhysicalAddress";
constexpr size_t kMacTextLength = 17;  // "00:00:5E:00:53:01"

// Appends a text field that takes `text`; reports a field that cannot be
// made.
void AppendTaken(CKelDoubleList* record, const char* name, char* text) {
  if (!Append(record, NewTextField(name, text))) CKelError(-220553, __FILE__, __LINE__);
}

void AppendCopiedText(CKelDoubleList* record, const char* name, const char* text) {
  if (!Append(record, NewCopiedTextField(name, text))) CKelError(-220553, __FILE__, __LINE__);
}

}  // namespace

void AppendCopy(CKelDoubleList* record, const char* name, const CKelAtom* value) {
  if (!Append(record, NewCopyField(name, value))) CKelError(-220553, __FILE__, __LINE__);
}

char* InvalidPhysAddress(const char* text) {
  const size_t length = strlen(text);
  char* result = static_cast<char*>(malloc(3 * length + 13 + 1));
  if (result == nullptr) return nullptr;
  char* at = result + sprintf(result, "INVALID[");
  for (size_t i = 0; i < length; ++i) {
    if (i != 0) *at++ = ':';
    at += sprintf(at, "%.2X", static_cast<unsigned>(static_cast<unsigned char>(text[i])));
  }
  sprintf(at, "(hex)]");
  return result;
}

void AppendInterfaceFields(CDiscoMediationData* medData, const CKelAtom* indexAtom,
                           CKelDoubleList* record) {
  // From position 1 up to the end of the table's range.
  for (int pos = 1; pos < ifTableRange[1]; ++pos) {
    const char* name = ifTable[pos];
    const CKelAtom* value = medData->DMDGetSnmpByIndex(indexAtom, name);
    if (value == nullptr) {
      CKelError(-220439, __FILE__, __LINE__,
                "can not find INTERFACE attributes for local neighbour ");
      continue;
    }
    // A physical address of another length than a MAC address's text is
    // shown byte by byte; the collected value stays as it is, so every
    // address of the interface gets the same field.
    const char* text = value->KAString();
    if (strcmp(name, kPhysAddressColumn) == 0 && text != nullptr && text[0] != '\0' &&
        strlen(text) != kMacTextLength) {
      if (char* invalid = InvalidPhysAddress(text)) {
        AppendTaken(record, name, invalid);
        continue;
      }
      CKelError(-220553, __FILE__, __LINE__);
    }
    AppendCopy(record, name, value);
  }
}

void AppendAddressFields(NbrLookup* lookup, CKelASN1Address* index, CKelDoubleList* record) {
  // From position 2 up to the end of the table's range.
  for (int pos = 2; pos < addrTableRange[1]; ++pos) {
    const CKelAtom* value = lookup->AddrAttr(index, addrTable[pos]);
    if (value == nullptr) {
      CKelError(-220439, __FILE__, __LINE__,
                "can not find ADDRESS attributes for local neighbour ");
      continue;
    }
    AppendCopy(record, addrTable[pos], value);
  }
}

void AppendNameFields(CDiscoIPv6Agent* agent, const char* normalised, CKelDoubleList* record) {
  CKelAtom* addressAtom = KelNew<CKelAtom>(normalised);
  if (addressAtom == nullptr) {
    CKelError(-220553, __FILE__, __LINE__);
    return;
  }
  char* name = agent->DIPv6GetNodename(addressAtom);
  delete addressAtom;
  if (name == nullptr) {
    CKelError(-220439, __FILE__, __LINE__, "no DNS name");
    genXPLTracef(4, "--CDiscoIPv6Agent::DIPv6GetLocalNbrTags() found no DNS name for %s\n",
                 normalised);
    return;
  }
  AppendCopiedText(record, "ipv6AddrDNSName", name);
  if (addrinfo* list = agent->DIPv6GetIPv4AddressList(name)) {
    if (char* line = agent->DIPv6AddressListToString(list)) {
      AppendCopiedText(record, "ipv6AddrV4Addresses", line);
      free(line);
    } else {
      CKelError(-220552, __FILE__, __LINE__);
    }
    _ZWfreeaddrinfo(list);  // a list of the portability layer's resolver
  } else {
    CKelError(-220439, __FILE__, __LINE__, "no IPv4 addresses");
    genXPLTracef(4, "--CDiscoIPv6Agent::DIPv6GetLocalNbrTags() found no IPv4 addresses for %s\n",
                 name);
  }
  free(name);
}

void AppendPrefixFields(CDiscoIPv6Agent* agent, NbrLookup* lookup, const CKelTreeList* pfxNames,
                        CKelASN1Address* index, int ifIndex, int pfxLength,
                        CKelDoubleList* record) {
  char* prefixText = agent->DIPv6GetPfxFromIndexIp(index, pfxLength);
  if (prefixText == nullptr) {
    CKelError(-220439, __FILE__, __LINE__, "can not find ADDRESS attributes for local neighbour ");
    return;
  }
  char* normalisedPrefix = agent->DIPv6Normalization(prefixText, 1);
  if (normalisedPrefix == nullptr) {
    CKelError(-220439, __FILE__, __LINE__, "failed to normalize prefix");
    free(prefixText);
    return;
  }
  if (char* shortPrefix = agent->DIPv6ShortFormat(normalisedPrefix)) {
    AppendTaken(record, "ipv6AddrPrefix", shortPrefix);
  }
  if (pfxNames != nullptr) {
    if (const CKelPointer* entry = pfxNames->KTLGet(normalisedPrefix)) {
      const char* prefixName = static_cast<const char*>(entry->KPData());
      genXPLTracef(4,
                   "-- CDiscoIPv6Agent::DIPv6GetLocalNbrTags() found prefix name in config[%s]\n",
                   prefixName != nullptr ? prefixName : "");
      if (prefixName != nullptr) AppendCopiedText(record, "ipv6AddrPrefixName", prefixName);
    } else {
      genXPLTrace("-- CDiscoIPv6Agent::DIPv6GetLocalNbrTags() not found prefix name in config\n",
                  4);
    }
  }
  // The prefix row is found by the byte-wise prefix text. Missing
  // attributes are left out silently.
  for (int pos = 2; pos < prefixTableRange[1]; ++pos) {
    const CKelAtom* value = lookup->PfxAttr(ifIndex, prefixText, pfxLength, prefixTable[pos]);
    if (value != nullptr) AppendCopy(record, prefixTable[pos], value);
  }
  free(normalisedPrefix);
  free(prefixText);
}

}  // namespace nbr
