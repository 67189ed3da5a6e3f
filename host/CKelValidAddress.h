// The engine's address validator: tells whether a text or a record's
// address is a valid IPv4 address (dotted quad). Stateless; thread-safe.
#ifndef HOST_CKELVALIDADDRESS_H_
#define HOST_CKELVALIDADDRESS_H_

#include "host/KelTypes.h"

class CKelRecord;

class CKelValidAddress {
 public:
  virtual ~CKelValidAddress() = default;

  // E_KBTrue when `text` is a valid IPv4 address. The three flags are the
  // engine's (ranges to refuse); pass E_KBFalse for each.
  virtual __boolean KVAIsIpValid(const char* text, __boolean, __boolean, __boolean) const;
  // The same for the record's "m_UniqueAddress", or "m_IpAddress" when the
  // record has no "m_UniqueAddress". E_KBFalse for null.
  virtual __boolean KVAIsIpValid(const CKelRecord* record, __boolean, __boolean, __boolean) const;
};

#endif  // HOST_CKELVALIDADDRESS_H_
