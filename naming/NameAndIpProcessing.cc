// Gives a new NE record one address without prefix length, the prefix
// length and a node name, resolving whichever half is missing.
#include <cstdlib>
#include <cstring>
#include <new>

#include "agent/CDiscoIPv6Agent.h"
#include "host/KelError.h"
#include "host/KelTrace.h"

namespace {

constexpr int kAddressSize = 65;  // 64 characters and the terminator
constexpr int kLengthSize = 4;    // 3 digits and the terminator

void PrintRecord(const char* text, const CKelRecord* record) {
  if (!KelTraceOn(4)) return;
  genXPLTrace(text, 4);
  if (record != nullptr) record->KRPrint();
}

// Stores `atom` (taken over on success) as field `name`; on refusal deletes
// it and reports the record's code with `message`.
bool StoreAtom(CKelRecord* record, const char* name, CKelAtom* atom, int line,
               const char* message = nullptr) {
  int rc = record->KRAddOrSetValue(name, atom);
  if (rc == 1) return true;
  delete atom;
  CKelError(rc, __FILE__, line, message);
  return false;
}

}  // namespace

__boolean CDiscoIPv6Agent::DIPv6DoNameAndIpProcessing(CKelRecord* neRecord) {
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DIPv6DoNameAndIpProcessing()\n", 4);
  PrintRecord("--CDiscoIPv6Agent::DIPv6DoNameAndIpProcessing() Input:", neRecord);
  __boolean result = E_KBTrue;
  if (neRecord == nullptr) {
    genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6DoNameAndIpProcessing()\n", 4);
    return E_KBFalse;
  }
  CKelAtom* addressAtom = neRecord->KRValueOf("m_IpAddress");
  if (addressAtom == nullptr) addressAtom = neRecord->KRValueOf("m_UniqueAddress");
  CKelAtom* nameAtom = neRecord->KRValueOf("m_Name");

  if (addressAtom != nullptr || nameAtom != nullptr) {
    if (addressAtom == nullptr) addressAtom = DIPv6GetIPAddress(nameAtom, neRecord);
    if (addressAtom != nullptr) {
      DIPv6ProcessPrefixLength(neRecord);
      DIPv6AddOrUpdateName(neRecord);
    }
  }

  CKelAtom* unique = neRecord->KRValueOf("m_UniqueAddress");
  if (unique == nullptr) {
    genXPLTrace("-- DIPv6DoNameAndIpProcessing() cannot resolve ip address", 4);
    result = E_KBFalse;
  } else if (neRecord->KRValueOf("m_Name") == nullptr) {
    genXPLTracef(4, "-- DIPv6DoNameAndIpProcessing() nodename is empty for %s",
                 unique->KAString() != nullptr ? unique->KAString() : "");
  }
  PrintRecord("--CDiscoIPv6Agent::DIPv6DoNameAndIpProcessing() Output:", neRecord);
  genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6DoNameAndIpProcessing()\n", 4);
  return result;
}

int CDiscoIPv6Agent::DIPv6ProcessPrefixLength(CKelRecord* neRecord) {
  if (neRecord == nullptr) return 1;
  CKelAtom* atom = neRecord->KRValueOf("m_IpAddress");
  if (atom == nullptr) atom = neRecord->KRValueOf("m_UniqueAddress");
  if (atom == nullptr || atom->KAString() == nullptr) return 1;
  const char* text = atom->KAString();

  char address[kAddressSize] = "";
  char lengthText[kLengthSize] = "";
  int prefixLength = 128;
  const char* slash = strchr(text, '/');
  size_t addressLen = slash != nullptr ? static_cast<size_t>(slash - text) : strlen(text);
  if (addressLen > kAddressSize - 1) addressLen = kAddressSize - 1;
  memcpy(address, text, addressLen);
  address[addressLen] = '\0';
  if (slash != nullptr) {
    strncpy(lengthText, slash + 1, kLengthSize - 1);
    lengthText[kLengthSize - 1] = '\0';
    // The leading digits only: a blank or a sign ("/ 64", "/+5", "/-5")
    // ends the number before it starts, like a slash without digits, and
    // gives 0. Lengths above 128 stay: the prefix cut keeps the whole
    // address for them.
    prefixLength = 0;
    for (const char* c = lengthText; *c >= '0' && *c <= '9'; ++c) {
      prefixLength = prefixLength * 10 + (*c - '0');
    }
  }

  // The text is copied before the record changes: `text` may belong to the
  // very field being replaced.
  int rc = neRecord->KRAddOrSetValue("m_UniqueAddress", static_cast<const char*>(address));
  if (rc != 1) CKelError(rc, __FILE__, __LINE__, nullptr);
  rc = neRecord->KRAddOrSetValue("m_PrefixLength", prefixLength);
  if (rc != 1) CKelError(rc, __FILE__, __LINE__, nullptr);
  return rc;
}

