// One device as the agent sees it while one NE is processed: the answers
// to the agent's GETs and column walks of the IPv6 MIB of RFC 2465, taken
// from the device's own RFC 2465 tables where it serves them and
// translated from its IP-MIB, IP-FORWARD-MIB and IF-MIB tables where it
// does not (see Rfc2465Translation.h):
// - a table is fetched whole (all the columns needed, side by side) the
//   first time one of its columns is asked, and kept for later questions;
// - a column the device serves is answered as the device gives it;
// - a column of a table the device does not serve at all is answered from
//   the translated table;
// - a column missing from a table the device serves in part is filled,
//   for the device's rows, from the translated table;
// - ipv6Forwarding.0, when the device has no such object, is answered
//   with ipv6IpForwarding.0;
// - in an ipv6IfTable served in part, administrative and operational
//   status swapped against the IF-MIB are put right (UnswapInterfaceStatus);
// - a GET is asked once; its answer is kept.
// The first request opens a channel (for SNMPv3 a session whose engine is
// discovered then) and later requests reuse it, so that a device sees one
// session per NE; a channel that is not to be kept (PduChannel::Keep) is
// opened again by the next request. Error reports (a walk that stopped,
// a request that could not be made) are made on the calling thread.
// Not thread-safe: one view belongs to one NE's job on one thread.
#ifndef SNMP_DEVICEVIEW_H_
#define SNMP_DEVICEVIEW_H_

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "host/CKelDoubleList.h"
#include "host/CKelSnmpVarOp.h"
#include "snmp/ColumnWalk.h"
#include "snmp/MibTables.h"
#include "snmp/RequestCounts.h"
#include "snmp/RequesterErrors.h"
#include "snmp/TableRows.h"

namespace snmp {

class CDeviceView {
 public:
  // Opens a channel to the device, or gives null with `why` set.
  using Opener = std::function<std::unique_ptr<PduChannel>(std::string* why)>;

  // `counter` (not owned) must outlive the view.
  CDeviceView(std::string target, Opener open, const WalkOptions& walk, RequestCounter* counter);
  CDeviceView(const CDeviceView&) = delete;
  CDeviceView& operator=(const CDeviceView&) = delete;

  // The value of `object`.`instance` as a new var-op owned by the caller,
  // or null when the device gave none.
  CKelSnmpVarOp* Get(const MibObject& object, const Oid& instance);
  // Every row of column `column` as a new list owned by the caller
  // (possibly empty), or null when the device did not answer.
  CKelDoubleList* Walk(const MibObject& column);

  const std::string& Target() const { return m_Target; }
  int Requests() const { return m_Requests; }
  int Answered() const { return m_Answered; }
  long Pdus() const { return m_Pdus; }  // request PDUs sent (retransmissions not counted)
  const std::string& Failure() const { return m_Failure; }
  // Datagrams that came while requests that got no reply were waiting, and
  // were not their replies (PduReply::strays).
  int Strays() const { return m_Strays; }
  long Rfc2465Values() const { return m_Rfc2465Values; }
  long Rfc4293Values() const { return m_Rfc4293Values; }
  // When the agent walked the address table, the device answered and
  // neither MIB gave an IPv6 address: why, naming the tables that were
  // empty in both MIBs. "" otherwise.
  std::string NoAddressText() const;

 private:
  struct Answer {
    bool answered = false;
    std::optional<VarBind> bind;
  };
  Answer GetOnce(const Oid& oid, const char* what);
  // The device's rows of `table`, fetched on first use; null when the
  // device did not answer.
  const TableRows* Fetch(ETable table);
  const TableRows& Translated(ETable table);
  // The device's rows of `table` (fetched) after the status check of an
  // ipv6IfTable served in part, made once.
  const TableRows* Corrected(ETable table);
  // A column outside the fetched tables (an index column), walked alone.
  CKelDoubleList* WalkAlone(const MibObject& column);
  // The channel of this view, opened if need be; null, with the failure
  // reported, when none can be opened (the next request tries again).
  PduChannel* Channel();
  // Gives back the channel a request used: kept when it can be.
  void Release();
  // Reports `text` with `code` and keeps it as the view's failure if it is
  // the first.
  void Fail(const std::string& text, int code = kErrSession);
  void CountPdus(long n);

  const std::string m_Target;
  const Opener m_Open;
  const WalkOptions m_Walk;
  RequestCounter* const m_Counter;
  std::unique_ptr<PduChannel> m_Channel;

  std::map<Oid, Answer> m_Gets;
  std::map<ETable, std::optional<TableRows>> m_Fetched;  // nullopt: no answer
  std::map<ETable, TableRows> m_Sources;                  // fetched newer tables, for translation
  std::map<ETable, TableRows> m_Translated;
  std::map<ETable, size_t> m_Delivered;  // rows handed out per RFC 2465 table
  bool m_StatusChecked = false;
  int m_Requests = 0;
  int m_Answered = 0;
  long m_Pdus = 0;
  int m_Strays = 0;
  std::string m_Failure;
  long m_Rfc2465Values = 0;
  long m_Rfc4293Values = 0;
};

}  // namespace snmp

#endif  // SNMP_DEVICEVIEW_H_
