// The engine's SNMP requester. Implementations (live SNMP, replay of
// recorded walks, test doubles) must be safe to call from many worker
// threads at once.
//
// The target of a request is the record's "m_SnmpAccessIP" when present,
// else its "m_UniqueAddress", else its "m_IpAddress" (see
// DSRTargetAddress).
#ifndef HOST_CDISCOSTDREQUESTER_H_
#define HOST_CDISCOSTDREQUESTER_H_

#include <string>

#include "host/CKelDoubleList.h"
#include "host/CKelRecord.h"
#include "host/CKelSnmpVarOp.h"

class CDiscoStdRequester {
 public:
  virtual ~CDiscoStdRequester() = default;

  // One GET of `objectName` (a name of the object table) with instance
  // `instance` ("0" for scalars). Returns a new var-op owned by the caller,
  // or null when the device gave no usable answer. `extra` is reserved.
  virtual CKelSnmpVarOp* DSRSnmpGet(CKelRecord* record, const char* objectName,
                                    const char* instance, const char* extra) = 0;

  // Walks column `columnName`. Returns a new list owned by the caller of
  // one CKelSnmpVarOp per row in walk order (the row index is the OID
  // suffix after the column), possibly empty, or null when the device gave
  // no answer. The two last arguments are reserved.
  virtual CKelDoubleList* DSRSnmpGetNext(CKelRecord* record, const char* columnName,
                                         const char* extra1, const char* extra2) = 0;

  // The address that requests for `record` go to, or "" when it has none.
  // A field counts only when it holds a non-empty text.
  static std::string DSRTargetAddress(const CKelRecord* record);
};

#endif  // HOST_CDISCOSTDREQUESTER_H_
