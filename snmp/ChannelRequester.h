// The GET and column walk of the engine's requester interface, on top of a
// PduChannel that a subclass opens for each request: the live requester on
// net-snmp, the replay requester on recorded walks. One behaviour for both:
// - the target is CDiscoStdRequester::DSRTargetAddress(record); a record
//   without one gives null and sends nothing;
// - object names come from MibObjectTable; an unknown name, or an instance
//   that is not dotted numbers, is reported (kErrUnknownObject,
//   kErrBadInstance) and gives null; a null instance means "0";
// - a GET gives a new var-op, or null for no answer, an error-status, an
//   exception value (noSuchObject, noSuchInstance, endOfMibView) or a reply
//   about another OID; a request that could not be made at all (an SNMPv3
//   authentication failure, say) is reported too (kErrSession);
// - a walk gives a new list of var-ops (possibly empty) in walk order, or
//   null when the device did not answer; a walk that a broken reply stops
//   is reported (kErrWalkStopped) and gives the rows read before it;
// - var-ops are made by AtomConversion (prefix-table indexes in the
//   18-sub-identifier shape).
// Results belong to the caller. Thread-safe when the subclass's
// DSROpenChannel is; each request uses its own channel.
#ifndef SNMP_CHANNELREQUESTER_H_
#define SNMP_CHANNELREQUESTER_H_

#include <memory>
#include <string>

#include "host/CDiscoStdRequester.h"
#include "snmp/ColumnWalk.h"
#include "snmp/PduChannel.h"
#include "snmp/RequestCounts.h"

class CChannelRequester : public CDiscoStdRequester {
 public:
  ~CChannelRequester() override = default;
  CChannelRequester(const CChannelRequester&) = delete;
  CChannelRequester& operator=(const CChannelRequester&) = delete;

  CKelSnmpVarOp* DSRSnmpGet(CKelRecord* record, const char* objectName, const char* instance,
                            const char* extra) override;
  CKelDoubleList* DSRSnmpGetNext(CKelRecord* record, const char* columnName, const char* extra1,
                                 const char* extra2) override;

  // Requests made since construction or the last reset.
  snmp::RequestCounts DSRCounts() const { return m_Counter.Snapshot(); }
  void DSRResetCounts() { m_Counter.Reset(); }

 protected:
  explicit CChannelRequester(const snmp::WalkOptions& walk) : m_Walk(walk) {}

  // A new channel to `target` (never empty) for one request, or null when
  // no request can be made there; the subclass reports why. A device that
  // merely does not answer still gets a channel (whose requests then get
  // no reply), so that it is counted like any other.
  virtual std::unique_ptr<snmp::PduChannel> DSROpenChannel(const std::string& target) = 0;

 private:
  snmp::WalkOptions m_Walk;
  snmp::RequestCounter m_Counter;
};

#endif  // SNMP_CHANNELREQUESTER_H_
