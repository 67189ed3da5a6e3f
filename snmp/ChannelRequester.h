// The GET and column walk of the engine's requester interface, on top of a
// PduChannel that a subclass opens for each request: the live requester on
// net-snmp, the replay requester on recorded walks. One behaviour for both:
// - the target is CDiscoStdRequester::DSRTargetAddress(record); a record
//   without one gives null and sends nothing;
// - object names come from MibObjectTable; an unknown name, or an instance
//   that is not dotted numbers, is reported (kErrUnknownObject,
//   kErrBadInstance) and gives null; a null instance means "0";
// - questions are answered by a DeviceView of the target (see
//   DeviceView.h): RFC 2465 tables fetched whole, and translated from the
//   IP-MIB where the device does not serve them;
// - a GET gives a new var-op, or null for no answer, an error-status, an
//   exception value or a reply about another OID; a request that could not
//   be made at all (an SNMPv3 authentication failure, say) is reported
//   (kErrSession);
// - a walk gives a new list of var-ops (possibly empty) in row order, or
//   null when the device did not answer; a table fetch that a broken reply
//   stops is reported (kErrWalkStopped) and gives the rows read before it.
// Between DSRNeBegin and DSRNeEnd on a thread, the views of the NE's
// targets are kept, so each table and GET is fetched once per NE; outside
// them every call uses a view of its own. DSRNeEnd reports (kErrNoIpv6Data)
// a device that answered but gave no IPv6 address, and gives per target the
// requests, answers and PDUs, and the time the NE's requests took.
// Results belong to the caller. Thread-safe when the subclass's
// DSROpenChannel is.
#ifndef SNMP_CHANNELREQUESTER_H_
#define SNMP_CHANNELREQUESTER_H_

#include <memory>
#include <string>

#include "host/CDiscoStdRequester.h"
#include "snmp/ColumnWalk.h"
#include "snmp/DeviceView.h"
#include "snmp/PduChannel.h"
#include "snmp/RequestCounts.h"

class CChannelRequester : public CDiscoStdRequester {
 public:
  ~CChannelRequester() override;
  CChannelRequester(const CChannelRequester&) = delete;
  CChannelRequester& operator=(const CChannelRequester&) = delete;

  CKelSnmpVarOp* DSRSnmpGet(CKelRecord* record, const char* objectName, const char* instance,
                            const char* extra) override;
  CKelDoubleList* DSRSnmpGetNext(CKelRecord* record, const char* columnName, const char* extra1,
                                 const char* extra2) override;
  void DSRNeBegin() override;
  CDiscoSnmpSummary DSRNeEnd() override;

  // For requests of the caller's own (recording a device): a new channel
  // to `target` as DSROpenChannel opens it, the walk options the requester
  // walks with, and DSRDescribeSilence.
  std::unique_ptr<snmp::PduChannel> DSRChannel(const std::string& target, std::string* why) {
    return DSROpenChannel(target, why);
  }
  const snmp::WalkOptions& DSRWalkOptions() const { return m_Walk; }
  std::string DSRSilence(const std::string& target, int unanswered, int answered, int strays) const {
    return DSRDescribeSilence(target, unanswered, answered, strays);
  }

  // Requests made since construction or the last reset.
  snmp::RequestCounts DSRCounts() const { return m_Counter.Snapshot(); }
  void DSRResetCounts() { m_Counter.Reset(); }

 protected:
  explicit CChannelRequester(const snmp::WalkOptions& walk) : m_Walk(walk) {}

  // A new channel to `target` (never empty) for one request, or null, with
  // `why` set, when no request can be made there. A device that merely does
  // not answer still gets a channel (whose requests then get no reply), so
  // that it is counted like any other.
  virtual std::unique_ptr<snmp::PduChannel> DSROpenChannel(const std::string& target,
                                                           std::string* why) = 0;
  // Why `target` left `unanswered` of the NE's requests without answer
  // while it answered `answered` others and sent `strays` datagrams that
  // were no reply to them, as a phrase for the user ("no SNMP answer from
  // ...").
  virtual std::string DSRDescribeSilence(const std::string& target, int unanswered,
                                         int answered, int strays) const = 0;

 private:
  // The view of `target` for the NE in hand on this thread; a new one owned
  // by `temporary` when no NE is in hand.
  snmp::CDeviceView& View(const std::string& target, std::unique_ptr<snmp::CDeviceView>* temporary);

  snmp::WalkOptions m_Walk;
  snmp::RequestCounter m_Counter;
};

#endif  // SNMP_CHANNELREQUESTER_H_
