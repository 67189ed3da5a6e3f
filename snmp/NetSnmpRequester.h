// The live requester: SNMP on the net-snmp library (SNMPv2c by default,
// SNMPv1 and SNMPv3 as options). Requests go to UDP port options.port of
// the record's target address (see ChannelRequester.h for what a request
// gives back); walks use GETBULK with options.maxRepetitions (GETNEXT for
// SNMPv1).
//
// A device that does not answer costs at most timeoutMs x (retries + 1) per
// request: the GET, or the first request of a walk (a walk whose device
// falls silent half-way costs that once more). The library's shared state
// (SNMPv3 users, keys and engines, statistics, error detail) is touched
// under NetSnmpLock() only while a request is built, sent or read, never
// while its reply is awaited, so a silent device holds up no other thread.
//
// net-snmp keeps one set of SNMPv3 keys per user name and engine for the
// whole process: two requesters with the same user name and different pass
// phrases both use the keys of the first that reached a device.
//
// Thread-safe: any number of threads may request at once. Between
// DSRNeBegin and DSRNeEnd a thread keeps one session per device (for
// SNMPv3, one engine discovery); outside them each request opens its own.
// Create the requester before starting them.
#ifndef SNMP_NETSNMPREQUESTER_H_
#define SNMP_NETSNMPREQUESTER_H_

#include <memory>
#include <string>

#include "snmp/ChannelRequester.h"
#include "snmp/NetSnmpChannel.h"
#include "snmp/NetSnmpOptions.h"

class CNetSnmpRequester : public CChannelRequester {
 public:
  // Initialises the library (NetSnmpInit) and checks `options`. Returns
  // null, with `error` (when not null) saying why, for options that cannot
  // work: a port outside 1 to 65535, a timeout below 1 ms, negative
  // retries, fewer than 1 repetitions, SNMPv3 without user, privacy
  // without authentication, or a pass phrase the library refuses (fewer
  // than 8 characters).
  static std::unique_ptr<CNetSnmpRequester> Create(const CNetSnmpOptions& options,
                                                   std::string* error);

  const CNetSnmpOptions& DSROptions() const { return m_Options; }

 protected:
  std::unique_ptr<snmp::PduChannel> DSROpenChannel(const std::string& target,
                                                   std::string* why) override;
  std::string DSRDescribeSilence(const std::string& target, int unanswered, int answered,
                                 int strays) const override;

 private:
  CNetSnmpRequester(const CNetSnmpOptions& options, snmp::NetSnmpSessionSettings settings);

  const CNetSnmpOptions m_Options;
  const snmp::NetSnmpSessionSettings m_Settings;
};

#endif  // SNMP_NETSNMPREQUESTER_H_
