// End-node handling: an NE that is not an IPv6 router is described as an
// IPv4 node when the engine reaches it over IPv4, or as an IPv6-only node
// (short address, DNS name, scope class, prefix and prefix name) when it is
// known by an IPv6 address only.
#include <cstdlib>
#include <cstring>
#include <new>

#include "agent/CDiscoIPv6Agent.h"
#include "host/CKelPointer.h"
#include "host/KelError.h"
#include "host/KelTrace.h"

namespace {

// "m_AddressScope" of an end node from its scope number: link-local 1,
// site-local 2, global 3; loopback, unspecified, IPv4-mapped and -compatible
// and plain multicast 0; unknown and the scoped multicast classes 3.
int ScopeClass(int scope) {
  switch (scope) {
    case 1:
      return 1;
    case 2:
      return 2;
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
      return 0;
    default:
      return 3;
  }
}

// The text of field `name`, owned by the record; null when the field is
// absent or not a text.
const char* FieldText(const CKelRecord* record, const char* name) {
  const CKelAtom* value = record->KRValueOf(name);
  return value != nullptr ? value->KAString() : nullptr;
}

// Hands a malloc'ed text to the record, freeing it if the record refuses.
void SetOwnedText(CKelRecord* record, const char* name, char* text) {
  if (record->KRAddOrSetValue(name, text) != 1) free(text);
}

}  // namespace

void CDiscoIPv6Agent::DIPv6ProcessEndNode(CKelRecord* neRecord) {
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DIPv6ProcessEndNode()\n", 4);
  if (neRecord == nullptr) {
    CKelError(-220552, __FILE__, __LINE__);
    genXPLTrace("LEAVE : CDIPv6Agent::DIPv6ProcessEndNode()\n", 4);
    return;
  }
  neRecord->KRPrint();
  const char* capability = nullptr;

  if (m_ValidAddr != nullptr &&
      m_ValidAddr->KVAIsIpValid(neRecord, E_KBFalse, E_KBFalse, E_KBFalse) == E_KBTrue) {
    genXPLTrace("-- DIPv6ProcessEndNode() found ipv4-only node\n", 4);
    capability = "isIPv4Node";
  } else {
    const char* address = neRecord->KRValuePairOf("m_IpAddress") != nullptr
                              ? FieldText(neRecord, "m_IpAddress")
                              : FieldText(neRecord, "m_UniqueAddress");
    // An NE given as "address/length" carries the length in "m_IpAddress";
    // its address alone is in "m_UniqueAddress" (set by name processing).
    if (address != nullptr && strchr(address, '/') != nullptr &&
        FieldText(neRecord, "m_UniqueAddress") != nullptr) {
      address = FieldText(neRecord, "m_UniqueAddress");
    }
    if (address != nullptr && DIPv6IsIpValid(address, 2) == E_KBTrue) {
      genXPLTrace("-- DIPv6ProcessEndNode() ipv6-only node\n", 4);
      // The short form is kept here and the record gets copies: `address`
      // may be the very field that is rewritten.
      char* shortForm = DIPv6ShortFormat(address);
      if (shortForm != nullptr) {
        neRecord->KRAddOrSetValue("m_UniqueAddress", static_cast<const char*>(shortForm));
        if (char* dnsName = DIPv6GetNodename(shortForm)) {
          SetOwnedText(neRecord, "m_DnsName", dnsName);
        }
        neRecord->KRAddOrSetValue("m_AddressScope", ScopeClass(DIPv6GetAddrScope(shortForm)));

        // A prefix length that is not a non-negative integer names no prefix.
        const CKelAtom* lengthAtom = neRecord->KRValueOf("m_PrefixLength");
        if (lengthAtom != nullptr && lengthAtom->KAType() == E_KDTInteger &&
            lengthAtom->KAInt64() >= 0) {
          const int length = lengthAtom->KAInt64() > 128 ? 128 : lengthAtom->KAInt();
          char* prefix = DIPv6GetPfxFromStdIP(shortForm, length);
          char* key = prefix != nullptr ? DIPv6Normalization(prefix, 1) : nullptr;
          char* shortPrefix = key != nullptr ? DIPv6ShortFormat(key) : nullptr;
          if (shortPrefix != nullptr) {
            SetOwnedText(neRecord, "m_PrefixAddress", shortPrefix);
            const CKelPointer* entry =
                m_pfxDataList != nullptr ? m_pfxDataList->KTLGet(key) : nullptr;
            if (entry != nullptr && entry->KPData() != nullptr) {
              neRecord->KRAddOrSetValue("m_PrefixName", static_cast<const char*>(entry->KPData()));
            }
          }
          free(key);
          free(prefix);
        }
        free(shortForm);
      }
      capability = "isIPv6OnlyNode";
    }
  }

  if (capability != nullptr) {
    CKelAtom* atom = KelNew<CKelAtom>(capability);
    if (atom == nullptr) {
      CKelError(-220553, __FILE__, __LINE__);
    } else {
      DIPv6SetOrAddCapability(neRecord, atom);
    }
  }
  genXPLTrace("LEAVE : CDIPv6Agent::DIPv6ProcessEndNode()\n", 4);
  neRecord->KRPrint();
}
