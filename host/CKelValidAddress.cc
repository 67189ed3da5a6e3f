// IPv4 address validation.
#include "host/CKelValidAddress.h"

#include <arpa/inet.h>

#include "host/CKelAtom.h"
#include "host/CKelRecord.h"

__boolean CKelValidAddress::KVAIsIpValid(const char* text, __boolean, __boolean,
                                         __boolean) const {
  if (text == nullptr) return E_KBFalse;
  // inet_pton accepts exactly the dotted quad: four decimal parts of at most
  // 255, no leading zeros, nothing before or after.
  in_addr address;
  return inet_pton(AF_INET, text, &address) == 1 ? E_KBTrue : E_KBFalse;
}

__boolean CKelValidAddress::KVAIsIpValid(const CKelRecord* record, __boolean a, __boolean b,
                                         __boolean c) const {
  if (record == nullptr) return E_KBFalse;
  const CKelAtom* value = record->KRValueOf("m_UniqueAddress");
  if (value == nullptr) value = record->KRValueOf("m_IpAddress");
  if (value == nullptr) return E_KBFalse;
  return KVAIsIpValid(value->KAString(), a, b, c);
}