void CDiscoIPv6Agent::DIPv6AddOrUpdateName(CKelRecord* neRecord) {
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DIPv6AddOrUpdateName()\n", 4);
  PrintRecord("--CDiscoIPv6Agent::DIPv6AddOrUpdateName() Input:", neRecord);
  if (neRecord == nullptr) {
    CKelError(-220552, __FILE__, __LINE__, nullptr);
    genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6AddOrUpdateName()\n", 4);
    return;
  }
  CKelAtom* address = neRecord->KRValueOf("m_UniqueAddress");
  if (address == nullptr) {
    genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6AddOrUpdateName()\n", 4);
    return;
  }
  const char* text = address->KAString();
  if (text == nullptr) {
    CKelError(-220552, __FILE__, __LINE__, nullptr);
    genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6AddOrUpdateName()\n", 4);
    return;
  }

  CKelAtom* newName = nullptr;
  bool wanted = true;
  char* name = DIPv6GetNodename(address);
  if (name != nullptr) {
    newName = KelNew<CKelAtom>(name);  // takes the text over
    if (newName == nullptr) free(name);
  } else if (neRecord->KRValueOf("m_Name") != nullptr) {
    wanted = false;  // keep the name the record has
  } else {
    char* shortForm = DIPv6IsIpValid(text, 2) == E_KBTrue ? DIPv6ShortFormat(text) : nullptr;
    if (shortForm != nullptr) {
      newName = KelNew<CKelAtom>(shortForm);
      if (newName == nullptr) free(shortForm);
    } else {
      newName = KelNew<CKelAtom>(text);  // copies: the record owns `text`
    }
  }
  if (wanted) {
    if (newName == nullptr) {
      CKelError(-220553, __FILE__, __LINE__, nullptr);
    } else {
      StoreAtom(neRecord, "m_Name", newName, __LINE__);
    }
  }
  PrintRecord("--CDiscoIPv6Agent::DIPv6AddOrUpdateName() Output:", neRecord);
  genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6AddOrUpdateName()\n", 4);
}

CKelAtom* CDiscoIPv6Agent::DIPv6GetIPAddress(CKelAtom* nameAtom, CKelRecord* neRecord) {
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DIPv6GetIPAddress()\n", 4);
  CKelAtom* result = nullptr;
  if (neRecord == nullptr || nameAtom == nullptr) {
    CKelError(-220552, __FILE__, __LINE__, "neReocrd or nameAtom null");
  } else if (nameAtom->KAString() == nullptr) {
    CKelError(-220552, __FILE__, __LINE__, "name is null");
  } else {
    // The first IPv4 address of the name; a name known only by IPv6
    // addresses gets its first IPv6 address instead of being dropped.
    char* address = DIPv6GetIPv4Address(nameAtom->KAString());
    if (address == nullptr) address = DIPv6GetIPv6Address(nameAtom->KAString());
    if (address != nullptr) {
      CKelAtom* atom = KelNew<CKelAtom>(address);
      if (atom == nullptr) {
        free(address);
        CKelError(-220553, __FILE__, __LINE__, nullptr);
      } else if (StoreAtom(neRecord, "m_UniqueAddress", atom, __LINE__,
                           "Failed to add an address to NE record !")) {
        result = atom;
      }
    }
  }
  genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6GetIPAddress()\n", 4);
  return result;
}

void CDiscoIPv6Agent::DIPv6AddName(CKelAtom* ipAtom, CKelRecord* neRecord) {
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DIPv6AddName()\n", 4);
  if (ipAtom == nullptr || neRecord == nullptr || ipAtom->KAString() == nullptr) {
    CKelError(-220552, __FILE__, __LINE__, nullptr);
  } else {
    char* name = DIPv6GetNodename(ipAtom);
    CKelAtom* atom;
    if (name != nullptr) {
      atom = KelNew<CKelAtom>(name);
      if (atom == nullptr) free(name);
    } else {
      atom = KelNew<CKelAtom>(static_cast<const char*>(ipAtom->KAString()));
    }
    if (atom == nullptr) {
      CKelError(-220553, __FILE__, __LINE__, nullptr);
    } else {
      StoreAtom(neRecord, "m_Name", atom, __LINE__);
    }
  }
  genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6AddName()\n", 4);
}
