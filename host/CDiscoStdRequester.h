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
#include <vector>

#include "host/CKelDoubleList.h"
#include "host/CKelRecord.h"
#include "host/CKelSnmpVarOp.h"

// What a requester saw of one NE's devices between DSRNeBegin and
// DSRNeEnd. Plain data.
struct CDiscoSnmpSummary {
  // One SNMP address that requests went to, in the order first asked.
  struct Target {
    std::string address;
    int requests = 0;    // requests the agent made (GETs and column walks)
    int answered = 0;    // of them, those the device answered
    std::string silence;  // why the others got nothing ("" when all answered)
    std::string failure;  // the first request that could not be made, and why
    long pdus = 0;       // request PDUs sent for them (retransmissions not counted)
  };
  std::vector<Target> targets;
  // Values handed to the agent (scalars and column rows) that came from the
  // IPv6 MIB of RFC 2465, and those translated from its successors (IP-MIB
  // of RFC 4293, IP-FORWARD-MIB of RFC 4292, IF-MIB of RFC 2863).
  long rfc2465Values = 0;
  long rfc4293Values = 0;
  // Seconds the NE's requests took on the worker thread.
  double seconds = 0;

  // "RFC 2465", "RFC 4293", "both", or "" when no value came from either.
  std::string MibSource() const;
};

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

  // The engine calls these on the worker thread around each NE it hands
  // to the agent: every request made on that thread in between belongs to
  // that NE (a requester may keep per-NE state, such as tables it fetched,
  // and releases it at DSRNeEnd). DSRNeEnd may make error reports about
  // the NE and returns what the requester saw. Calls on one thread do not
  // nest. The defaults keep nothing.
  virtual void DSRNeBegin() {}
  virtual CDiscoSnmpSummary DSRNeEnd() { return CDiscoSnmpSummary(); }

  // The address that requests for `record` go to, or "" when it has none.
  // A field counts only when it holds a non-empty text.
  static std::string DSRTargetAddress(const CKelRecord* record);
};

#endif  // HOST_CDISCOSTDREQUESTER_H_
